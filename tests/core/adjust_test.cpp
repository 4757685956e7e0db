// Colour adjustments against plain per-pixel code written from their rules, on seeded random
// images (random padding and masks, odd widths, both row orders), plus the fixed values the
// rules promise and the missing-image contracts.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "core/adjust.h"
#include "core/error.h"
#include "core/image.h"
#include "tests/support/test_support.h"

namespace {

// Every byte random, padding and mask padding bits included, so stray writes show; a third of the
// mask bytes wholly visible and a third wholly transparent, as drawn masks are.
ImagePtr RandomImage(std::mt19937& rng, int32_t w, int32_t h, int bits, uint32_t flags) {
    ImagePtr image(TImage_Create(w, h, bits, flags));
    EXPECT_NE(image, nullptr);
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(rng());
    if (image->FMask)
        for (int32_t i = 0; i < image->FMask->FSize; ++i) {
            uint32_t r = rng();
            image->FMask->FBits[i] = r % 3 == 0 ? 0xFF : r % 3 == 1 ? 0 : uint8_t(r >> 8);
        }
    return image;
}

ImagePtr Copy(const TImage* src) {
    ImagePtr image(TImage_Create(src->FWidth, src->FHeight, src->FBitsPerPixel, src->FFlags));
    std::memcpy(image->FBits, src->FBits, size_t(src->FSize));
    if (src->FMask) std::memcpy(image->FMask->FBits, src->FMask->FBits, size_t(src->FMask->FSize));
    image->FDrawAttr = src->FDrawAttr;
    return image;
}

::testing::AssertionResult SameBytes(const TImage* a, const TImage* b) {
    if (a->FSize != b->FSize || std::memcmp(a->FBits, b->FBits, size_t(a->FSize)) != 0)
        return ::testing::AssertionFailure() << "pixel memory differs";
    if ((a->FMask != nullptr) != (b->FMask != nullptr) ||
        (a->FMask && std::memcmp(a->FMask->FBits, b->FMask->FBits, size_t(a->FMask->FSize))))
        return ::testing::AssertionFailure() << "mask plane differs";
    return ::testing::AssertionSuccess();
}

// The rules, byte by byte and pixel by pixel.
int RefBrightnessByte(int v, int amount) {
    double factor = double(amount) * 0.01 + 1.0;
    int r = int(double(v) * factor);
    return r < 0 ? 0 : r > 255 ? 255 : r;
}

int RefContrastByte(int v, int amount) {
    int d = amount * (v - 128) / 128;
    int e = int(double(d) + 0.5);
    int r = v + e;
    return r < 0 ? 0 : r > 255 ? 255 : r;
}

void RefBrightness(TImage* image, int amount) {
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(RefBrightnessByte(image->FBits[i], amount));
}

void RefInvert(TImage* image) {
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(255 - image->FBits[i]);
}

uint8_t* RefPixel(TImage* image, int32_t x, int32_t y) {
    int32_t row = (image->FFlags & TIF_BOTTOMUP) ? image->FHeight - 1 - y : y;
    return image->FBits + size_t(row) * image->FStride + size_t(x) * image->FBytesPerPixel;
}

void RefContrast(TImage* image, int amount) {
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                uint8_t* p = RefPixel(image, x, y) + c;
                *p = uint8_t(RefContrastByte(*p, amount));
            }
}

void RefGrayscale(TImage* image) {
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x) {
            uint8_t* p = RefPixel(image, x, y);
            int gray = (59 * p[1] + 30 * p[2] + 11 * p[0]) / 100;
            p[0] = p[1] = p[2] = uint8_t(gray);
        }
}

void RefReplaceColor(TImage* image, uint32_t color) {
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x) {
            uint32_t value;
            if (!TImage_GetPixelMasked(image, x, y, &value) || value != color) continue;
            if (image->FMask) {
                TImage_SetPixelMasked(image, x, y, image->FDrawAttr.FColor,
                                      image->FDrawAttr.FMaskValue);
            } else if (image->FDrawAttr.FMaskValue) {
                TImage_SetPixel(image, x, y, image->FDrawAttr.FColor);
            }
        }
}

const int32_t KWidths[] = {1, 2, 3, 5, 7, 8, 9, 13, 16, 31, 33, 47, 64};
const uint32_t KFlags[] = {0, TIF_BOTTOMUP, TIF_HASMASK, TIF_HASMASK | TIF_BOTTOMUP};

