// The program's start and clean end around its message loop, shared by main() and the tests
// that run the program as main() does: the single instance, the offer of a recovery copy, the
// main form on the recovered picture or the image named on the command line, the autosave; and
// at the end the form, the copy and the instance name let go.
#pragma once

#include <QStringList>

struct TMainForm;

// After the QApplication and its message box exist. The main form, shown; null when the program
// is to end now (another editor was asked to come forward, or the form could not be made).
TMainForm* Program_Start(const QStringList& arguments);
// After the message loop ended (the exit sequence ran): the copy is deleted, whatever the loop
// left behind goes, the instance name is released and the application record freed.
void Program_Finish();
