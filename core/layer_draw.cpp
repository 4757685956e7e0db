// The shapes a layer draws through the platform on both planes, erasing, and the cyclic shifts.
#include <cstdlib>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"

namespace {
enum TShape { SHAPE_RECTANGLE, SHAPE_ELLIPSE };
}

// One figure on one context: a solid pen of width and colour, and a solid brush of fill or
// none. The context's own pen and brush are selected back afterwards.
static int DrawOn(TGdiDC* dc, TShape shape, int32_t l, int32_t t, int32_t r, int32_t b,
                  uint32_t penColour, const uint32_t* fill, int32_t width) {
    TGdiObject* pen = Gdi_CreatePen(GDI_PS_SOLID, width, penColour);
    TGdiObject* brush = fill ? Gdi_CreateSolidBrush(*fill) : Gdi_GetStockObject(GDI_NULL_BRUSH);
    if (!pen || !brush) {
        Gdi_DeleteObject(pen);
        Gdi_DeleteObject(brush);
        return SetLastErrorCode(EC_GDI_OBJECT), -1;
    }
    TGdiObject* oldPen = Gdi_SelectObject(dc, pen);
    TGdiObject* oldBrush = Gdi_SelectObject(dc, brush);
    if (shape == SHAPE_ELLIPSE)
        Gdi_Ellipse(dc, l, t, r, b);
    else
        Gdi_Rectangle(dc, l, t, r, b);
    Gdi_SelectObject(dc, oldPen);
    Gdi_SelectObject(dc, oldBrush);
    Gdi_DeleteObject(pen);
    Gdi_DeleteObject(brush);
    return 0;
}

// The colour plane takes the pen colour where the mask is visible and black where it erases;
// the mask plane takes the mask value for pen and fill alike.
static int DrawShape(TLayer* surface, TShape shape, int32_t l, int32_t t, int32_t r, int32_t b,
                     uint32_t pen, const uint32_t* fill, uint32_t mask, int32_t width) {
    if (!surface || !surface->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!surface->FDC || !surface->FMaskDC) return SetLastErrorCode(EC_NULL_DC), -1;
    if (DrawOn(surface->FDC, shape, l, t, r, b, mask ? pen : 0, fill, width) != 0) return -1;
    return DrawOn(surface->FMaskDC, shape, l, t, r, b, mask, fill ? &mask : nullptr, width);
}

int TLayer_Ellipse(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t color,
                   uint32_t mask, int32_t width) {
    return DrawShape(surface, SHAPE_ELLIPSE, l, t, r, b, color, nullptr, mask, width);
}

int TLayer_FillEllipse(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t pen,
                       uint32_t fill, uint32_t mask, int32_t width) {
    return DrawShape(surface, SHAPE_ELLIPSE, l, t, r, b, pen, &fill, mask, width);
}

int TLayer_Rectangle(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t color,
                     uint32_t mask, int32_t width) {
    return DrawShape(surface, SHAPE_RECTANGLE, l, t, r, b, color, nullptr, mask, width);
}

int TLayer_FillRect(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t pen,
                    uint32_t fill, uint32_t mask, int32_t width) {
    return DrawShape(surface, SHAPE_RECTANGLE, l, t, r, b, pen, &fill, mask, width);
}

int TLayer_Erase(TLayer* surface, const TRectXYWH* rect) {
    if (!surface || !surface->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    // The whole surface is its own pixels from (0, 0), wherever it lies in the document.
    TRectXYWH r = rect ? *rect : TRectXYWH{0, 0, surface->FWidth, surface->FHeight};
    return TLayer_FillRect(surface, r.x, r.y, r.x + r.width, r.y + r.height, 0, 0, 0, 1);
}

// The amount reduced modulo the extent, keeping its sign.
static int32_t Reduce(int32_t amount, int32_t extent) {
    if (extent <= 0) return 0;
    if (amount >= extent || amount <= -extent) return amount % extent;
    return amount;
}

// One axis of the cyclic shift of the rectangle (x, y, w, h): the rows (or columns) that wrap
// go through a temporary surface; the rest move within the surface.
static int ShiftAxis(TLayer* surface, int32_t x, int32_t y, int32_t w, int32_t h, int32_t d,
                     bool vertical, uint32_t rop) {
    if (d == 0) return 0;
    const int32_t n = d > 0 ? d : -d;
    TLayer* temp = vertical ? TLayer_Create(w, n) : TLayer_Create(n, h);
    if (!temp || !temp->FImage) {
        int code = GetLastErrorCode();
        TLayer_Destroy(temp);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), -1;
    }
    int result = 0;
    if (vertical) {
        const int32_t rest = h - n;
        if (d > 0) { // down: the bottom rows wrap to the top
            result |= TLayer_Blt(temp, 0, 0, w, n, surface, x, y + rest, rop);
            result |= TLayer_Blt(surface, x, y + n, w, rest, surface, x, y, rop);
            result |= TLayer_Blt(surface, x, y, w, n, temp, 0, 0, rop);
        } else { // up: the top rows wrap to the bottom
            result |= TLayer_Blt(temp, 0, 0, w, n, surface, x, y, rop);
            result |= TLayer_Blt(surface, x, y, w, rest, surface, x, y + n, rop);
            result |= TLayer_Blt(surface, x, y + rest, w, n, temp, 0, 0, rop);
        }
    } else {
        const int32_t rest = w - n;
        if (d > 0) { // right: the rightmost columns wrap to the left
            result |= TLayer_Blt(temp, 0, 0, n, h, surface, x + rest, y, rop);
            result |= TLayer_Blt(surface, x + n, y, rest, h, surface, x, y, rop);
            result |= TLayer_Blt(surface, x, y, n, h, temp, 0, 0, rop);
        } else {
            result |= TLayer_Blt(temp, 0, 0, n, h, surface, x, y, rop);
            result |= TLayer_Blt(surface, x, y, rest, h, surface, x + n, y, rop);
            result |= TLayer_Blt(surface, x + rest, y, n, h, temp, 0, 0, rop);
        }
    }
    TLayer_Destroy(temp);
    return result ? -1 : 0;
}

int TLayer_ScrollRect(TLayer* surface, int32_t x, int32_t y, int32_t w, int32_t h, int32_t dx,
                      int32_t dy, uint32_t rop) {
    if (!surface || !surface->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (w <= 0 || h <= 0) return SetLastErrorCode(EC_EMPTY_AREA), -1;
    if (ShiftAxis(surface, x, y, w, h, Reduce(dy, h), true, rop) != 0) return -1;
    if (ShiftAxis(surface, x, y, w, h, Reduce(dx, w), false, rop) != 0) return -1;
    ClearLastErrorCode();
    return 0;
}

int TLayer_Scroll(TLayer* surface, int32_t dx, int32_t dy, uint32_t rop) {
    if (!surface || !surface->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return TLayer_ScrollRect(surface, 0, 0, surface->FWidth, surface->FHeight, dx, dy, rop);
}
