// The spoid (TTI_SPOID), the eyedropper: pressing and dragging over the canvas takes the colour
// of the drawing surface's pixel under the stylus (the floating selection's while there is one)
// as the tool bar's primary colour, whichever swatch is selected; a transparent pixel, or one
// off the surface, leaves it as it is. While dragging, the status bar shows the colour taken.
// Changes no pixels and records no undo step.
#pragma once

#include <cstdint>

#include "core/rect.h"
#include "tools/tool.h"

struct TSpoidTool {
    TTool FTool;
    TPoint FPick;     // the surface point last sampled: the press, then each move's new point
    int32_t FPicking; // 1 from the press to the release
};

// The spoid; null with EC_NO_MEMORY. Freed as a plain block.
TTool* TSpoid_Create();
