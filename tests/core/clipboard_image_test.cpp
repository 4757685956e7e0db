// PNG and BMP pictures for and from other programs: round trips at odd widths, the PNG read
// back by libpng's own simplified reader, the BMP compared with BMP_Save's file, PNGs written
// here with alpha at the 128 threshold, broken and cut-short bytes, and the pixel limit.
#include <gtest/gtest.h>
#include <png.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/bmp.h"
#include "core/clipboard_image.h"
#include "core/error.h"
#include "core/image.h"
#include "tests/support/clip_block_guard.h"
#include "tests/support/test_support.h"

namespace {

ImagePtr RandomImage(int32_t w, int32_t h, uint32_t seed) {
    ImagePtr image(TImage_Create(w, h, 24, TIF_HASMASK | TIF_BOTTOMUP));
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            TImage_SetPixelMasked(image.get(), x, y, rng() & 0xFFFFFF, (rng() & 1) ? 0xFFFFFF : 0);
    return image;
}

// Decodes from a heap copy of exactly the bytes, so a read past them is caught by the address
// sanitizer; the last error survives the copy's release.
using Decoder = TImage* (*)(const uint8_t*, size_t);
ImagePtr Decode(Decoder decode, const std::vector<uint8_t>& bytes, int* code) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    ImagePtr image(decode(copy.get(), bytes.size()));
    *code = GetLastErrorCode();
    return image;
}

// Pixels as RGBA, top row first, through libpng's simplified writer: an independent PNG.
std::vector<uint8_t> WritePng(int32_t w, int32_t h, const std::vector<uint8_t>& rgba,
                              bool alpha = true) {
    png_image info = {};
    info.version = PNG_IMAGE_VERSION;
    info.width = uint32_t(w);
    info.height = uint32_t(h);
    info.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    std::vector<uint8_t> source;
    if (alpha) {
        source = rgba;
    } else {
        for (size_t i = 0; i < rgba.size(); i += 4)
            source.insert(source.end(), &rgba[i], &rgba[i] + 3);
    }
    png_alloc_size_t size = 0;
    EXPECT_TRUE(png_image_write_to_memory(&info, nullptr, &size, 0, source.data(), 0, nullptr));
    std::vector<uint8_t> out(size);
    EXPECT_TRUE(png_image_write_to_memory(&info, out.data(), &size, 0, source.data(), 0, nullptr));
    out.resize(size);
    return out;
}

// The PNG read back by libpng's simplified reader as RGBA, top row first.
std::vector<uint8_t> ReadPng(const std::vector<uint8_t>& png, uint32_t* w, uint32_t* h) {
    png_image info = {};
    info.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&info, png.data(), png.size())) return {};
    info.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(info));
    if (!png_image_finish_read(&info, nullptr, rgba.data(), 0, nullptr)) return {};
    *w = info.width, *h = info.height;
    return rgba;
}

bool WhollyVisible(const TImage* image) {
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x)
            if (!TImage_GetPixel(image->FMask, x, y)) return false;
    return true;
}

const int32_t KOddWidths[] = {1, 2, 3, 5, 33};

} // namespace

