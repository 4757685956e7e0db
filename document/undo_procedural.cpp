// Procedural steps: changes that are undone and redone by calling operations again rather than
// by saved pixels (rotate, flip, the secondary colour, select, deselect, moving a selection),
// and Change Color, which keeps a copy of the whole layer. Every procedure runs while the
// history is busy, so a step that the operations it calls try to record is refused.
#include <cstdlib>

#include "core/adjust.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "core/transform.h"
#include "document/host.h"
#include "document/undo_area.h"
#include "document/undo_steps.h"
#include "document/work_form.h"

// A procedural step of size bytes with both procedures in use.
static TUndoStep* NewStep(int32_t kind, size_t size, TUndoStepProc undo, TUndoStepProc redo,
                          TLayer* layer, TWorkForm* form) {
    TUndoStep* step = TUndoStep_Create(kind, size);
    if (!step) return nullptr;
    step->FUndoProc = undo;
    step->FRedoProc = redo;
    step->FUseUndoProc = step->FUseRedoProc = 1;
    step->FTarget = layer;
    step->FForm = form;
    return step;
}

// ---- Rotate ----

static void RotateBy(TUndoStep* step, int degrees) {
    DocumentHost_BeginWait();
    int result = TLayer_Rotate(step->FTarget, degrees);
    DocumentHost_EndWait();
    if (result != 0) {
        ShowLastError();
        return;
    }
    // The turned image comes without the clip of an area selection: give it back.
    TWorkForm* form = step->FForm;
    if (form->FSelectMode == TSM_AREA) TWorkForm_ClipLayers(form, &form->FSelectArea);
    TWorkForm_ImageSizeChanged(form);
}

static void UndoRotate(TUndoStep* step) {
    RotateBy(step, -reinterpret_cast<TUndoRotateStep*>(step)->FAngle);
}

static void RedoRotate(TUndoStep* step) {
    RotateBy(step, reinterpret_cast<TUndoRotateStep*>(step)->FAngle);
}

