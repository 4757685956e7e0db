// The flood fill: the matching rule on small pictures, the nothing-to-fill rules, clipping,
// and the fast fill against a plain breadth-first fill written from the rule, on seeded random
// images of every depth and on 4000 x 3000 mazes and noise that overflow any fixed stack; the
// rectangle a fill reports, also for fills cut short by a small stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/flood_fill.h"
#include "core/image.h"

namespace {

TImage* Make(int w, int h, int bits = 24, uint32_t flags = TIF_HASMASK | TIF_BOTTOMUP) {
    return TImage_Create(w, h, bits, flags);
}

void SetFill(TImage* image, uint32_t colour, uint32_t mask) {
    TDrawAttr attr = {0, colour, 0, mask, 1};
    TImage_SetDrawAttr(image, &attr);
}

// '.' black, '#' white, 'R' red, visible; '-' black, 'o' grey, 'x' red, transparent.
const char* const KChars = ".#R-ox";
const uint32_t KColours[] = {0, 0xFFFFFF, 0x0000FF, 0, 0x808080, 0x0000FF};

TImage* FromPicture(const std::vector<std::string>& rows) {
    TImage* image = Make(int(rows[0].size()), int(rows.size()));
    for (int y = 0; y < image->FHeight; ++y)
        for (int x = 0; x < image->FWidth; ++x) {
            const int k = int(std::strchr(KChars, rows[y][x]) - KChars);
            TImage_SetPixel(image, x, y, KColours[k]);
            TImage_SetPixel(image->FMask, x, y, k < 3);
        }
    return image;
}

std::vector<std::string> ToPicture(const TImage* image) {
    std::vector<std::string> rows(image->FHeight, std::string(image->FWidth, '?'));
    for (int y = 0; y < image->FHeight; ++y)
        for (int x = 0; x < image->FWidth; ++x) {
            uint32_t c = 0;
            const bool visible = TImage_GetPixelMasked(image, x, y, &c) != 0;
            for (int k = visible ? 0 : 3; k < (visible ? 3 : 6); ++k)
                if (KColours[k] == c) rows[y][x] = KChars[k];
        }
    return rows;
}

std::vector<uint8_t> Bytes(const TImage* image) {
    std::vector<uint8_t> b(image->FBits, image->FBits + image->FSize);
    if (image->FMask)
        b.insert(b.end(), image->FMask->FBits, image->FMask->FBits + image->FMask->FSize);
    return b;
}

// The plain fill: the window, the seed rules and a breadth-first search of 4-neighbours by the
// matching rule, painting through the checked writes; 1 also when painting changes nothing.
int ReferenceFill(TImage* image, int sx, int sy) {
    const uint32_t c = image->FDrawAttr.FColor, fm = image->FDrawAttr.FMaskValue;
    auto inWindow = [&](int x, int y) {
        return TImage_InBounds(image, x, y) && TImage_InClip(image, x, y);
    };
    if (!inWindow(sx, sy)) return 1;
    uint32_t sc = 0;
    const uint32_t sm = TImage_GetPixelMaskedSafe(image, sx, sy, &sc);
    if ((sc == c && sm == fm) || (sm == 0 && fm == 0)) return 1;
    auto inside = [&](int x, int y) {
        uint32_t colour = 0;
        const uint32_t m = TImage_GetPixelMaskedSafe(image, x, y, &colour);
        return (m && sm && colour == sc) || (!m && !sm);
    };
    const int w = image->FWidth;
    std::vector<uint8_t> seen(size_t(w) * image->FHeight);
    std::vector<int> queue = {sy * w + sx}, region;
    seen[queue[0]] = 1;
    for (size_t k = 0; k < queue.size(); ++k) {
        const int x = queue[k] % w, y = queue[k] / w;
        region.push_back(queue[k]);
        const int nx[4] = {x - 1, x + 1, x, x}, ny[4] = {y, y, y - 1, y + 1};
        for (int d = 0; d < 4; ++d)
            if (inWindow(nx[d], ny[d]) && !seen[ny[d] * w + nx[d]] && inside(nx[d], ny[d])) {
                seen[ny[d] * w + nx[d]] = 1;
                queue.push_back(ny[d] * w + nx[d]);
            }
    }
    const std::vector<uint8_t> before = Bytes(image);
    for (int p : region) {
        TImage_SetPixelSafe(image, p % w, p / w, c);
        if (image->FMask) TImage_SetPixelSafe(image->FMask, p % w, p / w, fm);
    }
    return Bytes(image) == before ? 1 : 0;
}

// Copies pixels, mask, clip and attributes of an image of the same format.
TImage* Clone(const TImage* image) {
    TImage* copy = Make(image->FWidth, image->FHeight, image->FBitsPerPixel, image->FFlags);
    std::memcpy(copy->FBits, image->FBits, size_t(image->FSize));
    if (image->FMask) std::memcpy(copy->FMask->FBits, image->FMask->FBits, image->FMask->FSize);
    if (image->FClipOn) TImage_SetClipRect(copy, &image->FClipRect);
    copy->FDrawAttr = image->FDrawAttr;
    return copy;
}

// Fills a copy with each fill and compares results and every byte of both planes.
void ExpectSameAsReference(TImage* image, int x, int y, const std::string& what) {
    TImage* expected = Clone(image);
    const int want = ReferenceFill(expected, x, y);
    EXPECT_EQ(TImage_FloodFill(image, x, y), want) << what;
    EXPECT_TRUE(Bytes(image) == Bytes(expected)) << what;
    TImage_Destroy(expected);
}

} // namespace

