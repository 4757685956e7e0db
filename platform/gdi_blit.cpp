// Block and stretching transfers between bitmaps of 1, 24 and 32 bits: clipping on both sides,
// copies within one bitmap as through a temporary block (rows ordered, memmove and a bit copy
// that runs against the shift), and the stretch that draws the editor's view, whose cost follows
// the clipped destination: whole rows, runs of one source pixel filled at once, and rows of the
// same source row copied from the row above. Nothing is allocated here.
#include <algorithm>
#include <cstring>
#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include "platform/gdi_internal.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the pixel packing below assumes a little-endian machine"
#endif

namespace {
// ---- Pixels as 32-bit words: blue in the low byte, then green, red (the memory order) ----

template <int B> inline uint32_t Load(const uint8_t* row, int64_t x) {
    if constexpr (B == 1) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1 ? 0xFFFFFFu : 0u;
    } else if constexpr (B == 24) {
        const uint8_t* p = row + 3 * x;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
    } else {
        uint32_t v;
        std::memcpy(&v, row + 4 * x, 4);
        return v & 0xFFFFFFu;
    }
}

inline uint32_t Nearest(uint32_t v) {
    return (v & 0xFF) + ((v >> 8) & 0xFF) + ((v >> 16) & 0xFF) > 382 ? 1 : 0;
}

// Writes count copies of v from pixel x on.
template <int B> inline void Store(uint8_t* row, int64_t x, uint32_t v, int64_t count) {
    if constexpr (B == 1) {
        bool set = Nearest(v) != 0;
        for (int64_t i = x; i < x + count; ++i) {
            uint8_t bit = uint8_t(0x80 >> (i & 7));
            row[i >> 3] = set ? uint8_t(row[i >> 3] | bit) : uint8_t(row[i >> 3] & ~bit);
        }
    } else if constexpr (B == 24) {
        uint8_t* p = row + 3 * x;
        for (int64_t i = 0; i < count; ++i, p += 3) {
            p[0] = uint8_t(v);
            p[1] = uint8_t(v >> 8);
            p[2] = uint8_t(v >> 16);
        }
    } else {
        uint32_t* p = reinterpret_cast<uint32_t*>(row + 4 * x);
        uint32_t word = v | 0xFF000000u;
        for (int64_t i = 0; i < count; ++i)
            std::memcpy(p + i, &word, 4);
    }
}

// ---- Row copies of the block transfer ----

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// Four pixels per byte shuffle; each load of 16 bytes stays inside the row (6 pixels left).
__attribute__((target("ssse3"))) int64_t Convert24To32Ssse3(uint8_t* d, const uint8_t* s,
                                                            int64_t n) {
    const __m128i order = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
    int64_t i = 0;
    for (; i + 6 <= n; i += 4, s += 12, d += 16) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d),
                         _mm_or_si128(_mm_shuffle_epi8(v, order), opaque));
    }
    return i;
}

bool HasSsse3() {
    static const bool has = __builtin_cpu_supports("ssse3");
    return has;
}
#endif

// Four pixels from three words at a time (after the shuffle's share, where there is one).
void Convert24To32(uint8_t* d, const uint8_t* s, int64_t n) {
    int64_t i = 0;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (HasSsse3()) {
        i = Convert24To32Ssse3(d, s, n);
        s += 3 * i;
        d += 4 * i;
    }
#endif
    for (; i + 4 <= n; i += 4, s += 12, d += 16) {
        uint32_t a, b, c, out[4];
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + 4, 4);
        std::memcpy(&c, s + 8, 4);
        out[0] = a | 0xFF000000u;
        out[1] = (a >> 24) | (b << 8) | 0xFF000000u;
        out[2] = (b >> 16) | (c << 16) | 0xFF000000u;
        out[3] = (c >> 8) | 0xFF000000u;
        std::memcpy(d, out, 16);
    }
    for (; i < n; ++i, s += 3, d += 4)
        Store<32>(d, 0, Load<24>(s, 0), 1);
}

// The bits [from, from + count) of row, at most 8, left-aligned in a byte; reads no byte the
// range does not touch.
inline uint32_t ReadBits(const uint8_t* row, int64_t from, int64_t count) {
    int64_t byte = from >> 3, shift = from & 7;
    uint32_t window = uint32_t(row[byte]) << 8;
    if (shift + count > 8) window |= row[byte + 1];
    return (window << shift >> 8) & 0xFF;
}

