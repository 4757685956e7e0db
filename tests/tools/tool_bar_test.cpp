// The tool bar in the running main window: its places, pictures and group menus; selecting
// tools from the buttons; the swatches and their overlap; picks from the popup palette and the
// strip with the secondary colour's undo step; the recent-colour strip; the width list and each
// freehand tool's own width; and strokes that reach the current tool through the canvas.
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "document/render_window.h"
#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "shell/main_form_fixture.h"
#include "support/test_support.h"
#include "tools/image_button.h"
#include "tools/palette_form.h"
#include "tools/text_hooks.h"
#include "tools/tool_bar.h"

namespace {

// The tool id of each slot, as the tool bar's table has it.
const int32_t KSlotToolIds[KToolBarUsedSlots] = {1,  2, 3, 4, 10, 13, 14, 15,
                                                 16, 5, 6, 7, 8,  9,  11, 12};

int GActivations = 0;
TToolProc GEraserActivate = nullptr;
void CountingActivate(TTool* tool) {
    ++GActivations;
    GEraserActivate(tool);
}

class ToolBarTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        Start();
        ASSERT_NE(FForm->FToolBar, nullptr);
        FBar = FForm->FToolBar;
        ASSERT_EQ(TMainForm_NewImage(FForm, 32, 32), 0);
        QApplication::processEvents();
    }

    void Click(QWidget* widget, QPoint at = QPoint(2, 2)) {
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, at);
        QApplication::processEvents();
    }
    void ClickSlot(int32_t slot) { Click(FBar->FSlots[slot].FButton->FHandle); }

    // A mouse event on the render window at the middle of image pixel (x, y).
    void Mouse(QEvent::Type type, int32_t x, int32_t y) {
        TPoint p = TWorkForm_ImageToClient(Doc(), {x, y});
        int32_t half = int32_t(TWorkForm_GetZoomFactor(Doc()) / 2);
        QPointF local(p.x + half, p.y + half);
        QWidget* window = Doc()->FRenderWindow->FWidget;
        Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, local, window->mapToGlobal(local), button, held, Qt::NoModifier);
        QApplication::sendEvent(window, &event);
    }
    void Stroke(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        Mouse(QEvent::MouseButtonPress, x0, y0);
        Mouse(QEvent::MouseMove, x1, y1);
        Mouse(QEvent::MouseButtonRelease, x1, y1);
        QApplication::processEvents();
    }

    uint32_t Pixel(int32_t x, int32_t y, uint32_t* mask) {
        return BackgroundPixel(Doc(), x, y, mask);
    }
    int32_t Steps() { return TUndoHistory_GetPosition(Doc()->FHistory); }

    TToolBar* FBar = nullptr;
};

