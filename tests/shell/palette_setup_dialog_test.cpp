// The Palette Setup dialog in the running program: each control's edit landing in the primary
// cell, the gradient over a range, Load (fewer than
// 256 colours leave the rest black) and Save, and what OK hands the document and the tool bar
// while Cancel hands nothing.
#include <cstring>
#include <string>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMenuBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "core/palette.h"
#include "document/undo_history.h"
#include "main_form_fixture.h"
#include "shell/dialog_test_support.h"
#include "shell/palette_file_dialogs.h"
#include "shell/palette_setup_dialog.h"
#include "shell/settings.h"
#include "support/test_support.h"
#include "tools/palette_form.h"
#include "tools/tool_bar.h"

namespace {

std::string Rgb(const TPaletteEntry& e) {
    return std::to_string(e.FRed) + "," + std::to_string(e.FGreen) + "," + std::to_string(e.FBlue);
}

TPaletteEntry Entry(uint32_t colour) {
    TPaletteEntry e = {};
    PaletteEntrySetColor(&e, colour);
    return e;
}

bool SamePalette(const TPaletteEntry* a, const TPaletteEntry* b) {
    return std::memcmp(a, b, KPaletteSize * sizeof(TPaletteEntry)) == 0;
}

QPoint CellCentre(int32_t cell, int32_t side) {
    return QPoint(cell % 16 * side + side / 2, cell / 16 * side + side / 2);
}

// Replaces what box holds by typing text as a user does.
void Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
}

// In the running dialog d: taps cell and types hex for it.
void EditCell(QWidget* d, int32_t cell, const char* hex) {
    QWidget* grid = d->findChild<QWidget*>(QString::number(KPsGridId));
    QTest::mouseClick(grid, Qt::LeftButton, {}, CellCentre(cell, KPsCellSide));
    QApplication::processEvents();
    Type(d->findChild<QLineEdit*>(QString::number(KPsHexBox)), hex);
}

// Answers the palette Save As dialog with name.
void WhenSaveAs(const char* name) {
    WhenModal([name](QWidget* d) {
        d->findChild<QLineEdit*>(QString::number(KPalNameBox))->setText(name);
        Button(d, "OK")->click();
    });
}

class PaletteSetupTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        ASSERT_TRUE(FTemp.isValid());
        FFolder = FTemp.path();
        StoredSettings().setValue("StartOption/DefaultPaletteFolder", FFolder);
        Start();
        ASSERT_EQ(TMainForm_NewImage(FForm, 16, 16), 0);
        QApplication::processEvents();
        FBar = FForm->FToolBar;
        ASSERT_NE(FBar, nullptr);
    }
    void TearDown() override {
        FDialog = PaletteSetup_Destroy(FDialog);
        MainFormTest::TearDown();
    }

    void Open() {
        FDialog = PaletteSetup_Create(FForm->FHandle, Doc());
        ASSERT_NE(FDialog, nullptr);
        FDialog->FHandle->show();
        QApplication::processEvents();
    }
    template <class T> T* Control(int id) {
        return FDialog->FHandle->findChild<T*>(QString::number(id));
    }
    QLineEdit* Box(int id) { return Control<QLineEdit>(id); }
    QSlider* Slider(int id) { return Control<QSlider>(id); }
    // "red,green,blue hex": the three sliders and the hex box.
    std::string Channels() {
        QString text;
        for (int id : {KPsRedSlider, KPsGreenSlider, KPsBlueSlider})
            text += QString::number(Slider(id)->value()) + (id == KPsBlueSlider ? " " : ",");
        return (text + Box(KPsHexBox)->text()).toStdString();
    }
    // A tap on the dialog's grid, or a drag from one cell to another, with the grid's command.
    void Drag(int32_t from, int32_t to) {
        QPoint a = CellCentre(from, KPsCellSide), b = CellCentre(to, KPsCellSide);
        PaletteForm_StylusDown(FDialog->FGrid, a.x(), a.y());
        PaletteForm_StylusMove(FDialog->FGrid, b.x(), b.y());
        PaletteForm_StylusUp(FDialog->FGrid, b.x(), b.y());
        QApplication::processEvents();
    }
    void Tap(int32_t cell) { Drag(cell, cell); }
    void Press(const char* text) {
        Button(FDialog->FHandle, text)->click();
        QApplication::processEvents();
    }
    // Picks cell of the popup palette into the selected swatch, as a tap on it does.
    void PopupPick(int32_t cell) {
        QPoint at = CellCentre(cell, 12);
        PaletteForm_StylusDown(FBar->FPopupGrid, at.x(), at.y());
        PaletteForm_StylusUp(FBar->FPopupGrid, at.x(), at.y());
        QApplication::processEvents();
    }
    int32_t Steps() { return TUndoHistory_GetPosition(Doc()->FHistory); }

    QTemporaryDir FTemp;
    QString FFolder;
    TToolBar* FBar = nullptr;
    TPaletteSetupDialog* FDialog = nullptr;
};