// Runs op and ref on copies of random images of every width and row order; both must agree
// on every byte of pixel memory and mask.
template <class Op, class Ref>
void ExpectMatchesReference(uint32_t seed, int bits, Op op, Ref ref) {
    std::mt19937 rng(seed);
    for (int32_t w : KWidths)
        for (uint32_t flags : KFlags) {
            SCOPED_TRACE(::testing::Message() << "seed " << seed << " width " << w << " flags "
                                              << flags << " bits " << bits);
            ImagePtr fast = RandomImage(rng, w, 1 + int32_t(rng() % 6), bits, flags);
            ImagePtr slow = Copy(fast.get());
            op(fast.get(), rng);
            ref(slow.get());
            EXPECT_TRUE(SameBytes(fast.get(), slow.get()));
        }
}

} // namespace

TEST(Adjust, TablesMatchFormulaForEveryByteAndAmount) {
    // 256 pixels, no padding: every byte value in every channel position, and at both an even and
    // an odd offset (the rows are mapped two bytes per lookup).
    ImagePtr image(TImage_Create(256, 1, 24, 0));
    auto byteAt = [](int i) { return (i + i / 256) & 0xFF; };
    for (int amount = -1000; amount <= 1000; ++amount) {
        for (int i = 0; i < image->FSize; ++i)
            image->FBits[i] = uint8_t(byteAt(i));
        TImage_Brightness(image.get(), amount);
        for (int i = 0; i < image->FSize; ++i)
            ASSERT_EQ(image->FBits[i], RefBrightnessByte(byteAt(i), amount))
                << "brightness " << amount << " byte " << byteAt(i) << " at " << i;
        for (int i = 0; i < image->FSize; ++i)
            image->FBits[i] = uint8_t(byteAt(i));
        ASSERT_EQ(TImage_Contrast(image.get(), amount), 0);
        for (int i = 0; i < image->FSize; ++i)
            ASSERT_EQ(image->FBits[i], RefContrastByte(byteAt(i), amount))
                << "contrast " << amount << " byte " << byteAt(i) << " at " << i;
    }
}

TEST(Adjust, WholeImagePassesMatchPerPixelRules) {
    const uint32_t seed = 20240611;
    for (int bits : {24, 32}) {
        ExpectMatchesReference(
            seed, bits, [](TImage* i, std::mt19937&) { TImage_Invert(i); }, RefInvert);
        ExpectMatchesReference(
            seed, bits, [](TImage* i, std::mt19937&) { EXPECT_EQ(TImage_Grayscale(i), 0); },
            RefGrayscale);
        for (int amount : {-128, -77, -1, 1, 23, 100, 128, 999}) {
            ExpectMatchesReference(
                seed + amount, bits,
                [amount](TImage* i, std::mt19937&) { EXPECT_EQ(TImage_Contrast(i, amount), 0); },
                [amount](TImage* i) { RefContrast(i, amount); });
            ExpectMatchesReference(
                seed - amount, bits,
                [amount](TImage* i, std::mt19937&) { TImage_Brightness(i, amount); },
                [amount](TImage* i) { RefBrightness(i, amount); });
        }
    }
    // Brightness and invert cover the pixel memory of any depth.
    ExpectMatchesReference(
        seed, 8, [](TImage* i, std::mt19937&) { TImage_Invert(i); }, RefInvert);
    ExpectMatchesReference(
        seed, 1, [](TImage* i, std::mt19937&) { TImage_Brightness(i, 37); },
        [](TImage* i) { RefBrightness(i, 37); });
}

TEST(Adjust, GrayscaleExactForEveryWeightedSum) {
    // One pixel for each reachable value of 59 G + 30 R + 11 B, so that the division by 100 is
    // checked over its whole range, in rows long enough for the wide path.
    std::vector<int> first(25501, -1);
    for (int g = 0; g < 256; ++g)
        for (int r = 0; r < 256; ++r)
            for (int b = 0; b < 256; ++b) {
                int sum = 59 * g + 30 * r + 11 * b;
                if (first[size_t(sum)] < 0) first[size_t(sum)] = b | (g << 8) | (r << 16);
            }
    std::vector<int> pixels;
    for (int v : first)
        if (v >= 0) pixels.push_back(v);
    ImagePtr image(TImage_Create(int32_t(pixels.size()), 1, 24, 0));
    for (size_t x = 0; x < pixels.size(); ++x) {
        uint8_t* p = image->FBits + 3 * x;
        p[0] = uint8_t(pixels[x]), p[1] = uint8_t(pixels[x] >> 8), p[2] = uint8_t(pixels[x] >> 16);
    }
    ImagePtr slow = Copy(image.get());
    ASSERT_EQ(TImage_Grayscale(image.get()), 0);
    RefGrayscale(slow.get());
    EXPECT_TRUE(SameBytes(image.get(), slow.get()));
}

