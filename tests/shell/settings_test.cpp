// The shell's stored settings: the defaults of a fresh system, a canvas-size index outside the
// preset table, the palette folder's default, and the palette list with its default selection.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "shell/settings.h"

namespace {
class ShellSettings : public ::testing::Test {
  protected:
    void SetUp() override { Clear(); }
    void TearDown() override { Clear(); }
    static void Clear() {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
        settings.clear();
    }
    static void Store(const char* name, const QVariant& value) {
        QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
        settings.setValue(name, value);
    }
    // A palette folder holding the given files, stored as DefaultPaletteFolder.
    void MakePaletteFolder(const QStringList& files) {
        ASSERT_TRUE(FFolder.isValid());
        for (const QString& name : files) {
            QFile file(FFolder.filePath(name));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("0\n");
        }
        Store("StartOption/DefaultPaletteFolder", FFolder.path());
    }
    static QStringList Entries(const QComboBox& list) {
        QStringList entries;
        for (int i = 0; i < list.count(); ++i)
            entries << list.itemText(i);
        return entries;
    }
    QTemporaryDir FFolder;
};
} // namespace

TEST_F(ShellSettings, FreshSystemStartsAt32x32WithoutGridOrStatusBar) {
    EXPECT_EQ(ReadCanvasPresetIndex(), 4);
    EXPECT_STREQ(ReadCanvasPreset().FLabel, "32x32");
    EXPECT_EQ(ReadCanvasPreset().FWidth, 32);
    EXPECT_EQ(ReadUseGrid(), 0);
    EXPECT_EQ(ReadStatusBarVisible(), 0);
}

TEST_F(ShellSettings, StoredCanvasSizeOutsideTheTableFallsBackTo32x32) {
    Store("StartOption/CanvasSize", 9);
    EXPECT_STREQ(ReadCanvasPreset().FLabel, "255x255");
    Store("StartOption/CanvasSize", 0);
    EXPECT_STREQ(ReadCanvasPreset().FLabel, "8x8");
    for (const char* bad : {"10", "99", "-1", "big"}) {
        Store("StartOption/CanvasSize", bad);
        EXPECT_EQ(ReadCanvasPresetIndex(), 4) << bad;
        EXPECT_STREQ(ReadCanvasPreset().FLabel, "32x32") << bad;
    }
}

TEST_F(ShellSettings, GridAndStatusBarFlags) {
    Store("StartOption/UseGrid", 1);
    EXPECT_EQ(ReadUseGrid(), 1);
    Store("StartOption/UseGrid", 5);
    EXPECT_EQ(ReadUseGrid(), 1);
    Store("StartOption/UseGrid", 0);
    EXPECT_EQ(ReadUseGrid(), 0);

    WriteStatusBarVisible(1);
    EXPECT_EQ(ReadStatusBarVisible(), 1);
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    EXPECT_EQ(settings.value("MainForm/StatusBarVisible").toInt(), 1);
    WriteStatusBarVisible(0);
    EXPECT_EQ(ReadStatusBarVisible(), 0);
}

TEST_F(ShellSettings, PaletteFolderDefaultsToDocuments) {
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty()) documents = QDir::homePath();
    EXPECT_EQ(ReadPaletteFolder(), documents.toStdString());
    Store("StartOption/DefaultPaletteFolder", "/some/where");
    EXPECT_EQ(ReadPaletteFolder(), "/some/where");
}

TEST_F(ShellSettings, PaletteListIsSortedAndSelectsTheStoredPalette) {
    MakePaletteFolder({"warm.pal", "basic.pal", "cool.pal", "notes.txt", "mono.pal.bak"});
    QDir(FFolder.path()).mkdir("folder.pal"); // a folder is no palette file
    QComboBox list;
    list.addItem("left over");

    EXPECT_EQ(FillPaletteList(&list), 3);
    EXPECT_EQ(Entries(list), QStringList({"basic.pal", "cool.pal", "warm.pal"}));
    EXPECT_EQ(list.currentIndex(), 0); // nothing stored: the first

    Store("StartOption/DefaultPalette", "warm.pal");
    FillPaletteList(&list);
    EXPECT_EQ(list.currentText(), "warm.pal");

    Store("StartOption/DefaultPalette", "WARM.pal"); // exact names only
    FillPaletteList(&list);
    EXPECT_EQ(list.currentIndex(), -1);

    Store("StartOption/DefaultPalette", "gone.pal");
    EXPECT_EQ(FillPaletteList(&list), 3);
    EXPECT_EQ(list.currentIndex(), -1);
}

TEST_F(ShellSettings, PaletteListOfAFolderWithoutPalettesIsEmpty) {
    MakePaletteFolder({"readme.txt"});
    QComboBox list;
    EXPECT_EQ(FillPaletteList(&list), 0);
    EXPECT_EQ(list.currentIndex(), -1);
    Store("StartOption/DefaultPaletteFolder", FFolder.filePath("missing"));
    EXPECT_EQ(FillPaletteList(&list), 0);
    EXPECT_EQ(FillPaletteList(nullptr), 0);
}
