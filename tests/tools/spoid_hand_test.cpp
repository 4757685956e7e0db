// The spoid and the hand on a real work form, driven by mouse events on its windows: the colour
// the spoid takes and the status it shows, and the hand's scroll by the reversed screen movement,
// clamped to the range.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/support/work_form_fixture.h"
#include "tools/hand.h"
#include "tools/spoid.h"
#include "tools/tool_bar.h"
#include "tools/tool_bar_form_test.h"
#include "tools/tool_test_hooks.h"

namespace {

const uint32_t KStartPrimary = 0x808080, KSecondary = 0x00FF00;

class SpoidHandTest : public ToolBarFormTest {
  protected:
    void SetUp() override {
        ToolBarFormTest::SetUp();
        TDocumentHost host = {};
        TToolBar_FillHost(&host);
        host.FSetStatusText = RecordStatus;
        host.FStylus = RouteStylus;
        DocumentHost_Install(&host);
        GStatus.clear();
        FSpoid = TSpoid_Create();
        FHand = THand_Create();
        ASSERT_NE(FSpoid, nullptr);
        ASSERT_NE(FHand, nullptr);
        TToolBar_SetPrimaryColor(KStartPrimary);
        TToolBar_SetSecondaryColor(KSecondary);
    }
    void TearDown() override {
        GRouted = nullptr;
        FSpoid = TTool_Destroy(FSpoid);
        FHand = TTool_Destroy(FHand);
        ToolBarFormTest::TearDown();
    }

    // A left-button event on window at its client point local, reported at screen point global.
    static void Send(QWidget* window, QEvent::Type type, QPoint local, QPoint global) {
        Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(local), QPointF(global), button, held, Qt::NoModifier);
        QApplication::sendEvent(window, &event);
    }
    // On the render window at the middle of document pixel (x, y).
    void AtPixel(QEvent::Type type, TPoint p) {
        QWidget* window = FForm->FRenderWindow->FWidget;
        TPoint c = PixelCentre(p.x, p.y);
        Send(window, type, QPoint(c.x, c.y), window->mapToGlobal(QPoint(c.x, c.y)));
    }
    // Press on the first pixel, move over the rest, release on the last.
    void Pick(const std::vector<TPoint>& path) {
        GRouted = FSpoid;
        AtPixel(QEvent::MouseButtonPress, path.front());
        for (size_t i = 1; i < path.size(); ++i)
            AtPixel(QEvent::MouseMove, path[i]);
        AtPixel(QEvent::MouseButtonRelease, path.back());
    }
    // How far the view is scrolled, as the bars show it and the picture lies.
    QPoint Scrolled() {
        EXPECT_EQ(FForm->FRenderWindow->FWidget->pos(), QPoint(FForm->FScrollX, FForm->FScrollY));
        return {FForm->FHScroll->value(), FForm->FVScroll->value()};
    }

    TTool* FSpoid = nullptr;
    TTool* FHand = nullptr;
};

// ---- The spoid ----

TEST_F(SpoidHandTest, Spoid_TakesVisibleColoursAsPrimaryAndShowsThemWhileDragging) {
    TImage* image = TWorkForm_GetBackground(FForm)->FImage;
    TImage_SetPixelMasked(image, 3, 3, 0x563412, 0xFFFFFF); // red 0x12, green 0x34, blue 0x56
    TImage_SetPixelMasked(image, 5, 3, 0x0000FF, 0);        // transparent red
    TImage_SetPixelMasked(image, 7, 3, 0x0000FF, 0xFFFFFF);
    const TPoint kWeb = {3, 3}, kClear = {5, 3}, kRed = {7, 3}, kOff = {40, 3};
    const char* const kWebText = "Spoid: RGB(18,52,86) Web:#123456";
    const char* const kUnmasked = "Spoid: Unmasked area";
    struct Case {
        const char* name;
        int32_t swatch;
        std::vector<TPoint> path;
        uint32_t primary;
        const char* status; // the last text shown; null: none
    } cases[] = {
        {"a tap on a transparent pixel", 0, {kClear}, KStartPrimary, nullptr},
        {"a drag over a transparent pixel", 0, {kWeb, kClear}, 0x563412, kUnmasked},
        {"the web value", 0, {kRed, kWeb}, 0x563412, kWebText},
        {"off the canvas", 0, {kWeb, kOff}, 0x563412, kUnmasked},
        {"back on the pressed pixel", 0, {kWeb, kRed, kWeb}, 0x563412, kWebText},
        {"the secondary swatch selected", 1, {kRed}, 0x0000FF, nullptr},
    };
    const TDocSnapshot before = Snapshot(FForm);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TToolBar_SetPrimaryColor(KStartPrimary);
        TToolBar_SetSwatch(c.swatch);
        GStatus.clear();
        Pick(c.path);
        EXPECT_EQ(TToolBar_GetPrimaryColor(), c.primary);
        EXPECT_EQ(TToolBar_GetSecondaryColor(), KSecondary);
        if (c.status)
            EXPECT_EQ(GStatus.empty() ? "" : GStatus.back(), c.status);
        else
            EXPECT_TRUE(GStatus.empty()) << GStatus.front();
    }
    EXPECT_EQ(Snapshot(FForm), before) << "the spoid changes nothing in the document";
}

