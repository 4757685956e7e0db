// The work form's life, its queries and the selection: an area selection (a frame that clips
// every layer) or a floating selection (a surface of its own over its base layer, committed into
// it by Select None). Records the selection steps; pixels of the other commands are in
// work_form_edit.cpp, the view in work_form_view.cpp and render.cpp.
#include "document/work_form.h"

#include <cstdlib>
#include <new>

#include "core/copy_rect.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "core/palette.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "document/work_form_windows.h"

static TWorkForm* GActive = nullptr;

TWorkForm* TWorkForm_GetActive() {
    return GActive;
}

void TWorkForm_SetActive(TWorkForm* form) {
    GActive = form;
}

TWorkForm* TWorkForm_Create(QWidget* parent) {
    TWorkForm* form = new (std::nothrow) TWorkForm();
    if (!form) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    form->FZoom = 8.0;
    form->FLastZoom = 1.0;
    form->FPrimaryIndex = form->FSecondaryIndex = -1;
    form->FShowGrid = DocumentHost_ReadUseGrid() ? 1 : 0;
    MakeDefaultPalette(form->FPalette);
    MakeHueGradient(form->FColourStrip, KColourStripSize);
    form->FColourStripCount = KColourStripSize;
    form->FHistory = TUndoHistory_Create(-1);
    form->FFloat = static_cast<TLayer*>(std::calloc(1, sizeof(TLayer)));
    if (!form->FHistory || !form->FFloat) {
        TWorkForm_Destroy(form);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    if (WorkFormWindows_Create(form, parent) != 0) {
        int code = GetLastErrorCode();
        TWorkForm_Destroy(form);
        return SetLastErrorCode(code ? code : EC_WINDOW_CREATE), nullptr;
    }
    GActive = form;
    ClearLastErrorCode();
    return form;
}

TWorkForm* TWorkForm_Destroy(TWorkForm* form) {
    if (!form) return nullptr;
    if (GActive == form) GActive = nullptr;
    WorkFormWindows_Destroy(form);
    TWorkForm_FreeRenderBuffers(form);
    // The steps borrow the layers: the history goes first.
    form->FHistory = TUndoHistory_Destroy(form->FHistory);
    for (TLayer*& layer : form->FLayers)
        layer = TLayer_Destroy(layer);
    form->FFloat = TLayer_Destroy(form->FFloat);
    delete form;
    return nullptr;
}

TLayer* TWorkForm_GetBackground(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    if (!form->FLayers[1]) return SetLastErrorCode(EC_NO_BACKGROUND), nullptr;
    return form->FLayers[1];
}

static bool IsFloating(const TWorkForm* form) {
    return form->FSelectMode == TSM_COPY || form->FSelectMode == TSM_CUT;
}

TLayer* TWorkForm_GetActiveLayer(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    if (IsFloating(form) && form->FFloat && form->FFloat->FImage) return form->FFloat;
    if (!form->FLayers[1]) return SetLastErrorCode(EC_NO_ACTIVE_LAYER), nullptr;
    return form->FLayers[1];
}

static TRectXYWH LayerRect(const TLayer* layer) {
    return {layer->FLeft, layer->FTop, layer->FWidth, layer->FHeight};
}

int TWorkForm_GetSelectionRect(TWorkForm* form, TRectLTRB* out) {
    if (!form || !out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (form->FSelectMode == TSM_AREA) {
        RectXYWHToLTRB(out, &form->FSelectArea);
        return 0;
    }
    if (!IsFloating(form)) return -1;
    if (!form->FFloat || !form->FFloat->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TRectXYWH r = LayerRect(form->FFloat);
    RectXYWHToLTRB(out, &r);
    return 0;
}

int TWorkForm_HitSelection(TWorkForm* form, int32_t x, int32_t y) {
    TRectLTRB r;
    if (TWorkForm_GetSelectionRect(form, &r) != 0) return -1;
    return x >= r.left && x < r.right && y >= r.top && y < r.bottom ? 0 : -1;
}

int TWorkForm_IsModified(TWorkForm* form) {
    if (!form) return 0;
    return TUndoHistory_IsModified(form->FHistory) || form->FFormModified ? 1 : 0;
}

void TWorkForm_AddUndo(TWorkForm* form, TUndoStep* step) {
    if (!form) {
        TUndoStep_Destroy(step); // the form takes the step in every case
        return;
    }
    if (!step) {
        TWorkForm_MarkUnrecordedChange(form);
        return;
    }
    TUndoHistory_AddStep(form->FHistory, step);
}

void TWorkForm_MarkUnrecordedChange(TWorkForm* form) {
    if (form) TUndoHistory_MarkUnrecorded(form->FHistory);
}

int TWorkForm_AddCapturedUndo(TWorkForm* form, TUndoStep* step, TLayer* source, TLayer* target,
                              const TRectXYWH* rect) {
    if (!form || !step) {
        TUndoStep_Destroy(step);
        TWorkForm_MarkUnrecordedChange(form);
        return SetLastErrorCode(EC_NULL_OBJECT), -1;
    }
    if (TUndoStep_Capture(step, source, rect) != 0) {
        // The older steps give their memory back for this one.
        TUndoHistory_ClearToFreeMemory(form->FHistory);
        if (TUndoStep_Capture(step, source, rect) != 0) {
            ShowLastError();
            TUndoStep_Destroy(step);
            TWorkForm_MarkUnrecordedChange(form);
            return -1;
        }
    }
    step->FTarget = target;
    TWorkForm_AddUndo(form, step);
    return 0;
}

void TWorkForm_SetSelectMode(TWorkForm* form, int32_t mode) {
    if (!form) return;
    form->FSelectMode = mode;
    if (mode == TSM_AREA || IsFloating(form)) {
        WorkFormWindows_StartSelectionTimer(form);
        return;
    }
    TWorkForm_ClipLayers(form, nullptr);
    WorkFormWindows_StopSelectionTimer(form);
    TWorkForm_Redraw(form, nullptr, nullptr); // wipes the last frame of the outline
}

void TWorkForm_ClipLayers(TWorkForm* form, const TRectXYWH* rect) {
    if (!form) return;
    for (TLayer* layer : form->FLayers) {
        if (!layer || !layer->FImage) continue;
        if (!rect) {
            TLayer_SetClip(layer, nullptr);
            continue;
        }
        TRectLTRB clip;
        RectXYWHToLTRB(&clip, rect);
        TLayer_ToLocalRect(layer, &clip);
        TLayer_SetClip(layer, &clip);
    }
}

// Makes the floating surface a copy of w x h of source at (sx, sy), placed at (x, y) over base.
static int MakeFloat(TWorkForm* form, TLayer* source, int32_t sx, int32_t sy, int32_t w, int32_t h,
                     int32_t x, int32_t y, TLayer* base) {
    TLayer* floating = form->FFloat;
    if (TLayer_Init(floating, w, h) != 0 ||
        TLayer_Blt(floating, 0, 0, w, h, source, sx, sy, ROP_SRCCOPY) != 0) {
        int code = GetLastErrorCode();
        TLayer_Release(floating);
        return SetLastErrorCode(code ? code : EC_SELECTION_CREATE), -1;
    }
    floating->FBaseLayer = base;
    floating->FVisible = 1;
    TLayer_SetPos(floating, x, y);
    form->FFloatOrigin = {x, y};
    return 0;
}

int TWorkForm_Select(TWorkForm* form, const TRectXYWH* rect, int op) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm_CommitSelection(form);
    if (!rect || rect->width <= 0 || rect->height <= 0 || op == 0) return 0;
    TLayer* layer = TWorkForm_GetActiveLayer(form);
    if (!layer) return -1;
    TRectXYWH r = *rect, bounds = LayerRect(layer);
    if (RectIntersectXYWH(&r, &bounds) != 0) return 0;
    if (op == TWS_AREA) {
        form->FSelectArea = r;
        TWorkForm_ClipLayers(form, &r);
        TWorkForm_SetSelectMode(form, TSM_AREA);
        TWorkForm_AddUndo(form, TUndoStep_CreateSelectStep(&r, layer, form));
        return 0;
    }
    if (op != TWS_COPY_FLOAT && op != TWS_CUT_FLOAT) return 0;
    int32_t lx = r.x - layer->FLeft, ly = r.y - layer->FTop;
    if (MakeFloat(form, layer, lx, ly, r.width, r.height, r.x, r.y, layer) != 0) return -1;
    if (op == TWS_COPY_FLOAT) {
        TWorkForm_SetSelectMode(form, TSM_COPY);
        TWorkForm_AddUndo(form, TUndoStep_CreateFloatStep(form));
    } else {
        TWorkForm_SetSelectMode(form, TSM_CUT);
        TWorkForm_AddUndo(form, TUndoStep_CreateCutOutStep(form));
        TRectXYWH local = {lx, ly, r.width, r.height};
        TLayer_Erase(layer, &local);
    }
    TWorkForm_RepaintRect(form, &r);
    return 0;
}

void TWorkForm_MoveSelection(TWorkForm* form, int32_t x, int32_t y, int record) {
    TRectLTRB old;
    if (!form || TWorkForm_GetSelectionRect(form, &old) != 0) return;
    if (x == old.left && y == old.top) return;
    if (record) {
        TPoint from = {old.left, old.top}, to = {x, y};
        TWorkForm_AddUndo(form, TUndoStep_CreateMoveSelectionStep(&from, &to, form));
    }
    if (form->FSelectMode == TSM_AREA) {
        form->FSelectArea.x = x;
        form->FSelectArea.y = y;
        TWorkForm_ClipLayers(form, &form->FSelectArea);
        TWorkForm_Redraw(form, nullptr, nullptr);
        return;
    }
    TLayer_SetPos(form->FFloat, x, y);
    TRectXYWH changed, moved = LayerRect(form->FFloat);
    RectLTRBToXYWH(&changed, &old);
    RectUnionXYWH(&changed, &moved);
    TWorkForm_RepaintRect(form, &changed);
}

int TWorkForm_FloatSurface(TWorkForm* form, TLayer* surface) {
    if (!form || !surface || !surface->FImage) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm_CommitSelection(form);
    TLayer* base = TWorkForm_GetActiveLayer(form);
    if (!base) return -1;
    if (MakeFloat(form, surface, 0, 0, surface->FWidth, surface->FHeight, surface->FLeft,
                  surface->FTop, base) != 0) {
        ShowLastError();
        return -1;
    }
    TWorkForm_SetSelectMode(form, TSM_COPY);
    TWorkForm_AddUndo(form, TUndoStep_CreateFloatStep(form));
    TRectXYWH r = LayerRect(form->FFloat);
    TWorkForm_RepaintRect(form, &r);
    return 0;
}

void TWorkForm_CommitSelection(TWorkForm* form) {
    if (!form || form->FSelectMode == TSM_NONE) return;
    if (form->FSelectMode == TSM_AREA) {
        TRectXYWH area = form->FSelectArea;
        TWorkForm_AddUndo(form, TUndoStep_CreateDeselectStep(&area, form->FLayers[1], form));
        TWorkForm_SetSelectMode(form, TSM_NONE);
        return;
    }
    TLayer* floating = form->FFloat;
    TLayer* base = floating ? floating->FBaseLayer : nullptr;
    // The step is made while the mode still says whether the float was cut or copied.
    bool merge = floating && floating->FImage && base && base->FImage;
    TUndoStep* step = merge ? TUndoStep_CreateCommitStep(form) : nullptr;
    TWorkForm_SetSelectMode(form, TSM_NONE);
    if (!floating || !floating->FImage) return;
    TRectXYWH r = LayerRect(floating);
    if (merge) {
        TWorkForm_AddUndo(form, step);
        TImage_CopyRect(base->FImage, r.x - base->FLeft, r.y - base->FTop, r.width, r.height,
                        floating->FImage, 0, 0, ROP_MERGE);
    }
    TLayer_Release(floating);
    floating->FBaseLayer = nullptr;
    TWorkForm_RepaintRect(form, &r);
}

void TWorkForm_CommitFloat(TWorkForm* form) {
    if (form && form->FSelectMode == TSM_COPY) TWorkForm_CommitSelection(form);
}

void TWorkForm_SelectAll(TWorkForm* form) {
    TLayer* background = TWorkForm_GetBackground(form);
    if (!background) return;
    TRectXYWH all = {0, 0, background->FWidth, background->FHeight};
    TWorkForm_Select(form, &all, TWS_AREA);
}
