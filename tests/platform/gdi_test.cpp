// gdi figures and objects: every figure covers the same pixels at 24, 32 and 1 bit, matches a
// per-pixel reference written from its documented rule, honours the clip, and inverts exactly
// once under GDI_R2_NOT; plus the object and context rules callers rely on.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "tests/platform/gdi_test_util.h"

namespace {
const int32_t KW = 41, KH = 35; // odd sizes: partial bytes of the 1-bit rows, padded 24-bit rows

enum { PEN = 1, BRUSH = 2 };

// ---- Per-pixel references --------------------------------------------------------------------

struct Box {
    int64_t l, t, r, b;
};

Box Ordered(int32_t l, int32_t t, int32_t r, int32_t b) {
    return Box{std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)};
}

using Coverage = std::vector<uint8_t>; // KW x KH, 0, PEN or BRUSH

void Put(Coverage& c, int64_t x, int64_t y, uint8_t what) {
    if (x >= 0 && x < KW && y >= 0 && y < KH) c[size_t(y * KW + x)] = what;
}

// The w x w square swept along the width-1 frame; the brush inside the frame where the pen is not.
Coverage RectangleReference(Box k, int w, bool pen, bool brush) {
    Coverage c(KW * KH, 0);
    if (k.l == k.r || k.t == k.b) return c;
    if (!pen) {
        for (int64_t y = k.t; y < k.b; ++y)
            for (int64_t x = k.l; x < k.r; ++x)
                Put(c, x, y, BRUSH);
        return c;
    }
    int64_t h = w / 2;
    for (int64_t y = k.t; y < k.b; ++y)
        for (int64_t x = k.l; x < k.r; ++x) {
            bool frame = x == k.l || x == k.r - 1 || y == k.t || y == k.b - 1;
            if (brush && !frame) Put(c, x, y, BRUSH);
        }
    for (int64_t y = k.t; y < k.b; ++y)
        for (int64_t x = k.l; x < k.r; ++x) {
            if (!(x == k.l || x == k.r - 1 || y == k.t || y == k.b - 1)) continue;
            for (int64_t j = -h; j < w - h; ++j)
                for (int64_t i = -h; i < w - h; ++i)
                    Put(c, x + i, y + j, PEN);
        }
    return c;
}

// Inside the ellipse of doubled semi-axes a2, b2 centred at (sx, sy) / 2.
bool InEllipse(int64_t sx, int64_t sy, int64_t a2, int64_t b2, int64_t x, int64_t y) {
    if (a2 <= 0 || b2 <= 0) return false;
    __int128 dx = 2 * x - sx, dy = 2 * y - sy, A = a2, B = b2;
    return dx * dx * B * B + dy * dy * A * A <= A * A * B * B;
}

Coverage EllipseReference(Box k, int w, bool pen, bool brush) {
    Coverage c(KW * KH, 0);
    if (k.l == k.r || k.t == k.b) return c;
    int64_t sx = k.l + k.r - 1, sy = k.t + k.b - 1, da = k.r - 1 - k.l, db = k.b - 1 - k.t;
    if (!pen) w = 1;
    for (int64_t y = 0; y < KH; ++y)
        for (int64_t x = 0; x < KW; ++x) {
            auto inner = [&](int64_t px, int64_t py) {
                return InEllipse(sx, sy, da - w + 2, db - w + 2, px, py);
            };
            bool interior = inner(x, y) && inner(x - 1, y) && inner(x + 1, y) && inner(x, y - 1) &&
                            inner(x, y + 1);
            bool outer = InEllipse(sx, sy, da + w, db + w, x, y);
            if (!pen && outer && brush) Put(c, x, y, BRUSH);
            if (pen && outer && !interior) Put(c, x, y, PEN);
            if (pen && interior && brush) Put(c, x, y, BRUSH);
        }
    return c;
}

// The line's pixels by the documented rounding, end point included or not.
std::vector<std::pair<int64_t, int64_t>> LinePoints(int64_t x0, int64_t y0, int64_t x1, int64_t y1,
                                                    bool withEnd) {
    std::vector<std::pair<int64_t, int64_t>> out;
    int64_t ax = std::abs(x1 - x0), ay = std::abs(y1 - y0), n = std::max(ax, ay);
    int64_t sx = x1 < x0 ? -1 : 1, sy = y1 < y0 ? -1 : 1;
    if (n == 0) {
        if (withEnd) out.push_back({x0, y0});
        return out;
    }
    for (int64_t i = 0; i < n + (withEnd ? 1 : 0); ++i) {
        if (ax >= ay)
            out.push_back({x0 + sx * i, y0 + sy * ((2 * i * ay + ax) / (2 * ax))});
        else
            out.push_back({x0 + sx * ((2 * i * ax + ay) / (2 * ay)), y0 + sy * i});
    }
    return out;
}

