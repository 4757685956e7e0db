// Layer transfers, rectangle copies and filled shapes on a 4000 x 3000 surface, beside memcpy
// of the same bytes in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/copy_rect.h"
#include "core/image.h"
#include "core/layer.h"

static const int KWidth = 4000, KHeight = 3000;

static void SetRate(benchmark::State& state, int64_t pixels) {
    state.counters["Mpix"] = benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

static TLayer* NoisyLayer(unsigned seed, bool halfVisible) {
    TLayer* layer = TLayer_Create(KWidth, KHeight);
    std::mt19937 random(seed);
    TImage* image = layer->FImage;
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(random());
    for (int32_t i = 0; i < image->FMask->FSize; ++i)
        image->FMask->FBits[i] = halfVisible ? uint8_t(random()) : 0xFF;
    return layer;
}

static void BM_Memcpy(benchmark::State& state) {
    std::vector<uint8_t> a(size_t(KWidth) * 3 * KHeight, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    SetRate(state, int64_t(KWidth) * KHeight);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_LayerBlt(benchmark::State& state) {
    TLayer* src = NoisyLayer(1, false);
    TLayer* dst = TLayer_Create(KWidth, KHeight);
    for (auto _ : state)
        TLayer_Blt(dst, 0, 0, KWidth, KHeight, src, 0, 0, ROP_SRCCOPY);
    SetRate(state, int64_t(KWidth) * KHeight);
    TLayer_Destroy(src);
    TLayer_Destroy(dst);
}
BENCHMARK(BM_LayerBlt)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_CopyRectPlain(benchmark::State& state) {
    TImage* src = TImage_Create(KWidth, KHeight, 24, TIF_BOTTOMUP);
    TImage* dst = TImage_Create(KWidth, KHeight, 24, TIF_BOTTOMUP | TIF_HASMASK);
    std::memset(src->FBits, 0x5A, size_t(src->FSize));
    for (auto _ : state)
        TImage_CopyRect(dst, 0, 0, KWidth, KHeight, src, 0, 0, ROP_SRCCOPY);
    SetRate(state, int64_t(KWidth) * KHeight);
    TImage_Destroy(src);
    TImage_Destroy(dst);
}
BENCHMARK(BM_CopyRectPlain)->Unit(benchmark::kMillisecond)->UseRealTime();

// A masked source: arg 0 fully visible, 1 a random half of the pixels visible.
static void BM_CopyRectMerge(benchmark::State& state) {
    TLayer* src = NoisyLayer(2, state.range(0) != 0);
    TLayer* dst = TLayer_Create(KWidth, KHeight);
    for (auto _ : state)
        TImage_CopyRect(dst->FImage, 0, 0, KWidth, KHeight, src->FImage, 0, 0, ROP_SRCCOPY);
    SetRate(state, int64_t(KWidth) * KHeight);
    TLayer_Destroy(src);
    TLayer_Destroy(dst);
}
BENCHMARK(BM_CopyRectMerge)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_FillEllipse2000(benchmark::State& state) {
    TLayer* layer = TLayer_Create(KWidth, KHeight);
    for (auto _ : state)
        TLayer_FillEllipse(layer, 100, 100, 2100, 2100, 0xFF, 0xFF00, 0xFFFFFF, 3);
    SetRate(state, int64_t(2000) * 2000);
    TLayer_Destroy(layer);
}
BENCHMARK(BM_FillEllipse2000)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_FillRect2000(benchmark::State& state) {
    TLayer* layer = TLayer_Create(KWidth, KHeight);
    for (auto _ : state)
        TLayer_FillRect(layer, 100, 100, 2100, 2100, 0xFF, 0xFF00, 0xFFFFFF, 3);
    SetRate(state, int64_t(2000) * 2000);
    TLayer_Destroy(layer);
}
BENCHMARK(BM_FillRect2000)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
