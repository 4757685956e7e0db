// The few things the document takes from the tool bar and the shell, as one record of
// operations they install when they exist: the secondary colour, the current drawing attributes,
// selecting a tool and asking which is current, the image size and status texts, the wait
// cursor, the grid setting, and the current tool's stylus handlers. Until something is
// installed, plain defaults answer: a secondary colour kept here (white at first), a black pen
// of width 1, no current tool (0), no grid, and the rest do nothing (stylus events go nowhere).
#pragma once

#include <cstdint>

#include "core/draw_attr.h"

struct TWorkForm;

struct TDocumentHost {
    uint32_t (*FGetSecondaryColor)();
    void (*FSetSecondaryColor)(uint32_t color);
    void (*FGetDrawAttr)(TDrawAttr* attr);
    void (*FSelectTool)(int toolId);
    void (*FShowImageSize)(int32_t width, int32_t height);
    void (*FSetStatusText)(const char* text);
    void (*FBeginWait)();
    void (*FEndWait)();
    int (*FReadUseGrid)();
    int (*FGetCurrentTool)(); // the current tool's id, 0 for none
    // A stylus event (TWE_DOWN, TWE_MOVE, TWE_UP) at render-window client point (x, y) for the
    // current tool.
    void (*FStylus)(TWorkForm* form, int event, int32_t x, int32_t y);
};

// Installs host; null operations in it keep their defaults, and a null host restores every
// default. The record is copied.
void DocumentHost_Install(const TDocumentHost* host);

uint32_t DocumentHost_GetSecondaryColor();
void DocumentHost_SetSecondaryColor(uint32_t color);
void DocumentHost_GetDrawAttr(TDrawAttr* attr); // null attr: nothing
void DocumentHost_SelectTool(int toolId);
void DocumentHost_ShowImageSize(int32_t width, int32_t height);
void DocumentHost_SetStatusText(const char* text);
void DocumentHost_BeginWait();
void DocumentHost_EndWait();

// The host's wait cursor for the life of a scope.
struct TWaitCursor {
    TWaitCursor() { DocumentHost_BeginWait(); }
    ~TWaitCursor() { DocumentHost_EndWait(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};
int DocumentHost_ReadUseGrid();
int DocumentHost_GetCurrentTool();
void DocumentHost_Stylus(TWorkForm* form, int event, int32_t x, int32_t y);
