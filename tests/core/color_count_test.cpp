// Colour counting against the plain rule (a list of up to 256 colours searched in order of
// first appearance, top row first), on seeded random images with runs, random masks, odd widths
// and both row orders, and the limits at and around their edges.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "core/color_count.h"
#include "core/error.h"
#include "core/image.h"
#include "tests/support/test_support.h"

namespace {

int RefCountColors(const TImage* image, int limit) {
    if (limit > 256) return 0;
    uint32_t colour[256];
    int count[256] = {};
    int used = 0;
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x) {
            uint32_t value;
            if (!TImage_GetPixelMasked(image, x, y, &value)) continue;
            int i = 0;
            while (i < used && colour[i] != value)
                ++i;
            if (i < used) {
                ++count[i];
                continue;
            }
            if (used == limit) return limit + 1;
            colour[used] = value, count[used] = 1, ++used;
        }
    return used;
}

// Pixels drawn from `colours` random colour values, in runs of random length; every byte of
// padding and of the mask plane random.
ImagePtr RandomImage(std::mt19937& rng, int32_t w, int32_t h, int bits, uint32_t flags, int colours,
                     int maskDensity) {
    ImagePtr image(TImage_Create(w, h, bits, flags));
    EXPECT_NE(image, nullptr);
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = uint8_t(rng());
    std::vector<uint32_t> palette(size_t(colours > 0 ? colours : 1));
    for (uint32_t& c : palette)
        c = rng();
    uint32_t current = palette[0];
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            if (rng() % 4 == 0) current = palette[rng() % palette.size()];
            TImage_SetPixel(image.get(), x, y, current);
        }
    if (image->FMask)
        for (int32_t i = 0; i < image->FMask->FSize; ++i) {
            // Density 0..4 of 4: whole bytes visible, transparent or mixed.
            uint8_t b = uint8_t(rng());
            int r = int(rng() % 4);
            image->FMask->FBits[i] = r < maskDensity - 1 ? 0xFF : r < maskDensity ? b : 0;
        }
    return image;
}

} // namespace

TEST(ColorCount, MatchesPlainRuleOnRandomImages) {
    const int32_t widths[] = {1, 3, 7, 8, 9, 17, 31, 64};
    const uint32_t flagsList[] = {0, TIF_BOTTOMUP, TIF_HASMASK, TIF_HASMASK | TIF_BOTTOMUP};
    const int limits[] = {-1, 0, 1, 2, 5, 100, 255, 256, 257, 1000};
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        std::mt19937 rng(seed);
        for (int bits : {24, 8, 16, 32})
            for (int32_t w : widths)
                for (uint32_t flags : flagsList) {
                    int colours = int(rng() % 320);
                    ImagePtr image = RandomImage(rng, w, 1 + int32_t(rng() % 40), bits, flags,
                                                 colours, int(rng() % 5));
                    for (int limit : limits) {
                        SCOPED_TRACE(::testing::Message()
                                     << "seed " << seed << " bits " << bits << " width " << w
                                     << " flags " << flags << " colours " << colours << " limit "
                                     << limit);
                        // A negative limit counts nothing, as one above 256 does.
                        int expected = limit < 0 ? 0 : RefCountColors(image.get(), limit);
                        EXPECT_EQ(TImage_CountColors(image.get(), limit), expected);
                    }
                }
    }
}

TEST(ColorCount, LimitEdges) {
    // 257 distinct visible colours in one row, and one transparent extra colour.
    ImagePtr image(TImage_Create(258, 1, 24, TIF_HASMASK | TIF_BOTTOMUP));
    for (int32_t x = 0; x < 257; ++x)
        TImage_SetPixelMasked(image.get(), x, 0, uint32_t(x) * 259u, 1);
    TImage_SetPixelMasked(image.get(), 257, 0, 0xABCDEF, 0);
    EXPECT_EQ(TImage_CountColors(image.get(), 256), 257);
    EXPECT_EQ(TImage_CountColors(image.get(), 255), 256);
    EXPECT_EQ(TImage_CountColors(image.get(), 257), 0);
    EXPECT_EQ(TImage_CountColors(image.get(), 0), 1);
    TImage_SetPixelMasked(image.get(), 256, 0, 0, 0); // hide one: 256 within limit 256
    EXPECT_EQ(TImage_CountColors(image.get(), 256), 256);
    TImage_FillMask(image.get(), 0);
    EXPECT_EQ(TImage_CountColors(image.get(), 0), 0);
    EXPECT_EQ(TImage_CountColors(image.get(), 256), 0);
}

TEST(ColorCount, NoMaskPlaneCountsEveryPixel) {
    ImagePtr image(TImage_Create(5, 2, 24, 0));
    for (int32_t i = 0; i < image->FSize; ++i)
        image->FBits[i] = 0x5A; // padding too
    TImage_SetPixel(image.get(), 4, 1, 0xFFFFFF);
    EXPECT_EQ(TImage_CountColors(image.get(), 256), 2); // padding bytes are not pixels
}

TEST(ColorCount, LastPixelInMemoryCountsWithoutPadding) {
    // Four 24-bit pixels fill a row exactly; the pixel that ends pixel memory is (3, 0) bottom-up
    // and (3, 1) top-down.
    for (uint32_t flags : {0u, uint32_t(TIF_BOTTOMUP)}) {
        ImagePtr image(TImage_Create(4, 2, 24, flags | TIF_HASMASK));
        TImage_FillMask(image.get(), 1);
        int32_t y = (flags & TIF_BOTTOMUP) ? 0 : 1;
        TImage_SetPixel(image.get(), 3, y, 0x808080);
        EXPECT_EQ(TImage_CountColors(image.get(), 256), 2) << "flags " << flags;
        TImage_SetPixelMasked(image.get(), 3, y, 0, 0);
        TImage_SetPixel(image.get(), 3, y, 0x808080); // hidden now
        EXPECT_EQ(TImage_CountColors(image.get(), 256), 1) << "flags " << flags;
    }
}

TEST(ColorCount, EveryWordValueOfThirtyTwoBitsCounts) {
    // 0xFFFFFFFF is a colour like any other, not a free place of the table.
    ImagePtr image(TImage_Create(3, 1, 32, 0));
    TImage_SetPixel(image.get(), 0, 0, 0xFFFFFFFF);
    TImage_SetPixel(image.get(), 1, 0, 0xFFFFFFFF);
    TImage_SetPixel(image.get(), 2, 0, 0x00FFFFFF);
    EXPECT_EQ(TImage_CountColors(image.get(), 256), 2);
    EXPECT_EQ(TImage_CountColors(image.get(), 1), 2);
}

TEST(ColorCount, MissingImageGivesZeroAndNullObject) {
    ClearLastErrorCode();
    EXPECT_EQ(TImage_CountColors(nullptr, 256), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    TImage empty = {};
    ClearLastErrorCode();
    EXPECT_EQ(TImage_CountColors(&empty, 256), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}
