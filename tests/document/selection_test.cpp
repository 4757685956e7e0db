// The selection: area selections clip every layer and move as a frame; floating selections are
// surfaces of their own that commit into their base layer, visible pixels only.
#include <gtest/gtest.h>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "support/test_support.h"
#include "support/work_form_fixture.h"

namespace {

class SelectionTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        FillPattern(7);
    }
    TLayer* Background() { return TWorkForm_GetBackground(FForm); }
    int32_t Steps() { return TUndoHistory_GetCount(FForm->FHistory); }
};

void ExpectRect(const TRectXYWH& r, int32_t x, int32_t y, int32_t w, int32_t h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.width, w);
    EXPECT_EQ(r.height, h);
}

TEST_F(SelectionTest, Select_KeepsOnlyThePartInsideTheImage) {
    TRectXYWH r = {-5, 20, 10, 10};
    ASSERT_EQ(TWorkForm_Select(FForm, &r, TWS_AREA), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_AREA);
    ExpectRect(FForm->FSelectArea, 0, 20, 5, 4);
    EXPECT_EQ(Steps(), 1);
    TRectLTRB got;
    ASSERT_EQ(TWorkForm_GetSelectionRect(FForm, &got), 0);
    EXPECT_EQ(got.right, 5);
    EXPECT_EQ(got.bottom, 24);
}

TEST_F(SelectionTest, Select_WhollyOutsideSelectsNothingButDropsTheOldSelection) {
    TRectXYWH inside = {1, 1, 4, 4}, outside = {40, 0, 4, 4};
    TWorkForm_Select(FForm, &inside, TWS_AREA);
    TWorkForm_Select(FForm, &outside, TWS_AREA);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_EQ(Steps(), 2); // select, then deselect
    TRectLTRB got;
    EXPECT_EQ(TWorkForm_GetSelectionRect(FForm, &got), -1);
    TRectXYWH empty = {3, 3, 0, 5};
    TWorkForm_Select(FForm, &empty, TWS_AREA);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
}

TEST_F(SelectionTest, SelectAll_SelectsTheWholeImage) {
    TWorkForm_SelectAll(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_AREA);
    ExpectRect(FForm->FSelectArea, 0, 0, 32, 24);
}

TEST_F(SelectionTest, AreaSelection_ClipsDrawingAndMovesAsAFrameOnly) {
    TRectXYWH r = {2, 2, 4, 4};
    TWorkForm_Select(FForm, &r, TWS_AREA);
    std::vector<uint8_t> pixels = PixelDump(Background()->FImage);
    TWorkForm_MoveSelection(FForm, 10, 12, 1);
    ExpectRect(FForm->FSelectArea, 10, 12, 4, 4);
    EXPECT_EQ(PixelDump(Background()->FImage), pixels) << "the pixels stay";
    EXPECT_EQ(Steps(), 2);
    TWorkForm_MoveSelection(FForm, 10, 12, 1); // same place: nothing, no step
    EXPECT_EQ(Steps(), 2);
    // Drawing lands only inside the moved frame.
    TLayer_FillRect(Background(), 0, 0, 32, 24, 0x0000FF, 0x0000FF, 0xFFFFFF, 1);
    for (int32_t y = 0; y < 24; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            bool inside = x >= 10 && x < 14 && y >= 12 && y < 16;
            EXPECT_EQ(BackgroundPixel(FForm, x, y) == 0x0000FF, inside) << x << "," << y;
        }
    TWorkForm_CommitSelection(FForm);
    EXPECT_EQ(Background()->FImage->FClipOn, 0) << "no clip without an area selection";
}

TEST_F(SelectionTest, HitSelection_TakesLeftAndTopButNotRightAndBottom) {
    EXPECT_EQ(TWorkForm_HitSelection(FForm, 3, 3), -1) << "no selection";
    TRectXYWH r = {2, 3, 4, 5};
    TWorkForm_Select(FForm, &r, TWS_AREA);
    EXPECT_EQ(TWorkForm_HitSelection(FForm, 2, 3), 0);
    EXPECT_EQ(TWorkForm_HitSelection(FForm, 5, 7), 0);
    EXPECT_EQ(TWorkForm_HitSelection(FForm, 6, 7), -1);
    EXPECT_EQ(TWorkForm_HitSelection(FForm, 5, 8), -1);
    EXPECT_EQ(TWorkForm_HitSelection(FForm, 1, 3), -1);
}

