// The shape tools on a real work form: a tap and a drag back to the start draw nothing, the
// figures' pixels at the edges, the secondary swatch (opaque band, transparent figure), the
// widths kept per tool, a cancelled drag, and undo and redo of every tool bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "support/test_support.h"
#include "tools/shape.h"
#include "tools/tool_bar.h"
#include "tools/tool_bar_form_test.h"

namespace {

TTool* (*const KConstructors[])() = {TSolidLine_Create, TDashLine_Create,
                                     TRectangle_Create, TFilledRectangle_Create,
                                     TEllipse_Create,   TFilledEllipse_Create};

class ShapeTest : public ToolBarFormTest {
  protected:
    void SetUp() override {
        ToolBarFormTest::SetUp();
        TToolBar_SetSecondaryColor(0x00FF00);
        PaintBackground(0xFFFFFF);
        TUndoHistory_Clear(FForm->FHistory);
        GShapeWidth = 1;
    }
    void TearDown() override {
        for (TTool*& tool : FTools)
            tool = TTool_Destroy(tool);
        ToolBarFormTest::TearDown();
    }
    TTool* Make(TTool* (*create)()) {
        FTools.push_back(create());
        return FTools.back();
    }
    // The stylus at the middle of document pixel (x, y), as the render window reports it.
    void Stylus(TTool* tool, int event, int32_t x, int32_t y) {
        FForm->FStylus = PixelCentre(x, y);
        TTool_Stylus(tool, FForm, event, FForm->FStylus.x, FForm->FStylus.y);
    }
    void Drag(TTool* tool, TPoint a, TPoint b) {
        Stylus(tool, TWE_DOWN, a.x, a.y);
        Stylus(tool, TWE_MOVE, b.x, b.y);
        Stylus(tool, TWE_UP, b.x, b.y);
    }
    int32_t Steps() { return TUndoHistory_GetCount(FForm->FHistory); }
    // Rows of the background from (0, 0): '#' black visible, 'o' transparent, '.' white,
    // 'g' the secondary green.
    std::string Rows(int32_t w, int32_t h) {
        std::string s;
        for (int32_t y = 0; y < h; ++y, s += '/')
            for (int32_t x = 0; x < w; ++x) {
                uint32_t visible = 0, colour = BackgroundPixel(FForm, x, y, &visible);
                s += !visible ? 'o' : colour == 0 ? '#' : colour == 0x00FF00 ? 'g' : '.';
            }
        return s;
    }

