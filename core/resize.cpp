// Resizing a whole image by nearest sample or by the mask-aware bilinear filter. Results are
// defined pixel by pixel in single precision; the fast paths work on whole rows of raw memory
// with per-column sample positions and weights computed once, by the very same float
// expressions, so they give the same bits as the plain per-pixel rule. 24-bit images (the
// editor's) have fast paths for both filters, other whole-byte depths for nearest sampling.
#include <cfloat>
#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "core/image.h"
#include "core/transform.h"
#include "core/transform_util.h"

// A fused multiply-add rounds once where the rule rounds twice, and would change results.
#if defined(__clang__)
#pragma clang fp contract(off)
#elif defined(__GNUC__)
#pragma GCC optimize("fp-contract=off")
#endif
static_assert(FLT_EVAL_METHOD == 0, "float arithmetic must round to float at every step");

// SSE2 is part of every x86-64 processor; its single-precision lanes round as scalar floats do.
#if defined(__SSE2__) && defined(__x86_64__)
#define MOSAIKO_RESIZE_SSE2 1
#include <emmintrin.h>
#else
#define MOSAIKO_RESIZE_SSE2 0
#endif

static const float KMaskValue = 16777215.0f; // a visible mask sample, 0xFFFFFF

// A sample position along one axis: index i0 and its neighbour i1, weights f (of i1) and g.
struct TSpan {
    int32_t i0, i1;
    float f, g;
};

// Position truncate(float(j) * r). Past 2^23 pixels float steps exceed a pixel and the product
// can round up to the size itself; it is held at the last pixel so no read leaves the image.
static TSpan SpanAt(int32_t j, float r, int32_t size) {
    float f0 = float(j) * r;
    int64_t i0 = int64_t(f0);
    if (i0 > size - 1) {
        i0 = size - 1;
        f0 = float(i0);
    }
    TSpan s;
    s.i0 = int32_t(i0);
    s.i1 = s.i0 + 1 < size ? s.i0 + 1 : size - 1;
    s.f = f0 - float(s.i0);
    s.g = 1.0f - s.f;
    return s;
}

static inline unsigned BitAt(const uint8_t* row, int32_t x) {
    return (row[x >> 3] >> (7 - (x & 7))) & 1u;
}

// Whether bits a..b (a <= b) of a 1-bit row are all set.
static inline bool AllBitsSet(const uint8_t* row, int32_t a, int32_t b) {
    const int32_t qa = a >> 3, qb = b >> 3;
    const unsigned ma = 0xFFu >> (a & 7), mb = (0xFF00u >> (1 + (b & 7))) & 0xFFu;
    if (qa == qb) return (row[qa] & ma & mb) == (ma & mb);
    if ((row[qa] & ma) != ma || (row[qb] & mb) != mb) return false;
    for (int32_t q = qa + 1; q < qb; ++q)
        if (row[q] != 0xFF) return false;
    return true;
}

// Mask bits of one destination row, gathered eight at a time.
struct TBitWriter {
    uint8_t* row;
    unsigned acc;
    void Put(int32_t j, unsigned bit) {
        acc = (acc << 1) | bit;
        if ((j & 7) == 7) row[j >> 3] = uint8_t(acc), acc = 0;
    }
    // Four visible pixels from j, a multiple of 4.
    void PutFour(int32_t j) {
        acc = (acc << 4) | 15u;
        if ((j & 7) == 4) row[j >> 3] = uint8_t(acc), acc = 0;
    }
    void Finish(int32_t w) {
        if (w & 7) row[w >> 3] = uint8_t(acc << (8 - (w & 7)));
    }
};

static int CheckResize(const TImage* image, int32_t w, int32_t h) {
    if (TransformCheckSource(image) != 0) return -1;
    // Nothing to sample in an empty source; a size of 0 or less is no size.
    if (w <= 0 || h <= 0 || image->FWidth <= 0 || image->FHeight <= 0)
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return 0;
}

// ---- nearest sample ----

