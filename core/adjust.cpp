// Colour adjustments on raw rows. Brightness and contrast depend only on the byte and the amount,
// so each call builds a 256-entry table with the exact double arithmetic, and from it a table of
// byte pairs, and maps whole rows through them; grayscale takes sixteen pixels a step with SSSE3
// where the processor has it. Every result equals the per-pixel rule byte for byte. Only
// ReplaceColor touches the mask plane.
#include "core/adjust.h"

#include <cstring>

#include "core/error.h"
#include "core/image.h"

#if defined(__x86_64__) && defined(__GNUC__)
#define MOSAIKO_GRAY_SSSE3 1
#include <immintrin.h>
#endif

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

// Row i of pixel memory (not of the picture). Every pass here gives each pixel a result of its
// own bytes alone, so rows go in memory order: ascending addresses, which the hardware prefetcher
// follows, where the picture order of a bottom-up image would walk memory backwards.
static uint8_t* MemoryRow(const TImage* image, int32_t i) {
    return image->FBits + size_t(image->FStride) * size_t(i);
}

// The picture row that memory row i holds.
static int32_t PictureRow(const TImage* image, int32_t i) {
    return (image->FFlags & TIF_BOTTOMUP) ? image->FHeight - 1 - i : i;
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
    for (int v = 0; v < 256; ++v)
        table[v] = TruncClamp(double(v) * factor);
}

static void BuildContrastTable(int amount, uint8_t table[256]) {
    for (int v = 0; v < 256; ++v) {
        // 64 bits so that no int amount overflows; integer division truncates toward zero.
        int64_t d = int64_t(amount) * (v - 128) / 128;
        int64_t e = int64_t(double(d) + 0.5);
        table[v] = TruncClamp(double(v + e));
    }
}

// Two bytes per lookup: entry w holds both bytes of w mapped, so that it is right in either byte
// order. Rebuilt from the byte table by each call that maps whole rows (about 10 us, against a
// halving of the lookups). 128 KiB is too much for the stack; like every image operation it is
// used on the user-interface thread only.
static uint16_t GPairTable[65536];

static const uint16_t* BuildPairTable(const uint8_t* table) {
    for (int hi = 0; hi < 256; ++hi) {
        uint16_t* out = GPairTable + (hi << 8);
        const unsigned high = unsigned(table[hi]) << 8;
        for (int lo = 0; lo < 256; ++lo)
            out[lo] = uint16_t(high | table[lo]);
    }
    return GPairTable;
}

// Maps n bytes, eight at a time through one 64-bit word and four pair lookups, so that no table
// load waits for a store to the pixels; the tail byte by byte.
static void MapBytes(uint8_t* p, size_t n, const uint8_t* table, const uint16_t* pairs) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t w;
        std::memcpy(&w, p + i, 8);
        uint64_t out = uint64_t(pairs[w & 0xFFFF]) | (uint64_t(pairs[(w >> 16) & 0xFFFF]) << 16) |
                       (uint64_t(pairs[(w >> 32) & 0xFFFF]) << 32) |
                       (uint64_t(pairs[w >> 48]) << 48);
        std::memcpy(p + i, &out, 8);
    }
    for (; i < n; ++i)
        p[i] = table[p[i]];
}

