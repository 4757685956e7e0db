// Rasterising the figures: rectangles, ellipses and lines become row spans of pen and brush,
// computed once in 64-bit (ellipses in exact 128-bit integer arithmetic) and handed to the span
// painters of gdi_paint.cpp, so every depth receives the same pixels. Only rows inside the clip
// are ever computed, whatever the figure's size.
#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/gdi_internal.h"

namespace {
// The pen and brush of one figure on one context; either may be absent.
struct TFigure {
    TGdiPainter FPen, FBrush;
    bool FHasPen, FHasBrush;
    int64_t FPenWidth; // 1 for the null pen: the figure then covers what a width-1 figure does
    TGdiRect FBox;     // the context's drawing box
};

bool MakeFigure(const TGdiDC* dc, TFigure* f) {
    if (!GdiDrawBox(dc, &f->FBox)) return false;
    int invert = dc->FRop2 == GDI_R2_NOT;
    f->FHasPen = dc->FPen->FStyle != GDI_PS_NULL;
    f->FHasBrush = dc->FBrush->FStyle == 0;
    f->FPenWidth = f->FHasPen ? dc->FPen->FPenWidth : 1;
    if (f->FHasPen) GdiMakePainter(dc, dc->FPen->FColor, invert, &f->FPen);
    if (f->FHasBrush) GdiMakePainter(dc, dc->FBrush->FColor, invert, &f->FBrush);
    return f->FHasPen || f->FHasBrush;
}

void OrderBox(int64_t* l, int64_t* t, int64_t* r, int64_t* b) {
    if (*l > *r) std::swap(*l, *r);
    if (*t > *b) std::swap(*t, *b);
}

// ---- Ellipses ----

typedef unsigned __int128 TU128;

uint64_t ISqrt(TU128 n) {
    uint64_t x = uint64_t(std::sqrt(static_cast<long double>(n)));
    while (TU128(x) * x > n)
        --x;
    while (TU128(x + 1) * (x + 1) <= n)
        ++x;
    return x;
}

// A filled ellipse in doubled coordinates: centre (FSx, FSy) / 2, semi-axes FA / 2, FB / 2.
// Pixel (x, y) is inside when (2x - Sx)^2 / A^2 + (2y - Sy)^2 / B^2 <= 1.
struct TEllipse {
    int64_t FSx, FSy, FA, FB;
};

struct TSpan {
    int64_t FLeft, FRight; // inclusive; empty when FLeft > FRight
};

const TSpan KEmpty = {1, 0};

int64_t FloorDiv2(int64_t v) {
    return v >= 0 ? v / 2 : -((-v + 1) / 2);
}

TSpan EllipseRow(const TEllipse& e, int64_t y) {
    if (e.FA <= 0 || e.FB <= 0) return KEmpty;
    int64_t dy = 2 * y - e.FSy;
    if (dy < 0) dy = -dy;
    if (dy > e.FB) return KEmpty;
    int64_t half; // the largest |2x - Sx| inside
    if (e.FA < (int64_t(1) << 31) && e.FB < (int64_t(1) << 31)) {
        TU128 a2 = TU128(e.FA) * TU128(e.FA), b2 = TU128(e.FB) * TU128(e.FB);
        TU128 rest = b2 - TU128(dy) * TU128(dy);
        half = int64_t(ISqrt(a2 * rest / b2));
    } else { // beyond any bitmap: exactness no longer shows
        long double q = static_cast<long double>(dy) / e.FB;
        half = int64_t(e.FA * std::sqrt(std::max<long double>(0, 1 - q * q)));
    }
    // x from ceil((Sx - half) / 2) to floor((Sx + half) / 2): mirror images about the centre.
    return TSpan{-FloorDiv2(half - e.FSx), FloorDiv2(e.FSx + half)};
}

// Interior pixels: inside, with all four neighbours inside.
TSpan Interior(const TSpan& above, const TSpan& here, const TSpan& below) {
    TSpan s = {std::max({here.FLeft + 1, above.FLeft, below.FLeft}),
               std::min({here.FRight - 1, above.FRight, below.FRight})};
    if (above.FLeft > above.FRight || below.FLeft > below.FRight) return KEmpty;
    return s;
}

void EllipseSpans(const TFigure& f, int64_t l, int64_t t, int64_t r, int64_t b) {
    int64_t w = f.FPenWidth;
    int64_t sx = l + r - 1, sy = t + b - 1, da = r - 1 - l, db = b - 1 - t;
    TEllipse outer = {sx, sy, da + w, db + w};
    TEllipse inner = {sx, sy, da - w + 2, db - w + 2};
    int64_t y0 = std::max<int64_t>(f.FBox.top, -FloorDiv2(outer.FB - sy));
    int64_t y1 = std::min<int64_t>(f.FBox.bottom, FloorDiv2(sy + outer.FB) + 1);
    if (y0 >= y1) return;
    TSpan above = EllipseRow(inner, y0 - 1), here = EllipseRow(inner, y0);
    for (int64_t y = y0; y < y1; ++y) {
        TSpan below = EllipseRow(inner, y + 1);
        TSpan out = EllipseRow(outer, y);
        TSpan in = Interior(above, here, below);
        bool hole = in.FLeft <= in.FRight;
        if (!f.FHasPen) {
            GdiPaintSpan(f.FBrush, y, out.FLeft, out.FRight + 1);
        } else if (!hole) {
            GdiPaintSpan(f.FPen, y, out.FLeft, out.FRight + 1);
        } else {
            GdiPaintSpan(f.FPen, y, out.FLeft, in.FLeft);
            GdiPaintSpan(f.FPen, y, in.FRight + 1, out.FRight + 1);
            if (f.FHasBrush) GdiPaintSpan(f.FBrush, y, in.FLeft, in.FRight + 1);
        }
        above = here;
        here = below;
    }
}

// ---- Lines ----

// Row spans of a figure, one per row: the union of a wide pen along a line is one run per row.
std::vector<TSpan>& SpanTable() {
    thread_local std::vector<TSpan> table;
    return table;
}

// The pen's footprint: for each of its w rows, the first and last column, relative to the
// line's pixel.
struct TFootprint {
    int64_t FWidth, FHalf;
    std::vector<TSpan> FRows;
};

void MakeFootprint(int64_t w, TFootprint* fp) {
    fp->FWidth = w;
    fp->FHalf = w / 2;
    fp->FRows.assign(size_t(w), KEmpty);
    for (int64_t j = 0; j < w; ++j) {
        int64_t dj = 2 * j + 1 - w, room = w * w - dj * dj;
        for (int64_t i = 0; i < w; ++i) {
            int64_t di = 2 * i + 1 - w;
            if (di * di <= room) {
                fp->FRows[size_t(j)] = TSpan{i - fp->FHalf, w - 1 - i - fp->FHalf};
                break;
            }
        }
    }
}

// Walks the line's pixels along its major axis from index first to last (inclusive), minor
// coordinate minor0 + sMinor * floor((2 i dMinor + dMajor) / (2 dMajor)); calls visit(i, minor).
template <class F>
void WalkLine(int64_t dMajor, int64_t dMinor, int64_t minor0, int64_t sMinor, int64_t first,
              int64_t last, F visit) {
    if (first > last) return;
    int64_t den = 2 * dMajor;
    if (den == 0) {
        visit(first, minor0);
        return;
    }
    __int128 num = __int128(2) * first * dMinor + dMajor;
    int64_t q = int64_t(num / den), rem = int64_t(num % den);
    for (int64_t i = first; i <= last; ++i) {
        visit(i, minor0 + sMinor * q);
        rem += 2 * dMinor;
        if (rem >= den) {
            rem -= den;
            ++q;
        }
    }
}

// Range of step indices 0..count whose major coordinate a0 + s * i lies in [lo, hi).
void IndexRange(int64_t a0, int64_t s, int64_t count, int64_t lo, int64_t hi, int64_t* first,
                int64_t* last) {
    if (s > 0) {
        *first = std::max<int64_t>(0, lo - a0);
        *last = std::min<int64_t>(count, hi - 1 - a0);
    } else {
        *first = std::max<int64_t>(0, a0 - (hi - 1));
        *last = std::min<int64_t>(count, a0 - lo);
    }
}

void ThinLine(const TGdiPainter& pen, const TGdiRect& box, int64_t x0, int64_t y0, int64_t x1,
              int64_t y1) {
    int64_t dx = x1 - x0, dy = y1 - y0, ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1, first, last;
    if (ax == 0 && ay == 0) return;
    if (ax >= ay) {
        IndexRange(x0, sx, ax - 1, box.left, box.right, &first, &last);
        // Pixels of one row come in runs: painted as one span each.
        int64_t runStart = 0, runEnd = -1, runY = 0;
        WalkLine(ax, ay, y0, sy, first, last, [&](int64_t i, int64_t y) {
            int64_t x = x0 + sx * i;
            if (runEnd >= runStart && y == runY && (x == runEnd + 1 || x == runStart - 1)) {
                runStart = std::min(runStart, x);
                runEnd = std::max(runEnd, x);
                return;
            }
            if (runEnd >= runStart) GdiPaintSpan(pen, runY, runStart, runEnd + 1);
            runStart = runEnd = x;
            runY = y;
        });
        if (runEnd >= runStart) GdiPaintSpan(pen, runY, runStart, runEnd + 1);
    } else {
        IndexRange(y0, sy, ay - 1, box.top, box.bottom, &first, &last);
        WalkLine(ay, ax, x0, sx, first, last,
                 [&](int64_t i, int64_t x) { GdiPaintSpan(pen, y0 + sy * i, x, x + 1); });
    }
}

void WideLine(const TGdiPainter& pen, const TGdiRect& box, int64_t w, int64_t x0, int64_t y0,
              int64_t x1, int64_t y1) {
    TFootprint fp;
    MakeFootprint(w, &fp);
    int64_t before = fp.FHalf, after = w - 1 - fp.FHalf; // footprint reach around its pixel
    int64_t dx = x1 - x0, dy = y1 - y0, ax = dx < 0 ? -dx : dx, ay = dy < 0 ? -dy : dy;
    int64_t sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1, first, last;
    int64_t top = std::max<int64_t>(box.top, std::min(y0, y1) - before);
    int64_t bottom = std::min<int64_t>(box.bottom, std::max(y0, y1) + after + 1);
    if (top >= bottom) return;
    std::vector<TSpan>& table = SpanTable();
    table.assign(size_t(bottom - top), KEmpty);
    auto stamp = [&](int64_t x, int64_t y) {
        for (int64_t j = std::max(top, y - before); j < std::min(bottom, y + after + 1); ++j) {
            const TSpan& row = fp.FRows[size_t(j - y + before)];
            TSpan& cell = table[size_t(j - top)];
            if (cell.FLeft > cell.FRight) {
                cell = TSpan{x + row.FLeft, x + row.FRight};
            } else {
                cell.FLeft = std::min(cell.FLeft, x + row.FLeft);
                cell.FRight = std::max(cell.FRight, x + row.FRight);
            }
        }
    };
    if (ax >= ay) {
        IndexRange(x0, sx, ax, box.left - after, box.right + before, &first, &last);
        WalkLine(ax, ay, y0, sy, first, last, [&](int64_t i, int64_t y) { stamp(x0 + sx * i, y); });
    } else {
        IndexRange(y0, sy, ay, top - after, bottom + before, &first, &last);
        WalkLine(ay, ax, x0, sx, first, last, [&](int64_t i, int64_t x) { stamp(x, y0 + sy * i); });
    }
    for (int64_t y = top; y < bottom; ++y) {
        const TSpan& cell = table[size_t(y - top)];
        if (cell.FLeft <= cell.FRight) GdiPaintSpan(pen, y, cell.FLeft, cell.FRight + 1);
    }
}
} // namespace

