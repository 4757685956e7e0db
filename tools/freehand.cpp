// The pen and the eraser: a stroke copies the drawing surface into the tool's backup, draws the
// pen polyline from each stored point to the next as the stylus moves (every Qt mouse move
// reaches us, so two points per move leave no gaps), and on release records one undo step with
// the settings, every point, and the pixels of the stroke's bounding rectangle taken from the
// backup. Uses the work form for coordinates, the surface and repaints, the tool bar for the
// settings; touches no other tool's state.
#include "tools/freehand.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/error.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "tools/tool_bar.h"

enum {
    KFirstPointCapacity = 1024,
    KStrokeStepKind = 2 // a tool step whose redo draws the stroke again
};

static TFreehandTool* AsFreehand(TTool* tool) {
    return reinterpret_cast<TFreehandTool*>(tool);
}

static void ShowPoint(const TFreehandTool* tool, TPoint p) {
    char text[64];
    std::snprintf(text, sizeof text, "%s: (%d, %d)", tool->FName, int(p.x), int(p.y));
    DocumentHost_SetStatusText(text);
}

// What a pen dot of this width may touch around its centre, with a pixel to spare.
static int32_t Reach(const TDrawAttr& attr) {
    return attr.FPenWidth / 2 + 1;
}

static TRectLTRB GrownBox(TPoint a, TPoint b, int32_t r) {
    int32_t left = a.x < b.x ? a.x : b.x, right = a.x < b.x ? b.x : a.x;
    int32_t top = a.y < b.y ? a.y : b.y, bottom = a.y < b.y ? b.y : a.y;
    return {left - r, top - r, right + r, bottom + r};
}

// r cut to the surface; false when nothing of it lies on the surface.
static bool ClipToSurface(TRectLTRB* r, const TLayer* surface) {
    TRectLTRB bounds = {0, 0, surface->FWidth, surface->FHeight};
    return RectIntersectLTRB(r, &bounds) == 0;
}

// The pen draws with the tool bar's settings; the eraser always with the secondary colour and
// a transparent mask, whichever swatch is selected.
static void StrokeSettings(const TFreehandTool* tool, TDrawAttr* attr) {
    TToolBar_GetDrawAttr(attr);
    if (tool->FTool.FId == TTI_ERASER) {
        attr->FColor = TToolBar_GetSecondaryColor();
        attr->FMaskValue = 0;
    }
}

// 0; -1 when the list is full and cannot grow (the stroke then ends where it is).
static int AppendPoint(TFreehandTool* tool, TPoint p) {
    if (tool->FPointCount == tool->FPointCapacity) {
        if (tool->FPointCapacity > INT32_MAX / 2) return SetLastErrorCode(EC_NO_MEMORY), -1;
        int32_t capacity = tool->FPointCapacity * 2;
        void* grown = std::realloc(tool->FPoints, size_t(capacity) * sizeof(TPoint));
        if (!grown) return SetLastErrorCode(EC_NO_MEMORY), -1;
        tool->FPoints = static_cast<TPoint*>(grown);
        tool->FPointCapacity = capacity;
    }
    tool->FPoints[tool->FPointCount++] = p;
    return 0;
}

static void RedoStroke(TUndoStep* step) {
    TLayer* surface = step->FTarget;
    if (!surface || !surface->FImage) return;
    TLayer_SetDrawAttr(surface, &reinterpret_cast<TUndoAreaStep*>(step)->FSettings);
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    TLayer_Polyline(surface, points, count);
    TRectLTRB r;
    RectXYWHToLTRB(&r, &step->FRect);
    TWorkForm* form = step->FForm ? step->FForm : TWorkForm_GetActive();
    TTool_RepaintSurfaceRect(form, surface, r);
}

// Records the finished stroke: its settings, every point and, from the backup, the pixels of
// its bounding rectangle on the surface as they were before it. A stroke that stayed off the
// surface changed nothing and records nothing; one that cannot be recorded still stands, and
// the document is marked so that it asks to be saved.
static void RecordStroke(TFreehandTool* tool, TWorkForm* form, TLayer* surface) {
    TRectLTRB changed = tool->FDirty;
    if (!ClipToSurface(&changed, surface)) return;
    if (!tool->FBackup) { // the error was shown at stylus down
        TWorkForm_MarkUnrecordedChange(form);
        return;
    }
    TRectXYWH rect;
    RectLTRBToXYWH(&rect, &changed);
    TUndoStep* step = TUndoStep_CreateToolStep(KStrokeStepKind, 0, 0);
    if (!step) {
        TTool_ShowNoUndoMemory();
        TWorkForm_MarkUnrecordedChange(form);
        return;
    }
    step->FForm = form;
    TUndoStep_SetSettings(step, &tool->FStroke);
    // Without its points the step could not redo the stroke; SetPoints has shown why.
    if (TUndoStep_SetPoints(step, tool->FPoints, tool->FPointCount) != 0) {
        TUndoStep_Destroy(step);
        TWorkForm_MarkUnrecordedChange(form);
        return;
    }
    TUndoStep_SetRedoProc(step, RedoStroke);
    TWorkForm_AddCapturedUndo(form, step, tool->FBackup, surface, &rect);
}