// One 24-bit destination row from source row sp (mask row smr, or null). Pixels before wide
// move as 4-byte words: the source byte after each lies in the row, and the destination byte
// after each is the next pixel's, written right after. Eight pixels whose source columns lie in
// wholly visible mask bytes move without looking at their bits. The same columns of source row
// ahead (the next one the destination reads, or null) are prefetched on the way: the jump to
// a new row, often skipping some, is not one the hardware follows at once.
static void NearestRow24(uint8_t* dp, uint8_t* dmr, const uint8_t* sp, const uint8_t* smr,
                         const int32_t* xs, int32_t w, int32_t wide, const uint8_t* ahead) {
    int32_t j = 0;
    if (!smr) {
        for (; j < wide; ++j) {
            if (ahead && (j & 7) == 0) __builtin_prefetch(ahead + size_t(xs[j]) * 3);
            uint32_t v;
            std::memcpy(&v, sp + size_t(xs[j]) * 3, 4);
            std::memcpy(dp + size_t(j) * 3, &v, 4);
        }
        for (; j < w; ++j)
            std::memcpy(dp + size_t(j) * 3, sp + size_t(xs[j]) * 3, 3);
        return;
    }
    for (; j + 8 <= wide; j += 8) {
        if (ahead) {
            __builtin_prefetch(ahead + size_t(xs[j]) * 3);
            __builtin_prefetch(ahead + size_t(xs[j + 7]) * 3);
        }
        const int32_t b0 = xs[j] >> 3, b1 = xs[j + 7] >> 3;
        bool whole = true;
        for (int32_t b = b0; b <= b1 && whole; ++b)
            whole = smr[b] == 0xFF;
        if (whole) {
            for (int32_t k = 0; k < 8; ++k) {
                uint32_t v;
                std::memcpy(&v, sp + size_t(xs[j + k]) * 3, 4);
                std::memcpy(dp + size_t(j + k) * 3, &v, 4);
            }
            dmr[j >> 3] = 0xFF;
            continue;
        }
        unsigned acc = 0;
        for (int32_t k = 0; k < 8; ++k) {
            const int32_t x = xs[j + k];
            const uint32_t bit = BitAt(smr, x);
            uint32_t v;
            std::memcpy(&v, sp + size_t(x) * 3, 4);
            v &= 0u - bit; // a transparent sample leaves the pixel black
            std::memcpy(dp + size_t(j + k) * 3, &v, 4);
            acc = (acc << 1) | bit;
        }
        dmr[j >> 3] = uint8_t(acc);
    }
    TBitWriter bits = {dmr, 0};
    for (; j < w; ++j) {
        const int32_t x = xs[j];
        const unsigned bit = BitAt(smr, x);
        // Black written too: the last word before may have reached this pixel's first byte.
        if (bit)
            std::memcpy(dp + size_t(j) * 3, sp + size_t(x) * 3, 3);
        else
            std::memset(dp + size_t(j) * 3, 0, 3);
        bits.Put(j, bit);
    }
    bits.Finish(w);
}

template <int B>
static void NearestBytes(const TImage* src, TImage* dst, const int32_t* xs, float ry) {
    const int32_t w = dst->FWidth, h = dst->FHeight;
    const TRowWalk s = TransformRows(src), d = TransformRows(dst);
    const bool masked = src->FMask != nullptr;
    const TRowWalk sm = masked ? TransformRows(src->FMask) : s;
    const TRowWalk dm = masked ? TransformRows(dst->FMask) : d;
    // Destination pixels that may move as words: not the last, nor any from the last column.
    int32_t wide = 0;
    while (wide < w - 1 && xs[wide] < src->FWidth - 1)
        ++wide;
    int32_t previous = -1;
    for (int32_t i = 0; i < h; ++i) {
        const int32_t sy = SpanAt(i, ry, src->FHeight).i0;
        uint8_t* dp = d(i);
        if (sy == previous) { // the same source row gives the same destination row
            std::memcpy(dp, d(i - 1), size_t(w) * B);
            if (masked) std::memcpy(dm(i), dm(i - 1), size_t(w + 7) / 8);
            continue;
        }
        previous = sy;
        const uint8_t* sp = s(sy);
        if (B == 3) {
            // The next source row this one does not repeat, when there is one.
            const uint8_t* ahead = nullptr;
            for (int32_t k = i + 1; k < h && !ahead; ++k) {
                const int32_t ny = SpanAt(k, ry, src->FHeight).i0;
                if (ny != sy) ahead = s(ny);
            }
            NearestRow24(dp, masked ? dm(i) : nullptr, sp, masked ? sm(sy) : nullptr, xs, w, wide,
                         ahead);
            continue;
        }
        if (!masked) {
            for (int32_t j = 0; j < w; ++j)
                std::memcpy(dp + size_t(j) * B, sp + size_t(xs[j]) * B, B);
            continue;
        }
        const uint8_t* smr = sm(sy);
        TBitWriter bits = {dm(i), 0};
        for (int32_t j = 0; j < w; ++j) {
            const int32_t x = xs[j];
            const unsigned bit = BitAt(smr, x);
            if (bit) std::memcpy(dp + size_t(j) * B, sp + size_t(x) * B, B);
            bits.Put(j, bit);
        }
        bits.Finish(w);
    }
}

