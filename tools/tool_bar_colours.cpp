// The tool bar's drawing state and the controls that set it: the primary and secondary colours
// with their swatches, the recent-colour strip, the popup palette, and the pen width with its
// button and list.
#include <algorithm>
#include <cstring>

#include <QComboBox>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWidget>

#include "core/error.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "platform/qt/colour.h"
#include "resources/resources.h"
#include "tools/image_button.h"
#include "tools/palette_form.h"
#include "tools/tool_bar.h"
#include "tools/tool_bar_windows.h"

namespace {

enum {
    KStripX = 24,
    KStripY = 22,
    KStripColumns = 17,
    KStripCellWidth = 12,
    KStripCellHeight = 18,
    KPaletteButtonX = 228,
    KPaletteButtonStyle = IBS_TOGGLE | IBS_FRAME,
    KPopupX = 24,
    KPopupY = 40,
    KPopupSide = 194,
    KPopupCells = 16,
    KPopupCellSide = 12,
    KWidthY = 22,
    KWidthSide = 24,
    KFirstRecentEntry = 2 // entries 0 and 1 (black and white) stay
};

// The swatches, right and bottom exclusive: the secondary lies under the primary.
const QRect KPrimarySwatch(QPoint(208, 1), QPoint(223, 16));
const QRect KSecondarySwatch(QPoint(219, 5), QPoint(234, 20));

void CommandFromGrid(PaletteForm*, int32_t id, void*) {
    TToolBar_OnCommand(id);
}

void DrawSwatch(QPainter* painter, const QRect& square, uint32_t color, bool selected) {
    painter->fillRect(square, Qt::black);
    int inset = 1;
    if (selected) {
        painter->fillRect(square.adjusted(1, 1, -1, -1), Qt::white);
        painter->fillRect(square.adjusted(2, 2, -2, -2), Qt::black);
        inset = 3;
    }
    painter->fillRect(square.adjusted(inset, inset, -inset, -inset), Colour_ToQColor(color));
}

void RepaintSwatches(TToolBar* bar) {
    bar->FHandle->update(KPrimarySwatch.united(KSecondarySwatch));
}

PaletteForm* CreateGrid(QWidget* parent, int32_t id, int32_t columns, int32_t rows,
                        int32_t cellWidth, int32_t cellHeight) {
    PaletteForm* grid = PaletteForm_Create(parent, id);
    if (!grid) return nullptr;
    if (PaletteForm_SetGrid(grid, columns, rows, cellWidth, cellHeight) != 0)
        return PaletteForm_Destroy(grid);
    PaletteForm_SetPickTarget(grid, 0);
    PaletteForm_SetCommandProc(grid, CommandFromGrid, nullptr);
    return grid;
}

void TogglePopup(TToolBar* bar) {
    if (!ImageButton_GetCheck(bar->FPaletteButton)) {
        bar->FPopup->hide();
        return;
    }
    bar->FPopup->move(bar->FHandle->mapToGlobal(QPoint(KPopupX, KPopupY)));
    bar->FPopup->raise();
    bar->FPopup->show();
}

void OpenWidthList(TToolBar* bar) {
    bar->FWidthButton->hide();
    bar->FWidthCombo->show();
    bar->FWidthCombo->showPopup();
}

// A colour taken from one of the grids goes to the selected swatch.
uint32_t TakeGridColour(TToolBar* bar, PaletteForm* grid) {
    uint32_t color;
    if (bar->FSwatch == 1) {
        color = PaletteForm_GetSecondaryColour(grid);
        TToolBar_SetSecondaryColor(color);
    } else {
        color = PaletteForm_GetPrimaryColour(grid);
        TToolBar_SetPrimaryColor(color);
    }
    return color;
}

void PopupPicked(TToolBar* bar) {
    bar->FPopup->hide(); // releases the palette button
    uint32_t color = TakeGridColour(bar, bar->FPopupGrid);
    if (TWorkForm* form = TWorkForm_GetActive()) {
        if (bar->FSwatch == 1)
            form->FSecondaryIndex = PaletteForm_GetSecondary(bar->FPopupGrid);
        else
            form->FPrimaryIndex = PaletteForm_GetPrimary(bar->FPopupGrid);
    }
    TToolBar_AddRecentColor(color);
}

} // namespace