// Ends the stroke in progress as a release does. A stroke whose surface went away meanwhile (a
// paste or a new document under the stylus) cannot be recorded against it and is dropped.
static void EndStroke(TFreehandTool* tool, TWorkForm* form) {
    tool->FDrawing = 0;
    TLayer* surface = TTool_DrawingSurface(form);
    if (surface && surface == tool->FSurface)
        RecordStroke(tool, form, surface);
    else if (tool->FSurface && tool->FSurface == TWorkForm_GetBackground(form))
        TWorkForm_MarkUnrecordedChange(form); // a paste floated over the stroke's picture
    tool->FSurface = nullptr;
    DocumentHost_SetStatusText("");
}

static int FreehandDown(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TFreehandTool* tool = AsFreehand(base);
    TLayer* surface = TTool_DrawingSurface(form);
    if (!surface) return 0;
    // A press without the release of the stroke before still keeps that stroke's undo step.
    if (tool->FDrawing) EndStroke(tool, form);
    TPoint p = TTool_ToSurface(form, surface, x, y);
    ShowPoint(tool, p);
    // The list always has room for the first two points.
    tool->FPointCount = 0;
    AppendPoint(tool, p);
    AppendPoint(tool, p);
    tool->FDrawing = 1;
    tool->FSurface = surface;
    StrokeSettings(tool, &tool->FStroke);
    TLayer_SetDrawAttr(surface, &tool->FStroke);
    tool->FDirty = GrownBox(p, p, Reach(tool->FStroke));
    // Without a backup the stroke is still drawn, but it cannot be undone: say so now.
    if (TTool_TakeBackup(&tool->FBackup, surface, nullptr) != 0) ShowLastError();
    TLayer_Polyline(surface, tool->FPoints, 2);
    TTool_RepaintSurfaceRect(form, surface, tool->FDirty);
    return 1;
}

static int FreehandMove(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TFreehandTool* tool = AsFreehand(base);
    if (!tool->FDrawing) return 0;
    TLayer* surface = TTool_DrawingSurface(form);
    if (!surface || surface != tool->FSurface) return 0;
    TPoint p = TTool_ToSurface(form, surface, x, y);
    TPoint last = tool->FPoints[tool->FPointCount - 1];
    if (p.x == last.x && p.y == last.y) return 1;
    ShowPoint(tool, p);
    if (AppendPoint(tool, p) != 0) {
        EndStroke(tool, form);
        return 0;
    }
    TPoint segment[2] = {last, p};
    TLayer_SetDrawAttr(surface, &tool->FStroke);
    TLayer_Polyline(surface, segment, 2);
    TRectLTRB box = GrownBox(last, p, Reach(tool->FStroke));
    RectUnionLTRB(&tool->FDirty, &box);
    TTool_RepaintSurfaceRect(form, surface, box);
    return 1;
}

static int FreehandUp(TTool* base, TWorkForm* form, int32_t, int32_t) {
    TFreehandTool* tool = AsFreehand(base);
    if (!tool->FDrawing) return 0;
    EndStroke(tool, form);
    return 1;
}

// Each of the two keeps its own width: it is put back when the tool becomes current again.
static void FreehandActivate(TTool* base) {
    TToolBar_SetPenWidth(AsFreehand(base)->FSaved.FPenWidth);
}

static void FreehandDeactivate(TTool* base) {
    TToolBar_GetDrawAttr(&AsFreehand(base)->FSaved);
}

static void FreehandDestroy(TTool* base) {
    TFreehandTool* tool = AsFreehand(base);
    std::free(tool->FPoints);
    TLayer_Destroy(tool->FBackup);
    std::free(tool);
}

static TTool* CreateFreehand(int32_t id, const char* name) {
    TTool* base = TTool_Alloc(id, sizeof(TFreehandTool));
    if (!base) return nullptr;
    TFreehandTool* tool = AsFreehand(base);
    tool->FPoints = static_cast<TPoint*>(std::malloc(KFirstPointCapacity * sizeof(TPoint)));
    if (!tool->FPoints) {
        std::free(base);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    tool->FPointCapacity = KFirstPointCapacity;
    base->FDestroy = FreehandDestroy;
    base->FOnDown = FreehandDown;
    base->FOnMove = FreehandMove;
    base->FOnUp = FreehandUp;
    base->FOnActivate = FreehandActivate;
    base->FOnDeactivate = FreehandDeactivate;
    std::snprintf(tool->FName, sizeof tool->FName, "%s", name);
    tool->FSaved.FPenWidth = 1;
    return base;
}

TTool* TFreePen_Create() {
    return CreateFreehand(TTI_FREEPEN, "FreePen");
}

TTool* TEraser_Create() {
    return CreateFreehand(TTI_ERASER, "Eraser");
}