static void NearestGeneric(const TImage* src, TImage* dst, const int32_t* xs, float ry) {
    for (int32_t i = 0; i < dst->FHeight; ++i) {
        const int32_t sy = SpanAt(i, ry, src->FHeight).i0;
        for (int32_t j = 0; j < dst->FWidth; ++j) {
            if (src->FMask && !TransformGetRaw(src->FMask, xs[j], sy)) continue;
            TransformSetRaw(dst, j, i, TransformGetRaw(src, xs[j], sy));
            if (dst->FMask) TransformSetRaw(dst->FMask, j, i, 1);
        }
    }
}

// Scratch tables of a resize, held to the limit of pixel memory like the image they serve;
// null with EC_NO_MEMORY.
static void* AllocScratch(uint64_t bytes) {
    void* p = bytes <= TImage_GetPixelLimit() ? std::calloc(size_t(bytes) + 1, 1) : nullptr;
    if (!p) SetLastErrorCode(EC_NO_MEMORY);
    return p;
}

TImage* TImage_ResizeNearest(const TImage* image, int32_t w, int32_t h) {
    if (CheckResize(image, w, h) != 0) return nullptr;
    TImage* out = TransformCreateLike(image, w, h);
    if (!out) return nullptr;
    int32_t* xs = static_cast<int32_t*>(AllocScratch(sizeof(int32_t) * uint64_t(w)));
    if (!xs) return TImage_Destroy(out), SetLastErrorCode(EC_NO_MEMORY), nullptr;
    const float rx = float(image->FWidth) / float(w);
    const float ry = float(image->FHeight) / float(h);
    for (int32_t j = 0; j < w; ++j)
        xs[j] = SpanAt(j, rx, image->FWidth).i0;
    switch (image->FBitsPerPixel) {
    case 8:
        NearestBytes<1>(image, out, xs, ry);
        break;
    case 15:
    case 16:
        NearestBytes<2>(image, out, xs, ry);
        break;
    case 24:
        NearestBytes<3>(image, out, xs, ry);
        break;
    case 32:
        NearestBytes<4>(image, out, xs, ry);
        break;
    default:
        NearestGeneric(image, out, xs, ry);
        break;
    }
    std::free(xs);
    ClearLastErrorCode();
    return out;
}

// ---- smooth ----

// The rule for one channel: c00, c10, c01, c11 at (x0, y0), (x1, y0), (x0, y1), (x1, y1).
static inline uint32_t Bilinear(float c00, float c10, float c01, float c11, const TSpan& x,
                                const TSpan& y) {
    return uint32_t(((c10 * y.g + c11 * y.f) * x.f) + ((c00 * y.g + c01 * y.f) * x.g));
}

// One destination pixel by the full rule from its four samples (colour values with their
// visibility); the colour value to store, or -1 when the pixel stays black and transparent.
static int64_t SmoothSample(const uint32_t c[4], const unsigned v[4], const TSpan& x,
                            const TSpan& y) {
    const unsigned k = v[0] + v[1] + v[2] + v[3]; // samples 00, 10, 01, 11
    const float m00 = v[0] ? KMaskValue : 0.0f, m10 = v[1] ? KMaskValue : 0.0f;
    const float m01 = v[2] ? KMaskValue : 0.0f, m11 = v[3] ? KMaskValue : 0.0f;
    const uint32_t m = uint32_t(((m00 * y.g + m01 * y.f) * x.g) + ((m10 * y.g + m11 * y.f) * x.f));
    if (m == 0 || k < 2) return -1;
    uint32_t value = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        uint32_t s[4], sum = 0;
        for (int n = 0; n < 4; ++n) {
            s[n] = (c[n] >> shift) & 0xFF;
            if (v[n]) sum += s[n];
        }
        const uint32_t average = sum / k;
        for (int n = 0; n < 4; ++n)
            if (!v[n]) s[n] = average;
        value |= (Bilinear(float(s[0]), float(s[1]), float(s[2]), float(s[3]), x, y) & 0xFF)
                 << shift;
    }
    return value;
}