Coverage LineReference(int64_t x0, int64_t y0, int64_t x1, int64_t y1, int w) {
    Coverage c(KW * KH, 0);
    int64_t h = w / 2;
    for (auto p : LinePoints(x0, y0, x1, y1, w > 1)) {
        if (w == 1) {
            Put(c, p.first, p.second, PEN);
            continue;
        }
        for (int64_t j = 0; j < w; ++j)
            for (int64_t i = 0; i < w; ++i) {
                int64_t di = 2 * i + 1 - w, dj = 2 * j + 1 - w;
                if (di * di + dj * dj <= int64_t(w) * w)
                    Put(c, p.first + i - h, p.second + j - h, PEN);
            }
    }
    return c;
}

// ---- Drawing a random figure on planes -------------------------------------------------------

enum Kind { RECT, FILLED_RECT, NULL_PEN_RECT, ELLIPSE, FILLED_ELLIPSE, NULL_PEN_ELLIPSE, LINE };
const char* const KKindNames[] = {"rectangle", "filled rectangle", "null-pen rectangle",
                                  "ellipse",   "filled ellipse",   "null-pen ellipse",
                                  "line"};

struct Figure {
    Kind kind;
    int width;
    int32_t l, t, r, b;
};

bool HasPen(Kind k) {
    return k != NULL_PEN_RECT && k != NULL_PEN_ELLIPSE;
}
bool HasBrush(Kind k) {
    return k != RECT && k != ELLIPSE && k != LINE;
}

void Draw(TGdiDC* dc, const Figure& f, TGdiColor pen, TGdiColor brush) {
    TestTools tools(dc, Gdi_CreatePen(HasPen(f.kind) ? GDI_PS_SOLID : GDI_PS_NULL, f.width, pen),
                    HasBrush(f.kind) ? Gdi_CreateSolidBrush(brush)
                                     : Gdi_GetStockObject(GDI_NULL_BRUSH));
    switch (f.kind) {
    case RECT:
    case FILLED_RECT:
    case NULL_PEN_RECT:
        EXPECT_EQ(Gdi_Rectangle(dc, f.l, f.t, f.r, f.b), 1);
        break;
    case LINE:
        Gdi_MoveTo(dc, f.l, f.t, nullptr);
        EXPECT_EQ(Gdi_LineTo(dc, f.r, f.b), 1);
        break;
    default:
        EXPECT_EQ(Gdi_Ellipse(dc, f.l, f.t, f.r, f.b), 1);
    }
}

Coverage Reference(const Figure& f) {
    Box k = Ordered(f.l, f.t, f.r, f.b);
    if (f.kind == LINE) return LineReference(f.l, f.t, f.r, f.b, f.width);
    if (f.kind <= NULL_PEN_RECT)
        return RectangleReference(k, f.width, HasPen(f.kind), HasBrush(f.kind));
    return EllipseReference(k, f.width, HasPen(f.kind), HasBrush(f.kind));
}

void Clip(TGdiDC* dc, const TGdiRect* clip) {
    TGdiObject* region =
        clip ? Gdi_CreateRectRgn(clip->left, clip->top, clip->right, clip->bottom) : nullptr;
    EXPECT_EQ(Gdi_SelectClipRgn(dc, region), 1);
    if (region) Gdi_DeleteObject(region);
}

bool InClip(const TGdiRect* clip, int64_t x, int64_t y) {
    return !clip || (x >= clip->left && x < clip->right && y >= clip->top && y < clip->bottom);
}

Figure RandomFigure(std::mt19937& random, Kind kind, int width) {
    std::uniform_int_distribution<int32_t> coord(-12, KW + 12);
    Figure f = {kind, width, coord(random), coord(random), coord(random), coord(random)};
    switch (random() % 6) {
    case 0:
        f.r = f.l;
        break; // no width
    case 1:
        f.b = f.t + int32_t(random() % 3) - 1;
        break; // one row, none, or reversed
    case 2:
        f.r = f.l + int32_t(random() % 5);
        f.b = f.t + int32_t(random() % 5);
        break; // tiny
    default:
        break;
    }
    return f;
}
} // namespace

