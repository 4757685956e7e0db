// The Preference dialog: its controls and texts, what it shows on a fresh system and with stored
// values, what OK writes, and that Cancel writes nothing.
#include <gtest/gtest.h>

#include <memory>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include "shell/preference_dialog.h"

namespace {
QSettings* Stored() {
    static QSettings* settings =
        new QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    return settings;
}

class PreferenceDialog : public ::testing::Test {
  protected:
    void SetUp() override {
        Stored()->clear();
        Stored()->sync();
        ASSERT_TRUE(FFolder.isValid());
        for (const char* name : {"b.pal", "a.pal", "c.pal"}) {
            QFile file(FFolder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        Stored()->setValue("StartOption/DefaultPaletteFolder", FFolder.path());
        Stored()->sync();
    }
    void TearDown() override { Stored()->clear(); }

    void Open() {
        FDialog.reset(Preference_CreateDialog(nullptr));
        ASSERT_NE(FDialog, nullptr);
        FUseGrid = FDialog->findChild<QCheckBox*>("1078");
        FCanvasSize = FDialog->findChild<QComboBox*>("1076");
        FPalette = FDialog->findChild<QComboBox*>("1059");
        ASSERT_TRUE(FUseGrid && FCanvasSize && FPalette);
    }
    QPushButton* Button(const QString& text) {
        for (QPushButton* button : FDialog->findChildren<QPushButton*>())
            if (button->text() == text) return button;
        return nullptr;
    }
    // The settings as another run reads them from the file.
    static QVariant Value(const char* name) {
        Stored()->sync();
        return Stored()->value(name);
    }

    QTemporaryDir FFolder;
    std::unique_ptr<QDialog> FDialog;
    QCheckBox* FUseGrid = nullptr;
    QComboBox* FCanvasSize = nullptr;
    QComboBox* FPalette = nullptr;
};
} // namespace

TEST_F(PreferenceDialog, ControlsAndTexts) {
    Open();
    EXPECT_EQ(FDialog->windowTitle(), "Preference");
    EXPECT_EQ(FUseGrid->text(), "Use Grid");

    QLabel* heading = nullptr;
    QStringList labels;
    for (QLabel* label : FDialog->findChildren<QLabel*>()) {
        labels << label->text();
        if (label->text() == "Preference") heading = label;
    }
    ASSERT_NE(heading, nullptr);
    EXPECT_TRUE(heading->font().bold());
    EXPECT_TRUE(labels.contains("Canvas Size:"));
    EXPECT_TRUE(labels.contains("Default Palette:"));

    QGroupBox* group = FDialog->findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), "Start Option");
    EXPECT_TRUE(group->isAncestorOf(FUseGrid));
    EXPECT_NE(Button("OK"), nullptr);
    EXPECT_NE(Button("Cancel"), nullptr);

    ASSERT_EQ(FCanvasSize->count(), 10);
    EXPECT_EQ(FCanvasSize->itemText(0), "8x8");
    EXPECT_EQ(FCanvasSize->itemText(9), "255x255");
    ASSERT_EQ(FPalette->count(), 3);
    EXPECT_EQ(FPalette->itemText(0), "a.pal");
}

TEST_F(PreferenceDialog, FreshSystemShowsGridCheckedAnd32x32) {
    Open();
    EXPECT_TRUE(FUseGrid->isChecked());
    EXPECT_EQ(FCanvasSize->currentText(), "32x32");
    EXPECT_EQ(FPalette->currentText(), "a.pal");

    Button("OK")->click();
    EXPECT_EQ(FDialog->result(), QDialog::Accepted);
    EXPECT_EQ(Value("StartOption/UseGrid").toInt(), 1);
    EXPECT_EQ(Value("StartOption/CanvasSize").toInt(), 4);
    EXPECT_EQ(Value("StartOption/DefaultPalette").toString(), "a.pal");
}

TEST_F(PreferenceDialog, ShowsStoredValuesAndWritesChanges) {
    Stored()->setValue("StartOption/UseGrid", 0);
    Stored()->setValue("StartOption/CanvasSize", 8);
    Stored()->setValue("StartOption/DefaultPalette", "c.pal");
    Open();
    EXPECT_FALSE(FUseGrid->isChecked());
    EXPECT_EQ(FCanvasSize->currentText(), "128x128");
    EXPECT_EQ(FPalette->currentText(), "c.pal");

    FUseGrid->setChecked(true);
    FCanvasSize->setCurrentIndex(1);
    FPalette->setCurrentIndex(1);
    Button("OK")->click();
    EXPECT_EQ(Value("StartOption/UseGrid").toInt(), 1);
    EXPECT_EQ(Value("StartOption/CanvasSize").toInt(), 1);
    EXPECT_EQ(Value("StartOption/DefaultPalette").toString(), "b.pal");

    Open();
    FUseGrid->setChecked(false);
    Button("OK")->click();
    EXPECT_EQ(Value("StartOption/UseGrid").toInt(), 0);
}

TEST_F(PreferenceDialog, OutOfRangeSizeAndMissingPaletteShowDefaults) {
    Stored()->setValue("StartOption/CanvasSize", 99);
    Stored()->setValue("StartOption/UseGrid", "x"); // unreadable counts as missing
    Stored()->setValue("StartOption/DefaultPalette", "gone.pal");
    Open();
    EXPECT_TRUE(FUseGrid->isChecked());
    EXPECT_EQ(FCanvasSize->currentText(), "32x32");
    EXPECT_EQ(FPalette->currentIndex(), -1);

    Button("OK")->click(); // no palette selected: stored empty
    EXPECT_EQ(Value("StartOption/CanvasSize").toInt(), 4);
    EXPECT_EQ(Value("StartOption/DefaultPalette").toString(), "");
}

TEST_F(PreferenceDialog, CancelWritesNothing) {
    Open();
    FUseGrid->setChecked(false);
    FCanvasSize->setCurrentIndex(0);
    Button("Cancel")->click();
    EXPECT_EQ(FDialog->result(), QDialog::Rejected);
    EXPECT_FALSE(Value("StartOption/UseGrid").isValid());
    EXPECT_FALSE(Value("StartOption/CanvasSize").isValid());
    EXPECT_FALSE(Value("StartOption/DefaultPalette").isValid());
}

TEST_F(PreferenceDialog, RunReturnsWhichButtonEndedIt) {
    auto press = [](const char* text) {
        QTimer::singleShot(0, [text] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            for (QPushButton* button : dialog->findChildren<QPushButton*>())
                if (button->text() == text) button->click();
        });
    };
    press("Cancel");
    EXPECT_EQ(Preference_Run(nullptr), 0);
    EXPECT_FALSE(Value("StartOption/UseGrid").isValid());
    press("OK");
    EXPECT_EQ(Preference_Run(nullptr), 1);
    EXPECT_EQ(Value("StartOption/UseGrid").toInt(), 1);
}
