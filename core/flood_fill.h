// The seed flood fill of a TImage: fills the 4-connected region of like pixels around a seed
// with the image's FDrawAttr colour and mask value. Scan-line fill over a segment stack that
// grows with the region, so a region of any size or shape is filled completely. Besides the
// stack a fill takes one bit a window pixel for its bitmap of pixels still to fill.
#pragma once

#include <cstdint>

struct TImage;
struct TRectLTRB;

// Fills the region around (x, y) inside the window (the image, narrowed to FClipRect when
// FClipOn is set). A pixel belongs to the region when it and the seed are both visible and its
// colour equals the seed's exactly, or when both are transparent (whatever their colours).
// Every pixel of the region receives FColor in the colour plane and FMaskValue in the mask
// plane, separately (a transparent fill leaves the colour under a clear mask bit); the image's
// clip governs both planes.
// Returns 0 after filling; 1 with nothing written when the seed lies outside the window, the
// image has no pixel memory, or filling would change nothing (the seed already reads as the
// fill would leave it, or a transparent seed is filled transparent); -1 with EC_NO_MEMORY when
// the segment stack cannot be allocated (nothing written) or cannot grow (the region is then
// left partly filled); -1 with EC_NULL_OBJECT for a missing image or a mask plane without
// pixel memory or of another size. 0 and 1 clear the last error.
int TImage_FloodFill(TImage* image, int32_t x, int32_t y);
// TImage_FloodFill, which also gives in changed (when not null) the bounding rectangle of every
// pixel it wrote, in the image's pixels: so a fill that stopped part-way (-1 with a non-empty
// rectangle) can still be undone. All zero when nothing was written.
int TImage_FloodFillRect(TImage* image, int32_t x, int32_t y, TRectLTRB* changed);

// The most memory, in bytes, one fill may take for its bitmap (a little over one bit a window
// pixel); above it, or when the memory cannot be had, the fill tests pixels one by one, with
// the same result, more slowly. Unlimited unless set.
void TImage_SetFloodFillBitmapLimit(uint64_t bytes);
// The most segments one fill may keep pending, so that a fill can be cut short on purpose: a
// fill that needs more ends part-way with -1 and EC_NO_MEMORY, as when memory runs out, and 0
// lets no fill start. Unlimited unless set.
void TImage_SetFloodFillStackLimit(uint64_t segments);