TEST(FloodFill, RingWithDiagonalGapsHoldsTheFill) {
    TImage* image =
        FromPicture({"........", "..####..", ".#....#.", ".#....#.", "..####..", "........"});
    SetFill(image, 0x0000FF, 0xFFFFFF);
    EXPECT_EQ(TImage_FloodFill(image, 3, 2), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_EQ(ToPicture(image), std::vector<std::string>({"........", "..####..", ".#RRRR#.",
                                                          ".#RRRR#.", "..####..", "........"}));
    TImage_Destroy(image);
}

TEST(FloodFill, TransparentSeedTakesAnyHiddenColourVisibleSeedOnlyItsOwn) {
    const std::vector<std::string> picture = {"-o-.#", "o#o--", "-.-#.", "..#o-"};
    TImage* image = FromPicture(picture);
    SetFill(image, 0x0000FF, 0xFFFFFF);
    EXPECT_EQ(TImage_FloodFill(image, 0, 0), 0);
    EXPECT_EQ(ToPicture(image), std::vector<std::string>({"RRR.#", "R#RRR", "R.R#.", "..#o-"}));
    // Visible black filled transparent: red under clear bits; (3, 0) and (4, 2) not joined.
    SetFill(image, 0x0000FF, 0);
    EXPECT_EQ(TImage_FloodFill(image, 1, 3), 0);
    EXPECT_EQ(ToPicture(image), std::vector<std::string>({"RRR.#", "R#RRR", "RxR#.", "xx#o-"}));
    TImage_Destroy(image);
}

TEST(FloodFill, NothingToFillReturnsOneAndWritesNothing) {
    TImage* image = FromPicture({"..#", "-o#"});
    const std::vector<uint8_t> before = Bytes(image);
    SetFill(image, 0, 0xFFFFFF); // the seed's own colour and mask
    EXPECT_EQ(TImage_FloodFill(image, 0, 0), 1);
    SetFill(image, 0x0000FF, 0); // a transparent seed filled transparent
    EXPECT_EQ(TImage_FloodFill(image, 1, 1), 1);
    SetFill(image, 0, 1); // any non-zero mask value is visible
    EXPECT_EQ(TImage_FloodFill(image, 0, 0), 1);
    SetFill(image, 0x0000FF, 0xFFFFFF);
    EXPECT_EQ(TImage_FloodFill(image, -1, 0), 1);
    EXPECT_EQ(TImage_FloodFill(image, 3, 0), 1);
    const TRectLTRB clip = {1, 0, 3, 2};
    TImage_SetClipRect(image, &clip);
    EXPECT_EQ(TImage_FloodFill(image, 0, 0), 1);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_TRUE(Bytes(image) == before);
    EXPECT_EQ(TImage_FloodFill(nullptr, 0, 0), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    TImage_Destroy(image);
    // Where a write cannot change what a read gives, the fill ends at once.
    TImage* bits1 = Make(9, 9, 1, 0);
    std::memset(bits1->FBits, 0xFF, size_t(bits1->FSize));
    SetFill(bits1, 0x123456, 0);
    EXPECT_EQ(TImage_FloodFill(bits1, 4, 4), 1);
    TImage_Destroy(bits1);
}

TEST(FloodFill, ClipRectangleBoundsTheFill) {
    TImage* image = Make(20, 20, 24, TIF_HASMASK);
    TImage_FillMask(image, 1);
    SetFill(image, 0x0000FF, 0xFFFFFF);
    const TRectLTRB clip = {0, 0, 10, 10};
    TImage_SetClipRect(image, &clip);
    EXPECT_EQ(TImage_FloodFill(image, 5, 5), 0);
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            changed += TImage_GetPixel(image, x, y) != 0;
    EXPECT_EQ(changed, 100);
    TImage_Destroy(image);
}

TEST(FloodFill, MatchesThePlainFillOnRandomImagesOfEveryDepth) {
    const unsigned seed = 20240611;
    std::mt19937 rng(seed);
    const int depths[] = {24, 24, 24, 24, 1, 2, 4, 8, 16, 32};
    for (int n = 0; n < 4000; ++n) {
        const int bits = depths[rng() % 10], w = 1 + rng() % 200, h = 1 + rng() % 30;
        const uint32_t flags = (rng() % 4 ? TIF_HASMASK : 0) | (rng() % 2 ? TIF_BOTTOMUP : 0);
        TImage* image = Make(w, h, bits, flags);
        const uint32_t palette[3] = {uint32_t(rng()) & 0xFFFFFF, 0xFFFFFF, 0};
        const int colours = 1 + rng() % 3, maskOdds = rng() % 4;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                TImage_SetPixel(image, x, y, palette[rng() % colours]);
                if (image->FMask) TImage_SetPixel(image->FMask, x, y, int(rng() % 4) >= maskOdds);
            }
        if (rng() % 3 == 0) {
            const TRectLTRB clip = {int(rng() % (w + 4)) - 2, int(rng() % (h + 4)) - 2,
                                    int(rng() % (w + 4)), int(rng() % (h + 4))};
            TImage_SetClipRect(image, &clip);
        }
        const uint32_t masks[4] = {0, 0xFFFFFF, 1, uint32_t(rng())};
        SetFill(image, rng() % 8 ? palette[rng() % 3] : uint32_t(rng()), masks[rng() % 4]);
        const int x = int(rng() % (w + 2)) - 1, y = int(rng() % (h + 2)) - 1;
        TImage_SetFloodFillBitmapLimit(n % 5 == 0 ? 0 : UINT64_MAX); // the pixel by pixel fill
        ExpectSameAsReference(image, x, y,
                              "seed " + std::to_string(seed) + " n " + std::to_string(n));
        TImage_Destroy(image);
        if (HasFailure()) break;
    }
    TImage_SetFloodFillBitmapLimit(UINT64_MAX);
}

TEST(FloodFill, FillsEveryCorridorOfALargeMaze) {
    // A perfect maze of one-pixel corridors: one region, and far more pending segments than
    // a fixed stack holds.
    const int w = 4000, h = 3000, cw = (w - 1) / 2, ch = (h - 1) / 2;
    TImage* image = Make(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            TImage_SetPixel(image, x, y, 0xFFFFFF);
    TImage_FillMask(image, 1);
    const unsigned seed = 7;
    std::mt19937 rng(seed);
    std::vector<uint8_t> visited(size_t(cw) * ch);
    std::vector<int> path = {0};
    visited[0] = 1;
    TImage_SetPixel(image, 1, 1, 0);
    while (!path.empty()) {
        const int cell = path.back(), cx = cell % cw, cy = cell / cw;
        int options[4], count = 0;
        const int dx[4] = {-1, 1, 0, 0}, dy[4] = {0, 0, -1, 1};
        for (int d = 0; d < 4; ++d) {
            const int nx = cx + dx[d], ny = cy + dy[d];
            if (nx >= 0 && ny >= 0 && nx < cw && ny < ch && !visited[ny * cw + nx])
                options[count++] = d;
        }
        if (count == 0) {
            path.pop_back();
            continue;
        }
        const int d = options[rng() % count], nx = cx + dx[d], ny = cy + dy[d];
        visited[ny * cw + nx] = 1;
        TImage_SetPixel(image, 2 * cx + 1 + dx[d], 2 * cy + 1 + dy[d], 0);
        TImage_SetPixel(image, 2 * nx + 1, 2 * ny + 1, 0);
        path.push_back(ny * cw + nx);
    }
    SetFill(image, 0x0000FF, 0xFFFFFF);
    ExpectSameAsReference(image, 1, 1, "maze seed " + std::to_string(seed));
    int64_t filled = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            filled += TImage_GetPixel(image, x, y) == 0x0000FF;
    EXPECT_EQ(filled, int64_t(cw) * ch * 2 - 1); // the cells and the tree's passages
    TImage_Destroy(image);
}

TEST(FloodFill, FillsTheLargestRegionOfSixtyFivePercentNoise) {
    // Top-down rows here (the maze is bottom-up); the region is a tangle of short runs.
    const int w = 4000, h = 3000;
    const unsigned seed = 65;
    std::mt19937 rng(seed);
    TImage* image = Make(w, h, 24, TIF_HASMASK);
    TImage_FillMask(image, 1);
    std::vector<uint8_t> on(size_t(w) * h), seen(on.size());
    for (int p = 0; p < w * h; ++p) {
        on[p] = rng() % 100 < 65;
        TImage_SetPixel(image, p % w, p / w, on[p] ? 0x204060 : 0xFFFFFF);
    }
    std::vector<int> queue;
    size_t best = 0;
    int bestStart = 0;
    for (int start = 0; start < w * h; ++start) { // label the regions, keep the largest
        if (!on[start] || seen[start]) continue;
        queue.assign(1, start);
        seen[start] = 1;
        for (size_t k = 0; k < queue.size(); ++k) {
            const int p = queue[k], x = p % w;
            const int next[4] = {x > 0 ? p - 1 : -1, x < w - 1 ? p + 1 : -1, p - w, p + w};
            for (int q : next)
                if (q >= 0 && q < w * h && on[q] && !seen[q]) seen[q] = 1, queue.push_back(q);
        }
        if (queue.size() > best) best = queue.size(), bestStart = start;
    }
    SetFill(image, 0x0000FF, 0xFFFFFF);
    ExpectSameAsReference(image, bestStart % w, bestStart / w,
                          "noise seed " + std::to_string(seed));
    size_t filled = 0;
    for (int p = 0; p < w * h; ++p)
        filled += TImage_GetPixel(image, p % w, p / w) == 0x0000FF;
    EXPECT_EQ(filled, best);
    EXPECT_GT(best, size_t(w) * h / 2);
    TImage_Destroy(image);
}

// The rectangle reported is the box of every pixel the fill changed (each pixel it writes
// changes, by the nothing-to-fill rule), also for fills cut short by a small segment stack;
// a stack that cannot be had at all writes nothing and reports an empty rectangle.
TEST(FloodFill, RectIsTheBoxOfThePixelsChangedAlsoWhenCutShort) {
    const unsigned seed = 20240612;
    std::mt19937 rng(seed);
    const int depths[] = {24, 24, 24, 1, 8, 16, 32};
    const uint64_t limits[] = {UINT64_MAX, UINT64_MAX, 0, 1, 2, 5};
    int cutShort = 0;
    for (int n = 0; n < 3000; ++n) {
        const int bits = depths[rng() % 7], w = 1 + rng() % 120, h = 1 + rng() % 30;
        TImage* image = Make(w, h, bits, TIF_HASMASK | (rng() % 2 ? TIF_BOTTOMUP : 0));
        const uint32_t palette[2] = {uint32_t(rng()) & 0xFFFFFF, 0xFFFFFF};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                TImage_SetPixel(image, x, y, palette[rng() % 2]);
                TImage_SetPixel(image->FMask, x, y, rng() % 4 != 0);
            }
        if (rng() % 3 == 0) {
            const TRectLTRB clip = {int(rng() % w), int(rng() % h), int(rng() % (w + 2)),
                                    int(rng() % (h + 2))};
            TImage_SetClipRect(image, &clip);
        }
        SetFill(image, rng() % 2 ? palette[rng() % 2] : 0x0000FF, rng() % 3 ? 0xFFFFFF : 0);
        const uint64_t limit = limits[rng() % 6];
        TImage* before = Clone(image);
        TImage_SetFloodFillStackLimit(limit);
        TRectLTRB r = {-7, -7, -7, -7};
        const int result = TImage_FloodFillRect(image, int(rng() % w), int(rng() % h), &r);
        TImage_SetFloodFillStackLimit(UINT64_MAX);
        TRectLTRB box = {w, h, 0, 0};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint32_t a = 0, b = 0;
                const uint32_t ma = TImage_GetPixelMaskedSafe(image, x, y, &a);
                const uint32_t mb = TImage_GetPixelMaskedSafe(before, x, y, &b);
                if (a == b && (ma != 0) == (mb != 0)) continue;
                box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                       std::max(box.bottom, y + 1)};
            }
        if (box.right == 0) box = {0, 0, 0, 0};
        const std::string what = "seed " + std::to_string(seed) + " n " + std::to_string(n);
        EXPECT_TRUE(r.left == box.left && r.top == box.top && r.right == box.right &&
                    r.bottom == box.bottom)
            << what << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        EXPECT_EQ(result == 0, box.right != 0 && GetLastErrorCode() == EC_NONE) << what;
        EXPECT_TRUE(result != -1 || GetLastErrorCode() == EC_NO_MEMORY) << what;
        EXPECT_TRUE(limit != 0 || box.right == 0) << what;
        cutShort += result == -1 && box.right != 0;
        TImage_Destroy(before);
        TImage_Destroy(image);
        if (HasFailure()) break;
    }
    EXPECT_GT(cutShort, 0);
}
