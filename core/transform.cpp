// Rotation by a quarter or half turn and mirroring in place, colour and mask plane together,
// plus the source checks and new-image set-up the resizers share (transform_util.h).
// Pixels move on raw memory: whole-byte depths by word copies in cache-sized tiles (3-byte
// pixels by SSSE3 byte shuffles where the processor has them), 1-bit planes (masks and 1-bit
// images) eight by eight with a bit-matrix transpose or a reversed bit row; 2- and 4-bit
// images pixel by pixel.
#include "core/transform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#define MOSAIKO_TRANSFORM_SSSE3 1
#include <tmmintrin.h>
#endif

#include "core/error.h"
#include "core/image.h"
#include "core/transform_util.h"

static bool KnownDepth(int bits) {
    switch (bits) {
    case 1:
    case 2:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
    case 32:
        return true;
    default:
        return false;
    }
}

static bool PlaneUsable(const TImage* plane) {
    if (!plane->FBits || plane->FWidth < 0 || plane->FHeight < 0) return false;
    if (!KnownDepth(plane->FBitsPerPixel) || plane->FStride < 0) return false;
    if (uint64_t(plane->FStride) < TImage_StrideFor(plane->FWidth, plane->FBitsPerPixel))
        return false;
    // Rows must hold every pixel's bytes: 15 bits counted as 15 can give a shorter row than
    // the two bytes each pixel is stored in.
    if (plane->FBitsPerPixel >= 8 &&
        int64_t(plane->FStride) < int64_t(plane->FWidth) * plane->FBytesPerPixel)
        return false;
    return int64_t(plane->FStride) * plane->FHeight <= int64_t(plane->FSize);
}

int TransformCheckSource(const TImage* image) {
    if (!image || !PlaneUsable(image)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    const TImage* mask = image->FMask;
    if (!mask) {
        // A record that claims a mask plane it does not hold is not one we can read safely.
        if (image->FFlags & TIF_HASMASK) return SetLastErrorCode(EC_NULL_OBJECT), -1;
        return 0;
    }
    if (!PlaneUsable(mask) || mask->FBitsPerPixel != 1 || mask->FWidth != image->FWidth ||
        mask->FHeight != image->FHeight)
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return 0;
}

TImage* TransformCreateLike(const TImage* like, int32_t w, int32_t h) {
    uint32_t flags = (like->FFlags & TIF_BOTTOMUP) | (like->FMask ? TIF_HASMASK : 0);
    TImage* out = TImage_Create(w, h, like->FBitsPerPixel, flags);
    if (!out) return nullptr;
    // Paletted pixels mean nothing without their palette, so it travels with them.
    out->FPaletteCount = like->FPaletteCount;
    std::memcpy(out->FPalette, like->FPalette, sizeof out->FPalette);
    return out;
}

uint32_t TransformGetRaw(const TImage* plane, int32_t x, int32_t y) {
    const uint8_t* row = TImage_GetRow(plane, y);
    switch (plane->FBitsPerPixel) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4:
        return (row[x >> 1] >> (4 - 4 * (x & 1))) & 15;
    default: {
        const uint8_t* p = row + size_t(x) * plane->FBytesPerPixel;
        uint32_t v = 0;
        for (int i = plane->FBytesPerPixel - 1; i >= 0; --i)
            v = (v << 8) | p[i];
        return v;
    }
    }
}

void TransformSetRaw(TImage* plane, int32_t x, int32_t y, uint32_t value) {
    uint8_t* row = TImage_GetRow(plane, y);
    int bits = plane->FBitsPerPixel;
    if (bits < 8) {
        int per = 8 / bits, shift = 8 - bits * (x % per + 1);
        uint8_t field = uint8_t(((1 << bits) - 1) << shift);
        uint8_t& b = row[x / per];
        b = uint8_t((b & ~field) | ((value << shift) & field));
        return;
    }
    uint8_t* p = row + size_t(x) * plane->FBytesPerPixel;
    for (int i = 0; i < plane->FBytesPerPixel; ++i, value >>= 8)
        p[i] = uint8_t(value);
}

// ---- 1-bit planes ----

