// The undo steps on a real work form: the tools' area-step building blocks (Use flags by kind,
// points inline or on the heap), capture and restore bit for bit on the background and on a
// floating surface, and for every kind of step the change, its undo (colour plane, mask plane
// and selection state as before) and its redo (as after), with the history not growing.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "platform/msgbox.h"
#include "support/test_support.h"
#include "support/work_form_fixture.h"

namespace {

class UndoStepsTest : public WorkFormTest {
  protected:
    TLayer* Background() { return TWorkForm_GetBackground(FForm); }
    int32_t Count() { return TUndoHistory_GetCount(FForm->FHistory); }
    int32_t Position() { return TUndoHistory_GetPosition(FForm->FHistory); }

    // ExpectUndoRedo, and the change recorded exactly one step that undo and redo neither
    // duplicate nor drop.
    void ExpectOneStep(const std::function<void()>& change) {
        int32_t before = Count(), after = -1;
        ExpectUndoRedo([&] {
            change();
            after = Count();
        });
        EXPECT_EQ(after, before + 1) << "the change should record one step";
        EXPECT_EQ(Count(), after) << "undo or redo changed the history's length";
        EXPECT_EQ(Position(), after);
        EXPECT_TRUE(MessageBoxRecords().empty()) << MessageBoxRecords()[0].FText;
    }