TEST(ClipImagePng, RoundTripGivesTheSameColoursAndMask) {
    for (int32_t w : KOddWidths)
        for (int32_t h : {1, 6}) {
            const uint32_t seed = uint32_t(w * 31 + h);
            SCOPED_TRACE("seed " + std::to_string(seed));
            ImagePtr image = RandomImage(w, h, seed);
            Block png;
            ASSERT_EQ(ClipImage_EncodePng(image.get(), &png.FBlock), 0);
            int code = -1;
            ImagePtr back = Decode(ClipImage_DecodePng, png.Bytes(), &code);
            ASSERT_TRUE(back) << "code " << code;
            EXPECT_EQ(code, EC_NONE);
            EXPECT_EQ(back->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
            EXPECT_EQ(PixelDump(back.get()), PixelDump(image.get()));
        }
}

TEST(ClipImagePng, IsEightBitRgbaWithAlpha255WhereVisibleAnd0WhereTransparent) {
    ImagePtr image = RandomImage(5, 3, 77);
    Block png;
    ASSERT_EQ(ClipImage_EncodePng(image.get(), &png.FBlock), 0);
    const std::vector<uint8_t> bytes = png.Bytes();
    ASSERT_GE(bytes.size(), 33u);
    EXPECT_EQ(bytes[24], 8); // sample depth
    EXPECT_EQ(bytes[25], 6); // colour type RGBA
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgba = ReadPng(bytes, &w, &h);
    ASSERT_EQ(w, 5u);
    ASSERT_EQ(h, 3u);
    for (int32_t y = 0; y < 3; ++y)
        for (int32_t x = 0; x < 5; ++x) {
            uint32_t colour = 0;
            const uint32_t mask = TImage_GetPixelMasked(image.get(), x, y, &colour);
            const uint8_t* p = &rgba[size_t(y * 5 + x) * 4];
            EXPECT_EQ(p[0], colour & 0xFF) << x << "," << y;
            EXPECT_EQ(p[1], (colour >> 8) & 0xFF);
            EXPECT_EQ(p[2], (colour >> 16) & 0xFF);
            EXPECT_EQ(p[3], mask ? 255 : 0);
        }
}

TEST(ClipImagePng, ImageWithoutMaskPlaneIsOpaque) {
    ImagePtr image(TImage_Create(2, 2, 24, TIF_BOTTOMUP));
    TImage_SetPixel(image.get(), 1, 0, 0x00FF00);
    Block png;
    ASSERT_EQ(ClipImage_EncodePng(image.get(), &png.FBlock), 0);
    uint32_t w = 0, h = 0;
    std::vector<uint8_t> rgba = ReadPng(png.Bytes(), &w, &h);
    ASSERT_EQ(rgba.size(), 16u);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(rgba[size_t(i) * 4 + 3], 255);
    EXPECT_EQ(rgba[5], 255); // green of (1, 0)
}

// libpng refuses to write pictures over a million pixels wide unless told otherwise.
TEST(ClipImagePng, PictureWiderThanAMillionPixelsRoundTrips) {
    ImagePtr image(TImage_Create(1000001, 1, 24, TIF_HASMASK | TIF_BOTTOMUP));
    TImage_SetPixelMasked(image.get(), 1000000, 0, 0xABCDEF, 0xFFFFFF);
    Block png;
    ASSERT_EQ(ClipImage_EncodePng(image.get(), &png.FBlock), 0);
    int code = 0;
    ImagePtr back = Decode(ClipImage_DecodePng, png.Bytes(), &code);
    ASSERT_TRUE(back) << "code " << code;
    uint32_t colour = 0;
    EXPECT_EQ(TImage_GetPixelMasked(back.get(), 1000000, 0, &colour), 0xFFFFFFu);
    EXPECT_EQ(colour, 0xABCDEFu);
    EXPECT_EQ(TImage_GetPixelMasked(back.get(), 999999, 0, &colour), 0u);
}

TEST(ClipImagePng, OtherProgramsPictureIsVisibleWhereAlphaIsAtLeast128) {
    const uint8_t alphas[] = {0, 127, 128, 255};
    std::vector<uint8_t> rgba;
    for (uint8_t a : alphas)
        rgba.insert(rgba.end(), {10, 20, 30, a});
    int code = 0;
    ImagePtr image = Decode(ClipImage_DecodePng, WritePng(4, 1, rgba), &code);
    ASSERT_TRUE(image) << "code " << code;
    const uint32_t expected[] = {0, 0, 0xFFFFFF, 0xFFFFFF};
    for (int32_t x = 0; x < 4; ++x) {
        uint32_t colour = 0;
        EXPECT_EQ(TImage_GetPixelMasked(image.get(), x, 0, &colour), expected[x]) << x;
        EXPECT_EQ(colour, 0x1E140Au) << x; // colour is kept under any alpha
    }
    // Without alpha every pixel is visible.
    image = Decode(ClipImage_DecodePng, WritePng(4, 1, rgba, false), &code);
    ASSERT_TRUE(image);
    for (int32_t x = 0; x < 4; ++x) {
        uint32_t colour = 0;
        EXPECT_EQ(TImage_GetPixelMasked(image.get(), x, 0, &colour), 0xFFFFFFu);
        EXPECT_EQ(colour, 0x1E140Au);
    }
}

TEST(ClipImagePng, BrokenOrCutShortBytesAreRefusedCleanly) {
    ImagePtr image = RandomImage(5, 4, 8);
    Block png;
    ASSERT_EQ(ClipImage_EncodePng(image.get(), &png.FBlock), 0);
    const std::vector<uint8_t> whole = png.Bytes();
    int code = 0;
    // Only the 12-byte end chunk may be missing: the pixels are all there and come back whole.
    for (size_t n = 0; n < whole.size(); ++n) {
        ImagePtr cut = Decode(ClipImage_DecodePng,
                              std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)), &code);
        if (n < whole.size() - 12) {
            EXPECT_FALSE(cut) << "cut at " << n;
            EXPECT_EQ(code, EC_UNKNOWN_FORMAT) << "cut at " << n;
        } else {
            ASSERT_TRUE(cut) << "cut at " << n;
            EXPECT_EQ(PixelDump(cut.get()), PixelDump(image.get()));
        }
    }
    std::vector<uint8_t> corrupt = whole;
    corrupt[40] ^= 0x55; // inside the image data: its CRC no longer matches
    EXPECT_FALSE(Decode(ClipImage_DecodePng, corrupt, &code));
    EXPECT_EQ(code, EC_UNKNOWN_FORMAT);
    EXPECT_FALSE(Decode(ClipImage_DecodePng, std::vector<uint8_t>(64, 0x89), &code));
    EXPECT_EQ(code, EC_UNKNOWN_FORMAT);
    EXPECT_EQ(ClipImage_DecodePng(nullptr, 10), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(ClipImagePng, PixelLimitAtTheLimitAndOnePast) {
    LimitGuard guard;
    ImagePtr image = RandomImage(33, 20, 4); // 2000 bytes of 24-bit pixels
    Block png;
    ASSERT_EQ(ClipImage_EncodePng(image.get(), &png.FBlock), 0);
    int code = 0;
    TImage_SetPixelLimit(2000);
    EXPECT_TRUE(Decode(ClipImage_DecodePng, png.Bytes(), &code)) << "code " << code;
    TImage_SetPixelLimit(1999);
    EXPECT_FALSE(Decode(ClipImage_DecodePng, png.Bytes(), &code));
    EXPECT_EQ(code, EC_NO_MEMORY);
}

TEST(ClipImageBmp, IsTheFileBmpSaveWrites) {
    ImagePtr image = RandomImage(5, 3, 21);
    Block bmp;
    ASSERT_EQ(ClipImage_EncodeBmp(image.get(), &bmp.FBlock), 0);
    const std::string path = TestTempDir() + "/saved.bmp";
    ASSERT_EQ(BMP_Save(image.get(), path.c_str()), 0);
    EXPECT_EQ(bmp.Bytes(), ReadWholeFile(path));
}

TEST(ClipImageBmp, IsAWholeBottomUpTwentyFourBitFile) {
    ImagePtr image = RandomImage(3, 2, 22);
    Block bmp;
    ASSERT_EQ(ClipImage_EncodeBmp(image.get(), &bmp.FBlock), 0);
    std::vector<uint8_t> expected;
    PutU16(expected, 0x4D42);
    PutU32(expected, 54 + 24);
    PutU32(expected, 0);
    PutU32(expected, 54);
    PutU32(expected, 40);
    PutU32(expected, 3);
    PutU32(expected, 2);
    PutU16(expected, 1);
    PutU16(expected, 24);
    PutU32(expected, 0);
    PutU32(expected, 24);
    expected.resize(54, 0);
    for (int32_t y = 1; y >= 0; --y) {
        for (int32_t x = 0; x < 3; ++x) {
            uint32_t c = TImage_GetPixel(image.get(), x, y);
            expected.insert(expected.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
        }
        expected.resize(expected.size() + 3, 0); // rows of 12 bytes
    }
    EXPECT_EQ(bmp.Bytes(), expected);
}

TEST(ClipImageBmp, RoundTripGivesTheSameColoursWhollyVisible) {
    for (int32_t w : KOddWidths) {
        SCOPED_TRACE("seed " + std::to_string(w));
        ImagePtr image = RandomImage(w, 4, uint32_t(w));
        Block bmp;
        ASSERT_EQ(ClipImage_EncodeBmp(image.get(), &bmp.FBlock), 0);
        int code = -1;
        ImagePtr back = Decode(ClipImage_DecodeBmp, bmp.Bytes(), &code);
        ASSERT_TRUE(back) << "code " << code;
        EXPECT_EQ(code, EC_NONE);
        EXPECT_EQ(back->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
        EXPECT_EQ(Colours(back.get()), Colours(image.get()));
        EXPECT_TRUE(WhollyVisible(back.get()));
    }
}

// Another program's 8-bit, top-down file: the same reader as for files expands the palette and
// turns the rows the right way up.
TEST(ClipImageBmp, OtherProgramsPalettedTopDownFileDecodes) {
    std::vector<uint8_t> b;
    PutU16(b, 0x4D42);
    PutU32(b, 14 + 40 + 8 + 8);
    PutU32(b, 0);
    PutU32(b, 14 + 40 + 8);
    PutU32(b, 40);
    PutU32(b, 2);
    PutU32(b, uint32_t(-2)); // top-down
    PutU16(b, 1);
    PutU16(b, 8);
    PutU32(b, 0);
    PutU32(b, 8);
    PutU32(b, 0), PutU32(b, 0), PutU32(b, 2), PutU32(b, 0); // two colours used
    PutU32(b, 0x000000FF);                                  // blue, green, red, 0: blue
    PutU32(b, 0x0000FF00);                                  // green
    b.insert(b.end(), {0, 1, 0, 0, 1, 1, 0, 0});            // top row: blue, green
    int code = 0;
    ImagePtr image = Decode(ClipImage_DecodeBmp, b, &code);
    ASSERT_TRUE(image) << "code " << code;
    EXPECT_EQ(Colours(image.get()),
              (std::vector<uint32_t>{0xFF0000, 0x00FF00, 0x00FF00, 0x00FF00}));
    EXPECT_TRUE(WhollyVisible(image.get()));
}

TEST(ClipImageBmp, EveryPrefixDecodesOrIsRefusedCleanly) {
    ImagePtr image = RandomImage(5, 3, 23);
    Block bmp;
    ASSERT_EQ(ClipImage_EncodeBmp(image.get(), &bmp.FBlock), 0);
    const std::vector<uint8_t> whole = bmp.Bytes();
    for (size_t n = 0; n < whole.size(); ++n) {
        int code = 0;
        ImagePtr cut = Decode(ClipImage_DecodeBmp,
                              std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)), &code);
        if (n < 54) {
            // Headers cut short: all the bytes were there, so the format is wrong.
            EXPECT_FALSE(cut) << "cut at " << n;
            EXPECT_EQ(code, EC_UNKNOWN_FORMAT) << "cut at " << n;
        } else {
            // Pixel data cut short loads as far as it goes, the rest black.
            ASSERT_TRUE(cut) << "cut at " << n;
            EXPECT_EQ(cut->FWidth, 5);
        }
    }
}

TEST(ClipImageBmp, RefusesWhatTheFileReaderRefuses) {
    ImagePtr image = RandomImage(3, 2, 24);
    Block bmp;
    ASSERT_EQ(ClipImage_EncodeBmp(image.get(), &bmp.FBlock), 0);
    const std::vector<uint8_t> valid = bmp.Bytes();
    struct Row {
        const char* FRule;
        size_t FAt;
        uint32_t FValue;
        int FCode;
    } rows[] = {
        {"not BM", 0, 0x4D43, EC_UNKNOWN_FORMAT},
        {"width 0", 18, 0, EC_UNKNOWN_FORMAT},
        {"width negative", 18, uint32_t(-3), EC_UNKNOWN_FORMAT},
        {"height 0", 22, 0, EC_UNKNOWN_FORMAT},
        {"header size 41", 14, 41, EC_UNKNOWN_FORMAT},
        {"run-length compression", 30, 1, EC_BMP_COMPRESSION},
        {"width over the pixel limit", 18, 0x7FFFFFFF, EC_NO_MEMORY},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.FRule);
        std::vector<uint8_t> bytes = valid;
        for (int i = 0; i < 4; ++i)
            bytes[row.FAt + size_t(i)] = uint8_t(row.FValue >> (8 * i));
        if (row.FAt == 0) bytes[2] = valid[2], bytes[3] = valid[3]; // only the 2-byte type
        int code = 0;
        EXPECT_FALSE(Decode(ClipImage_DecodeBmp, bytes, &code));
        EXPECT_EQ(code, row.FCode);
    }
    int code = 0;
    EXPECT_FALSE(Decode(ClipImage_DecodeBmp, {}, &code));
    EXPECT_EQ(code, EC_UNKNOWN_FORMAT);
    EXPECT_EQ(ClipImage_DecodeBmp(nullptr, 54), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(ClipImageBmp, PixelLimitAtTheLimitAndOnePast) {
    LimitGuard guard;
    ImagePtr image = RandomImage(33, 20, 25);
    Block bmp;
    ASSERT_EQ(ClipImage_EncodeBmp(image.get(), &bmp.FBlock), 0);
    int code = 0;
    TImage_SetPixelLimit(2000);
    EXPECT_TRUE(Decode(ClipImage_DecodeBmp, bmp.Bytes(), &code)) << "code " << code;
    TImage_SetPixelLimit(1999);
    EXPECT_FALSE(Decode(ClipImage_DecodeBmp, bmp.Bytes(), &code));
    EXPECT_EQ(code, EC_NO_MEMORY);
}

TEST(ClipImageEncode, RefusesMissingOrUnfitImagesAndLeavesTheBlockEmpty) {
    ImagePtr eightBit(TImage_Create(4, 4, 8, 0));
    const TImage* images[] = {nullptr, eightBit.get()};
    for (const TImage* image : images)
        for (auto encode : {ClipImage_EncodePng, ClipImage_EncodeBmp}) {
            TClipBlock block = {reinterpret_cast<uint8_t*>(&block), 5};
            EXPECT_EQ(encode(image, &block), -1);
            EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
            EXPECT_EQ(block.FData, nullptr);
        }
}