TEST_F(ToolBarTest, Building_PlacesPicturesMenusAndThePenCurrent) {
    EXPECT_EQ(FBar->FHandle->geometry(), QRect(0, 0, FForm->FClient->width(), 40));
    for (int32_t i = 0; i < KToolBarUsedSlots; ++i) {
        const TToolSlot& slot = FBar->FSlots[i];
        ASSERT_NE(slot.FButton, nullptr) << i;
        EXPECT_EQ(slot.FButtonId, 200 + i);
        EXPECT_EQ(slot.FButton->FImages.size(), 4) << "every place shows its picture: " << i;
        QRect place = slot.FButton->FHandle->geometry();
        EXPECT_EQ(place, QRect(i < 9 ? i * 22 : -9999, 0, 22, 22)) << i;
        // Every place holds its tool.
        ASSERT_NE(slot.FTool, nullptr) << i;
        EXPECT_EQ(slot.FTool->FId, KSlotToolIds[i]) << i;
        EXPECT_NE(slot.FButton->FState, IBST_DISABLED) << i;
    }
    EXPECT_EQ(FBar->FSlots[0].FTool->FId, TTI_FREEPEN);
    EXPECT_EQ(FBar->FSlots[1].FTool->FId, TTI_ERASER);
    EXPECT_EQ(TToolBar_GetCurrentTool(), FBar->FSlots[0].FTool);
    EXPECT_EQ(ImageButton_GetCheck(FBar->FSlots[0].FButton), 1);
    EXPECT_EQ(DocumentHost_GetCurrentTool(), TTI_FREEPEN);
    EXPECT_EQ(TToolBar_GetPrimaryColor(), 0u);
    EXPECT_EQ(TToolBar_GetSecondaryColor(), 0xFFFFFFu);
    EXPECT_EQ(FBar->FWidthButton->text(), "1");
    EXPECT_TRUE(FBar->FWidthCombo->isHidden());
    EXPECT_TRUE(FBar->FPopup->isHidden());
    EXPECT_EQ(FBar->FStrip->FHandle->geometry(), QRect(24, 22, 204, 18));
    EXPECT_EQ(FBar->FPaletteButton->FHandle->geometry(), QRect(228, 22, 12, 18));

    // The two group menus, in slot order, each member with its own menu.
    QStringList line, selection;
    for (QAction* a : FBar->FSlots[3].FMenu->actions())
        line << a->text();
    for (QAction* a : FBar->FSlots[4].FMenu->actions())
        selection << a->text();
    EXPECT_EQ(line, QStringList({"Solid Line", "Dash Line", "Rectangle", "Filled Rectangle",
                                 "Ellipse", "Filled Ellipse"}));
    EXPECT_EQ(selection, QStringList({"Selection", "Cut Selection", "Copy Selection"}));
    EXPECT_EQ(FBar->FSlots[13].FMenu, FBar->FSlots[3].FMenu);
    EXPECT_EQ(FBar->FSlots[15].FMenu, FBar->FSlots[4].FMenu);
    EXPECT_EQ(FBar->FSlots[3].FMenuLast, 5);
    EXPECT_EQ(FBar->FSlots[4].FMenuLast, 2);
    EXPECT_TRUE(FBar->FSlots[3].FMenu->actions()[0]->isChecked());
    QMenu* menu = FBar->FSlots[3].FMenu;
    menu->ensurePolished();
    EXPECT_EQ(menu->actionGeometry(menu->actions()[0]).height(), 18);
}

TEST_F(ToolBarTest, Buttons_SelectTheirToolAndATapOnTheCurrentOneActivatesItAgain) {
    GEraserActivate = FBar->FSlots[1].FTool->FOnActivate;
    FBar->FSlots[1].FTool->FOnActivate = CountingActivate;
    GActivations = 0;
    ClickSlot(1);
    EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_ERASER);
    EXPECT_EQ(ImageButton_GetCheck(FBar->FSlots[0].FButton), 0);
    EXPECT_EQ(ImageButton_GetCheck(FBar->FSlots[1].FButton), 1);
    ClickSlot(1);
    EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_ERASER);
    EXPECT_EQ(GActivations, 2);
    EXPECT_EQ(FBar->FSlots[1].FChecked, 1);
    EXPECT_EQ(FBar->FSlots[0].FChecked, 0);
    FBar->FSlots[1].FTool->FOnActivate = GEraserActivate;
    // Selecting through the host, as Paste does, and an id no slot holds.
    DocumentHost_SelectTool(TTI_FREEPEN);
    EXPECT_EQ(DocumentHost_GetCurrentTool(), TTI_FREEPEN);
    DocumentHost_SelectTool(99);
    EXPECT_EQ(DocumentHost_GetCurrentTool(), TTI_FREEPEN);
}

