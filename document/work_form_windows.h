// The Qt windows of a work form: the work form window, the scroll area with its 2 x 2 checker,
// the two scroll bars and the blank corner piece, and the render window (render_window.h).
// Placement is done by the view's own arithmetic (work_form_view.cpp) with setGeometry; these
// windows only forward what they receive: stylus events to TWorkForm_Stylus in render-window
// client coordinates, scroll bar actions to TWorkForm_OnScrollBar, timer 1001 ticks to the
// selection outline. Each window's object name is its class name ("WorkForm",
// "ScrollAreaWindow", "RenderWindow"); the scroll bars and the corner carry their ids as
// object names ("100", "101", "102").
#pragma once

struct TWorkForm;
class QWidget;

// Makes the windows under parent (visible work form, hidden bars and corner, the render window
// at 100 x 100) and stores them in form. 0; -1 with EC_WINDOW_CREATE or EC_NO_MEMORY, leaving
// what was made for WorkFormWindows_Destroy.
int WorkFormWindows_Create(TWorkForm* form, QWidget* parent);
// Destroys every window of form (the render window first) and nulls the fields.
void WorkFormWindows_Destroy(TWorkForm* form);
// Timer 1001 on the work form window: every 100 ms one frame of the selection outline.
void WorkFormWindows_StartSelectionTimer(TWorkForm* form);
void WorkFormWindows_StopSelectionTimer(TWorkForm* form);
// The main window's size (the top-level window of the work form), for the off-screen buffer.
void WorkFormWindows_GetMainSize(const TWorkForm* form, int* width, int* height);
