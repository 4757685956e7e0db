// Rendering as the user sees it: the scroll area grabbed at several zooms with and without the
// grid, transparent pixels over the secondary colour, the marching ants frame by frame, previews
// confined to the selected area, repaints outside the view that draw nothing, and a huge zoomed
// picture scrolled far. Also the composing rules and the buffers' growth.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTest>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/work_form.h"
#include "document/work_form_windows.h"
#include "platform/msgbox.h"
#include "platform/qt/window_dc.h"
#include "support/work_form_fixture.h"

namespace {

const QRgb KGrey = 0xFF808080u;

QRgb ToRgb(uint32_t colour) {
    return 0xFF000000u | (colour & 0xFF) << 16 | (colour & 0xFF00) | (colour >> 16 & 0xFF);
}

class RenderTest : public WorkFormTest {
  protected:
    // What image pixel (x, y) must look like: its colour, or the secondary colour where clear.
    QRgb Expected(int32_t x, int32_t y) {
        uint32_t visible = 0, colour = BackgroundPixel(FForm, x, y, &visible);
        return ToRgb(visible ? colour : DocumentHost_GetSecondaryColor());
    }
    TRenderTarget Target() {
        TRenderTarget target = {};
        EXPECT_EQ(TRenderWindow_GetTarget(FForm->FRenderWindow, &target), 0);
        return target;
    }
    QImage WindowImage() { return FForm->FRenderWindow->FWindowDC->FImage->copy(); }
    // The render window's context over client rows top..bottom - 1 and columns left..right - 1:
    // 'B' black, 'W' white, '.' anything else.
    std::vector<std::string> Ants(int32_t left, int32_t top, int32_t right, int32_t bottom) {
        TRenderTarget t = Target();
        std::vector<std::string> rows;
        for (int32_t y = top; y < bottom; ++y) {
            std::string row;
            for (int32_t x = left; x < right; ++x) {
                TGdiColor c = Gdi_GetPixel(t.FDC, x - t.FOriginX, y - t.FOriginY);
                row += c == 0 ? 'B' : c == 0xFFFFFF ? 'W' : '.';
            }
            rows.push_back(row);
        }
        return rows;
    }
    void Tick() {
        TRenderTarget t = Target();
        TWorkForm_DrawSelectionOutline(FForm, &t);
    }
};

// Counts the pixels of shot that differ from expected(x, y) over a rectangle, reporting the first.
template <typename F> int Mismatches(const QImage& shot, int x0, int y0, int w, int h, F expected) {
    int bad = 0;
    for (int y = y0; y < y0 + h; ++y)
        for (int x = x0; x < x0 + w; ++x)
            if (shot.pixel(x, y) != expected(x, y) && bad++ == 0)
                ADD_FAILURE() << "first difference at " << x << "," << y << ": " << std::hex
                              << shot.pixel(x, y) << " instead of " << expected(x, y);
    return bad;
}

TEST_F(RenderTest, Grid_Zoom8GivesNineSquaresWithAShadowFirstRowAndColumnAndZoom1None) {
    // The grid takes the desktop's button-shadow colour.
    const QPalette saved = QGuiApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Dark, QColor(0x33, 0x66, 0x99));
    QGuiApplication::setPalette(palette);
    const QRgb shadow = qRgb(0x33, 0x66, 0x99);
    FillPattern(3);
    TWorkForm_ShowGrid(FForm);
    ASSERT_EQ(FForm->FZoomedWidth, 288);
    QImage shot = GrabView();
    int32_t ox = FForm->FScrollX, oy = FForm->FScrollY;
    EXPECT_EQ(Mismatches(shot, ox, oy, 288, 216,
                         [&](int x, int y) {
                             int cx = x - ox, cy = y - oy;
                             if (cx % 9 == 0 || cy % 9 == 0) return shadow;
                             return Expected(cx / 9, cy / 9);
                         }),
              0);
    QGuiApplication::setPalette(saved);
    // Below zoom 2 no grid is drawn, though it is set.
    TWorkForm_SetZoom(FForm, 1);
    EXPECT_EQ(TWorkForm_GetZoomFactor(FForm), 1.0);
    shot = GrabView();
    ox = FForm->FScrollX;
    oy = FForm->FScrollY;
    EXPECT_EQ(ox, (400 - 32) / 2);
    EXPECT_EQ(
        Mismatches(shot, ox, oy, 32, 24, [&](int x, int y) { return Expected(x - ox, y - oy); }),
        0);
}

