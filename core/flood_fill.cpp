// TImage_FloodFill: the scan-line seed fill over a growing stack of (row, left, right,
// direction) segments. The fast path turns each window row, the first time the fill reaches
// it, into a bitmap of the pixels still to fill (one pass over the raw row), so the scans are
// bit scans on a small cache-resident bitmap and painting clears bits; 24-bit rows (the
// editor's layers) are read and painted in place, other depths through image.cpp's accessors.
// Without memory for the bitmap the fill tests pixels one by one; it ends there because a
// painted pixel never matches the region again, which the nothing-to-fill test ensures.
#include "core/flood_fill.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "core/image.h"
#include "core/rect.h"

static uint64_t GBitmapLimit = UINT64_MAX;
static uint64_t GStackLimit = UINT64_MAX; // segments

void TImage_SetFloodFillBitmapLimit(uint64_t bytes) {
    GBitmapLimit = bytes;
}

void TImage_SetFloodFillStackLimit(uint64_t segments) {
    GStackLimit = segments;
}

namespace {

struct TSegment {
    int32_t FY, FLeft, FRight, FDy; // row FY was filled over FLeft..FRight; next look at FY + FDy
};

// Segments whose next row lies outside the window rows are never stored. A push that finds no
// memory to grow into is dropped and remembered.
struct TSegmentStack {
    TSegment* FItems;
    size_t FCount, FCapacity;
    int32_t FTop, FBottom; // window rows, inclusive
    bool FShort;           // a push was dropped for want of memory

    bool Init(int32_t top, int32_t bottom) {
        FCapacity = GStackLimit < 4096 ? size_t(GStackLimit) : 4096;
        FCount = 0;
        FTop = top;
        FBottom = bottom;
        FShort = false;
        FItems =
            FCapacity ? static_cast<TSegment*>(std::malloc(FCapacity * sizeof(TSegment))) : nullptr;
        return FItems != nullptr;
    }
    void Free() { std::free(FItems); }
    bool Grow() {
        if (FCapacity > SIZE_MAX / (4 * sizeof(TSegment))) return false;
        size_t capacity = 2 * FCapacity;
        if (capacity > GStackLimit) capacity = size_t(GStackLimit);
        if (capacity <= FCapacity) return false;
        void* more = std::realloc(FItems, capacity * sizeof(TSegment));
        if (!more) return false;
        FItems = static_cast<TSegment*>(more);
        FCapacity = capacity;
        return true;
    }
    void Push(int32_t y, int32_t left, int32_t right, int32_t dy) {
        if (y + dy < FTop || y + dy > FBottom) return;
        if (FCount == FCapacity && !Grow()) {
            FShort = true;
            return;
        }
        FItems[FCount++] = TSegment{y, left, right, dy};
    }
    bool Pop(TSegment* out) {
        if (FCount == 0) return false;
        *out = FItems[--FCount];
        return true;
    }
};

struct TWindow {
    int32_t FLeft, FRight, FTop, FBottom; // inclusive
};

// The scan-line fill. Rows provides, for the row chosen with SetRow:
//   ScanLeft(x, left): the least l >= left with l..x all inside; x + 1 when x is not inside.
//   ScanRight(x, right): the first position from x that is not inside, at most right + 1.
//   Skip(x, x2): the first inside position in x..x2, or a position past x2.
//   Paint(l, r): paints l..r, all inside, after which they are no longer inside.
// painted: the bounding rectangle of every span painted, all zero when none was.
template <class Rows>
void FloodSegments(Rows& rows, TSegmentStack& stack, const TWindow& w, int32_t sx, int32_t sy,
                   TRectLTRB* painted) {
    int32_t left = INT32_MAX, right = INT32_MIN, top = INT32_MAX, bottom = INT32_MIN;
    stack.Push(sy, sx, sx, 1);
    stack.Push(sy + 1, sx, sx, -1);
    TSegment s;
    while (stack.Pop(&s)) {
        const int32_t y = s.FY + s.FDy, x1 = s.FLeft, x2 = s.FRight, dy = s.FDy;
        // The next segment's pixels are likely far away in memory: ask for them now.
        if (stack.FCount > 0) {
            const TSegment& next = stack.FItems[stack.FCount - 1];
            rows.Prefetch(next.FY + next.FDy, next.FLeft);
        }
        rows.SetRow(y);
        int32_t l = rows.ScanLeft(x1, w.FLeft);
        int32_t x;
        if (l <= x1) {
            if (l < x1) stack.Push(y, l, x1 - 1, -dy); // leak on the left
            x = x1 + 1;
        } else {
            x = rows.Skip(x1 + 1, x2);
            if (x > x2) continue;
            l = x;
        }
        for (;;) {
            x = rows.ScanRight(x, w.FRight);
            rows.Paint(l, x - 1);
            if (l < left) left = l;
            if (x > right) right = x; // exclusive
            if (y < top) top = y;
            if (y >= bottom) bottom = y + 1;
            stack.Push(y, l, x - 1, dy);
            if (x > x2 + 1) stack.Push(y, x2 + 1, x - 1, -dy); // leak on the right
            x = rows.Skip(x + 1, x2);
            if (x > x2) break;
            l = x;
        }
    }
    *painted = left < right ? TRectLTRB{left, top, right, bottom} : TRectLTRB{0, 0, 0, 0};
}

// The region test and the painting of one image, for any depth.
struct TFillPixels {
    TImage* FImage;
    TImage* FMask; // null: every pixel visible
    uint32_t FSeedColor;
    bool FSeedVisible;
    uint32_t FColor, FMaskValue;

