// Resizing, rotation and mirroring: each fast path against a plain per-pixel version of the
// rule written here (masked pixel access, the float expressions as stated), on seeded random
// images with random masks, odd widths and both row orders; then the small cases that catch
// off-by-one and weighting faults, and the failure results.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/image.h"
#include "core/transform.h"
#include "core/transform_util.h"
#include "tests/support/test_support.h"

// The reference must round exactly as the rule does.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif

namespace {

const uint32_t KSeed = 20240611;

// Pixel values at any depth: 2 and 4 bits by their index (the colour access does not reach
// them), every other depth through the image's own access.
uint32_t ValueOf(const TImage* im, int32_t x, int32_t y) {
    int bits = im->FBitsPerPixel;
    if (bits != 2 && bits != 4) return TImage_GetPixel(im, x, y);
    const uint8_t* row = TImage_GetRow(im, y);
    int per = 8 / bits;
    return (row[x / per] >> (8 - bits * (x % per + 1))) & ((1u << bits) - 1);
}

void PutValue(TImage* im, int32_t x, int32_t y, uint32_t v) {
    int bits = im->FBitsPerPixel;
    if (bits != 2 && bits != 4) return TImage_SetPixel(im, x, y, v);
    uint8_t* row = TImage_GetRow(im, y);
    int per = 8 / bits, shift = 8 - bits * (x % per + 1);
    uint8_t field = uint8_t(((1u << bits) - 1) << shift);
    row[x / per] = uint8_t((row[x / per] & ~field) | ((v << shift) & field));
}

// Colour and mask of a source pixel; no mask plane counts as fully visible.
uint32_t Sample(const TImage* im, int32_t x, int32_t y, uint32_t* c) {
    if (im->FBitsPerPixel == 2 || im->FBitsPerPixel == 4) {
        *c = ValueOf(im, x, y);
        return im->FMask ? TImage_GetPixel(im->FMask, x, y) : 0xFFFFFF;
    }
    uint32_t m = TImage_GetPixelMasked(im, x, y, c);
    return im->FMask ? m : 0xFFFFFF;
}

void Store(TImage* im, int32_t x, int32_t y, uint32_t c, uint32_t m) {
    if (!im->FMask) return PutValue(im, x, y, c);
    if (im->FBitsPerPixel != 2 && im->FBitsPerPixel != 4)
        return TImage_SetPixelMasked(im, x, y, c, m);
    if (m) PutValue(im, x, y, c);
    TImage_SetPixel(im->FMask, x, y, m);
}

TImage* Like(const TImage* src, int32_t w, int32_t h) {
    return TImage_Create(w, h, src->FBitsPerPixel, src->FFlags & (TIF_HASMASK | TIF_BOTTOMUP));
}

TImage* NearestReference(const TImage* src, int32_t w, int32_t h) {
    TImage* out = Like(src, w, h);
    float rx = float(src->FWidth) / float(w), ry = float(src->FHeight) / float(h);
    for (int32_t i = 0; i < h; ++i)
        for (int32_t j = 0; j < w; ++j) {
            uint32_t c;
            uint32_t m = Sample(src, int32_t(float(j) * rx), int32_t(float(i) * ry), &c);
            if (m) Store(out, j, i, c, m);
        }
    return out;
}

TImage* SmoothReference(const TImage* src, int32_t w, int32_t h) {
    TImage* out = Like(src, w, h);
    const int32_t sw = src->FWidth, sh = src->FHeight;
    float rx = float(sw) / float(w), ry = float(sh) / float(h);
    for (int32_t i = 0; i < h; ++i) {
        float fy0 = float(i) * ry;
        int32_t y0 = int32_t(fy0), y1 = y0 + 1 < sh ? y0 + 1 : sh - 1;
        float fy = fy0 - float(y0), gy = 1.0f - fy;
        for (int32_t j = 0; j < w; ++j) {
            float fx0 = float(j) * rx;
            int32_t x0 = int32_t(fx0), x1 = x0 + 1 < sw ? x0 + 1 : sw - 1;
            float fx = fx0 - float(x0), gx = 1.0f - fx;
            uint32_t c00, c10, c01, c11;
            uint32_t m00 = Sample(src, x0, y0, &c00), m10 = Sample(src, x1, y0, &c10);
            uint32_t m01 = Sample(src, x0, y1, &c01), m11 = Sample(src, x1, y1, &c11);
            uint32_t k = (m00 != 0) + (m10 != 0) + (m01 != 0) + (m11 != 0);
            uint32_t m = uint32_t(((float(m00) * gy + float(m01) * fy) * gx) +
                                  ((float(m10) * gy + float(m11) * fy) * fx));
            if (m == 0 || k < 2) continue;
            uint32_t value = 0;
            for (int sh8 = 0; sh8 < 24; sh8 += 8) {
                uint32_t a = (c00 >> sh8) & 255, b = (c10 >> sh8) & 255;
                uint32_t c = (c01 >> sh8) & 255, d = (c11 >> sh8) & 255;
                uint32_t avg = ((m00 ? a : 0) + (m10 ? b : 0) + (m01 ? c : 0) + (m11 ? d : 0)) / k;
                if (!m00) a = avg;
                if (!m10) b = avg;
                if (!m01) c = avg;
                if (!m11) d = avg;
                uint32_t v = uint32_t(((float(b) * gy + float(d) * fy) * fx) +
                                      ((float(a) * gy + float(c) * fy) * gx));
                value |= (v & 0xFF) << sh8;
            }
            PutValue(out, j, i, value);
            if (out->FMask) TImage_SetPixel(out->FMask, j, i, 0xFFFFFF);
        }
    }
    return out;
}

TImage* RotateReference(const TImage* src, int turn) {
    const int32_t w = src->FWidth, h = src->FHeight;
    const bool quarter = turn == 90 || turn == -90;
    TImage* out = Like(src, quarter ? h : w, quarter ? w : h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t dx = turn == -90 ? h - 1 - y : turn == 90 ? y : w - 1 - x;
            int32_t dy = turn == -90 ? x : turn == 90 ? w - 1 - x : h - 1 - y;
            PutValue(out, dx, dy, ValueOf(src, x, y));
            if (src->FMask) TImage_SetPixel(out->FMask, dx, dy, TImage_GetPixel(src->FMask, x, y));
        }
    return out;
}

TImage* FlipReference(const TImage* src, int vertical) {
    const int32_t w = src->FWidth, h = src->FHeight;
    TImage* out = Like(src, w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            int32_t dx = vertical ? x : w - 1 - x, dy = vertical ? h - 1 - y : y;
            PutValue(out, dx, dy, ValueOf(src, x, y));
            if (src->FMask) TImage_SetPixel(out->FMask, dx, dy, TImage_GetPixel(src->FMask, x, y));
        }
    return out;
}

// Random bytes everywhere (row padding included); mask bits visible with the given share.
TImage* RandomImage(std::mt19937& rng, int32_t w, int32_t h, int bits, uint32_t flags,
                    double visible) {
    TImage* im = TImage_Create(w, h, bits, flags);
    for (int32_t n = 0; n < im->FSize; ++n)
        im->FBits[n] = uint8_t(rng());
    for (auto& e : im->FPalette)
        e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    if (im->FMask) {
        std::bernoulli_distribution on(visible);
        for (int32_t n = 0; n < im->FMask->FSize; ++n) {
            uint8_t b = 0;
            for (int k = 0; k < 8; ++k)
                b = uint8_t((b << 1) | (on(rng) ? 1 : 0));
            im->FMask->FBits[n] = b;
        }
    }
    return im;
}

std::string Describe(const TImage* im) {
    return std::to_string(im->FWidth) + "x" + std::to_string(im->FHeight) + " " +
           std::to_string(im->FBitsPerPixel) + "-bit" + (im->FMask ? " masked" : "") +
           ((im->FFlags & TIF_BOTTOMUP) ? " bottom-up" : " top-down");
}

// Same size, depth, flags, palette, pixel values and mask bits (row padding is not compared).
::testing::AssertionResult SameImage(const TImage* got, const TImage* want) {
    if (!got) return ::testing::AssertionFailure() << "no image, last error " << GetLastErrorCode();
    if (got->FWidth != want->FWidth || got->FHeight != want->FHeight ||
        got->FBitsPerPixel != want->FBitsPerPixel || got->FFlags != want->FFlags ||
        !got->FMask != !want->FMask)
        return ::testing::AssertionFailure()
               << "got " << Describe(got) << ", want " << Describe(want);
    for (int32_t y = 0; y < want->FHeight; ++y)
        for (int32_t x = 0; x < want->FWidth; ++x) {
            uint32_t g = ValueOf(got, x, y), v = ValueOf(want, x, y);
            uint32_t gm = got->FMask ? TImage_GetPixel(got->FMask, x, y) : 0;
            uint32_t vm = want->FMask ? TImage_GetPixel(want->FMask, x, y) : 0;
            if (g != v || gm != vm)
                return ::testing::AssertionFailure()
                       << "pixel (" << x << ", " << y << ") of " << Describe(want) << ": got "
                       << std::hex << g << "/" << gm << ", want " << v << "/" << vm;
        }
    return ::testing::AssertionSuccess();
}

struct TSize {
    int32_t w, h;
};

const TSize KSources[] = {{1, 1},   {1, 5},  {7, 1},  {2, 2},  {13, 9},
                          {33, 17}, {64, 3}, {5, 40}, {31, 31}};

std::vector<TSize> TargetsFor(TSize s) {
    return {{1, 1},
            s,
            {s.w * 2, s.h * 2},
            {s.w * 3 + 1, s.h + 2},
            {(s.w + 1) / 2, (s.h + 1) / 2},
            {s.w > 2 ? s.w - 2 : 1, s.h * 3},
            {17, 11},
            {s.w * 5, 1}};
}

// 15 bits move by the same code as 16; its rows are not always wide enough for two bytes a
// pixel, which the transforms refuse (see RefusesRowsTooShortForTheirPixels).
const int KDepths[] = {24, 32, 16, 8, 4, 2, 1};

// Runs check(src) on random images of every source size, both row orders, with a mask plane
// mostly visible, half visible or absent; the seed is printed with any failure.
template <class F> void ForRandomImages(const int* depths, size_t depthCount, F check) {
    SCOPED_TRACE("seed " + std::to_string(KSeed));
    std::mt19937 rng(KSeed);
    for (size_t d = 0; d < depthCount; ++d)
        for (TSize s : KSources)
            for (uint32_t order : {0u, uint32_t(TIF_BOTTOMUP)})
                for (double visible : {0.95, 0.5, -1.0}) {
                    uint32_t flags = order | (visible >= 0 ? TIF_HASMASK : 0);
                    TImage* src = RandomImage(rng, s.w, s.h, depths[d], flags, visible);
                    check(src);
                    TImage_Destroy(src);
                }
}

TImage* Picture(const std::vector<uint32_t>& colours, int32_t w, int32_t h, uint32_t flags) {
    TImage* im = TImage_Create(w, h, 24, flags);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            TImage_SetPixelMasked(im, x, y, colours[y * w + x], 0xFFFFFF);
    return im;
}

} // namespace