TEST_F(ToolBarTest, GroupPlace_ShowsTheMemberChosenLastAndATapOnItOpensTheMenu) {
    QMenu* menu = FBar->FSlots[3].FMenu;
    for (QAction* item : menu->actions())
        EXPECT_TRUE(item->isEnabled()) << item->text().toStdString();

    ClickSlot(3);
    EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_SOLID_LINE);
    EXPECT_FALSE(menu->isVisible());
    ClickSlot(3);
    ASSERT_TRUE(menu->isVisible()) << "a tap on the current member opens the group's menu";
    EXPECT_EQ(menu->pos(), FBar->FHandle->mapToGlobal(QPoint(66, 22)));

    // Pointing at an item moves the group's check to it; choosing it selects its tool, whose
    // button takes the group's place.
    menu->setActiveAction(menu->actions()[1]);
    menu->grab();
    EXPECT_TRUE(menu->actions()[1]->isChecked());
    EXPECT_FALSE(menu->actions()[0]->isChecked());
    menu->actions()[1]->trigger();
    menu->hide();
    QApplication::processEvents();
    EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_DASH_LINE);
    QWidget* dash = FBar->FSlots[9].FButton->FHandle;
    EXPECT_EQ(dash->geometry(), QRect(66, 0, 22, 22));
    EXPECT_TRUE(dash->isVisible());
    EXPECT_EQ(ImageButton_GetCheck(FBar->FSlots[9].FButton), 1);
    EXPECT_EQ(ImageButton_GetCheck(FBar->FSlots[3].FButton), 0);
    EXPECT_EQ(FBar->FHandle->childAt(70, 5), dash) << "on top of the solid line's button";
    // A tool that leaves keeps the place showing it until another member is chosen.
    ClickSlot(0);
    EXPECT_EQ(FBar->FHandle->childAt(70, 5), dash);
}

TEST_F(ToolBarTest, Swatches_ThePrimaryWinsTheOverlapAndPickTargetsFollow) {
    QWidget* window = FBar->FHandle;
    Click(window, QPoint(230, 18)); // the secondary only
    EXPECT_EQ(TToolBar_GetSwatch(), 1);
    EXPECT_EQ(FBar->FStrip->FPickTarget, 1);
    EXPECT_EQ(FBar->FPopupGrid->FPickTarget, 1);
    Click(window, QPoint(221, 10)); // inside both
    EXPECT_EQ(TToolBar_GetSwatch(), 0);
    EXPECT_EQ(FBar->FStrip->FPickTarget, 0);
    Click(window, QPoint(221, 19)); // below the primary: the secondary's
    EXPECT_EQ(TToolBar_GetSwatch(), 1);
    Click(window, QPoint(100, 30)); // nothing
    EXPECT_EQ(TToolBar_GetSwatch(), 1);
    TDrawAttr attr;
    TToolBar_GetDrawAttr(&attr);
    EXPECT_EQ(attr.FColor, 0xFFFFFFu);
    EXPECT_EQ(attr.FMaskValue, 0u);

    // The painted swatches: the selected one framed white inside its black edge.
    TToolBar_SetPrimaryColor(0x0000FF);
    QApplication::processEvents();
    QImage bar = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(bar.pixel(208, 1), qRgb(0, 0, 0));
    EXPECT_EQ(bar.pixel(212, 8), qRgb(255, 0, 0)) << "the primary, red, over the secondary";
    EXPECT_EQ(bar.pixel(220, 18), qRgb(255, 255, 255)) << "the selected secondary's white frame";
    EXPECT_EQ(bar.pixel(228, 14), qRgb(255, 255, 255)) << "its colour, white";
}

