// The tool bar's Qt windows and what they call back, and what its files share: the bar itself (it
// paints the swatches and takes the swatch taps), the popup palette window, the width list, and the
// group menus whose items the tool bar draws itself. Internal to the tool bar's files.
#pragma once

#include <cstdint>

class QComboBox;
class QMenu;
class QPainter;
class QWidget;
struct TToolBar;
struct TToolSlot;

// The bar: a visible child of parent filled with the button-face colour, object name "149".
QWidget* ToolBarWindow_Create(QWidget* parent);
// The popup palette: a hidden pop-up window with a one-pixel border, owned by owner (the bar,
// so it goes with it). Hiding it, for whatever reason, calls ToolBar_PopupHidden.
QWidget* PopupPaletteWindow_Create(QWidget* owner, int32_t width, int32_t height);
// The width list: a hidden drop-down list of "1" to "9" under parent with entry 0 selected; a
// change of selection and the closing of its list both call ToolBar_WidthChosen.
QComboBox* WidthCombo_Create(QWidget* parent);
// A group's popup menu whose items the tool bar draws (ToolBar_FindMenuSlot names their slot);
// choosing an item calls TToolBar_OnCommand with its command id.
QMenu* GroupMenu_Create(QWidget* parent);
void GroupMenu_AddItem(QMenu* menu, int32_t command, const char* text, bool checked);
// Checks the item at position pos of menu and unchecks the others.
void GroupMenu_CheckItem(QMenu* menu, int32_t pos);

// ---- Called back by the windows ----
void ToolBar_PaintSwatches(QPainter* painter);
void ToolBar_PopupHidden();
void ToolBar_WidthChosen();
// The group member whose menu text is text; null when none.
TToolSlot* ToolBar_FindMenuSlot(const char* text);

// ---- Between the tool bar's files (tool_bar_colours.cpp) ----
// The strip, the palette button, the width button and list, the popup palette. 0, or -1.
int ToolBar_CreateColourControls(TToolBar* bar);
// Commands 1000, 1004, 1007 and 1008; false for any other id.
bool ToolBar_OnColourCommand(int32_t id);
// The secondary colour as undo and redo set it: stored and shown, no step recorded.
void ToolBar_StoreSecondaryColor(uint32_t color);