TEST_F(PaletteSetupTest, SliderNumberBoxAndHexBox_LandInThePrimaryCell) {
    enum { KSlider, KBox, KHex };
    const struct {
        int FKind;
        int FId;
        const char* FInput; // the slider's position or the typed text
        uint32_t FColour;   // the cell afterwards
        const char* FShown; // the sliders and the hex box afterwards
    } cases[] = {
        {KSlider, KPsRedSlider, "128", 0x332280, "128,34,51 802233"},
        {KBox, KPsGreenBox, "300", 0x33FF11, "17,255,51 11ff33"},
        {KBox, KPsBlueBox, "-4", 0xFF2211, "17,34,255 1122ff"},
        {KHex, KPsHexBox, "a0b0c0", 0xC0B0A0, "160,176,192 a0b0c0"},
        {KHex, KPsHexBox, "7fz", 0x7F0000, "0,0,127 7fz"}, // the z ends the number
        {KHex, KPsHexBox, "", 0x332211, "17,34,51 "},      // an empty box changes nothing
    };
    const int32_t cell = 37;
    for (const auto& c : cases) {
        FDialog = PaletteSetup_Destroy(FDialog);
        Open();
        EXPECT_EQ(FDialog->FGrid->FHandle->size(), QSize(160, 160));
        EXPECT_EQ(Channels(), "255,204,204 ffcccc"); // default entry 0 at first
        FDialog->FWorking[cell] = Entry(0x332211);
        Tap(cell);
        ASSERT_EQ(Channels(), "17,34,51 112233");
        if (c.FKind == KSlider)
            Slider(c.FId)->setValue(std::stoi(c.FInput));
        else
            Type(Box(c.FId), c.FInput);
        SCOPED_TRACE(c.FInput);
        EXPECT_EQ(PaletteEntryToColor(FDialog->FWorking[cell]), c.FColour);
        EXPECT_EQ(Control<QWidget>(KPsColourSwatch)->property("colour").toUInt(), c.FColour);
        EXPECT_EQ(Channels(), c.FShown);
        if (c.FKind == KBox) {
            EXPECT_EQ(Box(c.FId)->text(), c.FInput); // left as typed
        }
    }
}

TEST_F(PaletteSetupTest, Gradient_FillsStrictlyInsideTheRangeWithTruncatedSteps) {
    const struct {
        int32_t FFrom, FTo;     // the drag
        uint32_t FFirst, FLast; // the colours at its two ends
        int32_t FCell;          // a cell to look at
        const char* FWanted;    // its colour afterwards, "r,g,b"
    } cases[] = {
        {10, 11, 0x000000, 0xFFFFFF, 11, "255,255,255"}, // nothing between: nothing changes
        {0, 255, 0x000000, 0xFFFFFF, 1, "1,1,1"},
        {0, 255, 0x000000, 0xFFFFFF, 254, "254,254,254"},
        {20, 24, 0xFFFFFF, 0x000000, 21, "204,204,204"}, // step -254 / 5
        {20, 24, 0xFFFFFF, 0x000000, 23, "102,102,102"},
        {50, 54, 0x0000C8, 0x0A3264, 52, "160,20,4"}, // each channel its own step
        {40, 30, 0x000000, 0xFFFFFF, 35, ""},         // dragged backwards: nothing
    };
    for (const auto& c : cases) {
        FDialog = PaletteSetup_Destroy(FDialog);
        Open();
        FDialog->FWorking[c.FFrom] = Entry(c.FFirst);
        FDialog->FWorking[c.FTo] = Entry(c.FLast);
        TPaletteEntry before[KPaletteSize];
        std::memcpy(before, FDialog->FWorking, sizeof before);
        Drag(c.FFrom, c.FTo);
        Press("Gradient");
        SCOPED_TRACE(std::to_string(c.FFrom) + " to " + std::to_string(c.FTo));
        bool applied = c.FTo - c.FFrom >= 2;
        EXPECT_EQ(FDialog->FGrid->FRangeStart, applied ? -1 : c.FFrom);
        if (!applied) {
            EXPECT_TRUE(SamePalette(FDialog->FWorking, before));
            continue;
        }
        EXPECT_EQ(Rgb(FDialog->FWorking[c.FCell]), c.FWanted);
        EXPECT_EQ(Rgb(FDialog->FWorking[c.FFrom]) + " " + Rgb(FDialog->FWorking[c.FTo]),
                  Rgb(before[c.FFrom]) + " " + Rgb(before[c.FTo]));
    }
}

