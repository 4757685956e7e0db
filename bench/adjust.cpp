// The colour adjustments and colour counting on a 4000 x 3000 24-bit bottom-up image with a
// mask plane, each in Mpixel/s beside memcpy of the same pixel memory in the same run.
// The picture holds 256 colours spread at random, so counting finds no runs to skip.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/adjust.h"
#include "core/color_count.h"
#include "core/image.h"

namespace {

const int32_t KWidth = 4000, KHeight = 3000;
const double KPixels = double(KWidth) * KHeight;

uint32_t PaletteColour(int i) {
    return (uint32_t(i) * 0x071523u) & 0xFFFFFF;
}

// A fresh picture for each benchmark, so that none runs on what another left behind.
TImage* MakePicture() {
    TImage* image = TImage_Create(KWidth, KHeight, 24, TIF_HASMASK | TIF_BOTTOMUP);
    std::mt19937 rng(42);
    for (int32_t y = 0; y < KHeight; ++y)
        for (int32_t x = 0; x < KWidth; ++x)
            TImage_SetPixel(image, x, y, PaletteColour(int(rng() & 0xFF)));
    TImage_FillMask(image, 1);
    return image;
}

void SetRate(benchmark::State& state) {
    state.counters["Mpixel/s"] =
        benchmark::Counter(KPixels * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_Memcpy(benchmark::State& state) {
    TImage* image = MakePicture();
    std::vector<uint8_t> dst(size_t(image->FSize));
    for (auto _ : state) {
        std::memcpy(dst.data(), image->FBits, dst.size());
        benchmark::ClobberMemory();
    }
    SetRate(state);
    TImage_Destroy(image);
}

template <class Op> void Run(benchmark::State& state, Op op) {
    TImage* image = MakePicture();
    for (auto _ : state) {
        op(image);
        benchmark::ClobberMemory();
    }
    SetRate(state);
    TImage_Destroy(image);
}

void BM_Invert(benchmark::State& s) {
    Run(s, [](TImage* i) { TImage_Invert(i); });
}
void BM_Grayscale(benchmark::State& s) {
    Run(s, [](TImage* i) { TImage_Grayscale(i); });
}
void BM_Brightness(benchmark::State& s) {
    Run(s, [](TImage* i) { TImage_Brightness(i, 20); });
}
void BM_Contrast(benchmark::State& s) {
    Run(s, [](TImage* i) { TImage_Contrast(i, 40); });
}

void BM_ReplaceColor(benchmark::State& s) {
    // The pen colour equals the replaced one, so every run sees the same picture.
    Run(s, [](TImage* i) {
        i->FDrawAttr.FColor = PaletteColour(17);
        i->FDrawAttr.FMaskValue = 0xFFFFFF;
        TImage_ReplaceColor(i, PaletteColour(17));
    });
}

void BM_CountColors(benchmark::State& s) {
    Run(s, [](TImage* i) { benchmark::DoNotOptimize(TImage_CountColors(i, 256)); });
}

#define MOSAIKO_BENCH(fn)                                                                          \
    BENCHMARK(fn)                                                                                  \
        ->Unit(benchmark::kMillisecond)                                                            \
                                                                                                   \
        ->Repetitions(7)                                                                           \
        ->ReportAggregatesOnly(true)

MOSAIKO_BENCH(BM_Memcpy);
MOSAIKO_BENCH(BM_Invert);
MOSAIKO_BENCH(BM_Grayscale);
MOSAIKO_BENCH(BM_Brightness);
MOSAIKO_BENCH(BM_Contrast);
MOSAIKO_BENCH(BM_ReplaceColor);
MOSAIKO_BENCH(BM_CountColors);

} // namespace

BENCHMARK_MAIN();
