// TImage_CopyRect: clipping, the transparent merge and the plain copies by depth.
#include "core/copy_rect.h"

#include <cstring>

#include "core/error.h"
#include "core/image.h"
#include "core/rect.h"

// Sets count bits of a 1-bit row from bit x on.
static void SetBits(uint8_t* row, int32_t x, int32_t count) {
    while (count > 0 && (x & 7)) {
        row[x >> 3] |= uint8_t(0x80 >> (x & 7));
        ++x, --count;
    }
    if (count >= 8) {
        std::memset(row + (x >> 3), 0xFF, size_t(count >> 3));
        x += count & ~7;
        count &= 7;
    }
    for (; count > 0; ++x, --count)
        row[x >> 3] |= uint8_t(0x80 >> (x & 7));
}

// The n (1 to 8) mask bits from bit x on, in the high bits of the result; bytes past the
// ones holding them are never read.
static inline unsigned Bits8(const uint8_t* row, int32_t x, int32_t n) {
    const uint8_t* p = row + (x >> 3);
    const int shift = x & 7;
    unsigned v = unsigned(p[0]) << shift;
    if (shift && n > 8 - shift) v |= unsigned(p[1]) >> (8 - shift);
    return (v & 0xFF) & (0xFF00u >> n);
}

// ORs n (1 to 8) bits, given in the high bits of bits, into a 1-bit row from bit x on.
static inline void OrBits8(uint8_t* row, int32_t x, unsigned bits, int32_t n) {
    uint8_t* p = row + (x >> 3);
    const int shift = x & 7;
    p[0] |= uint8_t(bits >> shift);
    if (shift && n > 8 - shift) p[1] |= uint8_t(bits << (8 - shift));
}

// For each pattern of eight mask bits, 24 bytes selecting the visible pixels' bytes.
struct TBlendTable {
    uint64_t FWords[256][3];
    TBlendTable() {
        for (unsigned bits = 0; bits < 256; ++bits) {
            uint8_t bytes[24];
            for (int k = 0; k < 8; ++k)
                bytes[3 * k] = bytes[3 * k + 1] = bytes[3 * k + 2] =
                    (bits & (0x80u >> k)) ? 0xFF : 0x00;
            std::memcpy(FWords[bits], bytes, sizeof bytes);
        }
    }
};

// Writes the visible ones of n (1 to 8) pixels from src over dst: whole words for a group of
// eight, byte by byte for the last, shorter one.
static inline void Blend8(uint8_t* dst, const uint8_t* src, unsigned bits, int32_t n) {
    static const TBlendTable table;
    const uint64_t* select = table.FWords[bits];
    if (n == 8) {
        for (int k = 0; k < 3; ++k) {
            uint64_t a, b;
            std::memcpy(&a, src + 8 * k, 8);
            std::memcpy(&b, dst + 8 * k, 8);
            b = (a & select[k]) | (b & ~select[k]);
            std::memcpy(dst + 8 * k, &b, 8);
        }
        return;
    }
    const uint8_t* keep = reinterpret_cast<const uint8_t*>(select);
    for (int32_t i = 0; i < n * 3; ++i)
        dst[i] = uint8_t((src[i] & keep[i]) | (dst[i] & ~keep[i]));
}

// Merges w pixels of one 24-bit row (colour bytes from srcRow, mask bits from bit sx of srcMask)
// onto a row, eight pixels at a time: runs of wholly visible groups are copied at once, wholly
// transparent groups skipped, mixed ones blended without branches. Source and destination must
// not overlap.
static void MergeRow24(uint8_t* dstRow, uint8_t* dstMask, int32_t dx, const uint8_t* srcRow,
                       const uint8_t* srcMask, int32_t sx, int32_t w) {
    for (int32_t j = 0; j < w;) {
        int32_t n = w - j < 8 ? w - j : 8;
        unsigned bits = Bits8(srcMask, sx + j, n);
        if (!bits) {
            j += n;
            continue;
        }
        if (bits == (0xFF00u >> n & 0xFF)) {
            int32_t run = n;
            while (j + run + 8 <= w && Bits8(srcMask, sx + j + run, 8) == 0xFF)
                run += 8;
            std::memcpy(dstRow + size_t(j) * 3, srcRow + size_t(j) * 3, size_t(run) * 3);
            if (dstMask) SetBits(dstMask, dx + j, run);
            j += run;
            continue;
        }
        Blend8(dstRow + size_t(j) * 3, srcRow + size_t(j) * 3, bits, n);
        if (dstMask) OrBits8(dstMask, dx + j, bits, n);
        j += n;
    }
}

// A merge within one row of one image: pieces of the source are copied aside first and merged
// from there, taken from the end the destination moves towards, so no pixel or mask bit is
// overwritten before it is read.
static void MergeRowWithin24(uint8_t* row, uint8_t* mask, int32_t dx, int32_t sx, int32_t w) {
    enum { KPiece = 256 };
    uint8_t colour[KPiece * 3], bits[KPiece / 8 + 1];
    const bool rightward = dx > sx;
    for (int32_t done = 0; done < w; done += KPiece) {
        const int32_t n = w - done < KPiece ? w - done : KPiece;
        const int32_t j = rightward ? w - done - n : done;
        std::memcpy(colour, row + size_t(sx + j) * 3, size_t(n) * 3);
        // The piece's mask bits, realigned to start at bit 0.
        for (int32_t k = 0; k < n; k += 8)
            bits[k >> 3] = uint8_t(Bits8(mask, sx + j + k, n - k < 8 ? n - k : 8));
        MergeRow24(row + size_t(dx + j) * 3, mask, dx + j, colour, bits, 0, n);
    }
}