    // Change Color at image pixel (x, y) through the stylus release it is armed for.
    void ReplaceColourAt(int32_t x, int32_t y) {
        TPoint client = TWorkForm_ImageToClient(FForm, TPoint{x, y});
        TWorkForm_ArmChangeColour(FForm);
        TWorkForm_ReplaceColourAt(FForm, client.x, client.y);
    }
};

// Paints a w x h block of the layer with colour and visibility alternating by pixel.
void Scribble(TLayer* layer, int32_t x0, int32_t y0, int32_t w, int32_t h) {
    for (int32_t y = y0; y < y0 + h; ++y)
        for (int32_t x = x0; x < x0 + w; ++x)
            TImage_SetPixelMaskedSafe(layer->FImage, x, y, 0x123456u * uint32_t(x + 7 * y),
                                      (x + y) % 2 ? 0xFFFFFF : 0);
}

TEST(UndoToolStep, UseFlagsFollowTheToolKind) {
    struct TRow {
        int FKind, FA, FB, FUndo, FRedo;
    };
    const TRow KRows[] = {{1, 1, 0, 1, 0}, {1, 0, 1, 0, 1},  {1, 1, 1, 1, 1},  {2, 1, 1, 0, 1},
                          {3, 1, 1, 0, 0}, {4, 0, 0, 0, 1},  {5, 0, 0, 1, 1},  {7, 0, 0, 1, 1},
                          {9, 0, 0, 1, 1}, {10, 1, 1, 0, 0}, {17, 1, 1, 0, 0}, {0, 1, 1, 0, 0},
                          {-1, 1, 1, 0, 0}};
    for (const TRow& row : KRows) {
        TUndoStep* step = TUndoStep_CreateToolStep(row.FKind, row.FA, row.FB);
        ASSERT_NE(step, nullptr);
        EXPECT_EQ(step->FKind, TUS_AREA) << "kind " << row.FKind;
        EXPECT_EQ(step->FUseUndoProc, row.FUndo) << "kind " << row.FKind;
        EXPECT_EQ(step->FUseRedoProc, row.FRedo) << "kind " << row.FKind;
        EXPECT_NE(step->FDestroy, nullptr);
        EXPECT_EQ(TUndoStep_Destroy(step), nullptr);
    }
}

TEST(UndoToolStep, TwoPointsStayInlineThreeGoToTheHeap) {
    TUndoStep* step = TUndoStep_CreateToolStep(2, 0, 0);
    TUndoAreaStep* area = reinterpret_cast<TUndoAreaStep*>(step);
    const TPoint points[3] = {{1, 2}, {-3, 4}, {50, -60}};
    int32_t count = -1;

    ASSERT_EQ(TUndoStep_SetPoints(step, points, 2), 0);
    EXPECT_EQ(area->FPointBuffer, nullptr);
    const TPoint* got = TUndoStep_GetPoints(step, &count);
    EXPECT_EQ(got, area->FInlinePoints);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(got[1].x, -3);
    EXPECT_EQ(got[1].y, 4);

    ASSERT_EQ(TUndoStep_SetPoints(step, points, 3), 0);
    ASSERT_NE(area->FPointBuffer, nullptr);
    got = TUndoStep_GetPoints(step, &count);
    EXPECT_EQ(got, area->FPointBuffer);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(got[2].x, 50);
    EXPECT_EQ(got[2].y, -60);

    // Setting fewer points again gives the buffer back.
    ASSERT_EQ(TUndoStep_SetPoints(step, points, 1), 0);
    EXPECT_EQ(area->FPointBuffer, nullptr);
    EXPECT_EQ(TUndoStep_GetPoints(step, &count), area->FInlinePoints);
    EXPECT_EQ(count, 1);
    ASSERT_EQ(TUndoStep_SetPoints(step, nullptr, 0), 0);
    EXPECT_EQ(TUndoStep_GetPoints(step, &count), nullptr);
    EXPECT_EQ(count, 0);

    TDrawAttr attr = {0, 0x112233, 0, 0xFFFFFF, 3};
    ASSERT_EQ(TUndoStep_SetSettings(step, &attr), 0);
    EXPECT_EQ(area->FSettings.FColor, 0x112233u);
    EXPECT_EQ(area->FSettings.FPenWidth, 3);
    TUndoStep_Destroy(step);
}

TEST_F(UndoStepsTest, UndoProcInUseButMissingUndoesNothingAndMovesTheCursor) {
    FillPattern(3);
    TDocSnapshot before = Snapshot(FForm);
    TUndoStep* step = TUndoStep_CreateToolStep(1, 1, 1);
    step->FTarget = Background();
    step->FForm = FForm;
    TWorkForm_AddUndo(FForm, step);
    ASSERT_EQ(Position(), 1);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Position(), 0);
    EXPECT_EQ(Snapshot(FForm), before);
    TWorkForm_Redo(FForm);
    EXPECT_EQ(Position(), 1);
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(UndoStepsTest, ColourStepNeedsADifferentColourALayerAndAForm) {
    ClearLastErrorCode();
    EXPECT_EQ(TUndoStep_CreateColourStep(0x00FF00, 0x00FF00, Background(), FForm), nullptr);
    EXPECT_EQ(TUndoStep_CreateColourStep(0x00FF00, 0xFFFFFF, nullptr, FForm), nullptr);
    EXPECT_EQ(TUndoStep_CreateColourStep(0x00FF00, 0xFFFFFF, Background(), nullptr), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    TUndoStep* step = TUndoStep_CreateColourStep(0x00FF00, 0xFFFFFF, Background(), FForm);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->FKind, TUS_COLOUR);
    TUndoStep_Destroy(step);
}

TEST_F(UndoStepsTest, CaptureNeedsAWorkForm) {
    TWorkForm_SetActive(nullptr);
    TUndoStep* step = TUndoStep_CreateToolStep(2, 0, 0);
    TRectXYWH rect = {0, 0, 4, 4};
    EXPECT_EQ(TUndoStep_Capture(step, Background(), &rect), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TUndoStep_RestorePixels(step), -1);
    TWorkForm_SetActive(FForm);
    EXPECT_EQ(TUndoStep_Capture(step, nullptr, &rect), -1);
    ASSERT_EQ(TUndoStep_Capture(step, Background(), &rect), 0);
    EXPECT_EQ(step->FForm, FForm); // the active form became the step's
    TUndoStep_Destroy(step);
}

TEST_F(UndoStepsTest, RestoreBringsBackTheBackgroundRectangleBitForBit) {
    FillPattern(11);
    TLayer* layer = Background();
    std::vector<uint8_t> before = PixelDump(layer->FImage);
    QImage viewBefore = GrabView();

    TUndoStep* step = TUndoStep_CreateToolStep(2, 0, 0);
    TRectXYWH rect = {3, 4, 10, 7};
    ASSERT_EQ(TUndoStep_Capture(step, layer, &rect), 0);
    EXPECT_EQ(step->FTarget, layer);
    TUndoAreaStep* area = reinterpret_cast<TUndoAreaStep*>(step);
    EXPECT_EQ(area->FRect2.x, 3);
    EXPECT_EQ(area->FRect2.height, 7);
    ASSERT_NE(area->FSaved, nullptr);
    EXPECT_EQ(area->FSaved->FWidth, 10);
    EXPECT_EQ(area->FSaved->FHeight, 7);

    Scribble(layer, 3, 4, 10, 7);
    TWorkForm_Repaint(FForm);
    ASSERT_NE(PixelDump(layer->FImage), before);
    ASSERT_EQ(TUndoStep_RestorePixels(step), 0);
    EXPECT_EQ(PixelDump(layer->FImage), before);
    EXPECT_EQ(GrabView(), viewBefore) << "the restored rectangle was not repainted";
    TUndoStep_Destroy(step);
}

TEST_F(UndoStepsTest, RestoreBringsBackAFloatingSurfaceRectangleAtItsPosition) {
    FillPattern(12);
    TRectXYWH selection = {5, 6, 12, 9};
    ASSERT_EQ(TWorkForm_Select(FForm, &selection, TWS_COPY_FLOAT), 0);
    TLayer* floating = FForm->FFloat;
    ASSERT_EQ(floating->FLeft, 5);
    std::vector<uint8_t> before = PixelDump(floating->FImage);
    std::vector<uint8_t> backgroundBefore = PixelDump(Background()->FImage);
    QImage viewBefore = GrabView();

    TUndoStep* step = TUndoStep_CreateToolStep(2, 0, 0);
    TRectXYWH rect = {2, 1, 6, 5};
    ASSERT_EQ(TUndoStep_Capture(step, floating, &rect), 0);
    Scribble(floating, 2, 1, 6, 5);
    TWorkForm_Repaint(FForm);
    ASSERT_NE(PixelDump(floating->FImage), before);
    ASSERT_EQ(TUndoStep_RestorePixels(step), 0);
    EXPECT_EQ(PixelDump(floating->FImage), before);
    EXPECT_EQ(PixelDump(Background()->FImage), backgroundBefore);
    // The repaint went to the document rectangle under the floating surface.
    EXPECT_EQ(GrabView(), viewBefore);
    TUndoStep_Destroy(step);
}

TEST_F(UndoStepsTest, RestoreIsNotCutShortByTheSelectionClip) {
    FillPattern(13);
    TLayer* layer = Background();
    std::vector<uint8_t> before = PixelDump(layer->FImage);
    TUndoStep* step = TUndoStep_CreateToolStep(2, 0, 0);
    TRectXYWH whole = {0, 0, layer->FWidth, layer->FHeight};
    ASSERT_EQ(TUndoStep_Capture(step, layer, &whole), 0);
    Scribble(layer, 0, 0, layer->FWidth, layer->FHeight);
    TRectXYWH small = {4, 4, 5, 5};
    TWorkForm_Select(FForm, &small, TWS_AREA);
    ASSERT_EQ(TUndoStep_RestorePixels(step), 0);
    EXPECT_EQ(PixelDump(layer->FImage), before);
    // The clip is still there for whatever draws next.
    uint32_t corner = BackgroundPixel(FForm, 0, 0);
    TLayer_FillRect(layer, 0, 0, layer->FWidth, layer->FHeight, 0xFF, 0xFF, 0xFFFFFF, 1);
    EXPECT_EQ(BackgroundPixel(FForm, 0, 0), corner);
    EXPECT_EQ(BackgroundPixel(FForm, 5, 5), 0xFFu);
    TUndoStep_Destroy(step);
}

TEST_F(UndoStepsTest, AreaAndShapeConstructorsCaptureAndRefuseMissingArguments) {
    FillPattern(14);
    TRectXYWH rect = {1, 1, 4, 4};
    TUndoStepProc redo = [](TUndoStep*) {};
    TUndoDrawProc draw = [](TLayer*, TPoint, TPoint) {};
    TUndoStep* step = TUndoStep_CreateAreaStep(redo, &rect, Background(), FForm);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->FUseUndoProc, 0);
    EXPECT_EQ(step->FUseRedoProc, 1);
    EXPECT_EQ(step->FRedoProc, redo);
    TUndoStep_Destroy(step);
    step = TUndoStep_CreateShapeStep(redo, draw, &rect, Background(), FForm);
    ASSERT_NE(step, nullptr);
    EXPECT_EQ(step->FKind, TUS_SHAPE);
    EXPECT_EQ(reinterpret_cast<TUndoAreaStep*>(step)->FDrawProc, draw);
    TUndoStep_Destroy(step);
    EXPECT_EQ(TUndoStep_CreateShapeStep(redo, nullptr, &rect, Background(), FForm), nullptr);
    EXPECT_EQ(TUndoStep_CreateShapeStep(redo, draw, &rect, Background(), nullptr), nullptr);
    EXPECT_TRUE(MessageBoxRecords().empty());
    // A failed capture is shown and gives no step.
    EXPECT_EQ(TUndoStep_CreateAreaStep(redo, &rect, nullptr, FForm), nullptr);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, "Null Object error");
}

