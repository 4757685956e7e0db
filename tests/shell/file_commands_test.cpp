// The File menu's commands in the running main form: New with its dialog and palette file,
// Open with its save question and the icon selection, Save and Save As taking the format from
// the name alone, and a document's way from New through an icon file and back.
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <QComboBox>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "core/clipboard_block.h"
#include "core/clipboard_image.h"
#include "core/ico.h"
#include "core/palette.h"
#include "main_form_fixture.h"
#include "platform/qt/clipboard.h"
#include "shell/file_commands.h"
#include "shell/file_dialogs.h"
#include "shell/new_image_dialog.h"
#include "support/test_support.h"

#include "shell/dialog_test_support.h"

namespace {

// The file names the asker answers with, oldest first; an empty name cancels.
std::deque<std::string> GNames;
std::vector<int> GAskedKinds;

bool AnswerFromQueue(QWidget*, int kind, std::string* path) {
    GAskedKinds.push_back(kind);
    if (GNames.empty()) return false;
    std::string name = GNames.front();
    GNames.pop_front();
    if (name.empty()) return false;
    *path = name;
    return true;
}

// Runs answer on the modal dialog once it is up (for a second at most).
void AnswerModal(std::function<void(QWidget*)> answer, int tries = 100) {
    QTimer::singleShot(10, [answer, tries] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else if (tries > 0)
            AnswerModal(answer, tries - 1);
    });
}

// 256 colours unlike the default palette, as a .pal file writes them.
uint32_t PaletteColour(int i) {
    return uint32_t(255 - i) | (uint32_t(i) << 8) | (uint32_t((i * 7) & 255) << 16);
}

class FileCommands : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        FileCommands_Install();
        FileDialogs_SetAskProc(AnswerFromQueue);
        GNames.clear();
        GAskedKinds.clear();
        FFolder = TestTempDir();
    }
    void TearDown() override {
        MainFormTest::TearDown();
        FileDialogs_SetAskProc(nullptr);
        SelectIconImage_SetHandler(nullptr);
        GNames.clear();
    }
    std::string Path(const char* name) { return FFolder + "/" + name; }
    std::string BoxTexts() {
        std::string texts;
        for (const TMessageBoxRecord& box : MessageBoxRecords())
            texts += box.FCaption + ": " + box.FText + "\n";
        return texts;
    }
    // Writes the test palette as name in the palette folder and names that folder.
    void WritePaletteFolder(const char* name) {
        TPaletteEntry entries[256] = {};
        for (int i = 0; i < 256; ++i)
            PaletteEntrySetColor(&entries[i], PaletteColour(i));
        ASSERT_EQ(WritePaletteFile(entries, 256, Path(name).c_str()), 0);
        QSettings settings = StoredSettings();
        settings.setValue("StartOption/DefaultPaletteFolder", QString::fromStdString(FFolder));
        settings.setValue("StartOption/DefaultPalette", name);
    }
    // New through its dialog: preset chosen, OK pressed. The command's answer.
    int RunNew(int preset) {
        bool bracketed = false;
        AnswerModal([preset, &bracketed, this](QWidget* dialog) {
            bracketed = !FForm->FMenuBar->isEnabled();
            dialog->findChild<QComboBox*>(QString::number(KNewSizeList))->setCurrentIndex(preset);
            Button(dialog, "OK")->click();
        });
        int result = TMainForm_CmdNew(FForm);
        EXPECT_TRUE(bracketed) << "the menu bar stays active while the dialog runs";
        EXPECT_TRUE(FForm->FMenuBar->isEnabled());
        return result;
    }

    std::string FFolder;
};

// ---- Save and Save As ----

