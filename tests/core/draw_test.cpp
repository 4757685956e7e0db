// Pen dots, spans, lines and polylines: exact shapes and step sequences, the dash counter,
// clipping, and Bresenham's properties on seeded random lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/draw.h"
#include "core/error.h"
#include "core/image.h"

namespace {

using Points = std::set<std::pair<int, int>>; // (x, y)

struct Canvas {
    TImage* FImage;
    Canvas(int w, int h, int penWidth = 1, int style = 0, uint32_t flags = TIF_HASMASK) {
        FImage = TImage_Create(w, h, 24, flags);
        TDrawAttr attr = {0, 0x0000FF, 0, 0xFFFFFF, penWidth};
        TImage_SetDrawAttr(FImage, &attr);
        FImage->FLineStyle = style;
    }
    ~Canvas() { TImage_Destroy(FImage); }
    Points Drawn() const { // pixels with their mask bit set
        Points p;
        for (int y = 0; y < FImage->FHeight; ++y)
            for (int x = 0; x < FImage->FWidth; ++x)
                if (TImage_GetPixel(FImage->FMask, x, y)) p.insert({x, y});
        return p;
    }
    std::vector<std::string> Picture() const {
        std::vector<std::string> rows(FImage->FHeight, std::string(FImage->FWidth, '.'));
        for (auto& p : Drawn())
            rows[p.second][p.first] = '#';
        return rows;
    }
};

Points LinePoints(int penWidth, int style, int x0, int y0, int x1, int y1, int size = 32) {
    Canvas c(size, size, penWidth, style);
    TImage_DrawLine(c.FImage, x0, y0, x1, y1);
    return c.Drawn();
}

Points Row(std::vector<int> xs, int y = 0) {
    Points p;
    for (int x : xs)
        p.insert({x, y});
    return p;
}

} // namespace

TEST(DrawDot, WidthsOneToFiveHaveTheirExactShapes) {
    const std::vector<std::vector<std::string>> expected = {
        {".......", ".......", ".......", "...#...", ".......", ".......", "......."},
        {".......", ".......", ".......", "...##..", "...##..", ".......", "......."},
        {".......", ".......", "...#...", "..###..", "...#...", ".......", "......."},
        {".......", ".......", "...##..", "..####.", "..####.", "...##..", "......."},
        {".......", "..###..", ".#####.", ".#####.", ".#####.", "..###..", "......."},
    };
    const size_t counts[] = {1, 4, 5, 12, 21};
    for (int w = 1; w <= 5; ++w) {
        Canvas c(7, 7, w);
        EXPECT_EQ(TImage_DrawDot(c.FImage, 3, 3), 0);
        EXPECT_EQ(c.Picture(), expected[w - 1]) << "width " << w;
        EXPECT_EQ(c.Drawn().size(), counts[w - 1]) << "width " << w;
    }
    for (int w : {0, -3}) {
        Canvas c(7, 7, w);
        TImage_DrawDot(c.FImage, 3, 3);
        EXPECT_TRUE(c.Drawn().empty());
    }
}

TEST(DrawDot, DiscsAreFilledSymmetricAndExactlyTheirWidthAcross) {
    for (int w = 1; w <= 40; ++w) {
        const int x = 24, y = 24;
        Canvas c(50, 50, w);
        TImage_DrawDot(c.FImage, x, y);
        Points p = c.Drawn();
        // Odd widths centre on (x, y), even ones on (x + 0.5, y + 0.5): offsets first ..
        // first + w - 1 both ways, mirrored and transposed onto themselves.
        const int first = (w % 2) ? -(w / 2) : 1 - w / 2;
        for (auto& q : p) {
            const int a = q.first - x, b = q.second - y;
            ASSERT_TRUE(a >= first && a < first + w && b >= first && b < first + w) << w;
            const int ma = 2 * first + w - 1 - a, mb = 2 * first + w - 1 - b;
            ASSERT_TRUE(p.count({x + ma, y + b}) && p.count({x + a, y + mb}) &&
                        p.count({x + b, y + a}))
                << "width " << w << " asymmetric at " << a << "," << b;
        }
        for (int k = first; k < first + w; ++k) { // full middle row and column, rows convex
            ASSERT_TRUE(p.count({x + k, y + first + (w - 1) / 2})) << w;
            int runs = 0;
            for (int a = first - 1; a < first + w; ++a)
                runs += !p.count({x + a, y + k}) && p.count({x + a + 1, y + k});
            ASSERT_EQ(runs, 1) << "width " << w << " row " << k;
        }
    }
}

