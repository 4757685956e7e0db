// TList: the small doubly linked list of untyped item pointers under the undo history.
// The list owns its nodes, never its items: removing or clearing nodes leaves the items alone.
// Nothing but the history uses it. Every operation tolerates a null list (and a null node) and
// answers null, 0 or -1 as fitting, with EC_NULL_OBJECT or EC_NO_MEMORY in the last error.
#pragma once

#include <cstdint>

struct TListNode {
    TListNode* FPrev; // null at the head
    TListNode* FNext; // null at the tail
    void* FItem;      // not owned; for the history, a TUndoStep
};

struct TList {
    int32_t FCount;   // number of nodes
    TListNode* FHead; // null when empty
    TListNode* FTail; // null when empty
};

// An empty list, or null with EC_NO_MEMORY.
TList* TList_Create();
// Clears the list and frees the record. Returns null.
TList* TList_Destroy(TList* list);

// A new node with a null item linked after node (the caller sets FItem), or null with
// EC_NO_MEMORY. A null node makes the new node the only one, which is allowed only on an empty
// list (otherwise null, nothing changed). Inserting after the tail makes the new node the tail.
TListNode* TList_InsertAfter(TList* list, TListNode* node);
// TList_InsertAfter after the tail; the new node is the tail. Null with EC_NO_MEMORY.
TListNode* TList_Append(TList* list);
// Unlinks node (a node of this list) and frees it; its item is untouched. Returns 0, or -1
// with EC_NULL_OBJECT.
int TList_Remove(TList* list, TListNode* node);
// Frees every node. Returns 0, or -1 with EC_NULL_OBJECT.
int TList_Clear(TList* list);

TListNode* TList_GetHead(const TList* list);
TListNode* TList_GetTail(const TList* list);
TListNode* TList_GetNext(const TList* list, const TListNode* node); // null after the tail
int32_t TList_GetCount(const TList* list);                          // 0 for a null list
TListNode* TList_GetAt(const TList* list, int32_t index);           // zero-based; null out of range
TListNode* TList_Find(const TList* list, const void* item);         // first node holding item

// Test hook: the next count allocations of records and nodes fail as if memory were exhausted
// (count <= 0 turns it off). Lets tests reach the out-of-memory paths of the list and the history
// without replacing the allocator.
void TList_SetFailingAllocations(int32_t count);
