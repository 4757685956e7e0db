// Area steps: the saved pixels of a rectangle of a surface, the tools' building blocks (Use
// flags by tool kind, drawing attributes, stroke points), the capture before a change, the
// built-in undo that copies the pixels back and repaints, and the work form's area and shape
// constructors. The procedures that redo a change belong to whoever made the step.
#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "core/layer.h"
#include "document/undo_area.h"
#include "document/undo_steps.h"
#include "document/work_form.h"

static TUndoAreaStep* AsArea(TUndoStep* step) {
    return reinterpret_cast<TUndoAreaStep*>(step);
}

static TUndoStep* DestroyAreaStep(TUndoStep* step) {
    TUndoAreaStep* area = AsArea(step);
    area->FSaved = TLayer_Destroy(area->FSaved);
    std::free(area->FPointBuffer);
    std::free(area);
    return nullptr;
}

static TUndoStep* NewAreaStep(int32_t kind) {
    TUndoStep* step = TUndoStep_Create(kind, sizeof(TUndoAreaStep));
    if (step) step->FDestroy = DestroyAreaStep;
    return step;
}

int TUndoStep_PutPixels(TLayer* dst, int32_t x, int32_t y, int32_t w, int32_t h, TLayer* src,
                        int32_t sx, int32_t sy) {
    if (!dst || !src) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (dst->FDC) Gdi_SelectClipRgn(dst->FDC, nullptr);
    if (dst->FMaskDC) Gdi_SelectClipRgn(dst->FMaskDC, nullptr);
    int result = TLayer_Blt(dst, x, y, w, h, src, sx, sy, GDI_SRCCOPY);
    if (dst->FDC && dst->FClipRgn) Gdi_SelectClipRgn(dst->FDC, dst->FClipRgn);
    if (dst->FMaskDC && dst->FMaskClipRgn) Gdi_SelectClipRgn(dst->FMaskDC, dst->FMaskClipRgn);
    return result;
}

TUndoStep* TUndoStep_CreateToolStep(int kind, int a, int b) {
    TUndoStep* step = NewAreaStep(TUS_AREA);
    if (!step) return nullptr;
    int useUndo = 0, useRedo = 0;
    if (kind == 1) {
        useUndo = a, useRedo = b;
    } else if (kind == 2 || kind == 4) {
        useRedo = 1;
    } else if (kind >= 5 && kind <= 9) {
        useUndo = useRedo = 1;
    }
    step->FUseUndoProc = useUndo;
    step->FUseRedoProc = useRedo;
    return step;
}

int TUndoStep_SetSettings(TUndoStep* step, const TDrawAttr* attr) {
    if (!step || !attr) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    AsArea(step)->FSettings = *attr;
    return 0;
}

int TUndoStep_SetPoints(TUndoStep* step, const TPoint* points, int32_t count) {
    if (!step || (!points && count > 0)) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TUndoAreaStep* area = AsArea(step);
    std::free(area->FPointBuffer);
    area->FPointBuffer = nullptr;
    area->FPointCount = 0;
    if (count <= 0) return 0;
    if (count < 3) {
        std::memcpy(area->FInlinePoints, points, size_t(count) * sizeof(TPoint));
    } else {
        area->FPointBuffer = static_cast<TPoint*>(std::malloc(size_t(count) * sizeof(TPoint)));
        if (!area->FPointBuffer) {
            SetLastErrorCode(EC_NO_MEMORY);
            ShowLastError();
            return -1;
        }
        std::memcpy(area->FPointBuffer, points, size_t(count) * sizeof(TPoint));
    }
    area->FPointCount = count;
    return 0;
}

const TPoint* TUndoStep_GetPoints(const TUndoStep* step, int32_t* count) {
    const TUndoAreaStep* area = reinterpret_cast<const TUndoAreaStep*>(step);
    int32_t n = area ? area->FPointCount : 0;
    if (count) *count = n;
    if (n <= 0) return nullptr;
    return n < 3 ? area->FInlinePoints : area->FPointBuffer;
}

// The step's own work form, or the active one for a step that names none.
static TWorkForm* FormOf(const TUndoStep* step) {
    return step->FForm ? step->FForm : TWorkForm_GetActive();
}

int TUndoStep_Capture(TUndoStep* step, TLayer* surface, const TRectXYWH* rect) {
    if (!step || !surface || !rect) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm* form = FormOf(step);
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TUndoAreaStep* area = AsArea(step);
    step->FForm = form;
    step->FTarget = surface;
    area->FSaved = TLayer_Destroy(area->FSaved);
    TLayer* saved = TLayer_Create(rect->width, rect->height);
    if (!saved || !saved->FImage) {
        int code = saved ? GetLastErrorCode() : EC_NO_MEMORY;
        TLayer_Destroy(saved);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), -1;
    }
    step->FRect = *rect;
    area->FRect2 = *rect;
    if (TLayer_Blt(saved, 0, 0, rect->width, rect->height, surface, rect->x, rect->y,
                   GDI_SRCCOPY) != 0) {
        int code = GetLastErrorCode();
        TLayer_Destroy(saved);
        return SetLastErrorCode(code), -1;
    }
    area->FSaved = saved;
    return 0;
}

int TUndoStep_RestorePixels(TUndoStep* step) {
    if (!step) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TWorkForm* form = FormOf(step);
    if (!form || !step->FTarget) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TUndoAreaStep* area = AsArea(step);
    if (!area->FSaved) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    const TRectXYWH& r = step->FRect;
    TUndoStep_PutPixels(step->FTarget, r.x, r.y, r.width, r.height, area->FSaved, 0, 0);
    TRectLTRB doc;
    RectXYWHToLTRB(&doc, &r);
    TLayer_ToDocRect(step->FTarget, &doc);
    TRectXYWH repaint;
    RectLTRBToXYWH(&repaint, &doc);
    TWorkForm_RepaintRect(form, &repaint);
    return 0;
}

// The common part of the work form's area and shape constructors.
static TUndoStep* MakeCapturedStep(int32_t kind, TUndoStepProc redo, const TRectXYWH* rect,
                                   TLayer* surface, TWorkForm* form) {
    TUndoStep* step = NewAreaStep(kind);
    if (!step) {
        ShowLastError();
        return nullptr;
    }
    step->FUseUndoProc = 0;
    step->FUseRedoProc = 1;
    step->FRedoProc = redo;
    step->FTarget = surface;
    step->FForm = form;
    if (TUndoStep_Capture(step, surface, rect) != 0) {
        ShowLastError();
        return TUndoStep_Destroy(step);
    }
    return step;
}

TUndoStep* TUndoStep_CreateAreaStep(TUndoStepProc redo, const TRectXYWH* rect, TLayer* surface,
                                    TWorkForm* form) {
    return MakeCapturedStep(TUS_AREA, redo, rect, surface, form);
}

TUndoStep* TUndoStep_CreateShapeStep(TUndoStepProc redo, TUndoDrawProc draw, const TRectXYWH* rect,
                                     TLayer* surface, TWorkForm* form) {
    if (!redo || !draw || !rect || !surface || !form)
        return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step = MakeCapturedStep(TUS_SHAPE, redo, rect, surface, form);
    if (step) AsArea(step)->FDrawProc = draw;
    return step;
}
