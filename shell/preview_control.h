// PreviewControl: a small bordered window that shows a picture centred and reports stylus drags,
// so a dialog can pan a view over a larger image (the Brightness/Contrast dialog, the icon
// chooser). The picture lives in a TLayer the control owns; the owner draws into it and calls
// PreviewControl_Refresh. Knows nothing of documents or dialogs.
#pragma once

#include <cstdint>

#include "core/rect.h"

class QWidget;
struct TLayer;
struct PreviewControl;

// Called with the control and the stylus position in control coordinates (the widget's own,
// border included).
typedef void (*TPreviewStylusProc)(PreviewControl* control, int32_t x, int32_t y);

struct PreviewControl {
    QWidget* FHandle;  // the control: object name the id in decimal, a 1-pixel border
    QWidget* FParent;  // the parent window
    TLayer* FBuffer;   // the picture shown (24 bits with mask; the mask is not shown); owned;
                       // null until PreviewControl_SetSize gives a size of at least 1 x 1
    TRectXYWH FArea;   // the picture's size as last given (x, y are kept, not used)
    int32_t FDragging; // 1 while the stylus is down on the control
    int32_t FLastX;    // last stylus position, control coordinates
    int32_t FLastY;    //
    int32_t FStepX;    // last movement: previous position minus the new one
    int32_t FStepY;    //
    TPreviewStylusProc FOnDown, FOnMove, FOnUp; // any may be null
    int32_t FId;                                // the control id
    void* FUserData;                            // the owner's, for its handlers; never touched here
    int32_t FClearColour; // 0x00BBGGRR around the picture; -1 (the start) the window colour
};

// A visible child of parent with no picture yet. The owner places and sizes FHandle (a fixed
// size, or a layout); the client area is the widget less its 1-pixel border. Null with
// EC_NULL_OBJECT for a missing parent, EC_NO_MEMORY.
PreviewControl* PreviewControl_Create(QWidget* parent, int32_t id);
// When rect's width and height are not negative and fit into the client area, the buffer is
// replaced by a new black layer of that size (none for a size of 0) and rect is stored; else
// nothing changes. Returns 0; -1 with EC_NULL_OBJECT (no control), EC_EMPTY_AREA (does not fit)
// or the layer's error (EC_NO_MEMORY, EC_GDI_OBJECT), the old buffer then already gone.
int PreviewControl_SetSize(PreviewControl* control, const TRectXYWH* rect);
// Clears the client area to colour (0x00BBGGRR): what the picture does not cover shows it
// from now on. Nothing for null.
void PreviewControl_Clear(PreviewControl* control, uint32_t colour);
// The picture to draw into (colour through FBuffer->FDC or FBuffer->FImage), or null.
TLayer* PreviewControl_GetBuffer(PreviewControl* control);
// Shows the buffer's current pixels: the client area is repainted with the picture centred on
// each axis at (client size - picture size) / 2, the rest in the clear colour. Nothing for null.
void PreviewControl_Refresh(PreviewControl* control);
// The client point where the picture's pixel (0, 0) is drawn (in control coordinates).
void PreviewControl_GetPictureOrigin(const PreviewControl* control, int32_t* x, int32_t* y);
// Destroys the widget and the buffer. Returns null.
PreviewControl* PreviewControl_Destroy(PreviewControl* control);

// The stylus as the widget reports it (left button press, move, release), for the widget and
// for tests that drive the control directly.
void PreviewControl_StylusDown(PreviewControl* control, int32_t x, int32_t y);
void PreviewControl_StylusMove(PreviewControl* control, int32_t x, int32_t y);
void PreviewControl_StylusUp(PreviewControl* control, int32_t x, int32_t y);
