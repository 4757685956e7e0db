// The view of a work form: coordinates between the render window and the image, the zoom and its
// steps, the grid flag, scrolling, the placement of the scroll area, scroll bars and render
// window, and the routing of stylus events. Pure arithmetic on the record plus setGeometry; the
// pixels are render.cpp's. The view origin is FVisibleRect.x / y; FScrollX / FScrollY is where
// the render window sits in the scroll area.
#include "document/work_form.h"

#include <QScrollBar>
#include <QStyle>
#include <QWidget>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"

// ---- Coordinates ----

double TWorkForm_GetZoomFactor(const TWorkForm* form) {
    if (!form) return 1.0;
    if (form->FShowGrid && form->FZoom >= 2.0) return form->FZoom + 1.0;
    return form->FZoom;
}

TPoint TWorkForm_ClientToImage(const TWorkForm* form, TPoint p) {
    double z = TWorkForm_GetZoomFactor(form);
    return {int32_t(p.x / z), int32_t(p.y / z)};
}

TPoint TWorkForm_ImageToClient(const TWorkForm* form, TPoint p) {
    double z = TWorkForm_GetZoomFactor(form);
    return {int32_t(p.x * z), int32_t(p.y * z)};
}

TRectLTRB TWorkForm_ClientRectToImage(const TWorkForm* form, const TRectLTRB& r) {
    TPoint a = TWorkForm_ClientToImage(form, {r.left, r.top});
    TPoint b = TWorkForm_ClientToImage(form, {r.right, r.bottom});
    return {a.x, a.y, b.x, b.y};
}

TRectLTRB TWorkForm_ImageRectToClient(const TWorkForm* form, const TRectLTRB& r) {
    TPoint a = TWorkForm_ImageToClient(form, {r.left, r.top});
    TPoint b = TWorkForm_ImageToClient(form, {r.right, r.bottom});
    return {a.x, a.y, b.x, b.y};
}

int TWorkForm_GetStylusPoint(TWorkForm* form, TPoint* out) {
    if (!form || !out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *out = TWorkForm_ClientToImage(form, form->FStylus);
    return 0;
}

int TWorkForm_GetImageRect(TWorkForm* form, TRectXYWH* out) {
    if (!form || !out || !form->FComposite) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *out = {0, 0, form->FComposite->FWidth, form->FComposite->FHeight};
    return 0;
}

// ---- Zoom and grid ----

void TWorkForm_SetZoom(TWorkForm* form, double z) {
    if (!form) return;
    if (z > 16.0) {
        z = 16.0;
    } else {
        if (z < 0.125) z = 0.125;
        if (z > 1.0) z = double(int32_t(z));
    }
    if (z != form->FZoom) {
        // Keep the centre of what was shown last in the middle of the view.
        int32_t cx = form->FVisibleRect.x + form->FVisibleRect.width / 2;
        int32_t cy = form->FVisibleRect.y + form->FVisibleRect.height / 2;
        form->FZoom = z;
        TWorkForm_Relayout(form, nullptr);
        if (form->FRestoringZoom) {
            form->FScrollX = form->FSavedScrollX;
            form->FScrollY = form->FSavedScrollY;
        } else {
            TRectXYWH view;
            TWorkForm_GetViewRect(form, &view);
            TPoint half = TWorkForm_ClientToImage(form, {view.width / 2, view.height / 2});
            TPoint corner = TWorkForm_ImageToClient(form, {cx - half.x - 1, cy - half.y - 1});
            form->FScrollX = -corner.x;
            form->FScrollY = -corner.y;
        }
        TWorkForm_ApplyScroll(form, nullptr);
        if (z != 1.0) form->FLastZoom = z;
    }
    form->FFitMode = 0;
}

void TWorkForm_ZoomIn(TWorkForm* form) {
    if (!form) return;
    TWorkForm_SetZoom(form, form->FZoom < 1.0 ? form->FZoom + 0.2 : form->FZoom + 1.0);
}

void TWorkForm_ZoomOut(TWorkForm* form) {
    if (!form) return;
    TWorkForm_SetZoom(form, form->FZoom <= 1.0 ? form->FZoom - 0.2 : form->FZoom - 1.0);
}

void TWorkForm_FitZoom(TWorkForm* form) {
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer || layer->FWidth <= 0 || layer->FHeight <= 0) return;
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    // The ratios are taken in single precision, as the fitted zoom has always been.
    double r = double(float(view.width) / float(layer->FWidth));
    if (view.height < int32_t(layer->FHeight * r))
        r = double(float(view.height) / float(layer->FHeight));
    if (r > 1.0) r = double(int32_t(r));
    if (r >= 2.0 && form->FShowGrid) r = double(int32_t(r - 1.0));
    TWorkForm_SetZoom(form, r);
}

