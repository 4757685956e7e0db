// Rectangle conversions, intersection and union.
#include "core/rect.h"

#include <algorithm>

TRectXYWH* RectLTRBToXYWH(TRectXYWH* dst, const TRectLTRB* src) {
    if (!dst || !src) return dst;
    TRectXYWH r = {src->left, src->top, src->right - src->left, src->bottom - src->top};
    *dst = r;
    return dst;
}

TRectLTRB* RectXYWHToLTRB(TRectLTRB* dst, const TRectXYWH* src) {
    if (!dst || !src) return dst;
    TRectLTRB r = {src->x, src->y, src->x + src->width, src->y + src->height};
    *dst = r;
    return dst;
}

TRectLTRB* RectCopy(TRectLTRB* dst, const TRectLTRB* src) {
    if (dst && src) *dst = *src;
    return dst;
}

TRectXYWH* RectCopy(TRectXYWH* dst, const TRectXYWH* src) {
    if (dst && src) *dst = *src;
    return dst;
}

int RectIntersectLTRB(TRectLTRB* a, const TRectLTRB* b) {
    if (!a || !b) return -1;
    if (a->left >= b->right || a->top >= b->bottom || b->left >= a->right || b->top >= a->bottom)
        return -1;
    a->left = std::max(a->left, b->left);
    a->top = std::max(a->top, b->top);
    a->right = std::min(a->right, b->right);
    a->bottom = std::min(a->bottom, b->bottom);
    return 0;
}

int RectIntersectXYWH(TRectXYWH* a, const TRectXYWH* b) {
    if (!a || !b) return -1;
    TRectLTRB la, lb;
    RectXYWHToLTRB(&la, a);
    RectXYWHToLTRB(&lb, b);
    if (RectIntersectLTRB(&la, &lb) != 0) return -1;
    RectLTRBToXYWH(a, &la);
    return 0;
}

TRectLTRB* RectUnionLTRB(TRectLTRB* a, const TRectLTRB* b) {
    if (!a || !b) return a;
    a->left = std::min(a->left, b->left);
    a->top = std::min(a->top, b->top);
    a->right = std::max(a->right, b->right);
    a->bottom = std::max(a->bottom, b->bottom);
    return a;
}

TRectXYWH* RectUnionXYWH(TRectXYWH* a, const TRectXYWH* b) {
    if (!a || !b) return a;
    TRectLTRB la, lb;
    RectXYWHToLTRB(&la, a);
    RectXYWHToLTRB(&lb, b);
    RectUnionLTRB(&la, &lb);
    RectLTRBToXYWH(a, &la);
    return a;
}

int PointCompare(const TPoint* a, const TPoint* b) {
    if (!a || !b) return -1;
    return (a->x == b->x && a->y == b->y) ? 0 : -1;
}
