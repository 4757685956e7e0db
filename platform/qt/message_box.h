// The real message box: a handler for the message-box hook of platform/msgbox.h that shows a
// modal QMessageBox with the caption, text, icon and buttons asked for. The shell installs it at
// start; tests keep the recorder. Owns nothing past the call.
#pragma once

#include "platform/msgbox.h"

// Installs the Qt box as the message-box handler; the owner a caller passes, when not null, is
// the QWidget* the box is modal to. Install it only once a QApplication exists. Returns the
// handler it replaced.
TMessageBoxHandler MessageBoxInstallQt();
