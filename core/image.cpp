// TImage creation, release, pixel access in the eight formats, rows, clip and palette helpers.
#include "core/image.h"

#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "platform/pixel_memory.h"

static const uint64_t KDefaultPixelLimit = uint64_t(1) << 30;
static uint64_t GPixelLimit = KDefaultPixelLimit;

void TImage_SetPixelLimit(uint64_t bytes) {
    GPixelLimit = bytes;
}

uint64_t TImage_GetPixelLimit() {
    return GPixelLimit;
}

uint64_t TImage_StrideFor(int64_t width, int bits) {
    if (width <= 0 || bits <= 0) return 0;
    // A 5-5-5 pixel is stored in a 16-bit word: rows counted at 15 bits would be too short.
    if (bits == 15) bits = 16;
    return ((uint64_t(width) * uint64_t(bits) + 31) / 32) * 4;
}

int TImage_CheckSize(int64_t width, int64_t height, int bits) {
    if (width < 0 || height < 0 || width > INT32_MAX || height > INT32_MAX)
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    uint64_t stride = TImage_StrideFor(width, bits);
    // stride < 2^36 and height < 2^31, so the product cannot wrap in 64 bits.
    uint64_t bytes = stride * uint64_t(height);
    if (bytes > GPixelLimit || bytes > uint64_t(INT32_MAX))
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    return 0;
}

static void SetFormat(TImage* image, int bits) {
    image->FBitsPerPixel = uint8_t(bits);
    image->FBytesPerPixel = uint8_t((bits + 7) / 8);
    image->FBlueMask = image->FGreenMask = image->FRedMask = image->FAlphaMask = 0;
    switch (bits) {
    case 15:
        image->FBlueMask = 0x1F, image->FGreenMask = 0x3E0, image->FRedMask = 0x7C00;
        break;
    case 16:
        image->FBlueMask = 0x1F, image->FGreenMask = 0x7E0, image->FRedMask = 0xF800;
        break;
    case 24:
        image->FBlueMask = 0xFF, image->FGreenMask = 0xFF00, image->FRedMask = 0xFF0000;
        break;
    case 32:
        image->FBlueMask = 0xFF, image->FGreenMask = 0xFF00, image->FRedMask = 0xFF0000;
        image->FAlphaMask = 0xFF000000;
        break;
    }
}

int TImage_Init(TImage* image, int32_t width, int32_t height, int bits, uint32_t flags) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    image->FWidth = width;
    image->FHeight = height;
    SetFormat(image, bits);
    image->FLineWidth = width;
    bool fits = TImage_CheckSize(width, height, bits) == 0;
    image->FStride = fits ? int32_t(TImage_StrideFor(width, bits)) : 0;
    image->FSize = fits ? image->FStride * height : 0;
    image->FPaletteCount = bits <= 8 ? (1 << bits) : 0;
    image->FFlags = flags;
    image->FBits = nullptr;
    image->FMask = nullptr;
    if (!fits) return -1;
    if (!(flags & TIF_EXTBITS)) {
        // At least one byte, so an empty image still has pixel memory to test for.
        image->FBits = static_cast<uint8_t*>(PixelMemory_Alloc(size_t(image->FSize)));
        if (!image->FBits) return SetLastErrorCode(EC_NO_MEMORY), -1;
    }
    if (flags & TIF_HASMASK) {
        image->FMask = TImage_Create(width, height, 1, flags & TIF_BOTTOMUP);
        if (!image->FMask || !image->FMask->FBits) {
            image->FMask = TImage_Destroy(image->FMask);
            image->FFlags &= ~uint32_t(TIF_HASMASK);
            return SetLastErrorCode(EC_NO_MEMORY), -1;
        }
    }
    image->FDrawAttr = TDrawAttr{0, 0, 0, 0, 1};
    image->FLineStyle = 0;
    ClearLastErrorCode();
    return 0;
}

