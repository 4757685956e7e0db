// What the gdi_*.cpp files share and nothing else sees: the records behind the opaque handles,
// the pixel surface of a bitmap, colour packing per depth, and the span painter through which
// every figure reaches the pixels (one rasterisation, written per depth).
#pragma once

#include <cstdint>

#include "platform/gdi.h"

struct TGdiObject {
    int32_t FKind;        // GDI_OBJ_
    int32_t FStock;       // non-zero for stock objects: shared, never freed
    int32_t FSelectCount; // contexts holding the object (a bitmap: at most 1); 0 for stock
    // Bitmaps.
    int32_t FWidth, FHeight; // pixels, >= 1
    int32_t FBitsPerPixel;   // 1, 24 or 32
    int32_t FStride;         // bytes between rows in memory, a multiple of 4
    int32_t FBottomUp;       // first row in memory is the bottom row
    int32_t FOwnsBits;       // FBits came from calloc here
    uint8_t* FBits;
    // Pens and brushes.
    int32_t FStyle;    // pens: GDI_PS_; brushes: 1 for the null brush, else 0
    int32_t FPenWidth; // >= 1
    TGdiColor FColor;
    // Regions.
    TGdiRect FRect; // ordered corners
};

struct TGdiDC {
    TGdiObject* FBitmap; // never null: the default bitmap at least
    TGdiObject* FPen;
    TGdiObject* FBrush;
    TGdiRect FClip; // ordered; applies when FClipOn
    int32_t FClipOn;
    int32_t FRop2; // GDI_R2_
    TGdiPoint FPos;
    // Reserved for text drawing.
    void* FFont;
    TGdiColor FTextColor;
    TGdiColor FBkColor;
    int32_t FBkMode;
};

// A bitmap's pixels as the painters and transfers see them.
struct TGdiSurface {
    uint8_t* FBits;
    int32_t FWidth, FHeight, FStride, FBpp, FBottomUp;
};

inline TGdiSurface GdiSurfaceOf(const TGdiObject* bitmap) {
    return TGdiSurface{bitmap->FBits,   bitmap->FWidth,        bitmap->FHeight,
                       bitmap->FStride, bitmap->FBitsPerPixel, bitmap->FBottomUp};
}

// Row y of the picture (0 at the top), unchecked.
inline uint8_t* GdiRow(const TGdiSurface& s, int64_t y) {
    int64_t memoryRow = s.FBottomUp ? s.FHeight - 1 - y : y;
    return s.FBits + memoryRow * s.FStride;
}

// The nearer entry of the 1-bit colour table (0 black, 1 white).
inline uint32_t GdiColorToIndex(TGdiColor color) {
    return (color & 0xFF) + ((color >> 8) & 0xFF) + ((color >> 16) & 0xFF) > 382 ? 1 : 0;
}

// The rectangle dc may draw into (clip intersected with the bitmap); false when empty.
bool GdiDrawBox(const TGdiDC* dc, TGdiRect* box);

// Writes spans of one colour in one mode into a surface, clipped to a box.
struct TGdiPainter {
    TGdiSurface FSurface;
    TGdiRect FBox;   // clip, inside the surface
    int32_t FInvert; // GDI_R2_NOT
    uint32_t FValue; // the colour packed for the depth: index, B G R, or B G R 0xFF
};

// Sets up a painter for dc's bitmap and box; false when nothing can be drawn.
bool GdiMakePainter(const TGdiDC* dc, TGdiColor color, int invert, TGdiPainter* painter);
// Paints pixels x0 .. x1 - 1 of row y, clipped to the painter's box.
void GdiPaintSpan(const TGdiPainter& painter, int64_t y, int64_t x0, int64_t x1);
// Single-pixel access (colour values 0x00BBGGRR), unchecked.
TGdiColor GdiReadPixel(const TGdiSurface& s, const uint8_t* row, int64_t x);
void GdiWritePixel(const TGdiSurface& s, uint8_t* row, int64_t x, TGdiColor color);