TEST(Resize, NearestMatchesPerPixelRule) {
    ForRandomImages(KDepths, std::size(KDepths), [](const TImage* src) {
        for (TSize t : TargetsFor({src->FWidth, src->FHeight})) {
            TImage* got = TImage_Resize(src, t.w, t.h, 0);
            TImage* want = NearestReference(src, t.w, t.h);
            EXPECT_TRUE(SameImage(got, want)) << "from " << Describe(src);
            if (got) {
                EXPECT_EQ(std::memcmp(got->FPalette, src->FPalette, sizeof got->FPalette), 0);
            }
            TImage_Destroy(got);
            TImage_Destroy(want);
        }
    });
}

TEST(Resize, SmoothMatchesPerPixelRule) {
    ForRandomImages(KDepths, std::size(KDepths), [](const TImage* src) {
        for (TSize t : TargetsFor({src->FWidth, src->FHeight})) {
            TImage* got = TImage_Resize(src, t.w, t.h, 1);
            TImage* want = SmoothReference(src, t.w, t.h);
            EXPECT_TRUE(SameImage(got, want)) << "from " << Describe(src);
            TImage_Destroy(got);
            TImage_Destroy(want);
        }
    });
}

TEST(Resize, SmoothMatchesRuleOnLargerFractionalScales) {
    // Scale factors whose float products fall close to pixel boundaries.
    std::mt19937 rng(KSeed);
    SCOPED_TRACE("seed " + std::to_string(KSeed));
    TImage* src = RandomImage(rng, 401, 299, 24, TIF_HASMASK | TIF_BOTTOMUP, 0.97);
    for (TSize t : {TSize{1000, 7}, TSize{133, 700}, TSize{400, 300}, TSize{3, 299}}) {
        TImage* got = TImage_ResizeSmooth(src, t.w, t.h);
        TImage* want = SmoothReference(src, t.w, t.h);
        EXPECT_TRUE(SameImage(got, want));
        TImage_Destroy(got);
        TImage_Destroy(want);
    }
    TImage_Destroy(src);
}