// The first three bytes of every pixel of every row through table; padding untouched.
static void MapColourBytes(TImage* image, const uint8_t* table) {
    const int32_t width = image->FWidth;
    if (image->FBitsPerPixel == 24) {
        const uint16_t* pairs = BuildPairTable(table);
        for (int32_t i = 0; i < image->FHeight; ++i)
            MapBytes(MemoryRow(image, i), size_t(width) * 3, table, pairs);
        return;
    }
    for (int32_t i = 0; i < image->FHeight; ++i) {
        uint8_t* row = MemoryRow(image, i);
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
    MapBytes(image->FBits, size_t(image->FSize), table, BuildPairTable(table));
}

int TImage_Contrast(TImage* image, int amount) {
    if (CheckColourBytes(image) != 0) return -1;
    uint8_t table[256];
    BuildContrastTable(amount, table);
    MapColourBytes(image, table);
    return 0;
}

// (59 G + 30 R + 11 B) / 100 for n pixels step bytes apart.
static void GrayPixels(uint8_t* p, int32_t n, size_t step) {
    for (int32_t x = 0; x < n; ++x, p += step) {
        unsigned sum = 59u * p[1] + 30u * p[2] + 11u * p[0];
        uint8_t gray = uint8_t(sum / 100);
        p[0] = p[1] = p[2] = gray;
    }
}

#ifdef MOSAIKO_GRAY_SSSE3
namespace {
// Shuffle controls: FSplit[c][v] gathers channel c of 16 pixels from the v-th 16 bytes of their
// 48; FJoin[v] spreads 16 gray bytes back over the v-th 16 bytes.
struct TGrayShuffles {
    alignas(16) uint8_t FSplit[3][3][16];
    alignas(16) uint8_t FJoin[3][16];
};
} // namespace

static constexpr TGrayShuffles MakeGrayShuffles() {
    TGrayShuffles s = {};
    for (int c = 0; c < 3; ++c)
        for (int v = 0; v < 3; ++v)
            for (int k = 0; k < 16; ++k) {
                int at = 3 * k + c - 16 * v;
                s.FSplit[c][v][k] = uint8_t(at >= 0 && at < 16 ? at : 0x80); // 0x80 gives 0
            }
    for (int v = 0; v < 3; ++v)
        for (int j = 0; j < 16; ++j)
            s.FJoin[v][j] = uint8_t((16 * v + j) / 3);
    return s;
}

static constexpr TGrayShuffles KGrayShuffles = MakeGrayShuffles();

__attribute__((target("ssse3"))) static __m128i GrayChannel(__m128i a, __m128i b, __m128i c,
                                                            int channel) {
    const TGrayShuffles& s = KGrayShuffles;
    __m128i x = _mm_shuffle_epi8(a, _mm_load_si128((const __m128i*)s.FSplit[channel][0]));
    x = _mm_or_si128(x, _mm_shuffle_epi8(b, _mm_load_si128((const __m128i*)s.FSplit[channel][1])));
    return _mm_or_si128(x,
                        _mm_shuffle_epi8(c, _mm_load_si128((const __m128i*)s.FSplit[channel][2])));
}

// Eight sums in 16-bit lanes (at most 25500) divided by 100: (sum x 5243) >> 19 equals sum / 100
// for every sum up to 25500 (the test checks the whole range through the image).
__attribute__((target("ssse3"))) static __m128i GrayOf(__m128i b, __m128i g, __m128i r) {
    __m128i sum = _mm_add_epi16(_mm_mullo_epi16(g, _mm_set1_epi16(59)),
                                _mm_add_epi16(_mm_mullo_epi16(r, _mm_set1_epi16(30)),
                                              _mm_mullo_epi16(b, _mm_set1_epi16(11))));
    return _mm_srli_epi16(_mm_mulhi_epu16(sum, _mm_set1_epi16(5243)), 3);
}

// Sixteen 24-bit pixels (48 bytes) per step; returns how many pixels it did.
__attribute__((target("ssse3"))) static int32_t GrayRow24Ssse3(uint8_t* p, int32_t n) {
    const TGrayShuffles& s = KGrayShuffles;
    const __m128i zero = _mm_setzero_si128();
    int32_t x = 0;
    for (; x + 16 <= n; x += 16, p += 48) {
        __m128i a = _mm_loadu_si128((const __m128i*)p);
        __m128i b = _mm_loadu_si128((const __m128i*)(p + 16));
        __m128i c = _mm_loadu_si128((const __m128i*)(p + 32));
        __m128i blue = GrayChannel(a, b, c, 0), green = GrayChannel(a, b, c, 1),
                red = GrayChannel(a, b, c, 2);
        __m128i lo = GrayOf(_mm_unpacklo_epi8(blue, zero), _mm_unpacklo_epi8(green, zero),
                            _mm_unpacklo_epi8(red, zero));
        __m128i hi = GrayOf(_mm_unpackhi_epi8(blue, zero), _mm_unpackhi_epi8(green, zero),
                            _mm_unpackhi_epi8(red, zero));
        __m128i gray = _mm_packus_epi16(lo, hi);
        for (int v = 0; v < 3; ++v)
            _mm_storeu_si128((__m128i*)(p + 16 * v),
                             _mm_shuffle_epi8(gray, _mm_load_si128((const __m128i*)s.FJoin[v])));
    }
    return x;
}
#endif

int TImage_Grayscale(TImage* image) {
    if (CheckColourBytes(image) != 0) return -1;
    const int32_t width = image->FWidth;
    const bool rgb = image->FBitsPerPixel == 24;
#ifdef MOSAIKO_GRAY_SSSE3
    const bool vector = rgb && __builtin_cpu_supports("ssse3");
#endif
    for (int32_t i = 0; i < image->FHeight; ++i) {
        uint8_t* p = MemoryRow(image, i);
        int32_t done = 0;
#ifdef MOSAIKO_GRAY_SSSE3
        if (vector) done = GrayRow24Ssse3(p, width);
#endif
        GrayPixels(p + size_t(done) * (rgb ? 3 : 4), width - done, rgb ? 3 : 4);
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
    for (; i < n; ++i)
        p[i] = uint8_t(~p[i]);
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
    for (int32_t r = 0; r < image->FHeight; ++r) {
        uint8_t* row = MemoryRow(image, r);
        uint8_t* mrow = mask ? TImage_GetRow(mask, PictureRow(image, r)) : nullptr;
        for (int32_t x0 = 0; x0 < width; x0 += 8) {
            unsigned bits = mrow ? mrow[x0 >> 3] : 0xFFu;
            if (!bits) continue;
            int32_t n = width - x0 < 8 ? width - x0 : 8;
            uint8_t* p = row + size_t(x0) * 3;
            if (bits == 0xFFu && n == 8 && penVisible) {
                // Eight visible pixels: mostly one compare each.
#pragma GCC unroll 8
                for (int32_t i = 0; i < 8; ++i, p += 3)
                    if (p[0] == kb && p[1] == kg && p[2] == kr) p[0] = pb, p[1] = pg, p[2] = pr;
                continue;
            }
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
