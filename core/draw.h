// The pen drawing the program rasterises itself on a TImage and its mask plane: spans, the pen
// dot (one pixel or a filled disc of the pen's width), and solid, dotted and dashed lines and
// polylines. Colour, mask value and pen width come from the image's FDrawAttr, the style from
// FLineStyle. Every pixel goes through TImage_SetPixelMaskedSafe, so nothing lands outside the
// image or, with clipping on, outside its clip rectangle. Nothing here allocates.
#pragma once

#include <cstdint>

#include "core/rect.h"

struct TImage;

// Each returns 0; -1 with EC_NULL_OBJECT for a missing image (or missing points for a
// polyline of 2 or more). A success clears the last error.

// Pixels min(x0, x1) to max(x0, x1) inclusive of row y, in FColor with FMaskValue.
int TImage_DrawSpan(TImage* image, int32_t x0, int32_t x1, int32_t y);
// The pen dot at (x, y): width 1 is one pixel; a width w > 1 a filled disc w pixels across,
// centred on (x, y) for odd w and half a pixel right of and below it for even w; a width of 0
// or less draws nothing.
int TImage_DrawDot(TImage* image, int32_t x, int32_t y);
// Pen dots along the Bresenham line from (x0, y0) to (x1, y1) in FLineStyle: 0 solid (both
// ends drawn), 1 dotted (runs of FPenWidth steps on and off), 2 dashed (4 x FPenWidth steps
// on, 3 x FPenWidth off). Patterned lines run from the end with the smaller x (the second
// point when both x are equal) and start with an on run whose first step is drawn; their
// starting point itself is not drawn. Any other style value draws solid.
int TImage_DrawLine(TImage* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// count - 1 lines from each point to the next, each starting the dash pattern afresh; nothing
// for fewer than 2 points.
int TImage_DrawPolyline(TImage* image, const TPoint* points, int32_t count);