void TWorkForm_FitToScreen(TWorkForm* form) {
    if (!form) return;
    TWorkForm_FitZoom(form);
    TWorkForm_UpdateScrollBars(form);
    TWorkForm_FitZoom(form); // the bars may have gone, leaving more room
    form->FFitMode = 1;
}

void TWorkForm_ToggleActualSize(TWorkForm* form) {
    if (!form) return;
    if (form->FZoom == 1.0) {
        form->FRestoringZoom = 1;
        TWorkForm_SetZoom(form, form->FLastZoom);
        form->FRestoringZoom = 0;
        return;
    }
    form->FSavedScrollX = form->FScrollX;
    form->FSavedScrollY = form->FScrollY;
    TWorkForm_SetZoom(form, 1.0);
}

int TWorkForm_IsActualSize(const TWorkForm* form) {
    return form && form->FZoom == 1.0 ? 1 : 0;
}

// Grid changes only re-render: the composite stays as it is.
static void SetGrid(TWorkForm* form, int shown) {
    if (!form || form->FShowGrid == shown) return;
    form->FShowGrid = shown;
    TWorkForm_Relayout(form, nullptr);
    TWorkForm_Redraw(form, nullptr, nullptr);
}

void TWorkForm_ShowGrid(TWorkForm* form) {
    SetGrid(form, 1);
}

void TWorkForm_HideGrid(TWorkForm* form) {
    SetGrid(form, 0);
}

int TWorkForm_IsGridShown(const TWorkForm* form) {
    return form && form->FShowGrid ? 1 : 0;
}

// ---- Layout ----

static bool Shown(const QWidget* widget) {
    return widget && !widget->isHidden();
}

void TWorkForm_GetViewRect(const TWorkForm* form, TRectXYWH* out) {
    if (!out) return;
    *out = {0, 0, 0, 0};
    if (!form || !form->FWindow) return;
    out->width = form->FWindow->width();
    out->height = form->FWindow->height();
    if (Shown(form->FVScroll)) out->width -= form->FVScroll->width();
    if (Shown(form->FHScroll)) out->height -= form->FHScroll->height();
}

void TWorkForm_UpdateZoomedSize(TWorkForm* form) {
    if (!form || !form->FComposite) return;
    double z = TWorkForm_GetZoomFactor(form);
    form->FZoomedWidth = int32_t(form->FComposite->FWidth * z);
    form->FZoomedHeight = int32_t(form->FComposite->FHeight * z);
}

// One axis of ApplyScroll: the scroll clamped, or the picture centred when it is smaller.
static void PlaceAxis(int32_t view, int32_t zoomed, double z, int32_t* scroll, int32_t* origin) {
    if (view < zoomed) {
        if (*scroll < view - zoomed) *scroll = view - zoomed;
        if (*scroll > 0) *scroll = 0;
        *origin = int32_t(-*scroll / z);
    } else {
        *origin = 0;
        *scroll = (view - zoomed) / 2;
    }
}