TEST_F(SpoidHandTest, Spoid_SamplesTheFloatingSelectionInItsOwnPixels) {
    TRectXYWH area = {10, 5, 12, 10};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_COPY_FLOAT), 0);
    // The float's pixel (2, 3) lies over document pixel (12, 8).
    TImage_SetPixelMasked(FForm->FFloat->FImage, 2, 3, 0x030201, 0xFFFFFF);
    TImage_SetPixelMasked(TWorkForm_GetBackground(FForm)->FImage, 3, 3, 0x563412, 0xFFFFFF);
    Pick({{12, 8}, {3, 3}});
    EXPECT_EQ(TToolBar_GetPrimaryColor(), 0x030201u);
    ASSERT_FALSE(GStatus.empty());
    EXPECT_EQ(GStatus.back(), "Spoid: Unmasked area") << "beside the float is off its surface";
}

// ---- The hand ----

TEST_F(SpoidHandTest, Hand_ScrollsByTheReversedScreenMovementWithinTheRange) {
    MakeForm(64, 48); // 512 x 384 in a 400 x 300 view: both bars
    GRouted = FHand;
    QWidget* window = FForm->FRenderWindow->FWidget;
    const QPoint kEnd(FForm->FHScroll->maximum(), FForm->FVScroll->maximum());
    ASSERT_GT(std::min(kEnd.x(), kEnd.y()), 40);
    struct Case {
        const char* name;
        QPoint press;
        std::vector<QPoint> moves; // screen points; the release is at the last
        bool escape;               // Esc right after the press
        QPoint scrolled;
    } cases[] = {
        {"a drag up and left", {300, 200}, {{290, 195}, {270, 180}}, false, {30, 20}},
        {"a screen left of and above the first", {-1500, -800}, {{-1530, -820}}, false, {30, 20}},
        {"past the range's end", {300, 200}, {{-9000, -9000}}, false, kEnd},
        {"past its start", {300, 200}, {{-9000, -9000}, {9000, 9000}}, false, {0, 0}},
        {"a tap", {300, 200}, {}, false, {0, 0}},
        {"a drag abandoned with Esc", {300, 200}, {{250, 150}}, true, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TWorkForm_ScrollBy(FForm, -100000, -100000);
        const QPoint local(100, 100);
        Send(window, QEvent::MouseButtonPress, local, c.press);
        if (c.escape) QTest::keyClick(window, Qt::Key_Escape);
        for (QPoint q : c.moves)
            Send(window, QEvent::MouseMove, local, q);
        Send(window, QEvent::MouseButtonRelease, local, c.moves.empty() ? c.press : c.moves.back());
        EXPECT_EQ(Scrolled(), c.scrolled);
    }
}

TEST_F(SpoidHandTest, Hand_DragStartedBesideThePictureScrollsToo) {
    MakeForm(64, 20); // 512 x 160: scrolls sideways, centred in height with room above
    GRouted = FHand;
    QWidget* area = FForm->FScrollArea;
    ASSERT_GT(FForm->FRenderWindow->FWidget->y(), 10);
    const QPoint local(50, 5);
    Send(area, QEvent::MouseButtonPress, local, area->mapToGlobal(local));
    Send(area, QEvent::MouseMove, local, area->mapToGlobal(local) - QPoint(40, 0));
    Send(area, QEvent::MouseButtonRelease, local, area->mapToGlobal(local) - QPoint(40, 0));
    EXPECT_EQ(Scrolled().x(), 40);
}

} // namespace