struct TBitReverseTable {
    uint8_t v[256];
    constexpr TBitReverseTable() : v() {
        for (int i = 0; i < 256; ++i) {
            int r = 0;
            for (int b = 0; b < 8; ++b)
                if (i & (1 << b)) r |= 0x80 >> b;
            v[i] = uint8_t(r);
        }
    }
};
static constexpr TBitReverseTable KBitReverse;

// dst pixel x = src pixel width - 1 - x for a 1-bit row: the bytes reversed bit by bit, then
// shifted left by the padding bits of the last byte. Writes (width + 7) / 8 bytes, the bits
// past width 0. dst and src must not overlap.
static void ReverseBitRow(uint8_t* dst, const uint8_t* src, int32_t width) {
    int32_t bytes = (width + 7) / 8;
    int pad = bytes * 8 - width;
    if (pad == 0) {
        for (int32_t q = 0; q < bytes; ++q)
            dst[q] = KBitReverse.v[src[bytes - 1 - q]];
        return;
    }
    for (int32_t q = 0; q < bytes; ++q) {
        unsigned here = KBitReverse.v[src[bytes - 1 - q]];
        unsigned next = q + 1 < bytes ? KBitReverse.v[src[bytes - 2 - q]] : 0;
        dst[q] = uint8_t((here << pad) | (next >> (8 - pad)));
    }
}

// 8 x 8 bit matrix, row k in byte 7 - k (most significant first), column i in bit 7 - i:
// returns the transpose in the same layout.
static inline uint64_t Transpose8x8(uint64_t x) {
    uint64_t t;
    t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x ^= t ^ (t << 28);
    return x;
}

// Quarter turns of a 1-bit plane in 8 x 8 blocks. Eight source rows, one byte of each, give
// eight destination rows, one byte of each: the source byte holds eight source columns (which
// become destination rows) and the eight rows fill one destination byte, so both sides stay
// byte-aligned for either direction. Source rows are read eight bytes at a time, so a strip
// of 64 columns is read once while its 64 destination rows fill byte by byte.
static void RotateBitsQuarter(const TImage* src, TImage* dst, bool clockwise) {
    const int32_t w = src->FWidth, h = src->FHeight;
    const TRowWalk s = TransformRows(src), d = TransformRows(dst);
    const int32_t srcBytes = (w + 7) / 8, dstBytes = (h + 7) / 8;
    uint8_t* rows[64]; // the destination rows of one strip, source column 8c + t in rows[t]
    for (int32_t c = 0; c < srcBytes; c += 8) {
        const int32_t nc = std::min<int32_t>(8, srcBytes - c);
        const int32_t count = std::min<int32_t>(64, w - 8 * c);
        for (int32_t t = 0; t < count; ++t) {
            const int32_t x = 8 * c + t;
            rows[t] = d(clockwise ? x : w - 1 - x);
        }
        for (int32_t b = 0; b < dstBytes; ++b) {
            uint8_t strip[8][8] = {}; // [row k of the block][source byte c + i]
            for (int k = 0; k < 8; ++k) {
                // Destination column 8b + k comes from source row h-1-(8b+k) or 8b+k.
                const int32_t y = clockwise ? h - 1 - 8 * b - k : 8 * b + k;
                if (y < 0 || y >= h) continue;
                if (nc == 8)
                    std::memcpy(strip[k], s(y) + c, 8);
                else
                    std::memcpy(strip[k], s(y) + c, size_t(nc));
            }
            for (int32_t i = 0; i < nc; ++i) {
                uint64_t m = 0;
                for (int k = 0; k < 8; ++k)
                    m |= uint64_t(strip[k][i]) << (56 - 8 * k);
                m = Transpose8x8(m);
                const int32_t last = std::min<int32_t>(8, count - 8 * i);
                for (int j = 0; j < last; ++j)
                    rows[8 * i + j][b] = uint8_t(m >> (56 - 8 * j));
            }
        }
    }
}

