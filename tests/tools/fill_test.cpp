// The fill tool on a real work form: taps that change nothing record nothing, the transparent
// area taken whatever its hidden colours, the area selection as the flood's limit, diagonal
// neighbours kept apart, undo and redo bit for bit on the layer and in a floating selection,
// the step holding only the changed rectangle, a fill cut short still undone exactly, and a
// fill whose pixels cannot be saved leaving the document modified.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/flood_fill.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "platform/msgbox.h"
#include "support/test_support.h"
#include "tools/fill.h"
#include "tools/tool_bar.h"
#include "tools/tool_test_hooks.h"

namespace {

const uint32_t KRed = 0x0000FF, KGreen = 0x00FF00;

class FillTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        GStatus.clear();
        TDocumentHost host = {};
        host.FSetStatusText = RecordStatus;
        DocumentHost_Install(&host);
        FFill = TFill_Create();
        ASSERT_NE(FFill, nullptr);
        ASSERT_EQ(FFill->FId, TTI_FILL);
        ASSERT_NE(TToolBar_Create(FMain.get()), nullptr);
        TToolBar_SetPrimaryColor(KRed);
        TToolBar_SetSwatch(0);
    }
    void TearDown() override {
        FFill = TTool_Destroy(FFill);
        TToolBar_Destroy(TToolBar_Get());
        TImage_SetFloodFillStackLimit(UINT64_MAX);
        WorkFormTest::TearDown();
    }

    // Writes rows into the background from (0, 0): '#' black, '.' white, 'R' red, visible;
    // 'a' to 'd' transparent over four different hidden colours.
    void Paint(const std::vector<std::string>& rows) {
        TImage* image = TWorkForm_GetBackground(FForm)->FImage;
        const uint32_t hidden[4] = {0, 0xFFFFFF, 0x123456, KRed};
        for (int32_t y = 0; y < int32_t(rows.size()); ++y)
            for (int32_t x = 0; x < int32_t(rows[y].size()); ++x) {
                const char c = rows[y][x];
                if (c >= 'a' && c <= 'd') {
                    TImage_SetPixelMasked(image, x, y, hidden[c - 'a'], 0);
                    continue;
                }
                const uint32_t colour = c == '#' ? 0 : c == 'R' ? KRed : 0xFFFFFF;
                TImage_SetPixelMasked(image, x, y, colour, 0xFFFFFF);
            }
        TWorkForm_Repaint(FForm);
    }

    // Press, move and release on document pixel (x, y); the press's result.
    int Tap(TTool* tool, int32_t x, int32_t y) {
        TPoint p = PixelCentre(x, y);
        int result = TTool_Down(tool, FForm, p.x, p.y);
        EXPECT_EQ(TTool_Move(tool, FForm, p.x + 3, p.y), 1);
        EXPECT_EQ(TTool_Up(tool, FForm, p.x, p.y), 1);
        return result;
    }

    int32_t Steps() { return TUndoHistory_GetCount(FForm->FHistory); }
    TUndoStep* LastStep() { return TUndoHistory_GetStep(FForm->FHistory, Steps() - 1); }

    TTool* FFill = nullptr;
};

// The background's top-left w x h: '#' black, '.' white, 'R' red, visible; 'o' transparent;
// '?' any other visible colour.
std::vector<std::string> Background(TWorkForm* form, int32_t w, int32_t h) {
    TImage* image = TWorkForm_GetBackground(form)->FImage;
    std::vector<std::string> rows(h, std::string(w, '?'));
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            uint32_t c = 0;
            if (!TImage_GetPixelMasked(image, x, y, &c))
                rows[y][x] = 'o';
            else if (c == 0 || c == 0xFFFFFF || c == KRed)
                rows[y][x] = c == 0 ? '#' : c == KRed ? 'R' : '.';
        }
    return rows;
}

// The step saved exactly r of its surface: its rectangle and the pixels it holds.
void ExpectSaved(TUndoStep* step, TRectXYWH r) {
    ASSERT_NE(step, nullptr);
    const TRectXYWH& f = step->FRect;
    EXPECT_TRUE(f.x == r.x && f.y == r.y && f.width == r.width && f.height == r.height)
        << f.x << "," << f.y << " " << f.width << "x" << f.height;
    TLayer* saved = reinterpret_cast<TUndoAreaStep*>(step)->FSaved;
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->FWidth, r.width);
    EXPECT_EQ(saved->FHeight, r.height);
}

