// Flood fill speed on a 4000 x 3000 24-bit bottom-up image with mask, in filled Mpixel/s,
// beside memcpy of the image's bytes (colour and mask planes) in the same run. Each fill
// alternates between two colours from the same seed, so every iteration fills the same region
// without restoring the image.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "core/flood_fill.h"
#include "core/image.h"

namespace {

const int KWidth = 4000, KHeight = 3000;

TImage* MakeImage() {
    TImage* image = TImage_Create(KWidth, KHeight, 24, TIF_HASMASK | TIF_BOTTOMUP);
    TImage_FillMask(image, 1);
    return image;
}

void SetFill(TImage* image, uint32_t colour) {
    TDrawAttr attr = {0, colour, 0, 0xFFFFFF, 1};
    TImage_SetDrawAttr(image, &attr);
}

void Report(benchmark::State& state, int64_t pixelsPerIteration) {
    state.counters["Mpixel/s"] = benchmark::Counter(
        double(pixelsPerIteration) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_MemcpyImageBytes(benchmark::State& state) {
    TImage* image = MakeImage();
    const size_t bytes = size_t(image->FSize) + size_t(image->FMask->FSize);
    std::vector<uint8_t> src(bytes, 0x5A), dst(bytes);
    for (auto _ : state) {
        std::memcpy(dst.data(), src.data(), bytes);
        benchmark::DoNotOptimize(dst.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(bytes) * state.iterations());
    Report(state, int64_t(KWidth) * KHeight);
    TImage_Destroy(image);
}

void BM_FillUniform(benchmark::State& state) {
    TImage* image = MakeImage();
    uint32_t colours[2] = {0, 0x0000FF}; // the image starts black
    int k = 0;
    for (auto _ : state) {
        SetFill(image, colours[k ^= 1]);
        benchmark::DoNotOptimize(TImage_FloodFill(image, KWidth / 2, KHeight / 2));
    }
    Report(state, int64_t(KWidth) * KHeight);
    TImage_Destroy(image);
}

// 65% of the pixels one colour, the rest another; the fill takes the largest region of the
// first, found beforehand by labelling.
void BM_FillNoise65LargestRegion(benchmark::State& state) {
    TImage* image = MakeImage();
    std::mt19937 rng(65);
    std::vector<uint8_t> on(size_t(KWidth) * KHeight);
    for (int y = 0; y < KHeight; ++y)
        for (int x = 0; x < KWidth; ++x) {
            on[size_t(y) * KWidth + x] = rng() % 100 < 65;
            TImage_SetPixel(image, x, y, on[size_t(y) * KWidth + x] ? 0x204060 : 0xFFFFFF);
        }
    std::vector<uint8_t> seen(on.size());
    std::vector<int> queue;
    size_t best = 0;
    int bestStart = 0;
    for (int start = 0; start < KWidth * KHeight; ++start) {
        if (!on[start] || seen[start]) continue;
        queue.assign(1, start);
        seen[start] = 1;
        for (size_t k = 0; k < queue.size(); ++k) {
            const int p = queue[k], x = p % KWidth;
            const int next[4] = {x > 0 ? p - 1 : -1, x < KWidth - 1 ? p + 1 : -1, p - KWidth,
                                 p + KWidth};
            for (int q : next)
                if (q >= 0 && q < KWidth * KHeight && on[q] && !seen[q])
                    seen[q] = 1, queue.push_back(q);
        }
        if (queue.size() > best) best = queue.size(), bestStart = start;
    }
    uint32_t colours[2] = {0x204060, 0x0000FF};
    int k = 0;
    for (auto _ : state) {
        SetFill(image, colours[k ^= 1]);
        benchmark::DoNotOptimize(TImage_FloodFill(image, bestStart % KWidth, bestStart / KWidth));
    }
    state.counters["region_pixels"] = double(best);
    Report(state, int64_t(best));
    TImage_Destroy(image);
}

} // namespace

BENCHMARK(BM_MemcpyImageBytes)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FillUniform)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FillNoise65LargestRegion)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
