// The About and Help dialogs of the File menu: the program's name, version, icon, logo and the
// maker's contact addresses, and where the documentation lives. Both only inform; they keep no
// state beyond their windows.
#pragma once

#include <cstdint>

class QDialog;
class QWidget;

// The maker's contact addresses as both dialogs show them.
extern const char* const KContactEmail;
extern const char* const KContactWeb;

enum : uint32_t { KEmailColour = 0xFF0000 }; // the e-mail address's colour value: pure blue

// Runs the dialog modal to owner until OK (or the window is closed).
void About_Run(QWidget* owner);
void Help_Run(QWidget* owner);

// The dialogs unshown, for tests that drive them without a nested loop; the caller owns them.
// About's e-mail is drawn into its placeholder, the child named "email"; Help's separator is
// the line y = 24 across the whole dialog.
QDialog* About_CreateDialog(QWidget* owner);
QDialog* Help_CreateDialog(QWidget* owner);
