// The kinds of undo step and their constructors: area steps (saved pixels of a rectangle, with
// the building blocks the tools use), shape steps, and the procedural steps (rotate, flip,
// secondary colour, select, deselect, move selection, replace colour, and the three floating-
// selection steps). Area steps live in undo_area.cpp, procedural ones in undo_procedural.cpp,
// the floating-selection ones in undo_float.cpp. Each record begins with the TUndoStep header.
#pragma once

#include <cstdint>

#include "core/draw_attr.h"
#include "core/rect.h"
#include "document/undo_step.h"

// Draws a shape again between two points (shape steps' redo).
typedef void (*TUndoDrawProc)(TLayer* surface, TPoint a, TPoint b);

// Area steps (TUS_AREA, TUS_SHAPE), also the steps of the work form's pixel operations.
struct TUndoAreaStep {
    TUndoStep FHeader;
    TRectXYWH FRect2;        // a second copy of the saved rectangle; some kinds reuse it
    TDrawAttr FSettings;     // the drawing attributes in force when the step was made
    TPoint FInlinePoints[2]; // the points when there are at most two
    TPoint* FPointBuffer;    // owned; the points when there are three or more
    int32_t FPointCount;
    TLayer* FSaved;          // owned; FRect's pixels before the change, colour and mask
    TUndoDrawProc FDrawProc; // shape steps only
};

// Rotate (TUS_ROTATE) and flip (TUS_FLIP).
struct TUndoRotateStep {
    TUndoStep FHeader;
    int32_t FAngle; // degrees, counter-clockwise positive
};
struct TUndoFlipStep {
    TUndoStep FHeader;
    int32_t FDirection; // 0 horizontal, 1 vertical
};

// The tool bar's secondary colour (TUS_COLOUR).
struct TUndoColourStep {
    TUndoStep FHeader;
    uint32_t FOldColour, FNewColour;
};

// Select and deselect (TUS_SELECT, TUS_DESELECT): FRect and FRect2 hold the area.
struct TUndoSelectStep {
    TUndoStep FHeader;
    TRectXYWH FRect2;
};

// Moving a selection (TUS_MOVE_SELECTION): top-left corners, document pixels.
struct TUndoMoveSelectionStep {
    TUndoStep FHeader;
    TPoint FOldPos, FNewPos;
};

// Change Color (TUS_REPLACE_COLOUR).
struct TUndoReplaceColourStep {
    TUndoStep FHeader;
    TDrawAttr FSettings;
    uint32_t FColour;   // the colour replaced
    TLayer* FLayerCopy; // owned; the whole layer before the change
};

// Float, cut-out and commit (TUS_AREA): FRect and FRect2 are the floating surface's position
// and size; FFloatCopy its pixels with that position; FUnder (commit only) the layer pixels it
// covered.
struct TUndoFloatStep {
    TUndoStep FHeader;
    TRectXYWH FRect2;
    TLayer* FFloatCopy; // owned
    TLayer* FUnder;     // owned; commit steps only
};

// ---- Area-step building blocks (undo_area.cpp) ----
// An area step with the Use flags of tool kind: 1 (a, b); 2 and 4 (0, 1); 5 to 9 (1, 1); any
// other (0, 0). Null with EC_NO_MEMORY.
TUndoStep* TUndoStep_CreateToolStep(int kind, int a, int b);
int TUndoStep_SetSettings(TUndoStep* step, const TDrawAttr* attr);
// Keeps count points (inline up to two). 0; -1 with EC_NO_MEMORY shown with ShowLastError.
int TUndoStep_SetPoints(TUndoStep* step, const TPoint* points, int32_t count);
// The stored points and their number (null and 0 for none).
const TPoint* TUndoStep_GetPoints(const TUndoStep* step, int32_t* count);
// Saves rect (surface's own pixels) of surface into FSaved; FTarget = surface, FRect = FRect2 =
// rect. 0; -1 without an active work form (the step's or TWorkForm_GetActive), a null argument,
// or when the saved surface cannot be made.
int TUndoStep_Capture(TUndoStep* step, TLayer* surface, const TRectXYWH* rect);
// The work form's area step: undo restores the pixels, redo calls redo. Null (shown) on failure.
TUndoStep* TUndoStep_CreateAreaStep(TUndoStepProc redo, const TRectXYWH* rect, TLayer* surface,
                                    TWorkForm* form);
// As the area step with kind TUS_SHAPE and its draw procedure; every argument required.
TUndoStep* TUndoStep_CreateShapeStep(TUndoStepProc redo, TUndoDrawProc draw, const TRectXYWH* rect,
                                     TLayer* surface, TWorkForm* form);

// ---- Procedural steps (undo_procedural.cpp); null with EC_NO_MEMORY unless said ----
TUndoStep* TUndoStep_CreateRotateStep(int angle, TLayer* layer, TWorkForm* form);
TUndoStep* TUndoStep_CreateFlipStep(int direction, TLayer* layer, TWorkForm* form);
// Null (no error) when layer or form is null or the colours are equal.
TUndoStep* TUndoStep_CreateColourStep(uint32_t newColour, uint32_t oldColour, TLayer* layer,
                                      TWorkForm* form);
TUndoStep* TUndoStep_CreateSelectStep(const TRectXYWH* area, TLayer* layer, TWorkForm* form);
TUndoStep* TUndoStep_CreateDeselectStep(const TRectXYWH* area, TLayer* layer, TWorkForm* form);
// Null with EC_NULL_OBJECT when an argument is null.
TUndoStep* TUndoStep_CreateMoveSelectionStep(const TPoint* oldPos, const TPoint* newPos,
                                             TWorkForm* form);
// Copies the whole layer. Null when an argument is null or the copy cannot be made.
TUndoStep* TUndoStep_CreateReplaceColourStep(TLayer* layer, const TDrawAttr* attr, uint32_t colour,
                                             TWorkForm* form);

// ---- Floating-selection steps (undo_float.cpp): read form->FFloat ----
TUndoStep* TUndoStep_CreateFloatStep(TWorkForm* form);
TUndoStep* TUndoStep_CreateCutOutStep(TWorkForm* form);
// Null while the history is busy (a commit made by an undo or redo makes no step).
TUndoStep* TUndoStep_CreateCommitStep(TWorkForm* form);