TEST_F(FillTest, TapThatWouldChangeNothingRecordsNothing) {
    const struct {
        int32_t swatch, x, y;
        const char* what;
    } cases[] = {
        {0, 1, 0, "a red pixel tapped with the red primary"},
        {1, 0, 1, "a transparent area of many hidden colours tapped with the secondary"},
    };
    for (const auto& c : cases) {
        MakeForm(6, 3);
        Paint({"#RR#.#", "abcd#.", "dcba#."});
        TToolBar_SetSwatch(c.swatch);
        const TDocSnapshot before = Snapshot(FForm);
        GStatus.clear();
        EXPECT_EQ(Tap(FFill, c.x, c.y), 1) << c.what;
        EXPECT_EQ(Snapshot(FForm), before) << c.what;
        EXPECT_EQ(Steps(), 0) << c.what;
        EXPECT_EQ(TWorkForm_IsModified(FForm), 0) << c.what;
        ASSERT_EQ(GStatus.size(), 2u);
        EXPECT_EQ(GStatus[0], "Fill: (" + std::to_string(c.x) + ", " + std::to_string(c.y) + ")");
        EXPECT_EQ(GStatus[1], "");
    }
}

TEST_F(FillTest, TransparentSeedWithThePrimaryFillsTheWholeTransparentArea) {
    MakeForm(7, 4);
    Paint({"abc#dab", "d#cba#c", "ab#####", "##dcab#"});
    EXPECT_EQ(Tap(FFill, 0, 0), 1);
    EXPECT_EQ(Background(FForm, 7, 4),
              std::vector<std::string>({"RRR#RRR", "R#RRR#R", "RR#####", "##oooo#"}));
    ASSERT_EQ(Steps(), 1);
    EXPECT_EQ(reinterpret_cast<TUndoAreaStep*>(LastStep())->FSettings.FMaskValue, 0xFFFFFFu);
    ExpectSaved(LastStep(), {0, 0, 7, 3});
}

// Two white arms joined only below the selected rows.
TEST_F(FillTest, AreaSelectionLimitsTheFlood) {
    MakeForm(10, 6);
    Paint({"#..###..##", "#..###..##", "#..###..##", "#..###..##", "#..###..##", "#........#"});
    TRectXYWH area = {0, 0, 10, 4};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_AREA), 0);
    EXPECT_EQ(Tap(FFill, 1, 1), 1);
    EXPECT_EQ(Background(FForm, 10, 6),
              std::vector<std::string>({"#RR###..##", "#RR###..##", "#RR###..##", "#RR###..##",
                                        "#..###..##", "#........#"}));
    ExpectSaved(LastStep(), {1, 0, 2, 4});
}

TEST_F(FillTest, DiagonalNeighboursAreNotJoined) {
    MakeForm(3, 3);
    Paint({".#.", "#.#", ".#."});
    EXPECT_EQ(Tap(FFill, 1, 1), 1);
    EXPECT_EQ(Background(FForm, 3, 3), std::vector<std::string>({".#.", "#R#", ".#."}));
}

TEST_F(FillTest, UndoRestoresBitForBitAndRedoFillsAgain) {
    for (bool floating : {false, true}) {
        MakeForm(32, 24);
        FillPattern(3);
        // A green spiral in the pattern, from (10, 6).
        TImage* image = TWorkForm_GetBackground(FForm)->FImage;
        const TRectLTRB bars[] = {{10, 6, 20, 7},  {19, 6, 20, 16}, {11, 15, 20, 16},
                                  {11, 9, 12, 16}, {11, 9, 17, 10}, {16, 9, 17, 13},
                                  {14, 12, 17, 13}};
        for (const TRectLTRB& b : bars)
            for (int32_t y = b.top; y < b.bottom; ++y)
                for (int32_t x = b.left; x < b.right; ++x)
                    TImage_SetPixelMasked(image, x, y, KGreen, 0xFFFFFF);
        TPoint tap = {14, 12};
        if (floating) {
            TRectXYWH area = {8, 4, 14, 14};
            ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT), 0);
            TWorkForm_MoveSelection(FForm, 12, 8, 0);
            tap = {18, 16};
        }
        TWorkForm_Repaint(FForm);
        const std::vector<uint8_t> background = PixelDump(TWorkForm_GetBackground(FForm)->FImage);
        const int32_t steps = Steps();
        GStatus.clear();
        ExpectUndoRedo([&] { EXPECT_EQ(Tap(FFill, tap.x, tap.y), 1); });
        EXPECT_EQ(Steps(), steps + 1);
        if (!floating) {
            ExpectSaved(LastStep(), {10, 6, 10, 10});
            continue;
        }
        // The floating selection is filled in its own pixels; the layer under it is not.
        EXPECT_EQ(GStatus[0], "Fill: (6, 8)");
        EXPECT_EQ(LastStep()->FTarget, FForm->FFloat);
        ExpectSaved(LastStep(), {2, 2, 10, 10});
        EXPECT_EQ(PixelDump(TWorkForm_GetBackground(FForm)->FImage), background);
    }
}

