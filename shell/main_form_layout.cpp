// The main form's layout and its status texts: the tool bar band at the top, the status bar
// along the bottom with its two panes, the active document between them; pane 0 for the tools'
// and commands' messages, pane 1 for the image size.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include <QWidget>

#include "core/error.h"
#include "core/layer.h"
#include "document/work_form.h"
#include "shell/main_form.h"
#include "shell/main_window.h"
#include "tools/status_bar.h"
#include "tools/tool_bar.h"

// Pane 0 leaves 53 pixels at the right; pane 1 takes 50 of them.
// The image-size pane holds the widest size there can be, and is never narrower than 50; the
// message pane takes the rest but for 3 pixels (the gap and the bar's right edge).
enum { KSizePaneMinWidth = 50, KSizePaneSpare = 3 };
const char* const KWidestImageSize = "65535x65535";

static int32_t AtLeastZero(int32_t v) {
    return v < 0 ? 0 : v;
}

void TMainForm_Layout(TMainForm* form) {
    if (!form || !form->FClient) return;
    const int32_t left = 0, top = 0;
    const int32_t right = form->FClient->width(), bottom = form->FClient->height();
    if (form->FToolBar) form->FToolBar->FHandle->setGeometry(left, top, right, KToolBarBand);
    TStatusBar* bar = form->FStatusBar;
    if (bar && bar->FHandle) {
        int32_t h = bar->FHandle->height();
        bar->FHandle->setGeometry(left, bottom - h, right, h);
        int32_t size = TStatusBar_GetPaneWidthFor(bar, KWidestImageSize);
        if (size < KSizePaneMinWidth) size = KSizePaneMinWidth;
        const int32_t widths[2] = {right - size - KSizePaneSpare, size};
        TStatusBar_SetPanes(bar, 2, widths);
        TMainForm_ShowImageSize(form);
    }
    TWorkForm* workForm = TMainForm_GetActiveWorkForm(form);
    if (!workForm) return;
    int32_t s = TMainForm_IsStatusBarVisible(form) ? bar->FHandle->height() + 1 : 0;
    TRectXYWH rect = {left, top + KToolBarBand, AtLeastZero(right - left),
                      AtLeastZero(bottom - s - (top + KToolBarBand))};
    TWorkForm_Relayout(workForm, &rect);
}

void TMainForm_PlaceWorkForm(TMainForm* form, TWorkForm* workForm) {
    if (!form || !form->FClient || !workForm) return;
    TRectXYWH rect = {0, KToolBarBand, form->FClient->width(),
                      AtLeastZero(form->FClient->height() - KToolBarBand)};
    TWorkForm_Relayout(workForm, &rect);
    if (workForm->FWindow) workForm->FWindow->show();
    TMainForm_Layout(form);
    ClearLastErrorCode();
}

int TMainForm_IsStatusBarVisible(TMainForm* form) {
    return form && form->FStatusBar && form->FStatusBar->FHandle &&
                   !form->FStatusBar->FHandle->isHidden()
               ? 1
               : 0;
}

void TMainForm_SetStatusText(TMainForm* form, const char* text) {
    if (!form || !form->FStatusBar) return;
    TStatusBar_SetText(form->FStatusBar, 0, text ? text : "", 0);
}

void TMainForm_ShowPoint(int32_t x, int32_t y) {
    char text[64];
    std::snprintf(text, sizeof text, "XY: %" PRId32 ",%" PRId32, x, y);
    TMainForm_SetStatusText(TMainForm_Get(), text);
}

void TMainForm_ShowRange(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    // 64 bits: the span of two far-apart points does not fit 32.
    int64_t width = std::llabs(int64_t(x2) - x1) + 1, height = std::llabs(int64_t(y2) - y1) + 1;
    char text[128];
    std::snprintf(text, sizeof text,
                  "XY1: %" PRId32 ",%" PRId32 " XY2: %" PRId32 ",%" PRId32 " WH: %" PRId64
                  "x%" PRId64,
                  x1, y1, x2, y2, width, height);
    TMainForm_SetStatusText(TMainForm_Get(), text);
}

void MainForm_ShowSize(TMainForm* form, int32_t width, int32_t height) {
    if (!form || !form->FStatusBar) return;
    char text[32];
    std::snprintf(text, sizeof text, "%" PRId32 "x%" PRId32, width, height);
    TStatusBar_SetText(form->FStatusBar, 1, text, 0);
}

void TMainForm_ShowImageSize(TMainForm* form) {
    TWorkForm* workForm = TMainForm_GetActiveWorkForm(form);
    // The background read directly: asking through the queries would touch the last error.
    TLayer* background = workForm ? workForm->FLayers[1] : nullptr;
    if (!background) return;
    MainForm_ShowSize(form, background->FWidth, background->FHeight);
}
