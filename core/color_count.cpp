// Colour counting. The answer depends only on the set of visible colours: up to the limit it is
// the set's size, past it limit + 1 whichever colour trips it. So the colours seen so far sit in
// a small open-addressed hash set rather than a list searched per pixel, and a pixel equal to
// the previous visible one is skipped at once. 24-bit images are read straight from their rows;
// other depths go through the pixel accessors. Reads only; never writes the image.
#include "core/color_count.h"

#include <cstring>

#include "core/error.h"
#include "core/image.h"

namespace {

const int KSlotBits = 10; // 1024 slots for at most 257 colours: most lookups end at one probe
const uint32_t KSlots = 1u << KSlotBits;
const uint32_t KEmpty = 0xFFFFFFFFu; // marks a free slot; no 24-bit key can take this value

struct TColorSet {
    uint32_t FSlot[KSlots];
    int FUsed;        // distinct colours stored
    int FLimit;       // 0..256
    bool FHasEmpty;   // the value KEmpty itself was seen (32-bit words only)
    uint32_t FPrev;   // the last colour added or found; KEmpty before the first
};

void ColorSetInit(TColorSet* set, int limit) {
    std::memset(set->FSlot, 0xFF, sizeof set->FSlot);
    set->FUsed = 0;
    set->FLimit = limit;
    set->FHasEmpty = false;
    set->FPrev = KEmpty;
}

// Records c; false when c is new and the limit is already reached (counting stops there).
inline bool ColorSetAdd(TColorSet* set, uint32_t c) {
    if (c == set->FPrev) return true;
    uint32_t h = (c * 0x9E3779B1u) >> (32 - KSlotBits);
    while (set->FSlot[h] != c && set->FSlot[h] != KEmpty) h = (h + 1) & (KSlots - 1);
    if (set->FSlot[h] != c) {
        if (set->FUsed == set->FLimit) return false;
        set->FSlot[h] = c;
        ++set->FUsed;
    }
    set->FPrev = c;
    return true;
}

inline bool ColorSetAddAny(TColorSet* set, uint32_t c) {
    if (c != KEmpty) return ColorSetAdd(set, c);
    if (set->FHasEmpty) return true;
    if (set->FUsed == set->FLimit) return false;
    set->FHasEmpty = true;
    ++set->FUsed;
    return true;
}

// The pixel's blue, green and red bytes as one key (a 1:1 image of the colour value).
inline uint32_t Key24(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
}

// 24-bit rows, the mask read a byte (eight pixels) at a time. One loop over every row.
bool Count24(const TImage* image, const TImage* mask, TColorSet* set) {
    const int32_t width = image->FWidth;
    for (int32_t y = 0; y < image->FHeight; ++y) {
        const uint8_t* row = TImage_GetRow(image, y);
        const uint8_t* mrow = mask ? TImage_GetRow(mask, y) : nullptr;
        for (int32_t x0 = 0; x0 < width; x0 += 8) {
            unsigned bits = mrow ? mrow[x0 >> 3] : 0xFFu;
            if (!bits) continue;
            int32_t n = width - x0 < 8 ? width - x0 : 8;
            const uint8_t* p = row + size_t(x0) * 3;
            if (bits == 0xFFu) {
                for (int32_t i = 0; i < n; ++i, p += 3)
                    if (!ColorSetAdd(set, Key24(p))) return false;
                continue;
            }
            for (int32_t i = 0; i < n; ++i, p += 3)
                if ((bits & (0x80u >> i)) && !ColorSetAdd(set, Key24(p))) return false;
        }
    }
    return true;
}

bool CountAny(const TImage* image, const TImage* mask, TColorSet* set) {
    for (int32_t y = 0; y < image->FHeight; ++y)
        for (int32_t x = 0; x < image->FWidth; ++x)
            if ((!mask || TImage_GetPixel(mask, x, y)) &&
                !ColorSetAddAny(set, TImage_GetPixel(image, x, y)))
                return false;
    return true;
}

} // namespace

int TImage_CountColors(const TImage* image, int limit) {
    if (!image || !image->FBits) return SetLastErrorCode(EC_NULL_OBJECT), 0;
    if (limit < 0 || limit > 256) return 0;
    const TImage* mask = image->FMask && image->FMask->FBits ? image->FMask : nullptr;
    TColorSet set;
    ColorSetInit(&set, limit);
    bool within = image->FBitsPerPixel == 24 ? Count24(image, mask, &set)
                                             : CountAny(image, mask, &set);
    return within ? set.FUsed : limit + 1;
}
