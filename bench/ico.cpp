// Icon saving of a 255 x 255 picture with 256 colours: the palette and index rows alone
// (ICO_EncodeColours), the whole save, and beside them a plain write of the same number of
// bytes through the same atomic file helper and a memcpy of the picture's pixel bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "bench/bench_path.h"
#include "core/ico.h"
#include "core/image.h"
#include "platform/save_file.h"

static const int KSide = 255;
static const size_t KFileBytes = 22 + 40 + 1024 + 256 * KSide + 32 * KSide;

// Every pixel one of 256 colours at random, so neighbours rarely repeat; all visible.
static TImage* MakeIcon() {
    TImage* image = TImage_Create(KSide, KSide, 24, TIF_BOTTOMUP | TIF_HASMASK);
    std::mt19937 random(11);
    uint32_t colours[256];
    for (uint32_t& c : colours)
        c = random() & 0xFFFFFF;
    for (int y = 0; y < KSide; ++y)
        for (int x = 0; x < KSide; ++x)
            TImage_SetPixel(image, x, y, colours[random() & 255]);
    TImage_FillMask(image, 1);
    return image;
}

static void SetRate(benchmark::State& state) {
    state.counters["Mpixel"] = benchmark::Counter(
        double(KSide) * KSide * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

static void BM_IcoEncodeColours(benchmark::State& state) {
    TImage* image = MakeIcon();
    TPaletteEntry palette[256];
    std::vector<uint8_t> rows(size_t(256) * KSide);
    for (auto _ : state) {
        ICO_EncodeColours(image, palette, rows.data());
        benchmark::DoNotOptimize(rows.data());
    }
    SetRate(state);
    TImage_Destroy(image);
}
BENCHMARK(BM_IcoEncodeColours)->Unit(benchmark::kMicrosecond)->UseRealTime();

static void BM_IcoSave(benchmark::State& state) {
    TImage* image = MakeIcon();
    std::string path = BenchPath("save.ico");
    for (auto _ : state)
        if (ICO_Save(image, path.c_str()) != 0) state.SkipWithError("save failed");
    SetRate(state);
    TImage_Destroy(image);
}
BENCHMARK(BM_IcoSave)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The file part of saving: as many bytes as the icon through the same atomic helper.
static void BM_PlainWrite(benchmark::State& state) {
    std::vector<uint8_t> bytes(KFileBytes, 0x5A);
    std::string path = BenchPath("plain.ico");
    for (auto _ : state) {
        TSaveFile out = {};
        if (TSaveFile_Open(&out, path.c_str()) != 0 ||
            TSaveFile_Write(&out, bytes.data(), bytes.size()) != 0 || TSaveFile_Commit(&out) != 0)
            state.SkipWithError("write failed");
    }
    SetRate(state);
}
BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The baseline of a whole-image pass: memcpy of the picture's 24-bit pixel bytes.
static void BM_Memcpy(benchmark::State& state) {
    TImage* image = MakeIcon();
    std::vector<uint8_t> to(size_t(image->FSize));
    for (auto _ : state) {
        std::memcpy(to.data(), image->FBits, to.size());
        benchmark::DoNotOptimize(to.data());
    }
    SetRate(state);
    TImage_Destroy(image);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMicrosecond)->UseRealTime();

BENCHMARK_MAIN();
