// The Brightness/Contrast dialog on a real document: its texts and controls, OK untouched
// giving 0 and 0 (which change nothing), the preview against the adjustments applied to the same
// block, Default, and the view that stays put on a small image and pans, clamped, on a large one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <functional>
#include <vector>

#include "core/adjust.h"
#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "platform/msgbox.h"
#include "shell/brightness_contrast_dialog.h"
#include "shell/preview_control.h"
#include "support/test_support.h"

#include "shell/dialog_test_support.h"

namespace {

// The document's block at (x, y) of the view's size, adjusted as the dialog should and shown
// as the canvas shows it: transparent pixels in the secondary colour.
std::vector<uint32_t> Expected(TWorkForm* form, int32_t x, int32_t y, int32_t w, int32_t h, int c,
                               int b) {
    TLayer* block = TLayer_CreateCopy(TWorkForm_GetActiveLayer(form), x, y, w, h);
    if (!block || !block->FImage) return {};
    if (c) TImage_Contrast(block->FImage, c);
    if (b) TImage_Brightness(block->FImage, b);
    std::vector<uint32_t> colours;
    for (int32_t py = 0; py < h; ++py)
        for (int32_t px = 0; px < w; ++px) {
            uint32_t colour = 0;
            bool visible = TImage_GetPixelMasked(block->FImage, px, py, &colour) != 0;
            colours.push_back(visible ? colour : DocumentHost_GetSecondaryColor() & 0xFFFFFF);
        }
    TLayer_Destroy(block);
    return colours;
}

class BrightnessContrastTest : public WorkFormTest {
  protected:
    void TearDown() override {
        FDialog = BrightnessContrast_Destroy(FDialog);
        WorkFormTest::TearDown();
    }
    void Open() {
        FDialog = BrightnessContrast_Create(nullptr, FForm);
        ASSERT_NE(FDialog, nullptr);
        FDialog->FHandle->show();
        QApplication::processEvents();
    }
    QSlider* Slider(int id) { return FDialog->FHandle->findChild<QSlider*>(QString::number(id)); }
    QLineEdit* Box(int id) { return FDialog->FHandle->findChild<QLineEdit*>(QString::number(id)); }
    std::vector<uint32_t> Shown() {
        return Colours(PreviewControl_GetBuffer(FDialog->FPreview)->FImage);
    }
    std::vector<uint32_t> ExpectedAt(int c, int b) {
        return Expected(FForm, FDialog->FOffsetX, FDialog->FOffsetY, FDialog->FSource->FWidth,
                        FDialog->FSource->FHeight, c, b);
    }
    void Drag(QPoint from, QPoint to) {
        QWidget* preview = FDialog->FPreview->FHandle;
        QTest::mousePress(preview, Qt::LeftButton, {}, from);
        QTest::mouseMove(preview, to);
        QTest::mouseRelease(preview, Qt::LeftButton, {}, to);
    }

    TBrightnessContrastDialog* FDialog = nullptr;
};

TEST_F(BrightnessContrastTest, Dialog_HasItsTextsAndControls) {
    Open();
    QDialog* d = FDialog->FHandle;
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Constrast/Brightness"));
    QLabel* heading = LabelWithText(d, "Contrast/Brightness");
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->font().bold());
    EXPECT_NE(LabelWithText(d, "Contrast:"), nullptr);
    EXPECT_NE(LabelWithText(d, "Brightness:"), nullptr);
    for (auto [id, limit] : {std::pair{1003, 128}, {1004, 100}}) {
        ASSERT_NE(Slider(id), nullptr) << id;
        EXPECT_EQ(Slider(id)->minimum(), -limit);
        EXPECT_EQ(Slider(id)->maximum(), limit);
        EXPECT_EQ(Slider(id)->value(), 0);
    }
    for (int id : {1012, 1013}) {
        ASSERT_NE(Box(id), nullptr) << id;
        EXPECT_EQ(Box(id)->text(), QStringLiteral("0"));
    }
    for (const char* text : {"Default", "OK", "Cancel"})
        EXPECT_NE(Button(d, text), nullptr) << text;
    QWidget* preview = d->findChild<QWidget*>(QStringLiteral("100"));
    ASSERT_EQ(preview, FDialog->FPreview->FHandle);
    EXPECT_EQ(preview->size(), QSize(98, 98));
}