TUndoStep* TUndoStep_CreateRotateStep(int angle, TLayer* layer, TWorkForm* form) {
    if (!layer || !form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step =
        NewStep(TUS_ROTATE, sizeof(TUndoRotateStep), UndoRotate, RedoRotate, layer, form);
    if (step) reinterpret_cast<TUndoRotateStep*>(step)->FAngle = angle;
    return step;
}

// ---- Flip: its own inverse, so undo and redo are one procedure ----

static void FlipAgain(TUndoStep* step) {
    TLayer* layer = step->FTarget;
    DocumentHost_BeginWait();
    int result = TImage_Flip(layer ? layer->FImage : nullptr,
                             reinterpret_cast<TUndoFlipStep*>(step)->FDirection);
    DocumentHost_EndWait();
    if (result != 0)
        ShowLastError();
    else
        TWorkForm_Repaint(step->FForm);
}

TUndoStep* TUndoStep_CreateFlipStep(int direction, TLayer* layer, TWorkForm* form) {
    if (!layer || !form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step = NewStep(TUS_FLIP, sizeof(TUndoFlipStep), FlipAgain, FlipAgain, layer, form);
    if (step) reinterpret_cast<TUndoFlipStep*>(step)->FDirection = direction;
    return step;
}

// ---- The secondary colour: transparent pixels show it, so the view is repainted ----

static void UndoColour(TUndoStep* step) {
    DocumentHost_SetSecondaryColor(reinterpret_cast<TUndoColourStep*>(step)->FOldColour);
    TWorkForm_Repaint(step->FForm);
}

static void RedoColour(TUndoStep* step) {
    DocumentHost_SetSecondaryColor(reinterpret_cast<TUndoColourStep*>(step)->FNewColour);
    TWorkForm_Repaint(step->FForm);
}

TUndoStep* TUndoStep_CreateColourStep(uint32_t newColour, uint32_t oldColour, TLayer* layer,
                                      TWorkForm* form) {
    if (!layer || !form || newColour == oldColour) return nullptr;
    TUndoStep* step =
        NewStep(TUS_COLOUR, sizeof(TUndoColourStep), UndoColour, RedoColour, layer, form);
    if (!step) return nullptr;
    TUndoColourStep* colour = reinterpret_cast<TUndoColourStep*>(step);
    colour->FOldColour = oldColour;
    colour->FNewColour = newColour;
    return step;
}

// ---- Select and deselect: FRect holds the area (document pixels) ----

static void SelectArea(TUndoStep* step) {
    TWorkForm_Select(step->FForm, &step->FRect, TWS_AREA);
}

static void DropArea(TUndoStep* step) {
    TWorkForm_CommitSelection(step->FForm);
}

static TUndoStep* NewSelectStep(int32_t kind, TUndoStepProc undo, TUndoStepProc redo,
                                const TRectXYWH* area, TLayer* layer, TWorkForm* form) {
    if (!area || !layer || !form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step = NewStep(kind, sizeof(TUndoSelectStep), undo, redo, layer, form);
    if (!step) return nullptr;
    step->FRect = *area;
    reinterpret_cast<TUndoSelectStep*>(step)->FRect2 = *area;
    return step;
}

TUndoStep* TUndoStep_CreateSelectStep(const TRectXYWH* area, TLayer* layer, TWorkForm* form) {
    return NewSelectStep(TUS_SELECT, DropArea, SelectArea, area, layer, form);
}

TUndoStep* TUndoStep_CreateDeselectStep(const TRectXYWH* area, TLayer* layer, TWorkForm* form) {
    return NewSelectStep(TUS_DESELECT, SelectArea, DropArea, area, layer, form);
}

// ---- Moving a selection: the move itself records nothing here (record flag 0) ----

static void UndoMove(TUndoStep* step) {
    const TPoint& p = reinterpret_cast<TUndoMoveSelectionStep*>(step)->FOldPos;
    TWorkForm_MoveSelection(step->FForm, p.x, p.y, 0);
}

static void RedoMove(TUndoStep* step) {
    const TPoint& p = reinterpret_cast<TUndoMoveSelectionStep*>(step)->FNewPos;
    TWorkForm_MoveSelection(step->FForm, p.x, p.y, 0);
}

TUndoStep* TUndoStep_CreateMoveSelectionStep(const TPoint* oldPos, const TPoint* newPos,
                                             TWorkForm* form) {
    if (!oldPos || !newPos || !form) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step = NewStep(TUS_MOVE_SELECTION, sizeof(TUndoMoveSelectionStep), UndoMove,
                              RedoMove, nullptr, form);
    if (!step) return nullptr;
    TUndoMoveSelectionStep* move = reinterpret_cast<TUndoMoveSelectionStep*>(step);
    move->FOldPos = *oldPos;
    move->FNewPos = *newPos;
    return step;
}

// ---- Change Color: the whole layer is kept, since any pixel of it may change ----

static TUndoStep* DestroyReplaceColour(TUndoStep* step) {
    TUndoReplaceColourStep* replace = reinterpret_cast<TUndoReplaceColourStep*>(step);
    replace->FLayerCopy = TLayer_Destroy(replace->FLayerCopy);
    std::free(replace);
    return nullptr;
}

static void UndoReplaceColour(TUndoStep* step) {
    TLayer* copy = reinterpret_cast<TUndoReplaceColourStep*>(step)->FLayerCopy;
    if (TUndoStep_PutPixels(step->FTarget, 0, 0, copy->FWidth, copy->FHeight, copy, 0, 0) != 0)
        ShowLastError();
    TWorkForm_Repaint(step->FForm);
}

static void RedoReplaceColour(TUndoStep* step) {
    TUndoReplaceColourStep* replace = reinterpret_cast<TUndoReplaceColourStep*>(step);
    TLayer_SetDrawAttr(step->FTarget, &replace->FSettings);
    if (TImage_ReplaceColor(step->FTarget->FImage, replace->FColour) != 0) ShowLastError();
    TWorkForm_Repaint(step->FForm);
}

TUndoStep* TUndoStep_CreateReplaceColourStep(TLayer* layer, const TDrawAttr* attr, uint32_t colour,
                                             TWorkForm* form) {
    if (!layer || !layer->FImage || !attr || !form)
        return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TUndoStep* step = NewStep(TUS_REPLACE_COLOUR, sizeof(TUndoReplaceColourStep), UndoReplaceColour,
                              RedoReplaceColour, layer, form);
    if (!step) return nullptr;
    step->FDestroy = DestroyReplaceColour;
    TUndoReplaceColourStep* replace = reinterpret_cast<TUndoReplaceColourStep*>(step);
    replace->FSettings = *attr;
    replace->FColour = colour;
    TLayer* copy = TLayer_CreateCopy(layer, 0, 0, layer->FWidth, layer->FHeight);
    replace->FLayerCopy = copy;
    if (!copy) {
        int code = GetLastErrorCode();
        TUndoStep_Destroy(step);
        return SetLastErrorCode(code), nullptr;
    }
    copy->FLeft = layer->FLeft;
    copy->FTop = layer->FTop;
    return step;
}
