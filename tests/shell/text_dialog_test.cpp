// The Text dialog: its controls and defaults on a fresh system, the system face found in the
// font list, the controls setting the font (height entries 0 and 92 giving 8 and 100 pixels),
// OK storing everything for the next start, stored values out of range falling back and long
// texts cut to 256 characters, the colour button through the chooser hook, and the installed
// hooks running the dialog, Cancel storing nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "shell/dialog_test_support.h"
#include "shell/text_dialog.h"
#include "tools/text_hooks.h"
#include "tools/tool_bar.h"
#include "tools/tool_bar_form_test.h"

namespace {

uint32_t GChosen = 0;
int GChooserAnswer = 0;
int FakeChooseColour(uint32_t* colour) {
    if (GChooserAnswer == 0) *colour = GChosen;
    return GChooserAnswer;
}

class TextDialogTest : public ToolBarFormTest {
  protected:
    void SetUp() override {
        ToolBarFormTest::SetUp();
        Settings().remove("TextForm");
        TTextHooks hooks = {nullptr, FakeChooseColour};
        TextHooks_Install(&hooks);
    }
    void TearDown() override {
        TextForm_Destroy(&FRecord);
        TextHooks_Install(nullptr);
        Settings().remove("TextForm");
        ToolBarFormTest::TearDown();
    }
    static QSettings Settings() {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, "Velmar", "Mosaiko");
    }
    static void Store(const char* name, const QVariant& value) {
        Settings().setValue(QStringLiteral("TextForm/") + name, value);
    }
    // A new dialog from the stored settings, as a new start of the program would make it.
    void Open() {
        TextForm_Destroy(&FRecord);
        FRecord = TTextForm();
        ASSERT_EQ(TextForm_Create(&FRecord, nullptr), 0);
        FRecord.FHandle->show();
        QApplication::processEvents();
    }
    template <class T> T* Control(int id) {
        return FRecord.FHandle->findChild<T*>(QString::number(id));
    }
    QLineEdit* Edit() { return Control<QLineEdit>(KTextEdit); }
    QComboBox* List(int id) { return Control<QComboBox>(id); }
    QCheckBox* Check(int id) { return Control<QCheckBox>(id); }

    TTextForm FRecord = TTextForm();
};

TEST_F(TextDialogTest, FreshSystemShowsTextTheSystemFaceHeight8AndNoStyles) {
    Open();
    EXPECT_EQ(FRecord.FHandle->windowTitle(), "Text");
    EXPECT_EQ(Edit()->text(), "Text");
    QStringList families = QFontDatabase::families();
    QComboBox* fonts = List(KTextFontList);
    ASSERT_EQ(fonts->count(), families.size());
    QString system = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    EXPECT_EQ(fonts->currentIndex(), TextForm_FindFace(families, system));
    QComboBox* heights = List(KTextHeightList);
    ASSERT_EQ(heights->count(), 93);
    EXPECT_EQ(heights->itemText(0), "8");
    EXPECT_EQ(heights->itemText(92), "100");
    EXPECT_EQ(heights->currentIndex(), 0);
    EXPECT_EQ(FRecord.FFont.FFaceName, fonts->currentText().toStdString());
    EXPECT_EQ(FRecord.FFont.FHeight, -8);
    EXPECT_EQ(FRecord.FFont.FWeight, 400);
    for (int id : {KTextBold, KTextItalic, KTextUnderline, KTextStrikeOut}) {
        ASSERT_NE(Check(id), nullptr) << id;
        EXPECT_FALSE(Check(id)->isChecked()) << id;
    }
    EXPECT_EQ(Check(KTextStrikeOut)->text(), "StrikeOut");
    EXPECT_NE(Control<QWidget>(KTextPreview), nullptr);
    EXPECT_NE(Button(FRecord.FHandle, "OK"), nullptr);
    EXPECT_NE(Button(FRecord.FHandle, "Cancel"), nullptr);
}

TEST_F(TextDialogTest, FindFacePrefersTheWholeNameThenThePrefixFromEntryOneOn) {
    const QStringList families = {"Sans", "Sans Mono", "Serif", "sans bold"};
    struct Case {
        const char* FFace;
        int FIndex;
    } cases[] = {{"Sans", 0}, {"SANS MONO", 1}, {"San", 1}, {"sans b", 3},
                 {"Ser", 2},  {"Tahoma", 0},    {"", 0}};
    for (const Case& c : cases)
        EXPECT_EQ(TextForm_FindFace(families, c.FFace), c.FIndex) << c.FFace;
    EXPECT_EQ(TextForm_FindFace({"Alpha", "Beta"}, "alp"), 0); // wrapping round to entry 0
}

TEST_F(TextDialogTest, ControlsSetTheFontAndHeightEntries0And92Give8And100Pixels) {
    Open();
    List(KTextHeightList)->setCurrentIndex(92);
    EXPECT_EQ(FRecord.FFont.FHeight, -100);
    List(KTextHeightList)->setCurrentIndex(0);
    EXPECT_EQ(FRecord.FFont.FHeight, -8);
    QTest::mouseClick(Check(KTextBold), Qt::LeftButton);
    EXPECT_EQ(FRecord.FFont.FWeight, 700);
    QTest::mouseClick(Check(KTextBold), Qt::LeftButton);
    EXPECT_EQ(FRecord.FFont.FWeight, 400);
    Check(KTextItalic)->setChecked(true);
    Check(KTextUnderline)->setChecked(true);
    Check(KTextStrikeOut)->setChecked(true);
    EXPECT_EQ(FRecord.FFont.FItalic + FRecord.FFont.FUnderline + FRecord.FFont.FStrikeOut, 3);
    QComboBox* fonts = List(KTextFontList);
    if (fonts->count() > 1) {
        fonts->setCurrentIndex(fonts->currentIndex() == 0 ? 1 : 0);
        EXPECT_EQ(FRecord.FFont.FFaceName, fonts->currentText().toStdString());
    }
}

