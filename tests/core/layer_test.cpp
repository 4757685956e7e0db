// Layers: binding to the platform's contexts, the same figure on both planes, erasing, the
// cyclic shifts, transfers within one surface, rotation and resizing, and failed layers.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/copy_rect.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"

namespace {
struct LayerDeleter {
    void operator()(TLayer* layer) const { TLayer_Destroy(layer); }
};
using LayerPtr = std::unique_ptr<TLayer, LayerDeleter>;

LayerPtr Make(int w, int h) {
    return LayerPtr(TLayer_Create(w, h));
}

// Colour and mask of every pixel, row by row.
std::vector<uint64_t> Snapshot(const TLayer* layer) {
    std::vector<uint64_t> out;
    for (int y = 0; y < layer->FHeight; ++y)
        for (int x = 0; x < layer->FWidth; ++x) {
            uint32_t c;
            uint32_t m = TImage_GetPixelMasked(layer->FImage, x, y, &c);
            out.push_back(uint64_t(c) | (uint64_t(m != 0) << 32));
        }
    return out;
}

void Randomise(TLayer* layer, std::mt19937& random) {
    for (int y = 0; y < layer->FHeight; ++y)
        for (int x = 0; x < layer->FWidth; ++x)
            TImage_SetPixelMasked(layer->FImage, x, y, random() & 0xFFFFFF,
                                  (random() & 1) ? 0xFFFFFF : 0);
}
} // namespace

TEST(Layer, BoundLayerSharesItsPixelsWithTheContexts) {
    LayerPtr layer = Make(7, 5);
    ASSERT_NE(layer->FImage, nullptr);
    EXPECT_EQ(layer->FWidth, 7);
    EXPECT_EQ(layer->FHeight, 5);
    ASSERT_NE(layer->FDC, nullptr);
    ASSERT_NE(layer->FMaskDC, nullptr);
    EXPECT_TRUE(layer->FImage->FFlags & TIF_EXTBITS);
    EXPECT_TRUE(layer->FImage->FFlags & TIF_BOTTOMUP);
    TImage_SetPixelMasked(layer->FImage, 6, 0, 0x00336699, 0xFFFFFF);
    EXPECT_EQ(Gdi_GetPixel(layer->FDC, 6, 0), 0x00336699u);
    EXPECT_EQ(Gdi_GetPixel(layer->FMaskDC, 6, 0), 0xFFFFFFu);
    Gdi_SetPixel(layer->FDC, 1, 4, 0x00ABCDEF);
    EXPECT_EQ(TImage_GetPixel(layer->FImage, 1, 4), 0x00ABCDEFu);
}

TEST(Layer, UnbindGivesThePixelsBackToTheImage) {
    LayerPtr layer = Make(3, 3);
    TImage_SetPixelMasked(layer->FImage, 2, 2, 0x010203, 0xFFFFFF);
    TLayer_Unbind(layer.get());
    EXPECT_EQ(layer->FDC, nullptr);
    EXPECT_FALSE(layer->FImage->FFlags & TIF_EXTBITS);
    uint32_t c;
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 2, 2, &c), 0xFFFFFFu);
    EXPECT_EQ(c, 0x010203u);
    ASSERT_EQ(TLayer_Bind(layer.get(), TLayer_ReferenceDC()), 0);
    EXPECT_EQ(Gdi_GetPixel(layer->FDC, 2, 2), 0x010203u);
}

TEST(Layer, EveryShapeCoversTheSamePixelsOnBothPlanes) {
    const unsigned seed = 2024;
    std::mt19937 random(seed);
    for (int round = 0; round < 400; ++round) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
        LayerPtr layer = Make(40, 30);
        if (round % 3 == 0) {
            TRectLTRB clip = {int(random() % 20), int(random() % 15), 20 + int(random() % 25),
                              15 + int(random() % 20)};
            TLayer_SetClip(layer.get(), &clip);
        }
        int l = int(random() % 50) - 5, t = int(random() % 40) - 5;
        int r = int(random() % 50) - 5, b = int(random() % 40) - 5;
        int width = 1 + round % 9;
        const uint32_t pen = 0x112233, fill = 0x445566;
        switch (round % 4) {
        case 0:
            TLayer_Ellipse(layer.get(), l, t, r, b, pen, 0xFFFFFF, width);
            break;
        case 1:
            TLayer_FillEllipse(layer.get(), l, t, r, b, pen, fill, 0xFFFFFF, width);
            break;
        case 2:
            TLayer_Rectangle(layer.get(), l, t, r, b, pen, 0xFFFFFF, width);
            break;
        default:
            TLayer_FillRect(layer.get(), l, t, r, b, pen, fill, 0xFFFFFF, width);
            break;
        }
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                uint32_t c;
                uint32_t m = TImage_GetPixelMasked(layer->FImage, x, y, &c);
                ASSERT_EQ(c != 0, m != 0) << x << "," << y;
                ASSERT_TRUE(c == 0 || c == pen || c == fill) << x << "," << y;
            }
    }
}

