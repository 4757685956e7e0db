// TUndoHistory: push with its depth and redo-branch rules, the memory-failure retry, undo and
// redo around the re-entrance guard, and the modified and dropped flags. Steps leave the list
// before they are destroyed, so the list is whole whenever a step's own code runs.
#include "document/undo_history.h"

#include <cstdlib>

#include "core/error.h"
#include "document/list.h"
#include "document/undo_step.h"

static TUndoStep* StepOf(const TListNode* node) {
    return static_cast<TUndoStep*>(node->FItem);
}

// Unlinks node and destroys its step.
static void DropNode(TUndoHistory* history, TListNode* node) {
    TUndoStep* step = StepOf(node);
    TList_Remove(history->FSteps, node);
    TUndoStep_Destroy(step);
}

TUndoHistory* TUndoHistory_Create(int32_t depth) {
    TUndoHistory* history = static_cast<TUndoHistory*>(std::calloc(1, sizeof(TUndoHistory)));
    if (!history) {
        SetLastErrorCode(EC_NO_MEMORY);
        return nullptr;
    }
    history->FSteps = TList_Create();
    if (!history->FSteps) {
        std::free(history);
        return nullptr; // EC_NO_MEMORY from the list
    }
    history->FDepth = depth >= 1 ? depth : KUndoDefaultDepth;
    return history;
}

TUndoHistory* TUndoHistory_Destroy(TUndoHistory* history) {
    if (!history) return nullptr;
    history->FBusy = TUH_IDLE;
    TUndoHistory_Clear(history);
    history->FSteps = TList_Destroy(history->FSteps);
    std::free(history);
    return nullptr;
}

int TUndoHistory_PushStep(TUndoHistory* history, TUndoStep* step) {
    if (!history || !step) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    // Recording a new step discards whatever could still be redone.
    TListNode* node = history->FCurrent ? history->FCurrent->FNext : TList_GetHead(history->FSteps);
    while (node) {
        TListNode* next = node->FNext;
        DropNode(history, node);
        node = next;
    }
    const int32_t count = TList_GetCount(history->FSteps);
    if (count >= history->FDepth) {
        for (int32_t n = count - history->FDepth + 1; n > 0 && history->FSteps->FHead; --n)
            DropNode(history, history->FSteps->FHead);
        history->FDropped = 1;
    }
    // The cursor was on the tail; with a depth of 1 that node is gone now.
    history->FCurrent = TList_GetTail(history->FSteps);
    TListNode* added = TList_Append(history->FSteps);
    if (!added) return -1; // EC_NO_MEMORY from the list
    added->FItem = step;
    history->FCurrent = added;
    history->FModified = 1;
    ++history->FChanges;
    ClearLastErrorCode();
    return 0;
}