TEST(Rotate, MatchesPerPixelMappingForEveryTurnAndDepth) {
    ForRandomImages(KDepths, std::size(KDepths), [](const TImage* src) {
        for (int vector : {1, 0})
            for (int turn : {-90, 90, 180, -180}) {
                TransformSetVectorKernels(vector);
                TImage* got = TImage_Rotate(src, turn);
                TImage* want = RotateReference(src, turn);
                EXPECT_TRUE(SameImage(got, want))
                    << "turn " << turn << " of " << Describe(src) << ", vector " << vector;
                TImage_Destroy(got);
                TImage_Destroy(want);
            }
        TransformSetVectorKernels(1);
    });
}

TEST(Flip, MatchesPerPixelMirrorAndTwiceRestoresEveryByte) {
    ForRandomImages(KDepths, std::size(KDepths), [](const TImage* src) {
        for (int pass : {0, 1, 2}) { // pass 2: left-right with the plain kernels
            const int vertical = pass % 2;
            TransformSetVectorKernels(pass != 2);
            TImage* copy = Like(src, src->FWidth, src->FHeight); // padding bytes included
            std::memcpy(copy->FBits, src->FBits, size_t(src->FSize));
            if (src->FMask)
                std::memcpy(copy->FMask->FBits, src->FMask->FBits, size_t(src->FMask->FSize));
            std::vector<uint8_t> before(copy->FBits, copy->FBits + copy->FSize);
            std::vector<uint8_t> maskBefore;
            if (copy->FMask)
                maskBefore.assign(copy->FMask->FBits, copy->FMask->FBits + copy->FMask->FSize);
            TImage* want = FlipReference(copy, vertical);
            ASSERT_EQ(TImage_Flip(copy, vertical), 0);
            EXPECT_TRUE(SameImage(copy, want)) << "vertical " << vertical;
            ASSERT_EQ(TImage_Flip(copy, vertical), 0);
            EXPECT_EQ(std::vector<uint8_t>(copy->FBits, copy->FBits + copy->FSize), before);
            if (copy->FMask) {
                EXPECT_EQ(std::vector<uint8_t>(copy->FMask->FBits,
                                               copy->FMask->FBits + copy->FMask->FSize),
                          maskBefore);
            }
            TImage_Destroy(want);
            TImage_Destroy(copy);
        }
        TransformSetVectorKernels(1);
    });
}

