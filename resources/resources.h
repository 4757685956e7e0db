// The program's images, drawn as text pixel maps in this folder: the five menu-bar buttons
// (16 x 16) and the program icon.
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

// The image of id; a null pixmap for an unknown id.
QPixmap Resource_Pixmap(int id);
// The program icon with every size drawn for it.
QIcon Resource_ProgramIcon();
