// The shift tool: its record, activation (totals back to 0, the pad shown), and the shift a pad
// button runs. A shift moves the pixels of one rectangle of one surface cyclically and records a
// step holding that rectangle, whether the surface was the floating selection or the layer, and
// the amounts; its undo and redo shift the same rectangle of the same kind of surface back and
// again, whatever selection is shown by then, so nothing is shifted twice or left out. Saves no
// pixels. Uses the work form for the surface, the selection and repaints; touches no other tool.
#include "tools/shift.h"

#include <cstdio>
#include <cstdlib>

#include "core/error.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "tools/shift_form.h"

enum { KShiftStepKind = 1 }; // a tool step whose undo and redo are procedures

static TShiftTool* GShift = nullptr; // the pad's buttons act through it
static TShiftStepMaker GMakeStep = TUndoStep_CreateToolStep;

static TShiftTool* AsShift(TTool* tool) {
    return reinterpret_cast<TShiftTool*>(tool);
}

// r cut to the surface; false when nothing of it lies on the surface.
static bool ClipToSurface(TRectXYWH* r, const TLayer* surface) {
    TRectXYWH bounds = {0, 0, surface->FWidth, surface->FHeight};
    return RectIntersectXYWH(r, &bounds) == 0;
}

// Shifts r of surface by (dx, dy) with wrapping, one axis at a time, so that *done holds exactly
// what moved even when the second axis fails. The clip an area selection sets on the layer is
// lifted meanwhile: the rectangle given is what moves.
static int ScrollSurface(TLayer* surface, const TRectXYWH& r, int32_t dx, int32_t dy,
                         TPoint* done) {
    *done = {0, 0};
    if (surface->FDC) Gdi_SelectClipRgn(surface->FDC, nullptr);
    if (surface->FMaskDC) Gdi_SelectClipRgn(surface->FMaskDC, nullptr);
    int result = TLayer_ScrollRect(surface, r.x, r.y, r.width, r.height, 0, dy, GDI_SRCCOPY);
    if (result == 0) {
        done->y = dy;
        result = TLayer_ScrollRect(surface, r.x, r.y, r.width, r.height, dx, 0, GDI_SRCCOPY);
        if (result == 0) done->x = dx;
    }
    if (surface->FDC && surface->FClipRgn) Gdi_SelectClipRgn(surface->FDC, surface->FClipRgn);
    if (surface->FMaskDC && surface->FMaskClipRgn)
        Gdi_SelectClipRgn(surface->FMaskDC, surface->FMaskClipRgn);
    return result;
}

// The surface a step acted on, as the document stands now: the floating selection when it was
// that (while one floats), else the layer.
static TLayer* StepSurface(TUndoStep* step) {
    TWorkForm* form = step->FForm;
    if (!form) return nullptr;
    TLayer* surface =
        step->FTarget && step->FTarget == form->FFloat ? form->FFloat : form->FLayers[1];
    return surface && surface->FImage ? surface : nullptr;
}

// Shifts the step's rectangle by its amounts times sign. A shift that fails part way leaves a
// change no step records.
static void ReplayShift(TUndoStep* step, int32_t sign) {
    TLayer* surface = StepSurface(step);
    int32_t count = 0;
    const TPoint* amount = TUndoStep_GetPoints(step, &count);
    if (!surface || count < 1) return;
    TRectXYWH r = reinterpret_cast<TUndoAreaStep*>(step)->FRect2;
    if (!ClipToSurface(&r, surface)) return;
    TPoint done;
    if (ScrollSurface(surface, r, sign * amount->x, sign * amount->y, &done) != 0) {
        ShowLastError();
        if (done.y != 0) TWorkForm_MarkUnrecordedChange(step->FForm);
    }
    TWorkForm_Repaint(step->FForm);
}

static void UndoShift(TUndoStep* step) {
    ReplayShift(step, -1);
}

static void RedoShift(TUndoStep* step) {
    ReplayShift(step, 1);
}

static TUndoStep* MakeStep() {
    return GMakeStep(KShiftStepKind, 1, 1);
}

