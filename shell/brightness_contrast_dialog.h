// The Brightness/Contrast dialog: two sliders with their signed values and a live preview of at
// most 96 x 96 pixels of the document image, panned by dragging, adjusted contrast first and
// brightness second exactly as the document will be. Reads the document; never changes it:
// applying the values is the caller's (TWorkForm_AdjustBrightnessContrast).
#pragma once

#include <cstdint>

class QDialog;
class QWidget;
struct PreviewControl;
struct TLayer;
struct TWorkForm;

enum {
    KBcPreviewId = 100,
    KBcPreviewSize = 98, // the preview control, border included
    KBcViewLimit = 96,   // the largest view of the image it shows
    KBcContrastSlider = 1003,
    KBcBrightnessSlider = 1004,
    KBcContrastBox = 1012,
    KBcBrightnessBox = 1013
};

struct TBrightnessContrastDialog {
    QDialog* FHandle;           // the dialog window; owned
    int32_t FResult;            // 0 after OK, -1 otherwise
    TLayer* FSource;            // the current view of the image, adjusted in place; owned
    TLayer* FShown;             // what the preview shows, FSource's size; owned
    PreviewControl* FPreview;   // id 100; owned
    int32_t FOffsetX, FOffsetY; // view origin in the document image, image pixels
    int32_t FContrast;          // -128..128, the slider at OK
    int32_t FBrightness;        // -100..100, the slider at OK
    TWorkForm* FForm;           // the document shown; not owned
    int32_t FShownContrast;     // the values the preview last showed
    int32_t FShownBrightness;   //
    int32_t FShownX, FShownY;   // the offsets the preview last showed
};

// The dialog for form's active layer, not yet shown, the preview at the view's origin
// (form->FVisibleRect.x, .y) showing the unadjusted image. Null with the last error (nothing
// shown) when form has no image (EC_NO_ACTIVE_LAYER) or a surface cannot be made.
TBrightnessContrastDialog* BrightnessContrast_Create(QWidget* parent, TWorkForm* form);
// Destroys the dialog window and the surfaces. Returns null.
TBrightnessContrastDialog* BrightnessContrast_Destroy(TBrightnessContrastDialog* dialog);
// Shows the view with contrast c and brightness b after panning by (stepX, stepY) image pixels
// (clamped so the view stays inside the image); (0, 0) shows the unadjusted view.
void BrightnessContrast_ShowView(TBrightnessContrastDialog* dialog, int32_t c, int32_t b,
                                 int32_t stepX, int32_t stepY);

// Runs the dialog modal to parent. 0 after OK with *contrast and *brightness set; -1 after
// Cancel, or when the dialog could not be made (the error shown), the outputs untouched.
int BrightnessContrast_Run(QWidget* parent, TWorkForm* form, int* contrast, int* brightness);
