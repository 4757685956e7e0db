// Palette expansion and 16/32-bit row conversion for BMP-style pixel data.
#include "core/bmp_body.h"

#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "core/image.h"

const TBmpMasks KBmpDefault16Masks = {0x7C00, 0x3E0, 0x1F};

// Writes pixels x = count - 1 down to 0 of one row from its packed indices, last first.
template <int Bits>
static void ExpandRow(const uint8_t* src, uint8_t* dst, int32_t count,
                      const TPaletteEntry* palette) {
    constexpr int perByte = 8 / Bits;
    constexpr unsigned valueMask = (1u << Bits) - 1;
    for (int32_t x = count - 1; x >= 0; --x) {
        int shift = 8 - Bits * (x % perByte + 1); // leftmost pixel in the high bits
        const TPaletteEntry& e = palette[(src[x / perByte] >> shift) & valueMask];
        uint8_t* p = dst + size_t(x) * 3;
        p[0] = e.FBlue, p[1] = e.FGreen, p[2] = e.FRed;
    }
}

void BMP_ExpandPalette(TImage* image, int bits, size_t delivered) {
    const int32_t width = image->FWidth;
    const size_t srcStride = size_t(TImage_StrideFor(width, bits));
    const size_t dstStride = size_t(image->FStride);
    const size_t perByte = size_t(8 / bits);
    for (int32_t row = image->FHeight - 1; row >= 0; --row) {
        const uint8_t* src = image->FBits + size_t(row) * srcStride;
        uint8_t* dst = image->FBits + size_t(row) * dstStride;
        size_t start = size_t(row) * srcStride;
        size_t available = delivered > start ? delivered - start : 0;
        // Pixels whose index byte was not delivered are black, as is the row padding.
        size_t have = available * perByte < size_t(width) ? available * perByte : size_t(width);
        std::memset(dst + have * 3, 0, dstStride - have * 3);
        if (bits == 8)
            ExpandRow<8>(src, dst, int32_t(have), image->FPalette);
        else if (bits == 4)
            ExpandRow<4>(src, dst, int32_t(have), image->FPalette);
        else
            ExpandRow<1>(src, dst, int32_t(have), image->FPalette);
    }
}

namespace {
// How one channel leaves a masked pixel value: right by the mask's trailing zeros, then left
// (or right, for wide masks) to 8 bits.
struct TChannel {
    uint32_t FMask;
    int FShiftRight;
    int FShiftLeft;   // 8 - bit count, when the mask is narrower than 8 bits
    int FShiftRight2; // bit count - 8, when wider
};
} // namespace

static TChannel MakeChannel(uint32_t mask) {
    TChannel c = {mask, 0, 0, 0};
    if (!mask) return c;
    while (!((mask >> c.FShiftRight) & 1))
        ++c.FShiftRight;
    int count = __builtin_popcount(mask);
    if (count < 8)
        c.FShiftLeft = 8 - count;
    else
        c.FShiftRight2 = count - 8;
    return c;
}

static inline uint8_t Extract(const TChannel& c, uint32_t value) {
    return uint8_t((((value & c.FMask) >> c.FShiftRight) >> c.FShiftRight2) << c.FShiftLeft);
}

static void ConvertMasked(const uint8_t* src, uint8_t* dst, int32_t width, int bits,
                          const TChannel ch[3]) {
    const int step = bits / 8;
    for (int32_t x = 0; x < width; ++x, src += step, dst += 3) {
        uint32_t v = uint32_t(src[0]) | (uint32_t(src[1]) << 8);
        if (step == 4) v |= (uint32_t(src[2]) << 16) | (uint32_t(src[3]) << 24);
        dst[0] = Extract(ch[2], v), dst[1] = Extract(ch[1], v), dst[2] = Extract(ch[0], v);
    }
}

static void CopyFirstThree(const uint8_t* src, uint8_t* dst, int32_t width) {
    for (int32_t x = 0; x < width; ++x, src += 4, dst += 3) {
        dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
    }
}

// Sets the plane's bits of the row's pixels with alpha 128 or more; answers the alpha bytes or-ed.
static uint8_t AlphaToPlane(const uint8_t* src, int32_t width, TImage* plane, int32_t memoryRow) {
    uint8_t* row = plane->FBits + size_t(plane->FStride) * size_t(memoryRow);
    std::memset(row, 0, size_t(plane->FStride));
    uint8_t seen = 0;
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t alpha = src[size_t(x) * 4 + 3];
        seen |= alpha;
        if (alpha >= 128) row[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
    return seen;
}

int BMP_ConvertRows(TImage* image, std::FILE* file, int bits, uint32_t rowLength,
                    const TBmpMasks* masks, TImage* alphaPlane, bool* alphaSeen) {
    const int32_t width = image->FWidth;
    const size_t pixelBytes = size_t(width) * size_t(bits / 8);
    // The buffer holds one row of pixels; a longer stored row is skipped past, a shorter one
    // leaves the rest of the row black.
    uint8_t* buffer = static_cast<uint8_t*>(std::malloc(pixelBytes ? pixelBytes : 1));
    if (!buffer) return SetLastErrorCode(EC_NO_MEMORY), -1;
    if (!masks && bits == 16) masks = &KBmpDefault16Masks;
    const size_t readBytes = rowLength < pixelBytes ? rowLength : pixelBytes;
    TChannel ch[3] = {};
    if (masks) {
        ch[0] = MakeChannel(masks->FRed);
        ch[1] = MakeChannel(masks->FGreen);
        ch[2] = MakeChannel(masks->FBlue);
    }
    uint8_t seen = 0;
    const size_t step = size_t(bits / 8);
    // Rows of no bytes convert from zeros only: the image holds what they would give.
    for (int32_t i = 0; readBytes && i < image->FHeight; ++i) {
        size_t got = std::fread(buffer, 1, readBytes, file);
        if (got == readBytes && rowLength > readBytes)
            std::fseek(file, long(rowLength - readBytes), SEEK_CUR);
        // Only the pixels that arrived convert (a part pixel with zeros for its missing bytes);
        // the rest of the row is black.
        const size_t arrived = (got + step - 1) / step;
        std::memset(buffer + got, 0, arrived * step - got);
        uint8_t* dst = image->FBits + size_t(image->FStride) * size_t(i);
        if (masks)
            ConvertMasked(buffer, dst, int32_t(arrived), bits, ch);
        else
            CopyFirstThree(buffer, dst, int32_t(arrived));
        std::memset(dst + arrived * 3, 0, (size_t(width) - arrived) * 3);
        if (alphaPlane && bits == 32) seen |= AlphaToPlane(buffer, int32_t(arrived), alphaPlane, i);
        // Past the end of the data every row would convert from zeros: the fresh image and
        // plane already hold what they would get.
        if (got < readBytes) break;
    }
    std::free(buffer);
    if (alphaSeen) *alphaSeen = seen != 0;
    return 0;
}
