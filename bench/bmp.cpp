// BMP load and save of a 4000 x 3000 picture beside a plain read of the same file into fresh
// memory and a plain write of the same bytes through the same atomic file helper.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "bench/bench_path.h"
#include "core/bmp.h"
#include "core/image.h"
#include "platform/pixel_memory.h"
#include "platform/save_file.h"

static const int KWidth = 4000, KHeight = 3000;

static TImage* MakePicture(int bits) {
    TImage* image = TImage_Create(KWidth, KHeight, bits, TIF_BOTTOMUP | TIF_HASMASK);
    std::mt19937 random(7);
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(random());
    for (int i = 0; i < image->FPaletteCount; ++i)
        PaletteEntrySetColor(&image->FPalette[i], random());
    TImage_FillMask(image, 1);
    return image;
}

static const std::string& File(int bits) {
    static std::string paths[33];
    if (paths[bits].empty()) {
        paths[bits] = BenchPath(("load" + std::to_string(bits) + ".bmp").c_str());
        TImage* image = MakePicture(bits);
        BMP_Save(image, paths[bits].c_str());
        TImage_Destroy(image);
    }
    return paths[bits];
}

static void SetRate(benchmark::State& state, int64_t pixels) {
    state.counters["Mpixel"] = benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

static void BM_BmpLoad(benchmark::State& state) {
    const std::string& path = File(int(state.range(0)));
    for (auto _ : state) {
        TImage* image = TImage_Create(1, 1, 24, 0);
        if (BMP_Load(image, path.c_str()) != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image->FBits);
        TImage_Destroy(image);
    }
    SetRate(state, int64_t(KWidth) * KHeight);
}
BENCHMARK(BM_BmpLoad)->Arg(24)->Arg(8)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of loading: the whole file read into fresh zeroed memory of the kind images get.
static void BM_PlainRead(benchmark::State& state) {
    const std::string& path = File(24);
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        long size = std::ftell(f);
        std::fseek(f, 0, SEEK_SET);
        uint8_t* bytes = static_cast<uint8_t*>(PixelMemory_Alloc(size_t(size)));
        if (std::fread(bytes, 1, size_t(size), f) != size_t(size)) state.SkipWithError("short");
        benchmark::DoNotOptimize(bytes);
        std::free(bytes);
        std::fclose(f);
    }
    SetRate(state, int64_t(KWidth) * KHeight);
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->UseRealTime();

static void BM_BmpSave(benchmark::State& state) {
    TImage* image = MakePicture(24);
    std::string path = BenchPath("save.bmp");
    for (auto _ : state)
        if (BMP_Save(image, path.c_str()) != 0) state.SkipWithError("save failed");
    SetRate(state, int64_t(KWidth) * KHeight);
    TImage_Destroy(image);
}
BENCHMARK(BM_BmpSave)->Unit(benchmark::kMillisecond)->UseRealTime();

// The baseline of saving: the same bytes through the same atomic helper.
static void BM_PlainWrite(benchmark::State& state) {
    TImage* image = MakePicture(24);
    std::string path = BenchPath("plain.bin");
    for (auto _ : state) {
        TSaveFile out;
        if (TSaveFile_Open(&out, path.c_str()) != 0 ||
            TSaveFile_Write(&out, image->FBits, size_t(image->FSize)) != 0 ||
            TSaveFile_Commit(&out) != 0)
            state.SkipWithError("write failed");
    }
    SetRate(state, int64_t(KWidth) * KHeight);
    TImage_Destroy(image);
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