// ---- Every kind of step through the work form's operations ----

TEST_F(UndoStepsTest, RotateUndoesAndRedoesWithTheSwappedSize) {
    FillPattern(21);
    for (int angle : {-90, 90, 180}) {
        SCOPED_TRACE(angle);
        ExpectOneStep([&] { ASSERT_EQ(TWorkForm_Rotate(FForm, angle), 0); });
        TUndoStep* step = TUndoHistory_GetStep(FForm->FHistory, Count() - 1);
        EXPECT_EQ(step->FKind, TUS_ROTATE);
        EXPECT_EQ(reinterpret_cast<TUndoRotateStep*>(step)->FAngle, angle);
        int32_t w = Background()->FWidth, h = Background()->FHeight;
        TWorkForm_Undo(FForm);
        // The view was rebuilt for the size the undo gave back.
        ASSERT_NE(FForm->FComposite, nullptr);
        EXPECT_EQ(FForm->FComposite->FWidth, angle == 180 ? w : h);
        EXPECT_EQ(FForm->FComposite->FHeight, angle == 180 ? h : w);
        TWorkForm_Redo(FForm);
        EXPECT_EQ(FForm->FComposite->FWidth, w);
    }
}

TEST_F(UndoStepsTest, RotateUndoKeepsTheAreaSelectionClip) {
    MakeForm(24, 24);
    FillPattern(22);
    TRectXYWH area = {2, 3, 6, 5};
    TWorkForm_Select(FForm, &area, TWS_AREA);
    ExpectOneStep([&] { TWorkForm_Rotate(FForm, -90); });
    TWorkForm_Undo(FForm);
    TLayer* layer = Background();
    EXPECT_NE(layer->FClipRgn, nullptr);
    EXPECT_EQ(layer->FImage->FClipOn, 1);
    EXPECT_EQ(layer->FImage->FClipRect.left, 2);
    EXPECT_EQ(layer->FImage->FClipRect.bottom, 8);
}