void TWorkForm_ApplyScroll(TWorkForm* form, const TRectXYWH* rect) {
    if (!form || !form->FRenderWindow) return;
    TWorkForm_UpdateZoomedSize(form);
    QWidget* widget = form->FRenderWindow->FWidget;
    if (!widget) return;
    if (rect) {
        widget->setGeometry(rect->x, rect->y, rect->width, rect->height);
        return;
    }
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    double z = TWorkForm_GetZoomFactor(form);
    PlaceAxis(view.width, form->FZoomedWidth, z, &form->FScrollX, &form->FVisibleRect.x);
    PlaceAxis(view.height, form->FZoomedHeight, z, &form->FScrollY, &form->FVisibleRect.y);
    TWorkForm_SetScrollBarPos(form, -form->FScrollX, -form->FScrollY);
    widget->setGeometry(form->FScrollX, form->FScrollY, form->FZoomedWidth, form->FZoomedHeight);
}

// Range, page and position of one bar in one go; a bar with nothing to scroll is disabled.
static void SetBar(QScrollBar* bar, int32_t position, int32_t zoomed, int32_t view) {
    if (!bar) return;
    int32_t range = zoomed - view;
    if (position > range) position = range;
    bar->setRange(0, range > 0 ? range : 0);
    bar->setPageStep(view > 0 ? view : 1);
    bar->setValue(position);
    bar->setEnabled(range > 0);
    bar->update();
}

void TWorkForm_SetScrollBarPos(TWorkForm* form, int32_t x, int32_t y) {
    if (!form) return;
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    if (x >= 0) SetBar(form->FHScroll, x, form->FZoomedWidth, view.width);
    if (y >= 0) SetBar(form->FVScroll, y, form->FZoomedHeight, view.height);
}

void TWorkForm_UpdateScrollBars(TWorkForm* form) {
    if (!form || !form->FWindow || !form->FHScroll || !form->FVScroll) return;
    QWidget* window = form->FWindow;
    QWidget* render = form->FRenderWindow ? form->FRenderWindow->FWidget : nullptr;
    int32_t cx = window->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, window);
    int32_t cy = cx;
    int32_t left = 0, top = 0, right = window->width(), bottom = window->height();
    int32_t renderWidth = render ? render->width() : 0,
            renderHeight = render ? render->height() : 0;
    // Twice: showing one bar narrows the view and may call for the other.
    for (int pass = 0; pass < 2; ++pass) {
        TRectXYWH view;
        TWorkForm_GetViewRect(form, &view);
        if (view.width < renderWidth) {
            form->FHScroll->setGeometry(left, bottom - cy + 1, right, cy);
            form->FHScroll->show();
        } else {
            form->FHScroll->hide();
        }
        TWorkForm_GetViewRect(form, &view);
        if (view.height < renderHeight) {
            form->FVScroll->setGeometry(right - cx, top, cx, bottom);
            form->FVScroll->show();
        } else {
            form->FVScroll->hide();
        }
    }
    if (Shown(form->FHScroll) && Shown(form->FVScroll)) {
        form->FHScroll->setGeometry(left, bottom - cy + 1, right - cx + 1, cy);
        form->FVScroll->setGeometry(right - cx, top, cx, bottom - cy + 2);
        if (form->FCorner) {
            form->FCorner->setGeometry(right - cx + 1, bottom - cy + 2, cx - 1, cy - 2);
            form->FCorner->show();
            form->FCorner->raise();
        }
    } else if (form->FCorner) {
        form->FCorner->hide();
    }
    if (form->FScrollArea) {
        TRectXYWH view;
        TWorkForm_GetViewRect(form, &view);
        form->FScrollArea->setGeometry(view.x, view.y, view.width, view.height);
    }
}

void TWorkForm_Relayout(TWorkForm* form, const TRectXYWH* rect) {
    if (!form) return;
    if (rect && form->FWindow) {
        form->FWindow->setGeometry(rect->x, rect->y, rect->width, rect->height);
        form->FBounds = *rect;
    }
    TWorkForm_ApplyScroll(form, nullptr);
    TWorkForm_UpdateScrollBars(form);
    if (form->FScrollArea) {
        // One row more than the view: the horizontal bar starts a row below the view's end.
        TRectXYWH view;
        TWorkForm_GetViewRect(form, &view);
        form->FScrollArea->setGeometry(view.x, view.y, view.width, view.height + 1);
    }
    TWorkForm_ApplyScroll(form, nullptr);
}

