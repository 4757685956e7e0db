// JPEG loading, saving and previews: the corpus files with their manifest outcomes, cut files,
// headers over the limits, files and pixels against the codec driven pixel by pixel, atomic
// saves failing at every byte and every commit step, and the preview's sampling.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <jpeglib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>

#include "core/error.h"
#include "core/image.h"
#include "core/jpeg.h"
#include "platform/save_file.h"
#include "tests/support/corpus.h"
#include "tests/support/save_sweep.h"
#include "tests/support/test_support.h"

using nlohmann::json;

namespace {

struct TImageHolder { // destroys the image whatever the test's outcome
    TImage* FImage = TImage_Create(1, 1, 24, 0);
    ~TImageHolder() { TImage_Destroy(FImage); }
};

// Restores the default pixel limit after a test that changes it.
struct TLimitGuard {
    uint64_t FSaved = TImage_GetPixelLimit();
    ~TLimitGuard() { TImage_SetPixelLimit(FSaved); }
};

std::string CorpusFile(const std::string& name) {
    return SharedDir() + "/corpus/jpeg/" + name;
}

void PutMarker(std::vector<uint8_t>& b, uint8_t marker, const std::vector<uint8_t>& body) {
    size_t length = body.size() + 2;
    b.insert(b.end(), {0xFF, marker, uint8_t(length >> 8), uint8_t(length)});
    b.insert(b.end(), body.begin(), body.end());
}

// A JPEG with every table it needs and no entropy data: the codec warns about the missing data
// and decodes a flat grey picture. Progressive files repeat the DC scan `scans` times.
std::vector<uint8_t> BlankJpeg(bool progressive, int width, int height, int components,
                               int scans = 1) {
    std::vector<uint8_t> b = {0xFF, 0xD8};
    std::vector<uint8_t> dqt(65, 1);
    dqt[0] = 0;
    PutMarker(b, 0xDB, dqt);
    std::vector<uint8_t> sof = {8,
                                uint8_t(height >> 8),
                                uint8_t(height),
                                uint8_t(width >> 8),
                                uint8_t(width),
                                uint8_t(components)};
    for (int c = 1; c <= components; ++c)
        sof.insert(sof.end(), {uint8_t(c), 0x11, 0});
    PutMarker(b, progressive ? 0xC2 : 0xC0, sof);
    for (uint8_t table : {0x00, 0x10}) { // one code of length 1: DC difference 0, AC end of block
        std::vector<uint8_t> dht(18, 0);
        dht[0] = table, dht[1] = 1;
        PutMarker(b, 0xC4, dht);
    }
    std::vector<uint8_t> sos = {uint8_t(components)};
    for (int c = 1; c <= components; ++c)
        sos.insert(sos.end(), {uint8_t(c), 0x00});
    sos.insert(sos.end(), {0, uint8_t(progressive ? 0 : 63), 0});
    for (int s = 0; s < scans; ++s) {
        PutMarker(b, 0xDA, sos);
        b.push_back(0x00);
    }
    b.insert(b.end(), {0xFF, 0xD9});
    return b;
}

// Marker codes up to the first scan.
std::vector<uint8_t> MarkersBeforeScan(const std::vector<uint8_t>& b) {
    std::vector<uint8_t> markers;
    for (size_t at = 2; at + 4 <= b.size() && b[at] == 0xFF;
         at += 2 + (b[at + 2] << 8 | b[at + 3])) {
        markers.push_back(b[at + 1]);
        if (b[at + 1] == 0xDA) break;
    }
    return markers;
}

// The codec driven directly, one pixel at a time from the colour values: the file the saver
// must write, byte for byte.
std::vector<uint8_t> ReferenceEncode(const TImage* image, const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(image->FWidth);
    info.image_height = JDIMENSION(image->FHeight);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 70, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> rgb(size_t(image->FWidth) * 3);
    for (int32_t y = 0; y < image->FHeight; ++y) {
        for (int32_t x = 0; x < image->FWidth; ++x) {
            uint32_t c = TImage_GetPixel(image, x, y);
            rgb[3 * x] = JSAMPLE(c);
            rgb[3 * x + 1] = JSAMPLE(c >> 8);
            rgb[3 * x + 2] = JSAMPLE(c >> 16);
        }
        JSAMPROW row = rgb.data();
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
    return ReadWholeFile(path);
}

// The colour values of a colour file decoded directly with the fast integer DCT, top row first:
// what the loader must place into its rows.
std::vector<uint32_t> ReferenceDecode(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    jpeg_decompress_struct info;
    jpeg_error_mgr err;
    info.err = jpeg_std_error(&err);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_IFAST;
    jpeg_start_decompress(&info);
    std::vector<JSAMPLE> rgb(size_t(info.output_width) * 3);
    std::vector<uint32_t> values;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb.data();
        jpeg_read_scanlines(&info, &row, 1);
        for (size_t x = 0; x < info.output_width; ++x)
            values.push_back(rgb[3 * x] | rgb[3 * x + 1] << 8 | rgb[3 * x + 2] << 16);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return values;
}

json JpegManifestCase(const std::string& id) {
    std::ifstream in(SharedDir() + "/corpus/manifest.json");
    json manifest = json::parse(in);
    for (const json& c : manifest.at("cases"))
        if (c.at("id") == id) return c;
    return json();
}

uint32_t Hex(const json& v) {
    return uint32_t(std::stoul(v.get<std::string>(), nullptr, 16));
}

// Empty when a load matches one manifest outcome, else why not.
std::string Mismatch(const TImage* image, int result, const json& outcome) {
    if (outcome.at("result") == "refuse")
        return result == -1 && GetLastErrorCode() != 0 ? "" : "expected a refusal";
    if (result != 0) return "refused with code " + std::to_string(GetLastErrorCode());
    if (image->FWidth != outcome.at("width") || image->FHeight != outcome.at("height"))
        return "size " + std::to_string(image->FWidth) + "x" + std::to_string(image->FHeight);
    if (image->FBitsPerPixel != 24 || image->FFlags != (TIF_HASMASK | TIF_BOTTOMUP))
        return "not a 24-bit bottom-up image with a mask";
    const int32_t xs[4] = {0, image->FWidth - 1, 0, image->FWidth - 1};
    const int32_t ys[4] = {0, 0, image->FHeight - 1, image->FHeight - 1};
    const char* names[4] = {"top_left", "top_right", "bottom_left", "bottom_right"};
    for (int i = 0; outcome.contains("approx_corners") && i < 4; ++i) {
        uint32_t got = TImage_GetPixel(image, xs[i], ys[i]);
        uint32_t want = Hex(outcome["approx_corners"][names[i]]["color"]);
        for (int shift = 0; shift < 24; shift += 8)
            if (std::abs(int(got >> shift & 255) - int(want >> shift & 255)) >
                outcome.at("approx_tolerance").get<int>())
                return std::string("corner ") + names[i] + " far from the source colour";
    }
    for (int32_t y = 0; outcome.value("equal_channels", false) && y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x) {
            uint32_t c = TImage_GetPixel(image, x, y);
            if ((c & 255) != (c >> 8 & 255) || (c & 255) != (c >> 16)) return "channels differ";
        }
    const json& ref = outcome.at("reference");
    for (int i = 0; i < 4; ++i)
        if (TImage_GetPixel(image, xs[i], ys[i]) != Hex(ref["corners"][names[i]]["color"]))
            return std::string("corner ") + names[i] + " differs from the reference decode";
    if (Sha256Hex(PixelDump(image)) != ref.at("dump_sha256")) return "dump differs from reference";
    return "";
}

} // namespace

TEST(JpegCorpus, EveryFileGivesOneOfItsOutcomes) {
    std::vector<TCorpusCase> cases = CorpusCases("jpeg");
    ASSERT_GE(cases.size(), 15u);
    for (const TCorpusCase& c : cases) {
        TImageHolder holder;
        int result = JPEG_Load(holder.FImage, c.FPath.c_str());
        const json check = JpegManifestCase(c.FId).at("checks").at(0);
        std::string why;
        for (const json& outcome : check.at("outcomes")) {
            why = Mismatch(holder.FImage, result, outcome);
            if (why.empty() || check.at("status") == "exact") break;
        }
        EXPECT_EQ(why, "") << c.FId;
    }
}

TEST(JpegLoad, FirstScanlineGoesToTheLastMemoryRowAndMaskIsVisible) {
    TImageHolder holder;
    TImage* image = holder.FImage;
    ASSERT_EQ(JPEG_Load(image, CorpusFile("jpeg-colour-pil-444-48x32.jpg").c_str()), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    // Red 200, green 40, blue 40 in the source's top left: blue first in memory.
    const uint8_t* top = image->FBits + size_t(image->FStride) * 31;
    EXPECT_NEAR(top[0], 40, 24);
    EXPECT_NEAR(top[2], 200, 24);
    for (int32_t i = 0; i < image->FMask->FSize; ++i)
        ASSERT_EQ(image->FMask->FBits[i], 0xFF);
}

TEST(JpegLoad, EveryPrefixLoadsOrFailsCleanlyAndHeaderCutsFail) {
    std::vector<uint8_t> whole = ReadWholeFile(CorpusFile("jpeg-colour-im-444-32x32.jpg"));
    ASSERT_EQ(whole.size(), 329u);
    size_t scan = 0; // offset of the start-of-scan marker
    while (scan + 1 < whole.size() && !(whole[scan] == 0xFF && whole[scan + 1] == 0xDA))
        ++scan;
    std::string path = TestTempDir() + "/cut.jpg";
    for (size_t n = 0; n < whole.size(); ++n) {
        WriteWholeFile(path, std::vector<uint8_t>(whole.begin(), whole.begin() + n));
        TImageHolder holder;
        int result = JPEG_Load(holder.FImage, path.c_str());
        if (n <= scan) {
            EXPECT_EQ(result, -1) << "cut at " << n;
        }
        if (result == 0) {
            EXPECT_EQ(holder.FImage->FWidth, 32) << "cut at " << n;
            EXPECT_EQ(holder.FImage->FHeight, 32) << "cut at " << n;
        } else {
            EXPECT_EQ(result, -1) << "cut at " << n;
            EXPECT_NE(GetLastErrorCode(), EC_NONE) << "cut at " << n;
        }
    }
}

TEST(JpegLoad, RefusesMissingArgumentsAndFiles) {
    TImageHolder holder;
    EXPECT_EQ(JPEG_Load(nullptr, "x.jpg"), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(JPEG_Load(holder.FImage, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(JPEG_Load(holder.FImage, (TestTempDir() + "/none.jpg").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
}

// Headers built in memory, one row per limit: the picture's pixel memory against the pixel
// limit, and the progressive coefficient buffer (6 bytes a pixel at 4:4:4) against the codec's
// memory budget, which is the same limit.
TEST(JpegLoad, HeadersOverTheLimitsAreRefusedBeforeDecoding) {
    struct Row {
        const char* what;
        bool progressive;
        int width, height, components;
        uint64_t limit;
        int code; // EC_NONE: loads
    } rows[] = {
        {"colour at the pixel limit", false, 100, 50, 3, 300 * 50, EC_NONE},
        {"colour one past the pixel limit", false, 100, 50, 3, 300 * 50 - 1, EC_NO_MEMORY},
        {"gray rows padded to 100 bytes, at the limit", false, 33, 9, 1, 100 * 9, EC_NONE},
        {"gray one past", false, 33, 9, 1, 100 * 9 - 1, EC_NO_MEMORY},
        {"largest header the format allows", false, 65500, 65500, 3, 1u << 30, EC_NO_MEMORY},
        {"progressive, small", true, 64, 48, 3, 1u << 30, EC_NONE},
        {"progressive coefficients at twice the picture", true, 800, 800, 3, 1920000, EC_NO_MEMORY},
        {"progressive picture fits 1 GiB, coefficients 1.9 GB", true, 18000, 18000, 3, 1u << 30,
         EC_NO_MEMORY},
    };
    std::string path = TestTempDir() + "/header.jpg";
    for (const Row& row : rows) {
        TLimitGuard guard;
        TImage_SetPixelLimit(row.limit);
        WriteWholeFile(path, BlankJpeg(row.progressive, row.width, row.height, row.components));
        rusage before, after;
        getrusage(RUSAGE_SELF, &before);
        TImageHolder holder;
        int result = JPEG_Load(holder.FImage, path.c_str());
        getrusage(RUSAGE_SELF, &after);
        EXPECT_EQ(result, row.code == EC_NONE ? 0 : -1) << row.what;
        EXPECT_EQ(GetLastErrorCode(), row.code) << row.what;
        EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << row.what << " (KiB)";
        TRectXYWH box = {0, 0, 16, 16};
        EXPECT_EQ(JPEG_LoadPreview(holder.FImage, path.c_str(), &box), result) << row.what;
    }
}

TEST(JpegLoad, ScansAreLimitedTo500) {
    std::string path = TestTempDir() + "/scans.jpg";
    TImageHolder holder;
    WriteWholeFile(path, BlankJpeg(true, 8, 8, 1, 500));
    EXPECT_EQ(JPEG_Load(holder.FImage, path.c_str()), 0);
    WriteWholeFile(path, BlankJpeg(true, 8, 8, 1, 501));
    EXPECT_EQ(JPEG_Load(holder.FImage, path.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
}

TEST(JpegSave, RoundTripsAsBaselineQuality70) {
    std::string path = TestTempDir() + "/out.jpg";
    for (TPoint size : {TPoint{1, 1}, TPoint{16, 16}, TPoint{17, 3}}) {
        // A flat colour (red 200, green 10, blue 20) so the decoded pixels stay near it.
        TImage* image = TImage_Create(size.x, size.y, 24, TIF_HASMASK | TIF_BOTTOMUP);
        for (int32_t y = 0; y < size.y; ++y)
            for (int32_t x = 0; x < size.x; ++x)
                TImage_SetPixel(image, x, y, 0x140AC8);
        ASSERT_EQ(JPEG_Save(image, path.c_str()), 0);
        EXPECT_EQ(GetLastErrorCode(), EC_NONE);
        TImage_Destroy(image);

        std::vector<uint8_t> bytes = ReadWholeFile(path);
        std::vector<uint8_t> markers = MarkersBeforeScan(bytes);
        EXPECT_NE(std::find(markers.begin(), markers.end(), 0xC0), markers.end());
        EXPECT_EQ(std::find(markers.begin(), markers.end(), 0xC2), markers.end());
        // Both quantisation tables start with the quality-70 scaling of 16 and 17: 10.
        size_t dqt = 0;
        for (size_t i = 0; i + 5 < bytes.size(); ++i)
            if (bytes[i] == 0xFF && bytes[i + 1] == 0xDB) {
                EXPECT_EQ(bytes[i + 5], 10);
                ++dqt;
            }
        EXPECT_EQ(dqt, 2u);

        TImageHolder back;
        ASSERT_EQ(JPEG_Load(back.FImage, path.c_str()), 0);
        ASSERT_EQ(back.FImage->FWidth, size.x);
        ASSERT_EQ(back.FImage->FHeight, size.y);
        uint32_t c = TImage_GetPixel(back.FImage, size.x - 1, size.y - 1);
        EXPECT_NEAR(int(c & 255), 200, 12);
        EXPECT_NEAR(int(c >> 8 & 255), 10, 12);
        EXPECT_NEAR(int(c >> 16), 20, 12);
    }
}

TEST(JpegSave, FailedSaveLeavesTargetAndNoTemporaryFile) {
    std::string dir = TestTempDir();
    std::string target = dir + "/doc.jpg";
    std::vector<uint8_t> old = {'o', 'l', 'd'};
    WriteWholeFile(target, old);
    WriteWholeFile(dir + "/plain", old);
    TImage* image = TImage_Create(8, 8, 24, TIF_HASMASK | TIF_BOTTOMUP);
    TImage* wide = TImage_Create(65501, 1, 24, TIF_BOTTOMUP); // past the format's 65500

    EXPECT_EQ(JPEG_Save(image, (dir + "/plain/doc.jpg").c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
    TSaveFile_InjectFault(TSF_RENAME);
    EXPECT_EQ(JPEG_Save(image, target.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED);
    EXPECT_EQ(JPEG_Save(wide, target.c_str()), -1); // the encoder's error, trapped
    EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED);

    EXPECT_EQ(ReadWholeFile(target), old);
    std::vector<std::string> names = ListFolder(dir);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"doc.jpg", "plain"}));
    TImage_Destroy(wide);
    TImage_Destroy(image);
}

// Rows are turned between the image's blue, green, red and the codec's red, green, blue many
// pixels at a time; every width around those groups, and heights past the loader's batches of
// rows, must give exactly what the codec gives pixel by pixel. Random padding bytes must not
// reach the file.
TEST(JpegSave, FileAndLoadedPixelsMatchTheCodecDrivenPixelByPixel) {
    const uint32_t seed = 23;
    std::mt19937 random(seed);
    const std::string dir = TestTempDir(), ours = dir + "/ours.jpg", ref = dir + "/ref.jpg";
    for (int32_t width : {1, 2, 15, 16, 17, 31, 32, 33, 47, 48, 49, 100}) {
        const int32_t height = width % 2 ? 37 : 16;
        SCOPED_TRACE("width " + std::to_string(width) + " seed " + std::to_string(seed));
        TImage* image = TImage_Create(width, height, 24, TIF_HASMASK | TIF_BOTTOMUP);
        for (int32_t i = 0; i < image->FSize; ++i)
            image->FBits[i] = uint8_t(random());
        ASSERT_EQ(JPEG_Save(image, ours.c_str()), 0);
        EXPECT_EQ(ReadWholeFile(ours), ReferenceEncode(image, ref));
        TImage_Destroy(image);

        TImageHolder back;
        ASSERT_EQ(JPEG_Load(back.FImage, ours.c_str()), 0);
        const std::vector<uint32_t> want = ReferenceDecode(ours);
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x)
                ASSERT_EQ(TImage_GetPixel(back.FImage, x, y), want[size_t(y) * width + x])
                    << x << "," << y;
    }
}

// A save that fails anywhere, inside the encoder's writes or in any step of the commit, keeps
// the old file byte for byte and leaves nothing else in its folder. The picture is noisy enough
// for its file to pass the codec's 4 KiB output buffer, so a write fails both in the middle of
// the encoding and in the final flush.
class JpegSaveFailure : public testing::Test {
  protected:
    void SetUp() override {
        dir = TestTempDir();
        target = dir + "/keep.jpg";
        const uint32_t seed = 11;
        std::mt19937 random(seed);
        image = TImage_Create(96, 80, 24, TIF_HASMASK | TIF_BOTTOMUP);
        for (int32_t i = 0; i < image->FSize; ++i)
            image->FBits[i] = uint8_t(random());
        // The size of the file a save writes, then the old file it must not harm.
        ASSERT_EQ(JPEG_Save(image, target.c_str()), 0);
        whole = ReadWholeFile(target).size();
        original = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
        WriteWholeFile(target, original);
    }
    void TearDown() override { TImage_Destroy(image); }
    void ExpectUntouched(const std::string& when) {
        EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED) << when;
        EXPECT_EQ(ReadWholeFile(target), original) << when;
        EXPECT_EQ(ListFolder(dir), std::vector<std::string>{"keep.jpg"})
            << when << ": a temporary file was left behind";
    }
    std::string dir, target;
    std::vector<uint8_t> original;
    size_t whole = 0; // bytes of the complete file
    TImage* image = nullptr;
};

// The file is larger than the codec's 4 KiB output buffer, so writes fail both while encoding
// and in the final flush.
TEST_F(JpegSaveFailure, EveryFailedWriteAndCommitStepLeavesTheOriginal) {
    ASSERT_GT(whole, 4096u);
    SweepFailedSaves(
        whole, [&] { return JPEG_Save(image, target.c_str()); },
        [&](const std::string& when) { ExpectUntouched(when); });
    ASSERT_EQ(JPEG_Save(image, target.c_str()), 0); // each fault was spent once
    EXPECT_EQ(ReadWholeFile(target).size(), whole);
}

TEST(JpegSave, RefusesMissingArgumentsAndOtherDepths) {
    std::string path = TestTempDir() + "/x.jpg";
    TImage* gray = TImage_Create(4, 4, 8, 0);
    EXPECT_EQ(JPEG_Save(nullptr, path.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(JPEG_Save(gray, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(JPEG_Save(gray, path.c_str()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    EXPECT_FALSE(FileExists(path));
    TImage_Destroy(gray);
}

// Preview pixel (px, py) is the loaded picture's pixel (px * h, last scanline of group py),
// black past the picture; the padding of each row stays untouched.
TEST(JpegPreview, SamplesTheLoadedPictureAndWritesOnlyItsRows) {
    const char* files[] = {"jpeg-colour-pil-420-48x32.jpg", "jpeg-colour-pil-422-33x17.jpg",
                           "jpeg-gray-cjpeg-17x9.jpg", "jpeg-cmyk-im-48x32.jpg",
                           "jpeg-progressive-im-40x24.jpg"};
    const TRectXYWH boxes[] = {{0, 0, 10, 7}, {0, 0, 5, 3},  {0, 0, 1, 1},    {0, 0, 48, 1},
                               {0, 0, 1, 32}, {0, 0, 7, 50}, {0, 0, 100, 80}, {3, 9, 33, 17}};
    for (const char* file : files) {
        std::string path = CorpusFile(file);
        TImageHolder full, preview;
        ASSERT_EQ(JPEG_Load(full.FImage, path.c_str()), 0) << file;
        const int32_t w = full.FImage->FWidth, h = full.FImage->FHeight;
        for (const TRectXYWH& box : boxes) {
            SCOPED_TRACE(std::string(file) + " box " + std::to_string(box.width) + "x" +
                         std::to_string(box.height));
            TImage* p = preview.FImage;
            ASSERT_EQ(JPEG_LoadPreview(p, path.c_str(), &box), 0);
            ASSERT_EQ(p->FWidth, box.width);
            ASSERT_EQ(p->FHeight, box.height);
            EXPECT_EQ(p->FBitsPerPixel, 24);
            EXPECT_EQ(p->FFlags, uint32_t(TIF_BOTTOMUP));
            const int32_t hs = std::max(1, w / box.width), vs = std::max(1, h / box.height);
            for (int32_t py = 0; py < box.height; ++py) {
                for (int32_t px = 0; px < box.width; ++px) {
                    int32_t sx = px * hs, sy = std::min((py + 1) * vs, h) - 1;
                    uint32_t want =
                        sx < w && py * vs < h ? TImage_GetPixel(full.FImage, sx, sy) : 0;
                    ASSERT_EQ(TImage_GetPixel(p, px, py), want) << px << "," << py;
                }
                const uint8_t* row = TImage_GetRow(p, py);
                for (int32_t i = box.width * 3; i < p->FStride; ++i)
                    ASSERT_EQ(row[i], 0);
            }
        }
    }
}

TEST(JpegPreview, RefusesMissingOrEmptyBoxesAndBrokenFiles) {
    TImageHolder holder;
    std::string path = CorpusFile("jpeg-colour-im-1x1.jpg");
    TRectXYWH box = {0, 0, 0, 4};
    EXPECT_EQ(JPEG_LoadPreview(holder.FImage, path.c_str(), nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(JPEG_LoadPreview(holder.FImage, path.c_str(), &box), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_EMPTY_AREA);
    box.width = 4;
    EXPECT_EQ(JPEG_LoadPreview(holder.FImage, CorpusFile("jpeg-broken-empty.jpg").c_str(), &box),
              -1);
    EXPECT_EQ(GetLastErrorCode(), EC_READ_FAILED);
    EXPECT_EQ(
        JPEG_LoadPreview(holder.FImage, CorpusFile("jpeg-broken-bmp-named-jpg.jpg").c_str(), &box),
        -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
}

// The stream forms read a file held in memory as the named forms read it from the disk, every
// corpus file whole and as a preview.
TEST(JpegStream, ReadsAsTheNamedFormsDo) {
    std::vector<TCorpusCase> cases = CorpusCases("jpeg");
    ASSERT_GE(cases.size(), 15u);
    const TRectXYWH box = {0, 0, 7, 5};
    for (const TCorpusCase& c : cases) {
        SCOPED_TRACE(c.FId);
        std::vector<uint8_t> bytes = ReadWholeFile(c.FPath);
        for (bool preview : {false, true}) {
            TImageHolder fromFile, fromStream;
            int result = preview ? JPEG_LoadPreview(fromFile.FImage, c.FPath.c_str(), &box)
                                 : JPEG_Load(fromFile.FImage, c.FPath.c_str());
            int code = GetLastErrorCode();
            std::FILE* stream = fmemopen(bytes.data(), bytes.size(), "rb");
            ASSERT_NE(stream, nullptr);
            EXPECT_EQ(preview ? JPEG_LoadPreviewStream(fromStream.FImage, stream, &box)
                              : JPEG_LoadStream(fromStream.FImage, stream),
                      result);
            EXPECT_EQ(GetLastErrorCode(), code);
            std::fclose(stream);
            if (result == 0) {
                EXPECT_EQ(PixelDump(fromStream.FImage), PixelDump(fromFile.FImage)) << preview;
            }
        }
    }
    TImageHolder holder;
    EXPECT_EQ(JPEG_LoadStream(holder.FImage, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}