static void RotateBitsHalf(const TImage* src, TImage* dst) {
    const TRowWalk s = TransformRows(src), d = TransformRows(dst);
    for (int32_t y = 0; y < src->FHeight; ++y)
        ReverseBitRow(d(src->FHeight - 1 - y), s(y), src->FWidth);
}

// ---- whole-byte depths ----

// A quarter-turn tile: 32 destination rows by 256 columns. The 32 rows are written as forward
// runs of 768 bytes; the 256 source rows they read (96 bytes of each) stay in the first-level
// cache while the four-row groups of the tile pass over them, and the next tile's source bytes
// are prefetched before this one is moved: rows of the source lie a whole row apart, a
// distance the hardware does not follow. Measured on 4000 x 3000, 16 x 1024 tiles without the
// prefetch took half as long again.
enum { KTileRows = 32, KTileColumns = 256 };

// Moves one pixel of B bytes. A 3-byte pixel goes as a 4-byte word when the byte after it on
// both sides may be touched: the source byte is read and dropped, and the destination byte is
// the next pixel of the run, written right after.
template <int B, bool Wide> static inline void MovePixel(uint8_t* dp, const uint8_t* sp) {
    if (B == 3 && Wide) {
        uint32_t v;
        std::memcpy(&v, sp, 4);
        std::memcpy(dp, &v, 4);
    } else {
        std::memcpy(dp, sp, B);
    }
}

// n pixels read at sp, sp + step, ... and written at dp, dp + B, ...; the last one exactly.
// 3-byte pixels are read as words and packed four into three stores.
template <int B, bool WideRead>
static inline void MoveRun(uint8_t* dp, const uint8_t* sp, ptrdiff_t step, int32_t n) {
    int32_t k = 0;
    if (B == 3 && WideRead) {
        for (; k + 4 < n; k += 4, sp += 4 * step, dp += 12) {
            uint32_t p0, p1, p2, p3; // one pixel in the low three bytes of each
            std::memcpy(&p0, sp, 4);
            std::memcpy(&p1, sp + step, 4);
            std::memcpy(&p2, sp + 2 * step, 4);
            std::memcpy(&p3, sp + 3 * step, 4);
            const uint32_t o0 = (p0 & 0xFFFFFFu) | (p1 << 24);
            const uint32_t o1 = ((p1 >> 8) & 0xFFFFu) | (p2 << 16);
            const uint32_t o2 = ((p2 >> 16) & 0xFFu) | (p3 << 8);
            std::memcpy(dp, &o0, 4);
            std::memcpy(dp + 4, &o1, 4);
            std::memcpy(dp + 8, &o2, 4);
        }
    }
    for (; k < n - 1; ++k, sp += step, dp += B)
        MovePixel<B, WideRead>(dp, sp);
    MovePixel<B, false>(dp, sp);
}

// Four 3-byte pixels as three words, low byte first: b0 g0 r0 b1 | g1 r1 b2 g2 | r2 b3 g3 r3.
// Reverse4 gives the words of the same four pixels in reverse order.
static inline void Load4(const uint8_t* p, uint32_t v[3]) {
    std::memcpy(v, p, 12);
}
static inline void Store4(uint8_t* p, const uint32_t v[3]) {
    std::memcpy(p, v, 12);
}
static inline void Reverse4(const uint32_t v[3], uint32_t o[3]) {
    o[0] = (v[2] >> 8) | ((v[1] << 8) & 0xFF000000u);
    o[1] = (v[1] >> 24) | ((v[2] & 0xFFu) << 8) | ((v[0] >> 8) & 0xFF0000u) | (v[1] << 24);
    o[2] = ((v[1] >> 8) & 0xFFu) | (v[0] << 8);
}

// ---- 3-byte pixels with byte shuffles (SSSE3, chosen at run time) ----

static bool GVectorAllowed = true;

void TransformSetVectorKernels(int enabled) {
    GVectorAllowed = enabled != 0;
}

#if MOSAIKO_TRANSFORM_SSSE3
static bool Ssse3Present() {
    static const bool present = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("ssse3") != 0;
    }();
    return present;
}

static bool UseVector() {
    return GVectorAllowed && Ssse3Present();
}

