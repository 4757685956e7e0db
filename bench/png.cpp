// PNG load and save of a 4000 x 3000 photo-like picture and of pixel art (argument 0 and 1).
// Loading is measured beside a bare libpng read of the same file into fresh 24-bit rows (expand,
// strip_16, gray_to_rgb and bgr), so the difference is what our glue costs. Saving is measured
// beside a bare libpng write with our settings at each zlib level from 1 to 6, with the file
// sizes as counters: the table the writer's level was chosen from. Figures are per CPU time.
#include <benchmark/benchmark.h>

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/photo.h"
#include "core/image.h"
#include "core/png.h"
#include "platform/pixel_memory.h"

static const int64_t KPixels = int64_t(KPhotoWidth) * KPhotoHeight;

static const TImage* Picture(int64_t which) {
    return which == 0 ? Photo() : PixelArt();
}

static const char* PictureName(int64_t which) {
    return which == 0 ? "photo" : "pixel art";
}

// The file the load benchmarks read: the picture as PNG_Save writes it.
static const std::string& PictureFile(int64_t which) {
    static std::string paths[2];
    std::string& path = paths[which];
    if (path.empty()) {
        path = BenchPath(which == 0 ? "photo.png" : "art.png");
        if (PNG_Save(Picture(which), path.c_str()) != 0) std::abort();
    }
    return path;
}

static long FileBytes(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return -1;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return size;
}

static void SetRate(benchmark::State& state) {
    state.counters["Mpixel"] = benchmark::Counter(
        double(KPixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

static void BM_PngLoad(benchmark::State& state) {
    const std::string& path = PictureFile(state.range(0));
    for (auto _ : state) {
        TImage* image = TImage_Create(1, 1, 24, 0);
        if (PNG_Load(image, path.c_str()) != 0) state.SkipWithError("load failed");
        TImage_Destroy(image);
    }
    SetRate(state);
    state.SetLabel(PictureName(state.range(0)));
}
BENCHMARK(BM_PngLoad)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// libpng alone: every row read straight into fresh pixel memory of the kind images get.
static bool BareRead(const char* name) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    uint8_t* volatile pixels = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(file);
        std::free(pixels);
        return false;
    }
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_read_update_info(png, info);
    const size_t width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    const size_t stride = (width * 3 + 3) & ~size_t(3);
    pixels = static_cast<uint8_t*>(PixelMemory_Alloc(stride * height));
    for (size_t y = 0; y < height; ++y)
        png_read_row(png, pixels + stride * (height - 1 - y), nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    benchmark::DoNotOptimize(pixels[0]);
    std::free(pixels);
    return true;
}

static void BM_BareRead(benchmark::State& state) {
    const std::string& path = PictureFile(state.range(0));
    for (auto _ : state)
        if (!BareRead(path.c_str())) state.SkipWithError("read failed");
    SetRate(state);
    state.SetLabel(PictureName(state.range(0)));
}
BENCHMARK(BM_BareRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

static void BM_PngSave(benchmark::State& state) {
    const TImage* image = Picture(state.range(0));
    const std::string path = BenchPath("save.png");
    for (auto _ : state)
        if (PNG_Save(image, path.c_str()) != 0) state.SkipWithError("save failed");
    SetRate(state);
    state.counters["bytes"] = double(FileBytes(path));
    state.SetLabel(PictureName(state.range(0)));
}
BENCHMARK(BM_PngSave)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// libpng alone with the writer's settings (RGB from blue, green, red rows, default filters) at
// one zlib level.
static bool BareWrite(const char* name, const TImage* image, int level) {
    std::FILE* file = std::fopen(name, "wb");
    if (!file) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, uint32_t(image->FWidth), uint32_t(image->FHeight), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, level);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int32_t y = 0; y < image->FHeight; ++y)
        png_write_row(png, TImage_GetRow(image, y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

static void BM_BareWrite(benchmark::State& state) {
    const TImage* image = Picture(state.range(0));
    const std::string path = BenchPath("bare.png");
    for (auto _ : state)
        if (!BareWrite(path.c_str(), image, int(state.range(1))))
            state.SkipWithError("write failed");
    SetRate(state);
    state.counters["bytes"] = double(FileBytes(path));
    state.SetLabel(std::string(PictureName(state.range(0))) + " level " +
                   std::to_string(state.range(1)));
}
BENCHMARK(BM_BareWrite)->ArgsProduct({{0, 1}, {1, 2, 3, 4, 5, 6}})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
