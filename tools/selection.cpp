// The selection tools' drag: the band with its overlap rule, the move of an existing selection,
// the commit on a tap outside it, and the rectangle handed to the work form on release (its end
// point exclusive). The outline goes through the work form's band, which keeps it on the screen
// across renders; a move only inverts and shows the old and new outlines.
#include "tools/selection.h"

#include "core/error.h"
#include "document/work_form.h"

namespace {
TSelectionTool* AsSelection(TTool* tool) {
    return reinterpret_cast<TSelectionTool*>(tool);
}

// Shows the band of FStart and FEnd, its corners ordered, at the zoom.
void ShowOutline(TSelectionTool* tool, TWorkForm* form) {
    tool->FBand = TWorkForm_ImageRectToClient(form, TTool_Box(tool->FStart, tool->FEnd));
    TWorkForm_ShowBand(form, &tool->FBand);
}

void Offset(TSelectionTool* tool, int32_t dx, int32_t dy) {
    tool->FStart.x += dx, tool->FStart.y += dy;
    tool->FEnd.x += dx, tool->FEnd.y += dy;
}

// A band moved off the picture is pushed back until one row or column of it still lies on it.
void KeepOverlap(TSelectionTool* tool, TWorkForm* form) {
    TRectXYWH canvas = {0, 0, 0, 0};
    if (TWorkForm_GetImageRect(form, &canvas) != 0) return;
    if (tool->FStart.x >= canvas.width) Offset(tool, canvas.width - 1 - tool->FStart.x, 0);
    if (tool->FStart.y >= canvas.height) Offset(tool, 0, canvas.height - 1 - tool->FStart.y);
    if (tool->FEnd.x <= 0) Offset(tool, 1 - tool->FEnd.x, 0);
    if (tool->FEnd.y <= 0) Offset(tool, 0, 1 - tool->FEnd.y);
}

int SelectionDown(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TSelectionTool* tool = AsSelection(base);
    if (!form) return 0;
    if (tool->FDragging) TWorkForm_ShowBand(form, nullptr); // a press without its release
    TPoint p = TWorkForm_ClientToImage(form, {x, y});
    if (form->FSelectMode != TSM_NONE) {
        if (TWorkForm_HitSelection(form, p.x, p.y) != 0) {
            tool->FDragging = 0;
            TWorkForm_CommitSelection(form);
            return 1;
        }
        TRectLTRB r;
        TWorkForm_GetSelectionRect(form, &r);
        tool->FStart = {r.left, r.top};
        tool->FEnd = {r.right, r.bottom};
    } else {
        tool->FStart = tool->FEnd = p;
    }
    tool->FLast = p;
    tool->FDragging = 1;
    ShowOutline(tool, form);
    TTool_ShowDragStatus(tool->FStart, tool->FEnd);
    return 1;
}

int SelectionMove(TTool* base, TWorkForm* form, int32_t, int32_t) {
    TSelectionTool* tool = AsSelection(base);
    if (!tool->FDragging) return 0;
    TPoint p = TTool_StylusPoint(form);
    if (form->FSelectMode != TSM_NONE) {
        Offset(tool, p.x - tool->FLast.x, p.y - tool->FLast.y);
        KeepOverlap(tool, form);
        tool->FLast = p;
    } else {
        tool->FEnd = p;
    }
    ShowOutline(tool, form);
    TTool_ShowDragStatus(tool->FStart, tool->FEnd);
    return 1;
}

int SelectionUp(TTool* base, TWorkForm* form, int32_t, int32_t) {
    TSelectionTool* tool = AsSelection(base);
    if (!tool->FDragging) return 0;
    tool->FDragging = 0;
    TPoint p = TTool_StylusPoint(form);
    TWorkForm_ShowBand(form, nullptr);
    if (form->FSelectMode != TSM_NONE) {
        // The last step is taken as it comes: the overlap rule holds the band while dragging.
        Offset(tool, p.x - tool->FLast.x, p.y - tool->FLast.y);
        TWorkForm_MoveSelection(form, tool->FStart.x, tool->FStart.y, tool->FRecordMoves);
        return 1;
    }
    // The band of the last move: the release point is not added, and the end is exclusive.
    TRectLTRB r = TTool_Box(tool->FStart, tool->FEnd);
    tool->FStart = {r.left, r.top};
    tool->FEnd = {r.right, r.bottom};
    if (!TWorkForm_GetActiveLayer(form)) return 1;
    TRectXYWH area = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    const int op = tool->FTool.FId == TTI_CUT_SELECTION    ? TWS_CUT_FLOAT
                   : tool->FTool.FId == TTI_COPY_SELECTION ? TWS_COPY_FLOAT
                                                           : TWS_AREA;
    TWorkForm_Select(form, &area, op);
    return 1;
}

// Esc or a lost grab: the outline goes, nothing is selected or moved.
void SelectionCancel(TTool* base, TWorkForm* form) {
    TSelectionTool* tool = AsSelection(base);
    if (!tool->FDragging) return;
    tool->FDragging = 0;
    TWorkForm_ShowBand(form, nullptr);
}

// A tool that leaves in the middle of a drag takes its outline with it.
void SelectionDeactivate(TTool* base) {
    SelectionCancel(base, TWorkForm_GetActive());
}
} // namespace

TTool* TSelection_Create(int32_t id) {
    if (id != TTI_SELECTION && id != TTI_CUT_SELECTION && id != TTI_COPY_SELECTION)
        return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TTool* base = TTool_Alloc(id, sizeof(TSelectionTool));
    if (!base) return nullptr;
    base->FOnDown = SelectionDown;
    base->FOnMove = SelectionMove;
    base->FOnUp = SelectionUp;
    base->FOnDeactivate = SelectionDeactivate;
    base->FOnCancel = SelectionCancel;
    AsSelection(base)->FRecordMoves = 1;
    return base;
}
