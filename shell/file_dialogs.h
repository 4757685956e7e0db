// The open and save file dialogs of the file commands: Qt's own file dialog (never the desktop's,
// so patterns match in any case), owned by the main window, empty initial name, no default
// suffix. The chosen filter never decides the format and nothing is ever added to a chosen
// name: the document takes the format from the name alone. The open dialog shows a thumbnail of
// the selected file. Tests answer the question through a replaceable asker.
#pragma once

#include <string>

class QFileDialog;
class QWidget;
struct TWorkForm;

enum TFileDialogKind { TFD_OPEN = 0, TFD_SAVE = 1 };

// The filters as the dialogs show them, in order: the label as the user reads it, then the
// patterns Qt matches in parentheses.
extern const char* const KOpenFilters[5];
extern const char* const KSaveFilters[4];

// Asks for the path of a file to open (kind TFD_OPEN) or to save under (TFD_SAVE), modal to
// owner. True with the chosen path; false when cancelled (path untouched).
typedef bool (*TAskFileNameProc)(QWidget* owner, int kind, std::string* path);
// Replaces the asker (null restores the real dialogs); returns the one it replaced.
TAskFileNameProc FileDialogs_SetAskProc(TAskFileNameProc proc);

// The real dialogs, unshown, for callers that run them and for tests that inspect them. The
// caller owns the dialog.
QFileDialog* FileDialogs_CreateOpenDialog(QWidget* owner);
QFileDialog* FileDialogs_CreateSaveDialog(QWidget* owner);

// The open question: an existing file. True with its path, false when cancelled.
bool OpenFileDialog(QWidget* owner, std::string* path);
// The save question: any name, taken as typed. True with the path, false when cancelled.
bool SaveFileDialog(QWidget* owner, std::string* path);

// The document's save-name provider: the save dialog, modal to the window form lives in.
bool FileDialogs_AskSaveName(TWorkForm* form, std::string* name);