TEST_F(RenderTest, Zoom06_ShrinksThePictureWithoutGrid) {
    MakeForm(200, 150);
    FillPattern(5);
    TWorkForm_ShowGrid(FForm);
    TWorkForm_SetZoom(FForm, 0.6);
    ASSERT_EQ(FForm->FZoomedWidth, 120);
    ASSERT_EQ(FForm->FZoomedHeight, 90);
    QImage shot = GrabView();
    int32_t ox = FForm->FScrollX, oy = FForm->FScrollY;
    EXPECT_EQ(ox, 140);
    EXPECT_EQ(oy, 105);
    // Each screen pixel shows the first image pixel of its group.
    EXPECT_EQ(Mismatches(shot, ox, oy, 120, 90,
                         [&](int x, int y) {
                             return Expected((x - ox) * 200 / 120, (y - oy) * 150 / 90);
                         }),
              0);
    // Around it the checker.
    EXPECT_EQ(shot.pixel(ox - 1, oy) | shot.pixel(ox - 2, oy), 0xFFFFFFFFu);
    EXPECT_NE(shot.pixel(ox - 1, oy), shot.pixel(ox - 2, oy));
}

TEST_F(RenderTest, TransparentPixelsShowTheSecondaryColourAndFollowIt) {
    // A new image is wholly transparent.
    QImage shot = GrabView();
    int32_t ox = FForm->FScrollX, oy = FForm->FScrollY;
    EXPECT_EQ(Mismatches(shot, ox, oy, 256, 192, [](int, int) { return 0xFFFFFFFFu; }), 0);
    DocumentHost_SetSecondaryColor(0x0000FF); // red
    TWorkForm_Repaint(FForm);
    shot = GrabView();
    EXPECT_EQ(Mismatches(shot, ox, oy, 256, 192, [](int, int) { return 0xFFFF0000u; }), 0);
}

TEST_F(RenderTest, MarchingAnts_CrawlOnePixelPerTickAndSwapEveryFourth) {
    DocumentHost_SetSecondaryColor(0x808080); // the picture is grey: the ants stand out
    TWorkForm_SetZoom(FForm, 1);
    TWorkForm_Repaint(FForm);
    TWorkForm_ResetOutlineState();
    TRectXYWH area = {2, 2, 5, 3};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_AREA), 0);
    WorkFormWindows_StopSelectionTimer(FForm); // the ticks come from this test
    // Top edge, then the right edge continuing; left edge restarting, then the bottom edge.
    Tick();
    EXPECT_EQ(Ants(1, 1, 8, 6), (std::vector<std::string>{".......", //
                                                          ".BWWWB.", //
                                                          ".W...B.", //
                                                          ".WWBBB.", //
                                                          "......."}));
    uint32_t colour = 1;
    int32_t phase = -1;
    TWorkForm_GetOutlineState(&colour, &phase);
    EXPECT_EQ(colour, 0u);
    EXPECT_EQ(phase, 1);
    Tick();
    EXPECT_EQ(Ants(2, 2, 7, 5), (std::vector<std::string>{"BBWWW", //
                                                          "B...B", //
                                                          "WWWBB"}));
    Tick();
    Tick();
    TWorkForm_GetOutlineState(&colour, &phase);
    EXPECT_EQ(colour, 0xFFFFFFFFu);
    EXPECT_EQ(phase, 0);
    Tick(); // the fifth frame is the first one in the other colours
    EXPECT_EQ(Ants(2, 2, 7, 5), (std::vector<std::string>{"WBBBW", //
                                                          "B...W", //
                                                          "BBWWW"}));
    // What was drawn is what the window shows.
    TRectLTRB client = {2, 2, 7, 5};
    TRenderWindow_Update(FForm->FRenderWindow, &client);
    QImage shot = GrabView();
    EXPECT_EQ(shot.pixel(FForm->FScrollX + 2, FForm->FScrollY + 2), 0xFFFFFFFFu);
    EXPECT_EQ(shot.pixel(FForm->FScrollX + 3, FForm->FScrollY + 2), 0xFF000000u);
    EXPECT_EQ(shot.pixel(FForm->FScrollX + 3, FForm->FScrollY + 3), KGrey);
}

