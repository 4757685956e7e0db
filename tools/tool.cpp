// The tool record's allocation and its guarded calls.
#include "tools/tool.h"

#include <cstdio>
#include <cstdlib>

#include "core/error.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/work_form.h"

TTool* TTool_Alloc(int32_t id, size_t size) {
    if (size < sizeof(TTool)) size = sizeof(TTool);
    TTool* tool = static_cast<TTool*>(std::calloc(1, size));
    if (!tool) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    tool->FId = id;
    return tool;
}

TTool* TTool_Destroy(TTool* tool) {
    if (!tool) return nullptr;
    if (tool->FDestroy)
        tool->FDestroy(tool);
    else
        std::free(tool);
    return nullptr;
}

int TTool_Down(TTool* tool, TWorkForm* form, int32_t x, int32_t y) {
    return tool && tool->FOnDown ? tool->FOnDown(tool, form, x, y) : 0;
}
int TTool_Move(TTool* tool, TWorkForm* form, int32_t x, int32_t y) {
    return tool && tool->FOnMove ? tool->FOnMove(tool, form, x, y) : 0;
}
int TTool_Up(TTool* tool, TWorkForm* form, int32_t x, int32_t y) {
    return tool && tool->FOnUp ? tool->FOnUp(tool, form, x, y) : 0;
}
int TTool_Stylus(TTool* tool, TWorkForm* form, int event, int32_t x, int32_t y) {
    switch (event) {
    case TWE_DOWN:
        return TTool_Down(tool, form, x, y);
    case TWE_MOVE:
        return TTool_Move(tool, form, x, y);
    case TWE_UP:
        return TTool_Up(tool, form, x, y);
    case TWE_CANCEL:
        if (!tool || !tool->FOnCancel) return 0;
        tool->FOnCancel(tool, form);
        return 1;
    default:
        return 0;
    }
}
void TTool_Activate(TTool* tool) {
    if (tool && tool->FOnActivate) tool->FOnActivate(tool);
}
void TTool_Deactivate(TTool* tool) {
    if (tool && tool->FOnDeactivate) tool->FOnDeactivate(tool);
}

void TTool_ShowDragStatus(TPoint a, TPoint b) {
    char text[96];
    std::snprintf(text, sizeof text, "(%d, %d) - (%d, %d) WH: %dx%d", int(a.x), int(a.y), int(b.x),
                  int(b.y), int(std::abs(b.x - a.x)), int(std::abs(b.y - a.y)));
    DocumentHost_SetStatusText(text);
}

TRectLTRB TTool_Box(TPoint a, TPoint b) {
    return {a.x < b.x ? a.x : b.x, a.y < b.y ? a.y : b.y, a.x < b.x ? b.x : a.x,
            a.y < b.y ? b.y : a.y};
}

TLayer* TTool_DrawingSurface(TWorkForm* form) {
    TLayer* surface = form ? TWorkForm_GetActiveLayer(form) : nullptr;
    return surface && surface->FImage ? surface : nullptr;
}

TPoint TTool_StylusPoint(TWorkForm* form) {
    TPoint p = {0, 0};
    TWorkForm_GetStylusPoint(form, &p);
    return p;
}

TPoint TTool_ToSurface(TWorkForm* form, const TLayer* surface, int32_t x, int32_t y) {
    TPoint p = TWorkForm_ClientToImage(form, {x, y});
    TLayer_ToLocalPoint(surface, &p);
    return p;
}

void TTool_RepaintSurfaceRect(TWorkForm* form, TLayer* surface, TRectLTRB r) {
    TRectLTRB bounds = {0, 0, surface->FWidth, surface->FHeight};
    if (RectIntersectLTRB(&r, &bounds) != 0) return;
    TLayer_ToDocRect(surface, &r);
    TRectXYWH doc;
    RectLTRBToXYWH(&doc, &r);
    TWorkForm_RepaintRect(form, &doc);
}

int TTool_TakeBackup(TLayer** backup, TLayer* surface, const TRectLTRB* window) {
    TLayer* held = *backup;
    if (!held || !held->FImage || held->FWidth < surface->FWidth ||
        held->FHeight < surface->FHeight) {
        *backup = TLayer_Destroy(*backup);
        held = TLayer_Create(surface->FWidth, surface->FHeight);
        if (!held || !held->FImage) {
            int code = held ? GetLastErrorCode() : EC_NO_MEMORY;
            TLayer_Destroy(held);
            return SetLastErrorCode(code ? code : EC_NO_MEMORY), -1;
        }
        *backup = held;
    }
    TRectLTRB w = window ? *window : TRectLTRB{0, 0, surface->FWidth, surface->FHeight};
    if (w.right <= w.left || w.bottom <= w.top) return 0;
    if (TLayer_Blt(held, w.left, w.top, w.right - w.left, w.bottom - w.top, surface, w.left, w.top,
                   GDI_SRCCOPY) == 0)
        return 0;
    *backup = TLayer_Destroy(*backup);
    return -1;
}

void TTool_ShowNoUndoMemory() {
    SetLastErrorCode(EC_UNDO_MEMORY);
    ShowLastError();
}
