// The New image dialog: its texts and controls, the fresh state, the synchronising rules between
// the preset list, sliders, number boxes and spins (with and without "Square", without
// feedback), and what OK and Cancel answer.
#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "shell/new_image_dialog.h"
#include "shell/size_presets.h"

namespace {

QSettings Stored() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
}

class NewImageDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(FFolder.isValid());
        for (const char* name : {"warm.pal", "cool.pal"}) {
            QFile file(FFolder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        QSettings settings = Stored();
        settings.clear();
        settings.setValue("StartOption/DefaultPaletteFolder", FFolder.path());
    }
    void TearDown() override { Stored().clear(); }

    void Open() {
        FDialog.reset(NewImageDialog_Create(nullptr));
        ASSERT_NE(FDialog, nullptr);
        FSizes = Find<QComboBox>(KNewSizeList);
        FWidthSlider = Find<QSlider>(KNewWidthSlider);
        FHeightSlider = Find<QSlider>(KNewHeightSlider);
        FWidthBox = Find<QLineEdit>(KNewWidthBox);
        FHeightBox = Find<QLineEdit>(KNewHeightBox);
        FSquare = Find<QCheckBox>(KNewSquare);
        FPalettes = Find<QComboBox>(KNewPaletteList);
        ASSERT_TRUE(FSizes && FWidthSlider && FHeightSlider && FWidthBox && FHeightBox && FSquare &&
                    FPalettes);
        FDialog->show();
    }
    template <class T> T* Find(int id) { return FDialog->findChild<T*>(QString::number(id)); }
    QPushButton* Button(const QString& text) {
        for (QPushButton* button : FDialog->findChildren<QPushButton*>())
            if (button->text() == text) return button;
        return nullptr;
    }
    // Types text into box as a user does, after emptying it.
    static void Type(QLineEdit* box, const QString& text) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Backspace);
        QTest::keyClicks(box, text);
    }
    // "w,h / sliderW,sliderH".
    std::string State() {
        return (FWidthBox->text() + "," + FHeightBox->text() + " / " +
                QString::number(FWidthSlider->value()) + "," +
                QString::number(FHeightSlider->value()))
            .toStdString();
    }

    QTemporaryDir FFolder;
    std::unique_ptr<QDialog> FDialog;
    QComboBox *FSizes = nullptr, *FPalettes = nullptr;
    QSlider *FWidthSlider = nullptr, *FHeightSlider = nullptr;
    QLineEdit *FWidthBox = nullptr, *FHeightBox = nullptr;
    QCheckBox* FSquare = nullptr;
};

TEST_F(NewImageDialog, Fresh_ShowsTheTextsAnd32x32Square) {
    Open();
    EXPECT_EQ(FDialog->windowTitle(), "New File..");
    QStringList labels;
    bool boldHeading = false;
    for (QLabel* label : FDialog->findChildren<QLabel*>()) {
        labels << label->text();
        if (label->text() == "New") boldHeading = label->font().bold();
    }
    for (const char* text : {"Size:", "(pixels)", "Width:", "Height:", "Palette:"})
        EXPECT_TRUE(labels.contains(text)) << text;
    EXPECT_TRUE(boldHeading);
    EXPECT_EQ(FSquare->text(), "Square");
    EXPECT_NE(Button("OK"), nullptr);
    EXPECT_NE(Button("Cancel"), nullptr);

    ASSERT_EQ(FSizes->count(), KSizePresetCount);
    for (int i = 0; i < KSizePresetCount; ++i)
        EXPECT_EQ(FSizes->itemText(i), KSizePresets[i].FLabel);
    EXPECT_EQ(FSizes->currentText(), "32x32");
    EXPECT_EQ(State(), "32,32 / 32,32");
    EXPECT_TRUE(FSquare->isChecked());
    for (QSlider* slider : {FWidthSlider, FHeightSlider}) {
        EXPECT_EQ(slider->minimum(), 1);
        EXPECT_EQ(slider->maximum(), 255);
    }
    for (int id : {KNewWidthSpin, KNewHeightSpin}) {
        QWidget* spin = Find<QWidget>(id);
        ASSERT_NE(spin, nullptr) << id;
        EXPECT_EQ(spin->property("minimum").toInt(), 1);
        EXPECT_EQ(spin->property("maximum").toInt(), 9999);
    }
    // The palette files, the first chosen when no default is stored.
    EXPECT_EQ(FPalettes->count(), 2);
    EXPECT_EQ(FPalettes->currentIndex(), 0);
}