TEST(GdiFigures, RectangleExcludesRightAndBottomEdge) {
    TestPlane plane(7, 7, 24);
    TestTools tools(plane.FDC, Gdi_CreatePen(GDI_PS_SOLID, 1, 0xFFFFFF),
                    Gdi_GetStockObject(GDI_NULL_BRUSH));
    Gdi_Rectangle(plane.FDC, 2, 2, 5, 5);
    std::vector<std::string> expected = {".......", ".......", "..###..", "..#.#..",
                                         "..###..", ".......", "......."};
    EXPECT_EQ(Picture(plane, 0xFFFFFF), expected);
}

TEST(GdiFigures, LineExcludesItsEndPointAtWidthOne) {
    TestPlane plane(6, 3, 1);
    Gdi_SelectObject(plane.FDC, Gdi_GetStockObject(GDI_WHITE_PEN));
    Gdi_MoveTo(plane.FDC, 0, 1, nullptr);
    Gdi_LineTo(plane.FDC, 3, 1);
    Gdi_LineTo(plane.FDC, 3, 1); // to the current position: nothing
    std::vector<std::string> expected = {"......", "###...", "......"};
    EXPECT_EQ(Picture(plane, 0xFFFFFF), expected);
    TGdiPoint old;
    Gdi_MoveTo(plane.FDC, 0, 0, &old);
    EXPECT_EQ(old.x, 3);
    EXPECT_EQ(old.y, 1);
}

// The rule that binds the rasteriser: one figure, the same pixels at every depth, equal to the
// reference inside the clip and nothing outside it.
TEST(GdiFigures, EveryFigureCoversTheSamePixelsAtEveryDepthWithinTheClip) {
    const unsigned seed = 20240611;
    std::mt19937 random(seed);
    for (int kind = RECT; kind <= LINE; ++kind)
        for (int width = 1; width <= 9; ++width)
            for (int round = 0; round < 40; ++round) {
                Figure f = RandomFigure(random, Kind(kind), width);
                int32_t cx[2] = {int32_t(random() % KW) - 5, int32_t(random() % KW) + 5};
                int32_t cy[2] = {int32_t(random() % KH) - 5, int32_t(random() % KH) + 5};
                TGdiRect clipRect = {std::min(cx[0], cx[1]), std::min(cy[0], cy[1]),
                                     std::max(cx[0], cx[1]), std::max(cy[0], cy[1])};
                const TGdiRect* clip = round % 3 ? &clipRect : nullptr;
                SCOPED_TRACE(testing::Message()
                             << "seed " << seed << ", " << KKindNames[kind] << " width " << width
                             << " box (" << f.l << ", " << f.t << ")-(" << f.r << ", " << f.b << ")"
                             << (clip ? " clipped" : ""));
                TestPlane colour(KW, KH, 24, 1), mask(KW, KH, 1, 1), screen(KW, KH, 32, 0);
                for (TestPlane* p : {&colour, &mask, &screen})
                    Clip(p->FDC, clip);
                Draw(colour.FDC, f, 0x0000FF, 0x00FF00);
                Draw(mask.FDC, f, 0xFFFFFF, 0xFFFFFF);
                Draw(screen.FDC, f, 0x123456, 0x123456);
                Coverage expected = Reference(f);
                int mismatches = 0;
                for (int32_t y = 0; y < KH; ++y)
                    for (int32_t x = 0; x < KW; ++x) {
                        uint8_t want = InClip(clip, x, y) ? expected[size_t(y * KW + x)] : 0;
                        TGdiColor c = Gdi_GetPixel(colour.FDC, x, y);
                        uint8_t got = c == 0x0000FF ? PEN : c == 0x00FF00 ? BRUSH : 0;
                        bool onMask = Gdi_GetPixel(mask.FDC, x, y) != 0;
                        bool onScreen = Gdi_GetPixel(screen.FDC, x, y) != 0;
                        if (got != want || onMask != (want != 0) || onScreen != (want != 0))
                            if (++mismatches <= 3)
                                ADD_FAILURE() << "pixel (" << x << ", " << y << "): want "
                                              << int(want) << ", 24-bit " << int(got) << ", 1-bit "
                                              << onMask << ", 32-bit " << onScreen;
                    }
                if (mismatches) return;
            }
}

