// Rendering: the composite and preview surfaces and the off-screen buffer; composing the visible
// layers and the floating selection over the secondary colour; stretching the visible part of
// the composite (or preview) by the zoom into the off-screen buffer, the grid over it, and the
// copy to the render window's context; the marching ants. Only the visible part is ever
// stretched and nothing is allocated per paint: the off-screen buffer grows only when the view
// outgrows it, and the grid pen and the fill brush are kept between calls.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include <QGuiApplication>
#include <QPalette>

#include "core/copy_rect.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/work_form.h"
#include "document/work_form_windows.h"
#include "platform/qt/colour.h"
#include "platform/qt/window_dc.h"

namespace {
// What a render may draw beyond the view: two image pixels at the largest effective zoom (16,
// and 17 with the grid).
const int32_t KOffscreenMargin = 34;

// The shared state of the marching ants: the colour the first dash starts with and the dash
// counter its first pixel starts from (0 to 3); every work form's outline follows it.
uint32_t GOutlineColour = 0;
int32_t GOutlinePhase = 0;

TRenderCounts GRenderCounts = {0, 0};

// A surface record made zero-filled and bound at w x h; null with the last error.
TLayer* MakeSurface(int32_t w, int32_t h) {
    TLayer* surface = static_cast<TLayer*>(std::calloc(1, sizeof(TLayer)));
    if (!surface) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    if (TLayer_CreateFor(surface, TLayer_ReferenceDC(), w, h, 24, 1) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(surface);
        SetLastErrorCode(code ? code : EC_NO_MEMORY);
        return nullptr;
    }
    return surface;
}

// The brush of the secondary colour, remade only when the colour changes.
TGdiObject* SecondaryBrush() {
    static TGdiObject* brush = nullptr;
    static TGdiColor colour = 0;
    TGdiColor wanted = DocumentHost_GetSecondaryColor() & 0xFFFFFF;
    if (!brush || colour != wanted) {
        TGdiObject* made = Gdi_CreateSolidBrush(wanted);
        if (!made) return nullptr;
        Gdi_DeleteObject(brush);
        brush = made;
        colour = wanted;
    }
    return brush;
}

// The pen of the desktop's button-shadow colour, remade only when the palette changes it.
TGdiObject* GridPen() {
    static TGdiObject* pen = nullptr;
    static TGdiColor colour = 0;
    TGdiColor wanted = Colour_FromQRgb(QGuiApplication::palette().color(QPalette::Dark).rgb());
    if (!pen || colour != wanted) {
        TGdiObject* made = Gdi_CreatePen(GDI_PS_SOLID, 1, wanted);
        if (!made) return pen;
        Gdi_DeleteObject(pen);
        pen = made;
        colour = wanted;
    }
    return pen;
}

bool Empty(const TRectXYWH& r) {
    return r.width <= 0 || r.height <= 0;
}

// Below zoom 1 the two image pixels of margin can end a screen pixel or two before the edge of
// the render window's visible part, which would go on showing what was there before. The last
// column and row drawn are repeated up to that edge (which pixels a reduction keeps is ours to
// choose). fullRight and fullBottom end what a render of the whole visible part draws; drawn
// grows by what was filled.
void FillWindowEdges(const TRenderTarget* target, TRectLTRB* drawn, int32_t fullRight,
                     int32_t fullBottom) {
    const int32_t KMaxGap = 2;
    TGdiBitmapInfo info;
    if (!Gdi_GetBitmapInfo(Gdi_GetCurrentObject(target->FDC, GDI_OBJ_BITMAP), &info)) return;
    int32_t ox = target->FOriginX, oy = target->FOriginY;
    int32_t right = std::min(ox + info.FWidth, fullRight + KMaxGap);
    int32_t bottom = std::min(oy + info.FHeight, fullBottom + KMaxGap);
    if (drawn->right == fullRight && right > drawn->right) {
        for (int32_t x = drawn->right; x < right; ++x)
            Gdi_BitBlt(target->FDC, x - ox, drawn->top - oy, 1, drawn->bottom - drawn->top,
                       target->FDC, drawn->right - 1 - ox, drawn->top - oy, GDI_SRCCOPY);
        drawn->right = right;
    }
    if (drawn->bottom == fullBottom && bottom > drawn->bottom) {
        for (int32_t y = drawn->bottom; y < bottom; ++y)
            Gdi_BitBlt(target->FDC, drawn->left - ox, y - oy, drawn->right - drawn->left, 1,
                       target->FDC, drawn->left - ox, drawn->bottom - 1 - oy, GDI_SRCCOPY);
        drawn->bottom = bottom;
    }
}

// Inverts the pixels of the one-pixel outline of band (render-window client pixels, right and
// bottom exclusive) that lie inside limit, on the target's context: inverting twice restores
// them. Each pixel of the outline is inverted once, however thin the band.
void InvertBand(const TRenderTarget* target, const TRectLTRB& band, const TRectLTRB& limit) {
    if (band.right <= band.left || band.bottom <= band.top) return;
    const TRectLTRB edges[4] = {
        {band.left, band.top, band.right, band.top + 1},
        {band.left, band.bottom - 1, band.right, band.bottom},
        {band.left, band.top + 1, band.left + 1, band.bottom - 1},
        {band.right - 1, band.top + 1, band.right, band.bottom - 1},
    };
    const int count = band.bottom - band.top == 1 ? 1 : band.right - band.left == 1 ? 3 : 4;
    TGdiDC* dc = target->FDC;
    int mode = Gdi_SetROP2(dc, GDI_R2_NOT);
    TGdiObject* pen = Gdi_SelectObject(dc, Gdi_GetStockObject(GDI_NULL_PEN));
    TGdiObject* brush = Gdi_SelectObject(dc, Gdi_GetStockObject(GDI_BLACK_BRUSH));
    for (int i = 0; i < count; ++i) {
        TRectLTRB e = edges[i];
        if (RectIntersectLTRB(&e, &limit) != 0) continue;
        Gdi_Rectangle(dc, e.left - target->FOriginX, e.top - target->FOriginY,
                      e.right - target->FOriginX, e.bottom - target->FOriginY);
    }
    Gdi_SelectObject(dc, brush);
    Gdi_SelectObject(dc, pen);
    Gdi_SetROP2(dc, mode);
}

// Render, telling the caller which client rectangle of the render window it drew (empty when
// nothing was drawn).
int RenderInto(TWorkForm* form, const TRenderTarget* target, const TRectXYWH* rect, int flags,
               TRectLTRB* drawn) {
    ++GRenderCounts.FRenders;
    *drawn = {0, 0, 0, 0};
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TLayer* composite = form->FComposite;
    if (!composite || !composite->FImage || !composite->FDC)
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (!target || !target->FDC) return SetLastErrorCode(EC_NULL_DC), -1;
    bool grid = form->FZoom >= 2.0 && form->FShowGrid;
    double z = grid ? double(int32_t(form->FZoom)) + 1.0 : form->FZoom;

    // The image pixels the view shows and two more, so that pixels cut by its edges are drawn.
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    TRectXYWH visible = {form->FVisibleRect.x, form->FVisibleRect.y,
                         int32_t(view.width * (1.0 / z)) + 2, int32_t(view.height * (1.0 / z)) + 2};
    TRectXYWH image = {0, 0, composite->FWidth, composite->FHeight};
    if (RectIntersectXYWH(&visible, &image) != 0) visible.width = visible.height = 0;
    form->FVisibleRect = visible;
    if (Empty(visible)) return 0;

    // What this call draws: the visible part, cut to the rectangle asked for and, for a preview
    // under an area selection, to the selected area (nothing outside it may show).
    TRectXYWH part = visible;
    if (rect && RectIntersectXYWH(&part, rect) != 0) return 0;
    bool level2 = (flags & TWR_LEVEL2) != 0;
    if (level2 && form->FSelectMode == TSM_AREA &&
        RectIntersectXYWH(&part, &form->FSelectArea) != 0)
        return 0;
    TRectXYWH d = {int32_t((part.x - visible.x) * z), int32_t((part.y - visible.y) * z),
                   int32_t(part.width * z), int32_t(part.height * z)};
    if (Empty(d)) return 0;
    if (TWorkForm_EnsureOffscreen(form, d.x + d.width, d.y + d.height) != 0) return -1;

    TLayer* source = level2 && form->FPreview && form->FPreview->FDC ? form->FPreview : composite;
    Gdi_StretchBlt(form->FOffscreen, d.x, d.y, d.width, d.height, source->FDC, part.x, part.y,
                   part.width, part.height, GDI_SRCCOPY);
    if (grid) TWorkForm_DrawGrid(form->FOffscreen, &d, int32_t(z));
    int32_t cx = d.x + int32_t(visible.x * z), cy = d.y + int32_t(visible.y * z);
    Gdi_BitBlt(target->FDC, cx - target->FOriginX, cy - target->FOriginY, d.width, d.height,
               form->FOffscreen, d.x, d.y, GDI_SRCCOPY);
    *drawn = {cx, cy, cx + d.width, cy + d.height};
    if (form->FRenderWindow && target->FDC == TWindowDC_GetDC(form->FRenderWindow->FWindowDC)) {
        FillWindowEdges(target, drawn, int32_t(visible.x * z) + int32_t(visible.width * z),
                        int32_t(visible.y * z) + int32_t(visible.height * z));
        // What was drawn over a shown band shows it again.
        if (form->FBandShown) InvertBand(target, form->FBand, *drawn);
    }
    return 0;
}

// Render into the render window's context and show what changed. A context that no longer
// shows the picture gets all of the visible part first.
int RenderToWindow(TWorkForm* form, const TRectXYWH* rect, int flags) {
    TRenderWindow* window = form->FRenderWindow;
    TRenderTarget target;
    if (!window || TRenderWindow_GetTarget(window, &target) != 0)
        return SetLastErrorCode(EC_NULL_DC), -1;
    TRectLTRB drawn;
    if (window->FStale) {
        if (RenderInto(form, &target, nullptr, 0, &drawn) != 0) return -1;
        window->FStale = 0;
        int result = flags ? RenderInto(form, &target, rect, flags, &drawn) : 0;
        TRenderWindow_Update(window, nullptr);
        return result;
    }
    if (RenderInto(form, &target, rect, flags, &drawn) != 0) return -1;
    TRenderWindow_Update(window, &drawn);
    return 0;
}
} // namespace

