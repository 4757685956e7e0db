// The view of a work form: the zoom steps and their clamps, fitting, Actual Size, the placement
// of the scroll area, bars and render window, scrolling by bars and wheel, and the routing of
// stylus events from the real windows to the host. Zooming, scrolling and the grid only
// re-render: the composite is never recomposed by them.
#include <gtest/gtest.h>

#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/work_form.h"
#include "support/work_form_fixture.h"

namespace {

struct TStylusCall {
    int FEvent;
    int32_t FX, FY;
    TPoint FImage; // GetStylusPoint at the time of the call
};
std::vector<TStylusCall> GStylusCalls;

void RecordStylus(TWorkForm* form, int event, int32_t x, int32_t y) {
    TStylusCall call = {event, x, y, {0, 0}};
    TWorkForm_GetStylusPoint(form, &call.FImage);
    GStylusCalls.push_back(call);
}

class ViewTest : public WorkFormTest {
  protected:
    void SetUp() override {
        WorkFormTest::SetUp();
        GStylusCalls.clear();
        TDocumentHost host = {};
        host.FStylus = RecordStylus;
        DocumentHost_Install(&host);
    }
    QWidget* Render() { return FForm->FRenderWindow->FWidget; }
    int32_t Extent() {
        return FForm->FWindow->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr,
                                                    FForm->FWindow);
    }
    void SendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(at), QPointF(to->mapToGlobal(at)), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(to, &event);
    }
    void SendWheel(QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWheelEvent event(QPointF(5, 5), QPointF(5, 5), QPoint(), angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(FForm->FScrollArea, &event);
    }
    uint32_t CompositePixel(int32_t x, int32_t y) {
        return TImage_GetPixel(FForm->FComposite->FImage, x, y);
    }
};

void ExpectGeometry(const QWidget* w, int x, int y, int width, int height) {
    EXPECT_EQ(w->geometry(), QRect(x, y, width, height)) << w->objectName().toStdString();
}

