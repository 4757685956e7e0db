// The main window's commands as the user reaches them (menu actions, buttons, shortcuts, the
// close button, a dropped file): dispatch to the document, the save question on exit, crop
// and open, Show Info, Actual Size, the used colour count, and commands without a document.
#include <cstdio>
#include <string>

#include <QDialog>
#include <QDropEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include "document/support/work_form_fixture.h"
#include "document/undo_history.h"
#include "main_form_fixture.h"
#include "support/test_support.h"

namespace {

std::string GSaveName; // what the save-name provider answers; empty: cancelled

bool ProvideName(TWorkForm*, std::string* name) {
    if (GSaveName.empty()) return false;
    *name = GSaveName;
    return true;
}

class CommandTest : public MainFormTest {
  protected:
    void SetUp() override {
        MainFormTest::SetUp();
        GSaveName.clear();
        Start();
    }

    // The one save question asked since the records were last cleared.
    void ExpectOneSavePrompt() {
        ASSERT_EQ(MessageBoxRecords().size(), 1u);
        const TMessageBoxRecord& box = MessageBoxRecords()[0];
        EXPECT_EQ(box.FText, "Do you want to save the changes before closing?");
        EXPECT_EQ(box.FCaption, "Mosaiko");
        EXPECT_EQ(box.FFlags, MB_YESNOCANCEL | MB_ICONQUESTION);
        EXPECT_EQ(box.FOwner, static_cast<void*>(static_cast<QWidget*>(FForm->FHandle)));
    }

    void Activate() {
        FForm->FHandle->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(FForm->FHandle));
    }
};

// ---- Exit and the save question ----

TEST_F(CommandTest, Exit_ModifiedDocumentAsksOnceAndCancelKeepsEverything) {
    Modify();
    TWorkForm* doc = Doc();
    TDocSnapshot before = Snapshot(doc);
    MessageBoxQueueAnswer(IDCANCEL);
    Trigger(KCmdExit);
    ExpectOneSavePrompt();
    EXPECT_EQ(TMainForm_Get(), FForm);
    EXPECT_EQ(Doc(), doc);
    EXPECT_EQ(Snapshot(doc), before);
    EXPECT_TRUE(TWorkForm_IsModified(doc));
    EXPECT_TRUE(FForm->FHandle->isVisible());
    EXPECT_FALSE(TApplication_QuitPosted());

    // The window's close button and Ctrl+Q's close request ask the same way.
    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDCANCEL);
    EXPECT_FALSE(FForm->FHandle->close());
    ExpectOneSavePrompt();
    EXPECT_TRUE(FForm->FHandle->isVisible());
    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDCANCEL);
    Trigger(KCmdClose);
    ExpectOneSavePrompt();
    EXPECT_EQ(TMainForm_Get(), FForm);
    EXPECT_FALSE(TApplication_QuitPosted());
}

TEST_F(CommandTest, Exit_NoEndsTheProgramAndTakesOnlyOurClipboardData) {
    TRectXYWH area = {0, 0, 4, 4};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    Trigger(KCmdCopy);
    ASSERT_TRUE(ClipboardOffers(KClipboardMimeType));
    Modify();
    QPointer<QMainWindow> window = FForm->FHandle;
    MessageBoxQueueAnswer(IDNO);
    Trigger(KCmdClose);
    EXPECT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(TMainForm_Get(), nullptr);
    EXPECT_TRUE(TApplication_QuitPosted());
    EXPECT_FALSE(ClipboardOffers(KClipboardMimeType));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull());
    FForm = nullptr;
}

TEST_F(CommandTest, Exit_UnmodifiedDocumentAsksNothingAndLeavesOtherProgramsData) {
    QApplication::clipboard()->setText("someone else's");
    EXPECT_TRUE(FForm->FHandle->close());
    EXPECT_TRUE(MessageBoxRecords().empty());
    EXPECT_EQ(TMainForm_Get(), nullptr);
    EXPECT_TRUE(TApplication_QuitPosted());
    EXPECT_EQ(QApplication::clipboard()->text(), "someone else's");
    FForm = nullptr;
}

