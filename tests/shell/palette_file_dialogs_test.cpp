// The palette folder's two dialogs: Open Palette's boxes and its list of .pal files (any case,
// sorted, nothing for a missing folder), a tapped row answering its path; Save As's name rules
// and the question before an existing file is replaced.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "platform/msgbox.h"
#include "shell/dialog_test_support.h"
#include "shell/palette_file_dialogs.h"

namespace {

class PaletteFileDialogs : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(FTemp.isValid());
        FFolder = FTemp.filePath("Palettes");
        ASSERT_TRUE(QDir().mkpath(FFolder));
        UseFolder(FFolder);
        MessageBoxClearRecords();
    }
    void TearDown() override { Stored().clear(); }
    static QSettings Stored() {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    }
    static void UseFolder(const QString& folder) {
        Stored().setValue("StartOption/DefaultPaletteFolder", folder);
    }
    void Touch(const QString& name) {
        QFile file(QDir(FFolder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    std::string PathOf(const QString& name) { return QDir(FFolder).filePath(name).toStdString(); }
    template <class T> T* Find(int id) { return FDialog->findChild<T*>(QString::number(id)); }
    void Make(QDialog* dialog) {
        FDialog.reset(dialog);
        FDialog->show();
    }
    void SaveAs(const QString& name) {
        Find<QLineEdit>(KPalNameBox)->setText(name);
        Button(FDialog.get(), "OK")->click();
    }
    std::string Answer() {
        std::string path = "none";
        PaletteFileDialog_GetResult(FDialog.get(), &path);
        return path;
    }

    QTemporaryDir FTemp;
    QString FFolder;
    std::unique_ptr<QDialog> FDialog;
};

TEST_F(PaletteFileDialogs, Open_ListsPalFilesInAnyCaseAndATapAnswersThePath) {
    for (const char* name : {"warm.pal", "Cool.PAL", "notes.txt"})
        Touch(name);
    ASSERT_TRUE(QDir(FFolder).mkdir("folder.pal"));
    Make(OpenPaletteDialog_Create(nullptr, "Palette Files(*.pal)"));
    EXPECT_EQ(FDialog->windowTitle(), "Open Palette..");
    EXPECT_TRUE(LabelWithText(FDialog.get(), "Open")->font().bold());
    EXPECT_EQ(Find<QComboBox>(KPalFolderBox)->currentText(), "Palettes");
    EXPECT_EQ(Find<QComboBox>(KPalTypeBox)->currentText(), "Palette Files(*.pal)");
    QTreeWidget* list = Find<QTreeWidget>(KPalFileList);
    EXPECT_EQ(list->headerItem()->text(0) + list->headerItem()->text(1), "NameType");
    EXPECT_EQ(QSize(list->columnWidth(0), list->columnWidth(1)), QSize(140, 100));
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Cool.PAL");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "warm.pal");
    EXPECT_EQ(list->topLevelItem(1)->text(1), "Palette File");

    QTreeWidgetItem* row = list->topLevelItem(1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(row).center());
    EXPECT_EQ(Answer(), PathOf("warm.pal"));
    EXPECT_EQ(list->currentItem(), row);
}

TEST_F(PaletteFileDialogs, Open_FolderBoxShowsTheLastComponentAndAMissingFolderListsNothing) {
    UseFolder(FFolder + "/");
    Make(OpenPaletteDialog_Create(nullptr, ""));
    EXPECT_EQ(Find<QComboBox>(KPalFolderBox)->currentText(), "");
    UseFolder(FFolder + "/missing");
    Make(OpenPaletteDialog_Create(nullptr, ""));
    EXPECT_EQ(Find<QComboBox>(KPalFolderBox)->currentText(), "missing");
    EXPECT_EQ(Find<QTreeWidget>(KPalFileList)->topLevelItemCount(), 0);
}

TEST_F(PaletteFileDialogs, Save_NameRules) {
    const char* const added[][2] = {
        {"mine", "mine.pal"}, {"Mine.PAL", "Mine.PAL"}, {"warm.pal.old", "warm.pal.old.pal"}};
    for (const auto& c : added) {
        Make(SavePaletteDialog_Create(nullptr, "Palette Files(*.pal)"));
        SaveAs(c[0]);
        EXPECT_EQ(Answer(), PathOf(c[1])) << c[0];
    }
    EXPECT_TRUE(MessageBoxRecords().empty());
    // Empty, or any of the forbidden characters: the message, and back to the name box.
    Make(SavePaletteDialog_Create(nullptr, "Palette Files(*.pal)"));
    for (QString name : {"", "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b"}) {
        MessageBoxClearRecords();
        Find<QComboBox>(KPalTypeBox)->setFocus();
        SaveAs(name);
        ASSERT_EQ(MessageBoxRecords().size(), 1u) << name.toStdString();
        EXPECT_EQ(MessageBoxRecords()[0].FText,
                  "Enter a unique name that dose not contain \\/:*?\"<>|.");
        EXPECT_EQ(MessageBoxRecords()[0].FCaption, "Error");
        EXPECT_EQ(MessageBoxRecords()[0].FFlags, MB_OK | MB_ICONSTOP);
        EXPECT_EQ(FDialog->focusWidget(), Find<QLineEdit>(KPalNameBox));
        EXPECT_EQ(Answer(), "none");
    }
}

TEST_F(PaletteFileDialogs, Save_AnExistingFileIsReplacedOnlyAfterYes) {
    Touch("old.pal");
    Make(SavePaletteDialog_Create(nullptr, "Palette Files(*.pal)"));
    for (int answer : {IDNO, IDYES}) {
        MessageBoxClearRecords();
        MessageBoxQueueAnswer(answer);
        SaveAs("old");
        ASSERT_EQ(MessageBoxRecords().size(), 1u);
        EXPECT_EQ(MessageBoxRecords()[0].FText,
                  "File exists - do you want to replace the existing file?");
        EXPECT_EQ(MessageBoxRecords()[0].FCaption, "Save As");
        EXPECT_EQ(MessageBoxRecords()[0].FFlags, MB_YESNO);
        EXPECT_EQ(Answer(), answer == IDYES ? PathOf("old.pal") : "none");
    }
}

} // namespace
