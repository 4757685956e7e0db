// PaletteForm: the palette grid window shared by the tool bar (the recent-colour strip and the
// popup palette) and the Palette Setup dialog. Shows 256 bound palette entries as a grid of
// coloured cells with the primary and secondary cells framed, lets the stylus pick a cell or a
// range of cells, and tells its owner on every release. Does not own the entries; knows nothing
// of documents, tools or dialogs.
#pragma once

#include <cstdint>

#include "core/palette_entry.h"

class QImage;
class QWidget;
struct PaletteForm;

// The command a grid sends its owner when the stylus is lifted after a press on it: the form,
// its control id (FId) and the owner's FUserData. Delivered from the event loop after the
// release has been handled, as a posted message would be, and dropped when the grid window is
// destroyed first.
typedef void (*TPaletteCommandProc)(PaletteForm* form, int32_t id, void* userData);

// Cell indices count row by row from the top left, index = column + row x FColumns; cell
// (column, row) covers x from column x FCellWidth to (column + 1) x FCellWidth (exclusive), y
// likewise. Only indices 0 to 255 are colours: cells beyond are black and cannot be picked.
// Frame colours are 0x00BBGGRR.
struct PaletteForm {
    QWidget* FHandle;        // the grid window: object name the id in decimal, a visible child
    int32_t FId;             // control id given at creation, sent to the owner on every release
    int32_t FPickTarget;     // 0: a tap sets the primary cell; 1: the secondary; else nothing
    int32_t FPrimary;        // index of the primary cell, 0 to 255
    int32_t FSecondary;      // index of the secondary cell, 0 to 255
    TPaletteEntry* FEntries; // the 256 entries shown; not owned; null until bound
    int32_t FColumns;        // grid size in cells, at least 1 once set
    int32_t FRows;           //
    int32_t FCellWidth;      // cell size in pixels, at least 1 once set
    int32_t FCellHeight;     //
    int32_t FWidth;          // FColumns x FCellWidth
    int32_t FHeight;         // FRows x FCellHeight
    QImage* FBuffer; // off-screen image of the whole grid, RGB32, FWidth x FHeight; owned; made
                     // by PaletteForm_SetGrid only
    uint32_t FPrimaryFrame;         // frame colour of the primary cell and the range: white
    uint32_t FSecondaryFrame;       // frame colour of the secondary cell: grey (0x808080)
    int32_t FGridLines;             // 1: black separators between cells (set at creation)
    int32_t FRangeMode;             // 1: a drag selects the cells FRangeStart to FRangeEnd
    int32_t FRangeStart;            // first index of the range, 0 to 255; -1 when none
    int32_t FRangeEnd;              // last index of the range, 0 to 255; -1 when none
    int32_t FCaptured;              // 1 while the stylus is down on the grid
    TPaletteCommandProc FOnCommand; // the owner's, may be null
    void* FUserData;                // the owner's, for FOnCommand; never touched here
};

// Operations on a null form set EC_NULL_OBJECT and do nothing else; so do those that read or
// write entries or cells (the colour getters and setters, the Select pair) while no entries
// are bound. Geometry, binding, the pick target and the range work without entries.

// A visible child of parent with no size and no grid yet; grid lines on, no range. The owner
// places and sizes FHandle. Null with EC_NULL_OBJECT (no parent), EC_NO_MEMORY or
// EC_WINDOW_CREATE (nothing is left behind).
PaletteForm* PaletteForm_Create(QWidget* parent, int32_t id);
// Destroys the window and the buffer and frees the record. Returns null.
PaletteForm* PaletteForm_Destroy(PaletteForm* form);

// Makes the grid columns x rows cells of cellWidth x cellHeight pixels, with an off-screen
// buffer of the whole grid, and sets the frame colours to white and grey. The window is not
// resized. Returns 0; -1 with EC_EMPTY_AREA when a value is below 1 or a side passes 4096
// pixels, EC_NO_MEMORY when the buffer cannot be made; the form is unchanged then.
int PaletteForm_SetGrid(PaletteForm* form, int32_t columns, int32_t rows, int32_t cellWidth,
                        int32_t cellHeight);
// Binds entries (256 of them, or null to show no colours) and redraws the whole grid. The
// caller keeps them alive while bound. Returns 0; -1 for a null form.
int PaletteForm_SetEntries(PaletteForm* form, TPaletteEntry* entries);
// 0 primary, 1 secondary, any other value: taps pick nothing.
void PaletteForm_SetPickTarget(PaletteForm* form, int32_t target);
// The primary or secondary cell's index; -1 for a null form.
int32_t PaletteForm_GetPrimary(const PaletteForm* form);
int32_t PaletteForm_GetSecondary(const PaletteForm* form);
// The colour value of the primary or secondary cell's entry; 0 with EC_NULL_OBJECT for a null
// form or when no entries are bound.
uint32_t PaletteForm_GetPrimaryColour(const PaletteForm* form);
uint32_t PaletteForm_GetSecondaryColour(const PaletteForm* form);
// Makes index the primary or secondary cell and redraws the old and the new cell. Ignored
// unless 0 <= index < 256.
void PaletteForm_SelectPrimary(PaletteForm* form, int32_t index);
void PaletteForm_SelectSecondary(PaletteForm* form, int32_t index);
// Writes colour (0x00BBGGRR) into the primary or secondary cell's entry, keeping its fourth
// byte, and redraws the cell. Returns 0; -1 with EC_NULL_OBJECT.
int PaletteForm_SetPrimaryColour(PaletteForm* form, uint32_t colour);
int PaletteForm_SetSecondaryColour(PaletteForm* form, uint32_t colour);

// Range mode on (1) or off (0); either way the range is cleared and the grid redrawn.
void PaletteForm_SetRangeMode(PaletteForm* form, int32_t on);
// Clears the range (both ends -1) and redraws the grid.
void PaletteForm_ClearRange(PaletteForm* form);
// Redraws the whole grid from the bound entries, for owners that changed them.
void PaletteForm_Redraw(PaletteForm* form);
// Sets the handler of the release command (null: none) and the data handed to it.
void PaletteForm_SetCommandProc(PaletteForm* form, TPaletteCommandProc proc, void* userData);

// The stylus as the window reports it (left button press, move, release) in window
// coordinates, for the window and for owners' tests that drive the grid directly.
void PaletteForm_StylusDown(PaletteForm* form, int32_t x, int32_t y);
void PaletteForm_StylusMove(PaletteForm* form, int32_t x, int32_t y);
void PaletteForm_StylusUp(PaletteForm* form, int32_t x, int32_t y);
