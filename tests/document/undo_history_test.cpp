// The undo history with counting steps: depth and dropping, the redo branch, the modified and
// dropped flags around saves, the re-entrance guard, the memory-failure retry of AddStep, the
// header dispatch of steps, and seeded random sequences against a plain model of the cursor.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "core/error.h"
#include "document/list.h"
#include "document/undo_history.h"
#include "document/undo_step.h"
#include "platform/msgbox.h"

namespace {

// What the steps did, in order: 'u' undo, 'r' redo, 'd' destroyed, with the step's id.
struct TEvent {
    char FWhat;
    int FId;
    bool operator==(const TEvent& o) const { return FWhat == o.FWhat && FId == o.FId; }
};
std::vector<TEvent> GEvents;

std::ostream& operator<<(std::ostream& os, const TEvent& e) {
    return os << e.FWhat << e.FId;
}

struct TTestStep {
    TUndoStep FHeader;
    int FId;
};

int IdOf(const TUndoStep* step) {
    return reinterpret_cast<const TTestStep*>(step)->FId;
}

TRectXYWH RectOf(int id) {
    return {id, 2 * id, id + 1, id + 3};
}

void CountUndo(TUndoStep* s) {
    GEvents.push_back({'u', IdOf(s)});
}
void CountRedo(TUndoStep* s) {
    GEvents.push_back({'r', IdOf(s)});
}
TUndoStep* CountDestroy(TUndoStep* s) {
    GEvents.push_back({'d', IdOf(s)});
    std::free(s);
    return nullptr;
}

TUndoStep* MakeStep(int id, TUndoStepProc undo = CountUndo, TUndoStepProc redo = CountRedo) {
    TUndoStep* s = TUndoStep_Create(TUS_AREA, sizeof(TTestStep));
    reinterpret_cast<TTestStep*>(s)->FId = id;
    s->FDestroy = CountDestroy;
    s->FUseUndoProc = s->FUseRedoProc = 1;
    TUndoStep_SetUndoProc(s, undo);
    TUndoStep_SetRedoProc(s, redo);
    s->FRect = RectOf(id);
    return s;
}

bool SameRect(const TRectXYWH& a, const TRectXYWH& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}
const TRectXYWH KZero = {0, 0, 0, 0};

std::vector<int> Ids(const TUndoHistory* h) {
    std::vector<int> ids;
    for (int32_t i = 0; i < TUndoHistory_GetCount(h); ++i)
        ids.push_back(IdOf(TUndoHistory_GetStep(h, i)));
    return ids;
}

std::vector<TEvent> Take() {
    std::vector<TEvent> e;
    e.swap(GEvents);
    return e;
}

class UndoHistory : public ::testing::Test {
  protected:
    void SetUp() override {
        GEvents.clear();
        MessageBoxClearRecords();
        TList_SetFailingAllocations(0);
    }
    void TearDown() override {
        h = TUndoHistory_Destroy(h);
        TList_SetFailingAllocations(0);
    }
    void Push(int first, int last) {
        for (int id = first; id <= last; ++id)
            ASSERT_EQ(TUndoHistory_AddStep(h, MakeStep(id)), 0);
    }
    TUndoHistory* h = nullptr;
};

TEST_F(UndoHistory, DepthBelowOneGivesEight) {
    for (int32_t depth : {-5, -1, 0}) {
        TUndoHistory* d = TUndoHistory_Create(depth);
        EXPECT_EQ(d->FDepth, 8);
        TUndoHistory_Destroy(d);
    }
    h = TUndoHistory_Create(3);
    EXPECT_EQ(h->FDepth, 3);
    EXPECT_EQ(h->FCurrent, nullptr);
    EXPECT_EQ(h->FModified | h->FDropped | h->FBusy, 0);
    EXPECT_EQ(TUndoHistory_GetCount(h), 0);
}

TEST_F(UndoHistory, NinthPushDropsOldest) {
    h = TUndoHistory_Create(-1);
    Push(1, 8);
    EXPECT_EQ(h->FDropped, 0);
    EXPECT_TRUE(Take().empty());
    Push(9, 9);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 1}}));
    EXPECT_EQ(Ids(h), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(h->FDropped, 1);
    EXPECT_EQ(TUndoHistory_GetPosition(h), 8);
}