TEST_F(TextDialogTest, OkStoresTheTextAndFontAndTheNextStartShowsThem) {
    Open();
    const QString typed = QString::fromUtf8("Grüße € 😀");
    Edit()->setText(typed);
    List(KTextFontList)->setCurrentIndex(List(KTextFontList)->count() - 1);
    List(KTextHeightList)->setCurrentIndex(92);
    Check(KTextBold)->setChecked(true);
    Check(KTextUnderline)->setChecked(true);
    QTest::mouseClick(Button(FRecord.FHandle, "OK"), Qt::LeftButton);
    EXPECT_EQ(FRecord.FText, typed.toStdString());
    const TLogFont chosen = FRecord.FFont;

    Open();
    EXPECT_EQ(Edit()->text(), typed);
    EXPECT_EQ(List(KTextFontList)->currentIndex(), List(KTextFontList)->count() - 1);
    EXPECT_EQ(List(KTextHeightList)->currentIndex(), 92);
    EXPECT_TRUE(Check(KTextBold)->isChecked());
    EXPECT_TRUE(Check(KTextUnderline)->isChecked());
    EXPECT_FALSE(Check(KTextItalic)->isChecked());
    EXPECT_EQ(FRecord.FFont.FHeight, -100);
    EXPECT_EQ(FRecord.FFont.FWeight, 700);
    EXPECT_EQ(FRecord.FFont.FFaceName, chosen.FFaceName);
    EXPECT_EQ(Settings().value("TextForm/FontHeight").toInt(), -100);
}

TEST_F(TextDialogTest, StoredValuesOutOfRangeFallBackAndALongTextIsCutTo256) {
    Open();
    const int system = List(KTextFontList)->currentIndex();
    Store("FontIndex", int(List(KTextFontList)->count()));
    Store("HeightIndex", 93);
    Store("FontHeight", -101);
    Store("Weight", 1001);
    Store("Italic", 2);
    Store("Text", QString(300, QChar('x')));
    Open();
    EXPECT_EQ(List(KTextFontList)->currentIndex(), system);
    EXPECT_EQ(List(KTextHeightList)->currentIndex(), 0);
    EXPECT_EQ(FRecord.FFont.FHeight, -8);
    EXPECT_EQ(FRecord.FFont.FWeight, 400);
    EXPECT_EQ(FRecord.FFont.FItalic, 0);
    EXPECT_EQ(Edit()->text(), QString(256, QChar('x')));
    QTest::keyClick(Edit(), Qt::Key_End);
    QTest::keyClicks(Edit(), "y"); // no room for more
    EXPECT_EQ(Edit()->text(), QString(256, QChar('x')));

    Store("HeightIndex", -1);
    Store("Text", QString(255, QChar('x')) + QString::fromUtf8("😀😀"));
    Open();
    EXPECT_EQ(List(KTextHeightList)->currentIndex(), 0);
    EXPECT_EQ(Edit()->text(), QString(255, QChar('x')) + QString::fromUtf8("😀"));
}

TEST_F(TextDialogTest, ColourButtonShowsThePrimaryColourAndSetsItFromTheChooser) {
    TToolBar_SetPrimaryColor(0x00FF00);
    Open();
    QPushButton* colour = Control<QPushButton>(KTextColourButton);
    ASSERT_NE(colour, nullptr);
    auto centre = [colour] {
        QImage face = colour->grab().toImage();
        return face.pixel(face.width() / 2, face.height() / 2) & 0xFFFFFF;
    };
    EXPECT_EQ(centre(), 0x00FF00u); // green, in Qt's order as well
    GChooserAnswer = -1;
    GChosen = 0x0000FF;
    QTest::mouseClick(colour, Qt::LeftButton);
    EXPECT_EQ(TToolBar_GetPrimaryColor(), 0x00FF00u);
    GChooserAnswer = 0;
    QTest::mouseClick(colour, Qt::LeftButton);
    EXPECT_EQ(TToolBar_GetPrimaryColor(), 0x0000FFu);
    EXPECT_EQ(centre(), 0xFF0000u); // red as Qt writes it
}

TEST_F(TextDialogTest, InstalledHooksRunTheDialogModalAndAnswerOkAndCancel) {
    TextDialog_InstallHooks();
    struct Case {
        const char* FButton;
        int FAnswer;
    } cases[] = {{"Cancel", -1}, {"OK", 0}};
    for (const Case& c : cases) {
        TTextForm form = TTextForm();
        WhenModal([&c](QWidget* dialog) {
            QTest::mouseClick(Button(dialog, c.FButton), Qt::LeftButton);
        });
        EXPECT_EQ(TextHooks_RunTextDialog(&form), c.FAnswer) << c.FButton;
        EXPECT_EQ(form.FHandle, nullptr);
        EXPECT_EQ(form.FText, c.FAnswer == 0 ? "Text" : "") << c.FButton;
        EXPECT_EQ(Settings().contains("TextForm/Text"), c.FAnswer == 0) << c.FButton;
    }
}

} // namespace