TEST_F(RenderTest, MarchingAnts_NothingWithoutSelectionAndTheTimerDrivesThem) {
    TWorkForm_ResetOutlineState();
    Tick();
    int32_t phase = -1;
    TWorkForm_GetOutlineState(nullptr, &phase);
    EXPECT_EQ(phase, 0) << "no selection, no frame";
    TRectXYWH area = {1, 1, 4, 4};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_AREA), 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [] {
            int32_t p = 0;
            TWorkForm_GetOutlineState(nullptr, &p);
            return p >= 2;
        },
        5000));
    TWorkForm_CommitSelection(FForm); // stops the timer
    TWorkForm_GetOutlineState(nullptr, &phase);
    QTest::qWait(250);
    int32_t after = -1;
    TWorkForm_GetOutlineState(nullptr, &after);
    EXPECT_EQ(after, phase);
}

TEST_F(RenderTest, RepaintOutsideTheVisiblePartDrawsNothing) {
    MakeForm(200, 150); // at zoom 8 about 50 x 37 image pixels show
    FillPattern(6);
    GrabView();
    QImage before = WindowImage();
    TImage_SetPixelMasked(TWorkForm_GetBackground(FForm)->FImage, 150, 100, 0x00FF00, 0xFFFFFF);
    TRectXYWH r = {150, 100, 1, 1};
    TWorkForm_RepaintRect(FForm, &r);
    EXPECT_EQ(TImage_GetPixel(FForm->FComposite->FImage, 150, 100), 0x00FF00u) << "composed";
    EXPECT_TRUE(WindowImage() == before) << "but not drawn";
    // Inside the view a repaint draws just its rectangle.
    TImage_SetPixelMasked(TWorkForm_GetBackground(FForm)->FImage, 2, 3, 0x00FF00, 0xFFFFFF);
    TRectXYWH inside = {2, 3, 1, 1};
    TWorkForm_RepaintRect(FForm, &inside);
    QImage shot = GrabView();
    EXPECT_EQ(shot.pixel(2 * 8 + 4, 3 * 8 + 4), 0xFF00FF00u);
}

TEST_F(RenderTest, Preview_ShowsOnlyInsideTheSelectedArea) {
    FillPattern(8);
    TRectXYWH area = {2, 2, 4, 4};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_AREA), 0);
    WorkFormWindows_StopSelectionTimer(FForm);
    TWorkForm_ResetPreview(FForm, nullptr);
    TImage_SetPixelMasked(FForm->FPreview->FImage, 3, 3, 0x0000FF, 0xFFFFFF);
    TImage_SetPixelMasked(FForm->FPreview->FImage, 10, 10, 0x0000FF, 0xFFFFFF);
    TRectXYWH all = {0, 0, 32, 24};
    ASSERT_EQ(TWorkForm_RenderPreview(FForm, &all), 0);
    QImage shot = GrabView();
    int32_t ox = FForm->FScrollX, oy = FForm->FScrollY;
    EXPECT_EQ(shot.pixel(ox + 3 * 8 + 4, oy + 3 * 8 + 4), 0xFFFF0000u);
    EXPECT_EQ(shot.pixel(ox + 10 * 8 + 4, oy + 10 * 8 + 4), Expected(10, 10));
    // ResetPreview takes the composite back, clipped to the image.
    TRectXYWH corner = {-5, -5, 9, 9};
    TWorkForm_ResetPreview(FForm, &corner);
    EXPECT_EQ(TImage_GetPixel(FForm->FPreview->FImage, 3, 3),
              TImage_GetPixel(FForm->FComposite->FImage, 3, 3));
    EXPECT_EQ(TImage_GetPixel(FForm->FPreview->FImage, 10, 10), 0x0000FFu);
    TRectXYWH outside = {40, 40, 5, 5};
    TWorkForm_ResetPreview(FForm, &outside);
    EXPECT_EQ(TImage_GetPixel(FForm->FPreview->FImage, 10, 10), 0x0000FFu);
}

