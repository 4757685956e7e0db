// Rectangles in the two conventions the program keeps (x, y, width, height and
// left, top, right, bottom with right and bottom exclusive), points, and their conversions,
// intersections and unions. A missing argument makes an operation do nothing.
#pragma once

#include <cstdint>

struct TRectXYWH {
    int32_t x, y, width, height;
};

struct TRectLTRB {
    int32_t left, top, right, bottom; // right and bottom exclusive
};

struct TPoint {
    int32_t x, y;
};

// Each returns dst (unchanged when an argument is missing).
TRectXYWH* RectLTRBToXYWH(TRectXYWH* dst, const TRectLTRB* src);
TRectLTRB* RectXYWHToLTRB(TRectLTRB* dst, const TRectXYWH* src);
TRectLTRB* RectCopy(TRectLTRB* dst, const TRectLTRB* src);
TRectXYWH* RectCopy(TRectXYWH* dst, const TRectXYWH* src);

// a becomes a ∩ b; 0 when non-empty, -1 when empty (edges that only touch) or an argument is
// missing, a then unchanged.
int RectIntersectLTRB(TRectLTRB* a, const TRectLTRB* b);
int RectIntersectXYWH(TRectXYWH* a, const TRectXYWH* b);

// a becomes the smallest rectangle holding a and b; empty rectangles still count. Returns a.
TRectLTRB* RectUnionLTRB(TRectLTRB* a, const TRectLTRB* b);
TRectXYWH* RectUnionXYWH(TRectXYWH* a, const TRectXYWH* b);

// 0 when both exist and are equal, else -1.
int PointCompare(const TPoint* a, const TPoint* b);