TEST_F(BrightnessContrastTest, OkUntouched_GivesZeroAndZeroWhichChangeNothing) {
    FillPattern(3);
    TDocSnapshot before = Snapshot(FForm);
    int32_t steps = TUndoHistory_GetPosition(FForm->FHistory);
    int contrast = 77, brightness = 77;
    WhenModal([](QWidget* d) { Button(d, "OK")->click(); });
    ASSERT_EQ(BrightnessContrast_Run(nullptr, FForm, &contrast, &brightness), 0);
    EXPECT_EQ(contrast, 0);
    EXPECT_EQ(brightness, 0);
    EXPECT_EQ(TWorkForm_AdjustBrightnessContrast(FForm, contrast, brightness), 0);
    EXPECT_EQ(Snapshot(FForm), before);
    EXPECT_EQ(TUndoHistory_GetPosition(FForm->FHistory), steps);
    EXPECT_FALSE(TWorkForm_IsModified(FForm));
}

TEST_F(BrightnessContrastTest, Run_GivesTheSlidersAtOkAndNothingAfterCancel) {
    int contrast = 77, brightness = 77;
    WhenModal([](QWidget* d) {
        d->findChild<QSlider*>("1003")->setValue(-12);
        d->findChild<QSlider*>("1004")->setValue(34);
        Button(d, "OK")->click();
    });
    ASSERT_EQ(BrightnessContrast_Run(nullptr, FForm, &contrast, &brightness), 0);
    EXPECT_EQ(contrast, -12);
    EXPECT_EQ(brightness, 34);

    contrast = brightness = 77;
    WhenModal([](QWidget* d) {
        d->findChild<QSlider*>("1003")->setValue(50);
        Button(d, "Cancel")->click();
    });
    EXPECT_EQ(BrightnessContrast_Run(nullptr, FForm, &contrast, &brightness), -1);
    EXPECT_EQ(contrast, 77);
    EXPECT_EQ(brightness, 77);
}

TEST_F(BrightnessContrastTest, Sliders_WriteSignedValuesAndAdjustThePreview) {
    FillPattern(11);
    DocumentHost_SetSecondaryColor(0x3366CC); // transparent pixels show it, as on the canvas
    Open();
    EXPECT_EQ(Shown(), ExpectedAt(0, 0));
    Slider(1003)->setValue(-40);
    EXPECT_EQ(Box(1012)->text(), QStringLiteral("-40"));
    EXPECT_EQ(Box(1013)->text(), QStringLiteral("0"));
    EXPECT_EQ(Shown(), ExpectedAt(-40, 0));
    Slider(1004)->setValue(-30);
    EXPECT_EQ(Box(1013)->text(), QStringLiteral("-30"));
    // Contrast first, then brightness: the other order gives other pixels here.
    ASSERT_NE(ExpectedAt(-40, -30), [&] {
        TLayer* block = TLayer_CreateCopy(TWorkForm_GetActiveLayer(FForm), 0, 0, 32, 24);
        TImage_Brightness(block->FImage, -30);
        TImage_Contrast(block->FImage, -40);
        std::vector<uint32_t> colours = Colours(block->FImage);
        TLayer_Destroy(block);
        return colours;
    }());
    EXPECT_EQ(Shown(), ExpectedAt(-40, -30));
    Slider(1003)->setValue(0);
    EXPECT_EQ(Box(1012)->text(), QStringLiteral("0"));
    EXPECT_EQ(Shown(), ExpectedAt(0, -30));

    Slider(1003)->setValue(100);
    Button(FDialog->FHandle, "Default")->click();
    EXPECT_EQ(Slider(1003)->value(), 0);
    EXPECT_EQ(Slider(1004)->value(), 0);
    EXPECT_EQ(Box(1012)->text(), QStringLiteral("0"));
    EXPECT_EQ(Box(1013)->text(), QStringLiteral("0"));
    EXPECT_EQ(Shown(), ExpectedAt(0, 0));
    // The document itself is never touched.
    EXPECT_EQ(TUndoHistory_GetPosition(FForm->FHistory), 0);
}

