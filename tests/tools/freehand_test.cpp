// The pen and the eraser on a real work form: the dot a tap draws and the step it records, the
// eraser's colour and mask, painting into a floating selection, undo and redo bit for bit, the
// step's rectangle cut to the surface, strokes past 10000 points, and a stroke of real mouse
// events through the render window that leaves no gaps.
#include <gtest/gtest.h>

#include <cmath>
#include <queue>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "platform/msgbox.h"
#include "support/test_support.h"
#include "tools/freehand.h"
#include "tools/tool_bar.h"
#include "tools/tool_test_hooks.h"

namespace {

class FreehandTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        GStatus.clear();
        TDocumentHost host = {};
        host.FSetStatusText = RecordStatus;
        DocumentHost_Install(&host);
        FPen = TFreePen_Create();
        FEraser = TEraser_Create();
        ASSERT_NE(FPen, nullptr);
        ASSERT_NE(FEraser, nullptr);
    }
    void TearDown() override {
        FPen = TTool_Destroy(FPen);
        FEraser = TTool_Destroy(FEraser);
        TToolBar_Destroy(TToolBar_Get());
        GRouted = nullptr;
        WorkFormTest::TearDown();
    }

    // The tool bar, for the settings only a real one holds (width, secondary colour, swatch).
    void MakeToolBar() { ASSERT_NE(TToolBar_Create(FMain.get()), nullptr); }

    // A stroke through document pixels: down on the first, moves, up on the last.
    void Stroke(TTool* tool, const std::vector<TPoint>& points) {
        TPoint p = PixelCentre(points[0].x, points[0].y);
        EXPECT_EQ(TTool_Down(tool, FForm, p.x, p.y), 1);
        for (size_t i = 1; i < points.size(); ++i) {
            p = PixelCentre(points[i].x, points[i].y);
            EXPECT_EQ(TTool_Move(tool, FForm, p.x, p.y), 1);
        }
        EXPECT_EQ(TTool_Up(tool, FForm, p.x, p.y), 1);
    }

    TUndoStep* LastStep() {
        TUndoHistory* history = FForm->FHistory;
        return TUndoHistory_GetStep(history, TUndoHistory_GetCount(history) - 1);
    }

    TTool* FPen = nullptr;
    TTool* FEraser = nullptr;
};

// Rows of rect of image: '#' black and visible, 'o' transparent, '.' anything else.
std::string Picture(TImage* image, TRectXYWH r) {
    std::string s;
    for (int32_t y = r.y; y < r.y + r.height; ++y) {
        for (int32_t x = r.x; x < r.x + r.width; ++x) {
            uint32_t colour = 0;
            uint32_t visible = TImage_GetPixelMasked(image, x, y, &colour);
            s += !visible ? 'o' : colour == 0 ? '#' : '.';
        }
        s += '\n';
    }
    return s;
}

// The step saved exactly rect of its surface: its rectangle and the pixels it holds.
void ExpectSaved(TUndoStep* step, TRectXYWH r) {
    const TRectXYWH& f = step->FRect;
    EXPECT_TRUE(f.x == r.x && f.y == r.y && f.width == r.width && f.height == r.height)
        << f.x << "," << f.y << " " << f.width << "x" << f.height;
    TLayer* saved = reinterpret_cast<TUndoAreaStep*>(step)->FSaved;
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->FWidth, r.width);
    EXPECT_EQ(saved->FHeight, r.height);
}

const TDrawAttr& Settings(TUndoStep* step) {
    return reinterpret_cast<TUndoAreaStep*>(step)->FSettings;
}

