// The main form as the program starts it: the start-up document (blank, a readable file, an
// unreadable one), the window, the menu bar's texts and order, the menu states, the layout with
// and without the status bar, the status texts, and what the window looks like.
#include <string>
#include <vector>

#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>

#include "document/render_window.h"
#include "main_form_fixture.h"
#include "shell/size_presets.h"
#include "support/test_support.h"

namespace {

// ---- Start-up ----

TEST_F(MainFormTest, Start_WithoutPath_ShowsABlankPresetImageFitted) {
    Start();
    EXPECT_TRUE(FForm->FHandle->isVisible());
    EXPECT_EQ(FForm->FHandle->windowTitle(), "Mosaiko");
    EXPECT_EQ(FForm->FHandle->objectName(), "MOSAIKO");
    EXPECT_FALSE(FForm->FHandle->windowIcon().isNull());
    EXPECT_EQ(FForm->FWorkFormCount, 1);
    EXPECT_EQ(FForm->FActiveIndex, 0);
    EXPECT_EQ(TWorkForm_GetActive(), Doc());
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 32);
    EXPECT_EQ(Background()->FHeight, 32);
    // Transparent everywhere, so the canvas shows the secondary colour.
    for (int32_t y = 0; y < 32; ++y)
        for (int32_t x = 0; x < 32; ++x) {
            uint32_t colour = 0;
            EXPECT_EQ(TImage_GetPixelMasked(Background()->FImage, x, y, &colour), 0u);
        }
    // Fitted to the view the window really has: fitting again changes nothing.
    double zoom = Doc()->FZoom;
    EXPECT_EQ(Doc()->FFitMode, 1);
    TWorkForm_FitToScreen(Doc());
    EXPECT_EQ(Doc()->FZoom, zoom);
    EXPECT_GT(zoom, 1.0);
    EXPECT_FALSE(TWorkForm_IsModified(Doc()));
    EXPECT_TRUE(MessageBoxRecords().empty());
    // Fresh settings: the status bar hidden, the grid off.
    EXPECT_FALSE(TMainForm_IsStatusBarVisible(FForm));
    EXPECT_FALSE(TWorkForm_IsGridShown(Doc()));
}

// Stored settings are read at start; a preset past the table would name no size at all, so
// the default one is used.
TEST_F(MainFormTest, Start_ReadsStoredSettings_PresetOutsideTheTableGives32x32) {
    {
        QSettings settings = StoredSettings();
        settings.setValue("StartOption/CanvasSize", 99);
        settings.setValue("StartOption/UseGrid", 1);
        settings.setValue("MainForm/StatusBarVisible", 1);
    }
    Start();
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 32);
    EXPECT_EQ(Background()->FHeight, 32);
    EXPECT_TRUE(TWorkForm_IsGridShown(Doc()));
    EXPECT_TRUE(TMainForm_IsStatusBarVisible(FForm));
}

TEST_F(MainFormTest, Start_WithAReadableBmp_ShowsThatImageFitted) {
    std::string path = SharedDir() + "/corpus/bmp/bmp-24bit-im3-33x9.bmp";
    Start(path);
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 33);
    EXPECT_EQ(Background()->FHeight, 9);
    EXPECT_EQ(Doc()->FFileName, path);
    EXPECT_TRUE(FForm->FHandle->isVisible());
    double zoom = Doc()->FZoom;
    TWorkForm_FitToScreen(Doc());
    EXPECT_EQ(Doc()->FZoom, zoom);
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(MainFormTest, Start_WithAnUnreadablePath_ShowsTheErrorThenABlankImage) {
    std::string path = TestTempDir() + "/missing.bmp";
    Start(path);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
    EXPECT_FALSE(MessageBoxRecords()[0].FText.empty());
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 32);
    EXPECT_EQ(Background()->FHeight, 32);
    EXPECT_TRUE(Doc()->FFileName.empty());
    EXPECT_EQ(FForm->FWorkFormCount, 1);
    EXPECT_EQ(GetLastErrorCode(), EC_NONE);
}

// ---- The menu bar ----

void ListMenu(const QMenu* menu, const std::string& prefix, std::vector<std::string>* out) {
    for (QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            out->push_back(prefix + "-");
        } else if (action->menu()) {
            std::string name = prefix + action->text().toStdString();
            out->push_back(name + " >");
            ListMenu(action->menu(), name + "/", out);
        } else {
            out->push_back(prefix + action->objectName().toStdString() + " " +
                           action->text().toStdString());
        }
    }
}

