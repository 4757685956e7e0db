// The Image Size dialog: its texts and controls, the presets' arithmetic, the custom boxes in
// pixels and percent with the kept ratio (and no feedback from a rewritten box), the lower limit
// 1, Reset, and what Run answers after OK and Cancel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <climits>
#include <functional>

#include "core/error.h"
#include "platform/msgbox.h"
#include "shell/image_size_dialog.h"

#include "shell/dialog_test_support.h"

namespace {

template <class T> T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

// What the user does in a size box: select its text and type over it.
void Type(QWidget* dialog, int boxId, const char* text) {
    QLineEdit* box = Control<QLineEdit>(dialog, boxId);
    ASSERT_NE(box, nullptr);
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
}

class ImageSizeTest : public ::testing::Test {
  protected:
    void TearDown() override { FDialog = ImageSize_Destroy(FDialog); }
    void Open(int32_t width, int32_t height) {
        FDialog = ImageSize_Create(nullptr, width, height);
        ASSERT_NE(FDialog, nullptr);
        FDialog->FHandle->show();
        QApplication::processEvents();
    }
    QWidget* D() { return FDialog->FHandle; }
    QString Text(int id) { return Control<QLineEdit>(D(), id)->text(); }
    void ExpectSize(int32_t w, int32_t h) {
        EXPECT_EQ(FDialog->FNewWidth, w);
        EXPECT_EQ(FDialog->FNewHeight, h);
    }

