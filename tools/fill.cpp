// The fill tool: a tap copies the flood's window of the drawing surface into the tool's backup,
// floods from the tapped pixel with the tool bar's settings, and records one undo step with the
// settings, the point and, from the backup, the pixels of the rectangle the flood wrote. Uses the
// work form for coordinates, the surface, the history and repaints, the tool bar for the
// settings, core/flood_fill for the flood; touches no other tool's state.
#include "tools/fill.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "core/error.h"
#include "core/flood_fill.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "tools/tool_bar.h"

enum {
    KFillStepKind = 4 // a tool step whose redo floods again from its point
};

static TFillTool* AsFill(TTool* tool) {
    return reinterpret_cast<TFillTool*>(tool);
}

static bool IsEmpty(const TRectLTRB& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Where a flood of the surface can write: the surface, cut to its clip. Empty when none.
static TRectLTRB FloodWindow(const TLayer* surface) {
    TRectLTRB window = {0, 0, surface->FWidth, surface->FHeight};
    const TImage* image = surface->FImage;
    if (image->FClipOn && RectIntersectLTRB(&window, &image->FClipRect) != 0) window = {0, 0, 0, 0};
    return window;
}

// Without a backup the step saves the whole surface before the flood, clearing the history to
// free memory and trying once more when the first try fails. 0, or -1 with the last error.
static int CaptureWholeSurface(TWorkForm* form, TUndoStep* step, TLayer* surface) {
    const TRectXYWH whole = {0, 0, surface->FWidth, surface->FHeight};
    if (TUndoStep_Capture(step, surface, &whole) == 0) return 0;
    TUndoHistory_ClearToFreeMemory(form->FHistory);
    return TUndoStep_Capture(step, surface, &whole);
}

// Floods again from the step's point with its settings. The flood is kept inside the rectangle
// the step saved, so an undo after this redo puts back every pixel it wrote; a complete fill
// lies wholly inside it, so the same region is filled again.
static void RedoFill(TUndoStep* step) {
    TLayer* surface = step->FTarget;
    int32_t count = 0;
    const TPoint* points = TUndoStep_GetPoints(step, &count);
    if (!surface || !surface->FImage || count < 1) return;
    TImage* image = surface->FImage;
    TLayer_SetDrawAttr(surface, &reinterpret_cast<TUndoAreaStep*>(step)->FSettings);
    const int32_t clipOn = image->FClipOn;
    const TRectLTRB clip = image->FClipRect;
    TRectLTRB window;
    RectXYWHToLTRB(&window, &step->FRect);
    if (clipOn && RectIntersectLTRB(&window, &clip) != 0) window = {0, 0, 0, 0};
    TImage_SetClipRect(image, &window);
    TRectLTRB changed;
    TImage_FloodFillRect(image, points[0].x, points[0].y, &changed);
    TImage_SetClipRect(image, clipOn ? &clip : nullptr);
    TTool_RepaintSurfaceRect(step->FForm ? step->FForm : TWorkForm_GetActive(), surface, changed);
}

// Records a fill that wrote changed: from the backup when there is one, else the step already
// holds the whole surface. A fill no step can hold still stands, and the document is marked so
// that it asks to be saved.
static void RecordFill(TFillTool* tool, TWorkForm* form, TUndoStep* step, bool backedUp,
                       TLayer* surface, const TRectLTRB& changed) {
    if (!step) {
        TWorkForm_MarkUnrecordedChange(form);
    } else if (backedUp) {
        TRectXYWH rect;
        RectLTRBToXYWH(&rect, &changed);
        TWorkForm_AddCapturedUndo(form, step, tool->FBackup, surface, &rect);
    } else {
        TWorkForm_AddUndo(form, step);
    }
}

static int FillDown(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TFillTool* tool = AsFill(base);
    TLayer* surface = TTool_DrawingSurface(form);
    if (!surface) return 0;
    const TPoint p = TTool_ToSurface(form, surface, x, y);
    char text[64];
    std::snprintf(text, sizeof text, "Fill: (%d, %d)", int(p.x), int(p.y));
    DocumentHost_SetStatusText(text);
    TDrawAttr attr;
    TToolBar_GetDrawAttr(&attr);
    TUndoStep* step = TUndoStep_CreateToolStep(KFillStepKind, 0, 0);
    if (!step) {
        TTool_ShowNoUndoMemory();
        return 0;
    }
    step->FForm = form;
    TUndoStep_SetSettings(step, &attr);
    TUndoStep_SetPoints(step, &p, 1); // one point is kept inline
    TUndoStep_SetRedoProc(step, RedoFill);
    // Only what the flood can reach is copied: the surface, cut to its clip.
    const TRectLTRB window = FloodWindow(surface);
    const bool backedUp = TTool_TakeBackup(&tool->FBackup, surface, &window) == 0;
    if (!backedUp) {
        // Without the pixels the fill still happens but cannot be undone: say so now.
        if (CaptureWholeSurface(form, step, surface) != 0) {
            ShowLastError();
            step = TUndoStep_Destroy(step);
        }
    }
    TLayer_SetDrawAttr(surface, &attr);
    TRectLTRB changed;
    const int result = TImage_FloodFillRect(surface->FImage, p.x, p.y, &changed);
    const int code = GetLastErrorCode();
    if (IsEmpty(changed)) {
        TUndoStep_Destroy(step);
        if (result != -1) return 1; // nothing to fill
        SetLastErrorCode(code);
        ShowLastError();
        return 0;
    }
    // A fill cut short for memory is recorded too, so that undo restores what it wrote.
    RecordFill(tool, form, step, backedUp, surface, changed);
    {
        TWaitCursor wait;
        TTool_RepaintSurfaceRect(form, surface, changed);
    }
    if (result == 0) return 1;
    SetLastErrorCode(code);
    ShowLastError();
    return 0;
}

static int FillMove(TTool*, TWorkForm*, int32_t, int32_t) {
    return 1;
}

static int FillUp(TTool*, TWorkForm*, int32_t, int32_t) {
    DocumentHost_SetStatusText("");
    return 1;
}

static void FillDestroy(TTool* base) {
    TLayer_Destroy(AsFill(base)->FBackup);
    std::free(base);
}

TTool* TFill_Create() {
    TTool* base = TTool_Alloc(TTI_FILL, sizeof(TFillTool));
    if (!base) return nullptr;
    base->FDestroy = FillDestroy;
    base->FOnDown = FillDown;
    base->FOnMove = FillMove;
    base->FOnUp = FillUp;
    return base;
}