int Gdi_Rectangle(TGdiDC* dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!dc) return 0;
    int64_t l = left, t = top, r = right, b = bottom;
    OrderBox(&l, &t, &r, &b);
    TFigure f;
    if (l == r || t == b || !MakeFigure(dc, &f)) return 1;
    if (!f.FHasPen) {
        for (int64_t y = std::max<int64_t>(t, f.FBox.top); y < std::min<int64_t>(b, f.FBox.bottom);
             ++y)
            GdiPaintSpan(f.FBrush, y, l, r);
        return 1;
    }
    // The w x w pen swept along the width-1 frame: outer edge and the hole inside it.
    int64_t w = f.FPenWidth, k = w / 2;
    int64_t ol = l - k, ot = t - k, orr = r + w - 1 - k, ob = b + w - 1 - k;
    int64_t hl = l + w - k, ht = t + w - k, hr = r - 1 - k, hb = b - 1 - k;
    bool hole = hl < hr && ht < hb;
    for (int64_t y = std::max<int64_t>(ot, f.FBox.top); y < std::min<int64_t>(ob, f.FBox.bottom);
         ++y) {
        if (hole && y >= ht && y < hb) {
            GdiPaintSpan(f.FPen, y, ol, hl);
            GdiPaintSpan(f.FPen, y, hr, orr);
            if (f.FHasBrush) GdiPaintSpan(f.FBrush, y, hl, hr);
        } else {
            GdiPaintSpan(f.FPen, y, ol, orr);
        }
    }
    return 1;
}