    std::vector<TTool*> FTools;
};

TEST_F(ShapeTest, TapAndDragBackToTheStartDrawAndRecordNothing) {
    for (auto create : KConstructors) {
        TTool* tool = Make(create);
        TDocSnapshot before = Snapshot(FForm);
        Stylus(tool, TWE_DOWN, 4, 4);
        Stylus(tool, TWE_UP, 4, 4);
        Stylus(tool, TWE_DOWN, 4, 4);
        Stylus(tool, TWE_MOVE, 9, 8);
        Stylus(tool, TWE_MOVE, 4, 4);
        // The band is empty again: the preview holds the picture.
        TLayer* preview = FForm->FPreview;
        EXPECT_EQ(TImage_GetPixel(preview->FImage, 6, 6), 0xFFFFFFu);
        Stylus(tool, TWE_UP, 4, 4);
        EXPECT_EQ(Snapshot(FForm), before);
        EXPECT_EQ(Steps(), 0);
    }
}

TEST_F(ShapeTest, FiguresKeepTheirEdgesAndTheBandShowsBeforeTheRelease) {
    const struct {
        TTool* (*create)();
        TPoint a, b;
        const char* rows;
    } cases[] = {
        {TSolidLine_Create, {0, 0}, {3, 0}, "####../....../"},        // both ends drawn
        {TRectangle_Create, {0, 0}, {3, 3}, "###.../#.#.../###.../"}, // right, bottom excluded
        {TFilledRectangle_Create, {0, 0}, {3, 3}, "###.../###.../###.../"},
        {TDashLine_Create, {0, 0}, {9, 0}, ".###...###/"}, // on 4 steps, off 3
    };
    for (const auto& c : cases) {
        PaintBackground(0xFFFFFF);
        TTool* tool = Make(c.create);
        Stylus(tool, TWE_DOWN, c.a.x, c.a.y);
        Stylus(tool, TWE_MOVE, c.b.x, c.b.y);
        EXPECT_EQ(TImage_GetPixel(FForm->FPreview->FImage, 1, 0), 0u) << "the band";
        EXPECT_EQ(BackgroundPixel(FForm, 1, 0), 0xFFFFFFu) << "not the picture yet";
        Stylus(tool, TWE_UP, c.b.x + 5, c.b.y + 5); // drawn to the last move's point
        std::string rows = c.rows;
        int32_t width = int32_t(rows.find('/'));
        EXPECT_EQ(Rows(width, int32_t(std::count(rows.begin(), rows.end(), '/'))), rows);
    }
}

TEST_F(ShapeTest, SecondarySwatchBandsOpaqueAndDrawsTransparent) {
    TToolBar_SetSwatch(1);
    TTool* outline = Make(TRectangle_Create);
    Stylus(outline, TWE_DOWN, 0, 0);
    Stylus(outline, TWE_MOVE, 3, 3);
    uint32_t colour = 0;
    EXPECT_NE(TImage_GetPixelMasked(FForm->FPreview->FImage, 0, 0, &colour), 0u);
    EXPECT_EQ(colour, 0x00FF00u);
    Stylus(outline, TWE_UP, 3, 3);
    // Outlines write black under their transparent pixels; fills the secondary colour inside a
    // black outline.
    EXPECT_EQ(Rows(4, 3), "ooo./o.o./ooo./");
    EXPECT_EQ(BackgroundPixel(FForm, 0, 0), 0u);
    TTool* filled = Make(TFilledRectangle_Create);
    Drag(filled, {5, 0}, {9, 4});
    EXPECT_EQ(BackgroundPixel(FForm, 5, 0), 0u);
    EXPECT_EQ(BackgroundPixel(FForm, 6, 1), 0x00FF00u);
    uint32_t visible = 1;
    BackgroundPixel(FForm, 6, 1, &visible);
    EXPECT_EQ(visible, 0u);
}

TEST_F(ShapeTest, WidthsAreSharedButTheRectangleKeepsTheCurrentOne) {
    TTool* ellipse = Make(TEllipse_Create);
    TTool* filled = Make(TFilledEllipse_Create);
    TTool* rectangle = Make(TRectangle_Create);
    TTool_Activate(ellipse);
    TToolBar_SetPenWidth(4);
    TTool_Deactivate(ellipse);
    TToolBar_SetPenWidth(7);
    TTool_Activate(filled);
    EXPECT_EQ(TToolBar_GetPenWidth(), 4) << "the ellipse's width";
    TTool_Deactivate(filled);
    TTool_Activate(rectangle);
    EXPECT_EQ(TToolBar_GetPenWidth(), 4) << "kept as it was";
    TToolBar_SetPenWidth(2);
    TTool_Deactivate(rectangle);
    EXPECT_EQ(GShapeWidth, 4);
}

TEST_F(ShapeTest, EscapeAbandonsTheDragShowingAndRecordingNothing) {
    TToolBar_SelectTool(TTI_FILLED_ELLIPSE);
    QWidget* window = FForm->FRenderWindow->FWidget;
    TDocSnapshot before = Snapshot(FForm);
    TPoint a = TWorkForm_ImageToClient(FForm, {2, 2}), b = TWorkForm_ImageToClient(FForm, {20, 15});
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(a.x, a.y));
    QTest::mouseMove(window, QPoint(b.x, b.y));
    QMouseEvent move(QEvent::MouseMove, QPointF(b.x, b.y), window->mapToGlobal(QPointF(b.x, b.y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    EXPECT_NE(TImage_GetPixel(FForm->FPreview->FImage, 10, 8), 0xFFFFFFu) << "the band shows";
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(TImage_GetPixel(FForm->FPreview->FImage, 10, 8), 0xFFFFFFu);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(b.x, b.y));
    EXPECT_EQ(Snapshot(FForm), before);
    EXPECT_EQ(Steps(), 0);
}

TEST_F(ShapeTest, EveryToolUndoesAndRedoesBitForBit) {
    FillPattern(4);
    TToolBar_SetPenWidth(3);
    for (auto create : KConstructors) {
        TTool* tool = Make(create);
        SCOPED_TRACE(tool->FId);
        ExpectUndoRedo([&] { Drag(tool, {3, 20}, {25, 4}); });
        TWorkForm_Undo(FForm); // the next figure starts from the same picture
    }
    // Into a floating selection, in its own pixels.
    TRectXYWH area = {10, 5, 12, 10};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT), 0);
    ExpectUndoRedo([&] { Drag(FTools[5], {8, 6}, {18, 12}); });
}

} // namespace
