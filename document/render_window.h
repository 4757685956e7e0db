// TRenderWindow: the window the picture is shown in, a child of the scroll area exactly as
// large as the zoomed image. Its drawing context covers only the part of it inside the scroll
// area (a render window may be 64000 pixels wide), so the context's pixel (0, 0) shows the
// client point (FOriginX, FOriginY). Painting copies that context to the screen; when the
// visible part has moved since the last render, the paint renders it first from the composite.
#pragma once

#include <cstdint>

#include "document/work_form.h"

struct TWindowDC;

struct TRenderWindow {
    TWorkForm* FForm;           // borrowed
    QWidget* FWidget;           // the window (object name "RenderWindow")
    TWindowDC* FWindowDC;       // owned; the visible part
    int32_t FOriginX, FOriginY; // client point of the context's pixel (0, 0)
    int32_t FStale;             // 1: the context does not show the picture; the next paint renders
};

// A render window in form's scroll area, at 100 x 100. Null with EC_NO_MEMORY.
TRenderWindow* TRenderWindow_Create(TWorkForm* form);
TRenderWindow* TRenderWindow_Destroy(TRenderWindow* window); // returns null
// The target over the window's visible part, the context resized and moved to it first (which
// marks it stale when it moved). 0; -1 with EC_NULL_DC when there is none.
int TRenderWindow_GetTarget(TRenderWindow* window, TRenderTarget* out);
// Shows what was drawn into the context inside the client rectangle (null: all of it).
void TRenderWindow_Update(TRenderWindow* window, const TRectLTRB* client);
