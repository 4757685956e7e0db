// JPEG load and save of a 4000 x 3000 photo-like picture beside the codec alone with exactly the
// same settings (fast integer DCT into one row buffer; quality 70 baseline through the same
// atomic file helper), and memcpy of the picture's bytes. The difference is what our glue costs.
// Before timing, the bare runs are checked against ours: the same pixels and the same file bytes.
// Figures are per CPU time: the machines this runs on are shared, and wall time there measures
// the neighbours.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "core/image.h"
#include "core/jpeg.h"
#include "photo.h"
#include "platform/pixel_memory.h"
#include "platform/save_file.h"

static const int KWidth = 4000, KHeight = 3000;
static const int64_t KPixels = int64_t(KWidth) * KHeight;

static std::string BenchPath(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir && *dir ? dir : "/tmp") + "/mosaiko-bench-" + name;
}

static const TImage* Photo() {
    static TImage* image = MakePhoto(KWidth, KHeight);
    return image;
}

// The file the load benchmarks read: the photo as JPEG_Save writes it.
static const std::string& PhotoFile() {
    static std::string path;
    if (path.empty()) {
        path = BenchPath("load.jpg");
        if (JPEG_Save(Photo(), path.c_str()) != 0) std::abort();
    }
    return path;
}

// The photo's rows top first in the codec's red, green, blue: what a bare encoder is handed.
static const std::vector<uint8_t>& PhotoRgb() {
    static std::vector<uint8_t> rgb;
    if (rgb.empty()) {
        rgb.resize(size_t(KPixels) * 3);
        for (int32_t y = 0; y < KHeight; ++y) {
            const uint8_t* src = TImage_GetRow(Photo(), y);
            uint8_t* dst = &rgb[size_t(y) * KWidth * 3];
            for (int32_t x = 0; x < KWidth * 3; x += 3) {
                dst[x] = src[x + 2];
                dst[x + 1] = src[x + 1];
                dst[x + 2] = src[x];
            }
        }
    }
    return rgb;
}

static void SetRate(benchmark::State& state) {
    state.counters["Mpixel"] = benchmark::Counter(
        double(KPixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

// The codec alone, as JPEG_Load drives it; each row is handed to sink (or dropped when null).
static bool BareDecode(const char* name, void (*sink)(const JSAMPLE* row, int32_t y, void* to),
                       void* to) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return false;
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_IFAST;
    jpeg_start_decompress(&info);
    JSAMPROW row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             info.output_width * info.output_components, 1)[0];
    while (info.output_scanline < info.output_height) {
        int32_t y = int32_t(info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
        if (sink) sink(row, y, to);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

// The codec alone, as JPEG_Save drives it, from rows already in red, green, blue.
static bool BareEncode(const char* name, const uint8_t* rgb) {
    TSaveFile out;
    if (TSaveFile_Open(&out, name) != 0) return false;
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, out.FFile);
    info.image_width = KWidth;
    info.image_height = KHeight;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 70, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + size_t(info.next_scanline) * KWidth * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return TSaveFile_Commit(&out) == 0;
}

static void CompareRow(const JSAMPLE* row, int32_t y, void* to) {
    const TImage* image = static_cast<const TImage*>(to);
    const uint8_t* p = TImage_GetRow(image, y);
    for (int32_t x = 0; x < KWidth * 3; x += 3)
        if (p[x] != row[x + 2] || p[x + 1] != row[x + 1] || p[x + 2] != row[x]) std::abort();
}

// The comparison is only fair when both sides do the same work: same pixels out of the same
// file, and the same file out of the same pixels.
static void CheckSameWork() {
    TImage* loaded = TImage_Create(1, 1, 24, 0);
    if (JPEG_Load(loaded, PhotoFile().c_str()) != 0) std::abort();
    if (!BareDecode(PhotoFile().c_str(), CompareRow, loaded)) std::abort();
    TImage_Destroy(loaded);
    std::string bare = BenchPath("bare.jpg");
    if (!BareEncode(bare.c_str(), PhotoRgb().data())) std::abort();
    std::FILE* a = std::fopen(bare.c_str(), "rb");
    std::FILE* b = std::fopen(PhotoFile().c_str(), "rb");
    for (int ca = 0, cb = 0; ca != EOF || cb != EOF;)
        if ((ca = std::fgetc(a)) != (cb = std::fgetc(b))) std::abort();
    std::fclose(a);
    std::fclose(b);
}

static void BM_JpegLoad(benchmark::State& state) {
    const std::string& path = PhotoFile();
    for (auto _ : state) {
        TImage* image = TImage_Create(1, 1, 24, 0);
        if (JPEG_Load(image, path.c_str()) != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(image->FBits);
        TImage_Destroy(image);
    }
    SetRate(state);
}
BENCHMARK(BM_JpegLoad)->Unit(benchmark::kMillisecond);

static void BM_BareDecode(benchmark::State& state) {
    const std::string& path = PhotoFile();
    for (auto _ : state)
        if (!BareDecode(path.c_str(), nullptr, nullptr)) state.SkipWithError("decode failed");
    SetRate(state);
}
BENCHMARK(BM_BareDecode)->Unit(benchmark::kMillisecond);

// What any loader pays besides the codec: the bare decode with each row copied into a fresh
// picture's memory (of the kind images get), whose pages the kernel must back and clear.
static void CopyRow(const JSAMPLE* row, int32_t y, void* to) {
    std::memcpy(static_cast<uint8_t*>(to) + size_t(y) * KWidth * 3, row, size_t(KWidth) * 3);
}

static void BM_BareDecodeIntoNewMemory(benchmark::State& state) {
    const std::string& path = PhotoFile();
    for (auto _ : state) {
        void* pixels = PixelMemory_Alloc(size_t(KPixels) * 3);
        if (!BareDecode(path.c_str(), CopyRow, pixels)) state.SkipWithError("decode failed");
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
    SetRate(state);
}
BENCHMARK(BM_BareDecodeIntoNewMemory)->Unit(benchmark::kMillisecond);

static void BM_JpegSave(benchmark::State& state) {
    const TImage* image = Photo();
    std::string path = BenchPath("save.jpg");
    for (auto _ : state)
        if (JPEG_Save(image, path.c_str()) != 0) state.SkipWithError("save failed");
    SetRate(state);
}
BENCHMARK(BM_JpegSave)->Unit(benchmark::kMillisecond);

static void BM_BareEncode(benchmark::State& state) {
    const uint8_t* rgb = PhotoRgb().data();
    std::string path = BenchPath("bare.jpg");
    for (auto _ : state)
        if (!BareEncode(path.c_str(), rgb)) state.SkipWithError("encode failed");
    SetRate(state);
}
BENCHMARK(BM_BareEncode)->Unit(benchmark::kMillisecond);

// The yardstick of whole-picture passes: the picture's pixel bytes copied into fresh memory.
static void BM_Memcpy(benchmark::State& state) {
    const TImage* image = Photo();
    for (auto _ : state) {
        uint8_t* copy = static_cast<uint8_t*>(std::malloc(size_t(image->FSize)));
        std::memcpy(copy, image->FBits, size_t(image->FSize));
        benchmark::DoNotOptimize(copy);
        std::free(copy);
    }
    SetRate(state);
}
BENCHMARK(BM_Memcpy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CheckSameWork();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