// Shuffles that reverse sixteen 3-byte pixels held in three registers: output register r
// takes from input register q through mask [r][q] (0x80 where q contributes nothing).
struct TReverseMasks {
    alignas(16) uint8_t m[3][3][16];
    constexpr TReverseMasks() : m() {
        for (int n = 0; n < 48; ++n) {
            const int from = (15 - n / 3) * 3 + n % 3;
            for (int q = 0; q < 3; ++q)
                m[n / 16][q][n % 16] = uint8_t(from / 16 == q ? from % 16 : 0x80);
        }
    }
};
static constexpr TReverseMasks KReverseMasks;

__attribute__((target("ssse3"))) static inline void Reverse16(const __m128i in[3], __m128i out[3]) {
    for (int r = 0; r < 3; ++r) {
        __m128i v = _mm_setzero_si128();
        for (int q = 0; q < 3; ++q) {
            const __m128i mask =
                _mm_load_si128(reinterpret_cast<const __m128i*>(KReverseMasks.m[r][q]));
            v = _mm_or_si128(v, _mm_shuffle_epi8(in[q], mask));
        }
        out[r] = v;
    }
}

__attribute__((target("ssse3"))) static inline void Load16(const uint8_t* p, __m128i v[3]) {
    for (int q = 0; q < 3; ++q)
        v[q] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * q));
}

__attribute__((target("ssse3"))) static inline void Store16(uint8_t* p, const __m128i v[3]) {
    for (int q = 0; q < 3; ++q)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(p + 16 * q), v[q]);
}

// Reverses the first pixels of a row into the end of dst, sixteen at a time; returns how
// many it did.
__attribute__((target("ssse3"))) static int32_t ReverseRowVector(uint8_t* dst, const uint8_t* src,
                                                                 int32_t w) {
    int32_t x = 0;
    uint8_t* dp = dst + ptrdiff_t(w) * 3;
    for (; x + 16 <= w; x += 16, src += 48) {
        __m128i v[3], o[3];
        Load16(src, v);
        Reverse16(v, o);
        dp -= 48;
        Store16(dp, o);
    }
    return x;
}

// Mirrors the outer pixels of a row in place, sixteen from each end at a time; returns how
// many pairs it did.
__attribute__((target("ssse3"))) static int32_t FlipRowVector(uint8_t* row, int32_t w) {
    int32_t x = 0;
    uint8_t *l = row, *r = row + ptrdiff_t(w) * 3;
    for (; 2 * x + 32 <= w; x += 16, l += 48) {
        r -= 48;
        __m128i a[3], b[3], ra[3], rb[3];
        Load16(l, a);
        Load16(r, b);
        Reverse16(a, ra);
        Reverse16(b, rb);
        Store16(l, rb);
        Store16(r, ra);
    }
    return x;
}

// Four destination rows of a quarter turn at once: sp points at pixel xmin of the source row
// for column 0, the next column's row is sp + step, and lane i (pixel xmin + i) goes to
// dst[i]. Source rows are read 16 bytes at a time (pixels xmin .. xmin + 5 must lie in the
// row), and 4 x 4 blocks are transposed as 32-bit lanes. The stores run forward, which
// matters more than the direction of the reads.
__attribute__((target("ssse3"))) static void QuarterRows4(uint8_t* const dst[4], const uint8_t* sp,
                                                          ptrdiff_t step, int32_t n) {
    const __m128i widen = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i narrow = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    int32_t k = 0;
    for (; k + 4 <= n; k += 4) {
        __m128i r[4];
        for (int j = 0; j < 4; ++j, sp += step)
            r[j] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sp)), widen);
        const __m128i t0 = _mm_unpacklo_epi32(r[0], r[1]), t1 = _mm_unpacklo_epi32(r[2], r[3]);
        const __m128i t2 = _mm_unpackhi_epi32(r[0], r[1]), t3 = _mm_unpackhi_epi32(r[2], r[3]);
        const __m128i c[4] = {_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1),
                              _mm_unpacklo_epi64(t2, t3), _mm_unpackhi_epi64(t2, t3)};
        for (int i = 0; i < 4; ++i) {
            const __m128i v = _mm_shuffle_epi8(c[i], narrow);
            uint8_t* p = dst[i] + ptrdiff_t(k) * 3;
            _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
            const uint32_t tail = uint32_t(_mm_cvtsi128_si32(_mm_srli_si128(v, 8)));
            std::memcpy(p + 8, &tail, 4);
        }
    }
    for (; k < n; ++k, sp += step)
        for (int i = 0; i < 4; ++i)
            std::memcpy(dst[i] + ptrdiff_t(k) * 3, sp + 3 * i, 3);
}
#else
static bool UseVector() {
    return false;
}
static int32_t ReverseRowVector(uint8_t*, const uint8_t*, int32_t) {
    return 0;
}
static int32_t FlipRowVector(uint8_t*, int32_t) {
    return 0;
}
static void QuarterRows4(uint8_t* const*, const uint8_t*, ptrdiff_t, int32_t) {}
#endif

