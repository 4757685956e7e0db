// The private clipboard block and the device-independent bitmap: their layout against a
// per-pixel builder written here, round trips at odd widths, one broken rule per table row,
// every prefix of a valid block, and the pixel limit at the limit and one past it.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/clipboard_block.h"
#include "core/error.h"
#include "core/image.h"
#include "tests/support/clip_block_guard.h"
#include "tests/support/test_support.h"

namespace {

// A 24-bit image with random colours and a random mask, bottom-up unless told otherwise.
ImagePtr RandomImage(int32_t w, int32_t h, uint32_t seed, uint32_t flags = TIF_BOTTOMUP) {
    ImagePtr image(TImage_Create(w, h, 24, TIF_HASMASK | flags));
    std::mt19937 rng(seed);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            TImage_SetPixelMasked(image.get(), x, y, rng() & 0xFFFFFF, (rng() & 1) ? 0xFFFFFF : 0);
    return image;
}

std::vector<uint8_t> Hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size();) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(uint8_t(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return bytes;
}

void PutHeader(std::vector<uint8_t>& b, int32_t w, int32_t h, int bits, uint32_t size) {
    PutU32(b, 40);
    PutU32(b, uint32_t(w));
    PutU32(b, uint32_t(h));
    PutU16(b, 1);
    PutU16(b, uint16_t(bits));
    PutU32(b, 0);
    PutU32(b, size);
    b.resize(b.size() + 16 + 4, 0);
}

// The private block as the layout says, built pixel by pixel from the picture.
std::vector<uint8_t> ReferenceBlock(const TImage* image, bool withMask = true) {
    const int32_t w = image->FWidth, h = image->FHeight;
    const uint32_t colourStride = (uint32_t(w) * 24 + 31) / 32 * 4;
    const uint32_t maskStride = (uint32_t(w) + 31) / 32 * 4;
    std::vector<uint8_t> b;
    PutHeader(b, w, h, 24, colourStride * uint32_t(h));
    for (int32_t y = h - 1; y >= 0; --y) {
        size_t start = b.size();
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = TImage_GetPixel(image, x, y);
            b.push_back(uint8_t(c >> 16)), b.push_back(uint8_t(c >> 8)), b.push_back(uint8_t(c));
        }
        b.resize(start + colourStride, 0);
    }
    PutHeader(b, w, h, 1, maskStride * uint32_t(h));
    for (int32_t y = h - 1; y >= 0; --y) {
        std::vector<uint8_t> row(maskStride, withMask ? 0 : 0xFF);
        for (int32_t x = 0; withMask && x < w; ++x)
            if (TImage_GetPixel(image->FMask, x, y)) row[size_t(x) / 8] |= uint8_t(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

// Parses bytes from a heap copy of exactly their size, so reading one byte past them is caught
// by the address sanitizer. The last error is kept past the image's destruction.
ImagePtr Parse(const std::vector<uint8_t>& bytes, int* code) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    ImagePtr image(ClipBlock_ParsePrivate(copy.get(), bytes.size()));
    *code = GetLastErrorCode();
    return image;
}

void SetU32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + size_t(i)] = uint8_t(v >> (8 * i));
}
void SetU16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
    b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8);
}

const int32_t KOddWidths[] = {1, 2, 3, 5, 33};

} // namespace

// A 1 x 1 visible red pixel: colour header, B G R and one padding byte, mask header, the
// pixel's bit at the top of the first mask byte.
TEST(ClipBlockMakePrivate, OnePixelBlockIsByteForByteTheLayout) {
    const std::vector<uint8_t> expected =
        Hex("28000000 01000000 01000000 0100 1800 00000000 04000000 " // colour header
            "00000000 00000000 00000000 00000000 00000000 "           // unused fields, 4 zeros
            "0000ff00 "                                               // the pixel, padded
            "28000000 01000000 01000000 0100 0100 00000000 04000000 " // mask header
            "00000000 00000000 00000000 00000000 00000000 "
            "80000000");
    ImagePtr image(TImage_Create(1, 1, 24, TIF_HASMASK | TIF_BOTTOMUP));
    TImage_SetPixelMasked(image.get(), 0, 0, 0x0000FF, 0xFFFFFF);
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
    EXPECT_EQ(block.Bytes(), expected);
}