TEST(GdiFigures, EllipseIsSymmetricAboutBothAxesOfItsBox) {
    std::mt19937 random(77);
    for (int round = 0; round < 200; ++round) {
        int width = 1 + int(random() % 9);
        int32_t l = 12 + int32_t(random() % 5), t = 12 + int32_t(random() % 5);
        int32_t r = l + 1 + int32_t(random() % 18), b = t + 1 + int32_t(random() % 14);
        SCOPED_TRACE(testing::Message() << "seed 77, width " << width << " box (" << l << ", " << t
                                        << ")-(" << r << ", " << b << ")");
        TestPlane plane(48, 42, 24);
        Figure f = {round % 2 ? ELLIPSE : FILLED_ELLIPSE, width, l, t, r, b};
        Draw(plane.FDC, f, 0xFFFFFF, 0x808080);
        for (int32_t y = 0; y < 42; ++y)
            for (int32_t x = 0; x < 48; ++x) {
                TGdiColor c = Gdi_GetPixel(plane.FDC, x, y);
                int32_t mx = l + r - 1 - x, my = t + b - 1 - y;
                if (mx >= 0 && mx < 48) {
                    ASSERT_EQ(c, Gdi_GetPixel(plane.FDC, mx, y)) << x << ", " << y;
                }
                if (my >= 0 && my < 42) {
                    ASSERT_EQ(c, Gdi_GetPixel(plane.FDC, x, my)) << x << ", " << y;
                }
            }
    }
}

// A thin outline without gaps: the width-1 ellipse is one 8-connected curve.
TEST(GdiFigures, ThinEllipseOutlineIsConnected) {
    for (int32_t w = 1; w <= 30; ++w)
        for (int32_t h = 1; h <= 30; h += 3) {
            TestPlane plane(34, 34, 1);
            Gdi_SelectObject(plane.FDC, Gdi_GetStockObject(GDI_WHITE_PEN));
            Gdi_SelectObject(plane.FDC, Gdi_GetStockObject(GDI_NULL_BRUSH));
            Gdi_Ellipse(plane.FDC, 2, 2, 2 + w, 2 + h);
            std::vector<int> seen(34 * 34, 0);
            int total = 0, reached = 0;
            std::vector<std::pair<int, int>> stack;
            for (int y = 0; y < 34; ++y)
                for (int x = 0; x < 34; ++x)
                    if (Gdi_GetPixel(plane.FDC, x, y)) {
                        ++total;
                        if (stack.empty()) stack.push_back({x, y}), seen[y * 34 + x] = 1;
                    }
            while (!stack.empty()) {
                auto p = stack.back();
                stack.pop_back();
                ++reached;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int x = p.first + dx, y = p.second + dy;
                        if (x < 0 || y < 0 || x >= 34 || y >= 34 || seen[y * 34 + x]) continue;
                        if (!Gdi_GetPixel(plane.FDC, x, y)) continue;
                        seen[y * 34 + x] = 1;
                        stack.push_back({x, y});
                    }
            }
            EXPECT_GT(total, 0) << w << " x " << h;
            EXPECT_EQ(reached, total) << w << " x " << h;
            EXPECT_EQ(Gdi_GetPixel(plane.FDC, 2, 2 + (h - 1) / 2), 0xFFFFFFu) << w << " x " << h;
            EXPECT_EQ(Gdi_GetPixel(plane.FDC, 2 + w, 2 + h / 2), 0u) << w << " x " << h;
        }
}

