// The hand (TTI_HAND): dragging scrolls the view of the canvas with the stylus, by its movement
// reversed in screen pixels, as far as the scrollable range goes. The movement is taken from the
// screen points of the stylus events, since the render window itself moves under the stylus as
// the view scrolls. Changes no pixels and records no undo step.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "tools/tool.h"

struct THandTool {
    TTool FTool;
    TPoint FGrab;      // the stylus at the previous event, screen pixels (signed)
    int32_t FGrabbing; // 1 from the press to the release
};

// The hand; null with EC_NO_MEMORY.
TTool* THand_Create();