    bool Inside(int32_t x, int32_t y) const {
        const uint32_t m = FMask ? TImage_GetPixel(FMask, x, y) : 0xFFFFFF;
        if (!FSeedVisible) return m == 0;
        return m != 0 && TImage_GetPixel(FImage, x, y) == FSeedColor;
    }
    void Paint(int32_t x, int32_t y) {
        TImage_SetPixel(FImage, x, y, FColor);
        if (FMask) TImage_SetPixel(FMask, x, y, FMaskValue);
    }
};

// Pixel by pixel on the image itself: the fallback when the bitmap cannot be had.
struct TDirectRows {
    TFillPixels FPixels;
    int32_t FY;

    void SetRow(int32_t y) { FY = y; }
    void Prefetch(int32_t, int32_t) const {}
    int32_t ScanLeft(int32_t x, int32_t left) const {
        while (x >= left && FPixels.Inside(x, FY))
            --x;
        return x + 1;
    }
    int32_t ScanRight(int32_t x, int32_t right) const {
        while (x <= right && FPixels.Inside(x, FY))
            ++x;
        return x;
    }
    int32_t Skip(int32_t x, int32_t x2) const {
        while (x <= x2 && !FPixels.Inside(x, FY))
            ++x;
        return x;
    }
    void Paint(int32_t l, int32_t r) {
        for (int32_t x = l; x <= r; ++x)
            FPixels.Paint(x, FY);
    }
};

// --- raw 24-bit rows and 1-bit mask rows -----------------------------------------------------

static inline uint64_t Load64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

static inline uint32_t Load32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

static inline void Store64(uint8_t* p, uint64_t v) {
    std::memcpy(p, &v, 8);
}

// Sets (set) or clears mask bits l..r.
static inline void MaskFill(uint8_t* m, int32_t l, int32_t r, bool set) {
    const int32_t bl = l >> 3, br = r >> 3;
    const uint8_t lm = uint8_t(0xFF >> (l & 7));
    const uint8_t rm = uint8_t(0xFF << (7 - (r & 7)));
    if (bl == br) {
        const uint8_t k = lm & rm;
        m[bl] = set ? uint8_t(m[bl] | k) : uint8_t(m[bl] & ~k);
        return;
    }
    m[bl] = set ? uint8_t(m[bl] | lm) : uint8_t(m[bl] & ~lm);
    if (br - bl > 1) std::memset(m + bl + 1, set ? 0xFF : 0, size_t(br - bl - 1));
    m[br] = set ? uint8_t(m[br] | rm) : uint8_t(m[br] & ~rm);
}

// Byte with its bit order reversed: mask bytes (leftmost pixel high) to bitmap order.
struct TBitReverse {
    uint8_t FTable[256];
    constexpr TBitReverse() : FTable() {
        for (int v = 0; v < 256; ++v) {
            int r = 0;
            for (int b = 0; b < 8; ++b)
                r |= ((v >> b) & 1) << (7 - b);
            FTable[v] = uint8_t(r);
        }
    }
};
constexpr TBitReverse KBitReverse;

// Mask bits of pixels x .. x + n - 1 (n 1 to 64), pixel x in bit 0, bits from n up clear.
// Reads only the bytes that hold those pixels.
static inline uint64_t MaskBits64(const uint8_t* m, int32_t x, int32_t n) {
    const int32_t b0 = x >> 3, b1 = (x + n - 1) >> 3;
    uint64_t bits = uint64_t(KBitReverse.FTable[m[b0]]) >> (x & 7);
    int32_t shift = 8 - (x & 7);
    for (int32_t b = b0 + 1; b <= b1; ++b, shift += 8)
        bits |= uint64_t(KBitReverse.FTable[m[b]]) << shift;
    return n == 64 ? bits : bits & ((uint64_t(1) << n) - 1);
}

// A colour value as stored: blue, green, red bytes, and those three bytes repeated eight times
// (24 bytes line up with any run of eight pixels, since the pattern repeats every pixel).
struct TPattern24 {
    uint64_t FWord[3];
    uint32_t FPixel; // the three bytes as a little-endian word's low 24 bits
    uint8_t FBlue, FGreen, FRed;