// ---- Buffers ----

int TWorkForm_MakeRenderBuffers(TWorkForm* form, int32_t width, int32_t height) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm_FreeRenderBuffers(form);
    form->FVisibleRect.x = form->FVisibleRect.y = 0;
    form->FComposite = MakeSurface(width, height);
    if (!form->FComposite) return -1;
    form->FPreview = MakeSurface(width, height);
    if (!form->FPreview) return -1;
    // The larger of the main window and the view, with the margin a render may draw beyond the
    // view: no paint needs to grow it unless the window grows.
    int mainWidth = 0, mainHeight = 0;
    WorkFormWindows_GetMainSize(form, &mainWidth, &mainHeight);
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    int32_t w = (view.width > mainWidth ? view.width : mainWidth) + KOffscreenMargin;
    int32_t h = (view.height > mainHeight ? view.height : mainHeight) + KOffscreenMargin;
    return TWorkForm_EnsureOffscreen(form, w, h);
}

void TWorkForm_FreeRenderBuffers(TWorkForm* form) {
    if (!form) return;
    form->FComposite = TLayer_Destroy(form->FComposite);
    form->FPreview = TLayer_Destroy(form->FPreview);
    if (form->FOffscreen) {
        if (form->FOffscreenOldBitmap)
            Gdi_SelectObject(form->FOffscreen, form->FOffscreenOldBitmap);
        Gdi_DeleteDC(form->FOffscreen);
    }
    Gdi_DeleteObject(form->FOffscreenBitmap);
    form->FOffscreen = nullptr;
    form->FOffscreenBitmap = form->FOffscreenOldBitmap = nullptr;
    form->FOffscreenRect = {0, 0, 0, 0};
}