TImage* TImage_Create(int32_t width, int32_t height, int bits, uint32_t flags) {
    TImage* image = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
    if (!image) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    if (TImage_Init(image, width, height, bits, flags) != 0) {
        int code = GetLastErrorCode();
        TImage_Destroy(image);
        SetLastErrorCode(code);
        return nullptr;
    }
    return image;
}

int TImage_Reset(TImage** image, int32_t width, int32_t height, int bits, uint32_t flags) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!*image) {
        *image = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
        if (!*image) return SetLastErrorCode(EC_NO_MEMORY), -1;
    } else {
        TImage_Clear(*image);
    }
    TImage_Init(*image, width, height, bits, flags);
    return GetLastErrorCode() != EC_NONE ? -1 : 0;
}

void TImage_Clear(TImage* image) {
    if (!image) return;
    if (!(image->FFlags & TIF_EXTBITS)) std::free(image->FBits);
    TImage_Destroy(image->FMask);
    std::memset(image, 0, sizeof *image);
    ClearLastErrorCode();
}

TImage* TImage_Destroy(TImage* image) {
    if (!image) return nullptr;
    TImage_Clear(image);
    std::free(image);
    return nullptr;
}

int TImage_AttachBits(TImage* image, uint8_t* bits) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!(image->FFlags & TIF_EXTBITS)) std::free(image->FBits);
    image->FBits = bits;
    image->FFlags |= TIF_EXTBITS;
    return 0;
}

uint8_t* TImage_GetRow(const TImage* image, int32_t y) {
    int32_t row = (image->FFlags & TIF_BOTTOMUP) ? image->FHeight - 1 - y : y;
    return image->FBits + size_t(image->FStride) * size_t(row);
}

uint8_t* TImage_GetRowSafe(const TImage* image, int32_t y) {
    if (!image || !image->FBits || y < 0 || y >= image->FHeight) return nullptr;
    return TImage_GetRow(image, y);
}

uint32_t TImage_GetPixel(const TImage* image, int32_t x, int32_t y) {
    const uint8_t* row = TImage_GetRow(image, y);
    switch (image->FBitsPerPixel) {
    case 1:
        return (row[x >> 3] & (0x80 >> (x & 7))) ? 0xFFFFFF : 0;
    case 8:
        return row[x];
    case 15:
    case 16: {
        const uint8_t* p = row + size_t(x) * 2;
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8);
    }
    case 24: {
        const uint8_t* p = row + size_t(x) * 3;
        return uint32_t(p[2]) | (uint32_t(p[1]) << 8) | (uint32_t(p[0]) << 16);
    }
    case 32: {
        const uint8_t* p = row + size_t(x) * 4;
        return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) |
               (uint32_t(p[3]) << 24);
    }
    default: // 2 and 4 bits are not addressable by value
        return 0;
    }
}

void TImage_SetPixel(TImage* image, int32_t x, int32_t y, uint32_t value) {
    uint8_t* row = TImage_GetRow(image, y);
    switch (image->FBitsPerPixel) {
    case 1:
        if (value)
            row[x >> 3] |= uint8_t(0x80 >> (x & 7));
        else
            row[x >> 3] &= uint8_t(~(0x80 >> (x & 7)));
        break;
    case 8:
        row[x] = uint8_t(value);
        break;
    case 15:
    case 16: {
        uint8_t* p = row + size_t(x) * 2;
        p[0] = uint8_t(value), p[1] = uint8_t(value >> 8);
        break;
    }
    case 24: {
        uint8_t* p = row + size_t(x) * 3;
        p[0] = uint8_t(value >> 16), p[1] = uint8_t(value >> 8), p[2] = uint8_t(value);
        break;
    }
    case 32: {
        uint8_t* p = row + size_t(x) * 4;
        p[0] = uint8_t(value), p[1] = uint8_t(value >> 8);
        p[2] = uint8_t(value >> 16), p[3] = uint8_t(value >> 24);
        break;
    }
    default:
        break;
    }
}

uint32_t TImage_GetPixelMasked(const TImage* image, int32_t x, int32_t y, uint32_t* color) {
    *color = TImage_GetPixel(image, x, y);
    if (!image->FMask) return 1;
    return TImage_GetPixel(image->FMask, x, y);
}