TEST(Resize, NearestTakesSamplesAndRepeatsBlocks) {
    std::vector<uint32_t> c16;
    for (uint32_t n = 0; n < 16; ++n)
        c16.push_back(0x010101 * n);
    TImage* big = Picture(c16, 4, 4, TIF_HASMASK | TIF_BOTTOMUP);
    TImage* small = TImage_ResizeNearest(big, 2, 2);
    EXPECT_EQ(Colours(small), (std::vector<uint32_t>{c16[0], c16[2], c16[8], c16[10]}));
    TImage* two = Picture({0x11, 0x22, 0x33, 0x44}, 2, 2, TIF_HASMASK);
    TImage* four = TImage_ResizeNearest(two, 4, 4);
    EXPECT_EQ(Colours(four),
              (std::vector<uint32_t>{0x11, 0x11, 0x22, 0x22, 0x11, 0x11, 0x22, 0x22, 0x33, 0x33,
                                     0x44, 0x44, 0x33, 0x33, 0x44, 0x44}));
    for (TImage* im : {big, small, two, four})
        TImage_Destroy(im);
}

TEST(Resize, NearestLeavesTransparentSamplesBlack) {
    TImage* src = Picture({0x123456, 0xABCDEF}, 2, 1, TIF_HASMASK);
    TImage_SetPixel(src->FMask, 1, 0, 0); // hidden, colour still under it
    TImage* out = TImage_ResizeNearest(src, 4, 1);
    uint32_t c = 1;
    EXPECT_EQ(TImage_GetPixelMasked(out, 3, 0, &c), 0u);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(TImage_GetPixelMasked(out, 1, 0, &c), 0xFFFFFFu);
    EXPECT_EQ(c, 0x123456u);
    TImage_Destroy(src);
    TImage_Destroy(out);
}