// A half turn reverses each row into the mirrored row, 3-byte pixels four at a time.
template <int B> static void ReverseRow(uint8_t* dst, const uint8_t* src, int32_t w) {
    int32_t x = B == 3 && UseVector() ? ReverseRowVector(dst, src, w) : 0;
    src += ptrdiff_t(x) * B;
    uint8_t* dp = dst + ptrdiff_t(w - x) * B;
    if (B == 3) {
        for (; x + 4 <= w; x += 4, src += 12) {
            uint32_t v[3], o[3];
            Load4(src, v);
            Reverse4(v, o);
            dp -= 12;
            Store4(dp, o);
        }
    }
    for (; x < w; ++x, src += B) {
        dp -= B;
        std::memcpy(dp, src, B);
    }
}

// A quarter turn walks tile by tile; each destination row of a tile is written in one
// forward run while the source is read down (or up) one column of the tile.
template <int B> static void RotateBytes(const TImage* src, TImage* dst, int turn) {
    const int32_t w = src->FWidth, h = src->FHeight;
    const TRowWalk s = TransformRows(src), d = TransformRows(dst);
    if (turn == 180 || turn == -180) {
        for (int32_t y = 0; y < h; ++y)
            ReverseRow<B>(d(h - 1 - y), s(y), w);
        return;
    }
    // Destination rows in blocks taken in memory order (stores stream forward), their
    // columns in blocks that keep the source rows they read in the cache.
    const bool forward = d.step > 0;
    const bool vector = B == 3 && UseVector();
    // Tile columns tc ascending read source rows h - 1 - tc (-90) or tc (90).
    const bool sourceForward = (turn == -90) == (s.step < 0);
    for (int32_t tr = 0; tr < w; tr += KTileRows) {
        const int32_t re = std::min<int32_t>(w, tr + KTileRows);
        for (int32_t t = 0; t < h; t += KTileColumns) {
            // Column tiles go the way that reads the source forward in memory.
            const int32_t tc = sourceForward ? t : (h - 1 - t) / KTileColumns * KTileColumns;
            const int32_t n = std::min<int32_t>(h, tc + KTileColumns) - tc;
            // The next tile's source bytes start on their way into the cache. (Kept in
            // this loop: a function of nothing but prefetches is dropped as side-effect free.)
            if (t + KTileColumns < h) {
                const int32_t tn = t + KTileColumns;
                const int32_t tcn = sourceForward ? tn : (h - 1 - tn) / KTileColumns * KTileColumns;
                const int32_t nn = std::min<int32_t>(h, tcn + KTileColumns) - tcn;
                // The band reads source x in [a, b]: x grows with the row when ascending.
                const bool ascending = forward == (turn == -90);
                const int32_t a = ascending ? tr : w - re, b = ascending ? re - 1 : w - 1 - tr;
                const ptrdiff_t first = ptrdiff_t(a) * B, last = ptrdiff_t(b + 1) * B - 1;
                for (int32_t k = 0; k < nn; ++k) {
                    const uint8_t* row = s(turn == -90 ? h - 1 - (tcn + k) : tcn + k);
                    for (ptrdiff_t off = first; off < last; off += 64)
                        __builtin_prefetch(row + off);
                    __builtin_prefetch(row + last);
                }
            }
            for (int32_t q = tr; q < re; ++q) {
                // Four rows at once where their source columns can be read 16 bytes wide.
                const bool ascending = forward == (turn == -90); // source x grows with q
                const int32_t xmin = ascending ? q : w - 4 - q;
                if (B == 3 && vector && q + 4 <= re && xmin + 6 <= w) {
                    uint8_t* rows[4];
                    for (int i = 0; i < 4; ++i) {
                        const int32_t x = xmin + i;
                        rows[i] = d(turn == -90 ? x : w - 1 - x) + ptrdiff_t(tc) * B;
                    }
                    const uint8_t* sp = s(turn == -90 ? h - 1 - tc : tc) + ptrdiff_t(xmin) * B;
                    const ptrdiff_t step = turn == -90 ? -s.step : s.step;
                    QuarterRows4(rows, sp, step, n);
                    q += 3;
                    continue;
                }
                const int32_t r = forward ? q : w - 1 - q; // destination row
                // -90 puts source (r, h - 1 - c) at (c, r); 90 puts (w - 1 - r, c) there.
                const int32_t x = turn == -90 ? r : w - 1 - r;
                const uint8_t* sp = s(turn == -90 ? h - 1 - tc : tc) + ptrdiff_t(x) * B;
                const ptrdiff_t step = turn == -90 ? -s.step : s.step;
                uint8_t* dp = d(r) + ptrdiff_t(tc) * B;
                // The last column's word would read past the last row in memory.
                if (x + 1 < w)
                    MoveRun<B, true>(dp, sp, step, n);
                else
                    MoveRun<B, false>(dp, sp, step, n);
            }
        }
    }
}