// With the message loop running, Exit ends it with status 0 once the command is over.
TEST_F(CommandTest, Exit_EndsTheMessageLoop) {
    TApplication_SetLoopRunning(1);
    QTimer::singleShot(0, [this] { Action(KCmdExit)->trigger(); });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); }); // never hang the run
    int status = QApplication::exec();
    TApplication_SetLoopRunning(0);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TMainForm_Get(), nullptr);
    FForm = nullptr;
}

// Yes with a save that is cancelled or fails keeps the document, as Cancel does.
TEST_F(CommandTest, Exit_YesWithAFailingSaveKeepsTheDocumentOpen) {
    Modify();
    TWorkForm* doc = Doc();
    TWorkForm_SetSaveNameProvider(ProvideName);

    MessageBoxQueueAnswer(IDYES); // no name given: the save is cancelled
    Trigger(KCmdExit);
    ExpectOneSavePrompt();
    EXPECT_EQ(TMainForm_Get(), FForm);
    EXPECT_EQ(Doc(), doc);
    EXPECT_TRUE(TWorkForm_IsModified(doc));

    // Under a regular file no folder can be made: the save fails and says so.
    std::string dir = TestTempDir();
    WriteWholeFile(dir + "/file", {1, 2, 3});
    GSaveName = dir + "/file/picture.bmp";
    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDYES);
    Trigger(KCmdExit);
    ASSERT_EQ(MessageBoxRecords().size(), 2u);
    EXPECT_EQ(MessageBoxRecords()[1].FCaption, "ERROR");
    EXPECT_EQ(TMainForm_Get(), FForm);
    EXPECT_EQ(Doc(), doc);
    EXPECT_TRUE(TWorkForm_IsModified(doc));
    EXPECT_FALSE(TApplication_QuitPosted());

    // A save that works lets the program end.
    GSaveName = dir + "/picture.bmp";
    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDYES);
    Trigger(KCmdExit);
    EXPECT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_TRUE(FileExists(GSaveName));
    EXPECT_EQ(TMainForm_Get(), nullptr);
    FForm = nullptr;
}

// ---- Documents replaced: Crop and Open ----

TEST_F(CommandTest, Crop_CancelKeepsTheOldDocument_NoReplacesIt) {
    Paint(0x00FF00);
    Modify();
    TRectXYWH area = {3, 4, 10, 6};
    ASSERT_EQ(TWorkForm_Select(Doc(), &area, TWS_AREA), 0);
    TWorkForm* doc = Doc();
    TDocSnapshot before = Snapshot(doc);
    MessageBoxQueueAnswer(IDCANCEL);
    Trigger(KCmdCrop);
    ExpectOneSavePrompt();
    EXPECT_EQ(Doc(), doc);
    EXPECT_EQ(TWorkForm_GetActive(), doc);
    EXPECT_EQ(Snapshot(doc), before);
    EXPECT_EQ(FForm->FClient->findChildren<QWidget*>("WorkForm").size(), 1);

    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDNO);
    Trigger(KCmdCrop);
    ExpectOneSavePrompt();
    ASSERT_NE(Doc(), nullptr);
    EXPECT_EQ(TWorkForm_GetActive(), Doc());
    EXPECT_EQ(Background()->FWidth, 10);
    EXPECT_EQ(Background()->FHeight, 6);
    EXPECT_TRUE(TWorkForm_IsModified(Doc()));
    EXPECT_EQ(Doc()->FFitMode, 1);
    EXPECT_TRUE(Doc()->FWindow->isVisible());
    EXPECT_EQ(PaneText(0), "Crop Image");
    EXPECT_EQ(PaneText(1), "10x6");
    EXPECT_EQ(FForm->FClient->findChildren<QWidget*>("WorkForm").size(), 1);
}