// Colour value of any depth for the filter; 2- and 4-bit pixels give their palette index,
// as 8-bit pixels do.
static uint32_t ValueAt(const TImage* im, int32_t x, int32_t y) {
    int bits = im->FBitsPerPixel;
    return (bits == 2 || bits == 4) ? TransformGetRaw(im, x, y) : TImage_GetPixel(im, x, y);
}

static void SmoothGeneric(const TImage* src, TImage* dst, const TSpan* cols, float ry) {
    const TImage* mask = src->FMask;
    for (int32_t i = 0; i < dst->FHeight; ++i) {
        const TSpan y = SpanAt(i, ry, src->FHeight);
        for (int32_t j = 0; j < dst->FWidth; ++j) {
            const TSpan& x = cols[j];
            const int32_t px[4] = {x.i0, x.i1, x.i0, x.i1}, py[4] = {y.i0, y.i0, y.i1, y.i1};
            uint32_t c[4];
            unsigned v[4];
            for (int n = 0; n < 4; ++n) {
                c[n] = ValueAt(src, px[n], py[n]);
                v[n] = mask ? BitAt(TImage_GetRow(mask, py[n]), px[n]) : 1;
            }
            const int64_t value = SmoothSample(c, v, x, y);
            if (value < 0) continue;
            if (dst->FBitsPerPixel == 2 || dst->FBitsPerPixel == 4)
                TransformSetRaw(dst, j, i, uint32_t(value));
            else
                TImage_SetPixel(dst, j, i, uint32_t(value));
            if (dst->FMask) TImage_SetPixel(dst->FMask, j, i, 1);
        }
    }
}

// Scratch of the 24-bit filter, laid out in one allocation after the column spans.
struct TSmoothScratch {
    float* blend;      // per source byte of the row pair: c(y0) * gy + c(y1) * fy; 4 spare
    int32_t* used;     // source columns some destination pixel samples, ascending
    int32_t usedCount; // sw when every column is used
    uint8_t* both;     // mask bits visible in both rows of the pair
};

// The bytes of the scratch after the spans, for a source sw pixels wide.
static uint64_t SmoothScratchBytes(uint64_t sw) {
    return sizeof(float) * (3 * sw + 4) + sizeof(int32_t) * sw + (sw + 7) / 8 + sw;
}

// The blended row pair: every source byte, or only the bytes of the columns used.
static void BlendRows(const uint8_t* r0, const uint8_t* r1, const TSpan& y, int32_t sw,
                      const TSmoothScratch& t) {
    if (t.usedCount != sw) {
        for (int32_t u = 0; u < t.usedCount; ++u)
            for (int32_t n = 3 * t.used[u]; n < 3 * t.used[u] + 3; ++n)
                t.blend[n] = float(r0[n]) * y.g + float(r1[n]) * y.f;
        return;
    }
    int32_t n = 0;
#if MOSAIKO_RESIZE_SSE2
    // Lanes of the same products and sum, sixteen bytes at a time.
    const __m128 g = _mm_set1_ps(y.g), f = _mm_set1_ps(y.f);
    const __m128i zero = _mm_setzero_si128();
    for (; n + 16 <= 3 * sw; n += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r0 + n));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(r1 + n));
        const __m128i a16[2] = {_mm_unpacklo_epi8(a, zero), _mm_unpackhi_epi8(a, zero)};
        const __m128i b16[2] = {_mm_unpacklo_epi8(b, zero), _mm_unpackhi_epi8(b, zero)};
        for (int q = 0; q < 4; ++q) {
            const __m128i a32 = (q & 1) ? _mm_unpackhi_epi16(a16[q >> 1], zero)
                                        : _mm_unpacklo_epi16(a16[q >> 1], zero);
            const __m128i b32 = (q & 1) ? _mm_unpackhi_epi16(b16[q >> 1], zero)
                                        : _mm_unpacklo_epi16(b16[q >> 1], zero);
            const __m128 v = _mm_add_ps(_mm_mul_ps(_mm_cvtepi32_ps(a32), g),
                                        _mm_mul_ps(_mm_cvtepi32_ps(b32), f));
            _mm_storeu_ps(t.blend + n + 4 * q, v);
        }
    }
#endif
    for (; n < 3 * sw; ++n)
        t.blend[n] = float(r0[n]) * y.g + float(r1[n]) * y.f;
}

