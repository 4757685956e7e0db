// The fill tool (TTI_FILL): a tap floods the region of like pixels around the tapped pixel of
// the work form's drawing surface (the floating selection while there is one, and only inside
// the area selection while there is one) with the current colour and mask value, and records
// one undo step holding the pixels of the flood's bounding rectangle as they were, the settings
// and the point, so redo floods again. Moving does nothing; lifting clears the status text.
#pragma once

#include "tools/tool.h"

struct TLayer;

struct TFillTool {
    TTool FTool;
    // The flood's window of the surface as it was before the last fill, where the fill's step
    // takes its pixels from; at least the size of the last surface filled; owned, reused.
    TLayer* FBackup;
};

// The fill tool; null with EC_NO_MEMORY.
TTool* TFill_Create();