TEST_F(PaletteSetupTest, Load_SixteenColoursLeaveTheRestBlack) {
    std::string sixteen = "; sixteen colours\n";
    for (int i = 0; i < 16; ++i)
        sixteen += std::to_string(0x010203 * (i + 1)) + "\n";
    WriteWholeFile(QDir(FFolder).filePath("sixteen.pal").toStdString(),
                   std::vector<uint8_t>(sixteen.begin(), sixteen.end()));
    Open();
    WhenModal([](QWidget* d) {
        QTreeWidget* list = d->findChild<QTreeWidget*>(QString::number(KPalFileList));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->topLevelItem(0)).center());
    });
    Press("Load");
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(PaletteEntryToColor(FDialog->FWorking[i]), 0x010203u * (i + 1)) << i;
    for (int i = 16; i < KPaletteSize; ++i)
        EXPECT_EQ(Rgb(FDialog->FWorking[i]), "0,0,0") << i;
    EXPECT_EQ(Channels(), "3,2,1 030201") << "the primary cell shown as loaded";
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(PaletteSetupTest, Save_WritesAll256ColoursWhereOpenAndNewListThem) {
    Open();
    Tap(200);
    Type(Box(KPsHexBox), "abcdef");
    WhenSaveAs("mine");
    Press("Save");
    EXPECT_TRUE(MessageBoxRecords().empty());
    TPaletteEntry read[KPaletteSize] = {};
    std::string path = QDir(FFolder).filePath("mine.pal").toStdString();
    EXPECT_EQ(ReadPaletteFile(read, path.c_str()), 256);
    EXPECT_TRUE(SamePalette(read, FDialog->FWorking));
    QComboBox newList;
    FillPaletteList(&newList);
    EXPECT_NE(newList.findText("mine.pal"), -1);

    // A palette folder that does not exist: the write fails, is shown, and creates nothing.
    QString missing = FFolder + "/missing";
    StoredSettings().setValue("StartOption/DefaultPaletteFolder", missing);
    WhenSaveAs("lost");
    Press("Save");
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, GetErrorText(EC_WRITE_FAILED));
    EXPECT_FALSE(QDir(missing).exists());
}

TEST_F(PaletteSetupTest, Ok_CopiesThePaletteAndSwatchesPickedFromACellFollowIt) {
    PopupPick(37); // the primary
    TToolBar_StylusDown(230, 18);
    PopupPick(50); // the secondary, one colour step
    TPaletteEntry strip[KColourStripSize];
    std::memcpy(strip, Doc()->FColourStrip, sizeof strip);
    int32_t steps = Steps();
    uint32_t colour = 0;
    WhenModal([](QWidget* d) {
        EditCell(d, 37, "123456");
        EditCell(d, 50, "abcdef");
        Button(d, "OK")->click();
    });
    EXPECT_EQ(PaletteSetup_Run(&colour), 0);
    EXPECT_EQ(colour, 0xEFCDABu);
    EXPECT_EQ(PaletteEntryToColor(Doc()->FPalette[37]), 0x563412u);
    EXPECT_EQ(PaletteEntryToColor(Doc()->FPalette[50]), 0xEFCDABu);
    EXPECT_EQ(Doc()->FFormModified, 1) << "an icon saves its palette: closing must ask";
    EXPECT_EQ(TToolBar_GetPrimaryColor(), 0x563412u);
    EXPECT_EQ(TToolBar_GetSecondaryColor(), 0xEFCDABu);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(std::memcmp(strip, Doc()->FColourStrip, sizeof strip), 0);
    QImage popup = FBar->FPopupGrid->FHandle->grab().toImage();
    EXPECT_EQ(popup.pixel(CellCentre(37, 12)) & 0xFFFFFF, 0x123456u);

    // Chosen since from the strip (entry 0, black), the secondary no longer follows cell 50.
    PaletteForm_StylusDown(FBar->FStrip, 6, 9);
    PaletteForm_StylusUp(FBar->FStrip, 6, 9);
    QApplication::processEvents();
    ASSERT_EQ(TToolBar_GetSecondaryColor(), 0u);
    steps = Steps();
    WhenModal([](QWidget* d) {
        EditCell(d, 50, "010101");
        Button(d, "OK")->click();
    });
    EXPECT_EQ(PaletteSetup_Run(nullptr), 0);
    EXPECT_EQ(PaletteEntryToColor(Doc()->FPalette[50]), 0x010101u);
    EXPECT_EQ(TToolBar_GetSecondaryColor(), 0u);
    EXPECT_EQ(Steps(), steps);
}

TEST_F(PaletteSetupTest, CancelFromTheMenu_ChangesNothing) {
    PopupPick(37);
    TPaletteEntry palette[KPaletteSize];
    std::memcpy(palette, Doc()->FPalette, sizeof palette);
    uint32_t primary = TToolBar_GetPrimaryColor();
    bool menusOff = false;
    WhenModal([&menusOff, this](QWidget* d) {
        menusOff = !FForm->FMenuBar->isEnabled();
        EditCell(d, 37, "000000");
        Button(d, "Cancel")->click();
    });
    Trigger(KCmdPalette);
    EXPECT_TRUE(menusOff);
    EXPECT_TRUE(FForm->FMenuBar->isEnabled());
    EXPECT_TRUE(SamePalette(Doc()->FPalette, palette));
    EXPECT_EQ(Doc()->FFormModified, 0);
    EXPECT_EQ(TToolBar_GetPrimaryColor(), primary);
    uint32_t colour = 7;
    WhenModal([](QWidget* d) { QTest::keyClick(d, Qt::Key_Escape); });
    EXPECT_EQ(PaletteSetup_Run(&colour), -1);
    EXPECT_EQ(colour, 7u);
}

} // namespace