TEST(Adjust, ReplaceColorMatchesPerPixelRuleOnVisiblePixels) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        for (int bits : {24, 8, 32}) {
            std::mt19937 colours(seed);
            // The colour, its near misses (one byte off) and black, so that many pixels match
            // and every byte of the comparison counts; the pen sometimes transparent.
            const uint32_t c = uint32_t(colours() & 0xFFFFFF);
            const uint32_t palette[5] = {c, c ^ 0x000001, c ^ 0x000100, c ^ 0x010000, 0};
            const uint32_t pen = uint32_t(colours() & 0xFFFFFF),
                           penMask = (seed % 3) ? 0xFFFFFF : 0;
            auto fill = [&](TImage* image, std::mt19937& rng) {
                for (int32_t y = 0; y < image->FHeight; ++y)
                    for (int32_t x = 0; x < image->FWidth; ++x)
                        TImage_SetPixel(image, x, y, palette[rng() % 5]);
            };
            std::mt19937 rng(seed);
            for (int32_t w : KWidths)
                for (uint32_t flags : KFlags) {
                    SCOPED_TRACE(::testing::Message() << "seed " << seed << " width " << w
                                                      << " flags " << flags << " bits " << bits);
                    ImagePtr fast = RandomImage(rng, w, 1 + int32_t(rng() % 6), bits, flags);
                    fill(fast.get(), rng);
                    fast->FDrawAttr.FColor = pen;
                    fast->FDrawAttr.FMaskValue = penMask;
                    uint32_t color = bits == 8 ? (c & 0xFF) : c; // 8 bits: a palette index
                    ImagePtr slow = Copy(fast.get());
                    EXPECT_EQ(TImage_ReplaceColor(fast.get(), color), 0);
                    RefReplaceColor(slow.get(), color);
                    EXPECT_TRUE(SameBytes(fast.get(), slow.get()));
                }
        }
    }
}

TEST(Adjust, ReplaceColorWritesPenAndMaskValue) {
    ImagePtr image(TImage_Create(3, 1, 24, TIF_HASMASK | TIF_BOTTOMUP));
    TImage_SetPixelMasked(image.get(), 0, 0, 0x123456, 0xFFFFFF);
    TImage_SetPixel(image.get(), 1, 0, 0x123456); // under a clear mask bit: left alone
    TImage_SetPixelMasked(image.get(), 2, 0, 0x123457, 0xFFFFFF);
    image->FDrawAttr.FColor = 0x00ABCDEF;
    image->FDrawAttr.FMaskValue = 0xFFFFFF;
    ASSERT_EQ(TImage_ReplaceColor(image.get(), 0x123456), 0);
    EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0xABCDEFu);
    EXPECT_EQ(TImage_GetPixel(image.get(), 1, 0), 0x123456u);
    EXPECT_EQ(TImage_GetPixel(image.get(), 2, 0), 0x123457u);
    // A transparent pen clears the mask bit and keeps the colour under it.
    image->FDrawAttr.FMaskValue = 0;
    ASSERT_EQ(TImage_ReplaceColor(image.get(), 0xABCDEF), 0);
    EXPECT_EQ(TImage_GetPixel(image->FMask, 0, 0), 0u);
    EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0xABCDEFu);
    // A value above 24 bits equals no 24-bit pixel.
    image->FDrawAttr.FMaskValue = 0xFFFFFF;
    ASSERT_EQ(TImage_ReplaceColor(image.get(), 0x01123457), 0);
    EXPECT_EQ(TImage_GetPixel(image.get(), 2, 0), 0x123457u);
}

TEST(Adjust, ReplaceColorWithoutMaskPlaneCountsEveryPixelVisible) {
    ImagePtr image(TImage_Create(2, 2, 24, 0));
    TImage_SetPixel(image.get(), 1, 1, 0x00FF00);
    image->FDrawAttr.FColor = 0x0000FF;
    image->FDrawAttr.FMaskValue = 0xFFFFFF;
    ASSERT_EQ(TImage_ReplaceColor(image.get(), 0), 0);
    EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0x0000FFu);
    EXPECT_EQ(TImage_GetPixel(image.get(), 1, 1), 0x00FF00u);
    // With a transparent pen and no plane to clear there is nothing to write.
    image->FDrawAttr.FMaskValue = 0;
    ASSERT_EQ(TImage_ReplaceColor(image.get(), 0x0000FF), 0);
    EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), 0x0000FFu);
}

