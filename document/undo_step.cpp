// TUndoStep: allocation of a step record and the dispatch of destroy, undo and redo through
// the header, which is all the history ever calls. The kinds' constructors, payloads and
// procedures are built in files of their own beside this one; the built-in restore of area
// steps lives with them in undo_area.cpp.
#include "document/undo_step.h"

#include <cstdlib>

#include "core/error.h"

TUndoStep* TUndoStep_Create(int32_t kind, size_t size) {
    if (size < sizeof(TUndoStep)) size = sizeof(TUndoStep);
    TUndoStep* step = static_cast<TUndoStep*>(std::calloc(1, size));
    if (!step) {
        SetLastErrorCode(EC_NO_MEMORY);
        return nullptr;
    }
    step->FKind = kind;
    return step;
}

TUndoStep* TUndoStep_Destroy(TUndoStep* step) {
    if (!step) return nullptr;
    if (step->FDestroy) return step->FDestroy(step);
    std::free(step);
    return nullptr;
}

int TUndoStep_Undo(TUndoStep* step) {
    if (!step) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    if (step->FUseUndoProc != 1) return TUndoStep_RestorePixels(step);
    if (step->FUndoProc) step->FUndoProc(step);
    return 0;
}

int TUndoStep_Redo(TUndoStep* step) {
    if (!step) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    if (step->FUseRedoProc == 1 && step->FRedoProc) step->FRedoProc(step);
    return 0;
}

int TUndoStep_SetUndoProc(TUndoStep* step, TUndoStepProc proc) {
    if (!step) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    step->FUndoProc = proc;
    return 0;
}

int TUndoStep_SetRedoProc(TUndoStep* step, TUndoStepProc proc) {
    if (!step) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    step->FRedoProc = proc;
    return 0;
}
