// Device contexts and the objects they hold: bitmaps over owned or borrowed memory, pens,
// brushes, rectangle regions, the stock objects, selection, deletion, the clip and the drawing
// mode. Drawing itself lives in gdi_shapes.cpp and gdi_blit.cpp.
#include <cstdlib>
#include <new>

#include "platform/gdi_internal.h"
#include "platform/pixel_memory.h"

namespace {
const int64_t KMaxBitmapBytes = 0x7FFFFFFF; // sizes cross as int32 (the image's FSize)

TGdiObject* NewObject(int kind) {
    TGdiObject* object = static_cast<TGdiObject*>(std::calloc(1, sizeof(TGdiObject)));
    if (object) object->FKind = kind;
    return object;
}

// The stock objects, made on first use. They are shared by every context and never counted.
struct TStock {
    TGdiObject FWhiteBrush, FBlackBrush, FNullBrush, FWhitePen, FBlackPen, FNullPen, FBitmap;
    uint32_t FBitmapBits; // the default bitmap's pixels: one row of 4 bytes
};

TGdiObject StockObject(int kind, int style, TGdiColor color) {
    TGdiObject object = {};
    object.FKind = kind;
    object.FStock = 1;
    object.FStyle = style;
    object.FPenWidth = 1;
    object.FColor = color;
    return object;
}

TStock& Stock() {
    static TStock stock = {
        StockObject(GDI_OBJ_BRUSH, 0, 0xFFFFFF),   StockObject(GDI_OBJ_BRUSH, 0, 0),
        StockObject(GDI_OBJ_BRUSH, 1, 0),          StockObject(GDI_OBJ_PEN, GDI_PS_SOLID, 0xFFFFFF),
        StockObject(GDI_OBJ_PEN, GDI_PS_SOLID, 0), StockObject(GDI_OBJ_PEN, GDI_PS_NULL, 0),
        StockObject(GDI_OBJ_BITMAP, 0, 0),         0};
    static const bool bitmapReady = [] {
        stock.FBitmap.FWidth = stock.FBitmap.FHeight = 1;
        stock.FBitmap.FBitsPerPixel = 1;
        stock.FBitmap.FStride = 4;
        stock.FBitmap.FBits = reinterpret_cast<uint8_t*>(&stock.FBitmapBits);
        return true;
    }();
    (void)bitmapReady;
    return stock;
}

// A context takes or lets go of an object; stock objects are not counted.
void Hold(TGdiObject* object) {
    if (!object->FStock) ++object->FSelectCount;
}

void Release(TGdiObject* object) {
    if (!object->FStock) --object->FSelectCount;
}

// Bytes per row of a width at a depth, rows padded to 4 bytes; 0 for a bad depth.
int64_t MinStride(int64_t width, int bits) {
    if (bits != 1 && bits != 24 && bits != 32) return 0;
    return (width * bits + 31) / 32 * 4;
}

bool SizeOk(int32_t width, int32_t height, int bits, int64_t stride) {
    if (width < 1 || height < 1) return false;
    int64_t minStride = MinStride(width, bits);
    if (minStride == 0 || stride < minStride || stride % 4 != 0) return false;
    return stride <= KMaxBitmapBytes / height;
}

TGdiObject* NewBitmap(int32_t width, int32_t height, int bits, int bottomUp, int32_t stride,
                      uint8_t* memory, int owns) {
    TGdiObject* bitmap = NewObject(GDI_OBJ_BITMAP);
    if (!bitmap) return nullptr;
    bitmap->FWidth = width;
    bitmap->FHeight = height;
    bitmap->FBitsPerPixel = bits;
    bitmap->FStride = stride;
    bitmap->FBottomUp = bottomUp ? 1 : 0;
    bitmap->FOwnsBits = owns;
    bitmap->FBits = memory;
    return bitmap;
}

TGdiObject*& Slot(TGdiDC* dc, int kind) {
    if (kind == GDI_OBJ_BITMAP) return dc->FBitmap;
    if (kind == GDI_OBJ_PEN) return dc->FPen;
    return dc->FBrush;
}
} // namespace