    explicit TPattern24(uint32_t value) {
        FBlue = uint8_t(value >> 16), FGreen = uint8_t(value >> 8), FRed = uint8_t(value);
        uint8_t bytes[24];
        for (int k = 0; k < 8; ++k) {
            bytes[3 * k] = FBlue, bytes[3 * k + 1] = FGreen, bytes[3 * k + 2] = FRed;
        }
        for (int k = 0; k < 3; ++k)
            FWord[k] = Load64(bytes + 8 * k);
        FPixel = uint32_t(FBlue) | (uint32_t(FGreen) << 8) | (uint32_t(FRed) << 16);
    }
    uint32_t Matches(const uint8_t* p) const {
        return p[0] == FBlue && p[1] == FGreen && p[2] == FRed;
    }
    bool Matches8(const uint8_t* p) const {
        return ((Load64(p) ^ FWord[0]) | (Load64(p + 8) ^ FWord[1]) |
                (Load64(p + 16) ^ FWord[2])) == 0;
    }
    // Reads a fourth byte: only where one follows in the row.
    uint32_t MatchesWide(const uint8_t* p) const { return ((Load32(p) ^ FPixel) & 0xFFFFFF) == 0; }
    void Fill(uint8_t* p, int32_t n) const {
        for (; n >= 8; n -= 8, p += 24) {
            Store64(p, FWord[0]);
            Store64(p + 8, FWord[1]);
            Store64(p + 16, FWord[2]);
        }
        for (; n > 0; --n, p += 3)
            p[0] = FBlue, p[1] = FGreen, p[2] = FRed;
    }
};

enum TRegionKind {
    TRK_VISIBLE,     // visible pixels of the seed's colour (mask plane present)
    TRK_TRANSPARENT, // transparent pixels, any colour
    TRK_NO_MASK,     // pixels of the seed's colour, no mask plane
    TRK_ANY_DEPTH    // through the accessors
};

// --- the bitmap of pixels still to fill ------------------------------------------------------

// Bit u of a row (least significant first) stands for window column u; each row has at least
// one clear bit past the window's width, which ends every rightward scan.
template <TRegionKind Kind> struct TBitmapRows {
    TFillPixels FPixels;
    int32_t FLeft, FTop, FWidth; // window left column, top row, width
    size_t FWords;               // per bitmap row
    uint64_t* FBits;
    uint8_t* FReady; // per window row: converted yet
    uint64_t* FRow;
    int32_t FY;
    // 24-bit kinds: picture row 0 of each plane and the step to the next picture row.
    uint8_t* FColourRow0;
    ptrdiff_t FColourStep;
    uint8_t* FMaskRow0;
    ptrdiff_t FMaskStep;
    TPattern24 FSeed, FPaint;

    TBitmapRows(const TFillPixels& pixels, const TWindow& w)
        : FPixels(pixels), FLeft(w.FLeft), FTop(w.FTop), FWidth(w.FRight - w.FLeft + 1),
          FWords(size_t(FWidth / 64) + 1), FBits(nullptr), FReady(nullptr), FRow(nullptr), FY(0),
          FColourRow0(nullptr), FColourStep(0), FMaskRow0(nullptr), FMaskStep(0),
          FSeed(pixels.FSeedColor), FPaint(pixels.FColor) {
        const TImage* image = pixels.FImage;
        if (Kind == TRK_ANY_DEPTH) return;
        FColourRow0 = TImage_GetRow(image, 0);
        FColourStep =
            (image->FFlags & TIF_BOTTOMUP) ? -ptrdiff_t(image->FStride) : ptrdiff_t(image->FStride);
        if (Kind == TRK_NO_MASK) return;
        FMaskRow0 = TImage_GetRow(image->FMask, 0);
        FMaskStep = (image->FMask->FFlags & TIF_BOTTOMUP) ? -ptrdiff_t(image->FMask->FStride)
                                                          : ptrdiff_t(image->FMask->FStride);
    }
    // False when the memory cannot be had (in 64 bits, checked against size_t).
    bool Allocate(int32_t rows) {
        const uint64_t bytes = uint64_t(rows) * FWords * sizeof(uint64_t);
        if (bytes > SIZE_MAX || bytes > GBitmapLimit) return false;
        FBits = static_cast<uint64_t*>(std::malloc(size_t(bytes)));
        FReady = static_cast<uint8_t*>(std::calloc(size_t(rows), 1));
        return FBits && FReady;
    }
    void Free() {
        std::free(FBits);
        std::free(FReady);
    }

    // One pass over the raw row: bit u set when column FLeft + u is inside.
    void Convert(int32_t y, uint64_t* out) const {
        const uint8_t* c = FColourRow0 + FColourStep * y + size_t(FLeft) * 3;
        const uint8_t* m = FMaskRow0 + FMaskStep * y;
        for (size_t k = 0; k < FWords; ++k) {
            const int32_t u0 = int32_t(k * 64);
            int32_t n = FWidth - u0;
            if (n > 64) n = 64;
            if (n <= 0) {
                out[k] = 0;
                continue;
            }
            const uint64_t visible = Kind == TRK_NO_MASK ? 0 : MaskBits64(m, FLeft + u0, n);
            if (Kind == TRK_TRANSPARENT) {
                out[k] = ~visible & (~uint64_t(0) >> (64 - n));
                continue;
            }
            out[k] = ColourBits64(c + size_t(u0) * 3, n, u0 + n < FWidth) &
                     (Kind == TRK_NO_MASK ? ~uint64_t(0) : visible);
        }
    }
    // Bit i set when pixel i of the n (1 to 64) at p has the seed's colour; whole runs of eight
    // at once. more: a pixel follows the n in the row (so 4-byte reads may pass the last).
    uint64_t ColourBits64(const uint8_t* p, int32_t n, bool more) const {
        const int32_t wide = more ? n : n - 1;
        uint64_t bits = 0;
        int32_t i = 0;
        for (; i + 8 <= n; i += 8) {
            const uint8_t* q = p + size_t(i) * 3;
            if (FSeed.Matches8(q)) {
                bits |= uint64_t(0xFF) << i;
                continue;
            }
            for (int32_t j = 0; j < 8; ++j) {
                const uint32_t match =
                    i + j < wide ? FSeed.MatchesWide(q + 3 * j) : FSeed.Matches(q + 3 * j);
                bits |= uint64_t(match) << (i + j);
            }
        }
        for (; i < n; ++i) {
            const uint8_t* q = p + size_t(i) * 3;
            bits |= uint64_t(i < wide ? FSeed.MatchesWide(q) : FSeed.Matches(q)) << i;
        }
        return bits;
    }
    void ConvertAnyDepth(int32_t y, uint64_t* out) const {
        for (size_t k = 0; k < FWords; ++k)
            out[k] = 0;
        for (int32_t u = 0; u < FWidth; ++u)
            if (FPixels.Inside(FLeft + u, y)) out[u >> 6] |= uint64_t(1) << (u & 63);
    }

    void Prefetch(int32_t y, int32_t x) const {
        __builtin_prefetch(FBits + size_t(y - FTop) * FWords + (size_t(x - FLeft) >> 6));
        if (Kind != TRK_ANY_DEPTH)
            __builtin_prefetch(FColourRow0 + FColourStep * y + size_t(x) * 3, 1);
    }
    void SetRow(int32_t y) {
        FY = y;
        FRow = FBits + size_t(y - FTop) * FWords;
        if (FReady[y - FTop]) return;
        if (Kind == TRK_ANY_DEPTH)
            ConvertAnyDepth(y, FRow);
        else
            Convert(y, FRow);
        FReady[y - FTop] = 1;
    }
    int32_t ScanLeft(int32_t x, int32_t) const {
        const int32_t u = x - FLeft;
        size_t k = size_t(u) >> 6;
        uint64_t gaps = ~FRow[k] & (~uint64_t(0) >> (63 - (u & 63)));
        while (gaps == 0) {
            if (k == 0) return FLeft;
            gaps = ~FRow[--k];
        }
        return FLeft + int32_t(k * 64) + (63 - __builtin_clzll(gaps)) + 1;
    }
    int32_t ScanRight(int32_t x, int32_t) const {
        const int32_t u = x - FLeft;
        size_t k = size_t(u) >> 6;
        uint64_t gaps = ~FRow[k] & (~uint64_t(0) << (u & 63));
        while (gaps == 0)
            gaps = ~FRow[++k];
        return FLeft + int32_t(k * 64) + __builtin_ctzll(gaps);
    }
    int32_t Skip(int32_t x, int32_t x2) const {
        if (x > x2) return x;
        const int32_t u = x - FLeft, u2 = x2 - FLeft;
        size_t k = size_t(u) >> 6;
        const size_t last = size_t(u2) >> 6;
        uint64_t todo = FRow[k] & (~uint64_t(0) << (u & 63));
        while (todo == 0) {
            if (++k > last) return x2 + 1;
            todo = FRow[k];
        }
        const int32_t found = int32_t(k * 64) + __builtin_ctzll(todo);
        return found <= u2 ? FLeft + found : x2 + 1;
    }
    void Paint(int32_t l, int32_t r) {
        const int32_t ul = l - FLeft, ur = r - FLeft;
        const size_t kl = size_t(ul) >> 6, kr = size_t(ur) >> 6;
        const uint64_t lm = ~uint64_t(0) << (ul & 63), rm = ~uint64_t(0) >> (63 - (ur & 63));
        if (kl == kr) {
            FRow[kl] &= ~(lm & rm);
        } else {
            FRow[kl] &= ~lm;
            for (size_t k = kl + 1; k < kr; ++k)
                FRow[k] = 0;
            FRow[kr] &= ~rm;
        }
        if (Kind == TRK_ANY_DEPTH) {
            for (int32_t x = l; x <= r; ++x)
                FPixels.Paint(x, FY);
            return;
        }
        FPaint.Fill(FColourRow0 + FColourStep * FY + size_t(l) * 3, r - l + 1);
        // A visible region painted visible keeps the mask bits it has.
        const bool visible = FPixels.FMaskValue != 0;
        if (Kind == TRK_TRANSPARENT || (Kind == TRK_VISIBLE && !visible))
            MaskFill(FMaskRow0 + FMaskStep * FY, l, r, visible);
    }
};

template <TRegionKind Kind>
void FloodWithBitmap(const TFillPixels& pixels, TSegmentStack& stack, const TWindow& w, int32_t x,
                     int32_t y, TRectLTRB* painted) {
    TBitmapRows<Kind> rows(pixels, w);
    if (rows.Allocate(w.FBottom - w.FTop + 1)) {
        FloodSegments(rows, stack, w, x, y, painted);
    } else {
        TDirectRows direct = {pixels, 0};
        FloodSegments(direct, stack, w, x, y, painted);
    }
    rows.Free();
}

// What a read returns after the colour value was written, by depth (as image.cpp stores it).
static uint32_t StoredColour(const TImage* image, uint32_t value) {
    switch (image->FBitsPerPixel) {
    case 1:
        return value ? 0xFFFFFF : 0;
    case 8:
        return value & 0xFF;
    case 15:
    case 16:
        return value & 0xFFFF;
    case 24:
        return value & 0xFFFFFF;
    case 32:
        return value;
    default: // 2 and 4 bits are neither read nor written by value
        return 0;
    }
}

// The image, narrowed to the clip when clipping is on; false when nothing is left.
static bool FillWindow(const TImage* image, TWindow* w) {
    int64_t left = 0, right = int64_t(image->FWidth) - 1;
    int64_t top = 0, bottom = int64_t(image->FHeight) - 1;
    if (image->FClipOn) {
        const TRectLTRB& c = image->FClipRect;
        if (c.left > left) left = c.left;
        if (int64_t(c.right) - 1 < right) right = int64_t(c.right) - 1;
        if (c.top > top) top = c.top;
        if (int64_t(c.bottom) - 1 < bottom) bottom = int64_t(c.bottom) - 1;
    }
    if (left > right || top > bottom) return false;
    *w = TWindow{int32_t(left), int32_t(right), int32_t(top), int32_t(bottom)};
    return true;
}

} // namespace

