// TLayer life cycle, binding to the platform's device contexts, transfers, rotation and
// resizing, clip, attributes and coordinates. The shapes and shifts are in layer_draw.cpp.
#include "core/layer.h"

#include <cstdlib>
#include <cstring>

#include "core/draw.h"
#include "core/error.h"
#include "core/image.h"
#include "core/transform.h"

TGdiDC* TLayer_ReferenceDC() {
    static TGdiDC* reference = Gdi_CreateCompatibleDC(nullptr);
    return reference;
}

TGdiObject* TImage_MakeBitmap(TImage* image, TGdiDC*) {
    if (!image || !image->FBits) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    void* memory = nullptr;
    TGdiObject* bitmap =
        Gdi_CreateDIBSection(image->FLineWidth, image->FHeight, image->FBitsPerPixel, 1, &memory);
    TGdiBitmapInfo info;
    if (!bitmap || !Gdi_GetBitmapInfo(bitmap, &info) || info.FSizeImage != image->FSize) {
        Gdi_DeleteObject(bitmap);
        return SetLastErrorCode(EC_GDI_OBJECT), nullptr;
    }
    uint8_t* bits = static_cast<uint8_t*>(memory);
    if (image->FFlags & TIF_BOTTOMUP) {
        std::memcpy(bits, image->FBits, size_t(image->FSize));
    } else { // a top-down image keeps its picture: its rows go in reverse order
        for (int32_t y = 0; y < image->FHeight; ++y)
            std::memcpy(bits + size_t(image->FStride) * size_t(image->FHeight - 1 - y),
                        image->FBits + size_t(image->FStride) * size_t(y), size_t(image->FStride));
    }
    TImage_AttachBits(image, bits);
    image->FFlags |= TIF_BOTTOMUP;
    image->FStride = info.FSizeImage / (info.FHeight ? info.FHeight : 1);
    return bitmap;
}

// Hands a plane's pixels back to the image (a copy in its own memory), or drops them when the
// image is about to go, before the bitmap that holds them is deleted.
static void ReclaimPixels(TImage* image, bool keep) {
    if (!image || !(image->FFlags & TIF_EXTBITS)) return;
    uint8_t* own = nullptr;
    if (keep && image->FBits) {
        own = static_cast<uint8_t*>(std::malloc(size_t(image->FSize ? image->FSize : 1)));
        if (own) std::memcpy(own, image->FBits, size_t(image->FSize));
    }
    image->FBits = own; // an image that could not get memory back is left without pixels
    image->FFlags &= ~uint32_t(TIF_EXTBITS);
}

static void UnbindPlane(TGdiDC** dc, TGdiObject** bitmap, TGdiObject** old, TGdiObject** rgn) {
    if (*dc && *old) Gdi_SelectObject(*dc, *old);
    if (*dc) Gdi_DeleteDC(*dc);
    if (*bitmap) Gdi_DeleteObject(*bitmap);
    if (*rgn) Gdi_DeleteObject(*rgn);
    *dc = nullptr, *bitmap = nullptr, *old = nullptr, *rgn = nullptr;
}

static void UnbindKeeping(TLayer* surface, bool keep) {
    if (!surface) return;
    if (surface->FImage) {
        if (surface->FBitmap) ReclaimPixels(surface->FImage, keep);
        if (surface->FMaskBitmap) ReclaimPixels(surface->FImage->FMask, keep);
        TImage_SetClipRect(surface->FImage, nullptr);
    }
    UnbindPlane(&surface->FDC, &surface->FBitmap, &surface->FOldBitmap, &surface->FClipRgn);
    UnbindPlane(&surface->FMaskDC, &surface->FMaskBitmap, &surface->FMaskOldBitmap,
                &surface->FMaskClipRgn);
}

void TLayer_Unbind(TLayer* surface) {
    UnbindKeeping(surface, true);
}

static int BindPlane(TImage* image, TGdiDC* reference, TGdiDC** dc, TGdiObject** bitmap,
                     TGdiObject** old) {
    *dc = Gdi_CreateCompatibleDC(reference);
    if (!*dc) return SetLastErrorCode(EC_NULL_DC), -1;
    if (!image) return 0;
    *bitmap = TImage_MakeBitmap(image, reference);
    if (!*bitmap) return SetLastErrorCode(EC_GDI_OBJECT), -1;
    *old = Gdi_SelectObject(*dc, *bitmap);
    return 0;
}

int TLayer_Bind(TLayer* surface, TGdiDC* dc) {
    if (!surface || !surface->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TLayer_Unbind(surface);
    TImage* image = surface->FImage;
    if (BindPlane(image, dc, &surface->FDC, &surface->FBitmap, &surface->FOldBitmap) != 0)
        return -1;
    return BindPlane(image->FMask, dc, &surface->FMaskDC, &surface->FMaskBitmap,
                     &surface->FMaskOldBitmap);
}

void TLayer_Release(TLayer* surface) {
    if (!surface) return;
    UnbindKeeping(surface, false);
    surface->FImage = TImage_Destroy(surface->FImage);
    ClearLastErrorCode();
}

TLayer* TLayer_Destroy(TLayer* surface) {
    if (!surface) return nullptr;
    TLayer_Release(surface);
    std::free(surface);
    return nullptr;
}

int TLayer_CreateFor(TLayer* surface, TGdiDC* dc, int32_t w, int32_t h, int bits, int bind) {
    if (!surface) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TLayer_Release(surface);
    surface->FImage = TImage_Create(w, h, bits, TIF_HASMASK);
    if (!surface->FImage) return -1;
    surface->FLeft = surface->FTop = 0;
    surface->FWidth = surface->FImage->FWidth;
    surface->FHeight = surface->FImage->FHeight;
    if (dc && bind && TLayer_Bind(surface, dc) != 0) return -1;
    return 0;
}

int TLayer_Init(TLayer* surface, int32_t w, int32_t h) {
    return TLayer_CreateFor(surface, TLayer_ReferenceDC(), w, h, 24, 1);
}

TLayer* TLayer_Create(int32_t w, int32_t h) {
    TLayer* surface = static_cast<TLayer*>(std::calloc(1, sizeof(TLayer)));
    if (!surface) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    if (TLayer_Init(surface, w, h) != 0) {
        int code = GetLastErrorCode();
        UnbindKeeping(surface, false);
        surface->FImage = TImage_Destroy(surface->FImage);
        SetLastErrorCode(code);
    }
    return surface;
}

static bool Usable(const TLayer* surface) {
    return surface && surface->FImage;
}

TLayer* TLayer_CreateCopy(TLayer* src, int32_t sx, int32_t sy, int32_t w, int32_t h) {
    TLayer* copy = TLayer_Create(w, h);
    if (!copy) return nullptr;
    if (!copy->FImage || TLayer_Blt(copy, 0, 0, w, h, src, sx, sy, GDI_SRCCOPY) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(copy);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), nullptr;
    }
    return copy;
}