#if MOSAIKO_RESIZE_SSE2
// One destination pixel's three channels (and a fourth lane, the next byte's, dropped later)
// as (blend(x1) * fx) + (blend(x0) * gx), truncated.
static inline __m128i BlendPixel(const float* blend, const TSpan& x) {
    const __m128 a = _mm_loadu_ps(blend + 3 * x.i0), b = _mm_loadu_ps(blend + 3 * x.i1);
    return _mm_cvttps_epi32(
        _mm_add_ps(_mm_mul_ps(b, _mm_set1_ps(x.f)), _mm_mul_ps(a, _mm_set1_ps(x.g))));
}

// Four pixels of channel values in [0, 256) as 12 bytes at dp; also writes the two bytes after
// them, which the caller writes again.
static inline void StoreFour(uint8_t* dp, __m128i p0, __m128i p1, __m128i p2, __m128i p3) {
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(p0, p1), _mm_packs_epi32(p2, p3));
    uint64_t lo = uint64_t(_mm_cvtsi128_si64(bytes));
    uint64_t hi = uint64_t(_mm_cvtsi128_si64(_mm_unpackhi_epi64(bytes, bytes)));
    lo = (lo & 0xFFFFFFu) | ((lo >> 8) & 0xFFFFFF000000u);
    hi = (hi & 0xFFFFFFu) | ((hi >> 8) & 0xFFFFFF000000u);
    std::memcpy(dp, &lo, 8);
    std::memcpy(dp + 6, &hi, 8);
}
#endif

// Destination pixel j of a 24-bit row by the rule; a pixel that stays transparent is written
// black, as a new image holds it.
static inline __attribute__((always_inline)) void SmoothPixel24(uint8_t* dp, const TSpan& x, const TSpan& y, const uint8_t* r0,
                          const uint8_t* r1, const uint8_t* m0, const uint8_t* m1,
                          const TSmoothScratch& t, TBitWriter* bits, int32_t j) {
    if (!m0 || (BitAt(t.both, x.i0) & BitAt(t.both, x.i1))) {
        const float* a = t.blend + 3 * x.i0;
        const float* b = t.blend + 3 * x.i1;
        // Values lie in [0, 256): the signed conversion truncates as the unsigned one.
        dp[0] = uint8_t(int32_t((b[0] * x.f) + (a[0] * x.g)));
        dp[1] = uint8_t(int32_t((b[1] * x.f) + (a[1] * x.g)));
        dp[2] = uint8_t(int32_t((b[2] * x.f) + (a[2] * x.g)));
        if (m0) bits->Put(j, 1);
        return;
    }
    const uint8_t* p[4] = {r0 + 3 * x.i0, r0 + 3 * x.i1, r1 + 3 * x.i0, r1 + 3 * x.i1};
    const unsigned v[4] = {BitAt(m0, x.i0), BitAt(m0, x.i1), BitAt(m1, x.i0), BitAt(m1, x.i1)};
    if ((v[0] | v[1] | v[2] | v[3]) == 0) { // no visible sample: the rule leaves it transparent
        dp[0] = dp[1] = dp[2] = 0;
        bits->Put(j, 0);
        return;
    }
    uint32_t c[4];
    for (int n = 0; n < 4; ++n)
        c[n] = uint32_t(p[n][2]) | (uint32_t(p[n][1]) << 8) | (uint32_t(p[n][0]) << 16);
    const int64_t value = SmoothSample(c, v, x, y);
    const uint32_t stored = value >= 0 ? uint32_t(value) : 0;
    dp[0] = uint8_t(stored >> 16), dp[1] = uint8_t(stored >> 8), dp[2] = uint8_t(stored);
    bits->Put(j, value >= 0);
}