// The 24-bit merge row by row. Within one image the rows are taken in the order that reads
// each before it is written, as the plain copy does.
static void Merge24(TImage* dst, int32_t dx, int32_t dy, const TImage* src, int32_t sx, int32_t sy,
                    int32_t w, int32_t h) {
    const bool same = dst == src, upward = same && dy > sy;
    for (int32_t n = 0; n < h; ++n) {
        const int32_t i = upward ? h - 1 - n : n;
        uint8_t* dstMask = dst->FMask ? TImage_GetRow(dst->FMask, dy + i) : nullptr;
        if (same && dy == sy) {
            MergeRowWithin24(TImage_GetRow(dst, dy + i), dstMask, dx, sx, w);
            continue;
        }
        MergeRow24(TImage_GetRow(dst, dy + i) + size_t(dx) * 3, dstMask, dx,
                   TImage_GetRow(src, sy + i) + size_t(sx) * 3, TImage_GetRow(src->FMask, sy + i),
                   sx, w);
    }
}

// Pixel by pixel; within one image rows and columns go in the order that reads each pixel
// before it is written.
static void MergeGeneral(TImage* dst, int32_t dx, int32_t dy, const TImage* src, int32_t sx,
                         int32_t sy, int32_t w, int32_t h) {
    const bool same = dst == src, upward = same && dy > sy, leftward = same && dx > sx;
    for (int32_t n = 0; n < h; ++n) {
        const int32_t i = upward ? h - 1 - n : n;
        for (int32_t m = 0; m < w; ++m) {
            const int32_t j = leftward ? w - 1 - m : m;
            uint32_t colour;
            uint32_t mask = TImage_GetPixelMasked(src, sx + j, sy + i, &colour);
            if (!mask) continue;
            if (dst->FMask)
                TImage_SetPixelMasked(dst, dx + j, dy + i, colour, mask);
            else
                TImage_SetPixel(dst, dx + j, dy + i, colour);
        }
    }
}

static void CopyPlain(TImage* dst, int32_t dx, int32_t dy, const TImage* src, int32_t sx,
                      int32_t sy, int32_t w, int32_t h) {
    // Within one image, rows (and pixels) are taken in the order that reads each before it is
    // written.
    const bool upward = dst == src && dy > sy, leftward = dst == src && dx > sx;
    if (dst->FBitsPerPixel == 1) {
        for (int32_t n = 0; n < h; ++n)
            for (int32_t m = 0; m < w; ++m) {
                const int32_t i = upward ? h - 1 - n : n, j = leftward ? w - 1 - m : m;
                TImage_SetPixel(dst, dx + j, dy + i, TImage_GetPixel(src, sx + j, sy + i));
            }
    } else if (dst->FBitsPerPixel == 24 && src->FBitsPerPixel == 24) {
        for (int32_t n = 0; n < h; ++n) {
            int32_t i = upward ? h - 1 - n : n;
            std::memmove(TImage_GetRow(dst, dy + i) + size_t(dx) * 3,
                         TImage_GetRow(src, sy + i) + size_t(sx) * 3, size_t(w) * 3);
        }
    }
}

int TImage_CopyRect(TImage* dst, int32_t x, int32_t y, int32_t w, int32_t h, const TImage* src,
                    int32_t sx, int32_t sy, uint32_t rop) {
    if (!dst || !src || !dst->FBits || !src->FBits) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TRectXYWH d = {x, y, w, h};
    const TRectXYWH dstBounds = {0, 0, dst->FWidth, dst->FHeight};
    if (RectIntersectXYWH(&d, &dstBounds) != 0) return SetLastErrorCode(EC_EMPTY_AREA), -1;
    // The offset is taken in 64 bits and the rectangle moved only when it stays representable.
    int64_t offX = int64_t(sx) - x, offY = int64_t(sy) - y;
    int64_t movedX = d.x + offX, movedY = d.y + offY;
    if (movedX < INT32_MIN || movedX > INT32_MAX || movedY < INT32_MIN || movedY > INT32_MAX)
        return SetLastErrorCode(EC_EMPTY_AREA), -1;
    TRectXYWH s = {int32_t(movedX), int32_t(movedY), d.width, d.height};
    const TRectXYWH srcBounds = {0, 0, src->FWidth, src->FHeight};
    if (RectIntersectXYWH(&s, &srcBounds) != 0) return SetLastErrorCode(EC_EMPTY_AREA), -1;
    // Where the source clip cut the rectangle, the destination moves with it, so every pixel
    // keeps its place relative to the corner.
    const int32_t dx = int32_t(s.x - offX), dy = int32_t(s.y - offY);
    const int32_t cw = s.width, ch = s.height;
    if (src->FMask && src->FMask->FBits) {
        if (rop == ROP_MERGE)
            MergeGeneral(dst, dx, dy, src, s.x, s.y, cw, ch);
        else if (dst->FBitsPerPixel == 24 && src->FBitsPerPixel == 24)
            Merge24(dst, dx, dy, src, s.x, s.y, cw, ch);
    } else {
        CopyPlain(dst, dx, dy, src, s.x, s.y, cw, ch);
    }
    return 0;
}