TEST_F(ToolBarTest, PopupPick_OnTheSecondarySetsItWithOneUndoStepAndJoinsTheStrip) {
    TWorkForm* doc = Doc();
    ASSERT_EQ(FBar->FPopupGrid->FEntries, doc->FPalette);
    ASSERT_EQ(FBar->FStrip->FEntries, doc->FColourStrip);
    Click(FBar->FHandle, QPoint(230, 18));
    Click(FBar->FPaletteButton->FHandle);
    ASSERT_TRUE(FBar->FPopup->isVisible());
    EXPECT_EQ(FBar->FPopup->geometry(),
              QRect(FBar->FHandle->mapToGlobal(QPoint(24, 40)), QSize(194, 194)));
    TPaletteEntry before15 = doc->FColourStrip[15];
    TPaletteEntry before3 = doc->FColourStrip[3];
    const int32_t cell = 37; // column 5, row 2
    uint32_t wanted = PaletteEntryToColor(doc->FPalette[cell]);
    int32_t steps = Steps();
    Click(FBar->FPopupGrid->FHandle, QPoint(5 * 12 + 6, 2 * 12 + 6));

    EXPECT_TRUE(FBar->FPopup->isHidden());
    EXPECT_EQ(ImageButton_GetCheck(FBar->FPaletteButton), 0);
    EXPECT_EQ(TToolBar_GetSecondaryColor(), wanted);
    EXPECT_EQ(TToolBar_GetPrimaryColor(), 0u);
    EXPECT_EQ(doc->FSecondaryIndex, cell);
    EXPECT_EQ(Steps(), steps + 1);
    // The strip: entry 2 dropped, the rest moved down, the colour at the end.
    EXPECT_EQ(doc->FColourStripCount, 16);
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[16]), wanted);
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[2]), PaletteEntryToColor(before3));
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[14]), PaletteEntryToColor(before15));
    EXPECT_EQ(FBar->FStrip->FSecondary, 16);

    // Undo and redo swap the colour back and forth without recording anything else.
    TWorkForm_Undo(doc);
    EXPECT_EQ(TToolBar_GetSecondaryColor(), 0xFFFFFFu);
    EXPECT_EQ(Steps(), steps);
    EXPECT_EQ(TUndoHistory_GetRedoCount(doc->FHistory), 1);
    TWorkForm_Redo(doc);
    EXPECT_EQ(TToolBar_GetSecondaryColor(), wanted);
    EXPECT_EQ(Steps(), steps + 1);

    // The same colour again records nothing; the canvas shows the colour where transparent.
    TToolBar_SetSecondaryColor(wanted);
    EXPECT_EQ(Steps(), steps + 1);
}

TEST_F(ToolBarTest, PaletteButton_TogglesThePopupAndAClickElsewhereReleasesIt) {
    Click(FBar->FPaletteButton->FHandle);
    ASSERT_TRUE(FBar->FPopup->isVisible());
    EXPECT_EQ(ImageButton_GetCheck(FBar->FPaletteButton), 1);
    FBar->FPopup->hide(); // what losing activation does
    EXPECT_EQ(ImageButton_GetCheck(FBar->FPaletteButton), 0);
    Click(FBar->FPaletteButton->FHandle);
    EXPECT_TRUE(FBar->FPopup->isVisible());
    TToolBar_OnCommand(KPaletteButtonId); // as the button's own press would, now released
    ImageButton_SetCheck(FBar->FPaletteButton, 0);
    TToolBar_OnCommand(KPaletteButtonId);
    EXPECT_TRUE(FBar->FPopup->isHidden());
}

TEST_F(ToolBarTest, Strip_PicksForTheSelectedSwatchAndRecentColoursShift) {
    TWorkForm* doc = Doc();
    uint32_t fifth = PaletteEntryToColor(doc->FColourStrip[5]);
    Click(FBar->FStrip->FHandle, QPoint(5 * 12 + 6, 9));
    EXPECT_EQ(TToolBar_GetPrimaryColor(), fifth);
    EXPECT_EQ(Steps(), 0) << "the primary colour records no step";

    // A short strip grows by one; a cell of the other swatch past entry 2 follows its colour.
    doc->FColourStripCount = 5;
    PaletteForm_SelectSecondary(FBar->FStrip, 4);
    TToolBar_AddRecentColor(0x123456);
    EXPECT_EQ(doc->FColourStripCount, 6);
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[6]), 0x123456u);
    EXPECT_EQ(FBar->FStrip->FPrimary, 6);
    EXPECT_EQ(FBar->FStrip->FSecondary, 3);
    // The two fixed entries stay.
    PaletteForm_SelectSecondary(FBar->FStrip, 1);
    doc->FColourStripCount = 17;
    TToolBar_AddRecentColor(0x654321);
    EXPECT_EQ(FBar->FStrip->FSecondary, 1);
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[0]), 0u);
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[1]), 0xFFFFFFu);
    EXPECT_EQ(PaletteEntryToColor(doc->FColourStrip[16]), 0x654321u);
}

