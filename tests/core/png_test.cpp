// PNG files: every stored format decoded as Pillow reads it (the table below was made by
// tests/data/png/make_files.py from Pillow's reading when the files were written), reduced
// previews, damaged and oversized files refused, files cut short, lossless round trips of
// both planes, and saves that fail anywhere leaving the old file.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/image.h"
#include "core/png.h"
#include "tests/support/save_sweep.h"
#include "tests/support/test_support.h"

namespace {

std::string PngFile(const char* name) {
    return TestDataDir() + "/png/" + name;
}

ImagePtr Load(const std::string& path, int* result) {
    ImagePtr image(TImage_Create(1, 1, 24, 0));
    *result = PNG_Load(image.get(), path.c_str());
    return image;
}

// Loads bytes through a memory stream, as a file would be read.
ImagePtr LoadBytes(const std::vector<uint8_t>& bytes, size_t size, int* result) {
    ImagePtr image(TImage_Create(1, 1, 24, 0));
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(bytes.data()), size ? size : 1, "rb");
    if (size == 0) std::fgetc(stream); // an empty stream: fmemopen takes no empty buffer
    *result = PNG_LoadStream(image.get(), stream);
    std::fclose(stream);
    return image;
}

ImagePtr RandomImage(int32_t w, int32_t h, uint32_t seed, bool allVisible) {
    ImagePtr image(TImage_Create(w, h, 24, TIF_HASMASK | TIF_BOTTOMUP));
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            TImage_SetPixelMasked(image.get(), x, y, rng() & 0xFFFFFF,
                                  allVisible || (rng() & 1) ? 0xFFFFFF : 0);
    return image;
}

struct TDecodeCase {
    const char* FName;
    const char* FDumpSha256;
};

const TDecodeCase KDecodeCases[] = {
    {"grey-alpha16.png", "d7938125f9b26dcbf464bbcbbb7b056e229af004529ddaf6c6b5ff98b575d3db"},
    {"grey-alpha8.png", "b6331c1899e013565262c1c9d6336ac5be1aa22b9b3407ed9a7e9ee2ca209dad"},
    {"grey1.png", "1ec82dd11d39b36623f13be7bc9863d81ec46f768cde3bdd6a9b6da54a2322a7"},
    {"grey16.png", "a6577bc9ccd7fad85b51a0a954f00448b0b11cd60681a760d9bf6ac158d0c6f4"},
    {"grey2.png", "f9b1b491b7b74a7d4bbb6b827e3b4496c03b0b3fc6c40c95e2f8853ca72afb47"},
    {"grey4.png", "51c42e4e429a14bfb689092202f475c795efc7b24789ca0623d3ba68e240713e"},
    {"grey8-trns.png", "535d043897af0d712ceda20ed1b918c1890257585a8731a893afc6591e4f4e73"},
    {"grey8.png", "8d663d1b799a97413790fb2bbcd22f78a56f0d16e36daee9457d637f42379c15"},
    {"palette2-interlaced.png", "af4dec18e4aff4492a96a7f54b6da0d43dcba2b8952e6ff3ff8630d26ec092c1"},
    {"palette4.png", "1739d724747b7eb855e65247d787e1b82b8f1ac683e33deb75bdab6f68944152"},
    {"palette8-trns.png", "f8b0a989652eb3278cc6664592421a59f32262454e816ec3e419d84215f9c475"},
    {"rgb16.png", "e6bbd68d97ff1dff2db8a801fc65d3cb7a148cb5c233c52b8395a2827025f67c"},
    {"rgb8-interlaced.png", "b2dfd93012e7a7e5917ae486e0a79b60d4f936cdfb1defeb221c8c9bf3dd00fb"},
    {"rgb8-trns.png", "fb57fcd98173318edf18cc9d3267bfe5c25093b3e3dfdca70e4f3464de5ca90d"},
    {"rgb8.png", "cc126edef5a414fbd7317e703a6707f4e845a7f9b1204cea4e46d2f70542c5d8"},
    {"rgba16.png", "78452bdf53aa5e4b6087998713b1737becc16f8b105302bf64509734b71a1852"},
    {"rgba8-interlaced.png", "1849ed195fbb38c4aa2769cab4b978b49ed8d55abb97e833d225a1d6f9fd221b"},
    {"rgba8.png", "8fea441e452540a42bc02f45b55b79ca9d4aa62dbbd45fcb0416791e583e6b0f"},
    {"stored-rgb8.png", "177343042e3ebafddfb11dac3b6084108a7c4b075d8ac10ca2bed4e24e395595"},
};

