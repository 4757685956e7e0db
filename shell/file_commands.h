// The File menu's commands on the shell's side: New (the New image dialog, then a blank image
// with the chosen palette file read into it), Open (the open dialog, then the main form's open),
// Save and Save As (the document's save through the save dialog), About and Help. Every
// failure is shown once; a cancelled dialog ends its command without a message.
#pragma once

struct TMainForm;

// Installs the file dialogs' answers into the document: the save dialog as its save-name
// provider and the icon selection dialog as its icon-entry handler. Once at start-up, before
// the first document is opened.
void FileCommands_Install();

// New (40011): 0 when a new document replaced the old one; -1 when the dialog or the save
// question was cancelled or the image could not be made (the error shown).
int TMainForm_CmdNew(TMainForm* form);
// Open (40009): 1 opened; 0 cancelled (dialog, icon choice or save question); -1 failed (the
// error shown). The current document stays unless 1.
int TMainForm_CmdOpen(TMainForm* form);
// Save (40012) and Save As (40013) of the active document: 0 saved; -1 cancelled or failed (the
// error shown), or no document.
int TMainForm_CmdSave(TMainForm* form);
int TMainForm_CmdSaveAs(TMainForm* form);
// About (40003) and Help (40048), modal to the main window.
void TMainForm_CmdAbout(TMainForm* form);
void TMainForm_CmdHelp(TMainForm* form);