TEST(Layer, MaskZeroErasesTheFigureButTheFillKeepsItsColour) {
    LayerPtr layer = Make(10, 10);
    TLayer_FillRect(layer.get(), 0, 0, 10, 10, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 1);
    TLayer_Rectangle(layer.get(), 2, 2, 6, 6, 0x123456, 0, 1);
    uint32_t c;
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 2, 2, &c), 0u);
    EXPECT_EQ(c, 0u);
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 3, 3, &c), 0xFFFFFFu); // inside the outline
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 6, 6, &c), 0xFFFFFFu); // right edge excluded
    TLayer_FillRect(layer.get(), 2, 2, 6, 6, 0x123456, 0x00FF00, 0, 1);
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 3, 3, &c), 0u);
    EXPECT_EQ(c, 0x00FF00u);
}

TEST(Layer, EraseWithoutRectangleClearsTheWholeSurfaceWhereverItLies) {
    for (int at : {0, 5}) {
        LayerPtr layer = Make(8, 6);
        TLayer_SetPos(layer.get(), at, at);
        TLayer_FillRect(layer.get(), 0, 0, 8, 6, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 1);
        ASSERT_EQ(TLayer_Erase(layer.get(), nullptr), 0);
        for (uint64_t v : Snapshot(layer.get()))
            ASSERT_EQ(v, 0u) << "at " << at;
    }
    LayerPtr layer = Make(8, 6);
    TLayer_FillRect(layer.get(), 0, 0, 8, 6, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 1);
    TRectXYWH part = {1, 1, 2, 2};
    TLayer_Erase(layer.get(), &part);
    uint32_t c;
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 2, 2, &c), 0u);
    EXPECT_EQ(TImage_GetPixelMasked(layer->FImage, 3, 3, &c), 0xFFFFFFu);
}

TEST(Layer, ScrollWrapsAndReducesItsAmounts) {
    std::mt19937 random(5);
    LayerPtr layer = Make(6, 4);
    Randomise(layer.get(), random);
    std::vector<uint64_t> before = Snapshot(layer.get());
    ASSERT_EQ(TLayer_Scroll(layer.get(), 0, -1, ROP_SRCCOPY), 0);
    std::vector<uint64_t> up = Snapshot(layer.get());
    for (int x = 0; x < 6; ++x) {
        EXPECT_EQ(up[3 * 6 + x], before[x]);         // the top row wrapped to the bottom
        EXPECT_EQ(up[0 * 6 + x], before[1 * 6 + x]); // the rest moved up
    }
    LayerPtr a = Make(6, 4), b = Make(6, 4);
    std::mt19937 r1(9), r2(9);
    Randomise(a.get(), r1);
    Randomise(b.get(), r2);
    TLayer_Scroll(a.get(), 6 + 1, 4 + 1, ROP_SRCCOPY); // height + 1 is a shift by 1
    TLayer_Scroll(b.get(), 1, 1, ROP_SRCCOPY);
    EXPECT_EQ(Snapshot(a.get()), Snapshot(b.get()));
}

TEST(Layer, AnyShiftFollowedByItsInverseRestoresTheSurface) {
    const unsigned seed = 77;
    std::mt19937 random(seed);
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
        int w = 1 + random() % 23, h = 1 + random() % 17;
        LayerPtr layer = Make(w, h);
        Randomise(layer.get(), random);
        std::vector<uint64_t> before = Snapshot(layer.get());
        int dx = int(random() % 60) - 30, dy = int(random() % 60) - 30;
        if (round % 2) {
            int x = random() % w, y = random() % h;
            int rw = 1 + random() % (w - x), rh = 1 + random() % (h - y);
            ASSERT_EQ(TLayer_ScrollRect(layer.get(), x, y, rw, rh, dx, dy, ROP_SRCCOPY), 0);
            // Undo horizontal first, since the shift did vertical first.
            ASSERT_EQ(TLayer_ScrollRect(layer.get(), x, y, rw, rh, -dx, 0, ROP_SRCCOPY), 0);
            ASSERT_EQ(TLayer_ScrollRect(layer.get(), x, y, rw, rh, 0, -dy, ROP_SRCCOPY), 0);
        } else {
            ASSERT_EQ(TLayer_Scroll(layer.get(), dx, dy, ROP_SRCCOPY), 0);
            ASSERT_EQ(TLayer_Scroll(layer.get(), -dx, -dy, ROP_SRCCOPY), 0);
        }
        ASSERT_EQ(Snapshot(layer.get()), before);
    }
}

