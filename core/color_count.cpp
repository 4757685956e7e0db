// Colour counting. The answer depends only on the set of visible colours: up to the limit it is
// the set's size, past it limit + 1 whichever colour trips it. So the colours seen so far sit in
// a small open-addressed hash set rather than a list searched per pixel, and a pixel equal to
// the previous visible one is skipped at once; for the same reason the rows may go in memory
// order. 24-bit images are read straight from their rows, other depths through the pixel
// accessors. Reads only; never writes the image.
#include "core/color_count.h"

#include <cstring>

#include "core/error.h"
#include "core/image.h"

namespace {

const int KSlotBits = 10; // 1024 slots for at most 257 colours: most lookups end at one probe
const uint32_t KSlots = 1u << KSlotBits;
const uint32_t KEmpty = 0xFFFFFFFFu; // marks a free slot; no 24-bit key can take this value

// The colours met so far. The row loops work on a local copy, so that its fields stay in
// registers however the slot stores might alias them.
struct TColorSet {
    uint32_t* FSlot;  // KSlots entries, KEmpty where free
    uint32_t FPrev;   // the last colour added or found; KEmpty before the first
    int FUsed;        // distinct colours stored
    int FLimit;       // 0..256
    bool FHasAllOnes; // the value KEmpty itself was met (32-bit words only)
};

} // namespace

static inline uint32_t SlotOf(uint32_t c) {
    return (c * 0x9E3779B1u) >> (32 - KSlotBits);
}

// The rest of a lookup whose first slot h did not hold c: probes on, and inserts c when it is
// new. Returns the new count of used slots, or -1 when c is new and the limit is reached.
// Kept out of line and free of the set's record, so that the common path stays short.
__attribute__((noinline)) static int FindOrInsert(uint32_t* slots, uint32_t c, uint32_t h, int used,
                                                  int limit) {
    while (slots[h] != c && slots[h] != KEmpty)
        h = (h + 1) & (KSlots - 1);
    if (slots[h] == c) return used;
    if (used == limit) return -1;
    slots[h] = c;
    return used + 1;
}

// Records c (anything but KEmpty); false when c is new and the limit is reached, which ends
// the count. The common cases, the colour of the previous pixel or one in its first slot, take
// a compare or a multiply, a load and a compare.
static inline bool AddColor(TColorSet& s, uint32_t c) {
    if (c == s.FPrev) return true;
    s.FPrev = c;
    uint32_t h = SlotOf(c);
    if (s.FSlot[h] == c) return true;
    s.FUsed = FindOrInsert(s.FSlot, c, h, s.FUsed, s.FLimit);
    return s.FUsed >= 0;
}

static bool AddAnyColor(TColorSet& s, uint32_t c) {
    if (c != KEmpty) return AddColor(s, c);
    if (s.FHasAllOnes) return true;
    if (s.FUsed == s.FLimit) return false;
    s.FHasAllOnes = true;
    ++s.FUsed;
    return true;
}

// The pixel's blue, green and red bytes as one key (a 1:1 image of the colour value), read with
// one 4-byte load; the caller guarantees that a fourth byte follows in pixel memory.
static inline uint32_t Key24(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v & 0xFFFFFFu;
}

// The same key for the one pixel that may end pixel memory.
static inline uint32_t Key24Last(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

// Pixels 0 to n - 1 of a 24-bit row, the mask read a byte (eight pixels) at a time: a
// transparent byte costs one test and a fully visible one tests no bits.
static inline bool CountRow24(TColorSet& s, const uint8_t* row, const uint8_t* mrow, int32_t n) {
    for (int32_t x0 = 0; x0 < n; x0 += 8) {
        unsigned bits = mrow ? mrow[x0 >> 3] : 0xFFu;
        if (!bits) continue;
        int32_t count = n - x0 < 8 ? n - x0 : 8;
        const uint8_t* p = row + size_t(x0) * 3;
        if (bits == 0xFFu && count == 8) {
#pragma GCC unroll 8
            for (int32_t i = 0; i < 8; ++i, p += 3)
                if (!AddColor(s, Key24(p))) return false;
            continue;
        }
        for (int32_t i = 0; i < count; ++i, p += 3)
            if ((bits & (0x80u >> i)) && !AddColor(s, Key24(p))) return false;
    }
    return true;
}

// Rows in memory order (ascending addresses, which the prefetcher follows; a bottom-up image
// in picture order would walk memory backwards). The answer does not depend on the order.
static bool Count24(const TImage* image, const TImage* mask, TColorSet* set) {
    const int32_t width = image->FWidth, height = image->FHeight;
    if (width <= 0 || height <= 0) return true;
    TColorSet s = *set;
    const bool bottomUp = (image->FFlags & TIF_BOTTOMUP) != 0;
    // Without row padding the last pixel of the last memory row has no fourth byte after it.
    const bool padded = size_t(image->FStride) > size_t(width) * 3;
    for (int32_t i = 0; i < height; ++i) {
        const uint8_t* row = image->FBits + size_t(image->FStride) * size_t(i);
        const uint8_t* mrow = mask ? TImage_GetRow(mask, bottomUp ? height - 1 - i : i) : nullptr;
        if (padded || i != height - 1) {
            if (!CountRow24(s, row, mrow, width)) return false;
            continue;
        }
        const int32_t x = width - 1;
        if (!CountRow24(s, row, mrow, x)) return false;
        if ((!mrow || (mrow[x >> 3] & (0x80u >> (x & 7)))) &&
            !AddColor(s, Key24Last(row + size_t(x) * 3)))
            return false;
    }
    *set = s;
    return true;
}

static bool CountAny(const TImage* image, const TImage* mask, TColorSet* set) {
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x)
            if ((!mask || TImage_GetPixel(mask, x, y)) &&
                !AddAnyColor(*set, TImage_GetPixel(image, x, y)))
                return false;
    return true;
}

int TImage_CountColors(const TImage* image, int limit) {
    if (!image || !image->FBits) return SetLastErrorCode(EC_NULL_OBJECT), 0;
    if (limit < 0 || limit > 256) return 0;
    const TImage* mask = image->FMask && image->FMask->FBits ? image->FMask : nullptr;
    uint32_t slots[KSlots];
    std::memset(slots, 0xFF, sizeof slots);
    TColorSet set = {slots, KEmpty, 0, limit, false};
    bool within =
        image->FBitsPerPixel == 24 ? Count24(image, mask, &set) : CountAny(image, mask, &set);
    return within ? set.FUsed : limit + 1;
}