TEST_F(UndoHistory, DepthOneKeepsOnlyLatest) {
    h = TUndoHistory_Create(1);
    Push(1, 3);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 1}, {'d', 2}}));
    EXPECT_EQ(Ids(h), std::vector<int>{3});
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), RectOf(3)));
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), KZero));
    // The only node goes as the push drops it; a failed append must not leave the cursor on it.
    TUndoHistory_Redo(h);
    TList_SetFailingAllocations(1);
    TUndoStep* s = MakeStep(4);
    EXPECT_EQ(TUndoHistory_PushStep(h, s), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_MEMORY);
    EXPECT_EQ(h->FCurrent, nullptr);
    EXPECT_EQ(TUndoHistory_GetCount(h), 0);
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), KZero));
    TUndoStep_Destroy(s);
}

TEST_F(UndoHistory, PushDestroysRedoBranch) {
    h = TUndoHistory_Create(8);
    Push(1, 4);
    TUndoHistory_Undo(h);
    TUndoHistory_Undo(h);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'u', 4}, {'u', 3}}));
    EXPECT_EQ(TUndoHistory_GetRedoCount(h), 2);
    Push(5, 5);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 3}, {'d', 4}}));
    EXPECT_EQ(Ids(h), (std::vector<int>{1, 2, 5}));
    EXPECT_EQ(TUndoHistory_GetRedoCount(h), 0);
    EXPECT_EQ(h->FDropped, 0);

    TUndoHistory_Undo(h);
    TUndoHistory_Undo(h);
    TUndoHistory_Undo(h);
    Take();
    Push(6, 6); // nothing done: the whole list goes
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 1}, {'d', 2}, {'d', 5}}));
    EXPECT_EQ(Ids(h), std::vector<int>{6});
    EXPECT_EQ(TUndoHistory_GetPosition(h), 1);
}

TEST_F(UndoHistory, UndoRedoWalkTheCursor) {
    h = TUndoHistory_Create(8);
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), KZero)); // fresh
    EXPECT_TRUE(SameRect(TUndoHistory_Redo(h), KZero));
    EXPECT_EQ(h->FModified, 0);
    EXPECT_EQ(h->FCurrent, nullptr);
    Push(1, 3);
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), RectOf(3)));
    EXPECT_EQ(TUndoHistory_GetPosition(h), 2);
    EXPECT_EQ(TUndoHistory_GetRedoCount(h), 1);
    EXPECT_TRUE(SameRect(TUndoHistory_Redo(h), RectOf(3)));
    EXPECT_TRUE(SameRect(TUndoHistory_Redo(h), KZero)); // at the tail
    EXPECT_EQ(h->FCurrent, TList_GetTail(h->FSteps));
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'u', 3}, {'r', 3}}));
    for (int i = 0; i < 4; ++i)
        TUndoHistory_Undo(h);
    EXPECT_TRUE(SameRect(TUndoHistory_Redo(h), RectOf(1)));
    EXPECT_EQ(TUndoHistory_GetPosition(h), 1);
}

TEST_F(UndoHistory, UndoPastStartClearsModifiedUnlessDropped) {
    h = TUndoHistory_Create(8);
    Push(1, 1);
    EXPECT_EQ(TUndoHistory_IsModified(h), 1);
    TUndoHistory_SetModified(h, 0); // saved
    Push(2, 2);
    EXPECT_EQ(h->FModified, 1);
    TUndoHistory_Undo(h);
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 1); // the undo that reached the start had a step to undo
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 0);
    TUndoHistory_Redo(h);
    EXPECT_EQ(h->FModified, 0); // redo never touches it

    TUndoHistory_Clear(h);
    Push(1, 9);
    for (int i = 0; i < 9; ++i)
        TUndoHistory_Undo(h);
    EXPECT_EQ(TUndoHistory_GetPosition(h), 0);
    EXPECT_EQ(h->FModified, 1);
    TUndoHistory_SetModified(h, 0); // saving forgets the dropped step
    EXPECT_EQ(h->FDropped, 0);
    TUndoHistory_SetModified(h, 1);
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 0);
}