int TWorkForm_ImageSizeChanged(TWorkForm* form) {
    TLayer* background = TWorkForm_GetBackground(form);
    if (!background) return SetLastErrorCode(form ? EC_NO_BACKGROUND : EC_NULL_OBJECT), -1;
    if (TWorkForm_MakeRenderBuffers(form, background->FWidth, background->FHeight) != 0) return -1;
    TWorkForm_Relayout(form, nullptr);
    TWorkForm_Repaint(form);
    ClearLastErrorCode();
    return 0;
}

// ---- Scrolling ----

// One axis of ScrollHorz / ScrollVert: the new position clamped, the high end last.
static void ScrollAxis(QScrollBar* bar, int32_t delta, int32_t zoomed, int32_t view, double z,
                       int32_t* scroll, int32_t* origin) {
    int32_t position = -*scroll + delta;
    if (position < 0) position = 0;
    if (position > zoomed - view) position = zoomed - view;
    if (bar) bar->setValue(position);
    *scroll = -position;
    *origin = int32_t(position / z);
}

void TWorkForm_ScrollHorz(TWorkForm* form, int32_t delta) {
    if (!form || delta == 0) return;
    TWorkForm_UpdateZoomedSize(form);
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    ScrollAxis(form->FHScroll, delta, form->FZoomedWidth, view.width, TWorkForm_GetZoomFactor(form),
               &form->FScrollX, &form->FVisibleRect.x);
}

void TWorkForm_ScrollVert(TWorkForm* form, int32_t delta) {
    if (!form || delta == 0) return;
    TWorkForm_UpdateZoomedSize(form);
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    ScrollAxis(form->FVScroll, delta, form->FZoomedHeight, view.height,
               TWorkForm_GetZoomFactor(form), &form->FScrollY, &form->FVisibleRect.y);
}

void TWorkForm_ScrollBy(TWorkForm* form, int32_t dx, int32_t dy) {
    if (!form) return;
    TWorkForm_ScrollHorz(form, dx);
    TWorkForm_ScrollVert(form, dy);
    TWorkForm_ApplyScroll(form, nullptr);
}

int32_t TWorkForm_GetLineStep(const TWorkForm* form) {
    int32_t step = int32_t(TWorkForm_GetZoomFactor(form));
    return step < 1 ? 1 : step;
}

void TWorkForm_OnScrollBar(TWorkForm* form, int vertical, int action, int32_t thumb) {
    if (!form) return;
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    int32_t page = vertical ? view.height : view.width;
    int32_t scroll = vertical ? form->FScrollY : form->FScrollX;
    int32_t delta = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        delta = -TWorkForm_GetLineStep(form);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        delta = TWorkForm_GetLineStep(form);
        break;
    case QAbstractSlider::SliderPageStepSub:
        delta = -page;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        delta = page;
        break;
    case QAbstractSlider::SliderMove:
        delta = thumb + scroll;
        break;
    default:
        break;
    }
    if (vertical)
        TWorkForm_ScrollVert(form, delta);
    else
        TWorkForm_ScrollHorz(form, delta);
    TWorkForm_ApplyScroll(form, nullptr);
}

// ---- Stylus ----

void TWorkForm_Stylus(TWorkForm* form, int event, int32_t x, int32_t y) {
    if (!form) return;
    form->FStylus = {x, y};
    if (form->FTapMode == 1) {
        // Change Color is armed: the tap is its, and only its release counts.
        if (event == TWE_UP) TWorkForm_ReplaceColourAt(form, x, y);
        return;
    }
    if (event == TWE_DOWN) form->FStylusDown = 1;
    if (event == TWE_UP) form->FStylusDown = 0;
    DocumentHost_Stylus(form, event, x, y);
}

void TWorkForm_CancelStylus(TWorkForm* form) {
    if (!form || !form->FStylusDown) return;
    form->FStylusDown = 0;
    DocumentHost_Stylus(form, TWE_CANCEL, form->FStylus.x, form->FStylus.y);
}
