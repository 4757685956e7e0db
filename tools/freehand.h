// The freehand tools: the pen ("FreePen") and the eraser ("Eraser"). A stroke draws the
// program's own pen polyline with the current width on the work form's drawing surface (the
// floating selection while there is one), in that surface's own pixels, and records one undo
// step holding the pixels of the stroke's bounding rectangle as they were before it, the
// settings and every point, so redo draws the same polyline again. The eraser always draws the
// secondary colour with a transparent mask. Each of the two keeps its own pen width.
#pragma once

#include <cstdint>

#include "core/draw_attr.h"
#include "core/rect.h"
#include "tools/tool.h"

struct TLayer;

struct TFreehandTool {
    TTool FTool;
    int32_t FDrawing;       // 1 while a stroke is in progress
    TPoint* FPoints;        // the stroke's points in surface pixels; owned, grows as needed
    int32_t FPointCount;    // points stored
    int32_t FPointCapacity; // room in FPoints
    TRectLTRB FDirty;       // the stroke's bounding rectangle so far, surface pixels
    TLayer* FBackup;        // the whole surface as it was when the stroke began; owned, reused
    char FName[16];         // the status name, "FreePen" or "Eraser"
    TDrawAttr FSaved;       // the settings at the last deactivation; width 1 at first
    TDrawAttr FStroke;      // the settings the stroke in progress draws with
    TLayer* FSurface;       // the surface the stroke in progress draws on; borrowed
};

// The pen (TTI_FREEPEN) and the eraser (TTI_ERASER); null with EC_NO_MEMORY.
TTool* TFreePen_Create();
TTool* TEraser_Create();