TEST_F(FreehandTest, Pen_TapDrawsOneDotAndRecordsOneStepWithTwoEqualPoints) {
    PaintBackground(0xFFFFFF);
    TPoint p = PixelCentre(5, 6);
    EXPECT_EQ(TTool_Down(FPen, FForm, p.x, p.y), 1);
    EXPECT_EQ(GStatus.back(), "FreePen: (5, 6)");
    EXPECT_EQ(TTool_Up(FPen, FForm, p.x, p.y), 1);
    EXPECT_EQ(GStatus.back(), "");

    TImage* image = TWorkForm_GetBackground(FForm)->FImage;
    EXPECT_EQ(Picture(image, {4, 5, 3, 3}), "...\n"
                                            ".#.\n"
                                            "...\n");
    ASSERT_EQ(TUndoHistory_GetCount(FForm->FHistory), 1);
    TUndoStep* step = LastStep();
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(points[0].x, 5);
    EXPECT_EQ(points[0].y, 6);
    EXPECT_EQ(PointCompare(&points[0], &points[1]), 0);
    // The dot's rectangle and nothing more is saved.
    ExpectSaved(step, {4, 5, 2, 2});

    // A second release and moves without a stroke do nothing.
    EXPECT_EQ(TTool_Up(FPen, FForm, p.x, p.y), 0);
    EXPECT_EQ(TTool_Move(FPen, FForm, p.x + 8, p.y), 0);
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), 1);
}

TEST_F(FreehandTest, Pen_WidthThreeDotIsTheSmallDisc) {
    MakeToolBar();
    TToolBar_SetPenWidth(3);
    PaintBackground(0xFFFFFF);
    Stroke(FPen, {{5, 6}});
    EXPECT_EQ(Picture(TWorkForm_GetBackground(FForm)->FImage, {3, 4, 5, 5}), ".....\n"
                                                                             "..#..\n"
                                                                             ".###.\n"
                                                                             "..#..\n"
                                                                             ".....\n");
    ExpectSaved(LastStep(), {3, 4, 4, 4});
}

TEST_F(FreehandTest, Eraser_PaintsTransparentWithTheSecondaryColourWhicheverSwatch) {
    PaintBackground(0x123456);
    TImage* image = TWorkForm_GetBackground(FForm)->FImage;
    Stroke(FEraser, {{2, 2}, {4, 2}});
    EXPECT_EQ(Picture(image, {1, 2, 5, 1}), ".ooo.\n");
    EXPECT_EQ(GStatus[0], "Eraser: (2, 2)");
    // Without a tool bar the secondary colour is white.
    EXPECT_EQ(Settings(LastStep()).FColor, 0xFFFFFFu);
    EXPECT_EQ(Settings(LastStep()).FMaskValue, 0u);

    MakeToolBar();
    TToolBar_SetSecondaryColor(0x336699);
    TToolBar_SetSwatch(0);
    Stroke(FEraser, {{2, 5}, {4, 5}});
    EXPECT_EQ(Picture(image, {1, 5, 5, 1}), ".ooo.\n");
    EXPECT_EQ(Settings(LastStep()).FColor, 0x336699u);
    EXPECT_EQ(Settings(LastStep()).FMaskValue, 0u);

    // The pen paints the same way with the secondary swatch selected, black with the primary.
    TToolBar_SetSwatch(1);
    Stroke(FPen, {{2, 8}, {4, 8}});
    EXPECT_EQ(Picture(image, {1, 8, 5, 1}), ".ooo.\n");
    EXPECT_EQ(Settings(LastStep()).FColor, 0x336699u);
    TToolBar_SetSwatch(0);
    Stroke(FPen, {{2, 11}, {4, 11}});
    EXPECT_EQ(Picture(image, {1, 11, 5, 1}), ".###.\n");
}

TEST_F(FreehandTest, Pen_PaintsIntoTheFloatingSelectionInItsOwnCoordinates) {
    FillPattern(3);
    TRectXYWH area = {8, 4, 10, 10};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT), 0);
    TWorkForm_MoveSelection(FForm, 16, 10, 0);
    std::vector<uint8_t> background = PixelDump(TWorkForm_GetBackground(FForm)->FImage);

    ExpectUndoRedo([&] { Stroke(FPen, {{18, 12}, {20, 12}}); });
    EXPECT_EQ(GStatus[0], "FreePen: (2, 2)");
    EXPECT_EQ(Picture(FForm->FFloat->FImage, {2, 2, 3, 1}), "###\n");
    EXPECT_EQ(PixelDump(TWorkForm_GetBackground(FForm)->FImage), background);
    EXPECT_EQ(LastStep()->FTarget, FForm->FFloat);
    ExpectSaved(LastStep(), {1, 1, 4, 2});
}

