// What the geometric transforms (transform.cpp, resize.cpp) share: which sources they accept,
// how their new image is made, row addressing on raw memory, and the raw pixel access of the
// depths that have no fast path. Not part of the raster core's public interface.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image.h"

// Picture row y of a plane as first + y * step, so inner loops need no call per row.
struct TRowWalk {
    uint8_t* first;
    ptrdiff_t step;
    uint8_t* operator()(int32_t y) const { return first + step * ptrdiff_t(y); }
};

inline TRowWalk TransformRows(const TImage* plane) {
    ptrdiff_t stride = plane->FStride;
    if (plane->FFlags & TIF_BOTTOMUP)
        return {plane->FBits + stride * ptrdiff_t(plane->FHeight - 1), -stride};
    return {plane->FBits, stride};
}

// 0 when image can be transformed: present, with pixel memory, a known depth and, when it has
// one, a mask plane of its own size. Else -1 with EC_NULL_OBJECT.
int TransformCheckSource(const TImage* image);

// A new w x h image with like's depth, TIF_BOTTOMUP, mask plane (when like has one) and
// palette; null with the last error of the failed creation.
TImage* TransformCreateLike(const TImage* like, int32_t w, int32_t h);

// The stored bits of a pixel at any depth (2 and 4 bits included, which the colour access
// does not reach), for the slow paths that move pixels unchanged.
uint32_t TransformGetRaw(const TImage* plane, int32_t x, int32_t y);
void TransformSetRaw(TImage* plane, int32_t x, int32_t y, uint32_t value);

// Tests turn the vector kernels of 3-byte pixels off (0) and on again (the default) to check
// the plain kernels on machines that have both.
void TransformSetVectorKernels(int enabled);
