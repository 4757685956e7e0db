// TToolBar: the strip along the top of the main window. It creates and owns the sixteen tools,
// shows a button for each of the nine tool places (the line group and the selection group each
// share one place and choose their member from a popup menu), and keeps the drawing state the
// tools read: the primary and secondary colours with their two swatches, which swatch is
// selected, and the pen width. Beside them lie the recent-colour strip and the button that opens
// the popup palette, a 16 x 16 grid of the document palette.
// There is one tool bar in the process; the operations without a record act on it and do
// nothing (or answer the plain defaults) while there is none.
#pragma once

#include <cstdint>

#include <QList>
#include <QPixmap>

#include "core/draw_attr.h"
#include "core/palette_entry.h"
#include "tools/tool.h"

class QComboBox;
class QMenu;
class QPushButton;
class QWidget;
struct ImageButton;
struct PaletteForm;
struct TDocumentHost;

enum {
    KToolBarSlots = 32,
    KToolBarUsedSlots = 16,
    KToolBarHeight = 40,
    KToolBarId = 149,
    KToolButtonSize = 22,
    KToolButtonFirstId = 200, // the button of slot n has id 200 + n
    KStripId = 1007,
    KPaletteButtonId = 1000,
    KPopupGridId = 1008,
    KWidthButtonId = 1004,
    KWidthComboId = 1009,
    KMaxPenWidth = 9
};

struct TToolSlot {
    QMenu* FMenu;           // the group's popup menu, on every member of a group; else null
    char FName[64];         // the member's menu text
    QList<QPixmap> FImages; // a group member's pictures: normal, alternate, pressed, disabled
    TTool* FTool;           // owned; null when its tool does not exist
    int32_t FChecked;       // 1 on the current slot
    ImageButton* FButton;   // owned
    int32_t FButtonId;      // 200 + slot index
    int32_t FCommand;       // menu command id, group members only
    int32_t FMenuPos;       // the member's position in its group's menu
    int32_t FMenuFirst;     // first and last positions of that menu
    int32_t FMenuLast;
};

struct TToolBar {
    QWidget* FHandle;                // the tool bar window, object name "149"
    TToolSlot FSlots[KToolBarSlots]; // 0 to 15 used
    int32_t FCurrent;                // index of the current slot
    PaletteForm* FStrip;             // recent colours, 17 x 1 cells of 12 x 18
    ImageButton* FPaletteButton;     // toggles the popup palette
    QWidget* FPopup;                 // the popup palette window, hidden until asked for
    PaletteForm* FPopupGrid;         // 16 x 16 cells of 12 x 12
    int32_t FSwatch;                 // 0 primary selected, 1 secondary
    uint32_t FPrimaryColor;          // 0x00BBGGRR
    uint32_t FSecondaryColor;        //
    int32_t FPenWidth;               // 1 to 9
    QComboBox* FWidthCombo;          // the list "1" to "9", shown while choosing
    QPushButton* FWidthButton;       // shows the width
    TPaletteEntry* FStripEntries;    // what FStrip shows (the work form's colour strip)
    int32_t* FStripCount;            // the count of those entries; null while unbound
};

// The tool bar as a visible child of parent at (0, 0), as wide as parent and 40 pixels high,
// with the tools, buttons, strip, popup palette and width list; the pen current, black on
// white, width 1. It becomes the process's tool bar. Null with the last error (EC_NO_MEMORY,
// EC_WINDOW_CREATE) when something cannot be made; nothing is left behind then.
TToolBar* TToolBar_Create(QWidget* parent);
// Destroys the buttons, the windows and then every tool; the process has no tool bar after.
// Returns null.
TToolBar* TToolBar_Destroy(TToolBar* bar);
TToolBar* TToolBar_Get(); // the process's tool bar, or null

// Fills the operations of host that the tool bar answers: the secondary colour (the host's
// setter is the one undo and redo use: it records no step), the drawing attributes, selecting
// a tool, the current tool's id and the stylus router to the current tool.
void TToolBar_FillHost(TDocumentHost* host);

// The tool of slot FCurrent; slot 0's when that is out of range or empty; null without a bar.
TTool* TToolBar_GetCurrentTool();
// Selects the tool with id: tapping the current member of a group opens the group's menu
// instead; otherwise the old tool is deactivated, the slot's button pressed, the new tool
// activated. Nothing when no slot holds that tool.
void TToolBar_SelectTool(int32_t id);
// The attributes the tools draw with: the selected swatch's colour, a mask value of 0xFFFFFF
// for the primary and 0 for the secondary swatch, the pen width. Without a tool bar: a black pen
// of width 1.
void TToolBar_GetDrawAttr(TDrawAttr* attr);
void TToolBar_SetPrimaryColor(uint32_t color); // repaints the swatches; no undo step
// Repaints the swatches; with an active work form records a colour step when the colour
// changes, and repaints the whole canvas in any case.
void TToolBar_SetSecondaryColor(uint32_t color);
uint32_t TToolBar_GetPrimaryColor();   // black without a tool bar
uint32_t TToolBar_GetSecondaryColor(); // white without a tool bar
int32_t TToolBar_GetSwatch();
void TToolBar_SetSwatch(int32_t swatch);
// Below 1 ignored, above 9 held at 9; the width button shows it and the list selects it.
void TToolBar_SetPenWidth(int32_t width);
int32_t TToolBar_GetPenWidth(); // 1 without a tool bar
// Puts color at the end of the recent-colour strip for the selected swatch (see the .cpp).
void TToolBar_AddRecentColor(uint32_t color);
// Binds the popup grid to palette (256 entries) and the strip to strip (17 entries) with its
// count; nulls unbind both (a work form going away). The caller keeps them alive while bound.
void TToolBar_BindPalettes(TPaletteEntry* palette, TPaletteEntry* strip, int32_t* stripCount);
// After the active document's palette was replaced (before: the 256 entries it held until then):
// the popup palette shows the new colours, and each swatch whose colour was picked from a cell
// (the work form's FPrimaryIndex or FSecondaryIndex in 0..255) and is still that cell's colour
// in before takes the cell's new colour, the secondary through TToolBar_SetSecondaryColor with
// its colour step. A swatch chosen since from elsewhere keeps its colour; so does the strip.
void TToolBar_ReselectPalette(const TPaletteEntry* before);

// What the tool bar's window does with a command from one of its controls or menus (button ids,
// 1000, 1004, 1007, 1008, 1009, the group menus' 40087 to 40146); for the window and tests.
void TToolBar_OnCommand(int32_t id);
// The swatch hit test of a stylus press at (x, y) on the tool bar window.
void TToolBar_StylusDown(int32_t x, int32_t y);
// The slot whose tool has id, or -1.
int32_t TToolBar_FindSlot(int32_t id);
