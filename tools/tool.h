// TTool: the record every editing tool is. The tool bar creates and owns the tools and the work
// form's stylus events reach the current one through the tool bar's router. A tool begins with
// the common fields below and keeps its own state after them; any operation may be empty, and
// an empty one is not called. Coordinates given to the handlers are render-window client
// pixels; the tools convert them to document and then to surface pixels themselves.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/rect.h"

struct TLayer;
struct TWorkForm;
struct TTool;

// The sixteen tools. The tool bar slot of each is given in tool_bar.h.
enum TToolId {
    TTI_FREEPEN = 1,
    TTI_ERASER = 2,
    TTI_FILL = 3,
    TTI_SOLID_LINE = 4,
    TTI_DASH_LINE = 5,
    TTI_RECTANGLE = 6,
    TTI_FILLED_RECTANGLE = 7,
    TTI_ELLIPSE = 8,
    TTI_FILLED_ELLIPSE = 9,
    TTI_SELECTION = 10,
    TTI_CUT_SELECTION = 11,
    TTI_COPY_SELECTION = 12,
    TTI_SHIFT = 13,
    TTI_SPOID = 14,
    TTI_TEXT = 15,
    TTI_HAND = 16
};

// Stylus handlers return 1 when they handled the event and 0 when the tool was not in a state to
// handle it; nobody reads the result but tests.
typedef int (*TToolStylusProc)(TTool* tool, TWorkForm* form, int32_t x, int32_t y);
typedef void (*TToolProc)(TTool* tool);
typedef void (*TToolFormProc)(TTool* tool, TWorkForm* form);

struct TTool {
    int32_t FId;             // a TToolId
    TToolProc FDestroy;      // frees the tool; empty: the record is freed as a plain block
    TToolStylusProc FOnDown; // stylus pressed on the canvas
    TToolStylusProc FOnMove; // stylus moved (for every move: handlers check their own state)
    TToolStylusProc FOnUp;   // stylus lifted
    TToolProc FOnActivate;   // the tool becomes current
    TToolProc FOnDeactivate; // the tool stops being current
    // The drag in progress is abandoned (Esc, or the mouse grab lost to another window): the
    // tool shows and records nothing of it.
    TToolFormProc FOnCancel;
};

// A zero-filled record of size bytes (at least a TTool) with FId set; null with EC_NO_MEMORY.
// Records made here are freed with std::free.
TTool* TTool_Alloc(int32_t id, size_t size);
// Calls FDestroy, or frees the plain block. Null stays null. Returns null.
TTool* TTool_Destroy(TTool* tool);

// The common handlers, for a null tool or an empty handler: 0 (nothing called).
int TTool_Down(TTool* tool, TWorkForm* form, int32_t x, int32_t y);
int TTool_Move(TTool* tool, TWorkForm* form, int32_t x, int32_t y);
int TTool_Up(TTool* tool, TWorkForm* form, int32_t x, int32_t y);
// The handler of a work form stylus event (TWE_DOWN, TWE_MOVE, TWE_UP, and TWE_CANCEL, which
// calls FOnCancel and answers 1 when there is one); 0 for any other event.
int TTool_Stylus(TTool* tool, TWorkForm* form, int event, int32_t x, int32_t y);
void TTool_Activate(TTool* tool);
void TTool_Deactivate(TTool* tool);

// The status text of a drag from a to b: "(%d, %d) - (%d, %d) WH: %dx%d".
void TTool_ShowDragStatus(TPoint a, TPoint b);
// The box of two unordered points: left and top the smaller coordinates, right and bottom the
// larger.
TRectLTRB TTool_Box(TPoint a, TPoint b);

// ---- What the drawing tools share ----
// The surface a tool draws on: the floating selection while there is one, else the layer; null
// when there is none with pixels.
TLayer* TTool_DrawingSurface(TWorkForm* form);
// The stylus point of the event in hand, in document pixels.
TPoint TTool_StylusPoint(TWorkForm* form);
// Render-window client point (x, y) in the surface's own pixels.
TPoint TTool_ToSurface(TWorkForm* form, const TLayer* surface, int32_t x, int32_t y);
// Repaints r (surface pixels, cut to the surface) wherever the surface lies in the document.
void TTool_RepaintSurfaceRect(TWorkForm* form, TLayer* surface, TRectLTRB r);
// Copies window (surface pixels; null: all of it) of surface into *backup, which holds at
// least the surface's size and is remade only when it is too small. 0; -1 with the last error,
// *backup then destroyed.
int TTool_TakeBackup(TLayer** backup, TLayer* surface, const TRectLTRB* window);
// A tool whose undo step cannot be made: "Count not allocate memory for UNDO function" shown
// (EC_UNDO_MEMORY).
void TTool_ShowNoUndoMemory();