// The selection band: drawing a figure with GDI_R2_NOT inverts every pixel it covers once, and
// drawing it again restores the bitmap, at every depth.
TEST(GdiFigures, InvertingModeInvertsEachCoveredPixelOnceAndTwiceRestores) {
    const unsigned seed = 4242;
    std::mt19937 random(seed);
    for (int bits : {24, 1, 32})
        for (int kind = RECT; kind <= LINE; ++kind)
            for (int round = 0; round < 25; ++round) {
                Figure f = RandomFigure(random, Kind(kind), 1 + int(random() % 9));
                SCOPED_TRACE(testing::Message() << "seed " << seed << ", " << bits << " bits, "
                                                << KKindNames[kind] << " width " << f.width);
                TestPlane plane(KW, KH, bits);
                plane.Randomise(random);
                std::vector<TGdiColor> before = plane.Pixels();
                EXPECT_EQ(Gdi_SetROP2(plane.FDC, GDI_R2_NOT), GDI_R2_COPYPEN);
                Draw(plane.FDC, f, 0x0000FF, 0x00FF00);
                Coverage expected = Reference(f);
                std::vector<TGdiColor> after = plane.Pixels();
                for (size_t i = 0; i < after.size(); ++i)
                    ASSERT_EQ(after[i], expected[i] ? before[i] ^ 0xFFFFFF : before[i]) << i;
                Draw(plane.FDC, f, 0x0000FF, 0x00FF00);
                ASSERT_EQ(plane.Pixels(), before);
            }
}

TEST(GdiFigures, SetPixelHonoursTheClipAndStoresTheNearestColour) {
    std::mt19937 random(99);
    TestPlane colour(KW, KH, 24), mask(KW, KH, 1);
    TGdiRect clip = {5, 4, 30, 20};
    Clip(colour.FDC, &clip);
    Clip(mask.FDC, &clip);
    for (int i = 0; i < 2000; ++i) {
        int32_t x = int32_t(random() % (KW + 10)) - 5, y = int32_t(random() % (KH + 10)) - 5;
        TGdiColor c = random() & 0xFFFFFF;
        bool inside = InClip(&clip, x, y);
        EXPECT_EQ(Gdi_SetPixel(colour.FDC, x, y, c), inside ? c : GDI_CLR_INVALID);
        int sum = int(c & 0xFF) + int((c >> 8) & 0xFF) + int(c >> 16);
        EXPECT_EQ(Gdi_SetPixel(mask.FDC, x, y, c),
                  inside ? (sum > 382 ? 0xFFFFFFu : 0u) : GDI_CLR_INVALID);
    }
    for (int32_t y = 0; y < KH; ++y)
        for (int32_t x = 0; x < KW; ++x)
            if (!InClip(&clip, x, y)) {
                ASSERT_EQ(Gdi_GetPixel(colour.FDC, x, y), 0u);
                ASSERT_EQ(Gdi_GetPixel(mask.FDC, x, y), 0u);
            }
    EXPECT_EQ(Gdi_GetPixel(colour.FDC, KW, 0), GDI_CLR_INVALID);
    EXPECT_EQ(Gdi_GetPixel(colour.FDC, 0, -1), GDI_CLR_INVALID);
}

TEST(GdiFigures, FillRectUsesTheBrushOnlyAndIgnoresTheDrawingMode) {
    TestPlane plane(6, 4, 24);
    Gdi_SetROP2(plane.FDC, GDI_R2_NOT);
    TGdiObject* brush = Gdi_CreateSolidBrush(0x00FF00);
    TGdiRect rect = {4, 3, 1, 1}; // reversed corners
    EXPECT_EQ(Gdi_FillRect(plane.FDC, &rect, brush), 1);
    std::vector<std::string> expected = {"......", ".###..", ".###..", "......"};
    EXPECT_EQ(Picture(plane, 0x00FF00), expected);
    EXPECT_EQ(Gdi_FillRect(plane.FDC, &rect, Gdi_GetStockObject(GDI_NULL_BRUSH)), 1);
    EXPECT_EQ(Gdi_FillRect(plane.FDC, nullptr, brush), 0);
    Gdi_DeleteObject(brush);
}

