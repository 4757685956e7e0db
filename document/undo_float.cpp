// The floating-selection steps: a float (copy float, paste), a cut-out (cut float) and the
// commit of a floating selection into its layer. Each keeps a copy of the floating surface with
// its position; the commit also keeps the layer pixels the surface covered. They are made after
// the selection state changed (the commit just before the pixels are written) and bring that
// state back through the work form's selection operations.
#include <cstdlib>

#include "core/error.h"
#include "core/layer.h"
#include "document/undo_area.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "document/work_form.h"

// The commit step also remembers whether the selection it committed was cut out of its layer,
// so that undoing it floats the surface again in the same mode.
struct TUndoCommitStep {
    TUndoFloatStep FFloatStep;
    int32_t FSelectMode; // TSM_COPY or TSM_CUT
};

static TUndoFloatStep* AsFloat(TUndoStep* step) {
    return reinterpret_cast<TUndoFloatStep*>(step);
}

static TUndoStep* DestroyFloatStep(TUndoStep* step) {
    TUndoFloatStep* f = AsFloat(step);
    f->FFloatCopy = TLayer_Destroy(f->FFloatCopy);
    f->FUnder = TLayer_Destroy(f->FUnder);
    std::free(f);
    return nullptr;
}

// The form's floating surface, when it has pixels; else null with EC_NULL_OBJECT.
static TLayer* FloatOf(TWorkForm* form) {
    if (!form || !form->FFloat || !form->FFloat->FImage)
        return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    return form->FFloat;
}

// A float-style step of size bytes for form's floating surface: FRect, FRect2 and FFloatCopy
// set, both procedures in use. Null, shown, when the copy cannot be made.
static TUndoStep* NewFloatStep(TWorkForm* form, size_t size, TUndoStepProc undo,
                               TUndoStepProc redo) {
    TLayer* floating = FloatOf(form);
    if (!floating) return nullptr;
    TUndoStep* step = TUndoStep_Create(TUS_AREA, size);
    if (!step) {
        ShowLastError();
        return nullptr;
    }
    step->FDestroy = DestroyFloatStep;
    step->FUndoProc = undo;
    step->FRedoProc = redo;
    step->FUseUndoProc = step->FUseRedoProc = 1;
    step->FForm = form;
    step->FRect = {floating->FLeft, floating->FTop, floating->FWidth, floating->FHeight};
    TUndoFloatStep* f = AsFloat(step);
    f->FRect2 = step->FRect;
    f->FFloatCopy = TLayer_CreateCopy(floating, 0, 0, floating->FWidth, floating->FHeight);
    if (!f->FFloatCopy) {
        ShowLastError();
        return TUndoStep_Destroy(step);
    }
    TLayer_SetPos(f->FFloatCopy, floating->FLeft, floating->FTop);
    return step;
}

// Floats the kept copy again at its position. -1 is shown.
static int FloatAgain(TUndoStep* step) {
    if (TWorkForm_FloatSurface(step->FForm, AsFloat(step)->FFloatCopy) == 0) return 0;
    ShowLastError();
    return -1;
}

// ---- Float (copy float, paste): undo drops the floating surface without writing it ----

static void UndoFloat(TUndoStep* step) {
    TWorkForm* form = step->FForm;
    TWorkForm_SetSelectMode(form, TSM_NONE);
    TLayer_Release(form->FFloat);
    if (form->FFloat) form->FFloat->FBaseLayer = nullptr;
    TWorkForm_Repaint(form);
}

static void RedoFloat(TUndoStep* step) {
    FloatAgain(step);
}

TUndoStep* TUndoStep_CreateFloatStep(TWorkForm* form) {
    return NewFloatStep(form, sizeof(TUndoFloatStep), UndoFloat, RedoFloat);
}

// ---- Cut-out: committing the floating surface puts the cut pixels back ----

static void UndoCutOut(TUndoStep* step) {
    TWorkForm_CommitSelection(step->FForm);
}

static void RedoCutOut(TUndoStep* step) {
    if (TWorkForm_Select(step->FForm, &step->FRect, TWS_CUT_FLOAT) != 0) ShowLastError();
}

TUndoStep* TUndoStep_CreateCutOutStep(TWorkForm* form) {
    return NewFloatStep(form, sizeof(TUndoFloatStep), UndoCutOut, RedoCutOut);
}

// ---- Commit: undo writes back the layer pixels the surface covered and floats it again ----

static void UndoCommit(TUndoStep* step) {
    TUndoFloatStep* f = AsFloat(step);
    TLayer* layer = step->FTarget;
    const TRectXYWH& r = step->FRect;
    if (TUndoStep_PutPixels(layer, r.x - layer->FLeft, r.y - layer->FTop, r.width, r.height,
                            f->FUnder, 0, 0) != 0) {
        ShowLastError();
        return;
    }
    if (FloatAgain(step) != 0) return;
    if (reinterpret_cast<TUndoCommitStep*>(step)->FSelectMode == TSM_CUT)
        TWorkForm_SetSelectMode(step->FForm, TSM_CUT);
}

static void RedoCommit(TUndoStep* step) {
    const TRectXYWH& r = AsFloat(step)->FRect2;
    TWorkForm_MoveSelection(step->FForm, r.x, r.y, 0);
    TWorkForm_CommitSelection(step->FForm);
}

TUndoStep* TUndoStep_CreateCommitStep(TWorkForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    if (form->FHistory && form->FHistory->FBusy != TUH_IDLE) return nullptr;
    TLayer* floating = FloatOf(form);
    if (!floating) return nullptr;
    TLayer* layer = floating->FBaseLayer;
    if (!layer || !layer->FImage) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step = NewFloatStep(form, sizeof(TUndoCommitStep), UndoCommit, RedoCommit);
    if (!step) return nullptr;
    step->FTarget = layer;
    TUndoFloatStep* f = AsFloat(step);
    f->FFloatCopy->FBaseLayer = layer;
    // The mode may already be none when the commit asks for its step; a cut shows as such only
    // while it is still floating.
    reinterpret_cast<TUndoCommitStep*>(step)->FSelectMode =
        form->FSelectMode == TSM_CUT ? TSM_CUT : TSM_COPY;
    f->FUnder =
        TLayer_CreateCopy(layer, floating->FLeft - layer->FLeft, floating->FTop - layer->FTop,
                          floating->FWidth, floating->FHeight);
    if (!f->FUnder) {
        ShowLastError();
        return TUndoStep_Destroy(step);
    }
    return step;
}