TEST_F(BrightnessContrastTest, SmallImage_IsShownWholeAndCentredAndDoesNotPan) {
    FillPattern(7); // 32 x 24
    Open();
    EXPECT_EQ(FDialog->FSource->FWidth, 32);
    EXPECT_EQ(FDialog->FSource->FHeight, 24);
    Slider(1003)->setValue(20);
    Drag(QPoint(60, 60), QPoint(20, 10));
    EXPECT_EQ(FDialog->FOffsetX, 0);
    EXPECT_EQ(FDialog->FOffsetY, 0);
    EXPECT_EQ(Shown(), ExpectedAt(20, 0));

    // Left at 1 + (96 - 32) / 2 = 33, top at 1 + (96 - 24) / 2 = 37.
    int32_t x = 0, y = 0;
    PreviewControl_GetPictureOrigin(FDialog->FPreview, &x, &y);
    EXPECT_EQ(x, 33);
    EXPECT_EQ(y, 37);
}

TEST_F(BrightnessContrastTest, LargeImage_StartsAtTheViewOriginAndPansClamped) {
    MakeForm(200, 150);
    FillPattern(9);
    TWorkForm_SetZoom(FForm, 4);
    TWorkForm_ScrollBy(FForm, 160, 100);
    QApplication::processEvents();
    int32_t originX = FForm->FVisibleRect.x, originY = FForm->FVisibleRect.y;
    ASSERT_GT(originX, 0);
    ASSERT_GT(originY, 0);
    ASSERT_LE(originX, 104);
    ASSERT_LE(originY, 54);
    Open();
    EXPECT_EQ(FDialog->FSource->FWidth, 96);
    EXPECT_EQ(FDialog->FSource->FHeight, 96);
    EXPECT_EQ(FDialog->FOffsetX, originX);
    EXPECT_EQ(FDialog->FOffsetY, originY);
    EXPECT_EQ(Shown(), ExpectedAt(0, 0));

    Slider(1004)->setValue(25);
    // Dragging left and up moves the view right and down by as much.
    QWidget* preview = FDialog->FPreview->FHandle;
    QTest::mousePress(preview, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(preview, QPoint(47, 48));
    EXPECT_EQ(FDialog->FOffsetX, originX + 3);
    EXPECT_EQ(FDialog->FOffsetY, originY + 2);
    EXPECT_EQ(Shown(), ExpectedAt(0, 0)); // unadjusted while dragging
    QTest::mouseRelease(preview, Qt::LeftButton, {}, QPoint(47, 48));
    EXPECT_EQ(FDialog->FOffsetX, originX + 3);
    EXPECT_EQ(Shown(), ExpectedAt(0, 25)); // adjusted again when lifted

    // A slider moved after a drag does not pan the view again.
    Slider(1003)->setValue(-9);
    EXPECT_EQ(FDialog->FOffsetX, originX + 3);
    EXPECT_EQ(FDialog->FOffsetY, originY + 2);
    EXPECT_EQ(Shown(), ExpectedAt(-9, 25));

    Drag(QPoint(90, 90), QPoint(-900, -900));
    EXPECT_EQ(FDialog->FOffsetX, 200 - 96);
    EXPECT_EQ(FDialog->FOffsetY, 150 - 96);
    EXPECT_EQ(Shown(), ExpectedAt(-9, 25));
    Drag(QPoint(1, 1), QPoint(900, 900));
    EXPECT_EQ(FDialog->FOffsetX, 0);
    EXPECT_EQ(FDialog->FOffsetY, 0);
    EXPECT_EQ(Shown(), ExpectedAt(-9, 25));
}

TEST_F(BrightnessContrastTest, NoImage_ShowsTheErrorAndGivesMinusOne) {
    TWorkForm* empty = TWorkForm_Create(FMain.get());
    ASSERT_NE(empty, nullptr);
    MessageBoxClearRecords();
    int contrast = 5, brightness = 6;
    EXPECT_EQ(BrightnessContrast_Run(nullptr, empty, &contrast, &brightness), -1);
    EXPECT_EQ(contrast, 5);
    EXPECT_EQ(brightness, 6);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
    EXPECT_EQ(MessageBoxRecords()[0].FText, GetErrorText(EC_NO_ACTIVE_LAYER));
    TWorkForm_Destroy(empty);
    TWorkForm_SetActive(FForm);
}

} // namespace