TEST_F(FillTest, StepOfASmallRegionHoldsOnlyItsRectangle) {
    MakeForm(200, 150);
    TImage* image = TWorkForm_GetBackground(FForm)->FImage;
    for (int32_t y = 0; y < 150; ++y)
        for (int32_t x = 0; x < 200; ++x)
            TImage_SetPixelMasked(image, x, y, x >= 40 && x < 43 && y >= 30 && y < 32 ? 0 : KGreen,
                                  0xFFFFFF);
    EXPECT_EQ(Tap(FFill, 41, 31), 1);
    ExpectSaved(LastStep(), {40, 30, 3, 2});
}

// A segment stack of two entries cuts the fill of a comb short. The step still restores all the
// fill wrote, and a redo with memory to spare stays inside what the step restores.
TEST_F(FillTest, FillCutShortIsRecordedAndUndoneExactly) {
    MakeForm(24, 12);
    std::vector<std::string> comb(8, ".#.#.#.#.#.#.#.#.#.#.#.#");
    comb[0] = std::string(24, '.');
    comb.resize(12, "######################.#"); // the last tooth hangs lower
    Paint(comb);
    const TDocSnapshot before = Snapshot(FForm);
    TImage_SetFloodFillStackLimit(2);
    EXPECT_EQ(Tap(FFill, 0, 7), 0);
    TImage_SetFloodFillStackLimit(UINT64_MAX);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, "Could not allocated memory");
    ASSERT_EQ(Steps(), 1);
    // Cut short: white is left of the region, some of it outside the step's rectangle.
    const TRectXYWH r = LastStep()->FRect;
    auto inside = [&](int32_t x, int32_t y) {
        return x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
    };
    const std::vector<std::string> cut = Background(FForm, 24, 12);
    int32_t filled = 0, leftOutside = 0;
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 24; ++x) {
            filled += cut[y][x] == 'R';
            leftOutside += !inside(x, y) && cut[y][x] == '.';
            EXPECT_TRUE(inside(x, y) || cut[y][x] != 'R') << x << "," << y;
        }
    EXPECT_GT(filled, 0);
    ASSERT_GT(leftOutside, 0);

    TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), before) << "undo";
    TWorkForm_Redo(FForm);
    const std::vector<std::string> redone = Background(FForm, 24, 12);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 24; ++x)
            EXPECT_TRUE(redone[y][x] == cut[y][x] || (inside(x, y) && cut[y][x] != 'R'))
                << x << "," << y;
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), before) << "undo after redo";
}

// A fill whose pixels cannot be saved (no backup and no room for the whole surface, or no room
// for the changed rectangle) still stands, and the document asks to be saved whatever is undone,
// also when there were no steps for the failure to clear.
TEST_F(FillTest, FillThatCannotBeRecordedLeavesTheDocumentModified) {
    const struct {
        bool noBackup;
        int32_t fillsBefore;
        const char* after;
    } cases[] = {{true, 2, "R#R#R#.#R"},
                 {true, 0, ".#.#R#.#R"},
                 {false, 2, "R#R#R#.#R"},
                 {false, 0, ".#.#R#.#R"}};
    for (const auto& c : cases) {
        MakeForm(9, 4);
        Paint({".#.#.#.#R", ".#.#.#.#R", ".#.#.#.#R", ".#.#.#.#R"});
        EXPECT_EQ(Tap(FFill, 8, 0), 1); // nothing to fill, but the backup is taken
        for (int32_t k = 0; k < c.fillsBefore; ++k)
            EXPECT_EQ(Tap(FFill, 2 * k, 0), 1);
        ASSERT_EQ(Steps(), c.fillsBefore);
        MessageBoxClearRecords();
        // A fresh tool has no backup yet; this one keeps the backup of its taps.
        TTool* tool = c.noBackup ? TFill_Create() : FFill;
        ASSERT_NE(tool, nullptr);
        {
            LimitGuard limit;
            TImage_SetPixelLimit(1);
            EXPECT_EQ(Tap(tool, 4, 0), 1);
        }
        if (c.noBackup) TTool_Destroy(tool);
        const std::string what = std::string(c.noBackup ? "no backup, " : "backup, ") +
                                 std::to_string(c.fillsBefore) + " fills before";
        ASSERT_EQ(MessageBoxRecords().size(), 1u) << what;
        EXPECT_EQ(MessageBoxRecords()[0].FText, "Could not allocated memory");
        EXPECT_EQ(Steps(), 0) << what; // cleared to free memory
        for (int i = 0; i < 3; ++i)
            TWorkForm_Undo(FForm);
        EXPECT_EQ(TWorkForm_IsModified(FForm), 1) << what;
        EXPECT_EQ(Background(FForm, 9, 1)[0], c.after) << what;
    }
}

} // namespace
