// The shift tool (TTI_SHIFT): while it is current its pad (tools/shift_form.h) floats above the
// main window, and each arrow press rotates the pixels of the drawing surface (the floating
// selection while there is one), or of the area selection's rectangle, cyclically by one pixel;
// the centre button moves them back to where they were when the tool became current. Every
// press records one step whose undo is the inverse shift. The tool has no stylus handlers.
#pragma once

#include <cstdint>

#include "tools/tool.h"

class QWidget;
struct TShiftForm;
struct TUndoStep;

struct TShiftTool {
    TTool FTool;
    int32_t FTotalX, FTotalY; // the shift applied since the tool was activated, pixels
    TShiftForm* FShiftForm;   // the pad; owned (destroyed with the tool)
};

// The shift tool with its pad, hidden until activation, owned by owner (the main window). It
// becomes the program's shift tool, the one the pad's buttons act through; destroying it takes
// the pad down (storing its position) and leaves the program without one. Null when the record
// cannot be made (EC_NULL_OBJECT) or the pad cannot be made (the record is freed; the pad's
// error).
TTool* TShift_Create(QWidget* owner);
// The program's shift tool; null when there is none.
TShiftTool* TShift_Get();

// What a pad button runs: shifts the drawing surface (the floating selection while there is
// one), or in an area selection only that rectangle of it as far as it lies on the surface, by
// (dx, dy) with wrapping; (0, 0) shifts back by the totals, which become 0. Repaints, records one
// step, shows "Shift: (x, y)" with the totals. Nothing at all without the shift tool, the active
// work form or a drawing surface. With nothing to shift (the centre at the start, an area wholly
// off the surface) nothing moves and nothing is recorded; the totals are still shown. A change
// whose step cannot be recorded stands and marks the document modified.
void TShift_Shift(int32_t dx, int32_t dy);

// For tests: the constructor of the shift's steps (TUndoStep_CreateToolStep's shape); null
// restores TUndoStep_CreateToolStep.
typedef TUndoStep* (*TShiftStepMaker)(int kind, int a, int b);
void TShift_SetStepMaker(TShiftStepMaker make);
