// The main window's command dispatch: one table row per command number, naming its operation
// and whether it needs a document. Almost every operation belongs to the active document's
// work form; the handler fetches it, runs the operation and refreshes the menu states. With no
// active document a document command does nothing.
#include <cstdio>

#include <QWidget>

#include "core/color_count.h"
#include "core/error.h"
#include "core/layer.h"
#include "document/work_form.h"
#include "platform/msgbox.h"
#include "platform/qt/timer.h"
#include "shell/brightness_contrast_dialog.h"
#include "shell/command_ids.h"
#include "shell/file_commands.h"
#include "shell/image_size_dialog.h"
#include "shell/main_form.h"
#include "shell/main_window.h"
#include "shell/palette_setup_dialog.h"
#include "shell/preference_dialog.h"
#include "shell/settings.h"
#include "tools/status_bar.h"

namespace {

// doc is the active document, null for the commands that need none.
typedef void (*TCommandProc)(TMainForm* form, TWorkForm* doc);

// ---- The program and its files ----

void CmdClose(TMainForm* form, TWorkForm*) {
    TMainForm_Exit(form); // destroys the window and ends the loop unless cancelled
}

void CmdNew(TMainForm* form, TWorkForm*) {
    TMainForm_CmdNew(form);
}
void CmdOpen(TMainForm* form, TWorkForm*) {
    TMainForm_CmdOpen(form);
}
void CmdSave(TMainForm* form, TWorkForm*) {
    TMainForm_CmdSave(form);
}
void CmdSaveAs(TMainForm* form, TWorkForm*) {
    TMainForm_CmdSaveAs(form);
}
void CmdAbout(TMainForm* form, TWorkForm*) {
    TMainForm_CmdAbout(form);
}
void CmdHelp(TMainForm* form, TWorkForm*) {
    TMainForm_CmdHelp(form);
}

void CmdPreference(TMainForm* form, TWorkForm*) {
    Preference_Run(form->FHandle);
}

// ---- Edit ----

void CmdUndo(TMainForm*, TWorkForm* doc) {
    TWorkForm_Undo(doc);
}
void CmdRedo(TMainForm*, TWorkForm* doc) {
    TWorkForm_Redo(doc);
}
void CmdClear(TMainForm*, TWorkForm* doc) {
    TWorkForm_Clear(doc);
}
void CmdCopy(TMainForm*, TWorkForm* doc) {
    TWorkForm_Copy(doc);
}
void CmdCut(TMainForm*, TWorkForm* doc) {
    TWorkForm_Cut(doc);
}
void CmdPaste(TMainForm*, TWorkForm* doc) {
    TWorkForm_Paste(doc);
}

// The selected area becomes a document of its own, after the save question for this one.
void CmdCrop(TMainForm* form, TWorkForm* doc) {
    TWorkForm* cropped = TWorkForm_Crop(doc, form->FClient);
    MainForm_HoldNewWorkForm(form, cropped);
    if (!cropped) {
        ShowLastError();
        return;
    }
    MainForm_TakeDocument(form, cropped, "Crop Image");
}

void CmdSelectAll(TMainForm*, TWorkForm* doc) {
    TWorkForm_SelectAll(doc);
}
void CmdSelectNone(TMainForm*, TWorkForm* doc) {
    TWorkForm_CommitSelection(doc);
}
// Right turns clockwise: the angle is counted the other way.
void CmdRotateRight(TMainForm*, TWorkForm* doc) {
    TWorkForm_Rotate(doc, -90);
}
void CmdRotateLeft(TMainForm*, TWorkForm* doc) {
    TWorkForm_Rotate(doc, 90);
}
void CmdRotate180(TMainForm*, TWorkForm* doc) {
    TWorkForm_Rotate(doc, 180);
}
void CmdFlipHorizontal(TMainForm*, TWorkForm* doc) {
    TWorkForm_Flip(doc, 0);
}
void CmdFlipVertical(TMainForm*, TWorkForm* doc) {
    TWorkForm_Flip(doc, 1);
}

// ---- View ----

void CmdZoomIn(TMainForm*, TWorkForm* doc) {
    TWorkForm_ZoomIn(doc);
}
void CmdZoomOut(TMainForm*, TWorkForm* doc) {
    TWorkForm_ZoomOut(doc);
}
void CmdFitToScreen(TMainForm*, TWorkForm* doc) {
    TWorkForm_FitToScreen(doc);
}

// The menu item only reposts the button's command, so both always do the same.
void CmdActualSize(TMainForm* form, TWorkForm*) {
    PostCall(
        [] {
            if (TMainForm* current = TMainForm_Get())
                TMainForm_OnCommand(current, KCmdActualSizeButton);
        },
        form->FHandle);
}

void CmdToggleActualSize(TMainForm*, TWorkForm* doc) {
    TWorkForm_ToggleActualSize(doc);
}

void CmdGrid(TMainForm*, TWorkForm* doc) {
    if (TWorkForm_IsGridShown(doc))
        TWorkForm_HideGrid(doc);
    else
        TWorkForm_ShowGrid(doc);
}

void CmdShowInfo(TMainForm* form, TWorkForm*) {
    if (!form->FStatusBar || !form->FStatusBar->FHandle) return;
    bool visible = !TMainForm_IsStatusBarVisible(form);
    form->FStatusBar->FHandle->setVisible(visible);
    TMainForm_Layout(form);
    WriteStatusBarVisible(visible ? 1 : 0);
}

// ---- Adjustments ----

// A copied floating selection is merged first, so the dialog shows what it will change.
void CmdBrightnessContrast(TMainForm* form, TWorkForm* doc) {
    TWorkForm_CommitFloat(doc);
    int contrast = 0, brightness = 0;
    if (BrightnessContrast_Run(form->FHandle, doc, &contrast, &brightness) == 0)
        TWorkForm_AdjustBrightnessContrast(doc, contrast, brightness);
}

// The dialog starts from the size of what will be resized: a copied float is merged first.
void CmdImageSize(TMainForm* form, TWorkForm* doc) {
    TWorkForm_CommitFloat(doc);
    TLayer* layer = TWorkForm_GetActiveLayer(doc);
    if (!layer) return;
    int32_t width = 0, height = 0;
    int smooth = 0;
    if (ImageSize_Run(form->FHandle, layer->FWidth, layer->FHeight, &width, &height, &smooth) == 0)
        TWorkForm_ResizeImage(doc, width, height, smooth);
}
// OK has already handed the working palette to the document and the tool bar.
void CmdPalette(TMainForm*, TWorkForm*) {
    PaletteSetup_Run(nullptr);
}
void CmdInvert(TMainForm*, TWorkForm* doc) {
    TWorkForm_Invert(doc);
}
void CmdGrayscale(TMainForm*, TWorkForm* doc) {
    TWorkForm_Grayscale(doc);
}
void CmdChangeColor(TMainForm*, TWorkForm* doc) {
    TWorkForm_ArmChangeColour(doc);
}

void CmdColorCount(TMainForm*, TWorkForm* doc) {
    TLayer* layer = TWorkForm_GetActiveLayer(doc);
    if (!layer) {
        ShowLastError();
        return;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Used Color Count: %d",
                  TImage_CountColors(layer->FImage, 256));
    MessageBoxShow(nullptr, text, text, MB_OK);
}

struct TCommandRow {
    int FId;
    bool FNeedsDocument;
    TCommandProc FProc;
};

const TCommandRow KCommandRows[] = {
    {KCmdClose, false, CmdClose},
    {KCmdAbout, false, CmdAbout},
    {KCmdExit, false, CmdClose},
    {KCmdOpen, false, CmdOpen},
    {KCmdNew, false, CmdNew},
    {KCmdSave, true, CmdSave},
    {KCmdSaveAs, true, CmdSaveAs},
    {KCmdPreference, false, CmdPreference},
    {KCmdHelp, false, CmdHelp},
    {KCmdUndo, true, CmdUndo},
    {KCmdRedo, true, CmdRedo},
    {KCmdClear, true, CmdClear},
    {KCmdCopy, true, CmdCopy},
    {KCmdCut, true, CmdCut},
    {KCmdPaste, true, CmdPaste},
    {KCmdCrop, true, CmdCrop},
    {KCmdSelectAll, true, CmdSelectAll},
    {KCmdSelectNone, true, CmdSelectNone},
    {KCmdRotateRight, true, CmdRotateRight},
    {KCmdRotateLeft, true, CmdRotateLeft},
    {KCmdRotate180, true, CmdRotate180},
    {KCmdFlipHorizontal, true, CmdFlipHorizontal},
    {KCmdFlipVertical, true, CmdFlipVertical},
    {KCmdZoomIn, true, CmdZoomIn},
    {KCmdZoomInButton, true, CmdZoomIn},
    {KCmdZoomOut, true, CmdZoomOut},
    {KCmdZoomOutButton, true, CmdZoomOut},
    {KCmdFitToScreen, true, CmdFitToScreen},
    {KCmdActualSize, false, CmdActualSize},
    {KCmdActualSizeButton, true, CmdToggleActualSize},
    {KCmdGrid, true, CmdGrid},
    {KCmdGridButton, true, CmdGrid},
    {KCmdBrightnessContrast, true, CmdBrightnessContrast},
    {KCmdPalette, true, CmdPalette},
    {KCmdImageSize, true, CmdImageSize},
    {KCmdInvert, true, CmdInvert},
    {KCmdGrayscale, true, CmdGrayscale},
    {KCmdChangeColor, true, CmdChangeColor},
    {KCmdColorCount, true, CmdColorCount},
    {KCmdShowInfo, false, CmdShowInfo},
};

} // namespace

int TMainForm_OnCommand(TMainForm* form, int id) {
    if (!form) return 0;
    const TCommandRow* row = nullptr;
    for (const TCommandRow& candidate : KCommandRows)
        if (candidate.FId == (id & 0xFFFF)) row = &candidate;
    if (!row) return 0;
    TWorkForm* doc = TMainForm_GetActiveWorkForm(form);
    if (row->FNeedsDocument && !doc) return 1;
    row->FProc(form, doc);
    // The exit sequence may have taken the form away.
    if (TMainForm_Get() == form) {
        TMainForm_ShowImageSize(form); // rotations and undone resizes change it
        TMainForm_UpdateMenus(form);
    }
    return 1;
}