// Figures far larger than the bitmap cost only the rows inside it and stay exact there.
TEST(GdiFigures, HugeFiguresDrawOnlyTheirVisiblePart) {
    TestPlane plane(16, 16, 1);
    TestTools tools(plane.FDC, Gdi_CreatePen(GDI_PS_SOLID, 3, 0xFFFFFF),
                    Gdi_CreateSolidBrush(0xFFFFFF));
    EXPECT_EQ(Gdi_Ellipse(plane.FDC, -2000000000, -2000000000, 2000000000, 2000000000), 1);
    EXPECT_EQ(Gdi_Rectangle(plane.FDC, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 1);
    Gdi_MoveTo(plane.FDC, INT32_MIN, INT32_MIN, nullptr);
    EXPECT_EQ(Gdi_LineTo(plane.FDC, INT32_MAX, INT32_MAX), 1);
    for (TGdiColor c : plane.Pixels())
        EXPECT_EQ(c, 0xFFFFFFu);
}

TEST(GdiObjects, BitmapsReportTheirLayout) {
    void* bits = nullptr;
    TGdiObject* mask = Gdi_CreateDIBSection(33, 5, 1, 1, &bits);
    TGdiBitmapInfo info;
    ASSERT_EQ(Gdi_GetBitmapInfo(mask, &info), 1);
    EXPECT_EQ(info.FStride, 8);
    EXPECT_EQ(info.FSizeImage, 40);
    EXPECT_EQ(info.FBits, bits);
    EXPECT_EQ(info.FBottomUp, 1);
    EXPECT_EQ(info.FOwnsBits, 1);
    TGdiObject* colour = Gdi_CreateDIBSection(5, 3, 24, 1, nullptr);
    ASSERT_EQ(Gdi_GetBitmapInfo(colour, &info), 1);
    EXPECT_EQ(info.FStride, 16);
    // Bottom-up: the first row in memory is the picture's last row.
    info.FBits[0] = 0x11, info.FBits[1] = 0x22, info.FBits[2] = 0x33;
    TGdiDC* dc = Gdi_CreateCompatibleDC(nullptr);
    TGdiObject* old = Gdi_SelectObject(dc, colour);
    EXPECT_EQ(Gdi_GetPixel(dc, 0, 2), 0x112233u);
    EXPECT_EQ(Gdi_GetObjectKind(old), GDI_OBJ_BITMAP);
    TGdiObject* screen = Gdi_CreateCompatibleBitmap(dc, 3, 2);
    ASSERT_EQ(Gdi_GetBitmapInfo(screen, &info), 1);
    EXPECT_EQ(info.FBitsPerPixel, 32);
    EXPECT_EQ(info.FBottomUp, 0);
    for (int i = 0; i < info.FSizeImage; ++i)
        EXPECT_EQ(info.FBits[i], i % 4 == 3 ? 0xFF : 0);
    Gdi_SelectObject(dc, old);
    Gdi_DeleteDC(dc);
    for (TGdiObject* o : {mask, colour, screen})
        EXPECT_EQ(Gdi_DeleteObject(o), 1);
}

TEST(GdiObjects, RefusesBadBitmaps) {
    void* bits = &bits;
    EXPECT_EQ(Gdi_CreateDIBSection(0, 5, 24, 1, &bits), nullptr);
    EXPECT_EQ(bits, nullptr);
    EXPECT_EQ(Gdi_CreateDIBSection(5, -1, 24, 1, nullptr), nullptr);
    EXPECT_EQ(Gdi_CreateDIBSection(5, 5, 8, 1, nullptr), nullptr);
    EXPECT_EQ(Gdi_CreateDIBSection(40000, 20000, 24, 1, nullptr), nullptr); // 2.4 GB
    EXPECT_EQ(Gdi_CreateDIBSection(INT32_MAX, INT32_MAX, 32, 0, nullptr), nullptr);
    uint32_t memory[8];
    EXPECT_EQ(Gdi_CreateBitmapOver(4, 2, 32, 0, 15, memory), nullptr); // stride too small
    EXPECT_EQ(Gdi_CreateBitmapOver(4, 2, 32, 0, 16, nullptr), nullptr);
    TGdiObject* over = Gdi_CreateBitmapOver(4, 2, 32, 0, 16, memory);
    ASSERT_NE(over, nullptr);
    TGdiBitmapInfo info;
    Gdi_GetBitmapInfo(over, &info);
    EXPECT_EQ(info.FOwnsBits, 0);
    EXPECT_EQ(Gdi_DeleteObject(over), 1); // the memory is the caller's
    EXPECT_EQ(Gdi_CreatePen(GDI_PS_SOLID, -1, 0), nullptr);
    EXPECT_EQ(Gdi_CreatePen(GDI_PS_SOLID, GDI_MAX_PEN_WIDTH + 1, 0), nullptr);
    EXPECT_EQ(Gdi_CreatePen(3, 1, 0), nullptr);
}

TEST(GdiObjects, SelectionReturnsThePreviousObjectAndGuardsDeletion) {
    TGdiDC* a = Gdi_CreateCompatibleDC(nullptr);
    TGdiDC* b = Gdi_CreateCompatibleDC(a);
    TGdiObject* bitmap = Gdi_CreateDIBSection(4, 4, 24, 1, nullptr);
    TGdiObject* pen = Gdi_CreatePen(GDI_PS_SOLID, 2, 0xFF);
    EXPECT_EQ(Gdi_SelectObject(a, bitmap), Gdi_GetStockObject(GDI_DEFAULT_BITMAP));
    EXPECT_EQ(Gdi_SelectObject(b, bitmap), nullptr); // one context at a time
    EXPECT_EQ(Gdi_SelectObject(a, pen), Gdi_GetStockObject(GDI_BLACK_PEN));
    EXPECT_EQ(Gdi_SelectObject(b, pen), Gdi_GetStockObject(GDI_BLACK_PEN)); // pens are shared
    EXPECT_EQ(Gdi_GetCurrentObject(a, GDI_OBJ_BRUSH), Gdi_GetStockObject(GDI_WHITE_BRUSH));
    EXPECT_EQ(Gdi_DeleteObject(bitmap), 0); // still selected: refused, still usable
    EXPECT_EQ(Gdi_DeleteObject(pen), 0);
    EXPECT_EQ(Gdi_SetPixel(a, 1, 1, 0x123456), 0x123456u);
    TGdiObject* region = Gdi_CreateRectRgn(3, 3, 0, 0);
    EXPECT_EQ(Gdi_SelectObject(a, region), nullptr);
    EXPECT_EQ(Gdi_SelectClipRgn(a, region), 1);
    EXPECT_EQ(Gdi_DeleteObject(region), 1); // the context keeps its own copy
    TGdiRect box;
    EXPECT_EQ(Gdi_GetClipBox(a, &box), 1);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 3);
    EXPECT_EQ(Gdi_SelectClipRgn(a, pen), 0);
    EXPECT_EQ(Gdi_SelectClipRgn(a, nullptr), 1);
    EXPECT_EQ(Gdi_GetClipBox(a, &box), 1);
    EXPECT_EQ(box.right, 4);
    EXPECT_EQ(Gdi_SetROP2(a, 99), 0);
    EXPECT_EQ(Gdi_GetROP2(a), GDI_R2_COPYPEN);
    EXPECT_EQ(Gdi_DeleteDC(a), 1); // lets go of the bitmap and the pen
    EXPECT_NE(Gdi_SelectObject(b, bitmap), nullptr);
    EXPECT_EQ(Gdi_DeleteDC(b), 1);
    EXPECT_EQ(Gdi_DeleteObject(bitmap), 1);
    EXPECT_EQ(Gdi_DeleteObject(pen), 1);
    EXPECT_EQ(Gdi_DeleteObject(Gdi_GetStockObject(GDI_NULL_PEN)), 1);
    EXPECT_EQ(Gdi_GetStockObject(1234), nullptr);
}