int TWorkForm_EnsureOffscreen(TWorkForm* form, int32_t width, int32_t height) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (form->FOffscreen && form->FOffscreenBitmap && width <= form->FOffscreenRect.width &&
        height <= form->FOffscreenRect.height)
        return 0;
    if (!form->FOffscreen) {
        form->FOffscreen = Gdi_CreateCompatibleDC(TLayer_ReferenceDC());
        if (!form->FOffscreen) return SetLastErrorCode(EC_NULL_DC), -1;
        form->FOffscreenOldBitmap = Gdi_GetCurrentObject(form->FOffscreen, GDI_OBJ_BITMAP);
    }
    // Never smaller than before: a buffer that grows in one direction keeps the other.
    int32_t w = width > form->FOffscreenRect.width ? width : form->FOffscreenRect.width;
    int32_t h = height > form->FOffscreenRect.height ? height : form->FOffscreenRect.height;
    if (w < 1) w = 1;
    if (h < 1) h = 1;
    TGdiObject* bitmap = Gdi_CreateCompatibleBitmap(form->FOffscreen, w, h);
    if (!bitmap) return SetLastErrorCode(EC_GDI_OBJECT), -1;
    Gdi_SelectObject(form->FOffscreen, bitmap);
    Gdi_DeleteObject(form->FOffscreenBitmap);
    form->FOffscreenBitmap = bitmap;
    form->FOffscreenRect = {0, 0, w, h};
    return 0;
}