TEST_F(NewImageDialog, Square_TypingAWidthSetsBothBoxesAndSliders) {
    Open();
    Type(FWidthBox, "20");
    EXPECT_EQ(State(), "20,20 / 20,20");
    Type(FHeightBox, "7");
    EXPECT_EQ(State(), "7,7 / 7,7");
    FWidthSlider->setValue(90);
    EXPECT_EQ(State(), "90,90 / 90,90");
}

TEST_F(NewImageDialog, NotSquare_AControlChangesOnlyItsOwnSide) {
    Open();
    FSquare->click();
    ASSERT_FALSE(FSquare->isChecked());
    EXPECT_EQ(State(), "32,32 / 32,32"); // toggling alone changes nothing
    FHeightSlider->setValue(100);
    EXPECT_EQ(State(), "32,100 / 32,100");
    Type(FWidthBox, "12");
    EXPECT_EQ(State(), "12,100 / 12,100");
    // Ticking it again takes effect at the next change.
    FSquare->click();
    EXPECT_EQ(State(), "12,100 / 12,100");
    FHeightSlider->setValue(40);
    EXPECT_EQ(State(), "40,40 / 40,40");
}

TEST_F(NewImageDialog, Presets_SetBothSidesAndTheSlidersToTheirEnd) {
    Open();
    FSizes->setCurrentIndex(9);
    EXPECT_EQ(FSizes->currentText(), "255x255");
    EXPECT_EQ(State(), "255,255 / 255,255");
    EXPECT_EQ(FWidthSlider->value(), FWidthSlider->maximum());
    FSizes->setCurrentIndex(5);
    EXPECT_EQ(State(), "48,48 / 48,48");
}

// Typed numbers are not held to the sliders' range; an empty box answers 0.
TEST_F(NewImageDialog, Boxes_TakeNumbersPastTheSliderAndNoFeedback) {
    Open();
    FSquare->click();
    Type(FWidthBox, "400");
    EXPECT_EQ(State(), "400,32 / 255,32");
    // The box was not rewritten by the slider it moved.
    EXPECT_EQ(FWidthBox->text(), "400");
    Type(FHeightBox, "");
    EXPECT_EQ(State(), "400, / 255,32");
    Button("OK")->click();
    TNewImageResult result;
    ASSERT_EQ(NewImageDialog_GetResult(FDialog.get(), &result), 0);
    EXPECT_EQ(result.FWidth, 400);
    EXPECT_EQ(result.FHeight, 0);
}

TEST_F(NewImageDialog, Spin_StepsTheBoxWithinItsRange) {
    Open();
    QWidget* spin = Find<QWidget>(KNewWidthSpin);
    QToolButton* up = spin->findChild<QToolButton*>("up");
    QToolButton* down = spin->findChild<QToolButton*>("down");
    ASSERT_TRUE(up && down);
    up->click();
    EXPECT_EQ(State(), "33,33 / 33,33"); // Square carries the step over
    Type(FWidthBox, "1");
    down->click();
    EXPECT_EQ(FWidthBox->text(), "1");
    Type(FWidthBox, "9999");
    up->click();
    EXPECT_EQ(FWidthBox->text(), "9999");
}

TEST_F(NewImageDialog, Ok_AnswersSizeAndPaletteAndCancelAnswersNothing) {
    Open();
    FSizes->setCurrentIndex(2);
    FPalettes->setCurrentIndex(1);
    QString chosen = FPalettes->currentText();
    Button("OK")->click();
    TNewImageResult result;
    ASSERT_EQ(NewImageDialog_GetResult(FDialog.get(), &result), 0);
    EXPECT_EQ(result.FWidth, 16);
    EXPECT_EQ(result.FHeight, 16);
    EXPECT_EQ(result.FPaletteFolder, FFolder.path().toStdString());
    EXPECT_EQ(result.FPaletteName, chosen.toStdString());

    Open();
    Button("Cancel")->click();
    EXPECT_EQ(NewImageDialog_GetResult(FDialog.get(), &result), -1);

    // The modal run answers the same.
    QTimer::singleShot(10, [] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        modal->findChild<QComboBox*>(QString::number(KNewSizeList))->setCurrentIndex(0);
        for (QPushButton* b : modal->findChildren<QPushButton*>())
            if (b->text() == "OK") b->click();
    });
    TNewImageResult run;
    ASSERT_EQ(NewImageDialog_Run(nullptr, &run), 0);
    EXPECT_EQ(run.FWidth, 8);
    EXPECT_EQ(run.FHeight, 8);
}

} // namespace
