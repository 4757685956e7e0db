// The program's images, drawn as text pixel maps in this folder: the five menu-bar buttons
// (16 x 16), the program icon, the image strips of the tool buttons and the palette button, and
// the smaller strips of the shift pad's nine arrow buttons.
#pragma once

class QIcon;
class QPixmap;

enum {
    KResGridButton = 40079,
    KResActualSizeButton = 40080,
    KResZoomInButton = 40081,
    KResZoomOutButton = 40082,
    KResShowInfoButton = 40154,
    KResProgramIcon = 262
};

// Image strips: four 16 x 16 images side by side, 64 x 16 in all, in the order normal,
// highlighted, pressed (drawn like normal: the button paints its own pressed face) and disabled.
enum {
    KResToolPen = 127,
    KResToolEraser = 264,
    KResToolFill = 190,
    KResToolSolidLine = 136,
    KResToolSelection = 139,
    KResToolShift = 202,
    KResToolSpoid = 193,
    KResToolText = 141,
    KResToolHand = 135,
    KResToolDashLine = 194,
    KResToolRectangle = 137,
    KResToolFilledRectangle = 195,
    KResToolEllipse = 131,
    KResToolFilledEllipse = 198,
    KResToolCutSelection = 266,
    KResToolCopySelection = 265,
    // Its button is 12 pixels wide, so the picture keeps to the middle 12 columns of each image.
    KResPaletteButton = 211
};

enum {
    KResStripImageSide = 16, // each image is this many pixels square
    KResStripImageCount = 4  // normal, highlighted, pressed, disabled
};

// The shift pad's arrows: strips of four 12 x 12 images (48 x 12), in the same order, each
// drawing kept off the outer row and column of its image so that a pressed button's frame
// shows around it. Named by the way the pixels move.
enum {
    KResShiftDownLeft = 239,
    KResShiftDown = 240,
    KResShiftDownRight = 241,
    KResShiftCentre = 242, // back to where the pixels were when the tool became current
    KResShiftLeft = 243,
    KResShiftRight = 244,
    KResShiftUpLeft = 245,
    KResShiftUp = 246,
    KResShiftUpRight = 247,
    KResShiftImageSide = 12
};

// The image of id; a null pixmap for an unknown id.
QPixmap Resource_Pixmap(int id);
// The image strip of id; a null pixmap for an id that has none.
QPixmap Resource_Strip(int id);
// The program icon with every size drawn for it.
QIcon Resource_ProgramIcon();
