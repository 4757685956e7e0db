// Geometric transforms of a whole image: resizing by nearest sample or smoothly (a bilinear
// filter that respects the mask plane), rotation by a quarter or half turn, and mirroring.
// Resizing and rotation build a new image of the source's depth, row order, mask plane and
// palette; mirroring works in place. Colour and mask plane always move together. An image
// without a mask plane is treated as fully visible (and its results have none either).
#pragma once

#include <cstdint>

struct TImage;

// A new w x h image: TImage_ResizeSmooth when smooth is non-zero, else TImage_ResizeNearest.
// Null with EC_NULL_OBJECT for a missing or empty image or a w or h of 0 or less, with
// EC_NO_MEMORY when the new image can't be made; the source is never changed.
TImage* TImage_Resize(const TImage* image, int32_t w, int32_t h, int smooth);
// Each destination pixel takes the source pixel at truncate(j * sw / w), truncate(i * sh / h)
// (single precision); transparent samples leave it black and transparent.
TImage* TImage_ResizeNearest(const TImage* image, int32_t w, int32_t h);
// Bilinear in single precision over the four neighbours; a pixel needs at least two visible
// samples and a non-zero interpolated mask, and transparent samples take the average colour
// of the visible ones so they never darken an edge.
TImage* TImage_ResizeSmooth(const TImage* image, int32_t w, int32_t h);

// degrees % 360 (sign kept): -90 a quarter turn clockwise, 90 counter-clockwise, 180 or -180
// a half turn. Any other remainder (0, 270 and -270 included) gives null and no error; a
// missing image gives null with EC_NULL_OBJECT, a failed allocation null with EC_NO_MEMORY.
TImage* TImage_Rotate(const TImage* image, int degrees);

// Mirrors in place: vertical 0 left-right, 1 top-bottom, any other value nothing.
// 0, or -1 with EC_NULL_OBJECT (missing image) or EC_NO_MEMORY (row buffer).
int TImage_Flip(TImage* image, int vertical);