    TImageSizeDialog* FDialog = nullptr;
};

QStringList Items(QComboBox* box) {
    QStringList items;
    for (int i = 0; box && i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

TEST_F(ImageSizeTest, Dialog_HasItsTextsAndControls) {
    Open(100, 50);
    EXPECT_EQ(D()->windowTitle(), QStringLiteral("Resize.."));
    bool boldHeading = false;
    for (QLabel* label : D()->findChildren<QLabel*>())
        if (label->text() == QStringLiteral("Resize Image")) boldHeading = label->font().bold();
    EXPECT_TRUE(boldHeading);
    QComboBox* size = Control<QComboBox>(D(), 1019);
    EXPECT_EQ(Items(size),
              QStringList({"50% (half size)", "150%", "200% (double size)", "Custom size"}));
    EXPECT_EQ(size->currentIndex(), 3);
    EXPECT_EQ(Text(1024), QStringLiteral("100"));
    EXPECT_EQ(Text(1021), QStringLiteral("50"));
    EXPECT_NE(Control<QSpinBox>(D(), 1014), nullptr);
    EXPECT_NE(Control<QSpinBox>(D(), 1015), nullptr);
    for (int id : {1062, 1037}) {
        EXPECT_EQ(Items(Control<QComboBox>(D(), id)), QStringList({"pixels", "percent"})) << id;
        EXPECT_EQ(Control<QComboBox>(D(), id)->currentIndex(), 0);
    }
    EXPECT_EQ(Control<QCheckBox>(D(), 1026)->text(), QStringLiteral("Ratio"));
    EXPECT_TRUE(Control<QCheckBox>(D(), 1026)->isChecked());
    EXPECT_EQ(Control<QCheckBox>(D(), 1068)->text(), QStringLiteral("Smooth Scaling"));
    EXPECT_FALSE(Control<QCheckBox>(D(), 1068)->isChecked());
    ASSERT_EQ(D()->findChildren<QGroupBox*>().size(), 1);
    EXPECT_EQ(D()->findChildren<QGroupBox*>()[0]->title(), QStringLiteral("Custom size"));
    for (const char* text : {"Reset", "OK", "Cancel"})
        EXPECT_NE(Button(D(), text), nullptr);
}

TEST_F(ImageSizeTest, Presets_ComeFromTheStartingSizeAndLockTheCustomBoxes) {
    struct Case {
        int32_t w, h;
        int index;
        int32_t nw, nh;
    };
    const Case cases[] = {
        {100, 50, 1, 150, 75},  {101, 51, 0, 50, 25}, {101, 51, 1, 151, 76},
        {100, 50, 2, 200, 100}, {1, 1, 0, 0, 0}, // half of 1 is 0: the resize refuses it
    };
    for (const Case& c : cases) {
        Open(c.w, c.h);
        Control<QComboBox>(D(), 1019)->setCurrentIndex(c.index);
        ExpectSize(c.nw, c.nh);
        EXPECT_EQ(Text(1024), QString::number(c.nw));
        EXPECT_EQ(Text(1021), QString::number(c.nh));
        for (int id : {1024, 1021, 1062, 1037, 1026})
            EXPECT_FALSE(D()->findChild<QWidget*>(QString::number(id))->isEnabled()) << id;
        EXPECT_TRUE(Control<QCheckBox>(D(), 1068)->isEnabled());
        // Selecting another preset starts from the starting size again.
        Control<QComboBox>(D(), 1019)->setCurrentIndex(2);
        ExpectSize(2 * c.w, 2 * c.h);
        Control<QComboBox>(D(), 1019)->setCurrentIndex(3); // Custom size changes nothing
        ExpectSize(2 * c.w, 2 * c.h);
        EXPECT_TRUE(Control<QLineEdit>(D(), 1024)->isEnabled());
        FDialog = ImageSize_Destroy(FDialog);
    }
}

TEST_F(ImageSizeTest, Ratio_KeepsTheShapeAndPercentShowsTheShare) {
    Open(100, 50);
    Type(D(), 1024, "30");
    ExpectSize(30, 15);
    EXPECT_EQ(Text(1021), QStringLiteral("15"));
    Control<QComboBox>(D(), 1062)->setCurrentIndex(1);
    EXPECT_EQ(Text(1024), QStringLiteral("30"));
    ExpectSize(30, 15);
    Control<QComboBox>(D(), 1037)->setCurrentIndex(1);
    EXPECT_EQ(Text(1021), QStringLiteral("30")); // 15 of 50
    // Percent typed: (int)((float)(number x 100) x 0.01f).
    Type(D(), 1024, "150");
    ExpectSize(150, 75);
    EXPECT_EQ(Text(1021), QStringLiteral("150"));
    Type(D(), 1021, "7");
    ExpectSize(6, 3); // height (int)(350.0f x 0.01f) is 3; width 3 x 2.0
    EXPECT_EQ(Text(1024), QStringLiteral("6"));
    EXPECT_EQ(Text(1021), QStringLiteral("7"));
    Control<QComboBox>(D(), 1062)->setCurrentIndex(0);
    EXPECT_EQ(Text(1024), QStringLiteral("6"));
    Control<QComboBox>(D(), 1037)->setCurrentIndex(0);
    EXPECT_EQ(Text(1021), QStringLiteral("3"));
}

TEST_F(ImageSizeTest, RewrittenBox_DoesNotFeedBack) {
    // 100 x 30: width 10 gives height (int)(10 / 3.3333333f) = 3, and height 3 would give width
    // (int)(3 x 3.3333333f) = 9 if the rewritten height box recomputed the width.
    Open(100, 30);
    Type(D(), 1024, "10");
    ExpectSize(10, 3);
    EXPECT_EQ(Text(1024), QStringLiteral("10"));
    EXPECT_EQ(Text(1021), QStringLiteral("3"));
    // Unit changes rewrite only their own box.
    Control<QComboBox>(D(), 1037)->setCurrentIndex(1);
    ExpectSize(10, 3);
    EXPECT_EQ(Text(1021), QStringLiteral("10"));
}

TEST_F(ImageSizeTest, WithoutRatio_TheOtherSideStaysAndPercentIsAnIntegerShare) {
    Open(101, 1000);
    Control<QCheckBox>(D(), 1026)->setChecked(false);
    Type(D(), 1024, "50");
    ExpectSize(50, 1000);
    EXPECT_EQ(Text(1021), QStringLiteral("1000"));
    Type(D(), 1021, "1");
    ExpectSize(50, 1);
    Control<QComboBox>(D(), 1062)->setCurrentIndex(1);
    Control<QComboBox>(D(), 1037)->setCurrentIndex(1);
    EXPECT_EQ(Text(1024), QStringLiteral("49")); // 5000 / 101
    EXPECT_EQ(Text(1021), QStringLiteral("1"));  // 100 / 1000 is 0, shown as 1
}

TEST_F(ImageSizeTest, Zero_GivesOne) {
    Open(100, 50);
    Type(D(), 1024, "0");
    ExpectSize(1, 1); // height (int)(1 / 2.0f) is 0, held at 1
    EXPECT_EQ(Text(1021), QStringLiteral("1"));
    Control<QComboBox>(D(), 1037)->setCurrentIndex(1);
    Type(D(), 1021, "0");
    ExpectSize(2, 1); // 0 % of 50 held at 1; width 1 x 2.0
}

TEST_F(ImageSizeTest, TypedSizes_BeyondThirtyTwoBitsAreHeldAtTheLargest) {
    Open(100, 1);
    Type(D(), 1021, "2000000000");
    EXPECT_EQ(FDialog->FNewHeight, 2000000000);
    EXPECT_EQ(FDialog->FNewWidth, INT32_MAX); // 2e9 x 100 does not fit
    Control<QComboBox>(D(), 1037)->setCurrentIndex(1);
    Type(D(), 1021, "2000000000"); // 2e9 % of 1
    EXPECT_EQ(FDialog->FNewHeight, 20000000);
}

TEST_F(ImageSizeTest, Spin_StepsTheBoxAndKeepsTheRatio) {
    Open(100, 50);
    QSpinBox* spin = Control<QSpinBox>(D(), 1014);
    spin->stepUp();
    ExpectSize(101, 50);
    EXPECT_EQ(Text(1024), QStringLiteral("101"));
    Type(D(), 1024, "9999");
    spin->stepUp();
    EXPECT_EQ(FDialog->FNewWidth, 9999);
}

TEST_F(ImageSizeTest, Reset_BringsBackTheStartingSize) {
    Open(100, 50);
    Control<QComboBox>(D(), 1019)->setCurrentIndex(1);
    Button(D(), "Reset")->click();
    EXPECT_EQ(Control<QComboBox>(D(), 1019)->currentIndex(), 3);
    EXPECT_TRUE(Control<QLineEdit>(D(), 1024)->isEnabled());
    ExpectSize(100, 50);
    EXPECT_EQ(Text(1024), QStringLiteral("100"));
    EXPECT_EQ(Text(1021), QStringLiteral("50"));
}

TEST(ImageSizeRun, Ok_GivesTheNewSizeAndSmoothness) {
    int32_t w = 0, h = 0;
    int smooth = 0;
    WhenModal([](QWidget* d) {
        Control<QComboBox>(d, 1019)->setCurrentIndex(1);
        Control<QCheckBox>(d, 1068)->setChecked(true);
        Button(d, "OK")->click();
    });
    EXPECT_EQ(ImageSize_Run(nullptr, 100, 50, &w, &h, &smooth), 0);
    EXPECT_EQ(w, 150);
    EXPECT_EQ(h, 75);
    EXPECT_EQ(smooth, 1);
}

TEST(ImageSizeRun, OkWithTheStartingSize_GivesMinusOne) {
    int32_t w = 0, h = 0;
    int smooth = 1;
    WhenModal([](QWidget* d) {
        Type(d, 1024, "30");
        Button(d, "Reset")->click();
        Button(d, "OK")->click();
    });
    EXPECT_EQ(ImageSize_Run(nullptr, 100, 50, &w, &h, &smooth), -1);
    EXPECT_EQ(w, 100);
    EXPECT_EQ(h, 50);
    EXPECT_EQ(smooth, 0);
}

TEST(ImageSizeRun, CancelAndEscape_GiveZeroByZero) {
    for (bool escape : {false, true}) {
        int32_t w = 7, h = 7;
        int smooth = 0;
        WhenModal([escape](QWidget* d) {
            Control<QComboBox>(d, 1019)->setCurrentIndex(2);
            if (escape)
                QTest::keyClick(d, Qt::Key_Escape);
            else
                Button(d, "Cancel")->click();
        });
        EXPECT_EQ(ImageSize_Run(nullptr, 100, 50, &w, &h, &smooth), -1) << escape;
        EXPECT_EQ(w, 0);
        EXPECT_EQ(h, 0);
    }
}

TEST(ImageSizeRun, EmptyImage_ShowsTheErrorAndLeavesTheOutputs) {
    MessageBoxSetHandler(nullptr);
    MessageBoxClearRecords();
    int32_t w = 7, h = 7;
    int smooth = 3;
    EXPECT_EQ(ImageSize_Run(nullptr, 0, 50, &w, &h, &smooth), -1);
    EXPECT_EQ(w, 7);
    EXPECT_EQ(smooth, 3);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, GetErrorText(EC_EMPTY_AREA));
}

} // namespace