TEST(ClipBlockMakePrivate, LayoutMatchesThePixelByPixelBuilder) {
    for (int32_t w : KOddWidths)
        for (int32_t h : {1, 4}) {
            const uint32_t seed = uint32_t(w * 100 + h);
            SCOPED_TRACE("seed " + std::to_string(seed));
            ImagePtr image = RandomImage(w, h, seed);
            Block block;
            ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
            EXPECT_EQ(block.FBlock.FSize, size_t(image->FSize + image->FMask->FSize + 88));
            EXPECT_EQ(block.Bytes(), ReferenceBlock(image.get()));
            EXPECT_EQ(GetLastErrorCode(), EC_NONE);
        }
}

TEST(ClipBlockMakePrivate, TopDownImageGivesTheSameBottomUpBlock) {
    ImagePtr bottomUp = RandomImage(5, 3, 7), topDown = RandomImage(5, 3, 7, 0);
    Block a, b;
    ASSERT_EQ(ClipBlock_MakePrivate(bottomUp.get(), &a.FBlock), 0);
    ASSERT_EQ(ClipBlock_MakePrivate(topDown.get(), &b.FBlock), 0);
    EXPECT_EQ(a.Bytes(), b.Bytes());
}

TEST(ClipBlockMakePrivate, ImageWithoutMaskPlaneIsWhollyVisible) {
    ImagePtr image(TImage_Create(3, 2, 24, TIF_BOTTOMUP));
    TImage_SetPixel(image.get(), 2, 1, 0x123456);
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
    EXPECT_EQ(block.Bytes(), ReferenceBlock(image.get(), false));
}

TEST(ClipBlockMakeDib, IsColourHeaderRowsAndFourZeroBytes) {
    for (int32_t w : KOddWidths) {
        SCOPED_TRACE("seed " + std::to_string(w));
        ImagePtr image = RandomImage(w, 3, uint32_t(w));
        Block dib, priv;
        ASSERT_EQ(ClipBlock_MakeDib(image.get(), &dib.FBlock), 0);
        ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &priv.FBlock), 0);
        const size_t colour = size_t(image->FSize);
        ASSERT_EQ(dib.FBlock.FSize, colour + 44);
        std::vector<uint8_t> d = dib.Bytes(), p = priv.Bytes();
        EXPECT_TRUE(std::equal(d.begin(), d.begin() + 40, p.begin())); // the header's 40 bytes
        EXPECT_TRUE(std::equal(d.begin() + 40, d.begin() + 40 + long(colour), p.begin() + 44));
        EXPECT_EQ(std::vector<uint8_t>(d.end() - 4, d.end()), std::vector<uint8_t>(4, 0));
    }
}

