// The shape tools: solid and dashed lines, rectangles and ellipses, outlined and filled. One set
// of stylus handlers for all six: a drag shows the figure as a rubber band on the work form's
// preview surface, opaque in the selected swatch's colour; the release draws it once on the
// drawing surface (the floating selection while there is one) and records one shape step whose
// redo draws it again. All but the rectangle share one pen width, GShapeWidth.
#pragma once

#include <cstdint>

#include "core/draw_attr.h"
#include "core/rect.h"
#include "document/undo_steps.h"
#include "tools/tool.h"

struct TShapeTool {
    TTool FTool;
    int32_t FDragging;        // 1 from the press to the release
    TPoint FStart, FEnd;      // the drag in document pixels (surface pixels while recording)
    TUndoDrawProc FDrawShape; // draws the figure between two points with the surface's settings
    TDrawAttr FSaved;         // the settings at the last deactivation
};

// The pen width the shape tools but the rectangle share; 1 at first.
extern int32_t GShapeWidth;

// The six tools (TTI_SOLID_LINE to TTI_FILLED_ELLIPSE); null with EC_NO_MEMORY.
TTool* TSolidLine_Create();
TTool* TDashLine_Create();
TTool* TRectangle_Create();
TTool* TFilledRectangle_Create();
TTool* TEllipse_Create();
TTool* TFilledEllipse_Create();