TEST(Adjust, FixedValuesOfTheRules) {
    ImagePtr image(TImage_Create(1, 1, 24, 0)); // 3 colour bytes and 1 padding byte
    auto set = [&](uint8_t a, uint8_t b, uint8_t c, uint8_t pad) {
        uint8_t* p = image->FBits;
        p[0] = a, p[1] = b, p[2] = c, p[3] = pad;
    };
    auto bytes = [&] {
        const uint8_t* p = image->FBits;
        return std::vector<int>{p[0], p[1], p[2], p[3]};
    };
    set(200, 100, 0, 127);
    TImage_Brightness(image.get(), 100); // doubles and clamps, padding included
    EXPECT_EQ(bytes(), (std::vector<int>{255, 200, 0, 254}));
    TImage_Brightness(image.get(), -100);
    EXPECT_EQ(bytes(), (std::vector<int>{0, 0, 0, 0}));

    set(0, 200, 28, 9);
    ASSERT_EQ(TImage_Contrast(image.get(), 0), 0);
    EXPECT_EQ(bytes(), (std::vector<int>{0, 200, 28, 9}));
    ASSERT_EQ(TImage_Contrast(image.get(), 128), 0); // 0 - 127 clamps to 0; 200 + 72 to 255
    EXPECT_EQ(bytes()[0], 0);
    EXPECT_EQ(bytes()[1], 255);
    EXPECT_EQ(bytes()[3], 9); // padding untouched
    set(28, 0, 0, 9);
    // d = 23 x -100 / 128 = -17 and e = -16: a negative d moves one step towards zero.
    ASSERT_EQ(TImage_Contrast(image.get(), 23), 0);
    EXPECT_EQ(bytes()[0], 12);

    const uint32_t primaries[3][2] = {{0x0000FF, 76}, {0x00FF00, 150}, {0xFF0000, 28}};
    for (const auto& c : primaries) {
        TImage_SetPixel(image.get(), 0, 0, c[0]);
        SetLastErrorCode(EC_UNKNOWN);
        ASSERT_EQ(TImage_Grayscale(image.get()), 0);
        EXPECT_EQ(GetLastErrorCode(), EC_NONE); // grayscale clears the last error
        EXPECT_EQ(TImage_GetPixel(image.get(), 0, 0), c[1] * 0x010101u) << std::hex << c[0];
    }
}

TEST(Adjust, InvertTwiceRestoresEveryByte) {
    std::mt19937 rng(77);
    ImagePtr image = RandomImage(rng, 13, 7, 24, TIF_HASMASK | TIF_BOTTOMUP);
    ImagePtr before = Copy(image.get());
    ASSERT_EQ(TImage_Invert(image.get()), 0);
    EXPECT_FALSE(SameBytes(image.get(), before.get()));
    ASSERT_EQ(TImage_Invert(image.get()), 0);
    EXPECT_TRUE(SameBytes(image.get(), before.get()));
}

TEST(Adjust, MissingImageAndUnsupportedDepth) {
    for (auto op : {+[](TImage* i) { return TImage_Contrast(i, 10); },
                    +[](TImage* i) { return TImage_Grayscale(i); },
                    +[](TImage* i) { return TImage_Invert(i); },
                    +[](TImage* i) { return TImage_ReplaceColor(i, 0); }}) {
        ClearLastErrorCode();
        EXPECT_EQ(op(nullptr), -1);
        EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
        TImage empty = {}; // no pixel memory, as after a failed allocation
        ClearLastErrorCode();
        EXPECT_EQ(op(&empty), -1);
        EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    }
    SetLastErrorCode(EC_EMPTY_AREA);
    TImage_Brightness(nullptr, 50); // does nothing, reports nothing
    EXPECT_EQ(GetLastErrorCode(), EC_EMPTY_AREA);

    // Three colour bytes per pixel exist only at 24 and 32 bits; other depths stay as they are.
    std::mt19937 rng(5);
    ImagePtr image = RandomImage(rng, 5, 3, 8, 0);
    ImagePtr before = Copy(image.get());
    EXPECT_EQ(TImage_Contrast(image.get(), 50), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    EXPECT_EQ(TImage_Grayscale(image.get()), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_UNKNOWN_FORMAT);
    EXPECT_TRUE(SameBytes(image.get(), before.get()));
}

TEST(Adjust, HugeAmountsStayDefined) {
    ImagePtr image(TImage_Create(2, 1, 24, 0));
    for (int i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(i * 40);
    TImage_Brightness(image.get(), INT32_MAX); // every non-zero byte saturates
    EXPECT_EQ(image->FBits[0], 0);
    EXPECT_EQ(image->FBits[1], 255);
    ASSERT_EQ(TImage_Contrast(image.get(), INT32_MIN), 0); // pulled through 128 and clamped
    EXPECT_EQ(image->FBits[0], 255);
    EXPECT_EQ(image->FBits[1], 0);
}
