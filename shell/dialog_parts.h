// The pieces the shell's dialogs are built from: the bold heading, the line under it, the OK and
// Cancel pair, and a row of buttons with one more on the left (Default, Reset).
#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;
class QFrame;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

// A label in the parent's font made bold.
QLabel* Dialog_CreateHeading(const QString& text, QWidget* parent);
// A plain one-pixel horizontal line.
QFrame* Dialog_CreateSeparator(QWidget* parent);
// "OK" and "Cancel", connected to the dialog's accept and reject.
QDialogButtonBox* Dialog_CreateOkCancel(QDialog* dialog);
// extraText on the left, then "OK" (the default button) and "Cancel" on the right; the three
// buttons are handed back for the caller to connect.
QHBoxLayout* Dialog_CreateButtonRow(const QString& extraText, QWidget* parent, QPushButton** extra,
                                    QPushButton** ok, QPushButton** cancel);
