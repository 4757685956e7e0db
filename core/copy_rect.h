// Copying a rectangle between two images in memory, clipped to both, with a transparent
// merge wherever the source has a mask plane. The raster operation codes are the platform's.
#pragma once

#include <cstdint>

struct TImage;

enum : uint32_t {
    ROP_SRCCOPY = 0xCC0020, // copy the source
    ROP_MERGE = 0xEE0086    // selects the per-pixel merge of any depths
};

// Copies the w x h rectangle at (sx, sy) of src to (x, y) of dst, clipped to both images; a
// pixel keeps its offset from the rectangle's corner on both sides. With a source mask plane
// only visible source pixels are written, with their mask (rop ROP_MERGE: any depths, pixel by
// pixel; other rops: 24-bit images only); without one the colour rows are copied (24-bit or
// 1-bit destinations) and the destination mask is not touched. Within one image, overlapping
// rectangles give what copying from a copy of the source would.
// Returns 0, the last error left as it was; -1 with EC_NULL_OBJECT for a missing image or
// pixel memory, EC_EMPTY_AREA when either rectangle misses its image.
int TImage_CopyRect(TImage* dst, int32_t x, int32_t y, int32_t w, int32_t h, const TImage* src,
                    int32_t sx, int32_t sy, uint32_t rop);