void TImage_SetPixelMasked(TImage* image, int32_t x, int32_t y, uint32_t color, uint32_t mask) {
    if (mask) TImage_SetPixel(image, x, y, color);
    TImage_SetPixel(image->FMask, x, y, mask);
}

int TImage_InBounds(const TImage* image, int32_t x, int32_t y) {
    return image && x >= 0 && y >= 0 && x < image->FWidth && y < image->FHeight;
}

int TImage_InClip(const TImage* image, int32_t x, int32_t y) {
    if (!image) return 0;
    if (!image->FClipOn) return 1;
    const TRectLTRB& r = image->FClipRect;
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
}

static bool Writable(const TImage* image, int32_t x, int32_t y) {
    return image->FBits && TImage_InBounds(image, x, y) && TImage_InClip(image, x, y);
}

uint32_t TImage_GetPixelSafe(const TImage* image, int32_t x, int32_t y) {
    if (!image || !image->FBits || !TImage_InBounds(image, x, y)) return 0;
    return TImage_GetPixel(image, x, y);
}

void TImage_SetPixelSafe(TImage* image, int32_t x, int32_t y, uint32_t value) {
    if (image && Writable(image, x, y)) TImage_SetPixel(image, x, y, value);
}

uint32_t TImage_GetPixelMaskedSafe(const TImage* image, int32_t x, int32_t y, uint32_t* color) {
    if (!image || !color) return SetLastErrorCode(EC_NULL_OBJECT), 0;
    if (!image->FBits || !TImage_InBounds(image, x, y)) return *color = 0, 0;
    *color = TImage_GetPixel(image, x, y);
    if (!image->FMask) return 0xFFFFFF;
    return TImage_GetPixel(image->FMask, x, y);
}

void TImage_SetPixelMaskedSafe(TImage* image, int32_t x, int32_t y, uint32_t color, uint32_t mask) {
    if (!image) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return;
    }
    if (!Writable(image, x, y)) return;
    if (!image->FMask) {
        TImage_SetPixel(image, x, y, color);
        return;
    }
    TImage_SetPixel(image, x, y, mask ? color : 0);
    TImage_SetPixel(image->FMask, x, y, mask);
}

int TImage_FillMask(TImage* image, int visible) {
    if (!image || !image->FMask || !image->FMask->FBits)
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    std::memset(image->FMask->FBits, visible ? 0xFF : 0, size_t(image->FMask->FSize));
    return 0;
}

static void SetPlaneClip(TImage* plane, const TRectLTRB* rect) {
    if (rect) plane->FClipRect = *rect;
    plane->FClipOn = rect != nullptr;
}

void TImage_SetClipRect(TImage* image, const TRectLTRB* rect) {
    if (!image) return;
    SetPlaneClip(image, rect);
    if (image->FMask) SetPlaneClip(image->FMask, rect);
}

void TImage_GetDrawAttr(const TImage* image, TDrawAttr* out) {
    if (image && out) *out = image->FDrawAttr;
}

void TImage_SetDrawAttr(TImage* image, const TDrawAttr* attr) {
    if (image && attr) image->FDrawAttr = *attr;
}

int32_t TImage_PaletteBytes(const TImage* image) {
    if (!image || image->FPaletteCount <= 0) return 0;
    return image->FPaletteCount * 4;
}

void TImage_SwapRedBlue(TImage* image) {
    if (!image || !image->FBits || image->FBitsPerPixel != 24) return;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        uint8_t* p = image->FBits + size_t(image->FStride) * size_t(y);
        for (int32_t x = 0; x < image->FWidth; ++x, p += 3) {
            uint8_t t = p[0];
            p[0] = p[2];
            p[2] = t;
        }
    }
}

uint32_t SwapColorRB(uint32_t value) {
    return (value & 0xFF00FF00u) | ((value & 0xFF) << 16) | ((value >> 16) & 0xFF);
}
