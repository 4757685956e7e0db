// Colour adjustments on raw rows. Brightness and contrast depend only on the byte and the amount,
// so each call builds a 256-entry table with the exact double arithmetic and maps bytes through
// it; grayscale, invert and colour replacement work on whole rows too. Results equal the
// per-pixel rules byte for byte. Touches the mask plane only in ReplaceColor.
#include "core/adjust.h"

#include <cstring>

#include "core/error.h"
#include "core/image.h"

// The mask plane that may be read and written, or null (an image without one counts as visible).
static TImage* MaskPlane(const TImage* image) {
    TImage* mask = image->FMask;
    return mask && mask->FBits ? mask : nullptr;
}

static int CheckImage(const TImage* image) {
    if (!image || !image->FBits) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return 0;
}

// Contrast and grayscale address three colour bytes per pixel, which only 24 and 32 bits have.
static int CheckColourBytes(const TImage* image) {
    if (CheckImage(image) != 0) return -1;
    if (image->FBitsPerPixel != 24 && image->FBitsPerPixel != 32)
        return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    return 0;
}

// truncate(x) clamped to 0..255. Clamping before the conversion gives the same byte for every
// value and keeps amounts far beyond the sliders' range free of overflow.
static uint8_t TruncClamp(double x) {
    if (x <= 0.0) return 0;
    if (x >= 255.0) return 255;
    return uint8_t(int(x));
}

static void BuildBrightnessTable(int amount, uint8_t table[256]) {
    double factor = double(amount) * 0.01 + 1.0;
    for (int v = 0; v < 256; ++v) table[v] = TruncClamp(double(v) * factor);
}

static void BuildContrastTable(int amount, uint8_t table[256]) {
    for (int v = 0; v < 256; ++v) {
        // 64 bits so that no int amount overflows; integer division truncates toward zero.
        int64_t d = int64_t(amount) * (v - 128) / 128;
        int64_t e = int64_t(double(d) + 0.5);
        table[v] = TruncClamp(double(v + e));
    }
}

// Maps n bytes through table, eight at a time through one 64-bit word, so that no table load
// has to wait for a store to the pixels.
static void MapBytes(uint8_t* p, size_t n, const uint8_t* table) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        uint64_t out = 0;
        for (int k = 0; k < 64; k += 8) out |= uint64_t(table[(w >> k) & 0xFF]) << k;
        std::memcpy(p + i, &out, 8);
    }
    for (; i < n; ++i) p[i] = table[p[i]];
}

// The first three bytes of every pixel of every row through table; padding untouched.
static void MapColourBytes(TImage* image, const uint8_t* table) {
    int32_t width = image->FWidth;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        uint8_t* row = TImage_GetRow(image, y);
        if (image->FBitsPerPixel == 24) {
            MapBytes(row, size_t(width) * 3, table);
            continue;
        }
        for (int32_t x = 0; x < width; ++x, row += 4) {
            row[0] = table[row[0]];
            row[1] = table[row[1]];
            row[2] = table[row[2]];
        }
    }
}

void TImage_Brightness(TImage* image, int amount) {
    if (!image || !image->FBits || image->FSize <= 0) return;
    uint8_t table[256];
    BuildBrightnessTable(amount, table);
    MapBytes(image->FBits, size_t(image->FSize), table);
}

int TImage_Contrast(TImage* image, int amount) {
    if (CheckColourBytes(image) != 0) return -1;
    uint8_t table[256];
    BuildContrastTable(amount, table);
    MapColourBytes(image, table);
    return 0;
}

int TImage_Grayscale(TImage* image) {
    if (CheckColourBytes(image) != 0) return -1;
    size_t step = image->FBitsPerPixel == 24 ? 3 : 4;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        uint8_t* p = TImage_GetRow(image, y);
        for (int32_t x = 0; x < image->FWidth; ++x, p += step) {
            unsigned sum = 59u * p[1] + 30u * p[2] + 11u * p[0];
            uint8_t gray = uint8_t(sum / 100);
            p[0] = p[1] = p[2] = gray;
        }
    }
    ClearLastErrorCode();
    return 0;
}

int TImage_Invert(TImage* image) {
    if (CheckImage(image) != 0) return -1;
    uint8_t* p = image->FBits;
    size_t n = image->FSize > 0 ? size_t(image->FSize) : 0;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        w = ~w;
        std::memcpy(p + i, &w, 8);
    }
    for (; i < n; ++i) p[i] = uint8_t(~p[i]);
    return 0;
}

// 24-bit rows: the colour's bytes compared in place, the mask read a byte (eight pixels) at a
// time so that transparent stretches cost one test.
static void ReplaceColor24(TImage* image, uint32_t color) {
    TImage* mask = MaskPlane(image);
    const uint8_t kr = uint8_t(color), kg = uint8_t(color >> 8), kb = uint8_t(color >> 16);
    const uint32_t pen = image->FDrawAttr.FColor;
    const uint8_t pr = uint8_t(pen), pg = uint8_t(pen >> 8), pb = uint8_t(pen >> 16);
    const bool penVisible = image->FDrawAttr.FMaskValue != 0;
    if (!penVisible && !mask) return; // nothing to write: no colour, no plane
    const int32_t width = image->FWidth;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        uint8_t* row = TImage_GetRow(image, y);
        uint8_t* mrow = mask ? TImage_GetRow(mask, y) : nullptr;
        for (int32_t x0 = 0; x0 < width; x0 += 8) {
            unsigned bits = mrow ? mrow[x0 >> 3] : 0xFFu;
            if (!bits) continue;
            int32_t n = width - x0 < 8 ? width - x0 : 8;
            uint8_t* p = row + size_t(x0) * 3;
            for (int32_t i = 0; i < n; ++i, p += 3) {
                if (!(bits & (0x80u >> i)) || p[0] != kb || p[1] != kg || p[2] != kr) continue;
                if (penVisible) {
                    p[0] = pb, p[1] = pg, p[2] = pr; // the set mask bit stays set
                } else {
                    mrow[x0 >> 3] &= uint8_t(~(0x80u >> i)); // transparent, colour kept
                }
            }
        }
    }
}

// Any depth through the pixel accessors; only images the editor does not edit come here.
static void ReplaceColorAny(TImage* image, uint32_t color) {
    TImage* mask = MaskPlane(image);
    const TDrawAttr& attr = image->FDrawAttr;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        for (int32_t x = 0; x < image->FWidth; ++x) {
            if (mask && !TImage_GetPixel(mask, x, y)) continue;
            if (TImage_GetPixel(image, x, y) != color) continue;
            if (attr.FMaskValue) TImage_SetPixel(image, x, y, attr.FColor);
            if (mask) TImage_SetPixel(mask, x, y, attr.FMaskValue);
        }
    }
}

int TImage_ReplaceColor(TImage* image, uint32_t color) {
    if (CheckImage(image) != 0) return -1;
    if (image->FBitsPerPixel == 24) {
        if (color <= 0xFFFFFF) ReplaceColor24(image, color); // else no pixel can equal it
    } else {
        ReplaceColorAny(image, color);
    }
    return 0;
}