TGdiDC* Gdi_CreateCompatibleDC(TGdiDC*) {
    TGdiDC* dc = static_cast<TGdiDC*>(std::calloc(1, sizeof(TGdiDC)));
    if (!dc) return nullptr;
    TStock& stock = Stock();
    dc->FBitmap = &stock.FBitmap;
    dc->FPen = &stock.FBlackPen;
    dc->FBrush = &stock.FWhiteBrush;
    dc->FRop2 = GDI_R2_COPYPEN;
    dc->FBkColor = 0xFFFFFF;
    return dc;
}

int Gdi_DeleteDC(TGdiDC* dc) {
    if (!dc) return 0;
    Release(dc->FBitmap);
    Release(dc->FPen);
    Release(dc->FBrush);
    std::free(dc);
    return 1;
}

TGdiObject* Gdi_CreateDIBSection(int32_t width, int32_t height, int bits, int bottomUp,
                                 void** bitsOut) {
    if (bitsOut) *bitsOut = nullptr;
    int64_t stride = MinStride(width, bits);
    if (!SizeOk(width, height, bits, stride)) return nullptr;
    uint8_t* memory = static_cast<uint8_t*>(PixelMemory_Alloc(size_t(stride * height)));
    if (!memory) return nullptr;
    TGdiObject* bitmap = NewBitmap(width, height, bits, bottomUp, int32_t(stride), memory, 1);
    if (!bitmap) {
        std::free(memory);
        return nullptr;
    }
    if (bitsOut) *bitsOut = memory;
    return bitmap;
}

TGdiObject* Gdi_CreateBitmapOver(int32_t width, int32_t height, int bits, int bottomUp,
                                 int32_t stride, void* memory) {
    if (!memory || !SizeOk(width, height, bits, stride)) return nullptr;
    return NewBitmap(width, height, bits, bottomUp, stride, static_cast<uint8_t*>(memory), 0);
}

TGdiObject* Gdi_CreateCompatibleBitmap(TGdiDC*, int32_t width, int32_t height) {
    void* memory = nullptr;
    TGdiObject* bitmap = Gdi_CreateDIBSection(width, height, 32, 0, &memory);
    if (!bitmap) return nullptr;
    // Opaque black, the X byte of every pixel 0xFF.
    uint32_t* pixel = static_cast<uint32_t*>(memory);
    int64_t count = int64_t(bitmap->FStride / 4) * height;
    for (int64_t i = 0; i < count; ++i)
        pixel[i] = 0xFF000000u;
    return bitmap;
}

int Gdi_GetBitmapInfo(const TGdiObject* bitmap, TGdiBitmapInfo* info) {
    if (!bitmap || bitmap->FKind != GDI_OBJ_BITMAP || !info) return 0;
    info->FWidth = bitmap->FWidth;
    info->FHeight = bitmap->FHeight;
    info->FBitsPerPixel = bitmap->FBitsPerPixel;
    info->FStride = bitmap->FStride;
    info->FSizeImage = bitmap->FStride * bitmap->FHeight;
    info->FBottomUp = bitmap->FBottomUp;
    info->FOwnsBits = bitmap->FOwnsBits;
    info->FBits = bitmap->FBits;
    return 1;
}

TGdiObject* Gdi_CreatePen(int style, int32_t width, TGdiColor color) {
    if (style != GDI_PS_SOLID && style != GDI_PS_NULL) return nullptr;
    if (width < 0 || width > GDI_MAX_PEN_WIDTH) return nullptr;
    TGdiObject* pen = NewObject(GDI_OBJ_PEN);
    if (!pen) return nullptr;
    pen->FStyle = style;
    pen->FPenWidth = width < 1 ? 1 : width;
    pen->FColor = color & 0xFFFFFF;
    return pen;
}

TGdiObject* Gdi_CreateSolidBrush(TGdiColor color) {
    TGdiObject* brush = NewObject(GDI_OBJ_BRUSH);
    if (brush) brush->FColor = color & 0xFFFFFF;
    return brush;
}