TEST_F(ToolBarTest, Documents_RebindTheGridsAndAClosedOneLeavesNothingBound) {
    TWorkForm* first = Doc();
    ASSERT_EQ(TMainForm_NewImage(FForm, 16, 16), 0);
    ASSERT_NE(Doc(), first);
    EXPECT_EQ(FBar->FPopupGrid->FEntries, Doc()->FPalette);
    EXPECT_EQ(FBar->FStrip->FEntries, Doc()->FColourStrip);
    EXPECT_EQ(FBar->FStripCount, &Doc()->FColourStripCount);
    ASSERT_EQ(TMainForm_CloseAll(FForm, 0), 0);
    EXPECT_EQ(FBar->FPopupGrid->FEntries, nullptr);
    EXPECT_EQ(FBar->FStrip->FEntries, nullptr);
    TToolBar_AddRecentColor(0x112233); // nothing to write into
    FBar->FStrip->FHandle->repaint();
}

TEST_F(ToolBarTest, WidthList_SetsTheWidthTheToolsDrawWithAndEachFreehandToolKeepsItsOwn) {
    Click(FBar->FWidthButton);
    EXPECT_TRUE(FBar->FWidthButton->isHidden());
    EXPECT_TRUE(FBar->FWidthCombo->isVisible());
    FBar->FWidthCombo->setCurrentIndex(4); // "5"
    FBar->FWidthCombo->hidePopup();
    EXPECT_EQ(TToolBar_GetPenWidth(), 5);
    EXPECT_EQ(FBar->FWidthButton->text(), "5");
    EXPECT_TRUE(FBar->FWidthButton->isVisible());
    EXPECT_TRUE(FBar->FWidthCombo->isHidden());

    // The pen taps a dot five wide: radius 2 around the centre.
    Stroke(10, 10, 10, 10);
    uint32_t mask = 0;
    EXPECT_EQ(Pixel(12, 10, &mask), 0u);
    EXPECT_NE(mask, 0u);
    EXPECT_EQ(Pixel(13, 10, &mask), 0u);
    EXPECT_EQ(mask, 0u) << "outside the dot: still the blank image";
    EXPECT_EQ(Steps(), 1);

    ClickSlot(1);
    EXPECT_EQ(TToolBar_GetPenWidth(), 1) << "the eraser's own width";
    TToolBar_SetPenWidth(3);
    ClickSlot(0);
    EXPECT_EQ(TToolBar_GetPenWidth(), 5) << "the pen's width comes back";
    EXPECT_EQ(FBar->FWidthButton->text(), "5");
    ClickSlot(1);
    EXPECT_EQ(TToolBar_GetPenWidth(), 3);
    TToolBar_SetPenWidth(0);
    EXPECT_EQ(TToolBar_GetPenWidth(), 3) << "below 1 is ignored";
}