int TUndoHistory_AddStep(TUndoHistory* history, TUndoStep* step) {
    if (!history || !step) {
        TUndoStep_Destroy(step);
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    // An undo or redo procedure that calls the operation which made its step records nothing.
    if (history->FBusy != TUH_IDLE) {
        TUndoStep_Destroy(step);
        return 0;
    }
    if (TUndoHistory_PushStep(history, step) == 0) return 0;
    TUndoHistory_ClearToFreeMemory(history);
    if (TUndoHistory_PushStep(history, step) == 0) return 0;
    const int code = GetLastErrorCode(); // a step's destroy may clear it
    TUndoStep_Destroy(step);
    // The change was made and stays: the document must still ask to be saved.
    TUndoHistory_MarkUnrecorded(history);
    SetLastErrorCode(code);
    ShowLastError();
    return -1;
}

int TUndoHistory_Clear(TUndoHistory* history) {
    if (!history) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    if (history->FBusy != TUH_IDLE) {
        SetLastErrorCode(EC_UNKNOWN);
        return -1;
    }
    history->FCurrent = nullptr;
    while (TListNode* head = TList_GetHead(history->FSteps))
        DropNode(history, head);
    history->FModified = 0;
    history->FDropped = 0;
    ++history->FChanges;
    return 0;
}

int TUndoHistory_ClearToFreeMemory(TUndoHistory* history) {
    if (!history) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    // Undoing can no longer lead back to the saved document once done steps are thrown away.
    const int32_t lost = history->FDropped || TUndoHistory_GetPosition(history) > 0;
    if (TUndoHistory_Clear(history) != 0) return -1;
    history->FModified = history->FDropped = lost;
    return 0;
}

int TUndoHistory_MarkUnrecorded(TUndoHistory* history) {
    if (!history) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    history->FModified = history->FDropped = 1;
    ++history->FChanges;
    return 0;
}

TRectXYWH TUndoHistory_Undo(TUndoHistory* history) {
    TRectXYWH rect = {0, 0, 0, 0};
    if (!history) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return rect;
    }
    if (history->FBusy != TUH_IDLE) return rect;
    history->FBusy = TUH_UNDO;
    if (history->FCurrent) {
        TUndoStep* step = StepOf(history->FCurrent);
        ShowLastErrorIf(TUndoStep_Undo(step));
        rect = step->FRect;
        history->FCurrent = history->FCurrent->FPrev;
    } else if (!history->FDropped) {
        // Back before every recorded change, and none was lost: the document is as it started.
        history->FModified = 0;
    }
    ++history->FChanges;
    history->FBusy = TUH_IDLE;
    return rect;
}

TRectXYWH TUndoHistory_Redo(TUndoHistory* history) {
    TRectXYWH rect = {0, 0, 0, 0};
    if (!history) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return rect;
    }
    if (history->FBusy != TUH_IDLE) return rect;
    history->FBusy = TUH_REDO;
    TListNode* next = history->FCurrent ? history->FCurrent->FNext : TList_GetHead(history->FSteps);
    if (next) {
        history->FCurrent = next;
        TUndoStep* step = StepOf(next);
        ShowLastErrorIf(TUndoStep_Redo(step));
        rect = step->FRect;
        ++history->FChanges;
    } else {
        history->FCurrent = TList_GetTail(history->FSteps);
    }
    history->FBusy = TUH_IDLE;
    return rect;
}

int32_t TUndoHistory_GetPosition(const TUndoHistory* history) {
    if (!history || !history->FCurrent) return 0;
    int32_t position = 0;
    for (const TListNode* node = TList_GetHead(history->FSteps); node; node = node->FNext) {
        ++position;
        if (node == history->FCurrent) return position;
    }
    return 0;
}

int32_t TUndoHistory_GetRedoCount(const TUndoHistory* history) {
    return TUndoHistory_GetCount(history) - TUndoHistory_GetPosition(history);
}

int32_t TUndoHistory_GetCount(const TUndoHistory* history) {
    return history ? TList_GetCount(history->FSteps) : 0;
}

TUndoStep* TUndoHistory_GetStep(const TUndoHistory* history, int32_t index) {
    const TListNode* node = history ? TList_GetAt(history->FSteps, index) : nullptr;
    return node ? StepOf(node) : nullptr;
}

int32_t TUndoHistory_IsModified(const TUndoHistory* history) {
    return history ? history->FModified : 0;
}

int TUndoHistory_RemoveStep(TUndoHistory* history, TUndoStep* step) {
    TListNode* node = history && step ? TList_Find(history->FSteps, step) : nullptr;
    if (!node) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    if (history->FBusy != TUH_IDLE) {
        SetLastErrorCode(EC_UNKNOWN);
        return -1;
    }
    // The step before is now the most recent one done.
    if (history->FCurrent == node) history->FCurrent = node->FPrev;
    DropNode(history, node);
    ++history->FChanges;
    return 0;
}

int TUndoHistory_SetModified(TUndoHistory* history, int32_t value) {
    if (!history) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    history->FModified = value != 0;
    if (!value) history->FDropped = 0;
    ++history->FChanges;
    return 0;
}