// Two edits, the history cleared to free memory, a step made after it and two undos: the edits
// are still in the picture, so the document stays modified. From the saved state with nothing
// done the clear loses nothing. An unrecorded change is never undone.
TEST_F(UndoHistory, ClearingForMemoryAndUnrecordedChangesKeepTheDocumentModified) {
    h = TUndoHistory_Create(8);
    Push(1, 2);
    EXPECT_EQ(TUndoHistory_ClearToFreeMemory(h), 0);
    EXPECT_EQ(TUndoHistory_GetCount(h), 0);
    Push(3, 3);
    TUndoHistory_Undo(h);
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 1);

    TUndoHistory_SetModified(h, 0); // saved with step 3 undone
    EXPECT_EQ(TUndoHistory_ClearToFreeMemory(h), 0);
    Push(4, 4);
    TUndoHistory_Undo(h);
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 0);

    TUndoHistory_MarkUnrecorded(h);
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 1);
    EXPECT_EQ(TUndoHistory_ClearToFreeMemory(nullptr), -1);
    EXPECT_EQ(TUndoHistory_MarkUnrecorded(nullptr), -1);
}

TUndoHistory* GReentered = nullptr;
TRectXYWH GNestedUndo, GNestedRedo;
int GNestedAdd, GNestedClear, GNestedRemove;

void RecordingProc(TUndoStep* s) {
    GEvents.push_back({'u', IdOf(s)});
    GNestedAdd = TUndoHistory_AddStep(GReentered, MakeStep(100 + IdOf(s)));
    GNestedUndo = TUndoHistory_Undo(GReentered);
    GNestedRedo = TUndoHistory_Redo(GReentered);
    GNestedClear = TUndoHistory_Clear(GReentered);
    GNestedRemove = TUndoHistory_RemoveStep(GReentered, s);
}

TEST_F(UndoHistory, StepProceduresCannotReenter) {
    h = GReentered = TUndoHistory_Create(8);
    Push(1, 1);
    ASSERT_EQ(TUndoHistory_AddStep(h, MakeStep(2, RecordingProc, RecordingProc)), 0);
    for (auto run : {TUndoHistory_Undo, TUndoHistory_Redo}) {
        GNestedAdd = GNestedClear = GNestedRemove = 7;
        EXPECT_TRUE(SameRect(run(h), RectOf(2)));
        EXPECT_EQ(Take(), (std::vector<TEvent>{{'u', 2}, {'d', 102}}));
        EXPECT_EQ(GNestedAdd, 0);
        EXPECT_TRUE(SameRect(GNestedUndo, KZero));
        EXPECT_TRUE(SameRect(GNestedRedo, KZero));
        EXPECT_EQ(GNestedClear, -1); // the running step must outlive its procedure
        EXPECT_EQ(GNestedRemove, -1);
        EXPECT_EQ(Ids(h), (std::vector<int>{1, 2}));
        EXPECT_EQ(h->FBusy, 0);
    }
    EXPECT_EQ(TUndoHistory_GetPosition(h), 2);
}

TEST_F(UndoHistory, AddStepClearsAndRetriesWhenMemoryRunsOut) {
    h = TUndoHistory_Create(8);
    TList_SetFailingAllocations(1); // fresh history: the retry loses nothing
    EXPECT_EQ(TUndoHistory_AddStep(h, MakeStep(1)), 0);
    EXPECT_EQ(h->FDropped, 0);
    Push(2, 3);
    TUndoHistory_Undo(h);
    Take();
    TList_SetFailingAllocations(1);
    EXPECT_EQ(TUndoHistory_AddStep(h, MakeStep(4)), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 3}, {'d', 1}, {'d', 2}}));
    EXPECT_EQ(Ids(h), std::vector<int>{4});
    EXPECT_EQ(TUndoHistory_GetPosition(h), 1);
    // Done steps were lost, so undoing back to the start cannot claim an unmodified document.
    EXPECT_EQ(h->FDropped, 1);
    EXPECT_EQ(h->FModified, 1);
    EXPECT_TRUE(MessageBoxRecords().empty());

    TList_SetFailingAllocations(2);
    EXPECT_EQ(TUndoHistory_AddStep(h, MakeStep(5)), -1);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 4}, {'d', 5}}));
    EXPECT_EQ(TUndoHistory_GetCount(h), 0);
    EXPECT_EQ(h->FCurrent, nullptr);
    EXPECT_EQ(h->FModified, 1); // the change stands without a step
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, "Could not allocated memory");
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
    EXPECT_EQ(MessageBoxRecords()[0].FFlags, MB_ICONSTOP | MB_OK);
    TUndoHistory_Undo(h);
    EXPECT_EQ(h->FModified, 1);
}

