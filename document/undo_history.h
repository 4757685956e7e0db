// TUndoHistory: the bounded, linear list of a document's undo steps with its cursor, and the
// document's modified state. Owns every step stored in it and destroys each with
// TUndoStep_Destroy when it leaves. Calls only the steps' generic destroy, undo and redo; knows
// nothing of layers or windows. User-interface thread only; FBusy guards against re-entrance.
#pragma once

#include <cstdint>

#include "core/rect.h"

struct TList;
struct TListNode;
struct TUndoStep;

enum { KUndoDefaultDepth = 8 }; // the depth given for a requested depth below 1

enum { TUH_IDLE = 0, TUH_UNDO = 1, TUH_REDO = 2 }; // values of FBusy

struct TUndoHistory {
    TList* FSteps;       // owned; items are TUndoStep*, oldest at the head
    TListNode* FCurrent; // node of the most recently done step; null when none is done
    int32_t FDepth;      // most steps kept, at least 1
    int32_t FModified;   // 1 once a step was recorded since the history was cleared or saved
    int32_t FDropped;    // 1 once a step was lost (depth, memory) since cleared or saved
    int32_t FBusy;       // a TUH_ value: an undo or redo is running
    uint32_t FChanges;   // counts pushes, undos, redos, removals, clears and modified-state
                         // changes, so a watcher sees any change of the document; wraps
};
// Steps from the head up to and including FCurrent are done (undoable), the rest redoable.

// A history with an empty list, FDepth = depth when at least 1, else 8. Null with EC_NO_MEMORY.
TUndoHistory* TUndoHistory_Create(int32_t depth);
// Clears the history and frees it. Returns null.
TUndoHistory* TUndoHistory_Destroy(TUndoHistory* history);

// The push everyone uses. The history takes the step in every case: when this returns the
// caller no longer owns it. While an undo or redo runs the step is destroyed unstored and 0
// returned. When the push fails for memory the whole history is cleared and the push tried once
// more; if that fails too the step is destroyed, the error shown with ShowLastError, the
// history left empty and marked modified (the change stands with no step), and -1 returned.
// A null history or step gives -1 with EC_NULL_OBJECT.
int TUndoHistory_AddStep(TUndoHistory* history, TUndoStep* step);
// The push proper: destroys the redo branch, drops the oldest steps beyond FDepth (FDropped 1),
// appends the step as the current one and sets FModified. Returns 0 with the last error cleared;
// -1 with EC_NO_MEMORY (the step not stored, still the caller's, what was destroyed is gone) or
// EC_NULL_OBJECT.
int TUndoHistory_PushStep(TUndoHistory* history, TUndoStep* step);
// Destroys every step; FCurrent null, FModified and FDropped 0. Returns 0; -1 with
// EC_NULL_OBJECT, or with EC_UNKNOWN and nothing changed while an undo or redo runs (the running
// step must outlive its own procedure).
int TUndoHistory_Clear(TUndoHistory* history);

// Clears the history to give its memory back for a change about to be made: as Clear, but when
// done steps were thrown away (or a loss was marked before) the document stays modified and
// the loss marked, so no undo can make it unmodified again. Returns as Clear does.
int TUndoHistory_ClearToFreeMemory(TUndoHistory* history);
// A change stands that no step records: FModified and FDropped 1. Returns 0; -1 with
// EC_NULL_OBJECT.
int TUndoHistory_MarkUnrecorded(TUndoHistory* history);

// Undoes the current step and moves the cursor back; with nothing to undo, clears FModified
// unless a step was dropped. Returns the step's rectangle, all zero when nothing was undone,
// while busy (nothing changed) or for a null history (EC_NULL_OBJECT).
TRectXYWH TUndoHistory_Undo(TUndoHistory* history);
// Moves the cursor forward and redoes that step; with nothing to redo the cursor stays on the
// tail. Never changes FModified. Returns as TUndoHistory_Undo does.
TRectXYWH TUndoHistory_Redo(TUndoHistory* history);

// Queries answer 0 or null for a null history, without touching the last error.
int32_t TUndoHistory_GetPosition(const TUndoHistory* history);  // steps that can be undone
int32_t TUndoHistory_GetRedoCount(const TUndoHistory* history); // steps that can be redone
int32_t TUndoHistory_GetCount(const TUndoHistory* history);
TUndoStep* TUndoHistory_GetStep(const TUndoHistory* history, int32_t index); // zero-based
int32_t TUndoHistory_IsModified(const TUndoHistory* history);

// Takes step out of the history and destroys it; when it was the current step the cursor moves
// to the step before. Returns 0; -1 with EC_NULL_OBJECT when an argument is missing or the step
// is not in the history (it is then left alone), or EC_UNKNOWN while an undo or redo runs.
int TUndoHistory_RemoveStep(TUndoHistory* history, TUndoStep* step);
// Sets FModified (0 or 1); 0 also clears FDropped (the document was saved). Returns 0; -1 with
// EC_NULL_OBJECT.
int TUndoHistory_SetModified(TUndoHistory* history, int32_t value);