TEST_F(ViewTest, SmallImage_IsCentredWithOriginZeroAndNoBar) {
    EXPECT_EQ(FForm->FScrollArea->objectName(), "ScrollAreaWindow");
    EXPECT_EQ(Render()->objectName(), "RenderWindow");
    EXPECT_EQ(FForm->FVScroll->objectName(), "101");
    // 32 x 24 at zoom 8 is 256 x 192 in a 400 x 300 view.
    EXPECT_EQ(FForm->FZoomedWidth, 256);
    EXPECT_EQ(FForm->FZoomedHeight, 192);
    EXPECT_EQ(FForm->FScrollX, 72);
    EXPECT_EQ(FForm->FScrollY, 54);
    EXPECT_EQ(FForm->FVisibleRect.x, 0);
    EXPECT_EQ(FForm->FVisibleRect.y, 0);
    EXPECT_TRUE(FForm->FHScroll->isHidden());
    EXPECT_TRUE(FForm->FVScroll->isHidden());
    EXPECT_TRUE(FForm->FCorner->isHidden());
    ExpectGeometry(Render(), 72, 54, 256, 192);
    ExpectGeometry(FForm->FScrollArea, 0, 0, 400, 301);
    TRectXYWH view;
    TWorkForm_GetViewRect(FForm, &view);
    EXPECT_EQ(view.width, 400);
    EXPECT_EQ(view.height, 300);
    EXPECT_EQ(FForm->FBounds.width, 400);
    // Around the picture the scroll area shows its 2 x 2 checker.
    QImage shot = GrabView();
    EXPECT_EQ(shot.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(1, 0), 0xFF000000u);
    EXPECT_EQ(shot.pixel(0, 1), 0xFF000000u);
    EXPECT_EQ(shot.pixel(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(71, 53), shot.pixel(1, 1));
}

TEST_F(ViewTest, BothBars_AreShortenedAndTheCornerFillsTheGap) {
    MakeForm(200, 150); // 1600 x 1200 at zoom 8
    int32_t c = Extent();
    EXPECT_FALSE(FForm->FHScroll->isHidden());
    EXPECT_FALSE(FForm->FVScroll->isHidden());
    ExpectGeometry(FForm->FHScroll, 0, 300 - c + 1, 400 - c + 1, c);
    ExpectGeometry(FForm->FVScroll, 400 - c, 0, c, 300 - c + 2);
    EXPECT_FALSE(FForm->FCorner->isHidden());
    ExpectGeometry(FForm->FCorner, 400 - c + 1, 300 - c + 2, c - 1, c - 2);
    ExpectGeometry(FForm->FScrollArea, 0, 0, 400 - c, 300 - c + 1);
    TRectXYWH view;
    TWorkForm_GetViewRect(FForm, &view);
    EXPECT_EQ(view.width, 400 - c);
    EXPECT_EQ(view.height, 300 - c);
    EXPECT_EQ(FForm->FHScroll->maximum(), 1600 - view.width);
    EXPECT_EQ(FForm->FHScroll->pageStep(), view.width);
    EXPECT_TRUE(FForm->FHScroll->isEnabled());
    ExpectGeometry(Render(), 0, 0, 1600, 1200);
}

TEST_F(ViewTest, OneBar_WhenOnlyTheWidthOverflows) {
    MakeForm(200, 10); // 1600 x 80
    EXPECT_FALSE(FForm->FHScroll->isHidden());
    EXPECT_TRUE(FForm->FVScroll->isHidden());
    EXPECT_TRUE(FForm->FCorner->isHidden());
    ExpectGeometry(FForm->FHScroll, 0, 300 - Extent() + 1, 400, Extent());
    EXPECT_EQ(FForm->FScrollY, (300 - Extent() - 80) / 2) << "centred above the bar";
    // A bar with nothing to scroll is disabled.
    TWorkForm_SetScrollBarPos(FForm, 0, 0);
    EXPECT_FALSE(FForm->FVScroll->isEnabled());
}

TEST_F(ViewTest, ZoomSteps_FollowTheDoubleArithmeticBothWays) {
    const double out[] = {7, 6, 5, 4, 3, 2, 1, 0.8, 0.6, 0.4, 0.2, 0.125, 0.125};
    for (double expected : out) {
        TWorkForm_ZoomOut(FForm);
        EXPECT_NEAR(FForm->FZoom, expected, 1e-9);
    }
    EXPECT_GT(FForm->FZoom - 0.125, -1e-12);
    const double in[] = {0.325, 0.525, 0.725, 0.925, 1,  2,  3,  4,  5,  6, 7,
                         8,     9,     10,    11,    12, 13, 14, 15, 16, 16};
    for (double expected : in) {
        TWorkForm_ZoomIn(FForm);
        EXPECT_NEAR(FForm->FZoom, expected, 1e-9);
    }
    // From 0.8 one step in lands on 1.0 exactly, as does 0.925 (1.125 truncated).
    TWorkForm_SetZoom(FForm, 0.8);
    TWorkForm_ZoomIn(FForm);
    EXPECT_EQ(FForm->FZoom, 1.0);
    EXPECT_TRUE(TWorkForm_IsActualSize(FForm));
    TWorkForm_SetZoom(FForm, 0.925);
    TWorkForm_ZoomIn(FForm);
    EXPECT_EQ(FForm->FZoom, 1.0);
}

TEST_F(ViewTest, SetZoom_ClampsAndLeavesFitMode) {
    struct {
        double FAsked, FGot;
    } cases[] = {{20, 16}, {0.01, 0.125}, {3.7, 3}, {1.5, 1}, {0.5, 0.5}, {16, 16}};
    for (auto c : cases) {
        FForm->FFitMode = 1;
        TWorkForm_SetZoom(FForm, c.FAsked);
        EXPECT_EQ(FForm->FZoom, c.FGot) << c.FAsked;
        EXPECT_EQ(FForm->FFitMode, 0);
    }
    // Zoom In at 16 changes nothing but still leaves fit mode.
    FForm->FFitMode = 1;
    TWorkForm_ZoomIn(FForm);
    EXPECT_EQ(FForm->FZoom, 16.0);
    EXPECT_EQ(FForm->FFitMode, 0);
    EXPECT_EQ(FForm->FLastZoom, 16.0);
    TWorkForm_SetZoom(FForm, 1.0);
    EXPECT_EQ(FForm->FLastZoom, 16.0) << "1.0 is never the last zoom";
}

TEST_F(ViewTest, FitToScreen_PicksTheLargestZoomThatFits) {
    struct {
        int32_t FWidth, FHeight;
        int FGrid;
        double FZoom;
    } cases[] = {
        {32, 24, 0, 12},                      // 12.5 truncated
        {32, 24, 1, 11},                      // one screen pixel per image pixel for the grid line
        {80, 60, 0, 5},                       // exactly 5
        {80, 60, 1, 4},                       // fitted 5 with the grid becomes 4
        {40, 100, 0, 3},                      // the height decides
        {800, 600, 0, 0.5}, {300, 300, 0, 1}, // the height decides: 1
        {3, 300, 1, 1},                       // a ratio of 1 stays 1 with the grid
    };
    for (auto c : cases) {
        MakeForm(c.FWidth, c.FHeight);
        if (c.FGrid) TWorkForm_ShowGrid(FForm);
        TWorkForm_FitToScreen(FForm);
        EXPECT_NEAR(FForm->FZoom, c.FZoom, 1e-6) << c.FWidth << "x" << c.FHeight << " " << c.FGrid;
        EXPECT_EQ(FForm->FFitMode, 1);
        EXPECT_TRUE(FForm->FHScroll->isHidden()) << c.FWidth << "x" << c.FHeight;
        EXPECT_TRUE(FForm->FVScroll->isHidden()) << c.FWidth << "x" << c.FHeight;
    }
    // The ratio is taken in single precision: 400 / 3 as a float, widened.
    MakeForm(3000, 10);
    TWorkForm_FitZoom(FForm);
    EXPECT_EQ(FForm->FZoom, double(400.0f / 3000.0f));
}

TEST_F(ViewTest, ActualSize_GoesToOneAndBackWithTheScrollRestored) {
    MakeForm(200, 150);
    TWorkForm_SetZoom(FForm, 3); // 600 x 450
    FForm->FScrollX = FForm->FScrollY = 0;
    TWorkForm_ApplyScroll(FForm, nullptr);
    TWorkForm_ScrollBy(FForm, 50, 30);
    EXPECT_EQ(FForm->FScrollX, -50);
    EXPECT_EQ(FForm->FScrollY, -30);
    TWorkForm_ToggleActualSize(FForm);
    EXPECT_EQ(FForm->FZoom, 1.0);
    EXPECT_TRUE(TWorkForm_IsActualSize(FForm));
    EXPECT_EQ(FForm->FSavedScrollX, -50);
    EXPECT_EQ(FForm->FScrollX, 100) << "200 x 150 is centred at zoom 1";
    TWorkForm_ToggleActualSize(FForm);
    EXPECT_EQ(FForm->FZoom, 3.0);
    EXPECT_FALSE(TWorkForm_IsActualSize(FForm));
    EXPECT_EQ(FForm->FScrollX, -50);
    EXPECT_EQ(FForm->FScrollY, -30);
    EXPECT_EQ(FForm->FRestoringZoom, 0);
    EXPECT_EQ(Render()->pos(), QPoint(-50, -30));
}

TEST_F(ViewTest, ThumbTracking_SetsTheScrollAndTheViewOrigin) {
    MakeForm(200, 150);
    // Through the real bar: tracking the thumb to 40.
    FForm->FHScroll->setSliderPosition(40);
    EXPECT_EQ(FForm->FScrollX, -40);
    EXPECT_EQ(FForm->FVisibleRect.x, 40 / 8);
    EXPECT_EQ(FForm->FHScroll->value(), 40);
    EXPECT_EQ(Render()->x(), -40);
    // With the grid the effective zoom is 9.
    TWorkForm_ShowGrid(FForm);
    TWorkForm_OnScrollBar(FForm, 1, QAbstractSlider::SliderMove, 40);
    EXPECT_EQ(FForm->FScrollY, -40);
    EXPECT_EQ(FForm->FVisibleRect.y, 40 / 9);
}

TEST_F(ViewTest, ScrollBarActions_StepByLinePageAndClamp) {
    MakeForm(200, 150);
    TRectXYWH view;
    TWorkForm_GetViewRect(FForm, &view);
    TWorkForm_OnScrollBar(FForm, 0, QAbstractSlider::SliderSingleStepAdd, 0);
    EXPECT_EQ(FForm->FScrollX, -8) << "one image pixel";
    TWorkForm_OnScrollBar(FForm, 0, QAbstractSlider::SliderPageStepAdd, 0);
    EXPECT_EQ(FForm->FScrollX, -8 - view.width);
    TWorkForm_OnScrollBar(FForm, 0, QAbstractSlider::SliderSingleStepSub, 0);
    EXPECT_EQ(FForm->FScrollX, -view.width);
    TWorkForm_OnScrollBar(FForm, 0, QAbstractSlider::SliderToMinimum, 0);
    EXPECT_EQ(FForm->FScrollX, -view.width) << "other actions do not move";
    EXPECT_EQ(FForm->FHScroll->value(), view.width);
    for (int i = 0; i < 10; ++i)
        TWorkForm_OnScrollBar(FForm, 1, QAbstractSlider::SliderPageStepAdd, 0);
    EXPECT_EQ(FForm->FScrollY, view.height - 1200);
    EXPECT_EQ(FForm->FVScroll->value(), 1200 - view.height);
    for (int i = 0; i < 10; ++i)
        TWorkForm_OnScrollBar(FForm, 1, QAbstractSlider::SliderPageStepSub, 0);
    EXPECT_EQ(FForm->FScrollY, 0);
    // Below zoom 1 a line is still one screen pixel.
    TWorkForm_SetZoom(FForm, 0.6);
    EXPECT_EQ(TWorkForm_GetLineStep(FForm), 1);
    TWorkForm_SetZoom(FForm, 8);
    TWorkForm_ShowGrid(FForm);
    EXPECT_EQ(TWorkForm_GetLineStep(FForm), 9);
}

TEST_F(ViewTest, Wheel_ScrollsAndCtrlWheelZooms) {
    MakeForm(200, 150);
    int32_t notch = QApplication::wheelScrollLines() * 20;
    SendWheel(QPoint(0, -120), Qt::NoModifier);
    EXPECT_EQ(FForm->FScrollY, -notch);
    EXPECT_EQ(FForm->FScrollX, 0);
    SendWheel(QPoint(0, -120), Qt::ShiftModifier);
    EXPECT_EQ(FForm->FScrollX, -notch);
    SendWheel(QPoint(-120, 0), Qt::NoModifier);
    EXPECT_EQ(FForm->FScrollX, -2 * notch);
    SendWheel(QPoint(0, 120), Qt::ControlModifier);
    EXPECT_EQ(FForm->FZoom, 9.0);
    SendWheel(QPoint(0, -60), Qt::ControlModifier);
    EXPECT_EQ(FForm->FZoom, 9.0) << "half a notch does not zoom yet";
    SendWheel(QPoint(0, -60), Qt::ControlModifier);
    EXPECT_EQ(FForm->FZoom, 8.0);
}

TEST_F(ViewTest, ScrollingZoomingAndTheGridNeverRecompose) {
    MakeForm(200, 150);
    uint32_t shown = CompositePixel(3, 3);
    TImage_SetPixelMasked(TWorkForm_GetBackground(FForm)->FImage, 3, 3, 0x123456, 0xFFFFFF);
    TWorkForm_ScrollBy(FForm, 30, 30);
    TWorkForm_SetZoom(FForm, 2);
    TWorkForm_ShowGrid(FForm);
    EXPECT_EQ(TWorkForm_GetZoomFactor(FForm), 3.0);
    EXPECT_EQ(FForm->FZoomedWidth, 600);
    TWorkForm_HideGrid(FForm);
    TWorkForm_FitToScreen(FForm);
    GrabView();
    EXPECT_EQ(CompositePixel(3, 3), shown);
    TWorkForm_Repaint(FForm);
    EXPECT_EQ(CompositePixel(3, 3), 0x123456u);
}

TEST_F(ViewTest, Stylus_FromTheScrollAreaOutsideTheImageReachesTheHost) {
    // The picture sits at (72, 54); (10, 10) of the scroll area lies left of and above it.
    SendMouse(FForm->FScrollArea, QEvent::MouseButtonPress, {10, 10}, Qt::LeftButton);
    SendMouse(FForm->FScrollArea, QEvent::MouseMove, {380, 290}, Qt::LeftButton);
    SendMouse(FForm->FScrollArea, QEvent::MouseButtonRelease, {380, 290}, Qt::NoButton);
    ASSERT_EQ(GStylusCalls.size(), 3u);
    EXPECT_EQ(GStylusCalls[0].FEvent, TWE_DOWN);
    EXPECT_EQ(GStylusCalls[0].FX, -62);
    EXPECT_EQ(GStylusCalls[0].FY, -44);
    EXPECT_EQ(GStylusCalls[0].FImage.x, -7);
    EXPECT_EQ(GStylusCalls[0].FImage.y, -5);
    EXPECT_EQ(GStylusCalls[1].FEvent, TWE_MOVE);
    EXPECT_EQ(GStylusCalls[1].FX, 308);
    EXPECT_EQ(GStylusCalls[1].FImage.x, 38) << "beyond the 32 pixels of the image";
    EXPECT_EQ(GStylusCalls[1].FImage.y, 29);
    EXPECT_EQ(GStylusCalls[2].FEvent, TWE_UP);
    // Moves without the left button, and other buttons, are no stylus.
    SendMouse(FForm->FScrollArea, QEvent::MouseMove, {20, 20}, Qt::NoButton);
    QMouseEvent right(QEvent::MouseButtonPress, QPointF(20, 20), QPointF(20, 20), Qt::RightButton,
                      Qt::RightButton, Qt::NoModifier);
    QApplication::sendEvent(FForm->FScrollArea, &right);
    EXPECT_EQ(GStylusCalls.size(), 3u);
}

TEST_F(ViewTest, Stylus_OnTheRenderWindowUsesItsOwnPointsUnlessChangeColourIsArmed) {
    SendMouse(Render(), QEvent::MouseButtonPress, {17, 9}, Qt::LeftButton);
    ASSERT_EQ(GStylusCalls.size(), 1u);
    EXPECT_EQ(GStylusCalls[0].FX, 17);
    EXPECT_EQ(GStylusCalls[0].FImage.x, 2);
    EXPECT_EQ(GStylusCalls[0].FImage.y, 1);
    SendMouse(Render(), QEvent::MouseButtonRelease, {17, 9}, Qt::NoButton);
    GStylusCalls.clear();
    // Armed, the tap belongs to Change Color, and only its release counts.
    TWorkForm_ArmChangeColour(FForm);
    SendMouse(Render(), QEvent::MouseButtonPress, {17, 9}, Qt::LeftButton);
    SendMouse(Render(), QEvent::MouseMove, {18, 9}, Qt::LeftButton);
    SendMouse(Render(), QEvent::MouseButtonRelease, {18, 9}, Qt::NoButton);
    EXPECT_TRUE(GStylusCalls.empty());
    EXPECT_EQ(FForm->FTapMode, 0) << "the release ran Change Color, which disarms";
    EXPECT_EQ(FForm->FStylus.x, 18);
}

TEST_F(ViewTest, ImageSizeChanged_NeedsABackground) {
    TWorkForm* bare = TWorkForm_Create(FMain.get());
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(TWorkForm_ImageSizeChanged(bare), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NO_BACKGROUND);
    TRectXYWH image;
    EXPECT_EQ(TWorkForm_GetImageRect(bare, &image), -1);
    TWorkForm_Destroy(bare);
    TWorkForm_SetActive(FForm);
    // With one, the buffers follow the background's size and the error is cleared.
    TLayer* background = TWorkForm_GetBackground(FForm);
    ASSERT_EQ(TLayer_Resize(background, 50, 40, 0), 0);
    SetLastErrorCode(EC_UNKNOWN);
    EXPECT_EQ(TWorkForm_ImageSizeChanged(FForm), 0);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
    EXPECT_EQ(FForm->FComposite->FWidth, 50);
    EXPECT_EQ(FForm->FPreview->FHeight, 40);
    EXPECT_EQ(FForm->FZoomedWidth, 400);
}

} // namespace