// Copies n 1-bit pixels from sx of srow to dx of drow. When the rows are one memory row, each
// destination byte is written only after every source bit it covers was read: forwards when the
// source lies to the right, backwards otherwise.
void CopyBits(uint8_t* drow, int64_t dx, const uint8_t* srow, int64_t sx, int64_t n) {
    int64_t firstByte = dx >> 3, lastByte = (dx + n - 1) >> 3, offset = sx - dx;
    auto writeByte = [&](int64_t byte) {
        int64_t lo = std::max(dx, byte * 8), hi = std::min(dx + n, byte * 8 + 8);
        uint32_t bits = ReadBits(srow, lo + offset, hi - lo) >> (lo - byte * 8);
        uint8_t mask = uint8_t((0xFF >> (lo - byte * 8)) & (0xFF << (byte * 8 + 8 - hi)));
        drow[byte] = uint8_t((drow[byte] & ~mask) | (bits & mask));
    };
    if ((offset & 7) == 0 && lastByte - firstByte >= 2) {
        // Same bit phase: the whole bytes between the ends are a plain move.
        int64_t middle = lastByte - firstByte - 1;
        if (offset >= 0)
            writeByte(firstByte);
        else
            writeByte(lastByte);
        std::memmove(drow + firstByte + 1, srow + firstByte + 1 + (offset >> 3), size_t(middle));
        if (offset >= 0)
            writeByte(lastByte);
        else
            writeByte(firstByte);
        return;
    }
    if (offset >= 0)
        for (int64_t byte = firstByte; byte <= lastByte; ++byte)
            writeByte(byte);
    else
        for (int64_t byte = lastByte; byte >= firstByte; --byte)
            writeByte(byte);
}

template <int SB, int DB>
void ConvertRow(uint8_t* drow, int64_t dx, const uint8_t* srow, int64_t sx, int64_t n) {
    for (int64_t i = 0; i < n; ++i)
        Store<DB>(drow, dx + i, Load<SB>(srow, sx + i), 1);
}

void CopyRow(int sbpp, int dbpp, uint8_t* drow, int64_t dx, const uint8_t* srow, int64_t sx,
             int64_t n) {
    if (sbpp == dbpp && dbpp != 1) {
        std::memmove(drow + dx * (dbpp / 8), srow + sx * (sbpp / 8), size_t(n * (dbpp / 8)));
    } else if (sbpp == 1 && dbpp == 1) {
        CopyBits(drow, dx, srow, sx, n);
    } else if (sbpp == 24 && dbpp == 32) {
        Convert24To32(drow + 4 * dx, srow + 3 * sx, n);
    } else if (sbpp == 32 && dbpp == 24) {
        ConvertRow<32, 24>(drow, dx, srow, sx, n);
    } else if (sbpp == 1) {
        dbpp == 24 ? ConvertRow<1, 24>(drow, dx, srow, sx, n)
                   : ConvertRow<1, 32>(drow, dx, srow, sx, n);
    } else {
        sbpp == 24 ? ConvertRow<24, 1>(drow, dx, srow, sx, n)
                   : ConvertRow<32, 1>(drow, dx, srow, sx, n);
    }
}

bool SameMemory(const TGdiSurface& a, const TGdiSurface& b) {
    return a.FBits == b.FBits;
}

// ---- Stretching ----

// The column walk: destination column i takes source column floor(i * sw / w), kept as
// quotient and remainder of i * sw by w.
struct TWalk {
    int64_t FNum, FDen; // sw, w
};

// n destination pixels from dx on, starting at source column q with remainder rem.
template <int SB, int DB>
void StretchRow(uint8_t* drow, int64_t dx, const uint8_t* srow, int64_t q, int64_t rem,
                const TWalk& walk, int64_t n) {
    int64_t sw = walk.FNum, w = walk.FDen;
    if (sw <= w) { // magnifying: a run of equal pixels per source pixel
        while (n > 0) {
            int64_t run = (w - rem + sw - 1) / sw;
            if (run > n) run = n;
            Store<DB>(drow, dx, Load<SB>(srow, q), run);
            dx += run;
            n -= run;
            rem += run * sw - w;
            ++q;
        }
        return;
    }
    int64_t step = sw / w, stepRem = sw % w;
    for (int64_t i = 0; i < n; ++i) {
        Store<DB>(drow, dx + i, Load<SB>(srow, q), 1);
        q += step;
        rem += stepRem;
        if (rem >= w) {
            rem -= w;
            ++q;
        }
    }
}

typedef void (*TStretchRow)(uint8_t*, int64_t, const uint8_t*, int64_t, int64_t, const TWalk&,
                            int64_t);

TStretchRow StretchFor(int sbpp, int dbpp) {
    static const TStretchRow table[3][3] = {
        {StretchRow<1, 1>, StretchRow<1, 24>, StretchRow<1, 32>},
        {StretchRow<24, 1>, StretchRow<24, 24>, StretchRow<24, 32>},
        {StretchRow<32, 1>, StretchRow<32, 24>, StretchRow<32, 32>}};
    auto index = [](int bpp) { return bpp == 1 ? 0 : bpp == 24 ? 1 : 2; };
    return table[index(sbpp)][index(dbpp)];
}