TEST(GdiObjects, NullArgumentsAreRefused) {
    EXPECT_EQ(Gdi_DeleteDC(nullptr), 0);
    EXPECT_EQ(Gdi_DeleteObject(nullptr), 0);
    EXPECT_EQ(Gdi_SelectObject(nullptr, Gdi_GetStockObject(GDI_NULL_PEN)), nullptr);
    EXPECT_EQ(Gdi_Rectangle(nullptr, 0, 0, 1, 1), 0);
    EXPECT_EQ(Gdi_Ellipse(nullptr, 0, 0, 1, 1), 0);
    EXPECT_EQ(Gdi_LineTo(nullptr, 1, 1), 0);
    EXPECT_EQ(Gdi_MoveTo(nullptr, 1, 1, nullptr), 0);
    EXPECT_EQ(Gdi_SetPixel(nullptr, 0, 0, 0), GDI_CLR_INVALID);
    EXPECT_EQ(Gdi_GetPixel(nullptr, 0, 0), GDI_CLR_INVALID);
    EXPECT_EQ(Gdi_GetBitmapInfo(nullptr, nullptr), 0);
    EXPECT_EQ(Gdi_GetClipBox(nullptr, nullptr), 0);
    EXPECT_EQ(Gdi_BitBlt(nullptr, 0, 0, 1, 1, nullptr, 0, 0, GDI_SRCCOPY), 0);
    EXPECT_EQ(Gdi_StretchBlt(nullptr, 0, 0, 1, 1, nullptr, 0, 0, 1, 1, GDI_SRCCOPY), 0);
}