TEST_F(RenderTest, Preview_OfASelectionOutOfViewDrawsNothingAndShowsNoBox) {
    MakeForm(200, 150);
    FillPattern(9);
    TRectXYWH area = {0, 0, 4, 4};
    ASSERT_EQ(TWorkForm_Select(FForm, &area, TWS_AREA), 0);
    WorkFormWindows_StopSelectionTimer(FForm);
    TWorkForm_ScrollBy(FForm, 1000, 800);
    GrabView();
    QImage before = WindowImage();
    TWorkForm_ResetPreview(FForm, nullptr);
    TImage_SetPixelMasked(FForm->FPreview->FImage, 150, 120, 0x0000FF, 0xFFFFFF);
    TRectXYWH r = {100, 100, 100, 50};
    EXPECT_EQ(TWorkForm_RenderPreview(FForm, &r), 0);
    EXPECT_TRUE(WindowImage() == before);
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(RenderTest, HugeZoomedPictureScrolledFarShowsTheRightPixels) {
    MakeForm(2000, 1500);
    FillPattern(10);
    TWorkForm_SetZoom(FForm, 16); // a render window of 32000 x 24000
    FForm->FScrollX = FForm->FScrollY = 0;
    TWorkForm_ApplyScroll(FForm, nullptr);
    TWorkForm_ScrollBy(FForm, 29005, 21003);
    ASSERT_EQ(FForm->FScrollX, -29005);
    QImage shot = GrabView();
    int32_t sx = FForm->FScrollX, sy = FForm->FScrollY;
    TRectXYWH view;
    TWorkForm_GetViewRect(FForm, &view);
    EXPECT_EQ(Mismatches(shot, 0, 0, view.width, view.height,
                         [&](int x, int y) { return Expected((x - sx) / 16, (y - sy) / 16); }),
              0);
    // The context covers what the scroll area shows, not the zoomed picture.
    const TWindowDC* dc = FForm->FRenderWindow->FWindowDC;
    EXPECT_EQ(dc->FWidth, FForm->FScrollArea->width());
    EXPECT_EQ(dc->FHeight, FForm->FScrollArea->height());
    EXPECT_LE(dc->FCapacityWidth, 1000);
    EXPECT_EQ(FForm->FRenderWindow->FOriginX, 29005);
    // Scrolling back by the bar draws the new place.
    FForm->FHScroll->setSliderPosition(100);
    shot = GrabView();
    sx = FForm->FScrollX;
    EXPECT_EQ(sx, -100);
    EXPECT_EQ(Mismatches(shot, 0, 0, view.width, view.height,
                         [&](int x, int y) { return Expected((x - sx) / 16, (y - sy) / 16); }),
              0);
}

TEST_F(RenderTest, FractionalZoom_LeavesNoPixelOfTheViewUndrawnAfterAScroll) {
    MakeForm(2000, 1500);
    FillPattern(12);
    const QRgb KMarker = 0xFFFF00FFu; // what the context held before: must not show
    for (double zoom : {0.6, 0.4, 0.325, 0.8, 0.925}) {
        TWorkForm_SetZoom(FForm, zoom);
        for (int32_t scroll : {41, 97}) {
            FForm->FScrollX = FForm->FScrollY = 0;
            TWorkForm_ApplyScroll(FForm, nullptr);
            TWorkForm_ScrollBy(FForm, scroll, scroll);
            Target(); // the context follows the scroll: the next paint renders all of it
            FForm->FRenderWindow->FWindowDC->FImage->fill(KMarker);
            QImage shot = GrabView();
            int left = 0;
            for (int y = 0; y < shot.height(); ++y)
                for (int x = 0; x < shot.width(); ++x)
                    left += shot.pixel(x, y) == KMarker;
            EXPECT_EQ(left, 0) << "zoom " << zoom << " scroll " << scroll;
        }
    }
}

TEST_F(RenderTest, Compose_DrawsTheFloatingSelectionWholeOverItsBaseOnly) {
    FillPattern(11);
    TRectXYWH r = {0, 0, 6, 5};
    ASSERT_EQ(TWorkForm_Select(FForm, &r, TWS_COPY_FLOAT), 0);
    WorkFormWindows_StopSelectionTimer(FForm);
    TWorkForm_MoveSelection(FForm, 20, 15, 0);
    TImage* composite = FForm->FComposite->FImage;
    TImage* floating = FForm->FFloat->FImage;
    // Spoil the composite under the float, then compose one pixel of it.
    for (int32_t y = 15; y < 20; ++y)
        for (int32_t x = 20; x < 26; ++x)
            TImage_SetPixel(composite, x, y, 0x010203);
    TRectXYWH one = {20, 15, 1, 1};
    ASSERT_EQ(TWorkForm_Compose(FForm, &one), 0);
    int visibleSeen = 0;
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 6; ++x) {
            uint32_t colour = 0;
            if (!TImage_GetPixelMasked(floating, x, y, &colour)) continue;
            ++visibleSeen;
            EXPECT_EQ(TImage_GetPixel(composite, 20 + x, 15 + y), colour) << x << "," << y;
        }
    EXPECT_GT(visibleSeen, 0);
    // A float whose base is not the last layer composed is not drawn: the layer shows.
    TLayer* base = FForm->FFloat->FBaseLayer;
    FForm->FFloat->FBaseLayer = nullptr;
    TRectXYWH all = {20, 15, 6, 5};
    ASSERT_EQ(TWorkForm_Compose(FForm, &all), 0);
    FForm->FFloat->FBaseLayer = base;
    for (int32_t y = 15; y < 20; ++y)
        for (int32_t x = 20; x < 26; ++x)
            EXPECT_EQ(ToRgb(TImage_GetPixel(composite, x, y)), Expected(x, y)) << x << "," << y;
    EXPECT_EQ(GetLastErrorCode(), EC_NONE) << "composing leaves no error behind";
}