int ToolBar_CreateColourControls(TToolBar* bar) {
    QWidget* window = bar->FHandle;
    bar->FStrip = CreateGrid(window, KStripId, KStripColumns, 1, KStripCellWidth, KStripCellHeight);
    if (!bar->FStrip) return -1;
    bar->FStrip->FHandle->setGeometry(KStripX, KStripY, KStripColumns * KStripCellWidth,
                                      KStripCellHeight);

    bar->FPaletteButton =
        ImageButton_Create(window, KPaletteButtonX, KStripY, KStripCellWidth, KStripCellHeight,
                           KPaletteButtonStyle, KPaletteButtonId, 0);
    if (!bar->FPaletteButton) return -1;
    ImageButton_LoadImages(bar->FPaletteButton, KResStripImageSide,
                           Resource_Strip(KResPaletteButton));
    bar->FPaletteButton->FOnCommand = [](int id) { TToolBar_OnCommand(id); };

    bar->FWidthButton = new QPushButton(QStringLiteral("1"), window);
    bar->FWidthButton->setObjectName(QString::number(KWidthButtonId));
    bar->FWidthButton->setGeometry(0, KWidthY, KWidthSide, KWidthSide);
    QObject::connect(bar->FWidthButton, &QPushButton::clicked, window,
                     [] { TToolBar_OnCommand(KWidthButtonId); });
    bar->FWidthCombo = WidthCombo_Create(window);
    bar->FWidthCombo->setGeometry(0, KWidthY, KWidthSide, KToolBarHeight - KWidthY);

    bar->FPopup = PopupPaletteWindow_Create(window, KPopupSide, KPopupSide);
    if (!bar->FPopup) return SetLastErrorCode(EC_WINDOW_CREATE), -1;
    bar->FPopupGrid = CreateGrid(bar->FPopup, KPopupGridId, KPopupCells, KPopupCells,
                                 KPopupCellSide, KPopupCellSide);
    if (!bar->FPopupGrid) return -1;
    bar->FPopupGrid->FHandle->setGeometry(1, 1, KPopupSide - 2, KPopupSide - 2);
    return 0;
}

bool ToolBar_OnColourCommand(int32_t id) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return false;
    if (id == KPaletteButtonId) {
        TogglePopup(bar);
    } else if (id == KWidthButtonId) {
        OpenWidthList(bar);
    } else if (id == KStripId) {
        TakeGridColour(bar, bar->FStrip);
    } else if (id == KPopupGridId) {
        PopupPicked(bar);
    } else {
        return false;
    }
    return true;
}

void ToolBar_PaintSwatches(QPainter* painter) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    DrawSwatch(painter, KSecondarySwatch, bar->FSecondaryColor, bar->FSwatch == 1);
    DrawSwatch(painter, KPrimarySwatch, bar->FPrimaryColor, bar->FSwatch == 0);
}

void ToolBar_PopupHidden() {
    if (TToolBar* bar = TToolBar_Get()) ImageButton_SetCheck(bar->FPaletteButton, 0);
}

void ToolBar_WidthChosen() {
    TToolBar* bar = TToolBar_Get();
    if (!bar || !bar->FWidthCombo) return;
    TToolBar_SetPenWidth(bar->FWidthCombo->currentIndex() + 1);
    bar->FWidthCombo->hide();
    bar->FWidthButton->show();
}

// The primary swatch's tap area wins where the two overlap.
void TToolBar_StylusDown(int32_t x, int32_t y) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    int32_t swatch = -1;
    if (KPrimarySwatch.contains(x, y))
        swatch = 0;
    else if (KSecondarySwatch.contains(x, y))
        swatch = 1;
    if (swatch >= 0) {
        bar->FSwatch = swatch;
        PaletteForm_SetPickTarget(bar->FStrip, swatch);
        PaletteForm_SetPickTarget(bar->FPopupGrid, swatch);
    }
    RepaintSwatches(bar);
}

void TToolBar_GetDrawAttr(TDrawAttr* attr) {
    if (!attr) return;
    TToolBar* bar = TToolBar_Get();
    if (!bar) {
        *attr = TDrawAttr{0, 0, 0, 0xFFFFFF, 1};
        return;
    }
    bool secondary = bar->FSwatch == 1;
    *attr = TDrawAttr{0, secondary ? bar->FSecondaryColor : bar->FPrimaryColor, 0,
                      secondary ? 0u : 0xFFFFFFu, bar->FPenWidth};
}

void TToolBar_SetPrimaryColor(uint32_t color) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    bar->FPrimaryColor = color;
    RepaintSwatches(bar);
}

void ToolBar_StoreSecondaryColor(uint32_t color) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    bar->FSecondaryColor = color;
    RepaintSwatches(bar);
}