TEST(Resize, SmoothWeightsTruncateAndClampAtTheLastColumn) {
    TImage* src = Picture({0x000000, 0xFFFFFF}, 2, 1, TIF_HASMASK);
    TImage* out = TImage_ResizeSmooth(src, 4, 1);
    std::vector<uint32_t> low;
    for (uint32_t c : Colours(out))
        low.push_back(c & 0xFF);
    EXPECT_EQ(low, (std::vector<uint32_t>{0, 127, 255, 255}));
    TImage_Destroy(src);
    TImage_Destroy(out);
}

TEST(Resize, SmoothNeedsTwoVisibleSamplesAndIgnoresHiddenColours) {
    // 2 x 2 -> 1 x 1 samples all four pixels; only one visible leaves it transparent.
    TImage* src = Picture({0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF}, 2, 2, TIF_HASMASK);
    TImage_SetPixelMasked(src, 1, 0, 0, 0);
    TImage_SetPixelMasked(src, 0, 1, 0, 0);
    TImage_SetPixelMasked(src, 1, 1, 0, 0);
    TImage* one = TImage_ResizeSmooth(src, 1, 1);
    uint32_t c = 1;
    EXPECT_EQ(TImage_GetPixelMasked(one, 0, 0, &c), 0u);
    EXPECT_EQ(c, 0u);
    // White beside a transparent black pixel stays white halfway between them.
    TImage* edge = Picture({0xFFFFFF, 0x000000}, 2, 1, TIF_HASMASK);
    TImage_SetPixel(edge->FMask, 1, 0, 0);
    TImage* wide = TImage_ResizeSmooth(edge, 4, 1);
    EXPECT_EQ(TImage_GetPixelMasked(wide, 1, 0, &c), 0xFFFFFFu);
    EXPECT_EQ(c, 0xFFFFFFu);
    // From the third column on every sample is the hidden pixel.
    EXPECT_EQ(TImage_GetPixelMasked(wide, 2, 0, &c), 0u);
    for (TImage* im : {src, one, edge, wide})
        TImage_Destroy(im);
}