TEST_F(UndoStepsTest, FlipUndoAndRedoBothFlipAgain) {
    FillPattern(23);
    ExpectOneStep([&] { TWorkForm_Flip(FForm, 0); });
    ExpectOneStep([&] { TWorkForm_Flip(FForm, 1); });

    MakeForm(32, 24);
    FillPattern(24);
    TDocSnapshot original = Snapshot(FForm);
    TWorkForm_Flip(FForm, 0);
    TWorkForm_Flip(FForm, 1);
    TDocSnapshot flipped = Snapshot(FForm);
    TWorkForm_Undo(FForm);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), original);
    TWorkForm_Redo(FForm);
    TWorkForm_Redo(FForm);
    EXPECT_EQ(Snapshot(FForm), flipped);
    EXPECT_EQ(Count(), 2);
}

TEST_F(UndoStepsTest, SecondaryColourUndoAndRedo) {
    FillPattern(25);
    ExpectOneStep([&] {
        uint32_t old = DocumentHost_GetSecondaryColor();
        DocumentHost_SetSecondaryColor(0x00FF00);
        TWorkForm_AddUndo(FForm, TUndoStep_CreateColourStep(0x00FF00, old, Background(), FForm));
    });
}

TEST_F(UndoStepsTest, SelectAndDeselect) {
    FillPattern(26);
    TRectXYWH area = {3, 2, 9, 7};
    ExpectOneStep([&] { TWorkForm_Select(FForm, &area, TWS_AREA); });
    EXPECT_EQ(FForm->FSelectMode, TSM_AREA);
    ExpectOneStep([&] { TWorkForm_CommitSelection(FForm); });
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    // Undoing the deselect brings the clip back with the area.
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Background()->FImage->FClipOn, 1);
    EXPECT_EQ(Background()->FImage->FClipRect.right, 12);
}

TEST_F(UndoStepsTest, MoveAnAreaSelection) {
    FillPattern(27);
    TRectXYWH area = {3, 2, 9, 7};
    TWorkForm_Select(FForm, &area, TWS_AREA);
    ExpectOneStep([&] { TWorkForm_MoveSelection(FForm, 10, 12, 1); });
    EXPECT_EQ(FForm->FSelectArea.x, 10);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(Background()->FImage->FClipRect.left, 3); // the clip moved back with the frame
}

