// The File menu's commands: which dialog runs, how its answer reaches the main form and the
// document, and the status texts. Reading and writing pixels is the document's; replacing the
// document (with its save question) is the main form's.
#include "shell/file_commands.h"

#include <filesystem>
#include <string>

#include <QMainWindow>

#include "core/error.h"
#include "core/palette.h"
#include "document/work_form.h"
#include "shell/about_dialog.h"
#include "shell/file_dialogs.h"
#include "shell/icon_select_dialog.h"
#include "shell/main_form.h"
#include "shell/new_image_dialog.h"

void FileCommands_Install() {
    TWorkForm_SetSaveNameProvider(FileDialogs_AskSaveName);
    SelectIconImage_SetHandler(IconSelectDialog_Run);
}

// The chosen palette file into the new document's palette. A file that cannot be read leaves
// the palette as the new document made it, without a message.
static void ReadNewPalette(TWorkForm* doc, const TNewImageResult& answer) {
    if (!doc || answer.FPaletteName.empty()) return;
    std::filesystem::path path = std::filesystem::u8path(answer.FPaletteFolder) /
                                 std::filesystem::u8path(answer.FPaletteName);
    if (ReadPaletteFile(doc->FPalette, path.u8string().c_str()) < 0) ClearLastErrorCode();
}

int TMainForm_CmdNew(TMainForm* form) {
    if (!form) return -1;
    TNewImageResult answer;
    TMainForm_EnterDialog(form);
    int chosen = NewImageDialog_Run(form->FHandle, &answer);
    TMainForm_LeaveDialog(form);
    if (chosen != 0) return -1;
    if (TMainForm_NewImage(form, answer.FWidth, answer.FHeight) != 0) return -1;
    ReadNewPalette(TMainForm_GetActiveWorkForm(form), answer);
    TMainForm_ShowImageSize(form);
    TMainForm_SetStatusText(form, "New Image");
    return 0;
}

int TMainForm_CmdOpen(TMainForm* form) {
    if (!form) return -1;
    std::string path;
    if (!OpenFileDialog(form->FHandle, &path)) return 0;
    return TMainForm_OpenFile(form, path.c_str());
}

int TMainForm_CmdSave(TMainForm* form) {
    TWorkForm* doc = TMainForm_GetActiveWorkForm(form);
    return doc ? TWorkForm_Save(doc) : -1;
}

int TMainForm_CmdSaveAs(TMainForm* form) {
    TWorkForm* doc = TMainForm_GetActiveWorkForm(form);
    return doc ? TWorkForm_SaveDialog(doc) : -1;
}

void TMainForm_CmdAbout(TMainForm* form) {
    About_Run(form ? form->FHandle : nullptr);
}

void TMainForm_CmdHelp(TMainForm* form) {
    Help_Run(form ? form->FHandle : nullptr);
}