TEST_F(MainFormTest, MenuBar_HoldsTheMenusAndButtonsExactlyInOrder) {
    Start();
    std::vector<std::string> items;
    for (QAction* action : FForm->FMenuBar->actions()) {
        if (action->isSeparator())
            items.push_back("|");
        else if (action->menu())
            ListMenu(action->menu(), action->text().toStdString() + "/", &items);
        else
            items.push_back("[" + action->objectName().toStdString() + " " +
                            action->toolTip().toStdString() + "]");
    }
    const std::vector<std::string> expected = {"File/40011 &New",
                                               "File/-",
                                               "File/40009 &Open...",
                                               "File/40012 &Save",
                                               "File/40013 Save &As...",
                                               "File/-",
                                               "File/40047 &Preference",
                                               "File/-",
                                               "File/40048 &Help",
                                               "File/40003 About",
                                               "File/-",
                                               "File/40004 E&xit",
                                               "Edit/40024 &Undo",
                                               "Edit/40025 &Redo",
                                               "Edit/-",
                                               "Edit/40129 C&lear",
                                               "Edit/-",
                                               "Edit/40051 &Copy",
                                               "Edit/40049 C&ut",
                                               "Edit/40050 &Paste",
                                               "Edit/-",
                                               "Edit/40052 Cr&op",
                                               "Edit/-",
                                               "Edit/40137 Select &All",
                                               "Edit/40138 Select &None",
                                               "Edit/Ro&tate >",
                                               "Edit/Ro&tate/40131 Right 90",
                                               "Edit/Ro&tate/40132 Left 90",
                                               "Edit/Ro&tate/40133 180",
                                               "Edit/Fl&ip >",
                                               "Edit/Fl&ip/40134 &Horizontal",
                                               "Edit/Fl&ip/40135 &Vertical",
                                               "View/40020 Zoom &In",
                                               "View/40021 Zoom &Out",
                                               "View/40140 &FitToScreen",
                                               "View/-",
                                               "View/40058 &Actual Size",
                                               "View/-",
                                               "View/40019 &Grid",
                                               "Adj./40065 &Brightness/Contrast",
                                               "Adj./40066 &Palette",
                                               "Adj./40068 &Image Size",
                                               "Adj./40069 In&vert",
                                               "Adj./40070 &Grayscale",
                                               "Adj./40139 Change &Color",
                                               "|",
                                               "[40079 Enable grid]",
                                               "[40080 Actual size]",
                                               "[40081 Zoom in]",
                                               "[40082 Zoom out]",
                                               "[40154 Show Info]"};
    EXPECT_EQ(items, expected);

    // The Edit and View menus answer to their numbers; every button shows its image.
    EXPECT_NE(FForm->FHandle->findChild<QMenu*>("40023"), nullptr);
    EXPECT_NE(FForm->FHandle->findChild<QMenu*>("40053"), nullptr);
    for (int id : {40079, 40080, 40081, 40082, 40154}) {
        ASSERT_NE(Action(id), nullptr);
        EXPECT_FALSE(Action(id)->icon().isNull()) << id;
    }
}

TEST_F(MainFormTest, Shortcuts_AreBoundAndColourCountHasNoMenuItem) {
    Start();
    auto keys = [this](int id) {
        QStringList texts;
        for (const QKeySequence& key : Action(id)->shortcuts())
            texts << key.toString(QKeySequence::PortableText);
        return texts.join(" ").toStdString();
    };
    EXPECT_EQ(keys(KCmdAbout), "Ctrl+A");
    EXPECT_EQ(keys(KCmdClose), "Ctrl+Q");
    EXPECT_EQ(keys(KCmdNew), "Ctrl+N");
    EXPECT_EQ(keys(KCmdOpen), "Ctrl+O");
    EXPECT_EQ(keys(KCmdSave), "Ctrl+S");
    EXPECT_EQ(keys(KCmdSaveAs), "Ctrl+Shift+S");
    EXPECT_EQ(keys(KCmdUndo), "Ctrl+Z");
    EXPECT_EQ(keys(KCmdRedo), "Ctrl+Y Ctrl+Shift+Z");
    EXPECT_EQ(keys(KCmdCut), "Ctrl+X");
    EXPECT_EQ(keys(KCmdCopy), "Ctrl+C");
    EXPECT_EQ(keys(KCmdPaste), "Ctrl+V");
    EXPECT_EQ(keys(KCmdClear), "Del");
    EXPECT_EQ(keys(KCmdZoomIn), "Ctrl++ Ctrl+=");
    EXPECT_EQ(keys(KCmdZoomOut), "Ctrl+-");
    EXPECT_EQ(keys(KCmdColorCount), "Ctrl+Shift+U");
    // The count and the close request live on the window, in no menu.
    for (int id : {KCmdColorCount, KCmdClose}) {
        ASSERT_NE(Action(id), nullptr);
        EXPECT_TRUE(FForm->FHandle->actions().contains(Action(id))) << id;
    }
}

