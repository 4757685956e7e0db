// The New image dialog: the size of the new image (a preset, sliders, number boxes with spins,
// "Square") and the palette file that gives it its palette. The dialog only answers; making
// the image and reading the palette file are the New command's.
#pragma once

#include <cstdint>
#include <string>

class QDialog;
class QWidget;

// Control ids, each the object name of its control.
enum {
    KNewSizeList = 1019,
    KNewWidthSlider = 1028,
    KNewWidthBox = 1024,
    KNewWidthSpin = 1074,
    KNewHeightSlider = 1029,
    KNewHeightBox = 1021,
    KNewHeightSpin = 1075,
    KNewSquare = 1026,
    KNewPaletteList = 1059
};

struct TNewImageResult {
    int32_t FWidth, FHeight;    // the numbers in the two boxes at OK (0 for an empty box)
    std::string FPaletteFolder; // the palette folder, read when the dialog opened
    std::string FPaletteName;   // the chosen palette file's name; empty when none is chosen
};

// Runs the dialog modal to owner. 0 after OK with *result filled; -1 after Cancel (result
// untouched). The caller brackets it with the main form's dialog bracket.
int NewImageDialog_Run(QWidget* owner, TNewImageResult* result);

// The dialog unshown, for tests that drive it without a nested loop; the caller owns it.
QDialog* NewImageDialog_Create(QWidget* owner);
// The answer of a dialog made by NewImageDialog_Create: 0 once OK was pressed (result filled),
// else -1.
int NewImageDialog_GetResult(QDialog* dialog, TNewImageResult* result);