TEST(Rotate, QuarterTurnsMovePixelsAsTheTableSays) {
    // a b c      clockwise (-90):  d a    counter-clockwise (90):  c f
    // d e f                        e b                             b e
    //                              f c                             a d
    TImage* src = Picture({0xA, 0xB, 0xC, 0xD, 0xE, 0xF}, 3, 2, TIF_HASMASK | TIF_BOTTOMUP);
    TImage* cw = TImage_Rotate(src, -90);
    ASSERT_NE(cw, nullptr);
    EXPECT_EQ(cw->FWidth, 2);
    EXPECT_EQ(cw->FHeight, 3);
    EXPECT_EQ(cw->FFlags, uint32_t(TIF_HASMASK | TIF_BOTTOMUP));
    EXPECT_EQ(Colours(cw), (std::vector<uint32_t>{0xD, 0xA, 0xE, 0xB, 0xF, 0xC}));
    TImage* ccw = TImage_Rotate(src, 450);
    EXPECT_EQ(Colours(ccw), (std::vector<uint32_t>{0xC, 0xF, 0xB, 0xE, 0xA, 0xD}));
    TImage* half = TImage_Rotate(src, -540);
    EXPECT_EQ(Colours(half), (std::vector<uint32_t>{0xF, 0xE, 0xD, 0xC, 0xB, 0xA}));
    for (TImage* im : {src, cw, ccw, half})
        TImage_Destroy(im);
}