int Gdi_Ellipse(TGdiDC* dc, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (!dc) return 0;
    int64_t l = left, t = top, r = right, b = bottom;
    OrderBox(&l, &t, &r, &b);
    TFigure f;
    if (l == r || t == b || !MakeFigure(dc, &f)) return 1;
    EllipseSpans(f, l, t, r, b);
    return 1;
}

int Gdi_MoveTo(TGdiDC* dc, int32_t x, int32_t y, TGdiPoint* old) {
    if (!dc) return 0;
    if (old) *old = dc->FPos;
    dc->FPos = TGdiPoint{x, y};
    return 1;
}

int Gdi_LineTo(TGdiDC* dc, int32_t x, int32_t y) {
    if (!dc) return 0;
    TGdiPoint from = dc->FPos;
    dc->FPos = TGdiPoint{x, y};
    const TGdiObject* pen = dc->FPen;
    TGdiPainter painter;
    if (pen->FStyle == GDI_PS_NULL) return 1;
    if (!GdiMakePainter(dc, pen->FColor, dc->FRop2 == GDI_R2_NOT, &painter)) return 1;
    if (pen->FPenWidth <= 1)
        ThinLine(painter, painter.FBox, from.x, from.y, x, y);
    else
        WideLine(painter, painter.FBox, pen->FPenWidth, from.x, from.y, x, y);
    return 1;
}