TEST_F(FileCommands, SaveAs_WithoutExtension_FailsKeepingPathAndModifiedState) {
    Start();
    GNames = {Path("first.bmp")};
    ASSERT_EQ(TMainForm_CmdSaveAs(FForm), 0);
    Modify();
    GNames = {Path("noext")};
    EXPECT_EQ(TMainForm_CmdSaveAs(FForm), -1);
    EXPECT_EQ(BoxTexts(), "ERROR: Could not save file\n");
    EXPECT_EQ(Doc()->FFileName, Path("first.bmp"));
    EXPECT_TRUE(TWorkForm_IsModified(Doc()));
    EXPECT_FALSE(FileExists(Path("noext")));
}

TEST_F(FileCommands, SaveAs_NameEndingInJpegInAnyCase_WritesJpeg) {
    Start();
    Paint(0x3366CC);
    for (const char* name : {"a.JPEG", "b.jpeg", "c.JpEg", "d.jpg"}) {
        GNames = {Path(name)};
        ASSERT_EQ(TMainForm_CmdSaveAs(FForm), 0) << name;
        std::vector<uint8_t> bytes = ReadWholeFile(Path(name));
        ASSERT_GE(bytes.size(), 3u) << name;
        EXPECT_EQ(bytes[0], 0xFF) << name;
        EXPECT_EQ(bytes[1], 0xD8) << name;
        EXPECT_EQ(Doc()->FFileName, Path(name));
    }
    EXPECT_TRUE(MessageBoxRecords().empty()) << BoxTexts();
    // Every question was a save question.
    EXPECT_EQ(GAskedKinds, std::vector<int>(4, TFD_SAVE));
}

TEST_F(FileCommands, SaveAs_ThenSave_WritesTheNewNameWithoutAsking) {
    Start();
    Paint(0x0000FF);
    GNames = {Path("picture.bmp")};
    ASSERT_EQ(TMainForm_CmdSaveAs(FForm), 0);
    std::vector<uint8_t> first = ReadWholeFile(Path("picture.bmp"));
    Paint(0x00FF00);
    Modify();
    ASSERT_EQ(TMainForm_CmdSave(FForm), 0);
    EXPECT_EQ(GAskedKinds.size(), 1u);
    EXPECT_NE(ReadWholeFile(Path("picture.bmp")), first);
    EXPECT_FALSE(TWorkForm_IsModified(Doc()));
    // An untitled document's Save asks; a cancelled question saves nothing, without a message.
    TMainForm_NewImage(FForm, 8, 8);
    EXPECT_EQ(TMainForm_CmdSave(FForm), -1);
    EXPECT_EQ(GAskedKinds.size(), 2u);
    EXPECT_TRUE(MessageBoxRecords().empty()) << BoxTexts();
}

// ---- Open ----

TEST_F(FileCommands, Open_OverAModifiedDocument_AsksFirstAndCancelKeepsIt) {
    Start();
    Modify();
    TWorkForm* old = Doc();
    const std::string file = SharedDir() + "/corpus/bmp/bmp-24bit-im3-33x9.bmp";
    GNames = {file};
    MessageBoxQueueAnswer(IDCANCEL);
    EXPECT_EQ(TMainForm_CmdOpen(FForm), 0);
    EXPECT_EQ(BoxTexts(), "Mosaiko: Do you want to save the changes before closing?\n");
    EXPECT_EQ(Doc(), old);
    EXPECT_EQ(TWorkForm_GetActive(), old);
    EXPECT_TRUE(TWorkForm_IsModified(old));
    EXPECT_EQ(Background()->FWidth, 32);
    EXPECT_EQ(GAskedKinds, std::vector<int>({TFD_OPEN}));

    // No: the file replaces the document, fitted, with its path.
    MessageBoxClearRecords();
    GNames = {file};
    MessageBoxQueueAnswer(IDNO);
    EXPECT_EQ(TMainForm_CmdOpen(FForm), 1);
    EXPECT_EQ(Background()->FWidth, 33);
    EXPECT_EQ(Doc()->FFileName, file);
    EXPECT_EQ(Doc()->FFitMode, 1);
    EXPECT_EQ(PaneText(0), "Open Image");
    EXPECT_EQ(PaneText(1), "33x9");
}