TEST(Rotate, OtherRemaindersGiveNullWithoutError) {
    TImage* src = TImage_Create(3, 2, 24, TIF_HASMASK);
    for (int degrees : {0, 270, -270, 360, 45, 1, -1}) {
        SetLastErrorCode(EC_UNKNOWN);
        EXPECT_EQ(TImage_Rotate(src, degrees), nullptr) << degrees;
        EXPECT_EQ(GetLastErrorCode(), EC_NONE) << degrees;
    }
    EXPECT_EQ(TImage_Rotate(nullptr, 90), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    TImage_Destroy(src);
}

TEST(Flip, LeftRightKeepsTheMiddleColumnAndOtherValuesDoNothing) {
    TImage* im = Picture({1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, 5, 2, TIF_HASMASK);
    TImage_SetPixel(im->FMask, 0, 1, 0);
    ASSERT_EQ(TImage_Flip(im, 0), 0);
    EXPECT_EQ(Colours(im), (std::vector<uint32_t>{5, 4, 3, 2, 1, 10, 9, 8, 7, 6}));
    EXPECT_EQ(TImage_GetPixel(im->FMask, 4, 1), 0u);
    EXPECT_EQ(TImage_GetPixel(im->FMask, 0, 1), 0xFFFFFFu);
    ASSERT_EQ(TImage_Flip(im, 1), 0);
    EXPECT_EQ(Colours(im), (std::vector<uint32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(TImage_Flip(im, 2), 0);
    EXPECT_EQ(Colours(im), (std::vector<uint32_t>{10, 9, 8, 7, 6, 5, 4, 3, 2, 1}));
    EXPECT_EQ(TImage_Flip(nullptr, 0), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    TImage_Destroy(im);
}

TEST(Resize, RefusesMissingImageAndEmptySizes) {
    TImage* src = TImage_Create(4, 4, 24, TIF_HASMASK);
    TImage* empty = TImage_Create(0, 3, 24, TIF_HASMASK);
    const TSize bad[] = {{0, 4}, {4, 0}, {-1, 4}, {4, -7}};
    for (int smooth : {0, 1}) {
        for (TSize s : bad) {
            ClearLastErrorCode();
            EXPECT_EQ(TImage_Resize(src, s.w, s.h, smooth), nullptr);
            EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
        }
        EXPECT_EQ(TImage_Resize(nullptr, 2, 2, smooth), nullptr);
        EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
        EXPECT_EQ(TImage_Resize(empty, 2, 2, smooth), nullptr); // nothing to sample
        EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    }
    TImage* turned = TImage_Rotate(empty, 90); // moving no pixels is fine
    ASSERT_NE(turned, nullptr);
    EXPECT_EQ(turned->FWidth, 3);
    EXPECT_EQ(turned->FHeight, 0);
    for (TImage* im : {src, empty, turned})
        TImage_Destroy(im);
}

TEST(Resize, FailedAllocationGivesNullAndKeepsSource) {
    TImage* src = Picture({0x10, 0x20, 0x30, 0x40}, 2, 2, TIF_HASMASK);
    const uint64_t limit = TImage_GetPixelLimit();
    TImage_SetPixelLimit(8); // below the 2 x 2 image's 16 bytes
    for (int smooth : {0, 1}) {
        EXPECT_EQ(TImage_Resize(src, 100, 100, smooth), nullptr);
        EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    }
    EXPECT_EQ(TImage_Rotate(src, 90), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    // 1300 x 1 fits in 4096 bytes of pixels, but its table of columns does not.
    TImage_SetPixelLimit(4096);
    for (int smooth : {0, 1}) {
        EXPECT_EQ(TImage_Resize(src, 1300, 1, smooth), nullptr);
        EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    }
    TImage_SetPixelLimit(limit);
    EXPECT_EQ(Colours(src), (std::vector<uint32_t>{0x10, 0x20, 0x30, 0x40}));
    TImage_Destroy(src);
}

TEST(Resize, NearestStaysInsideSourceAtWidthsPastFloatPrecision) {
    // At 8565692 columns from 33, float(j) * rx rounds up to 33 for the last column.
    TImage* src = Picture(std::vector<uint32_t>(33, 0x0A0B0C), 33, 1, TIF_HASMASK);
    TImage_SetPixel(src, 32, 0, 0x445566);
    TImage* out = TImage_ResizeNearest(src, 8565692, 1);
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(TImage_GetPixel(out, 8565691, 0), 0x445566u);
    EXPECT_EQ(TImage_GetPixel(out->FMask, 8565691, 0), 0xFFFFFFu);
    TImage_Destroy(src);
    TImage_Destroy(out);
}

TEST(Transform, RefusesRowsTooShortForTheirPixels) {
    // A record whose stride cannot hold its width (as a 15-bit image's 15-bit row rule can
    // give) is refused rather than read past its rows.
    TImage* im = TImage_Create(40, 2, 16, 0);
    im->FStride = 76;
    EXPECT_EQ(TImage_Rotate(im, 90), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TImage_Resize(im, 3, 3, 0), nullptr);
    EXPECT_EQ(TImage_Flip(im, 0), -1);
    im->FStride = 80;
    TImage_Destroy(im);
}

TEST(Rotate, MatchesMappingAcrossTileAndStripBoundaries) {
    // Larger than one tile of the quarter turns and one 64-column strip of the mask.
    SCOPED_TRACE("seed " + std::to_string(KSeed));
    std::mt19937 rng(KSeed);
    for (uint32_t order : {0u, uint32_t(TIF_BOTTOMUP)})
        for (TSize s : {TSize{300, 141}, TSize{141, 300}}) {
            TImage* src = RandomImage(rng, s.w, s.h, 24, order | TIF_HASMASK, 0.5);
            for (int vector : {1, 0})
                for (int turn : {-90, 90, 180}) {
                    TransformSetVectorKernels(vector);
                    TImage* got = TImage_Rotate(src, turn);
                    TImage* want = RotateReference(src, turn);
                    EXPECT_TRUE(SameImage(got, want)) << "turn " << turn << ", vector " << vector;
                    TImage_Destroy(got);
                    TImage_Destroy(want);
                }
            TransformSetVectorKernels(1);
            TImage_Destroy(src);
        }
}