static void RotateGeneric(const TImage* src, TImage* dst, int turn) {
    const int32_t w = src->FWidth, h = src->FHeight;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            uint32_t v = TransformGetRaw(src, x, y);
            if (turn == -90)
                TransformSetRaw(dst, h - 1 - y, x, v);
            else if (turn == 90)
                TransformSetRaw(dst, y, w - 1 - x, v);
            else
                TransformSetRaw(dst, w - 1 - x, h - 1 - y, v);
        }
    }
}

static void RotatePlane(const TImage* src, TImage* dst, int turn) {
    switch (src->FBitsPerPixel) {
    case 1:
        if (turn == 90 || turn == -90)
            RotateBitsQuarter(src, dst, turn == -90);
        else
            RotateBitsHalf(src, dst);
        break;
    case 8:
        RotateBytes<1>(src, dst, turn);
        break;
    case 15:
    case 16:
        RotateBytes<2>(src, dst, turn);
        break;
    case 24:
        RotateBytes<3>(src, dst, turn);
        break;
    case 32:
        RotateBytes<4>(src, dst, turn);
        break;
    default:
        RotateGeneric(src, dst, turn);
        break;
    }
}

TImage* TImage_Rotate(const TImage* image, int degrees) {
    if (TransformCheckSource(image) != 0) return nullptr;
    const int turn = degrees % 360; // keeps the sign, as C++ division does
    const bool quarter = turn == 90 || turn == -90;
    if (!quarter && turn != 180 && turn != -180) {
        ClearLastErrorCode();
        return nullptr;
    }
    const int32_t w = quarter ? image->FHeight : image->FWidth;
    const int32_t h = quarter ? image->FWidth : image->FHeight;
    TImage* out = TransformCreateLike(image, w, h);
    if (!out) return nullptr;
    RotatePlane(image, out, turn);
    if (image->FMask) RotatePlane(image->FMask, out->FMask, turn);
    ClearLastErrorCode();
    return out;
}

// ---- mirroring in place ----

static void FlipRows(TImage* plane, uint8_t* buffer) {
    const size_t stride = size_t(plane->FStride);
    for (int32_t y = 0; y < plane->FHeight / 2; ++y) {
        uint8_t* a = plane->FBits + stride * size_t(y);
        uint8_t* b = plane->FBits + stride * size_t(plane->FHeight - 1 - y);
        std::memcpy(buffer, a, stride);
        std::memcpy(a, b, stride);
        std::memcpy(b, buffer, stride);
    }
}