TGdiObject* Gdi_CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    TGdiObject* region = NewObject(GDI_OBJ_REGION);
    if (!region) return nullptr;
    region->FRect.left = left < right ? left : right;
    region->FRect.right = left < right ? right : left;
    region->FRect.top = top < bottom ? top : bottom;
    region->FRect.bottom = top < bottom ? bottom : top;
    return region;
}

TGdiObject* Gdi_GetStockObject(int which) {
    TStock& stock = Stock();
    switch (which) {
    case GDI_WHITE_BRUSH:
        return &stock.FWhiteBrush;
    case GDI_BLACK_BRUSH:
        return &stock.FBlackBrush;
    case GDI_NULL_BRUSH:
        return &stock.FNullBrush;
    case GDI_WHITE_PEN:
        return &stock.FWhitePen;
    case GDI_BLACK_PEN:
        return &stock.FBlackPen;
    case GDI_NULL_PEN:
        return &stock.FNullPen;
    case GDI_DEFAULT_BITMAP:
        return &stock.FBitmap;
    default:
        return nullptr;
    }
}

int Gdi_GetObjectKind(const TGdiObject* object) {
    return object ? object->FKind : 0;
}

TGdiObject* Gdi_SelectObject(TGdiDC* dc, TGdiObject* object) {
    if (!dc || !object) return nullptr;
    int kind = object->FKind;
    if (kind != GDI_OBJ_BITMAP && kind != GDI_OBJ_PEN && kind != GDI_OBJ_BRUSH) return nullptr;
    TGdiObject*& slot = Slot(dc, kind);
    TGdiObject* old = slot;
    if (old == object) return old;
    if (kind == GDI_OBJ_BITMAP && !object->FStock && object->FSelectCount > 0) return nullptr;
    Release(old);
    Hold(object);
    slot = object;
    return old;
}

TGdiObject* Gdi_GetCurrentObject(const TGdiDC* dc, int kind) {
    if (!dc) return nullptr;
    if (kind == GDI_OBJ_BITMAP) return dc->FBitmap;
    if (kind == GDI_OBJ_PEN) return dc->FPen;
    if (kind == GDI_OBJ_BRUSH) return dc->FBrush;
    return nullptr;
}

int Gdi_DeleteObject(TGdiObject* object) {
    if (!object) return 0;
    if (object->FStock) return 1;
    if (object->FSelectCount > 0) return 0;
    if (object->FOwnsBits) std::free(object->FBits);
    std::free(object);
    return 1;
}

int Gdi_SelectClipRgn(TGdiDC* dc, const TGdiObject* rgn) {
    if (!dc) return 0;
    if (!rgn) {
        dc->FClipOn = 0;
        return 1;
    }
    if (rgn->FKind != GDI_OBJ_REGION) return 0;
    dc->FClip = rgn->FRect;
    dc->FClipOn = 1;
    return 1;
}

bool GdiDrawBox(const TGdiDC* dc, TGdiRect* box) {
    TGdiRect r = {0, 0, dc->FBitmap->FWidth, dc->FBitmap->FHeight};
    if (dc->FClipOn) {
        if (dc->FClip.left > r.left) r.left = dc->FClip.left;
        if (dc->FClip.top > r.top) r.top = dc->FClip.top;
        if (dc->FClip.right < r.right) r.right = dc->FClip.right;
        if (dc->FClip.bottom < r.bottom) r.bottom = dc->FClip.bottom;
    }
    if (r.left >= r.right || r.top >= r.bottom) {
        *box = TGdiRect{0, 0, 0, 0};
        return false;
    }
    *box = r;
    return true;
}

int Gdi_GetClipBox(const TGdiDC* dc, TGdiRect* rect) {
    if (!rect) return 0;
    if (!dc) {
        *rect = TGdiRect{0, 0, 0, 0};
        return 0;
    }
    return GdiDrawBox(dc, rect) ? 1 : 0;
}

int Gdi_SetROP2(TGdiDC* dc, int mode) {
    if (!dc || (mode != GDI_R2_NOT && mode != GDI_R2_COPYPEN)) return 0;
    int old = dc->FRop2;
    dc->FRop2 = mode;
    return old;
}

int Gdi_GetROP2(const TGdiDC* dc) {
    return dc ? dc->FRop2 : 0;
}