// The preview of a 13 x 11 file in a 4 x 3 box takes every third pixel of every third row.
TEST(PngLoad, EveryStoredFormatDecodesAsPillowReadsItAndPreviewsReduced) {
    for (const TDecodeCase& c : KDecodeCases) {
        SCOPED_TRACE(c.FName);
        int result = -1;
        ImagePtr image = Load(PngFile(c.FName), &result);
        ASSERT_EQ(result, 0);
        ASSERT_EQ(image->FWidth, 13);
        ASSERT_EQ(image->FHeight, 11);
        EXPECT_EQ(image->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
        EXPECT_EQ(Sha256Hex(PixelDump(image.get())), c.FDumpSha256);

        ImagePtr preview(TImage_Create(1, 1, 24, 0));
        const TRectXYWH box = {0, 0, 4, 3};
        ASSERT_EQ(TImage_LoadPreview(preview.get(), PngFile(c.FName).c_str(), &box), 0);
        ASSERT_EQ(preview->FWidth, 4);
        ASSERT_EQ(preview->FHeight, 3);
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < 4; ++x) {
                uint32_t want = 0, got = 0;
                const uint32_t wantMask = TImage_GetPixelMasked(image.get(), x * 3, y * 3, &want);
                ASSERT_EQ(TImage_GetPixelMasked(preview.get(), x, y, &got), wantMask);
                ASSERT_EQ(got, want) << x << "," << y;
            }
    }
}

TEST(PngLoad, DamagedMissingAndOversizedFilesAreRefusedWithTheirCodes) {
    const std::string empty = TestTempDir() + "/empty.png";
    WriteWholeFile(empty, {});
    const struct {
        std::string FPath;
        int FCode;
    } cases[] = {
        {PngFile("bad-crc.png"), EC_UNKNOWN_FORMAT},
        {PngFile("zero-width.png"), EC_UNKNOWN_FORMAT},
        {PngFile("over-limit.png"), EC_NO_MEMORY},
        {PngFile("make_files.py"), EC_UNKNOWN_FORMAT},
        {TestTempDir() + "/missing.png", EC_READ_FAILED},
        {empty, EC_READ_FAILED},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.FPath);
        int result = 0;
        ImagePtr image = Load(c.FPath, &result); // kept: destroying it clears the last error
        EXPECT_EQ(result, -1);
        EXPECT_EQ(GetLastErrorCode(), c.FCode);
    }
}

// Rows are stored uncompressed in this file, so each cut keeps the rows before it: those load
// as in the whole file, the rest black and visible; a cut before the first row fails cleanly.
TEST(PngLoad, EveryPrefixLoadsAsFarAsItGoesOrFailsCleanly) {
    const std::vector<uint8_t> bytes = ReadWholeFile(PngFile("stored-rgb8.png"));
    int result = -1;
    ImagePtr whole = LoadBytes(bytes, bytes.size(), &result);
    ASSERT_EQ(result, 0);
    int loaded = 0;
    for (size_t size = 0; size < bytes.size(); ++size) {
        ImagePtr image = LoadBytes(bytes, size, &result);
        if (result != 0) {
            ASSERT_EQ(result, -1);
            ASSERT_TRUE(GetLastErrorCode() == EC_READ_FAILED ||
                        GetLastErrorCode() == EC_UNKNOWN_FORMAT)
                << size;
            ASSERT_EQ(loaded, 0) << "a longer prefix must not fail where a shorter one loaded";
            continue;
        }
        ++loaded;
        ASSERT_EQ(image->FWidth, 13);
        bool black = false;
        for (int32_t y = 0; y < 11; ++y)
            for (int32_t x = 0; x < 13; ++x) {
                uint32_t colour = 0, want = 0;
                ASSERT_NE(TImage_GetPixelMasked(image.get(), x, y, &colour), 0u);
                TImage_GetPixelMasked(whole.get(), x, y, &want);
                if (x == 0) black = colour != want;
                ASSERT_EQ(colour, black ? 0u : want) << size << ": " << x << "," << y;
            }
    }
    EXPECT_GT(loaded, 300);
}

// Both planes come back bit for bit, transparent pixels keeping their colour; a picture
// without transparent pixels is stored as RGB, any other as RGBA.
TEST(PngSave, RoundTripKeepsColourAndMaskBitForBit) {
    const std::string path = TestTempDir() + "/round.png";
    for (int32_t w : {1, 2, 3, 5, 33})
        for (bool allVisible : {false, true}) {
            SCOPED_TRACE(std::to_string(w) + (allVisible ? " visible" : " masked"));
            ImagePtr image = RandomImage(w, 7, uint32_t(w), allVisible);
            ASSERT_EQ(TImage_SaveFile(image.get(), path.c_str()), 0);
            EXPECT_EQ(ReadWholeFile(path)[25], allVisible ? 2 : 6); // IHDR colour type
            int result = -1;
            ImagePtr back = Load(path, &result);
            ASSERT_EQ(result, 0);
            EXPECT_EQ(PixelDump(back.get()), PixelDump(image.get()));
        }
}

TEST(PngSave, EveryFailedWriteAndCommitStepLeavesTheOriginal) {
    const std::string dir = TestTempDir(), target = dir + "/keep.png";
    ImagePtr image = RandomImage(64, 48, 9, false);
    ASSERT_EQ(PNG_Save(image.get(), target.c_str()), 0);
    const size_t whole = ReadWholeFile(target).size();
    const std::vector<uint8_t> original = {'o', 'l', 'd'};
    WriteWholeFile(target, original);
    SweepFailedSaves(
        whole, [&] { return PNG_Save(image.get(), target.c_str()); },
        [&](const std::string& when) {
            EXPECT_EQ(GetLastErrorCode(), EC_WRITE_FAILED) << when;
            EXPECT_EQ(ReadWholeFile(target), original) << when;
            EXPECT_EQ(ListFolder(dir), std::vector<std::string>{"keep.png"}) << when;
        });
}

} // namespace