// ---- Menu states ----

struct TStates {
    bool FUndo, FRedo, FCopy, FCut, FCrop, FSelectNone, FPaste, FActual, FActualButton, FGrid,
        FGridButton;
};

class MenuStateTest : public MainFormTest {
  protected:
    TStates States() {
        return {Action(KCmdUndo)->isEnabled(),
                Action(KCmdRedo)->isEnabled(),
                Action(KCmdCopy)->isEnabled(),
                Action(KCmdCut)->isEnabled(),
                Action(KCmdCrop)->isEnabled(),
                Action(KCmdSelectNone)->isEnabled(),
                Action(KCmdPaste)->isEnabled(),
                Action(KCmdActualSize)->isChecked(),
                Action(KCmdActualSizeButton)->isChecked(),
                Action(KCmdGrid)->isChecked(),
                Action(KCmdGridButton)->isChecked()};
    }
};

TEST_F(MenuStateTest, FreshDocument_EverythingOff) {
    Start();
    TStates s = States();
    EXPECT_FALSE(s.FUndo || s.FRedo || s.FCopy || s.FCut || s.FCrop || s.FSelectNone || s.FPaste);
    EXPECT_FALSE(s.FActual || s.FActualButton || s.FGrid || s.FGridButton);
    // Items without a state rule stay enabled.
    EXPECT_TRUE(Action(KCmdInvert)->isEnabled());
    EXPECT_TRUE(Action(KCmdSelectAll)->isEnabled());
}

TEST_F(MenuStateTest, Selections_AreaEnablesCopyCutCrop_FloatingOnlySelectNone) {
    Start();
    TRectXYWH area = {2, 2, 8, 8};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    TMainForm_UpdateMenus(FForm);
    TStates s = States();
    EXPECT_TRUE(s.FCopy && s.FCut && s.FCrop && s.FSelectNone);
    EXPECT_FALSE(s.FPaste);

    TWorkForm_CommitSelection(Doc());
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_COPY_FLOAT), 0);
    TMainForm_UpdateMenus(FForm);
    s = States();
    EXPECT_TRUE(s.FSelectNone);
    EXPECT_FALSE(s.FCopy || s.FCut || s.FCrop);
}

TEST_F(MenuStateTest, UndoAndRedo_FollowTheHistory) {
    Start();
    Trigger(KCmdInvert);
    EXPECT_TRUE(States().FUndo);
    EXPECT_FALSE(States().FRedo);
    Trigger(KCmdUndo);
    EXPECT_FALSE(States().FUndo);
    EXPECT_TRUE(States().FRedo);
}

TEST_F(MenuStateTest, Paste_FollowsTheClipboardOursOrAnotherProgramsPicture) {
    Start();
    TRectXYWH area = {0, 0, 4, 4};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    Trigger(KCmdCopy);
    EXPECT_TRUE(ClipboardOffers(KClipboardMimeType));
    EXPECT_TRUE(States().FPaste);

    QApplication::clipboard()->clear();
    QApplication::processEvents();
    TMainForm_UpdateMenus(FForm);
    EXPECT_FALSE(States().FPaste);

    QMimeData* data = new QMimeData;
    data->setData("image/png", QByteArray("not checked until Paste runs"));
    QApplication::clipboard()->setMimeData(data);
    QApplication::processEvents();
    TMainForm_UpdateMenus(FForm);
    EXPECT_TRUE(States().FPaste);

    QApplication::clipboard()->setText("words only");
    QApplication::processEvents();
    TMainForm_UpdateMenus(FForm);
    EXPECT_FALSE(States().FPaste);
}

TEST_F(MenuStateTest, ActualSizeAndGrid_AreCheckedWithTheirButtons) {
    Start();
    TWorkForm_SetZoom(Doc(), 1.0);
    TWorkForm_ShowGrid(Doc());
    TMainForm_UpdateMenus(FForm);
    TStates s = States();
    EXPECT_TRUE(s.FActual && s.FActualButton && s.FGrid && s.FGridButton);
}

