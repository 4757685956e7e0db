// The selection tools on a real work form: the band's rectangle with its end exclusive, a tap
// with no selection, a tap outside a floating selection committing it, the overlap rule at the
// right edge, the outline inverted on the screen and kept across renders, and a cancelled drag.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "platform/qt/window_dc.h"
#include "tools/selection.h"
#include "tools/tool_bar.h"
#include "tools/tool_bar_form_test.h"

namespace {

class SelectionTest : public ToolBarFormTest {
  protected:
    void SetUp() override {
        ToolBarFormTest::SetUp();
        FillPattern(2);
        TUndoHistory_Clear(FForm->FHistory);
    }
    TTool* Tool(int32_t id) {
        TToolBar_SelectTool(id);
        return TToolBar_GetCurrentTool();
    }
    // The stylus at the top-left corner of document pixel (x, y), as the render window has it.
    void Stylus(TTool* tool, int event, int32_t x, int32_t y) {
        TPoint p = TWorkForm_ImageToClient(FForm, {x, y});
        FForm->FStylus = p;
        TTool_Stylus(tool, FForm, event, p.x, p.y);
    }
    void Drag(TTool* tool, TPoint a, TPoint b) {
        Stylus(tool, TWE_DOWN, a.x, a.y);
        Stylus(tool, TWE_MOVE, b.x, b.y);
        Stylus(tool, TWE_UP, b.x, b.y);
    }
    TRectLTRB Selected() {
        TRectLTRB r = {0, 0, 0, 0};
        EXPECT_EQ(TWorkForm_GetSelectionRect(FForm, &r), 0);
        return r;
    }
    // The render window's backing pixel at client point (x, y).
    QRgb Screen(int32_t x, int32_t y) {
        TRenderWindow* window = FForm->FRenderWindow;
        return window->FWindowDC->FImage->pixel(x - window->FOriginX, y - window->FOriginY) &
               0xFFFFFF;
    }
};

bool Same(const TRectLTRB& r, int32_t l, int32_t t, int32_t rr, int32_t b) {
    return r.left == l && r.top == t && r.right == rr && r.bottom == b;
}

TEST_F(SelectionTest, DragMarksTheBandWithItsEndExclusiveAndATapMarksNothing) {
    TTool* tool = Tool(TTI_SELECTION);
    Stylus(tool, TWE_DOWN, 4, 4);
    Stylus(tool, TWE_UP, 4, 4);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    Stylus(tool, TWE_DOWN, 5, 5);
    Stylus(tool, TWE_MOVE, 2, 8);
    Stylus(tool, TWE_UP, 9, 9); // the band of the last move counts
    EXPECT_EQ(FForm->FSelectMode, TSM_AREA);
    EXPECT_TRUE(Same(Selected(), 2, 5, 5, 8));
}

TEST_F(SelectionTest, TapOutsideAFloatCommitsItAndTheNextDragStartsAnew) {
    TTool* tool = Tool(TTI_CUT_SELECTION);
    Drag(tool, {2, 2}, {8, 6});
    ASSERT_EQ(FForm->FSelectMode, TSM_CUT);
    Stylus(tool, TWE_DOWN, 20, 20);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    Stylus(tool, TWE_UP, 20, 20);
    Drag(tool, {10, 10}, {14, 12});
    EXPECT_EQ(FForm->FSelectMode, TSM_CUT);
    EXPECT_TRUE(Same(Selected(), 10, 10, 14, 12));
}

TEST_F(SelectionTest, DraggedFarPastTheRightEdgeOneColumnStaysOnTheCanvas) {
    TTool* tool = Tool(TTI_COPY_SELECTION);
    Drag(tool, {4, 4}, {10, 8});
    Stylus(tool, TWE_DOWN, 5, 5);
    Stylus(tool, TWE_MOVE, 5 + 200, 5);
    auto* selection = reinterpret_cast<TSelectionTool*>(tool);
    EXPECT_EQ(selection->FStart.x, FForm->FComposite->FWidth - 1);
    Stylus(tool, TWE_UP, 5 + 200, 5);
    EXPECT_EQ(Selected().left, FForm->FComposite->FWidth - 1);
    EXPECT_EQ(Selected().top, 4);
}

TEST_F(SelectionTest, OutlineInvertsTheScreenSurvivesRendersAndEscapeLeavesNothing) {
    TTool* tool = Tool(TTI_SELECTION);
    QImage before = FForm->FRenderWindow->FWindowDC->FImage->copy();
    Stylus(tool, TWE_DOWN, 3, 3);
    Stylus(tool, TWE_MOVE, 9, 7);
    TPoint corner = TWorkForm_ImageToClient(FForm, {3, 3});
    TPoint inside = TWorkForm_ImageToClient(FForm, {5, 5});
    QRgb original = before.pixel(corner.x, corner.y) & 0xFFFFFF;
    EXPECT_EQ(Screen(corner.x, corner.y), ~original & 0xFFFFFF);
    TWorkForm_Repaint(FForm); // a render over the band shows it again
    EXPECT_EQ(Screen(corner.x, corner.y), ~original & 0xFFFFFF);
    EXPECT_EQ(Screen(inside.x, inside.y), before.pixel(inside.x, inside.y) & 0xFFFFFF);
    FForm->FStylusDown = 1; // as a press through the window leaves it
    TWorkForm_CancelStylus(FForm);
    EXPECT_EQ(*FForm->FRenderWindow->FWindowDC->FImage, before);
    Stylus(tool, TWE_UP, 9, 7);
    EXPECT_EQ(FForm->FSelectMode, TSM_NONE);
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), 0);
}

} // namespace
