// What the undo-step files share beyond undo_steps.h: writing saved pixels back into a surface
// whatever its clip. Defined in undo_area.cpp.
#pragma once

#include <cstdint>

struct TLayer;

// Copies the w x h block at (sx, sy) of src to (x, y) of dst (SRCCOPY, colour and mask planes)
// with dst's clip lifted for the copy and put back afterwards: the saved pixels of a step go
// back wherever they came from, even when a selection now clips the layer. 0, or -1 with the
// last error of TLayer_Blt.
int TUndoStep_PutPixels(TLayer* dst, int32_t x, int32_t y, int32_t w, int32_t h, TLayer* src,
                        int32_t sx, int32_t sy);