TEST_F(UndoHistory, MissingArgumentsAreReported) {
    ClearLastErrorCode();
    EXPECT_EQ(TUndoHistory_AddStep(nullptr, MakeStep(1)), -1); // taken and destroyed all the same
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 1}}));
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(nullptr), KZero));
    EXPECT_TRUE(SameRect(TUndoHistory_Redo(nullptr), KZero));
    EXPECT_EQ(TUndoHistory_IsModified(nullptr), 0);
    EXPECT_EQ(TUndoHistory_GetPosition(nullptr), 0);
    EXPECT_EQ(TUndoHistory_GetRedoCount(nullptr), 0);
    EXPECT_EQ(TUndoHistory_GetStep(nullptr, 0), nullptr);
    EXPECT_EQ(TUndoHistory_SetModified(nullptr, 0), -1);
    EXPECT_EQ(TUndoHistory_Clear(nullptr), -1);
    EXPECT_EQ(TUndoHistory_Destroy(nullptr), nullptr);
    h = TUndoHistory_Create(8);
    ClearLastErrorCode();
    EXPECT_EQ(TUndoHistory_AddStep(h, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TUndoHistory_GetCount(h), 0);
    EXPECT_EQ(h->FModified, 0);
}

TEST_F(UndoHistory, RemoveStepKeepsCursorOnDoneSteps) {
    h = TUndoHistory_Create(8);
    Push(1, 3);
    TUndoStep* outside = MakeStep(9);
    EXPECT_EQ(TUndoHistory_RemoveStep(h, outside), -1); // not ours: left alone
    EXPECT_EQ(TUndoHistory_RemoveStep(h, TUndoHistory_GetStep(h, 2)), 0);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'d', 3}}));
    EXPECT_EQ(TUndoHistory_GetPosition(h), 2);
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), RectOf(2)));
    EXPECT_EQ(TUndoHistory_RemoveStep(h, TUndoHistory_GetStep(h, 0)), 0);
    EXPECT_EQ(TUndoHistory_GetPosition(h), 0);
    EXPECT_EQ(TUndoHistory_GetRedoCount(h), 1);
    TUndoStep_Destroy(outside);
}

// Header dispatch of a step, on its own and through the history.
TEST_F(UndoHistory, StepHeaderChoosesItsProcedures) {
    EXPECT_EQ(TUndoStep_Destroy(nullptr), nullptr);
    EXPECT_EQ(TUndoStep_Undo(nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TUndoStep_Redo(nullptr), -1);

    h = TUndoHistory_Create(8);
    TUndoStep* plain = TUndoStep_Create(TUS_ROTATE, 0); // no destroy: simply freed
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->FKind, TUS_ROTATE);
    plain->FUseUndoProc = 1; // with no procedure: undoes nothing, succeeds
    plain->FRect = RectOf(5);
    TUndoHistory_AddStep(h, plain);
    EXPECT_TRUE(SameRect(TUndoHistory_Undo(h), RectOf(5)));
    EXPECT_EQ(TUndoHistory_GetPosition(h), 0);
    EXPECT_TRUE(SameRect(TUndoHistory_Redo(h), RectOf(5))); // FUseRedoProc 0: nothing to call

    TUndoStep* off = MakeStep(6);
    off->FUseRedoProc = 0;
    TUndoHistory_AddStep(h, off);
    TUndoHistory_Redo(h);
    TUndoHistory_Undo(h);
    TUndoHistory_Redo(h);
    EXPECT_EQ(Take(), (std::vector<TEvent>{{'u', 6}}));
    // Not using the undo procedure means restoring pixels, which needs a surface and a form:
    // the failure is shown and the cursor moves on.
    off->FUseUndoProc = 0;
    MessageBoxClearRecords();
    TUndoHistory_Undo(h);
    EXPECT_TRUE(Take().empty());
    EXPECT_EQ(TUndoHistory_GetPosition(h), 1);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, "Null Object error");
}

// The plain model: ids oldest first, the number of done steps, the two flags.
struct TModel {
    int32_t FDepth;
    std::vector<int> FIds;
    size_t FPos = 0;
    int32_t FModified = 0, FDropped = 0;

