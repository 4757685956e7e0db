// gdi transfers: block copies within one bitmap equal a copy through a temporary block in every
// direction and depth; copies between depths convert as documented; the stretch matches its
// per-pixel rule (whole z x z blocks at integer zooms) with clipping on both sides.
#include <gtest/gtest.h>

#include <random>

#include "tests/platform/gdi_test_util.h"

namespace {
// What a colour becomes when stored at a depth.
TGdiColor Stored(TGdiColor c, int bits) {
    if (bits != 1) return c;
    return int(c & 0xFF) + int((c >> 8) & 0xFF) + int(c >> 16) > 382 ? 0xFFFFFF : 0;
}

void SetClip(TGdiDC* dc, const TGdiRect* clip) {
    TGdiObject* region =
        clip ? Gdi_CreateRectRgn(clip->left, clip->top, clip->right, clip->bottom) : nullptr;
    Gdi_SelectClipRgn(dc, region);
    if (region) Gdi_DeleteObject(region);
}

bool Inside(const TGdiRect& r, int64_t x, int64_t y) {
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

TGdiRect RandomClip(std::mt19937& random, int32_t w, int32_t h) {
    int32_t x0 = int32_t(random() % w) - 3, x1 = int32_t(random() % w) + 3;
    int32_t y0 = int32_t(random() % h) - 3, y1 = int32_t(random() % h) + 3;
    return TGdiRect{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

// Every 32-bit pixel keeps its fourth byte 0xFF.
void ExpectOpaque(const TestPlane& plane) {
    TGdiBitmapInfo info = plane.Info();
    for (int32_t y = 0; y < info.FHeight; ++y)
        for (int32_t x = 0; x < info.FWidth; ++x)
            ASSERT_EQ(info.FBits[y * info.FStride + 4 * x + 3], 0xFF) << x << ", " << y;
}
} // namespace

// The cyclic shift moves rows and columns within one surface: the result must be that of a copy
// through a temporary block, whatever the direction and overlap.
TEST(GdiBitBlt, OverlappingCopyWithinOneBitmapEqualsCopyThroughATemporary) {
    const unsigned seed = 1337;
    std::mt19937 random(seed);
    const int32_t W = 53, H = 29;
    for (int bits : {24, 32, 1})
        for (int round = 0; round < 300; ++round) {
            TestPlane plane(W, H, bits, round % 2);
            plane.Randomise(random);
            std::vector<TGdiColor> before = plane.Pixels();
            int32_t w = int32_t(random() % W), h = int32_t(random() % H);
            int32_t sx = int32_t(random() % (W + 6)) - 3, sy = int32_t(random() % (H + 6)) - 3;
            int32_t dx = sx + int32_t(random() % 21) - 10, dy = sy + int32_t(random() % 11) - 5;
            if (round % 5 == 0) dy = sy; // a move along the row only
            TGdiRect clip = RandomClip(random, W, H), all = {0, 0, W, H};
            const TGdiRect& box = round % 4 == 0 ? clip : all;
            SCOPED_TRACE(testing::Message()
                         << "seed " << seed << ", " << bits << " bits, " << w << " x " << h
                         << " from (" << sx << ", " << sy << ") to (" << dx << ", " << dy << ")");
            if (round % 4 == 0) SetClip(plane.FDC, &clip);
            ASSERT_EQ(Gdi_BitBlt(plane.FDC, dx, dy, w, h, plane.FDC, sx, sy, GDI_SRCCOPY), 1);
            std::vector<TGdiColor> expected = before;
            for (int32_t j = 0; j < h; ++j)
                for (int32_t i = 0; i < w; ++i) {
                    int32_t x = dx + i, y = dy + j, fx = sx + i, fy = sy + j;
                    if (Inside(box, x, y) && Inside(all, x, y) && Inside(all, fx, fy))
                        expected[size_t(y * W + x)] = before[size_t(fy * W + fx)];
                }
            ASSERT_EQ(plane.Pixels(), expected);
            if (bits == 32) ExpectOpaque(plane);
        }
}

TEST(GdiBitBlt, CopiesBetweenDepthsConvertEachPixel) {
    const unsigned seed = 5150;
    std::mt19937 random(seed);
    const int32_t W = 37, H = 21;
    for (int from : {1, 24, 32})
        for (int to : {1, 24, 32})
            for (int round = 0; round < 30; ++round) {
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << from << " to " << to
                                                << " bits, round " << round);
                TestPlane src(W, H, from, round % 2), dst(W + 4, H - 3, to, round % 3 == 0);
                src.Randomise(random);
                dst.Randomise(random);
                std::vector<TGdiColor> before = dst.Pixels();
                int32_t w = int32_t(random() % (W + 5)), h = int32_t(random() % (H + 5));
                int32_t sx = int32_t(random() % W) - 4, sy = int32_t(random() % H) - 4;
                int32_t dx = int32_t(random() % W) - 4, dy = int32_t(random() % H) - 4;
                ASSERT_EQ(Gdi_BitBlt(dst.FDC, dx, dy, w, h, src.FDC, sx, sy, GDI_SRCCOPY), 1);
                std::vector<TGdiColor> expected = before;
                for (int32_t j = 0; j < h; ++j)
                    for (int32_t i = 0; i < w; ++i) {
                        int32_t x = dx + i, y = dy + j;
                        TGdiColor c = Gdi_GetPixel(src.FDC, sx + i, sy + j);
                        if (c == GDI_CLR_INVALID || x < 0 || y < 0 || x >= W + 4 || y >= H - 3)
                            continue;
                        expected[size_t(y * (W + 4) + x)] = Stored(c, to);
                    }
                ASSERT_EQ(dst.Pixels(), expected);
            }
}

TEST(GdiBitBlt, RefusesOtherRasterOperationsAndNegativeSizes) {
    TestPlane a(4, 4, 24), b(4, 4, 24);
    b.Fill(0xABCDEF);
    EXPECT_EQ(Gdi_BitBlt(a.FDC, 0, 0, 4, 4, b.FDC, 0, 0, 0xEE0086), 0);
    EXPECT_EQ(Gdi_BitBlt(a.FDC, 0, 0, -1, 4, b.FDC, 0, 0, GDI_SRCCOPY), 0);
    EXPECT_EQ(Gdi_StretchBlt(a.FDC, 0, 0, 4, 4, b.FDC, 0, 0, 2, 2, 0x660046), 0);
    EXPECT_EQ(Gdi_StretchBlt(a.FDC, 0, 0, 4, 4, b.FDC, 0, 0, 0, 2, GDI_SRCCOPY), 0);
    EXPECT_EQ(Gdi_BitBlt(a.FDC, 0, 0, 0, 4, b.FDC, 0, 0, GDI_SRCCOPY), 1); // nothing to do
    EXPECT_EQ(Gdi_BitBlt(a.FDC, 9, 9, 4, 4, b.FDC, 0, 0, GDI_SRCCOPY), 1); // clipped away
    for (TGdiColor c : a.Pixels())
        EXPECT_EQ(c, 0u);
    // A stretch within one bitmap is refused; an equal-size one is a block copy.
    EXPECT_EQ(Gdi_StretchBlt(b.FDC, 0, 0, 4, 4, b.FDC, 0, 0, 2, 2, GDI_SRCCOPY), 0);
    EXPECT_EQ(Gdi_StretchBlt(b.FDC, 1, 0, 3, 4, b.FDC, 0, 0, 3, 4, GDI_SRCCOPY), 1);
}

// The view: destination pixel (x + i, y + j) shows source pixel (sx + i sw / w, sy + j sh / h)
// rounded down, for every zoom, depth pair, clip and source rectangle partly outside its bitmap.
TEST(GdiStretchBlt, EveryDestinationPixelTakesItsSourcePixel) {
    const unsigned seed = 8086;
    std::mt19937 random(seed);
    struct Zoom {
        int32_t sw, sh, w, h;
    };
    const Zoom zooms[] = {{9, 7, 9, 7},   {9, 7, 18, 14},   {5, 4, 40, 32},   {3, 3, 48, 48},
                          {48, 40, 6, 5}, {17, 11, 29, 13}, {29, 13, 17, 11}, {7, 30, 35, 6}};
    const int32_t SW = 50, SH = 41, DW = 61, DH = 53;
    for (int from : {24, 32, 1})
        for (int to : {32, 24, 1})
            for (const Zoom& z : zooms)
                for (int round = 0; round < 6; ++round) {
                    TestPlane src(SW, SH, from, 1), dst(DW, DH, to, 0);
                    src.Randomise(random);
                    dst.Randomise(random);
                    std::vector<TGdiColor> before = dst.Pixels();
                    int32_t sx = int32_t(random() % SW) - 6, sy = int32_t(random() % SH) - 6;
                    int32_t x = int32_t(random() % DW) - 10, y = int32_t(random() % DH) - 10;
                    TGdiRect clip = RandomClip(random, DW, DH), all = {0, 0, DW, DH};
                    bool clipped = round % 2 == 1;
                    if (clipped) SetClip(dst.FDC, &clip);
                    SCOPED_TRACE(testing::Message()
                                 << "seed " << seed << ", " << from << " to " << to << " bits, "
                                 << z.sw << " x " << z.sh << " to " << z.w << " x " << z.h
                                 << " from (" << sx << ", " << sy << ") to (" << x << ", " << y
                                 << ")" << (clipped ? " clipped" : ""));
                    ASSERT_EQ(Gdi_StretchBlt(dst.FDC, x, y, z.w, z.h, src.FDC, sx, sy, z.sw, z.sh,
                                             GDI_SRCCOPY),
                              1);
                    std::vector<TGdiColor> expected = before;
                    for (int32_t j = 0; j < z.h; ++j)
                        for (int32_t i = 0; i < z.w; ++i) {
                            int32_t px = x + i, py = y + j;
                            TGdiColor c =
                                Gdi_GetPixel(src.FDC, sx + i * z.sw / z.w, sy + j * z.sh / z.h);
                            if (c == GDI_CLR_INVALID || !Inside(clipped ? clip : all, px, py) ||
                                !Inside(all, px, py))
                                continue;
                            expected[size_t(py * DW + px)] = Stored(c, to);
                        }
                    ASSERT_EQ(dst.Pixels(), expected);
                    if (to == 32) ExpectOpaque(dst);
                }
}

// At the editor's zooms every image pixel is a whole z x z block of the view; at 1/8 the view
// keeps the first pixel of every 8 x 8 group.
TEST(GdiStretchBlt, IntegerZoomsMakeWholeBlocksAndAnEighthKeepsOnePixelInEight) {
    std::mt19937 random(31);
    TestPlane image(64, 48, 24, 1);
    image.Randomise(random);
    for (int32_t z : {1, 2, 8, 16}) {
        TGdiDC* view = Gdi_CreateCompatibleDC(nullptr);
        TGdiObject* buffer = Gdi_CreateCompatibleBitmap(view, 200, 150);
        TGdiObject* old = Gdi_SelectObject(view, buffer);
        int32_t sw = 200 / z + 1, sh = 150 / z + 1; // a partial block at the edges
        ASSERT_EQ(Gdi_StretchBlt(view, 0, 0, sw * z, sh * z, image.FDC, 3, 5, sw, sh, GDI_SRCCOPY),
                  1);
        for (int32_t y = 0; y < 150; ++y)
            for (int32_t x = 0; x < 200; ++x) {
                TGdiColor want = Gdi_GetPixel(image.FDC, 3 + x / z, 5 + y / z);
                if (want == GDI_CLR_INVALID) want = 0; // past the image: the buffer's black
                ASSERT_EQ(Gdi_GetPixel(view, x, y), want)
                    << "zoom " << z << " at " << x << ", " << y;
            }
        Gdi_SelectObject(view, old);
        Gdi_DeleteDC(view);
        Gdi_DeleteObject(buffer);
    }
    TestPlane small(8, 6, 32, 0);
    ASSERT_EQ(Gdi_StretchBlt(small.FDC, 0, 0, 8, 6, image.FDC, 0, 0, 64, 48, GDI_SRCCOPY), 1);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(Gdi_GetPixel(small.FDC, x, y), Gdi_GetPixel(image.FDC, 8 * x, 8 * y));
}

// Figures drawn on a 32-bit view keep it opaque, inverted or not.
TEST(GdiFigures32, DrawingKeepsTheFourthByteOpaque) {
    TestPlane view(23, 17, 32, 0);
    view.Fill(0x00FF00);
    TestTools tools(view.FDC, Gdi_CreatePen(GDI_PS_SOLID, 3, 0x0000FF),
                    Gdi_CreateSolidBrush(0xFF0000));
    Gdi_Ellipse(view.FDC, 1, 1, 20, 15);
    Gdi_SetROP2(view.FDC, GDI_R2_NOT);
    Gdi_Rectangle(view.FDC, 3, 2, 22, 16);
    Gdi_MoveTo(view.FDC, 0, 16, nullptr);
    Gdi_LineTo(view.FDC, 22, 0);
    Gdi_SetPixel(view.FDC, 5, 5, 0x123456);
    ExpectOpaque(view);
}