TEST_F(MenuStateTest, NoDocument_EverythingOff) {
    Start();
    TRectXYWH area = {0, 0, 4, 4};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    Trigger(KCmdCopy);
    TWorkForm_SetZoom(Doc(), 1.0);
    ASSERT_EQ(TMainForm_CloseAll(FForm, 0), 0);
    TMainForm_UpdateMenus(FForm);
    TStates s = States();
    EXPECT_FALSE(s.FUndo || s.FRedo || s.FCopy || s.FCut || s.FCrop || s.FSelectNone || s.FPaste);
    EXPECT_FALSE(s.FActual || s.FActualButton || s.FGrid || s.FGridButton);
}

// The states are refreshed before a key or button reaches the window, not on mouse moves.
TEST_F(MenuStateTest, KeysAndClicksRefreshTheStatesFirst_MovesDoNot) {
    Start();
    TRectXYWH area = {1, 1, 4, 4};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    QWidget* view = Doc()->FScrollArea;
    QTest::mouseMove(view, QPoint(5, 5));
    EXPECT_FALSE(Action(KCmdCopy)->isEnabled());
    QTest::keyClick(FForm->FMenuBar, Qt::Key_Shift);
    EXPECT_TRUE(Action(KCmdCopy)->isEnabled());

    TWorkForm_CommitSelection(Doc());
    QTest::mousePress(FForm->FClient, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QTest::mouseRelease(FForm->FClient, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    EXPECT_FALSE(Action(KCmdCopy)->isEnabled());
}

// ---- Layout and status texts ----

TEST_F(MainFormTest, Layout_StatusBarHiddenTheDocumentReachesTheBottom) {
    Start();
    QRect client = FForm->FClient->rect();
    QRect formRect = Doc()->FWindow->geometry();
    EXPECT_EQ(formRect, QRect(0, KToolBarBand, client.width(), client.height() - KToolBarBand));
    EXPECT_EQ(Doc()->FBounds.y + Doc()->FBounds.height, client.height());
}

TEST_F(MainFormTest, Layout_StatusBarShownTheDocumentEndsOnePixelAboveIt) {
    StoredSettings().setValue("MainForm/StatusBarVisible", 1);
    Start();
    ASSERT_TRUE(TMainForm_IsStatusBarVisible(FForm));
    QRect client = FForm->FClient->rect();
    QRect bar = FForm->FStatusBar->FHandle->geometry();
    int h = TStatusBar_GetHeight(FForm->FStatusBar);
    EXPECT_EQ(bar, QRect(0, client.height() - h, client.width(), h));
    QRect formRect = Doc()->FWindow->geometry();
    EXPECT_EQ(formRect.top(), KToolBarBand);
    EXPECT_EQ(formRect.bottom() + 1, bar.top() - 1);
    EXPECT_EQ(formRect.width(), client.width());
    // Two panes: the image size's, wide enough for the widest size (and at least 50), and the
    // rest less 3.
    ASSERT_EQ(FForm->FStatusBar->FPaneCount, 2);
    const int32_t size = FForm->FStatusBar->FPanes[1].FPaneWidth;
    EXPECT_GE(size, 50);
    EXPECT_GE(size, QFontMetrics(*FForm->FStatusBar->FFont).horizontalAdvance("65535x65535") + 6);
    EXPECT_EQ(FForm->FStatusBar->FPanes[0].FPaneWidth, client.width() - size - 3);
    EXPECT_EQ(PaneText(1), "32x32");

    // A bigger window: the layout follows.
    FForm->FHandle->resize(FForm->FHandle->width() + 30, FForm->FHandle->height() + 20);
    QApplication::processEvents();
    client = FForm->FClient->rect();
    EXPECT_EQ(FForm->FStatusBar->FHandle->geometry(),
              QRect(0, client.height() - h, client.width(), h));
    EXPECT_EQ(Doc()->FWindow->geometry().bottom() + 1, client.height() - h - 1);
    EXPECT_EQ(FForm->FStatusBar->FPanes[0].FPaneWidth, client.width() - size - 3);
}

TEST_F(MainFormTest, StatusTexts_PointRangeAndSize) {
    StoredSettings().setValue("MainForm/StatusBarVisible", 1);
    Start();
    TMainForm_ShowPoint(3, 4);
    EXPECT_EQ(PaneText(0), "XY: 3,4");
    TMainForm_ShowRange(10, 5, 3, 5);
    EXPECT_EQ(PaneText(0), "XY1: 10,5 XY2: 3,5 WH: 8x1");
    TMainForm_ShowRange(-2, 7, 2, -1);
    EXPECT_EQ(PaneText(0), "XY1: -2,7 XY2: 2,-1 WH: 5x9");
    TMainForm_SetStatusText(FForm, "Hello");
    EXPECT_EQ(PaneText(0), "Hello");
    TMainForm_SetStatusText(nullptr, "ignored");
    EXPECT_EQ(PaneText(0), "Hello");
    // The document reports a new size through the host.
    ASSERT_EQ(TWorkForm_ResizeImage(Doc(), 20, 10, 0), 0);
    TWorkForm_Undo(Doc());
    EXPECT_EQ(PaneText(1), "32x32");
    TWorkForm_Redo(Doc());
    EXPECT_EQ(PaneText(1), "20x10");
}

// ---- How it looks ----

bool IsChecker(const QImage& image, int x, int y) {
    QRgb a = image.pixel(x, y) & 0xFFFFFF, b = image.pixel(x + 1, y) & 0xFFFFFF,
         c = image.pixel(x, y + 1) & 0xFFFFFF;
    return (a == 0xFFFFFF && b == 0 && c == 0) || (a == 0 && b == 0xFFFFFF && c == 0xFFFFFF);
}

TEST_F(MainFormTest, Screenshot_MenuCanvasWithCheckerAndStatusBar) {
    Start();
    Paint(0x0000FF); // red, as 0x00BBGGRR
    QMainWindow* window = FForm->FHandle;
    QImage shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shot.size(), window->size() * shot.devicePixelRatio());
    ASSERT_EQ(shot.devicePixelRatio(), 1.0);

    // The menu bar draws its texts: more than one colour in its band.
    QRect menu = FForm->FMenuBar->geometry();
    ASSERT_GT(menu.height(), 0);
    QRgb first = shot.pixel(menu.left() + 2, menu.top() + 2);
    bool text = false;
    for (int y = menu.top(); y <= menu.bottom() && !text; ++y)
        for (int x = menu.left(); x < menu.left() + 200 && !text; ++x)
            text = shot.pixel(x, y) != first;
    EXPECT_TRUE(text) << "no menu text drawn";

    // The tool bar fills its band with the button colour, the swatches on it.
    QPoint band = FForm->FClient->mapTo(window, QPoint(300, KToolBarBand / 2));
    EXPECT_EQ(shot.pixel(band), window->palette().color(QPalette::Button).rgb());
    QPoint primary = FForm->FClient->mapTo(window, QPoint(212, 8));
    EXPECT_EQ(shot.pixel(primary) & 0xFFFFFF, 0u) << "the black primary swatch";

    // The picture in red, the checker beside it.
    QWidget* render = FForm->FWorkForms[0]->FRenderWindow->FWidget;
    QRect picture(render->mapTo(window, QPoint(0, 0)), render->size());
    ASSERT_GT(picture.width(), 32);
    EXPECT_EQ(shot.pixel(picture.center()) & 0xFFFFFF, 0xFF0000u);
    QWidget* area = Doc()->FScrollArea;
    QRect view(area->mapTo(window, QPoint(0, 0)), area->size());
    ASSERT_GT(view.right() - picture.right(), 4) << "no room beside the picture";
    EXPECT_TRUE(IsChecker(shot, picture.right() + 2, picture.center().y()));

    // Hidden status bar: the work form reaches the window's bottom row.
    EXPECT_EQ(Doc()->FWindow->mapTo(window, QPoint(0, 0)).y() + Doc()->FWindow->height(),
              window->height());

    // Shown: its panes at the bottom in the button colour, the canvas above it.
    Trigger(KCmdShowInfo);
    shot = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QWidget* status = FForm->FStatusBar->FHandle;
    QRect bar(status->mapTo(window, QPoint(0, 0)), status->size());
    EXPECT_EQ(bar.bottom(), window->height() - 1);
    QRgb face = status->palette().color(QPalette::Button).rgb() & 0xFFFFFF;
    EXPECT_EQ(shot.pixel(bar.right() - 1, bar.top()) & 0xFFFFFF, face);
    // The size pane's text is drawn: something other than the face inside pane 1.
    bool sizeText = false;
    for (int y = bar.top() + 2; y < bar.bottom() - 1 && !sizeText; ++y)
        for (int x = bar.right() - 48; x < bar.right() - 4 && !sizeText; ++x)
            sizeText = (shot.pixel(x, y) & 0xFFFFFF) != face;
    EXPECT_TRUE(sizeText);
    view = QRect(area->mapTo(window, QPoint(0, 0)), area->size());
    QRect seen = QRect(render->mapTo(window, QPoint(0, 0)), render->size()).intersected(view);
    EXPECT_LT(seen.bottom(), bar.top());
    EXPECT_EQ(shot.pixel(seen.center()) & 0xFFFFFF, 0xFF0000u);
    EXPECT_TRUE(IsChecker(shot, seen.right() + 2, seen.center().y()));
}

} // namespace