// The step of a shift by amount of rect of surface. When it cannot be made the history gives
// its memory back for one more try; failing that, the shift stands unrecorded.
static void RecordShift(TWorkForm* form, TLayer* surface, const TRectXYWH& rect, TPoint amount) {
    TUndoStep* step = MakeStep();
    if (!step) {
        TTool_ShowNoUndoMemory();
        TUndoHistory_ClearToFreeMemory(form->FHistory);
        step = MakeStep();
        if (!step) {
            TTool_ShowNoUndoMemory();
            TWorkForm_MarkUnrecordedChange(form);
            return;
        }
    }
    step->FForm = form;
    step->FTarget = surface;
    step->FRect = rect;
    reinterpret_cast<TUndoAreaStep*>(step)->FRect2 = rect;
    TUndoStep_SetPoints(step, &amount, 1); // one point is kept inline: nothing to fail
    TUndoStep_SetUndoProc(step, UndoShift);
    TUndoStep_SetRedoProc(step, RedoShift);
    TWorkForm_AddUndo(form, step);
}

static void ShowTotals(const TShiftTool* tool) {
    char text[64];
    std::snprintf(text, sizeof text, "Shift: (%d, %d)", int(tool->FTotalX), int(tool->FTotalY));
    DocumentHost_SetStatusText(text);
}

// What a shift acts on: the area selection's rectangle while there is one, in the layer's own
// pixels and cut to it (a selection dragged partly off the picture would otherwise wrap pixels
// out of the picture and lose them), else the whole surface. False when nothing is left.
static bool ShiftRect(TWorkForm* form, TLayer* surface, TRectXYWH* rect) {
    *rect = {0, 0, surface->FWidth, surface->FHeight};
    if (form->FSelectMode == TSM_AREA) {
        TRectLTRB area;
        RectXYWHToLTRB(&area, &form->FSelectArea);
        TLayer_ToLocalRect(surface, &area);
        RectLTRBToXYWH(rect, &area);
    }
    return ClipToSurface(rect, surface);
}

void TShift_Shift(int32_t dx, int32_t dy) {
    TShiftTool* tool = GShift;
    TWorkForm* form = TWorkForm_GetActive();
    TLayer* surface = form ? TWorkForm_GetActiveLayer(form) : nullptr;
    if (!tool || !surface || !surface->FImage) return;
    if (dx == 0 && dy == 0) {
        dx = -tool->FTotalX;
        dy = -tool->FTotalY;
    }
    TRectXYWH rect;
    if ((dx != 0 || dy != 0) && ShiftRect(form, surface, &rect)) {
        TPoint done;
        int failed = ScrollSurface(surface, rect, dx, dy, &done);
        // The totals count what moved, so the centre button brings back the start exactly.
        tool->FTotalX += done.x;
        tool->FTotalY += done.y;
        if (failed) ShowLastError();
        TWorkForm_Repaint(form);
        if (done.x != 0 || done.y != 0) RecordShift(form, surface, rect, done);
    }
    ShowTotals(tool);
}

TShiftTool* TShift_Get() {
    return GShift;
}

void TShift_SetStepMaker(TShiftStepMaker make) {
    GMakeStep = make ? make : TUndoStep_CreateToolStep;
}

static void ShiftActivate(TTool* base) {
    TShiftTool* tool = AsShift(base);
    tool->FTotalX = tool->FTotalY = 0;
    TShiftForm_Show(tool->FShiftForm);
}

static void ShiftDeactivate(TTool* base) {
    TShiftForm_Hide(AsShift(base)->FShiftForm);
}

// The pad goes with the tool; its position is stored as it goes.
static void ShiftDestroy(TTool* base) {
    TShiftTool* tool = AsShift(base);
    if (GShift == tool) GShift = nullptr;
    TShiftForm_Destroy(tool->FShiftForm);
    std::free(tool);
}

TTool* TShift_Create(QWidget* owner) {
    TTool* base = TTool_Alloc(TTI_SHIFT, sizeof(TShiftTool));
    if (!base) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TShiftTool* tool = AsShift(base);
    tool->FShiftForm = TShiftForm_Create(owner);
    if (!tool->FShiftForm) {
        std::free(base);
        return nullptr;
    }
    base->FDestroy = ShiftDestroy;
    base->FOnActivate = ShiftActivate;
    base->FOnDeactivate = ShiftDeactivate;
    GShift = tool;
    return base;
}
