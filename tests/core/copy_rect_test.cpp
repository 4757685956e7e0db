// TImage_CopyRect: clipping on both sides, the transparent merge, plain copies by depth.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "core/copy_rect.h"
#include "core/error.h"
#include "core/image.h"
#include "tests/support/test_support.h"

namespace {
// Every pixel's colour is its own coordinates, every mask bit set.
ImagePtr Numbered(int w, int h, uint32_t flags = TIF_HASMASK) {
    ImagePtr image(TImage_Create(w, h, 24, flags));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            TImage_SetPixel(image.get(), x, y, uint32_t(x << 8 | y) + 1);
    if (image->FMask) TImage_FillMask(image.get(), 1);
    return image;
}

ImagePtr RandomImage(std::mt19937& random, int w, int h, uint32_t flags) {
    ImagePtr image(TImage_Create(w, h, 24, flags));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint32_t mask = (random() & 3) ? 0xFFFFFF : 0;
            if (image->FMask)
                TImage_SetPixelMasked(image.get(), x, y, random() & 0xFFFFFF, mask);
            else
                TImage_SetPixel(image.get(), x, y, random() & 0xFFFFFF);
        }
    return image;
}

ImagePtr Clone(const TImage* image) {
    ImagePtr out(TImage_Create(image->FWidth, image->FHeight, image->FBitsPerPixel, image->FFlags));
    std::memcpy(out->FBits, image->FBits, size_t(image->FSize));
    if (image->FMask)
        std::memcpy(out->FMask->FBits, image->FMask->FBits, size_t(image->FMask->FSize));
    return out;
}
} // namespace

TEST(CopyRect, NegativeDestinationCopiesTheMatchingSourcePart) {
    ImagePtr src = Numbered(10, 10, 0);
    ImagePtr dst(TImage_Create(10, 10, 24, TIF_HASMASK));
    ASSERT_EQ(TImage_CopyRect(dst.get(), -5, -5, 10, 10, src.get(), 0, 0, ROP_SRCCOPY), 0);
    EXPECT_EQ(TImage_GetPixel(dst.get(), 0, 0), TImage_GetPixel(src.get(), 5, 5));
    EXPECT_EQ(TImage_GetPixel(dst.get(), 4, 4), TImage_GetPixel(src.get(), 9, 9));
    EXPECT_EQ(TImage_GetPixel(dst.get(), 5, 5), 0u);
    uint32_t c;
    EXPECT_EQ(TImage_GetPixelMasked(dst.get(), 0, 0, &c), 0u); // plain copies leave the mask
}

TEST(CopyRect, SourceClipMovesTheDestinationWithIt) {
    ImagePtr src = Numbered(10, 10, 0);
    ImagePtr dst(TImage_Create(20, 20, 24, 0));
    ASSERT_EQ(TImage_CopyRect(dst.get(), 5, 5, 10, 10, src.get(), -3, -2, ROP_SRCCOPY), 0);
    // Source (0, 0) lies 3 right and 2 below the rectangle's corner.
    EXPECT_EQ(TImage_GetPixel(dst.get(), 8, 7), TImage_GetPixel(src.get(), 0, 0));
    EXPECT_EQ(TImage_GetPixel(dst.get(), 14, 14), TImage_GetPixel(src.get(), 6, 7));
    EXPECT_EQ(TImage_GetPixel(dst.get(), 7, 7), 0u);
    EXPECT_EQ(TImage_GetPixel(dst.get(), 15, 14), 0u);
}

TEST(CopyRect, MissingAreaOrImageIsReported) {
    ImagePtr a = Numbered(4, 4), b = Numbered(4, 4);
    SetLastErrorCode(EC_UNDO_MEMORY);
    EXPECT_EQ(TImage_CopyRect(a.get(), 0, 0, 2, 2, b.get(), 0, 0, ROP_SRCCOPY), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_UNDO_MEMORY); // success leaves the last error as it was
    EXPECT_EQ(TImage_CopyRect(a.get(), 4, 0, 2, 2, b.get(), 0, 0, ROP_SRCCOPY), -1);
    EXPECT_STREQ(GetLastErrorText(), "Ineffective area error");
    EXPECT_EQ(TImage_CopyRect(a.get(), 0, 0, 2, 2, b.get(), 9, 0, ROP_SRCCOPY), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_EMPTY_AREA);
    EXPECT_EQ(TImage_CopyRect(a.get(), 0, 0, 2, 2, nullptr, 0, 0, ROP_SRCCOPY), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TImage_CopyRect(a.get(), INT32_MIN, 0, 4, 4, b.get(), INT32_MAX, 0, ROP_SRCCOPY), -1);
}