int TImage_FloodFillRect(TImage* image, int32_t x, int32_t y, TRectLTRB* changed) {
    TRectLTRB painted = {0, 0, 0, 0};
    if (changed) *changed = painted;
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TImage* mask = image->FMask;
    if (mask && (!mask->FBits || mask->FWidth != image->FWidth || mask->FHeight != image->FHeight ||
                 mask->FBitsPerPixel != 1))
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWindow w;
    if (!image->FBits || !FillWindow(image, &w) || x < w.FLeft || x > w.FRight || y < w.FTop ||
        y > w.FBottom) {
        ClearLastErrorCode();
        return 1;
    }
    const uint32_t c = image->FDrawAttr.FColor, fm = image->FDrawAttr.FMaskValue;
    uint32_t sc = 0;
    const bool seedVisible = TImage_GetPixelMaskedSafe(image, x, y, &sc) != 0;
    const bool paintVisible = mask ? fm != 0 : true;
    // Nothing to do when a painted seed would still belong to the region: then painting
    // changes no pixel (or, for a transparent seed filled transparent, only hidden colours).
    if (seedVisible ? (paintVisible && StoredColour(image, c) == sc) : !paintVisible) {
        ClearLastErrorCode();
        return 1;
    }
    TSegmentStack stack;
    if (!stack.Init(w.FTop, w.FBottom)) return SetLastErrorCode(EC_NO_MEMORY), -1;
    const TFillPixels pixels = {image, mask, sc, seedVisible, c, fm};
    if (image->FBitsPerPixel != 24)
        FloodWithBitmap<TRK_ANY_DEPTH>(pixels, stack, w, x, y, &painted);
    else if (!mask)
        FloodWithBitmap<TRK_NO_MASK>(pixels, stack, w, x, y, &painted);
    else if (seedVisible)
        FloodWithBitmap<TRK_VISIBLE>(pixels, stack, w, x, y, &painted);
    else
        FloodWithBitmap<TRK_TRANSPARENT>(pixels, stack, w, x, y, &painted);
    stack.Free();
    if (changed) *changed = painted;
    if (stack.FShort) return SetLastErrorCode(EC_NO_MEMORY), -1;
    ClearLastErrorCode();
    return 0;
}

int TImage_FloodFill(TImage* image, int32_t x, int32_t y) {
    return TImage_FloodFillRect(image, x, y, nullptr);
}