// The indices i in [0, n) whose source pixel start + floor(i * s / n) lies in [0, size).
void SourceRange(int64_t start, int64_t s, int64_t n, int64_t size, int64_t* lo, int64_t* hi) {
    *lo = start >= 0 ? 0 : int64_t((__int128(-start) * n + s - 1) / s);
    *hi = size - start <= 0
              ? 0
              : int64_t(std::min<__int128>(n, (__int128(size - start) * n + s - 1) / s));
}

bool Surfaces(TGdiDC* dst, TGdiDC* src, TGdiSurface* d, TGdiSurface* s, TGdiRect* box) {
    *d = GdiSurfaceOf(dst->FBitmap);
    *s = GdiSurfaceOf(src->FBitmap);
    return GdiDrawBox(dst, box);
}
} // namespace

int Gdi_BitBlt(TGdiDC* dst, int32_t x, int32_t y, int32_t w, int32_t h, TGdiDC* src, int32_t sx,
               int32_t sy, uint32_t rop) {
    if (!dst || !src || rop != GDI_SRCCOPY || w < 0 || h < 0) return 0;
    TGdiSurface d, s;
    TGdiRect box;
    if (w == 0 || h == 0 || !Surfaces(dst, src, &d, &s, &box)) return 1;
    int64_t ox = int64_t(sx) - x, oy = int64_t(sy) - y; // source minus destination
    int64_t x0 = std::max<int64_t>({x, box.left, -ox});
    int64_t x1 = std::min<int64_t>({int64_t(x) + w, box.right, s.FWidth - ox});
    int64_t y0 = std::max<int64_t>({y, box.top, -oy});
    int64_t y1 = std::min<int64_t>({int64_t(y) + h, box.bottom, s.FHeight - oy});
    if (x0 >= x1 || y0 >= y1) return 1;
    // Moving down within one bitmap: the bottom rows first, so no source row is overwritten
    // before it is read.
    bool bottomFirst = oy < 0 && SameMemory(d, s);
    for (int64_t j = 0; j < y1 - y0; ++j) {
        int64_t row = bottomFirst ? y1 - 1 - j : y0 + j;
        CopyRow(s.FBpp, d.FBpp, GdiRow(d, row), x0, GdiRow(s, row + oy), x0 + ox, x1 - x0);
    }
    return 1;
}

int Gdi_StretchBlt(TGdiDC* dst, int32_t x, int32_t y, int32_t w, int32_t h, TGdiDC* src, int32_t sx,
                   int32_t sy, int32_t sw, int32_t sh, uint32_t rop) {
    if (!dst || !src || rop != GDI_SRCCOPY || w < 0 || h < 0 || sw <= 0 || sh <= 0) return 0;
    if (w == sw && h == sh) return Gdi_BitBlt(dst, x, y, w, h, src, sx, sy, rop);
    TGdiSurface d, s;
    TGdiRect box;
    if (w == 0 || h == 0) return 1;
    if (!Surfaces(dst, src, &d, &s, &box)) return 1;
    if (SameMemory(d, s)) return 0;
    int64_t i0, i1, j0, j1;
    SourceRange(sx, sw, w, s.FWidth, &i0, &i1);
    SourceRange(sy, sh, h, s.FHeight, &j0, &j1);
    i0 = std::max<int64_t>(i0, int64_t(box.left) - x);
    i1 = std::min<int64_t>(i1, int64_t(box.right) - x);
    j0 = std::max<int64_t>(j0, int64_t(box.top) - y);
    j1 = std::min<int64_t>(j1, int64_t(box.bottom) - y);
    if (i0 >= i1 || j0 >= j1) return 1;
    TWalk columns = {sw, w};
    int64_t q0 = sx + i0 * sw / w, rem0 = i0 * sw % w;
    TStretchRow stretch = StretchFor(s.FBpp, d.FBpp);
    int64_t dx0 = x + i0, n = i1 - i0;
    int64_t rowQ = sy + j0 * sh / h, rowRem = j0 * sh % h, lastSource = -1;
    int64_t rowStep = sh / h, rowStepRem = sh % h;
    const uint8_t* previous = nullptr;
    for (int64_t j = j0; j < j1; ++j) {
        uint8_t* drow = GdiRow(d, y + j);
        if (rowQ == lastSource) {
            // The same source row as the row above: copy what was just made.
            if (d.FBpp == 1)
                CopyBits(drow, dx0, previous, dx0, n);
            else
                std::memcpy(drow + dx0 * (d.FBpp / 8), previous + dx0 * (d.FBpp / 8),
                            size_t(n * (d.FBpp / 8)));
        } else {
            stretch(drow, dx0, GdiRow(s, rowQ), q0, rem0, columns, n);
            lastSource = rowQ;
        }
        previous = drow;
        rowQ += rowStep;
        rowRem += rowStepRem;
        if (rowRem >= h) {
            rowRem -= h;
            ++rowQ;
        }
    }
    return 1;
}
