// The Preference dialog: the start options (Use Grid, Canvas Size, Default Palette), written to
// the stored settings on OK.
#pragma once

class QWidget;

// Runs the dialog modal to parent. Returns 1 after OK (the settings written), 0 after Cancel.
int Preference_Run(QWidget* parent);
// The dialog itself, for tests that drive it without running a nested loop: the caller owns it.
class QDialog;
QDialog* Preference_CreateDialog(QWidget* parent);
