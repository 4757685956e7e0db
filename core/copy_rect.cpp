// TImage_CopyRect: clipping, the transparent merge and the plain copies by depth.
#include "core/copy_rect.h"

#include <cstring>

#include "core/error.h"
#include "core/image.h"
#include "core/rect.h"

static inline bool BitSet(const uint8_t* row, int32_t x) { return row[x >> 3] & (0x80 >> (x & 7)); }

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
    for (; count > 0; ++x, --count) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
}

// Length of the run of equal bits starting at bit x, at most limit; whole bytes at a time.
static int32_t RunLength(const uint8_t* row, int32_t x, int32_t limit, bool set) {
    int32_t n = 0;
    const uint8_t whole = set ? 0xFF : 0x00;
    while (n < limit) {
        int32_t at = x + n;
        if (!(at & 7) && limit - n >= 8 && row[at >> 3] == whole) {
            n += 8;
            continue;
        }
        if (BitSet(row, at) != set) break;
        ++n;
    }
    return n;
}

// 24-bit merge: runs of visible source pixels are copied whole, with their mask bits.
static void Merge24(TImage* dst, int32_t dx, int32_t dy, const TImage* src, int32_t sx,
                    int32_t sy, int32_t w, int32_t h) {
    for (int32_t i = 0; i < h; ++i) {
        const uint8_t* srcRow = TImage_GetRow(src, sy + i);
        const uint8_t* srcMask = TImage_GetRow(src->FMask, sy + i);
        uint8_t* dstRow = TImage_GetRow(dst, dy + i);
        uint8_t* dstMask = dst->FMask ? TImage_GetRow(dst->FMask, dy + i) : nullptr;
        for (int32_t j = 0; j < w;) {
            bool visible = BitSet(srcMask, sx + j);
            int32_t run = RunLength(srcMask, sx + j, w - j, visible);
            if (visible) {
                std::memcpy(dstRow + size_t(dx + j) * 3, srcRow + size_t(sx + j) * 3,
                            size_t(run) * 3);
                if (dstMask) SetBits(dstMask, dx + j, run);
            }
            j += run;
        }
    }
}

static void MergeGeneral(TImage* dst, int32_t dx, int32_t dy, const TImage* src, int32_t sx,
                         int32_t sy, int32_t w, int32_t h) {
    for (int32_t i = 0; i < h; ++i)
        for (int32_t j = 0; j < w; ++j) {
            uint32_t colour;
            uint32_t mask = TImage_GetPixelMasked(src, sx + j, sy + i, &colour);
            if (!mask) continue;
            if (dst->FMask)
                TImage_SetPixelMasked(dst, dx + j, dy + i, colour, mask);
            else
                TImage_SetPixel(dst, dx + j, dy + i, colour);
        }
}

static void CopyPlain(TImage* dst, int32_t dx, int32_t dy, const TImage* src, int32_t sx,
                      int32_t sy, int32_t w, int32_t h) {
    if (dst->FBitsPerPixel == 1) {
        for (int32_t i = 0; i < h; ++i)
            for (int32_t j = 0; j < w; ++j)
                TImage_SetPixel(dst, dx + j, dy + i, TImage_GetPixel(src, sx + j, sy + i));
    } else if (dst->FBitsPerPixel == 24 && src->FBitsPerPixel == 24) {
        // Within one image, rows are taken in the order that reads each before it is written.
        const bool upward = dst == src && dy > sy;
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