TEST(CopyRect, TransparentSourcePixelsLeaveTheDestination) {
    ImagePtr src(TImage_Create(2, 1, 24, TIF_HASMASK));
    TImage_SetPixelMasked(src.get(), 0, 0, 0x111111, 0xFFFFFF);
    ImagePtr dst = Numbered(2, 1);
    TImage_SetPixelMasked(dst.get(), 1, 0, 0x222222, 0); // transparent over black
    uint32_t before1 = TImage_GetPixel(dst.get(), 1, 0);
    for (uint32_t rop : {ROP_SRCCOPY, ROP_MERGE}) {
        ASSERT_EQ(TImage_CopyRect(dst.get(), 0, 0, 2, 1, src.get(), 0, 0, rop), 0);
        uint32_t c;
        EXPECT_EQ(TImage_GetPixelMasked(dst.get(), 0, 0, &c), 0xFFFFFFu);
        EXPECT_EQ(c, 0x111111u);
        EXPECT_EQ(TImage_GetPixelMasked(dst.get(), 1, 0, &c), 0u);
        EXPECT_EQ(c, before1);
    }
}

// The run-wise 24-bit merge against the pixel rule, for odd offsets and both row orders.
TEST(CopyRect, FastMergeMatchesThePixelRule) {
    const unsigned seed = 99;
    std::mt19937 random(seed);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
        uint32_t sf = TIF_HASMASK | ((round & 1) ? TIF_BOTTOMUP : 0);
        uint32_t df = TIF_HASMASK | ((round & 2) ? TIF_BOTTOMUP : 0);
        int sw = 1 + random() % 37, sh = 1 + random() % 9, dw = 1 + random() % 41,
            dh = 1 + random() % 9;
        ImagePtr src = RandomImage(random, sw, sh, sf);
        ImagePtr fast = RandomImage(random, dw, dh, df);
        ImagePtr slow(TImage_Create(dw, dh, 24, df));
        TImage_CopyRect(slow.get(), 0, 0, dw, dh, fast.get(), 0, 0, ROP_MERGE);
        int x = int(random() % 50) - 10, y = int(random() % 14) - 3;
        int sx = int(random() % 40) - 5, sy = int(random() % 10) - 2;
        int w = 1 + random() % 45, h = 1 + random() % 10;
        int fastResult = TImage_CopyRect(fast.get(), x, y, w, h, src.get(), sx, sy, ROP_SRCCOPY);
        // The rule: each visible source pixel inside both images lands at its place.
        int hits = 0;
        for (int i = 0; i < h; ++i)
            for (int j = 0; j < w; ++j) {
                int px = sx + j, py = sy + i, qx = x + j, qy = y + i;
                if (!TImage_InBounds(src.get(), px, py) || !TImage_InBounds(slow.get(), qx, qy))
                    continue;
                ++hits;
                uint32_t colour;
                if (TImage_GetPixelMasked(src.get(), px, py, &colour))
                    TImage_SetPixelMasked(slow.get(), qx, qy, colour, 0xFFFFFF);
            }
        EXPECT_EQ(fastResult, hits ? 0 : -1);
        for (int qy = 0; qy < dh; ++qy)
            for (int qx = 0; qx < dw; ++qx) {
                uint32_t a, b;
                ASSERT_EQ(TImage_GetPixelMasked(fast.get(), qx, qy, &a),
                          TImage_GetPixelMasked(slow.get(), qx, qy, &b))
                    << qx << "," << qy;
                ASSERT_EQ(a, b) << qx << "," << qy;
            }
    }
}