template <int B> static void FlipColumnsBytes(TImage* plane) {
    const int32_t w = plane->FWidth;
    const bool vector = B == 3 && UseVector();
    for (int32_t y = 0; y < plane->FHeight; ++y) {
        uint8_t* l = plane->FBits + size_t(plane->FStride) * size_t(y);
        uint8_t* r = l + ptrdiff_t(w) * B; // one past the pixel that pairs with l
        int32_t x = B == 3 && vector ? FlipRowVector(l, w) : 0;
        l += ptrdiff_t(x) * B;
        r -= ptrdiff_t(x) * B;
        if (B == 3) { // pixels x .. x + 3 trade places with w - 4 - x .. w - 1 - x
            for (; 2 * x + 8 <= w; x += 4, l += 12) {
                r -= 12;
                uint32_t a[3], b[3], ra[3], rb[3];
                Load4(l, a);
                Load4(r, b);
                Reverse4(a, ra);
                Reverse4(b, rb);
                Store4(l, rb);
                Store4(r, ra);
            }
        }
        for (; x < w / 2; ++x, l += B) {
            r -= B;
            uint8_t t[B];
            std::memcpy(t, l, B);
            std::memcpy(l, r, B);
            std::memcpy(r, t, B);
        }
    }
}

// Padding bits past the width keep what they held, so flipping twice restores every byte.
static void FlipColumnsBits(TImage* plane, uint8_t* buffer) {
    const int32_t w = plane->FWidth, bytes = (w + 7) / 8;
    if (w == 0) return;
    const uint8_t pixels = uint8_t(0xFF << (bytes * 8 - w));
    for (int32_t y = 0; y < plane->FHeight; ++y) {
        uint8_t* row = plane->FBits + size_t(plane->FStride) * size_t(y);
        ReverseBitRow(buffer, row, w);
        buffer[bytes - 1] = uint8_t((buffer[bytes - 1] & pixels) | (row[bytes - 1] & ~pixels));
        std::memcpy(row, buffer, size_t(bytes));
    }
}

static void FlipColumnsGeneric(TImage* plane) {
    const int32_t w = plane->FWidth;
    for (int32_t y = 0; y < plane->FHeight; ++y) {
        for (int32_t x = 0; x < w / 2; ++x) {
            uint32_t a = TransformGetRaw(plane, x, y), b = TransformGetRaw(plane, w - 1 - x, y);
            TransformSetRaw(plane, x, y, b);
            TransformSetRaw(plane, w - 1 - x, y, a);
        }
    }
}

static void FlipColumns(TImage* plane, uint8_t* buffer) {
    switch (plane->FBitsPerPixel) {
    case 1:
        FlipColumnsBits(plane, buffer);
        break;
    case 8:
        FlipColumnsBytes<1>(plane);
        break;
    case 15:
    case 16:
        FlipColumnsBytes<2>(plane);
        break;
    case 24:
        FlipColumnsBytes<3>(plane);
        break;
    case 32:
        FlipColumnsBytes<4>(plane);
        break;
    default:
        FlipColumnsGeneric(plane);
        break;
    }
}

int TImage_Flip(TImage* image, int vertical) {
    if (TransformCheckSource(image) != 0) return -1;
    if (vertical != 0 && vertical != 1) {
        ClearLastErrorCode();
        return 0;
    }
    size_t bytes = size_t(image->FStride);
    if (image->FMask) bytes = std::max(bytes, size_t(image->FMask->FStride));
    uint8_t* buffer = static_cast<uint8_t*>(std::malloc(bytes > 0 ? bytes : 1));
    if (!buffer) return SetLastErrorCode(EC_NO_MEMORY), -1;
    if (vertical) {
        FlipRows(image, buffer);
        if (image->FMask) FlipRows(image->FMask, buffer);
    } else {
        FlipColumns(image, buffer);
        if (image->FMask) FlipColumns(image->FMask, buffer);
    }
    std::free(buffer);
    ClearLastErrorCode();
    return 0;
}