TEST_F(FileCommands, Open_CancelledOrFailing_KeepsTheDocument) {
    Start();
    TWorkForm* old = Doc();
    GNames = {""};
    EXPECT_EQ(TMainForm_CmdOpen(FForm), 0);
    EXPECT_TRUE(MessageBoxRecords().empty());
    std::string junk = Path("junk.bmp");
    WriteWholeFile(junk, {'B', 'M', 0});
    GNames = {junk};
    EXPECT_EQ(TMainForm_CmdOpen(FForm), -1);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
    EXPECT_EQ(Doc(), old);
    EXPECT_EQ(TWorkForm_GetActive(), old);
}

TEST_F(FileCommands, Open_ThreeImageIcon_ListsItsRowsAndCancelKeepsTheDocument) {
    Start();
    TWorkForm* old = Doc();
    std::string icon = SharedDir() + "/corpus/ico/ico-bmp-hand-multi-4-8-32bit.ico";
    QStringList rows;
    GNames = {icon};
    AnswerModal([&rows](QWidget* dialog) {
        QTreeWidget* list = dialog->findChild<QTreeWidget*>("icons");
        for (int i = 0; list && i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(0);
        Button(dialog, "Cancel")->click();
    });
    EXPECT_EQ(TMainForm_CmdOpen(FForm), 0);
    EXPECT_EQ(rows, QStringList({"16 x 16, 16 colors", "32 x 32, 256 colors",
                                 "48 x 48, True Color(32 bits)"}));
    EXPECT_EQ(Doc(), old);
    EXPECT_EQ(TWorkForm_GetActive(), old);
    EXPECT_TRUE(MessageBoxRecords().empty()) << BoxTexts();

    // The chosen entry opens without a path, so the first Save asks for one.
    GNames = {icon};
    AnswerModal([](QWidget* dialog) {
        QTreeWidget* list = dialog->findChild<QTreeWidget*>("icons");
        list->setCurrentItem(list->topLevelItem(2));
        Button(dialog, "Open")->click();
    });
    EXPECT_EQ(TMainForm_CmdOpen(FForm), 1);
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 48);
    EXPECT_TRUE(Doc()->FFileName.empty());
    EXPECT_EQ(PaneText(0), "Open Image");
}

// ---- New ----

TEST_F(FileCommands, New_MakesTheChosenSizeWithThePaletteFile) {
    WritePaletteFolder("mine.pal");
    Start();
    ASSERT_EQ(RunNew(5), 0);
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 48);
    EXPECT_EQ(Background()->FHeight, 48);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(PaletteEntryToColor(Doc()->FPalette[i]), PaletteColour(i)) << i;
    EXPECT_EQ(PaneText(0), "New Image");
    EXPECT_EQ(PaneText(1), "48x48");
    EXPECT_TRUE(MessageBoxRecords().empty()) << BoxTexts();
}

TEST_F(FileCommands, New_UnreadablePaletteKeepsTheDefaultAndCancelKeepsTheDocument) {
    WritePaletteFolder("mine.pal");
    WriteWholeFile(Path("mine.pal"), {';', 'x', '\n'}); // comments only: no colour
    Start();
    ASSERT_EQ(RunNew(2), 0);
    TPaletteEntry standard[256];
    MakeDefaultPalette(standard);
    EXPECT_EQ(std::memcmp(Doc()->FPalette, standard, sizeof standard), 0);
    EXPECT_EQ(Background()->FWidth, 16);
    EXPECT_TRUE(MessageBoxRecords().empty()) << BoxTexts();
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);

    TWorkForm* old = Doc();
    AnswerModal([](QWidget* dialog) { Button(dialog, "Cancel")->click(); });
    EXPECT_EQ(TMainForm_CmdNew(FForm), -1);
    EXPECT_EQ(Doc(), old);
    EXPECT_TRUE(FForm->FMenuBar->isEnabled());
}

// ---- End to end ----