TEST(DrawSpan, CoversBothOrdersInclusiveAndHugeRanges) {
    Canvas c(10, 3);
    TImage_DrawSpan(c.FImage, 6, 2, 1);
    EXPECT_EQ(c.Drawn(), Row({2, 3, 4, 5, 6}, 1));
    TImage_DrawSpan(c.FImage, INT32_MAX, INT32_MIN, 0);
    EXPECT_EQ(c.Drawn().size(), 15u);
    TImage_DrawSpan(c.FImage, 0, 9, INT32_MIN);
    EXPECT_EQ(c.Drawn().size(), 15u);
}

TEST(DrawLine, SetsTheBresenhamStepsFromEitherEnd) {
    const Points a = {{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}};
    EXPECT_EQ(LinePoints(1, 0, 0, 0, 4, 2), a);
    EXPECT_EQ(LinePoints(1, 0, 4, 2, 0, 0), a);
    const Points b = {{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}};
    EXPECT_EQ(LinePoints(1, 0, 0, 0, 2, 5), b);
    EXPECT_EQ(LinePoints(1, 0, 2, 5, 0, 0), b);
    EXPECT_EQ(LinePoints(1, 0, 3, 3, 3, 3), Points({{3, 3}}));
    EXPECT_TRUE(LinePoints(1, 1, 3, 3, 3, 3).empty()); // a pattern never draws its start
}

TEST(DrawLine, DotsAndDashesFollowTheCounter) {
    EXPECT_EQ(LinePoints(1, 1, 0, 0, 6, 0), Row({2, 4, 6}));
    EXPECT_EQ(LinePoints(1, 1, 6, 0, 0, 0), Row({2, 4, 6}));
    EXPECT_EQ(LinePoints(1, 2, 0, 0, 20, 0), Row({1, 2, 3, 7, 8, 9, 10, 14, 15, 16, 17}));
    // Equal x: the pattern runs from the second point, here upwards from (0, 20).
    Points up;
    for (int y : {19, 18, 17, 13, 12, 11, 10, 6, 5, 4, 3})
        up.insert({0, y});
    EXPECT_EQ(LinePoints(1, 2, 0, 0, 0, 20), up);
    // Width 2 doubles the runs and draws 2 x 2 dots at steps 1, 4, 5, 8, 9, 12.
    Points w2;
    for (int x : {1, 2, 4, 5, 6, 8, 9, 10, 12, 13})
        w2.insert({x, 5}), w2.insert({x, 6});
    EXPECT_EQ(LinePoints(2, 1, 0, 5, 12, 5), w2);
}

TEST(DrawLine, RandomLinesAreBresenhamAndDashesAreStepsOfTheSolidLine) {
    const unsigned seed = 1234;
    std::mt19937 rng(seed);
    for (int n = 0; n < 300; ++n) {
        int x0 = rng() % 32, y0 = rng() % 32, x1 = rng() % 32, y1 = rng() % 32;
        Points solid = LinePoints(1, 0, x0, y0, x1, y1);
        const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0), steps = std::max(dx, dy);
        ASSERT_EQ(solid.size(), size_t(steps + 1)) << "seed " << seed << " n " << n;
        for (auto& p : solid) { // within half a pixel of the true line along the minor axis
            const int cross = (p.second - y0) * (x1 - x0) - (y1 - y0) * (p.first - x0);
            ASSERT_LE(2 * std::abs(cross), steps) << "seed " << seed << " n " << n;
        }
        // Dashed, width 1: step k from the start is drawn when k mod 7 is 0 to 3 (k > 0).
        const bool fromFirst = x0 < x1;
        const int xa = fromFirst ? x0 : x1, ya = fromFirst ? y0 : y1;
        Points dashed;
        for (auto& p : solid) {
            const int k = std::max(std::abs(p.first - xa), std::abs(p.second - ya));
            if (k > 0 && k % 7 <= 3) dashed.insert(p);
        }
        ASSERT_EQ(LinePoints(1, 2, x0, y0, x1, y1), dashed) << "seed " << seed << " n " << n;
    }
}