TEST(ClipBlockMake, RefusesMissingOrUnfitImagesAndLeavesTheBlockEmpty) {
    ImagePtr eightBit(TImage_Create(4, 4, 8, 0));
    ImagePtr noPixels(TImage_Create(4, 4, 24, TIF_HASMASK));
    std::free(noPixels->FBits);
    noPixels->FBits = nullptr;
    const TImage* images[] = {nullptr, eightBit.get(), noPixels.get()};
    for (const TImage* image : images) {
        for (auto make : {ClipBlock_MakePrivate, ClipBlock_MakeDib}) {
            TClipBlock block = {reinterpret_cast<uint8_t*>(&block), 99};
            EXPECT_EQ(make(image, &block), -1);
            EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
            EXPECT_EQ(block.FData, nullptr);
            EXPECT_EQ(block.FSize, 0u);
        }
    }
    ImagePtr good = RandomImage(2, 2, 1);
    EXPECT_EQ(ClipBlock_MakePrivate(good.get(), nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(ClipBlockParse, RoundTripGivesTheSameColourAndMaskBits) {
    for (int32_t w : KOddWidths)
        for (int32_t h : {1, 2, 7}) {
            const uint32_t seed = uint32_t(1000 + w * 10 + h);
            SCOPED_TRACE("seed " + std::to_string(seed));
            ImagePtr image = RandomImage(w, h, seed);
            Block block;
            ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
            int code = -1;
            ImagePtr back = Parse(block.Bytes(), &code);
            ASSERT_TRUE(back) << "code " << code;
            EXPECT_EQ(code, EC_NONE);
            EXPECT_EQ(back->FBitsPerPixel, 24);
            EXPECT_EQ(back->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
            EXPECT_EQ(PixelDump(back.get()), PixelDump(image.get()));
            // The stored bytes themselves, padding included, come back.
            EXPECT_EQ(std::memcmp(back->FBits, image->FBits, size_t(image->FSize)), 0);
            EXPECT_EQ(
                std::memcmp(back->FMask->FBits, image->FMask->FBits, size_t(image->FMask->FSize)),
                0);
        }
}

// A valid 3 x 2 block: colour stride 12, C = 24; mask stride 4, M = 8; 120 bytes. The mask
// header starts at 68. Each row breaks one rule.
TEST(ClipBlockParse, RefusesEveryBrokenRule) {
    ImagePtr image = RandomImage(3, 2, 42);
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
    const std::vector<uint8_t> valid = block.Bytes();
    ASSERT_EQ(valid.size(), 120u);
    const size_t m = 68; // mask header
    using Edit = std::function<void(std::vector<uint8_t>&)>;
    struct Row {
        const char* FRule;
        Edit FEdit;
    };
    const Row rows[] = {
        {"colour header size 39", [](auto& b) { SetU32(b, 0, 39); }},
        {"colour header size 124", [](auto& b) { SetU32(b, 0, 124); }},
        {"width 0", [](auto& b) { SetU32(b, 4, 0); }},
        {"width negative", [](auto& b) { SetU32(b, 4, uint32_t(-3)); }},
        {"height 0", [](auto& b) { SetU32(b, 8, 0); }},
        {"height negative (top-down)", [](auto& b) { SetU32(b, 8, uint32_t(-2)); }},
        {"planes 0", [](auto& b) { SetU16(b, 12, 0); }},
        {"planes 2", [](auto& b) { SetU16(b, 12, 2); }},
        {"colour bit count 32", [](auto& b) { SetU16(b, 14, 32); }},
        {"colour bit count 1", [](auto& b) { SetU16(b, 14, 1); }},
        {"colour compressed", [](auto& b) { SetU32(b, 16, 1); }},
        {"colour image size 0", [](auto& b) { SetU32(b, 20, 0); }},
        {"colour image size one short", [](auto& b) { SetU32(b, 20, 23); }},
        {"colour image size one more", [](auto& b) { SetU32(b, 20, 25); }},
        {"colour image size 0xFFFFFFFF", [](auto& b) { SetU32(b, 20, 0xFFFFFFFF); }},
        {"mask header size 0", [=](auto& b) { SetU32(b, m, 0); }},
        {"mask width differs", [=](auto& b) { SetU32(b, m + 4, 4), SetU32(b, m + 20, 8); }},
        {"mask height differs", [=](auto& b) { SetU32(b, m + 8, 1), SetU32(b, m + 20, 4); }},
        {"mask planes 0", [=](auto& b) { SetU16(b, m + 12, 0); }},
        {"mask bit count 24", [=](auto& b) { SetU16(b, m + 14, 24); }},
        {"mask bit count 8", [=](auto& b) { SetU16(b, m + 14, 8); }},
        {"mask compressed", [=](auto& b) { SetU32(b, m + 16, 3); }},
        {"mask image size one short", [=](auto& b) { SetU32(b, m + 20, 7); }},
        {"mask image size one more", [=](auto& b) { SetU32(b, m + 20, 9); }},
        {"block one byte short", [](auto& b) { b.pop_back(); }},
        {"block ends after the colour header", [](auto& b) { b.resize(44); }},
        {"block ends inside the mask header", [=](auto& b) { b.resize(m + 43); }},
        // Sizes a 32-bit product would wrap: 21845 x 65537 at stride 65536 is 2^32 + 65536.
        {"colour size equals the product cut to 32 bits",
         [](auto& b) { SetU32(b, 4, 21845), SetU32(b, 8, 65537), SetU32(b, 20, 65536); }},
        {"largest sides with size 0xFFFFFFFF",
         [](auto& b) { SetU32(b, 4, 0x7FFFFFFF), SetU32(b, 8, 0x7FFFFFFF), SetU32(b, 20, ~0u); }},
        // 5 x 100 with the right sizes (C = 1600, M = 400) in a 120-byte block.
        {"image sizes larger than the block",
         [=](auto& b) { SetU32(b, 4, 5), SetU32(b, 8, 100), SetU32(b, 20, 1600); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.FRule);
        std::vector<uint8_t> bytes = valid;
        row.FEdit(bytes);
        int code = 0;
        ImagePtr parsed = Parse(bytes, &code);
        EXPECT_FALSE(parsed);
        EXPECT_EQ(code, EC_UNKNOWN_FORMAT);
    }
    // The unbroken block still parses, so each row failed on its own rule.
    int code = 0;
    EXPECT_TRUE(Parse(valid, &code));
}

TEST(ClipBlockParse, EveryPrefixOfAValidBlockIsRefusedCleanly) {
    ImagePtr image = RandomImage(5, 3, 5);
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
    const std::vector<uint8_t> whole = block.Bytes();
    for (size_t n = 0; n < whole.size(); ++n) {
        int code = 0;
        ImagePtr parsed =
            Parse(std::vector<uint8_t>(whole.begin(), whole.begin() + long(n)), &code);
        EXPECT_FALSE(parsed) << "cut at " << n;
        EXPECT_EQ(code, EC_UNKNOWN_FORMAT) << "cut at " << n;
    }
    int code = 0;
    EXPECT_TRUE(Parse(whole, &code));
}

TEST(ClipBlockParse, IgnoresTrailingBytesAndTheFieldsItDoesNotRead) {
    ImagePtr image = RandomImage(3, 3, 11);
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
    std::vector<uint8_t> bytes = block.Bytes();
    const size_t m = 44 + size_t(image->FSize);
    for (size_t at : {size_t(24), size_t(32), size_t(40), m + 28, m + 40})
        SetU32(bytes, at, 77);
    bytes.insert(bytes.end(), 16, 0xEE); // a transport's padding
    int code = 0;
    ImagePtr parsed = Parse(bytes, &code);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(PixelDump(parsed.get()), PixelDump(image.get()));
}

TEST(ClipBlockParse, PixelLimitAtTheLimitAndOnePast) {
    LimitGuard guard;
    ImagePtr image = RandomImage(33, 20, 3); // colour: stride 100 x 20 = 2000 bytes
    Block block;
    ASSERT_EQ(ClipBlock_MakePrivate(image.get(), &block.FBlock), 0);
    ASSERT_EQ(image->FSize, 2000);
    int code = 0;
    TImage_SetPixelLimit(2000);
    ImagePtr atLimit = Parse(block.Bytes(), &code);
    ASSERT_TRUE(atLimit);
    EXPECT_EQ(PixelDump(atLimit.get()), PixelDump(image.get()));
    TImage_SetPixelLimit(1999);
    EXPECT_FALSE(Parse(block.Bytes(), &code));
    EXPECT_EQ(code, EC_NO_MEMORY);
}

TEST(ClipBlockParse, NoDataIsANullObject) {
    EXPECT_EQ(ClipBlock_ParsePrivate(nullptr, 100), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}