TEST(CopyRect, PlainCopiesByDestinationDepth) {
    ImagePtr src = Numbered(4, 4, TIF_BOTTOMUP);
    TImage_Destroy(src->FMask);
    src->FMask = nullptr;
    src->FFlags &= ~uint32_t(TIF_HASMASK);
    ImagePtr topDown(TImage_Create(4, 4, 24, 0));
    ASSERT_EQ(TImage_CopyRect(topDown.get(), 0, 0, 4, 4, src.get(), 0, 0, ROP_SRCCOPY), 0);
    EXPECT_EQ(TImage_GetPixel(topDown.get(), 3, 0), TImage_GetPixel(src.get(), 3, 0));
    ImagePtr bits(TImage_Create(4, 1, 1, 0));
    ASSERT_EQ(TImage_CopyRect(bits.get(), 0, 0, 4, 1, src.get(), 0, 0, ROP_SRCCOPY), 0);
    EXPECT_EQ(TImage_GetPixel(bits.get(), 0, 0), 0xFFFFFFu); // any non-zero colour sets the bit
    ImagePtr other(TImage_Create(4, 4, 32, 0));
    ASSERT_EQ(TImage_CopyRect(other.get(), 0, 0, 4, 4, src.get(), 0, 0, ROP_SRCCOPY), 0);
    EXPECT_EQ(TImage_GetPixel(other.get(), 1, 1), 0u); // other depths: nothing copied
    // Overlapping rows within one image move as through a temporary copy.
    ImagePtr same = Numbered(3, 5, 0), copy = Numbered(3, 5, 0);
    ASSERT_EQ(TImage_CopyRect(same.get(), 0, 1, 3, 4, same.get(), 0, 0, ROP_SRCCOPY), 0);
    for (int y = 1; y < 5; ++y)
        EXPECT_EQ(TImage_GetPixel(same.get(), 2, y), TImage_GetPixel(copy.get(), 2, y - 1));
}

// Within one image, overlapping rectangles (the shift and selection tools move pixels so) give
// what copying from an untouched copy of the image gives: masked merges of both rops, the
// 24-bit plain copy and the 1-bit one. Widths reach past the pieces the row merge works in.
TEST(CopyRect, OverlapWithinOneImageActsAsFromACopy) {
    const unsigned seed = 7;
    std::mt19937 random(seed);
    struct Kind {
        int bits;
        uint32_t flags, rop;
    };
    const Kind kinds[] = {{24, TIF_HASMASK, ROP_SRCCOPY},
                          {24, TIF_HASMASK | TIF_BOTTOMUP, ROP_SRCCOPY},
                          {24, TIF_HASMASK, ROP_MERGE},
                          {24, TIF_BOTTOMUP, ROP_SRCCOPY},
                          {1, 0, ROP_SRCCOPY}};
    for (const Kind& kind : kinds)
        for (int round = 0; round < 40; ++round) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " bits " << kind.bits << " rop "
                                            << kind.rop << " round " << round);
            const int w = 1 + random() % (round < 20 ? 40 : 700), h = 1 + random() % 6;
            ImagePtr image;
            if (kind.bits == 24) {
                image = RandomImage(random, w, h, kind.flags);
            } else {
                image.reset(TImage_Create(w, h, 1, kind.flags));
                for (int32_t i = 0; i < image->FSize; ++i)
                    image->FBits[i] = uint8_t(random());
            }
            ImagePtr copy = Clone(image.get()), expected = Clone(image.get());
            // Small moves in every direction, none at all included.
            const int dx = int(random() % 21) - 10, dy = round % 3 ? int(random() % 5) - 2 : 0;
            const int sx = int(random() % uint32_t(w)), sy = int(random() % uint32_t(h));
            const int cw = 1 + int(random() % uint32_t(w)), ch = 1 + int(random() % uint32_t(h));
            int a = TImage_CopyRect(image.get(), sx + dx, sy + dy, cw, ch, image.get(), sx, sy,
                                    kind.rop);
            int b = TImage_CopyRect(expected.get(), sx + dx, sy + dy, cw, ch, copy.get(), sx, sy,
                                    kind.rop);
            ASSERT_EQ(a, b);
            ASSERT_EQ(PixelDump(image.get()), PixelDump(expected.get()));
        }
}
