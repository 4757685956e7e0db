// The shape tools: the drag with its rubber band on the work form's preview surface, the figure
// drawn on release and its shape step, and the six drawing procedures. The band's cost follows
// the figure: each move resets and shows only the old and new bounding rectangles. Uses the work
// form for coordinates, the preview, repaints and the history, the tool bar for the settings.
#include "tools/shape.h"

#include <cstdlib>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_step.h"
#include "document/work_form.h"
#include "tools/tool_bar.h"

int32_t GShapeWidth = 1;

namespace {
enum { KDashStyle = 2 };

TShapeTool* AsShape(TTool* tool) {
    return reinterpret_cast<TShapeTool*>(tool);
}

// ---- The figures; each draws with the settings already in the surface ----

void DrawSolidLine(TLayer* surface, TPoint a, TPoint b) {
    TPoint points[2] = {a, b};
    TLayer_Polyline(surface, points, 2);
}

void DrawDashLine(TLayer* surface, TPoint a, TPoint b) {
    TImage* image = surface->FImage;
    int32_t style = image->FLineStyle;
    image->FLineStyle = KDashStyle;
    DrawSolidLine(surface, a, b);
    image->FLineStyle = style;
}

// The rectangle and ellipse figures, outlined or filled with the pen's colour.
template <int (*Outline)(TLayer*, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, int32_t)>
void DrawOutline(TLayer* surface, TPoint a, TPoint b) {
    const TDrawAttr& attr = surface->FImage->FDrawAttr;
    TRectLTRB r = TTool_Box(a, b);
    Outline(surface, r.left, r.top, r.right, r.bottom, attr.FColor, attr.FMaskValue,
            attr.FPenWidth);
}

template <int (*Filled)(TLayer*, int32_t, int32_t, int32_t, int32_t, uint32_t, uint32_t, uint32_t,
                        int32_t)>
void DrawFilled(TLayer* surface, TPoint a, TPoint b) {
    const TDrawAttr& attr = surface->FImage->FDrawAttr;
    TRectLTRB r = TTool_Box(a, b);
    Filled(surface, r.left, r.top, r.right, r.bottom, attr.FColor, attr.FColor, attr.FMaskValue,
           attr.FPenWidth);
}

// ---- The drag ----

// The pixels a figure between the two points may touch: the box grown by the pen's reach.
TRectXYWH Bounds(TPoint a, TPoint b, int32_t penWidth) {
    int32_t r = penWidth / 2 + 1;
    TRectLTRB box = TTool_Box(a, b);
    TRectLTRB grown = {box.left - r, box.top - r, box.right + r, box.bottom + r};
    TRectXYWH out;
    RectLTRBToXYWH(&out, &grown);
    return out;
}

// The band's rectangle back from the composed picture, on the preview and on the screen.
void EraseBand(TShapeTool* tool, TWorkForm* form) {
    if (!form || !form->FPreview || !form->FPreview->FImage) return;
    const int32_t width = form->FPreview->FImage->FDrawAttr.FPenWidth;
    TRectXYWH band = Bounds(tool->FStart, tool->FEnd, width);
    TWorkForm_ResetPreview(form, &band);
    TWorkForm_RenderPreview(form, &band);
}

int ShapeDown(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TShapeTool* tool = AsShape(base);
    if (!form || !form->FPreview || !form->FPreview->FImage) return 0;
    if (tool->FDragging) EraseBand(tool, form); // a press without the release before it
    tool->FStart = tool->FEnd = TWorkForm_ClientToImage(form, {x, y});
    tool->FDragging = 1;
    // The band is always opaque, in the selected swatch's colour.
    TDrawAttr attr = {};
    TToolBar_GetDrawAttr(&attr);
    attr.FMaskValue = 0xFFFFFF;
    TLayer_SetDrawAttr(form->FPreview, &attr);
    TWorkForm_ResetPreview(form, nullptr);
    TTool_ShowDragStatus(tool->FStart, tool->FEnd);
    return 1;
}

int ShapeMove(TTool* base, TWorkForm* form, int32_t, int32_t) {
    TShapeTool* tool = AsShape(base);
    if (!tool->FDragging) return 0;
    TPoint p = TTool_StylusPoint(form);
    if (p.x == tool->FEnd.x && p.y == tool->FEnd.y) return 1;
    const int32_t width = form->FPreview->FImage->FDrawAttr.FPenWidth;
    TRectXYWH shown = Bounds(tool->FStart, tool->FEnd, width);
    TWorkForm_ResetPreview(form, &shown);
    tool->FEnd = p;
    if (tool->FDrawShape && (tool->FStart.x != p.x || tool->FStart.y != p.y))
        tool->FDrawShape(form->FPreview, tool->FStart, tool->FEnd);
    TRectXYWH now = Bounds(tool->FStart, tool->FEnd, width);
    RectUnionXYWH(&shown, &now);
    TWorkForm_RenderPreview(form, &shown);
    TTool_ShowDragStatus(tool->FStart, tool->FEnd);
    return 1;
}

void RedoShape(TUndoStep* step) {
    TLayer* surface = step->FTarget;
    TUndoAreaStep* area = reinterpret_cast<TUndoAreaStep*>(step);
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    if (!surface || !surface->FImage || !area->FDrawProc || count < 2) return;
    TLayer_SetDrawAttr(surface, &area->FSettings);
    area->FDrawProc(surface, points[0], points[1]);
    TRectLTRB r;
    RectXYWHToLTRB(&r, &step->FRect);
    TTool_RepaintSurfaceRect(step->FForm ? step->FForm : TWorkForm_GetActive(), surface, r);
}

// Draws the figure of the drag (FStart, FEnd in surface pixels) on surface and records it; a
// figure whose step cannot be made still stands, and the document then asks to be saved.
void DrawAndRecord(TShapeTool* tool, TWorkForm* form, TLayer* surface) {
    TDrawAttr attr = {};
    TToolBar_GetDrawAttr(&attr);
    TRectXYWH bounds = Bounds(tool->FStart, tool->FEnd, attr.FPenWidth);
    TUndoStep* step =
        TUndoStep_CreateShapeStep(RedoShape, tool->FDrawShape, &bounds, surface, form);
    if (step) {
        TPoint points[2] = {tool->FStart, tool->FEnd};
        TUndoStep_SetSettings(step, &attr);
        if (TUndoStep_SetPoints(step, points, 2) != 0) step = TUndoStep_Destroy(step);
    }
    TWorkForm_AddUndo(form, step); // null: the change is marked unrecorded
    TLayer_SetDrawAttr(surface, &attr);
    tool->FDrawShape(surface, tool->FStart, tool->FEnd);
    TRectLTRB r;
    RectXYWHToLTRB(&r, &bounds);
    TTool_RepaintSurfaceRect(form, surface, r);
}

int ShapeUp(TTool* base, TWorkForm* form, int32_t, int32_t) {
    TShapeTool* tool = AsShape(base);
    if (!tool->FDragging) return 0;
    tool->FDragging = 0;
    TPoint p = TTool_StylusPoint(form);
    if (p.x == tool->FStart.x && p.y == tool->FStart.y) {
        // A tap draws nothing; a band left by a last move elsewhere goes too.
        if (tool->FEnd.x != p.x || tool->FEnd.y != p.y) EraseBand(tool, form);
        return 1;
    }
    TLayer* surface = TTool_DrawingSurface(form);
    if (!surface) {
        EraseBand(tool, form);
        return 0;
    }
    TLayer_ToLocalPoint(surface, &tool->FStart);
    TLayer_ToLocalPoint(surface, &tool->FEnd);
    DrawAndRecord(tool, form, surface);
    return 1;
}

void ShapeCancel(TTool* base, TWorkForm* form) {
    TShapeTool* tool = AsShape(base);
    if (!tool->FDragging) return;
    tool->FDragging = 0;
    EraseBand(tool, form);
    DocumentHost_SetStatusText("");
}

// All but the rectangle share GShapeWidth.
void SharedWidthActivate(TTool*) {
    if (GShapeWidth >= 1) TToolBar_SetPenWidth(GShapeWidth);
}

void SharedWidthDeactivate(TTool* base) {
    TShapeTool* tool = AsShape(base);
    TToolBar_GetDrawAttr(&tool->FSaved);
    GShapeWidth = tool->FSaved.FPenWidth;
}

TTool* CreateShape(int32_t id, TUndoDrawProc draw, bool sharedWidth) {
    TTool* base = TTool_Alloc(id, sizeof(TShapeTool));
    if (!base) return nullptr;
    base->FOnDown = ShapeDown;
    base->FOnMove = ShapeMove;
    base->FOnUp = ShapeUp;
    base->FOnCancel = ShapeCancel;
    if (sharedWidth) {
        base->FOnActivate = SharedWidthActivate;
        base->FOnDeactivate = SharedWidthDeactivate;
    }
    AsShape(base)->FDrawShape = draw;
    return base;
}
} // namespace

TTool* TSolidLine_Create() {
    return CreateShape(TTI_SOLID_LINE, DrawSolidLine, true);
}

TTool* TDashLine_Create() {
    return CreateShape(TTI_DASH_LINE, DrawDashLine, true);
}

TTool* TRectangle_Create() {
    return CreateShape(TTI_RECTANGLE, DrawOutline<TLayer_Rectangle>, false);
}

TTool* TFilledRectangle_Create() {
    return CreateShape(TTI_FILLED_RECTANGLE, DrawFilled<TLayer_FillRect>, true);
}

TTool* TEllipse_Create() {
    return CreateShape(TTI_ELLIPSE, DrawOutline<TLayer_Ellipse>, true);
}

TTool* TFilledEllipse_Create() {
    return CreateShape(TTI_FILLED_ELLIPSE, DrawFilled<TLayer_FillEllipse>, true);
}