int TLayer_Blt(TLayer* dst, int32_t x, int32_t y, int32_t w, int32_t h, TLayer* src, int32_t sx,
               int32_t sy, uint32_t rop) {
    if (!Usable(dst) || !Usable(src)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!dst->FDC || !src->FDC) return SetLastErrorCode(EC_NULL_DC), -1;
    if (!Gdi_BitBlt(dst->FDC, x, y, w, h, src->FDC, sx, sy, rop))
        return SetLastErrorCode(EC_GDI_OBJECT), -1;
    if (dst->FMaskDC && src->FMaskDC)
        Gdi_BitBlt(dst->FMaskDC, x, y, w, h, src->FMaskDC, sx, sy, rop);
    return 0;
}

int TLayer_SetPos(TLayer* surface, int32_t x, int32_t y) {
    if (!surface) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    surface->FLeft = x, surface->FTop = y;
    return 0;
}

// Puts a transformed image in place of the old one and binds it.
static int SwapIn(TLayer* surface, TImage* image) {
    UnbindKeeping(surface, false);
    TImage_Destroy(surface->FImage);
    surface->FImage = image;
    surface->FWidth = image->FWidth;
    surface->FHeight = image->FHeight;
    return TLayer_Bind(surface, TLayer_ReferenceDC());
}

int TLayer_Rotate(TLayer* surface, int degrees) {
    if (!Usable(surface)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    ClearLastErrorCode();
    TImage* rotated = TImage_Rotate(surface->FImage, degrees);
    if (!rotated) return GetLastErrorCode() ? -1 : 0;
    return SwapIn(surface, rotated);
}

int TLayer_Resize(TLayer* surface, int32_t w, int32_t h, int smooth) {
    if (!Usable(surface)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (surface->FWidth == w && surface->FHeight == h) return 0;
    TImage* resized = TImage_Resize(surface->FImage, w, h, smooth);
    if (!resized) return -1;
    surface->FLeft = surface->FTop = 0;
    return SwapIn(surface, resized);
}

static void ClipPlane(TGdiDC* dc, TGdiObject** rgn, const TRectLTRB* rect) {
    if (*rgn) Gdi_DeleteObject(*rgn);
    *rgn = rect ? Gdi_CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
    if (dc) Gdi_SelectClipRgn(dc, *rgn);
}

int TLayer_SetClip(TLayer* surface, const TRectLTRB* rect) {
    if (!Usable(surface)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TImage_SetClipRect(surface->FImage, rect);
    ClipPlane(surface->FDC, &surface->FClipRgn, rect);
    ClipPlane(surface->FMaskDC, &surface->FMaskClipRgn, rect);
    if (rect && (!surface->FClipRgn || !surface->FMaskClipRgn))
        return SetLastErrorCode(EC_GDI_OBJECT), -1;
    return 0;
}

int TLayer_GetDrawAttr(const TLayer* surface, TDrawAttr* attr) {
    if (!Usable(surface) || !attr) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TImage_GetDrawAttr(surface->FImage, attr);
    return 0;
}

int TLayer_SetDrawAttr(TLayer* surface, const TDrawAttr* attr) {
    if (!Usable(surface) || !attr) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TImage_SetDrawAttr(surface->FImage, attr);
    return 0;
}

int TLayer_Polyline(TLayer* surface, const TPoint* points, int32_t count) {
    if (!Usable(surface)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!points || count < 2) return 0;
    return TImage_DrawPolyline(surface->FImage, points, count) < 0 ? -1 : 0;
}

int TLayer_ToDocPoint(const TLayer* surface, TPoint* point) {
    if (!surface || !point) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    point->x += surface->FLeft, point->y += surface->FTop;
    return 0;
}

int TLayer_ToLocalPoint(const TLayer* surface, TPoint* point) {
    if (!surface || !point) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    point->x -= surface->FLeft, point->y -= surface->FTop;
    return 0;
}

int TLayer_ToDocRect(const TLayer* surface, TRectLTRB* rect) {
    if (!surface || !rect) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    rect->left += surface->FLeft, rect->right += surface->FLeft;
    rect->top += surface->FTop, rect->bottom += surface->FTop;
    return 0;
}

int TLayer_ToLocalRect(const TLayer* surface, TRectLTRB* rect) {
    if (!surface || !rect) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    rect->left -= surface->FLeft, rect->right -= surface->FLeft;
    rect->top -= surface->FTop, rect->bottom -= surface->FTop;
    return 0;
}
