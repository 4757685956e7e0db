// TMainForm: the program's one top-level window. It holds the menu bar with its image buttons,
// the 40-pixel tool bar band, the one document (a TWorkForm) and the status bar; lays them out,
// keeps the menu items' states current, writes the status texts for the other parts of the
// program, asks the save question before a modified document goes, and ends the program.
// Commands arrive through TMainForm_OnCommand (commands.cpp).
#pragma once

#include <cstdint>

class QAction;
class QMainWindow;
class QMenuBar;
class QWidget;
struct TStatusBar;
struct TRecoveryCopy;
struct TToolBar;
struct TWorkForm;

enum {
    KMainFormSlots = 32,  // the document table's size; only slot 0 is used
    KToolBarBand = 40,    // height of the tool bar's band at the top of the client area
    KMenuStateCount = 11, // menu items and buttons whose state follows the document
    KDefaultMainWidth = 960,
    KDefaultMainHeight = 720
};

struct TMainForm {
    QMainWindow* FHandle;                  // the top-level window; object name "MOSAIKO"
    QMenuBar* FMenuBar;                    // the window's menu bar, owned by the window
    TStatusBar* FStatusBar;                // owned; null when it could not be made
    TWorkForm* FWorkForms[KMainFormSlots]; // owned; one document at a time, in slot 0
    int32_t FWorkFormCount;                // 0 or 1
    int32_t FActiveIndex;                  // index into FWorkForms; -1 when there is none
    TToolBar* FToolBar;                    // owned; null when it could not be made
    QWidget* FClient;                      // the client area, FHandle's central widget
    QAction* FStateItems[KMenuStateCount]; // see TMainForm_UpdateMenus; owned by the window
    int32_t FCanPaste; // the clipboard offers a picture Paste takes; refreshed on change
};

// ---- Life (main_form.cpp) ----
// The main window with its menu bar, tool bar and status bar (shown when StatusBarVisible is
// stored), and its document: the start-up path's image (TApplication_GetStartupPath), or, when
// there is none or it cannot be opened (the error shown), a blank image of the stored canvas
// preset. Shown when show is not 0. Installs the document host and publishes the form. Null (the
// error shown) when the program cannot go on.
TMainForm* TMainForm_Create(int show);
// The process-wide main form; null before creation and after the exit.
TMainForm* TMainForm_Get();
// Takes the form down without any question (documents dropped, windows destroyed, host
// defaults back, the pointer cleared). For the window's own destruction and for tests. Null.
TMainForm* TMainForm_Destroy(TMainForm* form);
// The exit sequence: the save question for a modified document (Cancel, or Yes with a save that
// fails or is cancelled, keeps everything and gives 0); then our clipboard data goes, the form
// and the application record are freed, the window is destroyed and the message loop is asked
// to end: 1. A null form gives 1 (the program is already ending).
int TMainForm_Exit(TMainForm* form);

// ---- Documents (main_form.cpp) ----
TWorkForm* TMainForm_GetActiveWorkForm(TMainForm* form); // null also for a null form
// Closes the current document with the save question, then keeps workForm as the active
// document. -1 when cancelled (nothing changed, the last error clear) or for a null form
// (EC_WORKFORM_CREATE); 0. The caller still owns workForm after -1.
int TMainForm_AddWorkForm(TMainForm* form, TWorkForm* workForm);
// Closes every document; with prompt, a modified one is asked about first: Cancel gives -1
// and stops; Yes saves first, and a save that fails or is cancelled also gives -1 with the
// document kept. 0 when all are closed.
int TMainForm_CloseAll(TMainForm* form, int prompt);
// A blank (transparent) width x height document, added, placed and fitted. 0; -1 after the
// error was shown (or the save question cancelled), the current document kept.
int TMainForm_NewImage(TMainForm* form, int32_t width, int32_t height);
// The image file at path as the document, as Open has it: read first, then the save question
// for the current one, then placed and fitted, with "Open Image" in the status bar. 1 opened;
// 0 cancelled (icon choice or save question); -1 failed, the error shown. The current document
// stays unless 1.
int TMainForm_OpenFile(TMainForm* form, const char* path);
// The picture of a recovery copy as the document (TWorkForm_OpenRecoveryCopy), placed and
// fitted; the current document goes as for New. 0; -1 after the error was shown.
int TMainForm_OpenRecoveryCopy(TMainForm* form, const TRecoveryCopy* copy);

// ---- Layout and status texts (main_form_layout.cpp) ----
// Gives workForm the client area below the tool bar band, shows it, lays everything out and
// clears the last error.
void TMainForm_PlaceWorkForm(TMainForm* form, TWorkForm* workForm);
// Status bar along the bottom (two panes: the width less 53, and 50) with the image size; the
// active document between the band and the status bar (one pixel above it when it is shown).
void TMainForm_Layout(TMainForm* form);
void TMainForm_SetStatusText(TMainForm* form, const char* text); // pane 0
void TMainForm_ShowPoint(int32_t x, int32_t y);                  // "XY: x,y" on the main form
// "XY1: x1,y1 XY2: x2,y2 WH: wxh", both ends counted.
void TMainForm_ShowRange(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
void TMainForm_ShowImageSize(TMainForm* form); // pane 1: the active document's "WxH"
int TMainForm_IsStatusBarVisible(TMainForm* form);

// ---- Menus (main_form_menus.cpp) ----
// Enables Undo, Redo, Copy, Cut, Crop, Select None and Paste and checks Actual Size and Grid
// (with their buttons) for the active document; all off without one.
void TMainForm_UpdateMenus(TMainForm* form);
// The bracket round a modal dialog: the menu bar is inactive in between.
void TMainForm_EnterDialog(TMainForm* form);
void TMainForm_LeaveDialog(TMainForm* form);
// The action sending command id (menu item, button or shortcut); null when there is none.
QAction* TMainForm_FindAction(TMainForm* form, int id);

// ---- Commands (commands.cpp) ----
// Runs the command's operation, then refreshes the menu states. 1 when id is a command of the
// main window, 0 when it is unknown.
int TMainForm_OnCommand(TMainForm* form, int id);

// Shows string id in a box titled "Mosaiko" with style (platform/msgbox.h flags), modal to
// owner (a QWidget*, or null). The button pressed.
int MessageBoxFromString(void* owner, int id, int style);