TEST_F(SelectionTest, CopyFloat_LeavesTheLayerAndCommitsVisiblePixelsWhereItWasMoved) {
    std::vector<uint8_t> before = PixelDump(Background()->FImage);
    TRectXYWH r = {0, 0, 6, 5};
    ASSERT_EQ(TWorkForm_Select(FForm, &r, TWS_COPY_FLOAT), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);
    EXPECT_EQ(TWorkForm_GetActiveLayer(FForm), FForm->FFloat);
    EXPECT_EQ(FForm->FFloat->FBaseLayer, Background());
    EXPECT_EQ(PixelDump(Background()->FImage), before);
    TWorkForm_MoveSelection(FForm, 20, 15, 1);
    EXPECT_EQ(FForm->FFloat->FLeft, 20);
    EXPECT_EQ(FForm->FFloatOrigin.x, 0) << "the origin is where it was made";
    TWorkForm_CommitSelection(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_EQ(FForm->FFloat->FImage, nullptr) << "the floating pixels are released";
    EXPECT_EQ(TWorkForm_GetActiveLayer(FForm), Background());
    // Visible pixels of the float replace the layer's; transparent ones leave it alone.
    const size_t n = 32 * 24;
    auto colourIn = [](const std::vector<uint8_t>& dump, size_t i) {
        return uint32_t(dump[i * 3]) << 16 | uint32_t(dump[i * 3 + 1]) << 8 | dump[i * 3 + 2];
    };
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            size_t from = size_t(y * 32 + x), at = size_t((15 + y) * 32 + 20 + x);
            uint32_t visible = 0, colour = BackgroundPixel(FForm, 20 + x, 15 + y, &visible);
            size_t expected = before[n * 3 + from] ? from : at;
            EXPECT_EQ(colour, colourIn(before, expected)) << x << "," << y;
            EXPECT_EQ(visible ? 1 : 0, before[n * 3 + expected]) << x << "," << y;
        }
}

TEST_F(SelectionTest, CutFloat_ErasesTheLayerAndCommittingInPlacePutsThePixelsBack) {
    std::vector<uint8_t> before = PixelDump(Background()->FImage);
    TRectXYWH r = {4, 4, 8, 6};
    ASSERT_EQ(TWorkForm_Select(FForm, &r, TWS_CUT_FLOAT), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_CUT);
    for (int32_t y = 4; y < 10; ++y)
        for (int32_t x = 4; x < 12; ++x) {
            uint32_t visible = 1;
            EXPECT_EQ(BackgroundPixel(FForm, x, y, &visible), 0u);
            EXPECT_EQ(visible, 0u) << "cut pixels leave transparent black";
        }
    TWorkForm_CommitSelection(FForm);
    // Transparent pixels of the float were black and transparent before; visible ones come back.
    std::vector<uint8_t> after = PixelDump(Background()->FImage);
    size_t n = 32 * 24;
    for (size_t i = 0; i < n; ++i) {
        if (!before[n * 3 + i]) continue; // transparent: its colour is not kept by a cut
        EXPECT_EQ(after[i * 3], before[i * 3]);
        EXPECT_EQ(after[n * 3 + i], 1);
    }
}

TEST_F(SelectionTest, FloatSurface_FloatsACopyAtTheSurfacesPosition) {
    TLayer* surface = TLayer_Create(3, 2);
    ASSERT_NE(surface->FImage, nullptr);
    TImage_FillMask(surface->FImage, 1);
    TLayer_SetPos(surface, 7, 9);
    TRectXYWH area = {0, 0, 2, 2};
    TWorkForm_Select(FForm, &area, TWS_AREA);
    ASSERT_EQ(TWorkForm_FloatSurface(FForm, surface), 0);
    EXPECT_EQ(FForm->FSelectMode, TSM_COPY);
    EXPECT_EQ(FForm->FFloat->FLeft, 7);
    EXPECT_EQ(FForm->FFloat->FTop, 9);
    EXPECT_EQ(FForm->FFloatOrigin.y, 9);
    EXPECT_NE(FForm->FFloat->FImage, surface->FImage) << "a copy";
    TLayer_Destroy(surface);
    TRectLTRB got;
    ASSERT_EQ(TWorkForm_GetSelectionRect(FForm, &got), 0);
    EXPECT_EQ(got.right, 10);
    EXPECT_EQ(got.bottom, 11);
    TWorkForm_CommitFloat(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
}

TEST_F(SelectionTest, CommitFloat_LeavesACutFloatAlone) {
    TRectXYWH r = {1, 1, 3, 3};
    TWorkForm_Select(FForm, &r, TWS_CUT_FLOAT);
    TWorkForm_CommitFloat(FForm);
    EXPECT_EQ(FForm->FSelectMode, TSM_CUT);
}

TEST(WorkFormNull, OperationsOnANullFormReportAndDoNothing) {
    EXPECT_EQ(TWorkForm_GetActiveLayer(nullptr), nullptr);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TWorkForm_GetBackground(nullptr), nullptr);
    EXPECT_EQ(TWorkForm_IsModified(nullptr), 0);
    EXPECT_EQ(TWorkForm_Select(nullptr, nullptr, TWS_AREA), -1);
    TWorkForm_CommitSelection(nullptr);
    TWorkForm_MoveSelection(nullptr, 1, 1, 1);
    TWorkForm_AddUndo(nullptr, nullptr);
    EXPECT_EQ(TWorkForm_Destroy(nullptr), nullptr);
}

} // namespace
