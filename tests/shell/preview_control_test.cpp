// The preview control: its buffer's size rules, the picture drawn centred inside the border,
// and the drag bookkeeping (steps, the last position, which handler runs when).
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <memory>
#include <vector>

#include "core/image.h"
#include "core/layer.h"
#include "shell/preview_control.h"

namespace {

struct TCall {
    int FKind; // 0 down, 1 move, 2 up
    int32_t FX, FY, FStepX, FStepY;
};

std::vector<TCall> GCalls;

void Record(int kind, PreviewControl* control, int32_t x, int32_t y) {
    GCalls.push_back({kind, x, y, control->FStepX, control->FStepY});
}
void OnDown(PreviewControl* c, int32_t x, int32_t y) {
    Record(0, c, x, y);
}
void OnMove(PreviewControl* c, int32_t x, int32_t y) {
    Record(1, c, x, y);
}
void OnUp(PreviewControl* c, int32_t x, int32_t y) {
    Record(2, c, x, y);
}

class PreviewControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        GCalls.clear();
        FParent = std::make_unique<QWidget>();
        FParent->resize(200, 200);
        FControl = PreviewControl_Create(FParent.get(), 100);
        ASSERT_NE(FControl, nullptr);
        FControl->FHandle->setGeometry(10, 10, 98, 98);
        FParent->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        FControl = PreviewControl_Destroy(FControl);
        FParent.reset();
    }
    QImage Grab() {
        QApplication::processEvents();
        return FControl->FHandle->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    std::unique_ptr<QWidget> FParent;
    PreviewControl* FControl = nullptr;
};

TEST_F(PreviewControlTest, SetSize_TakesOnlyWhatFitsInsideTheBorder) {
    EXPECT_EQ(FControl->FHandle->objectName(), QStringLiteral("100"));
    EXPECT_EQ(PreviewControl_GetBuffer(FControl), nullptr);
    TRectXYWH fits = {0, 0, 96, 40};
    ASSERT_EQ(PreviewControl_SetSize(FControl, &fits), 0);
    TLayer* buffer = PreviewControl_GetBuffer(FControl);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer->FWidth, 96);
    EXPECT_EQ(buffer->FHeight, 40);
    for (const TRectXYWH& rect : {TRectXYWH{0, 0, 97, 10}, {0, 0, 10, 97}, {0, 0, -1, 10}}) {
        EXPECT_EQ(PreviewControl_SetSize(FControl, &rect), -1);
        EXPECT_EQ(PreviewControl_GetBuffer(FControl), buffer) << rect.width << "x" << rect.height;
    }
    TRectXYWH empty = {0, 0, 0, 12};
    EXPECT_EQ(PreviewControl_SetSize(FControl, &empty), 0);
    EXPECT_EQ(PreviewControl_GetBuffer(FControl), nullptr);
}

TEST_F(PreviewControlTest, Refresh_DrawsThePictureCentredInsideTheBorder) {
    // 9 x 6 in 96 x 96: left at 1 + 87 / 2 = 44, top at 1 + 90 / 2 = 46.
    TRectXYWH area = {0, 0, 9, 6};
    ASSERT_EQ(PreviewControl_SetSize(FControl, &area), 0);
    TImage* image = PreviewControl_GetBuffer(FControl)->FImage;
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 9; ++x)
            TImage_SetPixel(image, x, y, 0x0000FF); // red
    TImage_SetPixel(image, 0, 0, 0xFF0000);         // blue corner
    PreviewControl_Refresh(FControl);
    int32_t ox = 0, oy = 0;
    PreviewControl_GetPictureOrigin(FControl, &ox, &oy);
    EXPECT_EQ(ox, 44);
    EXPECT_EQ(oy, 46);

    QImage shot = Grab();
    EXPECT_EQ(shot.pixel(44, 46), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(45, 46), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(52, 51), qRgb(255, 0, 0));
    QRgb background = FControl->FHandle->palette().window().color().rgb();
    EXPECT_EQ(shot.pixel(43, 46), background);
    EXPECT_EQ(shot.pixel(53, 51), background);
    EXPECT_EQ(shot.pixel(44, 52), background);
    EXPECT_NE(shot.pixel(0, 0), background); // the border
}

TEST_F(PreviewControlTest, Drag_ReportsStepsAsPreviousMinusNew) {
    FControl->FOnDown = OnDown;
    FControl->FOnMove = OnMove;
    FControl->FOnUp = OnUp;
    QWidget* w = FControl->FHandle;
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(40, 40));
    EXPECT_EQ(FControl->FDragging, 1);
    QTest::mouseMove(w, QPoint(35, 42));
    QTest::mouseMove(w, QPoint(30, 50));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(33, 49));
    EXPECT_EQ(FControl->FDragging, 0);

    ASSERT_EQ(GCalls.size(), 4u);
    EXPECT_EQ(GCalls[0].FKind, 0);
    EXPECT_EQ(GCalls[0].FX, 40);
    EXPECT_EQ(GCalls[1].FKind, 1);
    EXPECT_EQ(GCalls[1].FStepX, 5);
    EXPECT_EQ(GCalls[1].FStepY, -2);
    EXPECT_EQ(GCalls[2].FStepX, 5);
    EXPECT_EQ(GCalls[2].FStepY, -8);
    // Up measures from the last move and leaves the last position where the move put it.
    EXPECT_EQ(GCalls[3].FKind, 2);
    EXPECT_EQ(GCalls[3].FStepX, -3);
    EXPECT_EQ(GCalls[3].FStepY, 1);
    EXPECT_EQ(FControl->FLastX, 30);
    EXPECT_EQ(FControl->FLastY, 50);
}

TEST_F(PreviewControlTest, Drag_MovesAndUpsWithoutADownAreIgnored) {
    FControl->FOnMove = OnMove;
    FControl->FOnUp = OnUp;
    PreviewControl_StylusMove(FControl, 5, 5);
    PreviewControl_StylusUp(FControl, 5, 5);
    EXPECT_TRUE(GCalls.empty());
}

TEST(PreviewControlLife, DestroyAfterTheParentWentIsSafe) {
    auto parent = std::make_unique<QWidget>();
    PreviewControl* control = PreviewControl_Create(parent.get(), 7);
    ASSERT_NE(control, nullptr);
    control->FHandle->setFixedSize(20, 20);
    TRectXYWH area = {0, 0, 18, 18};
    ASSERT_EQ(PreviewControl_SetSize(control, &area), 0);
    parent.reset();
    EXPECT_EQ(control->FHandle, nullptr);
    EXPECT_EQ(PreviewControl_Destroy(control), nullptr);
}

} // namespace