    void Destroy(size_t from, size_t to, std::vector<TEvent>* e) {
        for (size_t i = from; i < to; ++i)
            e->push_back({'d', FIds[i]});
        FIds.erase(FIds.begin() + from, FIds.begin() + to);
    }
    void Clear(std::vector<TEvent>* e) {
        Destroy(0, FIds.size(), e);
        FPos = 0;
        FModified = FDropped = 0;
    }
    // failures: how many node allocations fail, 0 to 2.
    int Push(int id, int failures, std::vector<TEvent>* e) {
        Destroy(FPos, FIds.size(), e);
        if (int32_t(FIds.size()) >= FDepth) {
            Destroy(0, FIds.size() - FDepth + 1, e);
            FDropped = 1;
        }
        FPos = FIds.size();
        if (failures > 0) {
            const int32_t lost = FDropped || FPos > 0;
            Clear(e);
            FDropped = lost;
            if (failures > 1) {
                e->push_back({'d', id});
                FModified = FDropped = 1;
                return -1;
            }
        }
        FIds.push_back(id);
        FPos = FIds.size();
        FModified = 1;
        return 0;
    }
};

TEST(UndoHistoryModel, RandomSequencesMatchModel) {
    const uint32_t seed = 20240613;
    std::mt19937 rng(seed);
    GEvents.clear();
    MessageBoxClearRecords();
    int nextId = 1;
    for (int run = 0; run < 300; ++run) {
        const int32_t depth = int32_t(rng() % 15) - 2;
        SCOPED_TRACE(::testing::Message()
                     << "seed " << seed << " run " << run << " depth " << depth);
        TUndoHistory* h = TUndoHistory_Create(depth);
        TModel m;
        m.FDepth = depth >= 1 ? depth : 8;
        size_t boxes = 0;
        for (int op = 0; op < 200; ++op) {
            std::vector<TEvent> want;
            TRectXYWH wantRect = KZero, gotRect = KZero;
            int wantResult = 0, gotResult = 0;
            const uint32_t r = rng() % 100;
            std::string what;
            if (r < 40) {
                const int failures = rng() % 25 == 0 ? 1 + int(rng() % 2) : 0;
                const int id = nextId++;
                what = "push " + std::to_string(id) + " failing " + std::to_string(failures);
                wantResult = m.Push(id, failures, &want);
                boxes += failures == 2;
                TList_SetFailingAllocations(failures);
                gotResult = TUndoHistory_AddStep(h, MakeStep(id));
                TList_SetFailingAllocations(0);
            } else if (r < 70) {
                what = "undo";
                if (m.FPos > 0) {
                    const int id = m.FIds[--m.FPos];
                    want.push_back({'u', id});
                    wantRect = RectOf(id);
                } else if (!m.FDropped) {
                    m.FModified = 0;
                }
                gotRect = TUndoHistory_Undo(h);
            } else if (r < 92) {
                what = "redo";
                if (m.FPos < m.FIds.size()) {
                    const int id = m.FIds[m.FPos++];
                    want.push_back({'r', id});
                    wantRect = RectOf(id);
                }
                gotRect = TUndoHistory_Redo(h);
            } else if (r < 95) {
                what = "clear";
                m.Clear(&want);
                gotResult = TUndoHistory_Clear(h);
            } else {
                const int32_t value = int32_t(rng() % 2);
                what = "set modified " + std::to_string(value);
                m.FModified = value;
                if (!value) m.FDropped = 0;
                gotResult = TUndoHistory_SetModified(h, value);
            }
            SCOPED_TRACE(::testing::Message() << "op " << op << ": " << what);
            ASSERT_EQ(Take(), want);
            ASSERT_EQ(gotResult, wantResult);
            ASSERT_TRUE(SameRect(gotRect, wantRect));
            ASSERT_EQ(Ids(h), m.FIds);
            ASSERT_EQ(TUndoHistory_GetPosition(h), int32_t(m.FPos));
            ASSERT_EQ(TUndoHistory_GetRedoCount(h), int32_t(m.FIds.size() - m.FPos));
            ASSERT_EQ(h->FModified, m.FModified);
            ASSERT_EQ(h->FDropped, m.FDropped);
            ASSERT_EQ(h->FBusy, 0);
            ASSERT_LE(TUndoHistory_GetCount(h), h->FDepth);
            ASSERT_EQ(MessageBoxRecords().size(), boxes);
        }
        std::vector<TEvent> want;
        m.Destroy(0, m.FIds.size(), &want);
        TUndoHistory_Destroy(h);
        ASSERT_EQ(Take(), want);
        MessageBoxClearRecords();
    }
}

} // namespace