TEST_F(RenderTest, Failures_AreReportedAndDrawNothing) {
    TWorkForm* bare = TWorkForm_Create(FMain.get());
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(TWorkForm_Redraw(bare, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    EXPECT_EQ(TWorkForm_Compose(bare, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_OBJECT);
    TWorkForm_Destroy(bare);
    TWorkForm_SetActive(FForm);
    EXPECT_EQ(TWorkForm_Render(FForm, nullptr, nullptr, 0), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_DC);
    FForm->FRenderWindow = TRenderWindow_Destroy(FForm->FRenderWindow);
    EXPECT_EQ(TWorkForm_Redraw(FForm, nullptr, nullptr), -1);
    EXPECT_EQ(GetLastErrorCode(), EC_NULL_DC);
    TWorkForm_Repaint(FForm); // composes, shows nothing, and survives
}

TEST_F(RenderTest, Offscreen_IsSizedOnceAndGrowsOnlyWhenItMust) {
    EXPECT_GE(FForm->FOffscreenRect.width, 400 + 34);
    EXPECT_GE(FForm->FOffscreenRect.height, 300 + 34);
    TGdiObject* bitmap = FForm->FOffscreenBitmap;
    TWorkForm_ShowGrid(FForm);
    for (double zoom : {16.0, 0.125, 1.0, 8.0, 0.6, 15.0}) {
        TWorkForm_SetZoom(FForm, zoom);
        TWorkForm_Repaint(FForm);
        GrabView();
    }
    EXPECT_EQ(FForm->FOffscreenBitmap, bitmap) << "no new bitmap for any zoom";
    int32_t height = FForm->FOffscreenRect.height;
    ASSERT_EQ(TWorkForm_EnsureOffscreen(FForm, 2000, 10), 0);
    EXPECT_EQ(FForm->FOffscreenRect.width, 2000);
    EXPECT_EQ(FForm->FOffscreenRect.height, height) << "growing keeps the larger side";
}

} // namespace
