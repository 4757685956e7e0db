// TList: node allocation and linking for the undo history's list. Items are never touched.
// Keeps FHead, FTail and FCount right after every operation, so the history can trust them.
#include "document/list.h"

#include <cstdlib>
#include <cstring>

#include "core/error.h"

static int32_t GFailingAllocations = 0;

void TList_SetFailingAllocations(int32_t count) {
    GFailingAllocations = count > 0 ? count : 0;
}

static void* Allocate(size_t size) {
    if (GFailingAllocations > 0) {
        --GFailingAllocations;
        return nullptr;
    }
    return std::calloc(1, size);
}

static void FreeZeroed(void* record, size_t size) {
    std::memset(record, 0, size);
    std::free(record);
}

TList* TList_Create() {
    TList* list = static_cast<TList*>(Allocate(sizeof(TList)));
    if (!list) SetLastErrorCode(EC_NO_MEMORY);
    return list;
}

TList* TList_Destroy(TList* list) {
    if (!list) return nullptr;
    TList_Clear(list);
    FreeZeroed(list, sizeof *list);
    return nullptr;
}

TListNode* TList_InsertAfter(TList* list, TListNode* node) {
    // A null node is the first node of an empty list; a node on an empty list cannot be ours.
    if (!list || (node == nullptr) != (list->FCount == 0)) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return nullptr;
    }
    TListNode* added = static_cast<TListNode*>(Allocate(sizeof(TListNode)));
    if (!added) {
        SetLastErrorCode(EC_NO_MEMORY);
        return nullptr;
    }
    if (!node) {
        list->FHead = added;
        list->FTail = added;
    } else {
        added->FPrev = node;
        added->FNext = node->FNext;
        if (node->FNext) node->FNext->FPrev = added;
        node->FNext = added;
        // A tail left behind would make the next append link into the middle of the list.
        if (list->FTail == node) list->FTail = added;
    }
    ++list->FCount;
    return added;
}

TListNode* TList_Append(TList* list) {
    if (!list) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return nullptr;
    }
    TListNode* added = TList_InsertAfter(list, list->FTail);
    if (added) list->FTail = added;
    return added;
}

int TList_Remove(TList* list, TListNode* node) {
    if (!list || !node || list->FCount <= 0) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    if (node->FPrev)
        node->FPrev->FNext = node->FNext;
    else
        list->FHead = node->FNext;
    if (node->FNext)
        node->FNext->FPrev = node->FPrev;
    else
        list->FTail = node->FPrev;
    --list->FCount;
    FreeZeroed(node, sizeof *node);
    return 0;
}

int TList_Clear(TList* list) {
    if (!list) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return -1;
    }
    TListNode* node = list->FHead;
    while (node) {
        TListNode* next = node->FNext;
        FreeZeroed(node, sizeof *node);
        node = next;
    }
    list->FCount = 0;
    list->FHead = nullptr;
    list->FTail = nullptr;
    return 0;
}

TListNode* TList_GetHead(const TList* list) {
    return list ? list->FHead : nullptr;
}

TListNode* TList_GetTail(const TList* list) {
    return list ? list->FTail : nullptr;
}

TListNode* TList_GetNext(const TList* list, const TListNode* node) {
    return list && node ? node->FNext : nullptr;
}

int32_t TList_GetCount(const TList* list) {
    return list ? list->FCount : 0;
}

TListNode* TList_GetAt(const TList* list, int32_t index) {
    if (!list || index < 0 || index >= list->FCount) return nullptr;
    TListNode* node = list->FHead;
    while (node && index-- > 0)
        node = node->FNext;
    return node;
}

TListNode* TList_Find(const TList* list, const void* item) {
    if (!list) return nullptr;
    for (TListNode* node = list->FHead; node; node = node->FNext)
        if (node->FItem == item) return node;
    return nullptr;
}