TEST(Layer, ScrollRectMovesOnlyInsideItsRectangle) {
    std::mt19937 random(3);
    LayerPtr layer = Make(8, 8);
    Randomise(layer.get(), random);
    std::vector<uint64_t> before = Snapshot(layer.get());
    ASSERT_EQ(TLayer_ScrollRect(layer.get(), 2, 2, 4, 3, 1, 1, ROP_SRCCOPY), 0);
    std::vector<uint64_t> after = Snapshot(layer.get());
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 2 && y < 5;
            if (!inside) {
                ASSERT_EQ(after[y * 8 + x], before[y * 8 + x]) << x << "," << y;
                continue;
            }
            int sx = 2 + (x - 2 + 3) % 4, sy = 2 + (y - 2 + 2) % 3; // from one left, one up
            ASSERT_EQ(after[y * 8 + x], before[sy * 8 + sx]) << x << "," << y;
        }
}

TEST(Layer, OverlappingTransferWithinOneSurfaceActsAsThroughACopy) {
    const unsigned seed = 11;
    std::mt19937 random(seed);
    for (int round = 0; round < 80; ++round) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << " round " << round);
        LayerPtr layer = Make(17, 13), copy = Make(17, 13);
        Randomise(layer.get(), random);
        TLayer_Blt(copy.get(), 0, 0, 17, 13, layer.get(), 0, 0, ROP_SRCCOPY);
        int x = int(random() % 20) - 3, y = int(random() % 16) - 3;
        int sx = int(random() % 20) - 3, sy = int(random() % 16) - 3;
        int w = 1 + random() % 17, h = 1 + random() % 13;
        TLayer_Blt(layer.get(), x, y, w, h, layer.get(), sx, sy, ROP_SRCCOPY);
        LayerPtr expected = Make(17, 13);
        TLayer_Blt(expected.get(), 0, 0, 17, 13, copy.get(), 0, 0, ROP_SRCCOPY);
        TLayer_Blt(expected.get(), x, y, w, h, copy.get(), sx, sy, ROP_SRCCOPY);
        ASSERT_EQ(Snapshot(layer.get()), Snapshot(expected.get()));
    }
}

