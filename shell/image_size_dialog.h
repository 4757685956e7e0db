// The Image Size dialog: size presets (half, 150 %, double), a custom width and height in pixels
// or percent of the starting size, a kept aspect ratio, and the Smooth Scaling choice. Only
// computes the new size; resizing the document is the caller's (TWorkForm_ResizeImage).
//
// Each size box is a spin box whose text field is the box: the spin box carries the spin's id
// (1014, 1015) as its object name and its text field (a QLineEdit) the box's (1024, 1021).
// The arrows step within 1..9999; typing is not limited beyond reading a number.
#pragma once

#include <cstdint>

class QDialog;
class QWidget;

enum {
    KIsSizeBox = 1019,
    KIsWidthBox = 1024,
    KIsWidthSpin = 1014,
    KIsWidthUnit = 1062,
    KIsHeightBox = 1021,
    KIsHeightSpin = 1015,
    KIsHeightUnit = 1037,
    KIsRatio = 1026,
    KIsSmooth = 1068
};

struct TImageSizeDialog {
    QDialog* FHandle;         // the dialog window; owned
    int32_t FResult;          // 0 after OK with a new size, -1 otherwise
    float FRatio;             // starting width / starting height
    int32_t FOrigWidth;       // the image size when the dialog opened, at least 1
    int32_t FOrigHeight;      //
    int32_t FWidthInPercent;  // 1 when the width's unit is "percent"
    int32_t FHeightInPercent; //
    int32_t FNewWidth;        // the size OK applies, at least 1 (0 x 0 after Cancel)
    int32_t FNewHeight;       //
    int32_t FSmooth;          // "Smooth Scaling" checked
    int32_t FWriting;         // 1 while the dialog itself rewrites a size box
};

// The dialog for an image of width x height, not yet shown. Null with EC_EMPTY_AREA for a size
// below 1 x 1, or EC_NO_MEMORY.
TImageSizeDialog* ImageSize_Create(QWidget* parent, int32_t width, int32_t height);
// Destroys the dialog window. Returns null.
TImageSizeDialog* ImageSize_Destroy(TImageSizeDialog* dialog);

// Runs the dialog modal to parent, with the main form's menu bar inactive meanwhile. 0 after OK
// with a size other than the starting one in *newWidth, *newHeight; -1 otherwise: after OK with
// the starting size (the outputs hold it), after Cancel (the outputs 0 x 0), or for a size below
// 1 x 1 (the error shown, the outputs untouched). *smooth is set whenever the dialog ran.
int ImageSize_Run(QWidget* parent, int32_t width, int32_t height, int32_t* newWidth,
                  int32_t* newHeight, int* smooth);