TEST_F(FreehandTest, Pen_UndoRestoresTheStrokeBitForBitAndRedoDrawsItAgain) {
    MakeForm(40, 30);
    FillPattern(7);
    MakeToolBar();
    TToolBar_SetPenWidth(4);
    ExpectUndoRedo([&] { Stroke(FPen, {{5, 5}, {12, 9}, {20, 3}, {30, 25}, {6, 20}}); });
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), 1);
    // The step saved the stroke's bounding rectangle only: width 4 reaches 3 pixels around.
    ExpectSaved(LastStep(), {2, 0, 31, 28});
}

TEST_F(FreehandTest, Pen_StrokeOffTheEdgeSavesOnlyPixelsOnTheSurface) {
    FillPattern(5);
    MakeToolBar();
    TToolBar_SetPenWidth(3);
    const int32_t z = int32_t(TWorkForm_GetZoomFactor(FForm));
    ExpectUndoRedo([&] {
        TPoint a = PixelCentre(1, 1);
        ASSERT_EQ(TTool_Down(FPen, FForm, a.x, a.y), 1);
        EXPECT_EQ(TTool_Move(FPen, FForm, -5 * z, a.y), 1); // 5 pixels left of the image
        EXPECT_EQ(TTool_Move(FPen, FForm, a.x, -3 * z), 1); // 3 pixels above it
        EXPECT_EQ(TTool_Up(FPen, FForm, a.x, -3 * z), 1);
    });
    ExpectSaved(LastStep(), {0, 0, 3, 3});

    // A stroke that never touches the floating surface changes nothing and records nothing.
    TRectXYWH area = {20, 10, 4, 4};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT), 0);
    int32_t steps = TUndoHistory_GetCount(FForm->FHistory);
    Stroke(FPen, {{2, 2}, {5, 3}});
    EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), steps);
}

TEST_F(FreehandTest, Pen_StrokeOfMoreThanTenThousandPointsIsOneWholeStep) {
    MakeForm(200, 200);
    TWorkForm_SetZoom(FForm, 1.0);
    PaintBackground(0xFFFFFF);
    std::vector<TPoint> path;
    for (int32_t i = 0; i < 12000; ++i)
        path.push_back({i % 200, (i / 200) * 3 % 200});
    Stroke(FPen, path);
    ASSERT_EQ(TUndoHistory_GetCount(FForm->FHistory), 1);
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(LastStep(), &count);
    ASSERT_EQ(count, 12001);
    EXPECT_EQ(PointCompare(&points[12000], &path.back()), 0);
    EXPECT_EQ(BackgroundPixel(FForm, path.back().x, path.back().y), 0u);
    EXPECT_EQ(BackgroundPixel(FForm, path[11000].x, path[11000].y), 0u);
}

