// TList: links, head, tail and count after every kind of insert and remove, checked against a
// plain vector on seeded random sequences; items never freed by the list; the allocation hook.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/error.h"
#include "document/list.h"

namespace {

// Walks the list both ways and compares with the expected items.
void ExpectItems(const TList* list, const std::vector<void*>& items) {
    ASSERT_EQ(TList_GetCount(list), int32_t(items.size()));
    std::vector<void*> forward, backward;
    const TListNode* prev = nullptr;
    for (const TListNode* n = TList_GetHead(list); n; n = TList_GetNext(list, n)) {
        ASSERT_EQ(n->FPrev, prev);
        forward.push_back(n->FItem);
        prev = n;
    }
    ASSERT_EQ(TList_GetTail(list), prev);
    for (const TListNode* n = TList_GetTail(list); n; n = n->FPrev)
        backward.insert(backward.begin(), n->FItem);
    EXPECT_EQ(forward, items);
    EXPECT_EQ(backward, items);
    for (size_t i = 0; i < items.size(); ++i)
        EXPECT_EQ(TList_GetAt(list, int32_t(i))->FItem, items[i]);
    EXPECT_EQ(TList_GetAt(list, int32_t(items.size())), nullptr);
    EXPECT_EQ(TList_GetAt(list, -1), nullptr);
}

TEST(List, AppendInsertAndRemoveKeepHeadTailAndCount) {
    int a = 1, b = 2, c = 3, d = 4;
    TList* list = TList_Create();
    ASSERT_NE(list, nullptr);
    ExpectItems(list, {});
    TList_Append(list)->FItem = &a;
    TList_Append(list)->FItem = &c;
    TList_InsertAfter(list, TList_GetHead(list))->FItem = &b;
    // After the tail: the new node must become the tail, or the next append lands in the middle.
    TList_InsertAfter(list, TList_GetTail(list))->FItem = &d;
    ExpectItems(list, {&a, &b, &c, &d});
    EXPECT_EQ(TList_Find(list, &c), TList_GetAt(list, 2));
    EXPECT_EQ(TList_Find(list, nullptr), nullptr);

    EXPECT_EQ(TList_Remove(list, TList_GetHead(list)), 0);
    EXPECT_EQ(TList_Remove(list, TList_GetTail(list)), 0);
    ExpectItems(list, {&b, &c});
    EXPECT_EQ(TList_Remove(list, TList_GetAt(list, 1)), 0);
    EXPECT_EQ(TList_Remove(list, TList_GetHead(list)), 0);
    ExpectItems(list, {});
    // Items live on the stack: the list freeing one would be caught by the address sanitizer.
    TList_Append(list)->FItem = &a;
    TList_Append(list)->FItem = &b;
    EXPECT_EQ(TList_Clear(list), 0);
    ExpectItems(list, {});
    TList_Append(list)->FItem = &a;
    EXPECT_EQ(TList_Destroy(list), nullptr);
}

TEST(List, NullNodeOnlyStartsAnEmptyList) {
    TList* list = TList_Create();
    TListNode* only = TList_InsertAfter(list, nullptr);
    ASSERT_NE(only, nullptr);
    EXPECT_EQ(only->FItem, nullptr);
    EXPECT_EQ(TList_GetHead(list), only);
    EXPECT_EQ(TList_GetTail(list), only);
    ClearLastErrorCode();
    EXPECT_EQ(TList_InsertAfter(list, nullptr), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    ExpectItems(list, {nullptr});
    TList_Destroy(list);
}

TEST(List, NullListAnswersNothing) {
    int a = 0;
    EXPECT_EQ(TList_Destroy(nullptr), nullptr);
    EXPECT_EQ(TList_Append(nullptr), nullptr);
    EXPECT_EQ(TList_InsertAfter(nullptr, nullptr), nullptr);
    EXPECT_EQ(TList_Remove(nullptr, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TList_Clear(nullptr), -1);
    EXPECT_EQ(TList_GetHead(nullptr), nullptr);
    EXPECT_EQ(TList_GetTail(nullptr), nullptr);
    EXPECT_EQ(TList_GetCount(nullptr), 0);
    EXPECT_EQ(TList_GetAt(nullptr, 0), nullptr);
    EXPECT_EQ(TList_Find(nullptr, &a), nullptr);
    TList* list = TList_Create();
    EXPECT_EQ(TList_Remove(list, nullptr), -1);
    EXPECT_EQ(TList_GetNext(list, nullptr), nullptr);
    TList_Destroy(list);
}

TEST(List, FailingAllocationLeavesListUnchanged) {
    int a = 0;
    TList_SetFailingAllocations(1);
    EXPECT_EQ(TList_Create(), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    TList* list = TList_Create();
    TList_Append(list)->FItem = &a;
    TList_SetFailingAllocations(2);
    EXPECT_EQ(TList_Append(list), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    EXPECT_EQ(TList_InsertAfter(list, TList_GetHead(list)), nullptr);
    ExpectItems(list, {&a});
    EXPECT_NE(TList_Append(list), nullptr); // the hook has run out
    TList_SetFailingAllocations(0);
    TList_Destroy(list);
}

TEST(List, RandomEditsMatchVector) {
    const uint32_t seed = 20240612;
    std::mt19937 rng(seed);
    SCOPED_TRACE(::testing::Message() << "seed " << seed);
    std::vector<int> pool(64);
    TList* list = TList_Create();
    std::vector<void*> model;
    for (int step = 0; step < 3000; ++step) {
        void* item = &pool[rng() % pool.size()];
        const int op = int(rng() % 4);
        if (op == 0 || model.empty()) {
            TListNode* n = TList_Append(list);
            n->FItem = item;
            model.push_back(item);
        } else if (op == 1) {
            const size_t at = rng() % model.size();
            TList_InsertAfter(list, TList_GetAt(list, int32_t(at)))->FItem = item;
            model.insert(model.begin() + at + 1, item);
        } else if (op == 2) {
            const size_t at = rng() % model.size();
            ASSERT_EQ(TList_Remove(list, TList_GetAt(list, int32_t(at))), 0);
            model.erase(model.begin() + at);
        } else {
            TListNode* found = TList_Find(list, item);
            size_t at = 0;
            while (at < model.size() && model[at] != item)
                ++at;
            ASSERT_EQ(found, at < model.size() ? TList_GetAt(list, int32_t(at)) : nullptr);
        }
        ExpectItems(list, model);
        if (HasFatalFailure()) break;
    }
    TList_Destroy(list);
}

} // namespace
