// TLayer: a 24-bit image with its mask plane, bound to two memory device contexts of
// platform/gdi (colour and mask), so platform drawing and direct pixel access see the same
// bytes. Document layers, the composite, previews, undo snapshots and the floating selection
// are all layers. Every operation acts on the colour image and the mask plane together.
#pragma once

#include <cstdint>

#include "core/draw_attr.h"
#include "core/rect.h"
#include "platform/gdi.h"

struct TImage;

struct TLayer {
    TImage* FImage;          // 24 bits with mask plane; owned; null when creation failed
    int32_t FLeft, FTop;     // position in document coordinates
    int32_t FWidth, FHeight; // equal to the image's
    int32_t FVisible;        // takes part in composing the document
    TGdiDC* FDC;             // draws into the colour pixels
    TGdiObject* FBitmap;     // bitmap over the colour pixels (owns them while bound)
    TGdiObject* FOldBitmap;  // what FDC held before
    TGdiObject* FClipRgn;    // clip region of FDC, or null
    TGdiDC* FMaskDC;
    TGdiObject* FMaskBitmap;
    TGdiObject* FMaskOldBitmap;
    TGdiObject* FMaskClipRgn;
    TLayer* FBaseLayer; // the layer a floating selection floats over; not owned
};

// The reference context layers are made compatible with (the screen's, in effect).
TGdiDC* TLayer_ReferenceDC();

// Life cycle. Every operation returns 0, or -1 with the last error set: EC_NULL_OBJECT for a
// missing layer or image (also on a layer whose creation failed), EC_NULL_DC and EC_GDI_OBJECT
// for the platform's refusals, EC_NO_MEMORY.
TLayer* TLayer_Create(int32_t w, int32_t h); // on failure FImage is null
// A new layer at (0, 0) holding the w x h block of src at (sx, sy), both planes. Null with the
// last error (EC_NO_MEMORY when nothing more precise is known); nothing is left behind.
TLayer* TLayer_CreateCopy(TLayer* src, int32_t sx, int32_t sy, int32_t w, int32_t h);
int TLayer_Init(TLayer* surface, int32_t w, int32_t h);
// As Init with a depth and reference context; binds only when dc is given and bind is non-zero.
int TLayer_CreateFor(TLayer* surface, TGdiDC* dc, int32_t w, int32_t h, int bits, int bind);
int TLayer_Bind(TLayer* surface, TGdiDC* dc);
// Moves the image's pixels into a new bitmap (bottom-up) that the image then borrows.
TGdiObject* TImage_MakeBitmap(TImage* image, TGdiDC* dc);
// Gives the pixels back to the image and releases contexts and bitmaps.
void TLayer_Unbind(TLayer* surface);
void TLayer_Release(TLayer* surface);
TLayer* TLayer_Destroy(TLayer* surface); // returns null

// Operations.
int TLayer_Blt(TLayer* dst, int32_t x, int32_t y, int32_t w, int32_t h, TLayer* src, int32_t sx,
               int32_t sy, uint32_t rop);
int TLayer_SetPos(TLayer* surface, int32_t x, int32_t y);
// Null from the rotation without an error (0 or 270 degrees) leaves the layer as it was: 0.
int TLayer_Rotate(TLayer* surface, int degrees);
int TLayer_Resize(TLayer* surface, int32_t w, int32_t h, int smooth);
int TLayer_SetClip(TLayer* surface, const TRectLTRB* rect); // null removes the clip
int TLayer_GetDrawAttr(const TLayer* surface, TDrawAttr* attr);
int TLayer_SetDrawAttr(TLayer* surface, const TDrawAttr* attr);
int TLayer_Polyline(TLayer* surface, const TPoint* points, int32_t count);
// Shapes through the platform, the same figure on both planes. A mask of 0 erases the figure to
// transparent black (a fill keeps its colour in the colour pixels).
int TLayer_Ellipse(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t color,
                   uint32_t mask, int32_t width);
int TLayer_FillEllipse(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t pen,
                       uint32_t fill, uint32_t mask, int32_t width);
int TLayer_Rectangle(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t color,
                     uint32_t mask, int32_t width);
int TLayer_FillRect(TLayer* surface, int32_t l, int32_t t, int32_t r, int32_t b, uint32_t pen,
                    uint32_t fill, uint32_t mask, int32_t width);
// Transparent black over rect (x, y, w, h in the surface's pixels); null means the whole surface.
int TLayer_Erase(TLayer* surface, const TRectXYWH* rect);
// Cyclic shifts, vertical first, then horizontal; amounts reduced modulo the height and width.
int TLayer_Scroll(TLayer* surface, int32_t dx, int32_t dy, uint32_t rop);
int TLayer_ScrollRect(TLayer* surface, int32_t x, int32_t y, int32_t w, int32_t h, int32_t dx,
                      int32_t dy, uint32_t rop);
// Between document and layer coordinates.
int TLayer_ToDocPoint(const TLayer* surface, TPoint* point);
int TLayer_ToLocalPoint(const TLayer* surface, TPoint* point);
int TLayer_ToDocRect(const TLayer* surface, TRectLTRB* rect);
int TLayer_ToLocalRect(const TLayer* surface, TRectLTRB* rect);
