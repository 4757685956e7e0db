// The pixel-body conversions of BMP-style images that the BMP and icon readers share: the
// in-place expansion of packed palette indices into 24-bit pixels, and the row conversion of
// 16- and 32-bit pixels through channel masks. Both write memory rows in file order; the
// caller decides what that order means.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct TImage;

struct TBmpMasks {
    uint32_t FRed, FGreen, FBlue;
};

// The 5-5-5 layout a 16-bit file has without bit fields.
extern const TBmpMasks KBmpDefault16Masks;

// Expands the packed indices (bits 1, 4 or 8; rows at that depth's stride) at the start of a
// 24-bit image's memory in place, last row and last pixel first so no index is overwritten
// before it is read. Only the first delivered bytes hold data: pixels whose index lies past
// them are black. Row padding is never read as a pixel and ends up 0.
void BMP_ExpandPalette(TImage* image, int bits, size_t delivered);

// Reads FHeight rows of rowLength bytes from file and converts each into memory row i of the
// freshly reset (zero-filled) 24-bit image. bits is 16 or 32; masks null copies a 32-bit pixel's
// first three bytes, else every channel goes through its mask (masks wider than 8 bits keep their
// top 8 bits, an empty mask reads 0). Bytes a short read does not deliver are 0. When alphaPlane (a
// 1-bit image of the same size, as freshly made) is given, 32-bit pixels with a fourth byte of 128
// or more set its bit, and alphaSeen (when given) tells whether any alpha byte read was not 0.
// Returns 0; -1 with EC_NO_MEMORY when the row buffer can't be had.
int BMP_ConvertRows(TImage* image, std::FILE* file, int bits, uint32_t rowLength,
                    const TBmpMasks* masks, TImage* alphaPlane, bool* alphaSeen);