TEST_F(CommandTest, DroppedFile_OpensAfterTheSaveQuestion) {
    std::string path = TestDataDir() + "/png/rgba8.png";
    Modify();
    TWorkForm* doc = Doc();
    auto drop = [this, &path] {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
        // The drop goes where the drag was accepted on entering.
        QDragEnterEvent enter(QPoint(50, 80), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(FForm->FHandle, &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(QPointF(50, 80), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(FForm->FHandle, &drop);
        QApplication::processEvents();
    };
    MessageBoxQueueAnswer(IDCANCEL);
    drop();
    ExpectOneSavePrompt();
    EXPECT_EQ(Doc(), doc);
    EXPECT_EQ(FForm->FClient->findChildren<QWidget*>("WorkForm").size(), 1);

    MessageBoxClearRecords();
    MessageBoxQueueAnswer(IDNO);
    drop();
    ExpectOneSavePrompt();
    ASSERT_NE(Background(), nullptr);
    EXPECT_EQ(Background()->FWidth, 13);
    EXPECT_EQ(Doc()->FFileName, path);
    EXPECT_EQ(PaneText(0), "Open Image");
    EXPECT_EQ(PaneText(1), "13x11");
}

TEST_F(CommandTest, OpenFile_UnreadableShowsTheErrorAndKeepsTheDocument) {
    TWorkForm* doc = Doc();
    EXPECT_EQ(TMainForm_OpenFile(FForm, (TestTempDir() + "/none.bmp").c_str()), -1);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FCaption, "ERROR");
    EXPECT_EQ(Doc(), doc);
    EXPECT_EQ(TWorkForm_GetActive(), doc);
}

// ---- Files ----

TEST_F(CommandTest, SaveAndSaveAs_WriteWhereTheDocumentSays) {
    std::string dir = TestTempDir();
    TWorkForm_SetSaveNameProvider(ProvideName);
    GSaveName = dir + "/first.bmp";
    Modify();
    Trigger(KCmdSave); // untitled: asks for a name
    EXPECT_TRUE(FileExists(GSaveName));
    EXPECT_EQ(Doc()->FFileName, GSaveName);
    EXPECT_FALSE(TWorkForm_IsModified(Doc()));

    GSaveName.clear(); // a known path needs no name
    Modify();
    std::remove((dir + "/first.bmp").c_str());
    Trigger(KCmdSave);
    EXPECT_TRUE(FileExists(dir + "/first.bmp"));
    EXPECT_FALSE(TWorkForm_IsModified(Doc()));

    GSaveName = dir + "/second.ico";
    Trigger(KCmdSaveAs);
    EXPECT_TRUE(FileExists(GSaveName));
    EXPECT_EQ(Doc()->FFileName, GSaveName);
    EXPECT_TRUE(MessageBoxRecords().empty());
}

// ---- View ----

struct TView {
    double FZoom;
    int32_t FScrollX, FScrollY;
    bool operator==(const TView& o) const {
        return FZoom == o.FZoom && FScrollX == o.FScrollX && FScrollY == o.FScrollY;
    }
};

TEST_F(CommandTest, ActualSize_MenuAndButtonAgree) {
    auto view = [this] { return TView{Doc()->FZoom, Doc()->FScrollX, Doc()->FScrollY}; };
    TView fitted = view();
    ASSERT_NE(fitted.FZoom, 1.0);

    // The menu item reposts the button's command: nothing until the events run.
    Action(KCmdActualSize)->trigger();
    EXPECT_EQ(Doc()->FZoom, fitted.FZoom);
    QApplication::processEvents();
    TView byMenu = view();
    EXPECT_EQ(byMenu.FZoom, 1.0);
    EXPECT_TRUE(Action(KCmdActualSize)->isChecked());
    EXPECT_TRUE(Action(KCmdActualSizeButton)->isChecked());
    Trigger(KCmdActualSize);
    EXPECT_TRUE(view() == fitted);
    EXPECT_FALSE(Action(KCmdActualSize)->isChecked());

    Trigger(KCmdActualSizeButton);
    EXPECT_TRUE(view() == byMenu);
    EXPECT_TRUE(Action(KCmdActualSize)->isChecked());
    EXPECT_TRUE(Action(KCmdActualSizeButton)->isChecked());
    Trigger(KCmdActualSizeButton);
    EXPECT_TRUE(view() == fitted);
    EXPECT_FALSE(Action(KCmdActualSizeButton)->isChecked());
}

TEST_F(CommandTest, ZoomAndGrid_MenuItemsAndButtonsDoTheSame) {
    TWorkForm_SetZoom(Doc(), 4.0);
    Trigger(KCmdZoomIn);
    EXPECT_EQ(Doc()->FZoom, 5.0);
    Trigger(KCmdZoomInButton);
    EXPECT_EQ(Doc()->FZoom, 6.0);
    Trigger(KCmdZoomOut);
    EXPECT_EQ(Doc()->FZoom, 5.0);
    Trigger(KCmdZoomOutButton);
    EXPECT_EQ(Doc()->FZoom, 4.0);
    Trigger(KCmdFitToScreen);
    EXPECT_EQ(Doc()->FFitMode, 1);

    Trigger(KCmdGrid);
    EXPECT_TRUE(TWorkForm_IsGridShown(Doc()));
    EXPECT_TRUE(Action(KCmdGridButton)->isChecked());
    Trigger(KCmdGridButton);
    EXPECT_FALSE(TWorkForm_IsGridShown(Doc()));
    EXPECT_FALSE(Action(KCmdGrid)->isChecked());
}

TEST_F(CommandTest, ShowInfoTwice_RestoresTheLayoutAndStoresOneThenZero) {
    ASSERT_FALSE(TMainForm_IsStatusBarVisible(FForm));
    QRect first = Doc()->FWindow->geometry();
    Trigger(KCmdShowInfo);
    EXPECT_TRUE(TMainForm_IsStatusBarVisible(FForm));
    EXPECT_EQ(StoredSettings().value("MainForm/StatusBarVisible").toString(), "1");
    EXPECT_EQ(Doc()->FWindow->geometry().height(),
              first.height() - TStatusBar_GetHeight(FForm->FStatusBar) - 1);
    Trigger(KCmdShowInfo);
    EXPECT_FALSE(TMainForm_IsStatusBarVisible(FForm));
    EXPECT_EQ(StoredSettings().value("MainForm/StatusBarVisible").toString(), "0");
    EXPECT_EQ(Doc()->FWindow->geometry(), first);
}

// ---- Edit and adjustments ----

TEST_F(CommandTest, RotateRightTurnsByMinus90_LeftBy90) {
    TLayer* background = Background();
    ASSERT_EQ(TWorkForm_New(Doc(), 3, 2), 0);
    background = Background();
    TImage_SetPixelMasked(background->FImage, 0, 0, 0x0000FF, 0xFFFFFF);
    TImage_SetPixelMasked(background->FImage, 2, 1, 0x00FF00, 0xFFFFFF);
    auto after = [this](int id, int angle) {
        Trigger(id);
        TDocSnapshot byCommand = Snapshot(Doc());
        TWorkForm_Undo(Doc());
        ASSERT_EQ(TWorkForm_Rotate(Doc(), angle), 0);
        EXPECT_EQ(Snapshot(Doc()), byCommand) << id;
        TWorkForm_Undo(Doc());
    };
    after(KCmdRotateRight, -90);
    after(KCmdRotateLeft, 90);
    after(KCmdRotate180, 180);
    Trigger(KCmdRotateRight);
    EXPECT_EQ(PaneText(1), "2x3"); // the size pane follows the turn
}

TEST_F(CommandTest, EditCommands_ReachTheDocument) {
    Paint(0x123456);
    Trigger(KCmdSelectAll);
    EXPECT_EQ(Doc()->FSelectMode, TSM_AREA);
    Trigger(KCmdCut);
    uint32_t visible = 1;
    BackgroundPixel(Doc(), 5, 5, &visible);
    EXPECT_EQ(visible, 0u);
    Trigger(KCmdUndo);
    Trigger(KCmdSelectNone);
    EXPECT_EQ(Doc()->FSelectMode, TSM_NONE);
    Trigger(KCmdPaste);
    EXPECT_EQ(Doc()->FSelectMode, TSM_COPY);
    Trigger(KCmdSelectNone);
    Trigger(KCmdInvert);
    EXPECT_EQ(BackgroundPixel(Doc(), 1, 1), 0xEDCBA9u);
    Trigger(KCmdChangeColor);
    EXPECT_EQ(Doc()->FTapMode, 1);
    Trigger(KCmdSelectAll);
    Trigger(KCmdClear);
    BackgroundPixel(Doc(), 1, 1, &visible);
    EXPECT_EQ(visible, 0u);
    EXPECT_TRUE(MessageBoxRecords().empty());
}

TEST_F(CommandTest, ColourCount_BoxWithoutOwnerOrIcon) {
    Paint(0x0000FF);
    TImage_SetPixelMasked(Background()->FImage, 0, 0, 0xFF0000, 0xFFFFFF);
    Trigger(KCmdColorCount);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    const TMessageBoxRecord& box = MessageBoxRecords()[0];
    EXPECT_EQ(box.FText, "Used Color Count: 2");
    EXPECT_EQ(box.FCaption, "Used Color Count: 2");
    EXPECT_EQ(box.FFlags, MB_OK);
    EXPECT_EQ(box.FOwner, nullptr);
}

// ---- Shortcuts ----

TEST_F(CommandTest, Shortcuts_ReachTheirCommandsWithStatesRefreshedFirst) {
    Activate();
    Paint(0x0000FF);
    QTest::keyClick(FForm->FHandle, Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(MessageBoxRecords().size(), 1u);
    EXPECT_EQ(MessageBoxRecords()[0].FText, "Used Color Count: 1");

    // A change the menus have not heard of yet: Undo is still disabled when Ctrl+Z is pressed,
    // and enabled in time for it.
    ASSERT_EQ(TWorkForm_Invert(Doc()), 0);
    ASSERT_FALSE(Action(KCmdUndo)->isEnabled());
    QTest::keyClick(FForm->FHandle, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(TUndoHistory_GetPosition(Doc()->FHistory), 0);
    QTest::keyClick(FForm->FHandle, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(TUndoHistory_GetPosition(Doc()->FHistory), 1);
    QTest::keyClick(FForm->FHandle, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(FForm->FHandle, Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(TUndoHistory_GetPosition(Doc()->FHistory), 1);

    double zoom = Doc()->FZoom;
    QTest::keyClick(FForm->FHandle, Qt::Key_Minus, Qt::ControlModifier);
    EXPECT_LT(Doc()->FZoom, zoom);
}

// ---- Dialogs ----

TEST_F(CommandTest, Preference_RunsItsDialogModal) {
    QString title;
    QTimer::singleShot(0, [&title] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            title = modal->windowTitle();
            static_cast<QDialog*>(modal)->reject();
        }
    });
    Trigger(KCmdPreference);
    EXPECT_EQ(title, "Preference");
}

// ---- Without a document ----

TEST_F(CommandTest, WithoutADocument_DocumentCommandsDoNothing) {
    ASSERT_EQ(TMainForm_CloseAll(FForm, 0), 0);
    EXPECT_EQ(TWorkForm_GetActive(), nullptr);
    const int ids[] = {KCmdSave,
                       KCmdSaveAs,
                       KCmdUndo,
                       KCmdRedo,
                       KCmdClear,
                       KCmdCopy,
                       KCmdCut,
                       KCmdPaste,
                       KCmdCrop,
                       KCmdSelectAll,
                       KCmdSelectNone,
                       KCmdRotateRight,
                       KCmdRotateLeft,
                       KCmdRotate180,
                       KCmdFlipHorizontal,
                       KCmdFlipVertical,
                       KCmdZoomIn,
                       KCmdZoomInButton,
                       KCmdZoomOut,
                       KCmdZoomOutButton,
                       KCmdFitToScreen,
                       KCmdActualSize,
                       KCmdActualSizeButton,
                       KCmdGrid,
                       KCmdGridButton,
                       KCmdBrightnessContrast,
                       KCmdPalette,
                       KCmdImageSize,
                       KCmdInvert,
                       KCmdGrayscale,
                       KCmdChangeColor,
                       KCmdColorCount};
    for (int id : ids) {
        EXPECT_EQ(TMainForm_OnCommand(FForm, id), 1) << id;
        QApplication::processEvents();
    }
    EXPECT_EQ(FForm->FWorkFormCount, 0);
    EXPECT_TRUE(MessageBoxRecords().empty());
    EXPECT_EQ(TMainForm_Get(), FForm);
}

TEST_F(CommandTest, UnknownNumbers_AreNotCommands) {
    EXPECT_EQ(TMainForm_OnCommand(FForm, 12345), 0);
    EXPECT_EQ(TMainForm_OnCommand(nullptr, KCmdZoomIn), 0);
    EXPECT_EQ(TMainForm_OnCommand(FForm, KMenuEdit), 0);
}

} // namespace