// A small picture: a colour ramp with a transparent diagonal.
ImagePtr SmallPicture() {
    ImagePtr image(TImage_Create(10, 6, 24, TIF_HASMASK | TIF_BOTTOMUP));
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 10; ++x)
            TImage_SetPixelMasked(image.get(), x, y,
                                  uint32_t(x * 25) | uint32_t(y * 40) << 8 | 0x800000u,
                                  x == y ? 0 : 0xFFFFFF);
    return image;
}

TEST_F(FileCommands, EndToEnd_NewPasteCommitSaveIconAndOpenAgain) {
    WritePaletteFolder("mine.pal");
    Start();
    ASSERT_EQ(RunNew(5), 0);
    ImagePtr picture = SmallPicture();
    TClipBlock png = {};
    ASSERT_EQ(ClipImage_EncodePng(picture.get(), &png), 0);
    std::vector<uint8_t> pngBytes(png.FData, png.FData + png.FSize);
    TClipBlock_Free(&png);
    ASSERT_EQ(Clipboard_SetItems({{"image/png", pngBytes}}), 0);
    ASSERT_EQ(TWorkForm_Paste(Doc()), 0);
    TWorkForm_CommitSelection(Doc());
    ASSERT_EQ(Doc()->FSelectMode, TSM_NONE);
    TImage* background = Background()->FImage;
    uint32_t colour = 0;
    ASSERT_NE(TImage_GetPixelMasked(background, 1, 0, &colour), 0u);
    ASSERT_EQ(colour, TImage_GetPixel(picture.get(), 1, 0));

    // What the icon must hold: the document palette with the visible colours placed, and each
    // pixel the index of its colour.
    ImagePtr expected(TImage_Create(48, 48, 24, TIF_HASMASK | TIF_BOTTOMUP));
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            uint32_t visible = TImage_GetPixelMasked(background, x, y, &colour);
            TImage_SetPixelMasked(expected.get(), x, y, colour, visible ? 0xFFFFFF : 0);
        }
    std::memcpy(expected->FPalette, Doc()->FPalette, sizeof expected->FPalette);
    TPaletteEntry palette[256];
    std::vector<uint8_t> rows(48 * 48);
    ICO_EncodeColours(expected.get(), palette, rows.data());

    std::string saved = Path("made.ico");
    GNames = {saved};
    ASSERT_EQ(TMainForm_CmdSaveAs(FForm), 0);
    std::vector<uint8_t> bytes = ReadWholeFile(saved);
    const size_t paletteAt = 6 + 16 + 40;
    ASSERT_GE(bytes.size(), paletteAt + 1024);
    EXPECT_EQ(std::memcmp(&bytes[paletteAt], palette, 1024), 0);
    // Past the placed colours the palette is the palette file's.
    EXPECT_EQ(PaletteEntryToColor(palette[255]), PaletteColour(255));

    GNames = {saved};
    ASSERT_EQ(TMainForm_CmdOpen(FForm), 1);
    TImage* opened = Background()->FImage;
    ASSERT_EQ(opened->FWidth, 48);
    ASSERT_EQ(opened->FHeight, 48);
    for (int32_t y = 0; y < 48; ++y)
        for (int32_t x = 0; x < 48; ++x) {
            uint32_t want = 0, got = 0;
            uint32_t wantMask = TImage_GetPixelMasked(expected.get(), x, y, &want);
            uint32_t gotMask = TImage_GetPixelMasked(opened, x, y, &got);
            ASSERT_EQ(gotMask != 0, wantMask != 0) << x << "," << y;
            // Transparent pixels come back in the colour of the index written for them.
            uint32_t index = rows[size_t(47 - y) * 48 + size_t(x)];
            ASSERT_EQ(got, wantMask ? want : PaletteEntryToColor(palette[index])) << x << "," << y;
        }
    EXPECT_TRUE(MessageBoxRecords().empty()) << BoxTexts();
}

} // namespace