TEST_F(ToolBarTest, Strokes_ReachTheCurrentToolWithItsColoursAndStatusTexts) {
    Paint(0x00FF00);
    TToolBar_SetSecondaryColor(0x0000FF);
    int32_t steps = Steps();
    // The pen with the primary swatch: black and visible; the status follows the stylus.
    Mouse(QEvent::MouseButtonPress, 2, 2);
    EXPECT_EQ(PaneText(0), "FreePen: (2, 2)");
    Mouse(QEvent::MouseMove, 6, 2);
    EXPECT_EQ(PaneText(0), "FreePen: (6, 2)");
    Mouse(QEvent::MouseButtonRelease, 6, 2);
    EXPECT_EQ(PaneText(0), "");
    uint32_t mask = 0;
    for (int32_t x = 2; x <= 6; ++x) {
        EXPECT_EQ(Pixel(x, 2, &mask), 0u) << x;
        EXPECT_NE(mask, 0u);
    }
    EXPECT_EQ(Steps(), steps + 1);

    // The pen with the secondary swatch makes the pixels transparent (held as black), so the
    // canvas shows the secondary colour there.
    Click(FBar->FHandle, QPoint(230, 18));
    Stroke(2, 5, 6, 5);
    EXPECT_EQ(Pixel(4, 5, &mask), 0u);
    EXPECT_EQ(mask, 0u);
    EXPECT_EQ(TImage_GetPixel(Doc()->FComposite->FImage, 4, 5), 0x0000FFu);

    // The eraser with the primary swatch still erases to transparent.
    Click(FBar->FHandle, QPoint(210, 3));
    ClickSlot(1);
    Mouse(QEvent::MouseButtonPress, 2, 8);
    EXPECT_EQ(PaneText(0), "Eraser: (2, 8)");
    Mouse(QEvent::MouseMove, 6, 8);
    Mouse(QEvent::MouseButtonRelease, 6, 8);
    EXPECT_EQ(Pixel(4, 8, &mask), 0u);
    EXPECT_EQ(mask, 0u);
    EXPECT_EQ(TImage_GetPixel(Doc()->FComposite->FImage, 4, 8), 0x0000FFu);
    EXPECT_EQ(Pixel(4, 9, &mask), 0x00FF00u);
    EXPECT_NE(mask, 0u);
    EXPECT_EQ(Steps(), steps + 3);

    TWorkForm_Undo(Doc());
    EXPECT_EQ(Pixel(4, 8, &mask), 0x00FF00u);
    EXPECT_NE(mask, 0u);
}

// Each line-group tool, chosen from the group's menu, draws its figure from a real drag on the
// render window as one step that undoes and redoes.
TEST_F(ToolBarTest, LineMenu_ItemsSelectToolsThatDrawThroughTheRenderWindow) {
    QMenu* menu = FBar->FSlots[3].FMenu;
    for (int32_t item = 0; item < 6; ++item) {
        menu->actions()[item]->trigger();
        QApplication::processEvents();
        EXPECT_EQ(TToolBar_GetCurrentTool()->FId, KSlotToolIds[item ? 8 + item : 3]);
        Paint(0xFFFFFF);
        TUndoHistory_Clear(Doc()->FHistory);
        Mouse(QEvent::MouseButtonPress, 4, 4);
        Mouse(QEvent::MouseMove, 12, 9);
        EXPECT_EQ(PaneText(0), "(4, 4) - (12, 9) WH: 8x5");
        Mouse(QEvent::MouseMove, 20, 12);
        Mouse(QEvent::MouseButtonRelease, 20, 12);
        QApplication::processEvents();
        EXPECT_EQ(Steps(), 1) << item;
        uint32_t mask = 0;
        EXPECT_EQ(Pixel(8, 6, &mask) == 0, item == 0 || item == 3 || item == 5) << item;
        std::vector<uint32_t> drawn = Colours(TWorkForm_GetBackground(Doc())->FImage);
        TWorkForm_Undo(Doc());
        EXPECT_EQ(Pixel(8, 6, &mask), 0xFFFFFFu);
        TWorkForm_Redo(Doc());
        EXPECT_EQ(Colours(TWorkForm_GetBackground(Doc())->FImage), drawn);
    }
}

