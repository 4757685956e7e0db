// Writing pixels at each depth: the span painter every figure goes through (fill or invert a
// run of one row, clipped), single-pixel access, set-pixel, get-pixel and fill-rectangle.
// The figures decide which pixels; this file only decides how a depth stores them.
#include <cstring>
#include <utility>

#include "platform/gdi_internal.h"

namespace {
// Memory order in a little-endian word: blue in the low byte, then green and red.
uint32_t PackColor(int bpp, TGdiColor color) {
    uint32_t bgr = ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF);
    if (bpp == 1) return GdiColorToIndex(color);
    if (bpp == 24) return bgr;
    return bgr | 0xFF000000u;
}

TGdiColor UnpackColor(uint32_t blue, uint32_t green, uint32_t red) {
    return red | (green << 8) | (blue << 16);
}

// Runs of 1-bit pixels, the first pixel in a byte's most significant bit.
void PaintBits(uint8_t* row, int64_t x0, int64_t x1, bool invert, uint32_t index) {
    int64_t first = x0 >> 3, last = (x1 - 1) >> 3;
    uint8_t headMask = uint8_t(0xFF >> (x0 & 7));
    uint8_t tailMask = uint8_t(0xFF << (7 - ((x1 - 1) & 7)));
    if (first == last) headMask &= tailMask;
    auto apply = [&](uint8_t* p, uint8_t mask) {
        if (invert)
            *p ^= mask;
        else if (index)
            *p |= mask;
        else
            *p &= uint8_t(~mask);
    };
    apply(row + first, headMask);
    if (first == last) return;
    if (last > first + 1) {
        uint8_t* middle = row + first + 1;
        size_t count = size_t(last - first - 1);
        if (invert)
            for (size_t i = 0; i < count; ++i)
                middle[i] ^= 0xFF;
        else
            std::memset(middle, index ? 0xFF : 0, count);
    }
    apply(row + last, tailMask);
}

// count pixels of blue, green, red, four at a time as three 32-bit words.
void Fill24(uint8_t* p, int64_t count, uint32_t packed) {
    uint8_t b = uint8_t(packed), g = uint8_t(packed >> 8), r = uint8_t(packed >> 16);
    uint32_t w0 = b | g << 8 | r << 16 | uint32_t(b) << 24;
    uint32_t w1 = g | r << 8 | b << 16 | uint32_t(g) << 24;
    uint32_t w2 = r | b << 8 | g << 16 | uint32_t(r) << 24;
    int64_t i = 0;
    for (; i + 4 <= count; i += 4, p += 12) {
        std::memcpy(p, &w0, 4);
        std::memcpy(p + 4, &w1, 4);
        std::memcpy(p + 8, &w2, 4);
    }
    for (; i < count; ++i, p += 3) {
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
}

void Invert24(uint8_t* p, int64_t count) {
    for (int64_t i = 0; i < count * 3; ++i)
        p[i] ^= 0xFF;
}

void Fill32(uint8_t* p, int64_t count, uint32_t value) {
    for (int64_t i = 0; i < count; ++i)
        std::memcpy(p + 4 * i, &value, 4);
}

// Blue, green and red are inverted; the fourth byte stays.
void Invert32(uint8_t* p, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        uint32_t v;
        std::memcpy(&v, p + 4 * i, 4);
        v ^= 0x00FFFFFFu;
        std::memcpy(p + 4 * i, &v, 4);
    }
}
} // namespace

bool GdiMakePainter(const TGdiDC* dc, TGdiColor color, int invert, TGdiPainter* painter) {
    if (!GdiDrawBox(dc, &painter->FBox)) return false;
    painter->FSurface = GdiSurfaceOf(dc->FBitmap);
    painter->FInvert = invert;
    painter->FValue = PackColor(painter->FSurface.FBpp, color);
    return true;
}

void GdiPaintSpan(const TGdiPainter& painter, int64_t y, int64_t x0, int64_t x1) {
    const TGdiRect& box = painter.FBox;
    if (y < box.top || y >= box.bottom) return;
    if (x0 < box.left) x0 = box.left;
    if (x1 > box.right) x1 = box.right;
    if (x0 >= x1) return;
    const TGdiSurface& s = painter.FSurface;
    uint8_t* row = GdiRow(s, y);
    bool invert = painter.FInvert != 0;
    if (s.FBpp == 1)
        PaintBits(row, x0, x1, invert, painter.FValue);
    else if (s.FBpp == 24)
        invert ? Invert24(row + 3 * x0, x1 - x0) : Fill24(row + 3 * x0, x1 - x0, painter.FValue);
    else
        invert ? Invert32(row + 4 * x0, x1 - x0) : Fill32(row + 4 * x0, x1 - x0, painter.FValue);
}

TGdiColor GdiReadPixel(const TGdiSurface& s, const uint8_t* row, int64_t x) {
    if (s.FBpp == 1) return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 0xFFFFFF : 0;
    const uint8_t* p = row + x * (s.FBpp / 8);
    return UnpackColor(p[0], p[1], p[2]);
}

void GdiWritePixel(const TGdiSurface& s, uint8_t* row, int64_t x, TGdiColor color) {
    uint32_t value = PackColor(s.FBpp, color);
    if (s.FBpp == 1) {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = value ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
    } else if (s.FBpp == 24) {
        uint8_t* p = row + 3 * x;
        p[0] = uint8_t(value);
        p[1] = uint8_t(value >> 8);
        p[2] = uint8_t(value >> 16);
    } else {
        std::memcpy(row + 4 * x, &value, 4);
    }
}

TGdiColor Gdi_SetPixel(TGdiDC* dc, int32_t x, int32_t y, TGdiColor color) {
    TGdiRect box;
    if (!dc || !GdiDrawBox(dc, &box)) return GDI_CLR_INVALID;
    if (x < box.left || x >= box.right || y < box.top || y >= box.bottom) return GDI_CLR_INVALID;
    TGdiSurface s = GdiSurfaceOf(dc->FBitmap);
    uint8_t* row = GdiRow(s, y);
    GdiWritePixel(s, row, x, color & 0xFFFFFF);
    return GdiReadPixel(s, row, x);
}

TGdiColor Gdi_GetPixel(const TGdiDC* dc, int32_t x, int32_t y) {
    if (!dc) return GDI_CLR_INVALID;
    TGdiSurface s = GdiSurfaceOf(dc->FBitmap);
    if (x < 0 || x >= s.FWidth || y < 0 || y >= s.FHeight) return GDI_CLR_INVALID;
    return GdiReadPixel(s, GdiRow(s, y), x);
}

int Gdi_FillRect(TGdiDC* dc, const TGdiRect* rect, const TGdiObject* brush) {
    if (!dc || !rect || !brush || brush->FKind != GDI_OBJ_BRUSH) return 0;
    if (brush->FStyle) return 1; // the null brush
    TGdiPainter painter;
    if (!GdiMakePainter(dc, brush->FColor, 0, &painter)) return 1;
    int64_t left = rect->left, right = rect->right, top = rect->top, bottom = rect->bottom;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (top < painter.FBox.top) top = painter.FBox.top;
    if (bottom > painter.FBox.bottom) bottom = painter.FBox.bottom;
    for (int64_t y = top; y < bottom; ++y)
        GdiPaintSpan(painter, y, left, right);
    return 1;
}
