// The drawing attributes the tool bar hands to images, layers and undo steps.
#pragma once

#include <cstdint>

struct TDrawAttr {
    int32_t FKind;       // always 0
    uint32_t FColor;     // pen colour, 0x00BBGGRR
    uint32_t FColor2;    // second colour; 0 from the tools, unused by the raster operations
    uint32_t FMaskValue; // mask drawn pixels receive: non-zero visible (tools pass 0xFFFFFF)
    int32_t FPenWidth;   // pen diameter in pixels, 1 or more
};