// Each selection tool, chosen from its group's menu: a drag marks, a drag inside moves what it
// lifted or copied, a tap outside commits; undo takes every step back and redo brings it again.
TEST_F(ToolBarTest, SelectionMenu_ToolsMarkMoveAndCommitThroughTheRenderWindow) {
    QMenu* menu = FBar->FSlots[4].FMenu;
    const int32_t modes[3] = {TSM_AREA, TSM_CUT, TSM_COPY};
    for (int32_t item = 0; item < 3; ++item) {
        menu->actions()[item]->trigger();
        QApplication::processEvents();
        EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_SELECTION + item);
        Paint(0xFFFFFF);
        TImage_SetPixelMasked(Background()->FImage, 3, 3, 0x0000FF, 0xFFFFFF);
        TUndoHistory_Clear(Doc()->FHistory);
        std::vector<uint32_t> start = Colours(Background()->FImage);
        Stroke(2, 2, 6, 6);
        EXPECT_EQ(Doc()->FSelectMode, modes[item]);
        Stroke(3, 3, 13, 4); // moved by (10, 1)
        Stroke(30, 30, 30, 30);
        EXPECT_EQ(Doc()->FSelectMode, TSM_NONE);
        uint32_t mask = 0;
        bool floated = item > 0;
        EXPECT_EQ(Pixel(13, 4, &mask), floated ? 0x0000FFu : 0xFFFFFFu) << item;
        EXPECT_EQ(Pixel(3, 3, &mask), item == 1 ? 0u : 0x0000FFu) << item;
        EXPECT_EQ(mask != 0, item != 1) << "a cut leaves a transparent hole";
        std::vector<uint32_t> end = Colours(Background()->FImage);
        while (Steps() > 0)
            TWorkForm_Undo(Doc());
        EXPECT_EQ(Colours(Background()->FImage), start) << item;
        while (TUndoHistory_GetRedoCount(Doc()->FHistory) > 0)
            TWorkForm_Redo(Doc());
        EXPECT_EQ(Colours(Background()->FImage), end) << item;
    }
}

// Paste hands over to the Selection tool, so the pasted picture can be dragged at once.
TEST_F(ToolBarTest, Paste_SelectsTheSelectionToolAndThePictureDragsAtOnce) {
    Paint(0xFFFFFF);
    TImage_SetPixelMasked(Background()->FImage, 1, 1, 0x00FF00, 0xFFFFFF);
    TRectXYWH area = {0, 0, 4, 4};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    Trigger(KCmdCopy);
    TWorkForm_CommitSelection(Doc());
    Trigger(KCmdPaste);
    EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_SELECTION);
    Stroke(1, 1, 21, 11);
    Stroke(30, 30, 30, 30);
    uint32_t mask = 0;
    EXPECT_EQ(Pixel(21, 11, &mask), 0x00FF00u);
}

// The fill tool floods the tapped region in the selected swatch's colour as one step.
TEST_F(ToolBarTest, Fill_FloodsTheTappedRegionThroughTheRenderWindow) {
    ClickSlot(2);
    ASSERT_EQ(TToolBar_GetCurrentTool()->FId, TTI_FILL);
    Paint(0xFFFFFF);
    TUndoHistory_Clear(Doc()->FHistory);
    TImage* image = Background()->FImage;
    for (int32_t y = 0; y < 32; ++y)
        TImage_SetPixelMasked(image, 10, y, 0x0000FF, 0xFFFFFF); // a wall at x = 10
    Mouse(QEvent::MouseButtonPress, 3, 3);
    EXPECT_EQ(PaneText(0), "Fill: (3, 3)");
    Mouse(QEvent::MouseButtonRelease, 3, 3);
    EXPECT_EQ(PaneText(0), "");
    uint32_t mask = 0;
    EXPECT_EQ(Pixel(9, 31, &mask), 0u);
    EXPECT_EQ(Pixel(11, 0, &mask), 0xFFFFFFu) << "beyond the wall";
    EXPECT_EQ(Steps(), 1);
    TWorkForm_Undo(Doc());
    EXPECT_EQ(Pixel(9, 31, &mask), 0xFFFFFFu);
}

// The text tool's place asks for a text at once and floats it where the view starts.
TEST_F(ToolBarTest, Text_PlacesItsTextAsAFloatingSelection) {
    TTextHooks hooks = {};
    hooks.FRunTextDialog = [](TTextForm* form) {
        form->FText = "Hi";
        form->FFont.FHeight = -12;
        form->FFont.FWeight = 400;
        return 0;
    };
    TextHooks_Install(&hooks);
    ClickSlot(7);
    EXPECT_EQ(TToolBar_GetCurrentTool()->FId, TTI_TEXT);
    EXPECT_EQ(Doc()->FSelectMode, TSM_COPY);
    EXPECT_EQ(Steps(), 1);
    ClickSlot(0); // leaving the tool puts the text down
    EXPECT_EQ(Doc()->FSelectMode, TSM_NONE);
    TextHooks_Install(nullptr);
}

} // namespace