// 24-bit rows. Every product c * gy + c * fy the rule forms for a visible sample pair is the
// same for all destination pixels of the row, so it is formed once per source byte (the
// identical float expression gives the identical float); a pixel whose four samples are
// visible then takes (blend(x1) * fx) + (blend(x0) * gx) per byte, four pixels at a time in
// vector lanes where all their samples are visible. Pixels with a transparent sample, rare
// away from edges, go through the full rule.
static void Smooth24(const TImage* src, TImage* dst, const TSpan* cols, float ry,
                     const TSmoothScratch& t) {
    const int32_t w = dst->FWidth, sw = src->FWidth;
    const TRowWalk s = TransformRows(src), d = TransformRows(dst);
    const bool masked = src->FMask != nullptr;
    const TRowWalk sm = masked ? TransformRows(src->FMask) : s;
    const TRowWalk dm = masked ? TransformRows(dst->FMask) : d;
    int32_t pair0 = -1, pair1 = -1; // the row pair t.both describes
    for (int32_t i = 0; i < dst->FHeight; ++i) {
        const TSpan y = SpanAt(i, ry, src->FHeight);
        const uint8_t *r0 = s(y.i0), *r1 = s(y.i1);
        BlendRows(r0, r1, y, sw, t);
        const uint8_t *m0 = masked ? sm(y.i0) : nullptr, *m1 = masked ? sm(y.i1) : nullptr;
        if (masked && (y.i0 != pair0 || y.i1 != pair1)) {
            pair0 = y.i0, pair1 = y.i1;
            for (int32_t q = 0; q < (sw + 7) / 8; ++q)
                t.both[q] = m0[q] & m1[q];
        }
        uint8_t* dp = d(i);
        TBitWriter bits = {masked ? dm(i) : nullptr, 0};
        int32_t j = 0;
#if MOSAIKO_RESIZE_SSE2
        // Four pixels whose sample columns all are visible pairs; the two bytes
        // each group writes past itself belong to the next pixel, written after it.
        for (; j + 4 < w; j += 4) {
            const TSpan* x = cols + j;
            if (masked && !AllBitsSet(t.both, x[0].i0, x[3].i1)) {
                for (int k = 0; k < 4; ++k)
                    SmoothPixel24(dp + 3 * (j + k), x[k], y, r0, r1, m0, m1, t, &bits, j + k);
                continue;
            }
            StoreFour(dp + 3 * j, BlendPixel(t.blend, x[0]), BlendPixel(t.blend, x[1]),
                      BlendPixel(t.blend, x[2]), BlendPixel(t.blend, x[3]));
            if (masked) bits.PutFour(j);
        }
#endif
        for (; j < w; ++j)
            SmoothPixel24(dp + 3 * j, cols[j], y, r0, r1, m0, m1, t, &bits, j);
        if (masked) bits.Finish(w);
    }
}

// Points the scratch of Smooth24 into block and lists the columns used.
static void LayOutSmoothScratch(uint8_t* block, int32_t sw, const TSpan* cols, int32_t w,
                                TSmoothScratch* t) {
    t->blend = reinterpret_cast<float*>(block);
    t->used = reinterpret_cast<int32_t*>(block + sizeof(float) * (3 * size_t(sw) + 4));
    t->both = reinterpret_cast<uint8_t*>(t->used + sw);
    uint8_t* marks = t->both + (sw + 7) / 8;
    for (int32_t j = 0; j < w; ++j)
        marks[cols[j].i0] = marks[cols[j].i1] = 1;
    t->usedCount = 0;
    for (int32_t x = 0; x < sw; ++x)
        if (marks[x]) t->used[t->usedCount++] = x;
}

TImage* TImage_ResizeSmooth(const TImage* image, int32_t w, int32_t h) {
    if (CheckResize(image, w, h) != 0) return nullptr;
    TImage* out = TransformCreateLike(image, w, h);
    if (!out) return nullptr;
    const uint64_t sw = uint64_t(image->FWidth);
    const bool fast = image->FBitsPerPixel == 24;
    const uint64_t spans = sizeof(TSpan) * uint64_t(w);
    const uint64_t rows = fast ? SmoothScratchBytes(sw) : 0;
    uint8_t* block = static_cast<uint8_t*>(AllocScratch(spans + rows));
    if (!block) return TImage_Destroy(out), SetLastErrorCode(EC_NO_MEMORY), nullptr;
    // The spans first: TSpan's alignment holds for the floats and integers after them.
    TSpan* cols = reinterpret_cast<TSpan*>(block);
    const float rx = float(image->FWidth) / float(w);
    const float ry = float(image->FHeight) / float(h);
    for (int32_t j = 0; j < w; ++j)
        cols[j] = SpanAt(j, rx, image->FWidth);
    if (fast) {
        TSmoothScratch scratch;
        LayOutSmoothScratch(block + spans, image->FWidth, cols, w, &scratch);
        Smooth24(image, out, cols, ry, scratch);
    } else {
        SmoothGeneric(image, out, cols, ry);
    }
    std::free(block);
    ClearLastErrorCode();
    return out;
}

TImage* TImage_Resize(const TImage* image, int32_t w, int32_t h, int smooth) {
    return smooth ? TImage_ResizeSmooth(image, w, h) : TImage_ResizeNearest(image, w, h);
}