void TToolBar_SetSecondaryColor(uint32_t color) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    uint32_t old = bar->FSecondaryColor;
    ToolBar_StoreSecondaryColor(color);
    TWorkForm* form = TWorkForm_GetActive();
    if (!form) return;
    if (color != old)
        TWorkForm_AddUndo(
            form, TUndoStep_CreateColourStep(color, old, TWorkForm_GetBackground(form), form));
    TWorkForm_Repaint(form);
}

uint32_t TToolBar_GetPrimaryColor() {
    TToolBar* bar = TToolBar_Get();
    return bar ? bar->FPrimaryColor : 0;
}

uint32_t TToolBar_GetSecondaryColor() {
    TToolBar* bar = TToolBar_Get();
    return bar ? bar->FSecondaryColor : 0xFFFFFF;
}

int32_t TToolBar_GetSwatch() {
    TToolBar* bar = TToolBar_Get();
    return bar ? bar->FSwatch : 0;
}

void TToolBar_SetSwatch(int32_t swatch) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    bar->FSwatch = swatch;
    RepaintSwatches(bar);
}

void TToolBar_SetPenWidth(int32_t width) {
    TToolBar* bar = TToolBar_Get();
    if (!bar || width < 1) return;
    width = std::min<int32_t>(width, KMaxPenWidth);
    bar->FPenWidth = width;
    if (bar->FWidthButton) bar->FWidthButton->setText(QString::number(width));
    if (bar->FWidthCombo) {
        QSignalBlocker quiet(bar->FWidthCombo);
        bar->FWidthCombo->setCurrentIndex(width - 1);
    }
}

int32_t TToolBar_GetPenWidth() {
    TToolBar* bar = TToolBar_Get();
    return bar ? bar->FPenWidth : 1;
}

// Every colour added drops entry 2 once the strip is full, moves the rest down and lands at the
// end; the selected swatch's cell follows it and the other swatch's cell moves with its colour.
void TToolBar_AddRecentColor(uint32_t color) {
    TToolBar* bar = TToolBar_Get();
    if (!bar || !bar->FStripEntries || !bar->FStripCount) return;
    TPaletteEntry* entries = bar->FStripEntries;
    int32_t n = std::max<int32_t>(*bar->FStripCount + 1, KFirstRecentEntry);
    if (n >= KColourStripSize) {
        std::memmove(entries + KFirstRecentEntry, entries + KFirstRecentEntry + 1,
                     (KColourStripSize - KFirstRecentEntry - 1) * sizeof(TPaletteEntry));
        n = KColourStripSize - 1;
    }
    PaletteForm* strip = bar->FStrip;
    PaletteEntrySetColor(&entries[n], color);
    if (bar->FSwatch == 1) {
        PaletteForm_SelectSecondary(strip, n);
        if (strip->FPrimary > KFirstRecentEntry)
            PaletteForm_SelectPrimary(strip, strip->FPrimary - 1);
    } else {
        PaletteForm_SelectPrimary(strip, n);
        if (strip->FSecondary > KFirstRecentEntry)
            PaletteForm_SelectSecondary(strip, strip->FSecondary - 1);
    }
    *bar->FStripCount = n;
    PaletteForm_Redraw(strip);
}

void TToolBar_BindPalettes(TPaletteEntry* palette, TPaletteEntry* strip, int32_t* stripCount) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    bar->FStripEntries = strip && stripCount ? strip : nullptr;
    bar->FStripCount = strip && stripCount ? stripCount : nullptr;
    PaletteForm_SetEntries(bar->FPopupGrid, palette);
    PaletteForm_SetEntries(bar->FStrip, bar->FStripEntries);
}

// The indices stay behind when a swatch is later set from the strip or a tool, so a swatch
// follows its cell only while it still shows the cell's old colour.
static bool FollowsCell(const TWorkForm* form, int32_t index, const TPaletteEntry* before,
                        uint32_t shown, uint32_t* colour) {
    if (index < 0 || index >= 256 || PaletteEntryToColor(before[index]) != shown) return false;
    *colour = PaletteEntryToColor(form->FPalette[index]);
    return true;
}

void TToolBar_ReselectPalette(const TPaletteEntry* before) {
    TToolBar* bar = TToolBar_Get();
    if (!bar) return;
    PaletteForm_Redraw(bar->FPopupGrid);
    TWorkForm* form = TWorkForm_GetActive();
    if (!form || !before) return;
    uint32_t colour = 0;
    if (FollowsCell(form, form->FPrimaryIndex, before, bar->FPrimaryColor, &colour))
        TToolBar_SetPrimaryColor(colour);
    if (FollowsCell(form, form->FSecondaryIndex, before, bar->FSecondaryColor, &colour))
        TToolBar_SetSecondaryColor(colour);
}