TEST_F(UndoStepsTest, MoveAFloatingSelection) {
    FillPattern(28);
    TRectXYWH area = {3, 2, 9, 7};
    TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT);
    ExpectOneStep([&] { TWorkForm_MoveSelection(FForm, 15, 11, 1); });
    EXPECT_EQ(FForm->FFloat->FLeft, 15);
}

TEST_F(UndoStepsTest, ReplaceColourUndoAndRedo) {
    FillPattern(29);
    TLayer* layer = Background();
    for (int32_t x = 0; x < 32; x += 5) // one colour in several places
        TImage_SetPixelMasked(layer->FImage, x, 7, 0x3366CC, 0xFFFFFF);
    TImage_SetPixelMasked(layer->FImage, 10, 7, 0, 0); // keeps its colour, hidden: not replaced
    ExpectOneStep([&] { ReplaceColourAt(5, 7); });
    EXPECT_EQ(BackgroundPixel(FForm, 20, 7), 0u); // the default pen is black
    EXPECT_EQ(BackgroundPixel(FForm, 10, 7), 0x3366CCu);
    EXPECT_EQ(FForm->FTapMode, 0);
}

TEST_F(UndoStepsTest, ReplaceColourUndoReachesOutsideTheSelection) {
    FillPattern(30);
    TLayer* layer = Background();
    for (int32_t x = 0; x < 32; x += 5)
        TImage_SetPixelMasked(layer->FImage, x, 7, 0x3366CC, 0xFFFFFF);
    TRectXYWH area = {0, 5, 8, 8};
    TWorkForm_Select(FForm, &area, TWS_AREA);
    ExpectOneStep([&] { ReplaceColourAt(5, 7); });
}

TEST_F(UndoStepsTest, FloatOfACopyUndoDropsItAndRedoFloatsItAgain) {
    FillPattern(31);
    TRectXYWH area = {4, 3, 10, 8};
    std::vector<uint8_t> background = PixelDump(Background()->FImage);
    ExpectOneStep([&] { TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT); });
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);
    EXPECT_EQ(FForm->FFloat->FLeft, 4);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(FForm->FFloat->FImage, nullptr);
    EXPECT_EQ(PixelDump(Background()->FImage), background); // nothing was written
}

TEST_F(UndoStepsTest, FloatOfAPasteUndoDropsItAndRedoFloatsItAgain) {
    FillPattern(32);
    TRectXYWH area = {4, 3, 10, 8};
    TWorkForm_Select(FForm, &area, TWS_AREA);
    ASSERT_EQ(TWorkForm_Copy(FForm), 0);
    TWorkForm_CommitSelection(FForm);
    ExpectOneStep([&] { ASSERT_EQ(TWorkForm_Paste(FForm), 0); });
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);
}

TEST_F(UndoStepsTest, CutOutUndoPutsThePixelsBack) {
    FillPattern(33);
    TRectXYWH area = {6, 5, 11, 9};
    ExpectOneStep([&] { TWorkForm_Select(FForm, &area, TWS_CUT_FLOAT); });
    EXPECT_EQ(FForm->FSelectMode, TSM_CUT);
    uint32_t visible = 1;
    BackgroundPixel(FForm, 7, 6, &visible);
    EXPECT_EQ(visible, 0u); // cut out
}

TEST_F(UndoStepsTest, CommitUndoRestoresTheLayerAndFloatsTheSelectionWhereItWas) {
    FillPattern(34);
    TRectXYWH area = {2, 2, 9, 6};
    TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT);
    TWorkForm_MoveSelection(FForm, 14, 12, 1);
    ExpectOneStep([&] { TWorkForm_CommitSelection(FForm); });
    TWorkForm_Undo(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);
    EXPECT_EQ(FForm->FFloat->FLeft, 14);
    EXPECT_EQ(FForm->FFloat->FTop, 12);
    // The rest of the history still works from there: back to before the copy float.
    TWorkForm_Undo(FForm);
    TWorkForm_Undo(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
}

TEST_F(UndoStepsTest, CommitUndoOfACutFloatsItAsACutAgain) {
    FillPattern(35);
    TDocSnapshot original = Snapshot(FForm);
    TRectXYWH area = {2, 2, 9, 6};
    TWorkForm_Select(FForm, &area, TWS_CUT_FLOAT);
    TWorkForm_MoveSelection(FForm, 20, 15, 1);
    ExpectOneStep([&] { TWorkForm_CommitSelection(FForm); });
    for (int i = 0; i < 3; ++i)
        TWorkForm_Undo(FForm);
    EXPECT_EQ(Snapshot(FForm), original);
}

} // namespace