TEST(DrawPolyline, RestartsThePatternOnEveryLine) {
    Canvas c(32, 4, 1, 2);
    const TPoint pts[3] = {{0, 0}, {10, 0}, {20, 0}};
    EXPECT_EQ(TImage_DrawPolyline(c.FImage, pts, 3), 0);
    EXPECT_EQ(c.Drawn(), Row({1, 2, 3, 7, 8, 9, 10, 11, 12, 13, 17, 18, 19, 20}));
    Canvas d(32, 4);
    EXPECT_EQ(TImage_DrawPolyline(d.FImage, pts, 1), 0);
    EXPECT_EQ(TImage_DrawPolyline(d.FImage, nullptr, 0), 0);
    EXPECT_TRUE(d.Drawn().empty());
    EXPECT_EQ(TImage_DrawPolyline(d.FImage, nullptr, 2), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TImage_DrawLine(nullptr, 0, 0, 1, 1), -1);
    EXPECT_EQ(TImage_DrawDot(nullptr, 0, 0), -1);
    EXPECT_EQ(TImage_DrawSpan(nullptr, 0, 0, 0), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(DrawLine, ClipAndImageEdgesCutTheSameDrawingAnywhere) {
    // Drawn on a small clipped image, a figure equals the same figure drawn on a large image
    // and cut to the small image's place and clip.
    const unsigned seed = 99;
    std::mt19937 rng(seed);
    for (int n = 0; n < 200; ++n) {
        const int w = 1 + rng() % 6, style = rng() % 3, off = 60;
        const TRectLTRB clip = {int(rng() % 12) - 2, int(rng() % 12) - 2, int(rng() % 14),
                                int(rng() % 14)};
        auto coord = [&] { return int(rng() % 60) - 25; };
        const int x0 = coord(), y0 = coord(), x1 = coord(), y1 = coord();
        Canvas small(10, 10, w, style), big(140, 140, w, style);
        TImage_SetClipRect(small.FImage, &clip);
        TImage_DrawLine(small.FImage, x0, y0, x1, y1);
        TImage_DrawDot(small.FImage, x1, y0);
        TImage_DrawLine(big.FImage, x0 + off, y0 + off, x1 + off, y1 + off);
        TImage_DrawDot(big.FImage, x1 + off, y0 + off);
        Points cut;
        for (auto& p : big.Drawn()) {
            const int x = p.first - off, y = p.second - off;
            if (x >= 0 && y >= 0 && x < 10 && y < 10 && x >= clip.left && x < clip.right &&
                y >= clip.top && y < clip.bottom)
                cut.insert({x, y});
        }
        ASSERT_EQ(small.Drawn(), cut) << "seed " << seed << " n " << n;
    }
}

TEST(DrawLine, WritesThroughTheMaskedWritesAndSurvivesExtremeCoordinates) {
    Canvas c(8, 2);
    TImage_FillMask(c.FImage, 1);
    c.FImage->FDrawAttr.FMaskValue = 0; // transparent pen: black under a clear bit
    TImage_SetPixel(c.FImage, 3, 0, 0xFFFFFF);
    TImage_DrawLine(c.FImage, 0, 0, 7, 0);
    uint32_t colour = 1;
    EXPECT_EQ(TImage_GetPixelMasked(c.FImage, 3, 0, &colour), 0u);
    EXPECT_EQ(colour, 0u);
    EXPECT_NE(TImage_GetPixel(c.FImage->FMask, 3, 1), 0u);
    Canvas e(8, 8, 3);
    TImage_DrawLine(e.FImage, INT32_MAX - 4, INT32_MIN, INT32_MAX, INT32_MIN + 9);
    TImage_DrawDot(e.FImage, INT32_MIN, INT32_MAX);
    EXPECT_TRUE(e.Drawn().empty());
    Canvas big(8, 8, 100000); // a disc far larger than the image covers it
    TImage_DrawDot(big.FImage, 4, 4);
    EXPECT_EQ(big.Drawn().size(), 64u);
}
