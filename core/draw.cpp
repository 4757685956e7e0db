// Spans, pen dots and dashed lines on a TImage through the checked masked writes of image.cpp.
// Coordinates far outside the image are fine: spans are narrowed to the image before the
// per-pixel writes (which would skip those pixels anyway) and the line arithmetic runs in
// 64 bits, so no end point pair can overflow it.
#include "core/draw.h"

#include "core/error.h"
#include "core/image.h"

// A span with 64-bit ends (disc rows can reach past the int32 range); only the part inside
// the image is walked, the clip is left to the checked write.
static void DrawSpan64(TImage* image, int64_t x0, int64_t x1, int64_t y) {
    if (y < 0 || y >= image->FHeight) return;
    int64_t lo = x0 < x1 ? x0 : x1;
    int64_t hi = x0 < x1 ? x1 : x0;
    if (lo < 0) lo = 0;
    if (hi > int64_t(image->FWidth) - 1) hi = int64_t(image->FWidth) - 1;
    const uint32_t color = image->FDrawAttr.FColor, mask = image->FDrawAttr.FMaskValue;
    for (int64_t x = lo; x <= hi; ++x)
        TImage_SetPixelMaskedSafe(image, int32_t(x), int32_t(y), color, mask);
}

int TImage_DrawSpan(TImage* image, int32_t x0, int32_t x1, int32_t y) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    DrawSpan64(image, x0, x1, y);
    ClearLastErrorCode();
    return 0;
}

// The four rows of one midpoint step: rows y + o - r and y + r span x + o - i .. x + i, rows
// y + o - i and y + i span x + o - r .. x + r, each drawn as two halves meeting at column x.
static void DrawDiscSpans(TImage* image, int64_t x, int64_t y, int64_t i, int64_t r, int64_t o) {
    const int64_t rows[4] = {y + o - r, y + r, y + o - i, y + i};
    const int64_t half[4] = {i, i, r, r};
    for (int k = 0; k < 4; ++k) {
        DrawSpan64(image, x + o - half[k], x, rows[k]);
        DrawSpan64(image, x, x + half[k], rows[k]);
    }
}

static void DrawDotUnchecked(TImage* image, int32_t x, int32_t y) {
    const int32_t w = image->FDrawAttr.FPenWidth;
    if (w <= 0) return;
    if (w == 1) {
        TImage_SetPixelMaskedSafe(image, x, y, image->FDrawAttr.FColor,
                                  image->FDrawAttr.FMaskValue);
        return;
    }
    // Midpoint circle filled with spans; d stays below 8 r, so 64 bits hold any width.
    int64_t r = w / 2, i = 0, d = 3 - 2 * r;
    const int64_t o = (w % 2 == 0) ? 1 : 0;
    while (i < r) {
        DrawDiscSpans(image, x, y, i, r, o);
        if (d < 0) {
            d += 4 * i + 6;
        } else {
            d += 4 * (i - r) + 10;
            --r;
        }
        ++i;
    }
    if (i == r) DrawDiscSpans(image, x, y, i, r, o);
}

int TImage_DrawDot(TImage* image, int32_t x, int32_t y) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    DrawDotUnchecked(image, x, y);
    ClearLastErrorCode();
    return 0;
}

// On/off runs counted in line steps; the step that flips the state is drawn only when it
// turns drawing on.
struct TDash {
    bool FPatterned;
    bool FOn;
    int64_t FCounter, FLength, FOnLength, FOffLength;
};

static TDash DashFor(const TImage* image) {
    const int64_t w = image->FDrawAttr.FPenWidth;
    TDash dash = {false, true, 0, 0, 0, 0};
    if (image->FLineStyle == 1) {
        dash.FPatterned = true;
        dash.FOnLength = dash.FOffLength = w;
    } else if (image->FLineStyle == 2) {
        dash.FPatterned = true;
        dash.FOnLength = 4 * w;
        dash.FOffLength = 3 * w;
    }
    dash.FLength = dash.FOnLength;
    return dash;
}

// Returns whether the step just taken is drawn.
static bool DashStep(TDash* dash) {
    if (!dash->FPatterned) return true;
    if (++dash->FCounter == dash->FLength) {
        dash->FCounter = 0;
        dash->FOn = !dash->FOn;
        dash->FLength = dash->FOn ? dash->FOnLength : dash->FOffLength;
    }
    return dash->FOn;
}

static void DrawLineUnchecked(TImage* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const bool firstIsStart = x0 < x1;
    const int32_t xa = firstIsStart ? x0 : x1, ya = firstIsStart ? y0 : y1;
    const int32_t xb = firstIsStart ? x1 : x0, yb = firstIsStart ? y1 : y0;
    TDash dash = DashFor(image);
    if (!dash.FPatterned) DrawDotUnchecked(image, xa, ya);
    const int32_t sy = yb > ya ? 1 : -1;
    const int64_t dy = yb > ya ? int64_t(yb) - ya : int64_t(ya) - yb;
    const int64_t dx = int64_t(xb) - xa;
    int32_t x = xa, y = ya;
    if (dx < dy) {
        int64_t e = 2 * dx - dy;
        while (y != yb) {
            const int64_t next = e <= 0 ? e + 2 * dx : e + 2 * dx - 2 * dy;
            const bool on = DashStep(&dash);
            y += sy;
            if (e > 0) ++x;
            if (on) DrawDotUnchecked(image, x, y);
            e = next;
        }
    } else {
        int64_t e = 2 * dy - dx;
        while (x != xb) {
            const int64_t next = e > 0 ? e + 2 * dy - 2 * dx : e + 2 * dy;
            const bool on = DashStep(&dash);
            ++x;
            if (e > 0) y += sy;
            if (on) DrawDotUnchecked(image, x, y);
            e = next;
        }
    }
    if (!dash.FPatterned) DrawDotUnchecked(image, xb, yb);
}

int TImage_DrawLine(TImage* image, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    DrawLineUnchecked(image, x0, y0, x1, y1);
    ClearLastErrorCode();
    return 0;
}

int TImage_DrawPolyline(TImage* image, const TPoint* points, int32_t count) {
    if (!image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (count >= 2 && !points) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    for (int32_t k = 0; k + 1 < count; ++k)
        DrawLineUnchecked(image, points[k].x, points[k].y, points[k + 1].x, points[k + 1].y);
    ClearLastErrorCode();
    return 0;
}