TEST(Layer, CreateCopyTakesOneBlockOfBothPlanesOrNothing) {
    std::mt19937 random(5);
    LayerPtr layer = Make(9, 7);
    Randomise(layer.get(), random);
    LayerPtr copy(TLayer_CreateCopy(layer.get(), 2, 3, 4, 3));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->FLeft, 0);
    std::vector<uint64_t> all = Snapshot(layer.get()), got = Snapshot(copy.get());
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(got[y * 4 + x], all[(y + 3) * 9 + x + 2]) << x << "," << y;
    uint64_t saved = TImage_GetPixelLimit();
    TImage_SetPixelLimit(16);
    EXPECT_EQ(TLayer_CreateCopy(layer.get(), 0, 0, 9, 7), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    TImage_SetPixelLimit(saved);
    EXPECT_EQ(TLayer_CreateCopy(nullptr, 0, 0, 2, 2), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
}

TEST(Layer, RotateAndResizeReplaceTheImageAndStayBound) {
    LayerPtr layer = Make(3, 2);
    TLayer_SetPos(layer.get(), 4, 5);
    TImage_SetPixelMasked(layer->FImage, 0, 0, 0x0000FF, 0xFFFFFF);
    ASSERT_EQ(TLayer_Rotate(layer.get(), -90), 0);
    EXPECT_EQ(layer->FWidth, 2);
    EXPECT_EQ(layer->FHeight, 3);
    EXPECT_EQ(layer->FLeft, 4);
    EXPECT_EQ(Gdi_GetPixel(layer->FDC, 1, 0), 0x0000FFu); // top-left went to the top right
    EXPECT_EQ(Gdi_GetPixel(layer->FMaskDC, 1, 0), 0xFFFFFFu);
    EXPECT_EQ(TLayer_Rotate(layer.get(), 270), 0); // no rotation, no error
    EXPECT_EQ(layer->FWidth, 2);
    ASSERT_EQ(TLayer_Resize(layer.get(), 4, 6, 0), 0);
    EXPECT_EQ(layer->FLeft, 0);
    EXPECT_EQ(layer->FWidth, 4);
    EXPECT_EQ(Gdi_GetPixel(layer->FDC, 3, 1), 0x0000FFu);
    EXPECT_EQ(TLayer_Resize(layer.get(), 0, 6, 0), -1);
    EXPECT_EQ(layer->FWidth, 4); // a failed resize keeps the image
}

TEST(Layer, ClipBindsImageAndBothContexts) {
    LayerPtr layer = Make(10, 10);
    TRectLTRB clip = {2, 2, 5, 5};
    ASSERT_EQ(TLayer_SetClip(layer.get(), &clip), 0);
    EXPECT_TRUE(layer->FImage->FClipOn);
    TLayer_FillRect(layer.get(), 0, 0, 10, 10, 0xFF, 0xFF, 0xFFFFFF, 1);
    int covered = 0;
    for (uint64_t v : Snapshot(layer.get()))
        covered += v != 0;
    EXPECT_EQ(covered, 9);
    TLayer_SetClip(layer.get(), nullptr);
    EXPECT_FALSE(layer->FImage->FClipOn);
    TLayer_FillRect(layer.get(), 0, 0, 10, 10, 0xFF, 0xFF, 0xFFFFFF, 1);
    covered = 0;
    for (uint64_t v : Snapshot(layer.get()))
        covered += v != 0;
    EXPECT_EQ(covered, 100);
}

TEST(Layer, TopDownImageKeepsItsPictureWhenBound) {
    TImage* image = TImage_Create(2, 3, 24, TIF_HASMASK);
    TImage_SetPixelMasked(image, 1, 0, 0x00AA00, 0xFFFFFF);
    TGdiObject* bitmap = TImage_MakeBitmap(image, TLayer_ReferenceDC());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_TRUE(image->FFlags & TIF_BOTTOMUP);
    EXPECT_EQ(TImage_GetPixel(image, 1, 0), 0x00AA00u);
    image->FBits = nullptr; // the bitmap owns the memory now
    image->FFlags &= ~uint32_t(TIF_EXTBITS);
    Gdi_DeleteObject(bitmap);
    TImage_Destroy(image);
}

TEST(Layer, FailedLayerReportsNullObjectFromEveryOperation) {
    LayerPtr layer(TLayer_Create(-1, 4));
    ASSERT_NE(layer, nullptr);
    EXPECT_EQ(layer->FImage, nullptr);
    EXPECT_NE(GetLastErrorCode(), EC_NONE);
    TLayer* l = layer.get();
    TPoint points[2] = {{0, 0}, {3, 3}};
    TRectLTRB rect = {0, 0, 2, 2};
    TDrawAttr attr = {};
    const int results[] = {
        TLayer_Blt(l, 0, 0, 1, 1, l, 0, 0, ROP_SRCCOPY),
        TLayer_Rotate(l, 90),
        TLayer_Resize(l, 2, 2, 1),
        TLayer_SetClip(l, &rect),
        TLayer_GetDrawAttr(l, &attr),
        TLayer_SetDrawAttr(l, &attr),
        TLayer_Polyline(l, points, 2),
        TLayer_Ellipse(l, 0, 0, 3, 3, 1, 1, 1),
        TLayer_FillEllipse(l, 0, 0, 3, 3, 1, 1, 1, 1),
        TLayer_Rectangle(l, 0, 0, 3, 3, 1, 1, 1),
        TLayer_FillRect(l, 0, 0, 3, 3, 1, 1, 1, 1),
        TLayer_Erase(l, nullptr),
        TLayer_Scroll(l, 1, 1, ROP_SRCCOPY),
        TLayer_ScrollRect(l, 0, 0, 1, 1, 1, 1, ROP_SRCCOPY),
        TLayer_Bind(l, TLayer_ReferenceDC()),
    };
    for (int result : results)
        EXPECT_EQ(result, -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TLayer_Blt(nullptr, 0, 0, 1, 1, nullptr, 0, 0, ROP_SRCCOPY), -1);
    EXPECT_EQ(TLayer_Destroy(nullptr), nullptr);
}

TEST(Layer, PolylineDrawsWithThePenOnBothPlanes) {
    LayerPtr layer = Make(6, 6);
    TDrawAttr attr = {0, 0x0000FF, 0, 0xFFFFFF, 1};
    TLayer_SetDrawAttr(layer.get(), &attr);
    TPoint points[3] = {{0, 0}, {5, 0}, {5, 5}};
    ASSERT_EQ(TLayer_Polyline(layer.get(), points, 3), 0);
    EXPECT_EQ(Gdi_GetPixel(layer->FDC, 3, 0), 0x0000FFu);
    EXPECT_EQ(Gdi_GetPixel(layer->FMaskDC, 5, 4), 0xFFFFFFu);
    TPoint p = {1, 2};
    TLayer_SetPos(layer.get(), 10, 20);
    TLayer_ToDocPoint(layer.get(), &p);
    EXPECT_EQ(p.x, 11);
    TLayer_ToLocalPoint(layer.get(), &p);
    EXPECT_EQ(p.y, 2);
    TRectLTRB r = {0, 0, 1, 1};
    TLayer_ToDocRect(layer.get(), &r);
    EXPECT_EQ(r.bottom, 21);
    TLayer_ToLocalRect(layer.get(), &r);
    EXPECT_EQ(r.right, 1);
}
