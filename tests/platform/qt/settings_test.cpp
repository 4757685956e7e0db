// Stored settings: numbers and texts round-trip through the INI file; missing, non-numeric,
// out-of-range and too-long values read as their defaults; a key path names its group.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QVariant>

#include "platform/qt/settings.h"

namespace {
QSettings* Raw() {
    static QSettings* settings =
        new QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    return settings;
}

class Settings : public ::testing::Test {
  protected:
    void SetUp() override {
        Raw()->clear();
        Raw()->sync();
        FKey = RegOpenSettingsKey("Software\\Velmar\\Mosaiko\\StartOption");
        ASSERT_NE(FKey, nullptr);
    }
    void TearDown() override { RegCloseSettingsKey(FKey); }
    TSettingsKey* FKey = nullptr;
};
} // namespace

TEST_F(Settings, NumbersRoundTripThroughTheFile) {
    RegWriteInt(FKey, "Zero", 0);
    RegWriteInt(FKey, "Min", INT32_MIN);
    RegWriteInt(FKey, "Max", INT32_MAX);
    RegCloseSettingsKey(FKey);
    FKey = RegOpenSettingsKey("Software\\Velmar\\Mosaiko\\StartOption");
    EXPECT_EQ(RegReadInt(FKey, "Zero", 7), 0);
    EXPECT_EQ(RegReadInt(FKey, "Min", 7), INT32_MIN);
    EXPECT_EQ(RegReadInt(FKey, "Max", 7), INT32_MAX);

    // What another settings object (another run) reads from the file.
    QSettings fresh(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    EXPECT_EQ(fresh.value("StartOption/Min").toString(), "-2147483648");
}

TEST_F(Settings, UnusableNumbersReadAsTheDefault) {
    Raw()->setValue("StartOption/Text", "abc");
    Raw()->setValue("StartOption/Trailing", "12abc");
    Raw()->setValue("StartOption/Fraction", "1.5");
    Raw()->setValue("StartOption/Empty", "");
    Raw()->setValue("StartOption/TooBig", "2147483648");
    Raw()->setValue("StartOption/TooSmall", "-2147483649");
    Raw()->setValue("StartOption/Spaced", " 42 ");
    Raw()->sync();
    EXPECT_EQ(RegReadInt(FKey, "Missing", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "Text", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "Trailing", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "Fraction", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "Empty", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "TooBig", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "TooSmall", 4), 4);
    EXPECT_EQ(RegReadInt(FKey, "Spaced", 4), 42);
    EXPECT_EQ(RegReadInt(nullptr, "Text", 9), 9); // a key that could not be opened
}

TEST_F(Settings, TextsRoundTripAndTooLongOnesReadAsTheDefault) {
    std::string many;
    for (int i = 0; i < 129; ++i)
        many += "\xC3\xBC"; // 129 characters of 2 bytes
    RegWriteString(FKey, "Plain", "palette.pal");
    RegWriteString(FKey, "Comma", "Hello, world");
    RegWriteString(FKey, "Utf8", "gr\xC3\xBC\xC3\x9F\xF0\x9F\x8E\xA8"); // 5 characters
    RegWriteString(FKey, "Most", many);
    RegWriteString(FKey, "TooMany", many + "x");
    RegWriteString(FKey, "Empty", "");
    RegCloseSettingsKey(FKey);
    FKey = RegOpenSettingsKey("Software\\Velmar\\Mosaiko\\StartOption");

    const size_t most = KRegStringMaxChars;
    EXPECT_EQ(RegReadString(FKey, "Plain", most, "x"), "palette.pal");
    EXPECT_EQ(RegReadString(FKey, "Comma", most, "x"), "Hello, world");
    EXPECT_EQ(RegReadString(FKey, "Utf8", 5, "x"), "gr\xC3\xBC\xC3\x9F\xF0\x9F\x8E\xA8");
    EXPECT_EQ(RegReadString(FKey, "Utf8", 4, "x"), "x"); // counted in characters
    EXPECT_EQ(RegReadString(FKey, "Most", most, "x"), many);
    EXPECT_EQ(RegReadString(FKey, "TooMany", most, "x"), "x");
    EXPECT_EQ(RegReadString(FKey, "TooMany", SIZE_MAX, "x"), many + "x");
    EXPECT_EQ(RegReadString(FKey, "Empty", most, "x"), ""); // stored empty is not missing
    EXPECT_EQ(RegReadString(FKey, "Missing", most, "Text"), "Text");
    EXPECT_EQ(RegReadString(nullptr, "Plain", most, "d"), "d");

    // A hand-edited value with an unquoted comma still reads as its text.
    Raw()->setValue("StartOption/List", QStringList{"a", "b"});
    Raw()->sync();
    EXPECT_EQ(RegReadString(FKey, "List", KRegStringMaxChars, "x"), "a, b");
}

TEST_F(Settings, KeyPathsNameGroupsOfOneFile) {
    TSettingsKey* main = RegOpenSettingsKey("Software\\Velmar\\Mosaiko\\MainForm");
    TSettingsKey* root = RegOpenSettingsKey("Software\\Velmar\\Mosaiko");
    RegWriteInt(FKey, "CanvasSize", 6);
    RegWriteInt(main, "CanvasSize", 2);
    RegWriteInt(root, "Top", 1);
    EXPECT_EQ(RegReadInt(FKey, "CanvasSize", 0), 6); // same name, other key
    EXPECT_EQ(RegReadInt(main, "CanvasSize", 0), 2);
    RegCloseSettingsKey(main);
    RegCloseSettingsKey(root);

    QSettings file(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    EXPECT_EQ(file.value("StartOption/CanvasSize").toInt(), 6);
    EXPECT_EQ(file.value("MainForm/CanvasSize").toInt(), 2);
    EXPECT_EQ(file.value("Top").toInt(), 1);
    EXPECT_EQ(Settings_Folder(), QFileInfo(file.fileName()).absolutePath().toStdString());
    EXPECT_TRUE(QFileInfo(file.fileName()).exists());
}
