// The selection tools: Selection (an area), Cut Selection (the pixels lifted out into a floating
// selection) and Copy Selection (copied into one). A drag with no selection marks a rectangle,
// its outline shown by inverting the screen under it; a drag inside a selection moves it, a tap
// outside commits it. The work form keeps the selection; the text tool keeps a selection tool of
// its own whose moves record no undo step.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "tools/tool.h"

struct TSelectionTool {
    TTool FTool;
    int32_t FDragging;    // 1 from a press that started a band or a move to its release
    TPoint FStart, FEnd;  // the band, document pixels: the press and the current point while a
                          // new one is dragged, left-top and right-bottom while moving
    TRectLTRB FBand;      // the outline last shown, render-window client pixels
    TPoint FLast;         // the stylus at the previous event while moving, document pixels
    int32_t FRecordMoves; // 1: moving the selection records an undo step
};

// A selection tool of id TTI_SELECTION, TTI_CUT_SELECTION or TTI_COPY_SELECTION, recording its
// moves; null for any other id (EC_NULL_OBJECT) or without memory (EC_NO_MEMORY).
TTool* TSelection_Create(int32_t id);
