// TUndoStep: the header every undo step begins with, and the generic operations the history
// calls on a step it holds (destroy, undo, redo). Each kind of step is a record whose first
// member is this header, so a TUndoStep* to it is a pointer to the whole record; the kinds'
// constructors and payloads live beside this file. The header borrows its surface and work form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/rect.h"

struct TLayer;
struct TWorkForm;
struct TUndoStep;

typedef TUndoStep* (*TUndoStepDestroyProc)(TUndoStep* step); // frees everything; returns null
typedef void (*TUndoStepProc)(TUndoStep* step);

// Kind tags: informational only, nothing dispatches on them.
enum {
    TUS_AREA = 0,
    TUS_SHAPE = 3,
    TUS_FLIP = 5,
    TUS_ROTATE = 6,
    TUS_COLOUR = 10,
    TUS_SELECT = 12,
    TUS_DESELECT = 13,
    TUS_MOVE_SELECTION = 16,
    TUS_REPLACE_COLOUR = 19
};

struct TUndoStep {
    int32_t FKind;                 // a TUS_ tag
    TUndoStepDestroyProc FDestroy; // null: the record owns nothing else and is simply freed
    TUndoStepProc FUndoProc;       // used when FUseUndoProc is 1
    TUndoStepProc FRedoProc;       // used when FUseRedoProc is 1
    int32_t FUseUndoProc;          // 1: undo calls FUndoProc; else TUndoStep_RestorePixels
    int32_t FUseRedoProc;          // 1: redo calls FRedoProc; else redo does nothing
    TLayer* FTarget;               // the surface that changed; borrowed
    TWorkForm* FForm;              // the work form of the step's document; borrowed
    TRectXYWH FRect;               // reported by undo and redo, in FTarget's own pixel coordinates
};

// A zero-filled record of size bytes (at least a header; a kind passes the size of its own
// record) with FKind set, to be freed by TUndoStep_Destroy. Null with EC_NO_MEMORY.
TUndoStep* TUndoStep_Create(int32_t kind, size_t size);
// Null stays null. Calls FDestroy when set, otherwise frees the record. Returns null.
TUndoStep* TUndoStep_Destroy(TUndoStep* step);
// FUseUndoProc 1: calls FUndoProc when set (none: nothing to undo, success); otherwise
// TUndoStep_RestorePixels, whose result is returned. -1 with EC_NULL_OBJECT for a null step.
int TUndoStep_Undo(TUndoStep* step);
// FUseRedoProc 1: calls FRedoProc when set; otherwise nothing. Returns 0; -1 with
// EC_NULL_OBJECT for a null step.
int TUndoStep_Redo(TUndoStep* step);
// The built-in undo of area steps: copies the saved pixels back into FTarget and repaints.
// Returns 0; -1 with EC_NULL_OBJECT without an active work form or a target.
int TUndoStep_RestorePixels(TUndoStep* step);

// Set the procedure only; the Use flags are the constructors' business.
int TUndoStep_SetUndoProc(TUndoStep* step, TUndoStepProc proc);
int TUndoStep_SetRedoProc(TUndoStep* step, TUndoStepProc proc);
