// Rotation, mirroring and resizing of a 4000 x 3000 24-bit bottom-up image with a mask plane,
// in Mpixel/s beside memcpy of the same bytes (colour and mask plane) in the same run.
// Flips and rotations count source pixels; resizes count the pixels they make. Rotations and
// resizes include making the new image, as their callers pay for it; "memcpy into fresh
// pixel memory" shows what new image memory costs on its own.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "core/image.h"
#include "core/transform.h"
#include "platform/pixel_memory.h"

namespace {

const int32_t KWidth = 4000, KHeight = 3000;
const double KPixels = double(KWidth) * KHeight;

// Noisy colours, visible except for a transparent disc, as an edited picture would be.
TImage* MakePicture() {
    TImage* image = TImage_Create(KWidth, KHeight, 24, TIF_HASMASK | TIF_BOTTOMUP);
    std::mt19937 rng(42);
    for (int32_t n = 0; n < image->FSize; ++n)
        image->FBits[n] = uint8_t(rng());
    TImage_FillMask(image, 1);
    for (int32_t y = 0; y < KHeight; ++y)
        for (int32_t x = 0; x < KWidth; ++x) {
            int64_t dx = x - 2500, dy = y - 1200;
            if (dx * dx + dy * dy < 700 * 700) TImage_SetPixel(image->FMask, x, y, 0);
        }
    return image;
}

size_t PictureBytes(const TImage* image) {
    return size_t(image->FSize) + size_t(image->FMask->FSize);
}

void SetRate(benchmark::State& state, double pixels) {
    state.counters["Mpixel/s"] =
        benchmark::Counter(pixels * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_Memcpy(benchmark::State& state) {
    TImage* image = MakePicture();
    std::vector<uint8_t> dst(PictureBytes(image));
    for (auto _ : state) {
        std::memcpy(dst.data(), image->FBits, size_t(image->FSize));
        std::memcpy(dst.data() + image->FSize, image->FMask->FBits, size_t(image->FMask->FSize));
        benchmark::ClobberMemory();
    }
    SetRate(state, KPixels);
    TImage_Destroy(image);
}

void BM_MemcpyFreshPixelMemory(benchmark::State& state) {
    TImage* image = MakePicture();
    for (auto _ : state) {
        uint8_t* dst = static_cast<uint8_t*>(PixelMemory_Alloc(PictureBytes(image)));
        std::memcpy(dst, image->FBits, size_t(image->FSize));
        std::memcpy(dst + image->FSize, image->FMask->FBits, size_t(image->FMask->FSize));
        benchmark::DoNotOptimize(dst);
        std::free(dst);
    }
    SetRate(state, KPixels);
    TImage_Destroy(image);
}

void BM_FlipHorizontal(benchmark::State& state) {
    TImage* image = MakePicture();
    for (auto _ : state) {
        TImage_Flip(image, 0);
        benchmark::ClobberMemory();
    }
    SetRate(state, KPixels);
    TImage_Destroy(image);
}

void BM_FlipVertical(benchmark::State& state) {
    TImage* image = MakePicture();
    for (auto _ : state) {
        TImage_Flip(image, 1);
        benchmark::ClobberMemory();
    }
    SetRate(state, KPixels);
    TImage_Destroy(image);
}

void BM_Rotate(benchmark::State& state) {
    TImage* image = MakePicture();
    const int degrees = int(state.range(0));
    for (auto _ : state) {
        TImage* out = TImage_Rotate(image, degrees);
        benchmark::DoNotOptimize(out);
        TImage_Destroy(out);
    }
    SetRate(state, KPixels);
    TImage_Destroy(image);
}

void BM_Resize(benchmark::State& state) {
    TImage* image = MakePicture();
    const int32_t w = int32_t(state.range(0)), h = int32_t(state.range(1));
    const int smooth = int(state.range(2));
    for (auto _ : state) {
        TImage* out = TImage_Resize(image, w, h, smooth);
        benchmark::DoNotOptimize(out);
        TImage_Destroy(out);
    }
    SetRate(state, double(w) * h);
    TImage_Destroy(image);
}

void Configure(benchmark::internal::Benchmark* b) {
    b->Repetitions(5)->ReportAggregatesOnly(true)->UseRealTime()->Unit(benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_Memcpy)->Apply(Configure);
BENCHMARK(BM_MemcpyFreshPixelMemory)->Apply(Configure);
BENCHMARK(BM_FlipHorizontal)->Apply(Configure);
BENCHMARK(BM_FlipVertical)->Apply(Configure);
BENCHMARK(BM_Rotate)->Arg(-90)->Arg(90)->Arg(180)->Apply(Configure);
BENCHMARK(BM_Resize)
    ->ArgNames({"w", "h", "smooth"})
    ->Args({2000, 1500, 0})
    ->Args({8000, 6000, 0})
    ->Args({2000, 1500, 1})
    ->Args({8000, 6000, 1})
    ->Apply(Configure);

BENCHMARK_MAIN();
