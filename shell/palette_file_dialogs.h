// The two small dialogs of the palette folder: "Open Palette.." lists the folder's .pal files
// and answers the one tapped; "Save As" takes a file name, checks it, adds ".pal" when missing
// and asks before an existing file is replaced. Both only answer a path: reading and writing
// the file are the caller's. The folder is the stored palette folder, read when a dialog opens.
#pragma once

#include <string>

class QDialog;
class QWidget;

// Control ids, each the object name of its control.
enum {
    KPalFileList = 1005,
    KPalTypeBox = 1102,
    KPalFolderBox = 1103,
    KPalNameBox = 1104,
    KPalNameColumnWidth = 140,
    KPalTypeColumnWidth = 100
};

// The type text the palette dialogs are given by the Palette Setup dialog.
extern const char* const KPaletteFileType;

// Runs the Open Palette dialog modal to owner, typeText in its type box. 0 with *path the
// chosen file's full path; -1 after Cancel (path untouched).
int OpenPaletteDialog_Run(QWidget* owner, const char* typeText, std::string* path);
// Runs the palette Save As dialog modal to owner. 0 with *path the full path to write (the
// user agreed to replace the file there, if any); -1 after Cancel (path untouched).
int SavePaletteDialog_Run(QWidget* owner, const char* typeText, std::string* path);

// The dialogs unshown, for tests that drive them without a nested loop; the caller owns them.
QDialog* OpenPaletteDialog_Create(QWidget* owner, const char* typeText);
QDialog* SavePaletteDialog_Create(QWidget* owner, const char* typeText);
// The answer of a dialog made by one of the two: 0 once it ended with a path (path filled),
// else -1.
int PaletteFileDialog_GetResult(QDialog* dialog, std::string* path);