TEST_F(FreehandTest, Pen_StrokeOfRealMouseMovesHasNoGapsAndOneStep) {
    MakeForm(256, 256, 600, 600);
    TWorkForm_SetZoom(FForm, 4.0);
    PaintBackground(0xFFFFFF);
    GRouted = FPen;
    TDocumentHost host = {};
    host.FSetStatusText = RecordStatus;
    host.FStylus = RouteStylus;
    DocumentHost_Install(&host);

    QWidget* widget = FForm->FRenderWindow->FWidget;
    ASSERT_EQ(widget->width(), 1024);
    auto send = [&](QEvent::Type type, QPoint p, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(p), QPointF(widget->mapToGlobal(p)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    // A fast wave: up to 25 window pixels (6 image pixels) between two moves.
    auto at = [](int i) {
        const double KPi = 3.14159265358979323846;
        return QPoint(8 + 5 * i, 512 + int(std::lround(400.0 * std::sin(i * KPi / 50))));
    };
    send(QEvent::MouseButtonPress, at(0), Qt::LeftButton, Qt::LeftButton);
    for (int i = 1; i <= 200; ++i)
        send(QEvent::MouseMove, at(i), Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at(200), Qt::LeftButton, Qt::NoButton);

    ASSERT_EQ(TUndoHistory_GetCount(FForm->FHistory), 1);
    int32_t count = 0;
    TUndoStep_GetPoints(LastStep(), &count);
    EXPECT_EQ(count, 202);
    EXPECT_EQ(GStatus.back(), "");

    // The drawn pixels join the first point to the last, 8-connected.
    TImage* image = TWorkForm_GetBackground(FForm)->FImage;
    auto drawn = [&](int32_t x, int32_t y) {
        uint32_t colour = 0;
        return x >= 0 && y >= 0 && x < 256 && y < 256 &&
               TImage_GetPixelMasked(image, x, y, &colour) != 0 && colour == 0;
    };
    QPoint start(at(0).x() / 4, at(0).y() / 4), end(at(200).x() / 4, at(200).y() / 4);
    ASSERT_TRUE(drawn(start.x(), start.y()));
    std::vector<char> seen(256 * 256, 0);
    std::queue<QPoint> todo;
    todo.push(start);
    seen[start.y() * 256 + start.x()] = 1;
    while (!todo.empty()) {
        QPoint p = todo.front();
        todo.pop();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                int32_t x = p.x() + dx, y = p.y() + dy;
                if (!drawn(x, y) || seen[y * 256 + x]) continue;
                seen[y * 256 + x] = 1;
                todo.push(QPoint(x, y));
            }
    }
    EXPECT_TRUE(seen[end.y() * 256 + end.x()]) << "the stroke has a gap";
}

} // namespace

// A stroke that cannot be recorded (no backup at stylus down, or no memory for its pixels at
// release) stays drawn, and the document asks to be saved whatever is undone.
TEST_F(FreehandTest, StrokeThatCannotBeRecordedLeavesTheDocumentModified) {
    const struct {
        bool noBackup;     // the memory runs out before stylus down, else before release
        int32_t stepsLeft; // the failed capture clears the history to free memory
    } cases[] = {{true, 2}, {false, 0}};
    for (const auto& c : cases) {
        MakeForm(20, 10);
        PaintBackground(0xFFFFFF);
        Stroke(FPen, {{1, 1}, {3, 1}});
        Stroke(FPen, {{1, 3}, {3, 3}});
        MessageBoxClearRecords();
        LimitGuard limit;
        // A fresh tool has no backup yet; the pen keeps the one of its strokes.
        TTool* tool = c.noBackup ? FEraser : FPen;
        if (c.noBackup) TImage_SetPixelLimit(1);
        TPoint a = PixelCentre(5, 5), b = PixelCentre(8, 5);
        ASSERT_EQ(TTool_Down(tool, FForm, a.x, a.y), 1);
        TImage_SetPixelLimit(1);
        EXPECT_EQ(TTool_Move(tool, FForm, b.x, b.y), 1);
        EXPECT_EQ(TTool_Up(tool, FForm, b.x, b.y), 1);
        TImage_SetPixelLimit(limit.FSaved);
        ASSERT_EQ(MessageBoxRecords().size(), 1u);
        EXPECT_EQ(MessageBoxRecords()[0].FText, "Could not allocated memory");
        EXPECT_EQ(TUndoHistory_GetCount(FForm->FHistory), c.stepsLeft);
        for (int i = 0; i < 3; ++i)
            TWorkForm_Undo(FForm);
        EXPECT_EQ(TWorkForm_IsModified(FForm), 1) << c.noBackup;
        // The stroke stands: the eraser's transparent, the pen's black.
        uint32_t visible = 0, colour = BackgroundPixel(FForm, 6, 5, &visible);
        EXPECT_EQ(visible != 0, !c.noBackup);
        EXPECT_TRUE(!visible || colour == 0);
    }
}
