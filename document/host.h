// The few things the document takes from the tool bar and the shell, as one record of
// operations they install when they exist: the secondary colour, the current drawing attributes,
// selecting a tool, the image size and status texts, the wait cursor and the grid setting.
// Until something is installed, plain defaults answer: a secondary colour kept here (white at
// first), a black pen of width 1, no grid, and the rest do nothing.
#pragma once

#include <cstdint>

#include "core/draw_attr.h"

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
int DocumentHost_ReadUseGrid();