// ---- Repainting ----

void TWorkForm_Repaint(TWorkForm* form) {
    TWorkForm_RepaintRect(form, nullptr);
}

void TWorkForm_RepaintRect(TWorkForm* form, const TRectXYWH* rect) {
    if (!form || TWorkForm_Compose(form, rect) != 0) return;
    RenderToWindow(form, rect, 0);
}

int TWorkForm_Compose(TWorkForm* form, const TRectXYWH* rect) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    ++GRenderCounts.FComposes;
    TLayer* composite = form->FComposite;
    if (!composite || !composite->FImage || !composite->FDC)
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TRectXYWH r = rect ? *rect : TRectXYWH{0, 0, composite->FWidth, composite->FHeight};
    TGdiObject* brush = SecondaryBrush();
    if (!brush) return SetLastErrorCode(EC_GDI_OBJECT), -1;
    TGdiRect fill = {r.x, r.y, r.x + r.width, r.y + r.height};
    Gdi_FillRect(composite->FDC, &fill, brush);
    // A layer or a floating selection that misses the rectangle is no error of composing.
    int saved = GetLastErrorCode();
    TLayer* last = nullptr;
    for (int32_t i = 1; i < form->FLayerCount && i < KWorkFormLayerSlots; ++i) {
        TLayer* layer = form->FLayers[i];
        if (!layer || !layer->FImage || !layer->FVisible) continue;
        TImage_CopyRect(composite->FImage, r.x, r.y, r.width, r.height, layer->FImage,
                        r.x + layer->FLeft, r.y + layer->FTop, 0);
        last = layer;
    }
    TLayer* floating = form->FFloat;
    if ((form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT) && floating &&
        floating->FImage && last && floating->FBaseLayer == last)
        TImage_CopyRect(composite->FImage, floating->FLeft, floating->FTop, floating->FWidth,
                        floating->FHeight, floating->FImage, 0, 0, 0);
    SetLastErrorCode(saved);
    return 0;
}

int TWorkForm_Render(TWorkForm* form, const TRenderTarget* target, const TRectXYWH* rect,
                     int flags) {
    TRectLTRB drawn;
    return RenderInto(form, target, rect, flags, &drawn);
}

int TWorkForm_Redraw(TWorkForm* form, const TRenderTarget* target, const TRectXYWH* rect) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (target) return TWorkForm_Render(form, target, rect, 0);
    return RenderToWindow(form, rect, 0);
}

int TWorkForm_RenderPreview(TWorkForm* form, const TRectXYWH* rect) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return RenderToWindow(form, rect, TWR_LEVEL2);
}

void TWorkForm_ResetPreview(TWorkForm* form, const TRectXYWH* rect) {
    if (!form || !form->FComposite || !form->FPreview) return;
    TRectXYWH r = {0, 0, form->FComposite->FWidth, form->FComposite->FHeight};
    if (rect && RectIntersectXYWH(&r, rect) != 0) return;
    TLayer_Blt(form->FPreview, r.x, r.y, r.width, r.height, form->FComposite, r.x, r.y,
               GDI_SRCCOPY);
}

// ---- Grid and outline ----

void TWorkForm_DrawGrid(TGdiDC* dc, const TRectXYWH* rect, int32_t spacing) {
    TGdiObject* pen = GridPen();
    if (!dc || !rect || spacing < 1 || !pen) return;
    TGdiObject* old = Gdi_SelectObject(dc, pen);
    const TRectXYWH& d = *rect;
    for (int32_t x = d.x; x < d.x + d.width; x += spacing) {
        Gdi_MoveTo(dc, x, d.y, nullptr);
        Gdi_LineTo(dc, x, d.y + d.height);
    }
    for (int32_t y = d.y; y < d.y + d.height; y += spacing) {
        Gdi_MoveTo(dc, d.x, y, nullptr);
        Gdi_LineTo(dc, d.x + d.width, y);
    }
    Gdi_SelectObject(dc, old);
}

namespace {
// The dash walk of the ants: sets one pixel and moves on. Pixels outside the context cost only
// the count, so a zoomed selection far larger than the window stays cheap.
struct TAnts {
    TGdiDC* FDC;
    int32_t FWidth, FHeight; // the context's bitmap
    int32_t FOriginX, FOriginY;
    uint32_t FColour;
    int32_t FCount;

    void Restart() {
        FColour = GOutlineColour;
        FCount = GOutlinePhase;
    }
    void Put(int32_t x, int32_t y) {
        x -= FOriginX;
        y -= FOriginY;
        if (x >= 0 && y >= 0 && x < FWidth && y < FHeight)
            Gdi_SetPixel(FDC, x, y, FColour & 0xFFFFFF);
        if (--FCount < 0) {
            FCount = 3;
            FColour = ~FColour;
        }
    }
};
} // namespace

void TWorkForm_DrawSelectionOutline(TWorkForm* form, const TRenderTarget* target) {
    TRectLTRB selection;
    if (!form || !target || !target->FDC) return;
    int saved = GetLastErrorCode();
    int found = TWorkForm_GetSelectionRect(form, &selection);
    SetLastErrorCode(saved);
    if (found != 0) return;
    TRectLTRB c = TWorkForm_ImageRectToClient(form, selection);
    TGdiBitmapInfo info;
    if (!Gdi_GetBitmapInfo(Gdi_GetCurrentObject(target->FDC, GDI_OBJ_BITMAP), &info)) return;
    TAnts ants = {target->FDC, info.FWidth, info.FHeight, target->FOriginX, target->FOriginY, 0, 0};
    ants.Restart();
    for (int32_t x = c.left; x < c.right; ++x)
        ants.Put(x, c.top);
    for (int32_t y = c.top; y < c.bottom; ++y)
        ants.Put(c.right - 1, y);
    ants.Restart();
    for (int32_t y = c.top; y < c.bottom; ++y)
        ants.Put(c.left, y);
    for (int32_t x = c.left; x < c.right; ++x)
        ants.Put(x, c.bottom - 1);
    if (++GOutlinePhase > 3) {
        GOutlinePhase = 0;
        GOutlineColour = ~GOutlineColour;
    }
}

void TWorkForm_ShowBand(TWorkForm* form, const TRectLTRB* band) {
    if (!form || !form->FRenderWindow) return;
    TRenderWindow* window = form->FRenderWindow;
    TRenderTarget target;
    if (TRenderWindow_GetTarget(window, &target) != 0) return;
    if (window->FStale) RenderToWindow(form, nullptr, 0); // the context shows the picture first
    const TRectLTRB all = {INT32_MIN / 2, INT32_MIN / 2, INT32_MAX / 2, INT32_MAX / 2};
    for (int pass = 0; pass < 2; ++pass) {
        // Erase the band shown, then show the new one; only their outlines reach the screen.
        if (pass == 0 ? !form->FBandShown : !band) continue;
        const TRectLTRB& r = pass == 0 ? form->FBand : *band;
        InvertBand(&target, r, all);
        const TRectLTRB edges[4] = {{r.left, r.top, r.right, r.top + 1},
                                    {r.left, r.bottom - 1, r.right, r.bottom},
                                    {r.left, r.top, r.left + 1, r.bottom},
                                    {r.right - 1, r.top, r.right, r.bottom}};
        for (const TRectLTRB& e : edges)
            TRenderWindow_Update(window, &e);
    }
    form->FBandShown = band ? 1 : 0;
    if (band) form->FBand = *band;
}

void TWorkForm_GetOutlineState(uint32_t* colour, int32_t* phase) {
    if (colour) *colour = GOutlineColour;
    if (phase) *phase = GOutlinePhase;
}

void TWorkForm_ResetOutlineState() {
    GOutlineColour = 0;
    GOutlinePhase = 0;
}

void TWorkForm_GetRenderCounts(TRenderCounts* out) {
    if (out) *out = GRenderCounts;
}
