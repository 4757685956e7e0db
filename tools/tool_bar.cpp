// The tool bar's life, its slots and tools, selecting a tool, the commands of its controls and
// menus, and the operations it installs in the document's host. Colours, swatches, the strip,
// the popup palette and the width live in tool_bar_colours.cpp; the windows in
// tool_bar_windows.cpp.
#include "tools/tool_bar.h"

#include <cstdio>
#include <cstring>
#include <new>

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "core/error.h"
#include "document/host.h"
#include "document/work_form.h"
#include "resources/resources.h"
#include "tools/fill.h"
#include "tools/freehand.h"
#include "tools/hand.h"
#include "tools/image_button.h"
#include "tools/palette_form.h"
#include "tools/selection.h"
#include "tools/shape.h"
#include "tools/shift.h"
#include "tools/spoid.h"
#include "tools/text.h"
#include "tools/tool_bar_windows.h"

namespace {

enum { KLineGroupSlot = 3, KSelectionGroupSlot = 4, KPlacedSlots = 9, KOffBar = -9999 };

// A slot's row: its tool, button picture, and for the members of the two groups (group names
// the group's own slot) the menu command, text and position.
struct TSlotRow {
    int32_t FToolId;
    int32_t FBitmap;
    int32_t FGroup; // 0, KLineGroupSlot or KSelectionGroupSlot
    int32_t FCommand;
    const char* FText;
    int32_t FMenuPos;
};

const TSlotRow KSlotTable[KToolBarUsedSlots] = {
    {TTI_FREEPEN, KResToolPen, 0, 0, "", 0},
    {TTI_ERASER, KResToolEraser, 0, 0, "", 0},
    {TTI_FILL, KResToolFill, 0, 0, "", 0},
    {TTI_SOLID_LINE, KResToolSolidLine, KLineGroupSlot, 40087, "Solid Line", 0},
    {TTI_SELECTION, KResToolSelection, KSelectionGroupSlot, 40113, "Selection", 0},
    {TTI_SHIFT, KResToolShift, 0, 0, "", 0},
    {TTI_SPOID, KResToolSpoid, 0, 0, "", 0},
    {TTI_TEXT, KResToolText, 0, 0, "", 0},
    {TTI_HAND, KResToolHand, 0, 0, "", 0},
    {TTI_DASH_LINE, KResToolDashLine, KLineGroupSlot, 40088, "Dash Line", 1},
    {TTI_RECTANGLE, KResToolRectangle, KLineGroupSlot, 40089, "Rectangle", 2},
    {TTI_FILLED_RECTANGLE, KResToolFilledRectangle, KLineGroupSlot, 40092, "Filled Rectangle", 3},
    {TTI_ELLIPSE, KResToolEllipse, KLineGroupSlot, 40095, "Ellipse", 4},
    {TTI_FILLED_ELLIPSE, KResToolFilledEllipse, KLineGroupSlot, 40094, "Filled Ellipse", 5},
    {TTI_CUT_SELECTION, KResToolCutSelection, KSelectionGroupSlot, 40145, "Cut Selection", 1},
    {TTI_COPY_SELECTION, KResToolCopySelection, KSelectionGroupSlot, 40146, "Copy Selection", 2},
};

// The tool of each id.
TTool* CreateTool(int32_t id, QWidget* owner) {
    switch (id) {
    case TTI_FREEPEN:
        return TFreePen_Create();
    case TTI_ERASER:
        return TEraser_Create();
    case TTI_FILL:
        return TFill_Create();
    case TTI_SOLID_LINE:
        return TSolidLine_Create();
    case TTI_DASH_LINE:
        return TDashLine_Create();
    case TTI_RECTANGLE:
        return TRectangle_Create();
    case TTI_FILLED_RECTANGLE:
        return TFilledRectangle_Create();
    case TTI_ELLIPSE:
        return TEllipse_Create();
    case TTI_FILLED_ELLIPSE:
        return TFilledEllipse_Create();
    case TTI_SELECTION:
    case TTI_CUT_SELECTION:
    case TTI_COPY_SELECTION:
        return TSelection_Create(id);
    case TTI_SHIFT:
        return TShift_Create(owner);
    case TTI_SPOID:
        return TSpoid_Create();
    case TTI_TEXT:
        return TText_Create();
    case TTI_HAND:
        return THand_Create();
    default:
        return nullptr;
    }
}

TToolBar* GBar = nullptr;

// The group's own slot (3 or 4) for a member of a group, 0 for a single tool.
int32_t GroupOf(int32_t slot) {
    return slot >= 0 && slot < KToolBarUsedSlots ? KSlotTable[slot].FGroup : 0;
}

// The slot's fields and, for a group member, its menu item and pictures.
void FillSlot(TToolBar* bar, int32_t index) {
    const TSlotRow& row = KSlotTable[index];
    TToolSlot& slot = bar->FSlots[index];
    slot.FButtonId = KToolButtonFirstId + index;
    if (!row.FGroup) return;
    TToolSlot& first = bar->FSlots[row.FGroup];
    if (index == row.FGroup) {
        first.FMenu = GroupMenu_Create(bar->FHandle);
        first.FMenuFirst = 0;
    }
    slot.FMenu = first.FMenu;
    std::snprintf(slot.FName, sizeof slot.FName, "%s", row.FText);
    QPixmap strip = Resource_Strip(row.FBitmap);
    for (int i = 0; i + KResStripImageSide <= strip.width(); i += KResStripImageSide)
        slot.FImages.append(strip.copy(i, 0, KResStripImageSide, strip.height()));
    slot.FCommand = row.FCommand;
    slot.FMenuPos = row.FMenuPos;
    first.FMenuLast = row.FMenuPos; // members come in menu order
    GroupMenu_AddItem(slot.FMenu, row.FCommand, row.FText, index == row.FGroup);
}

int CreateSlotButton(TToolBar* bar, int32_t index) {
    const TSlotRow& row = KSlotTable[index];
    TToolSlot& slot = bar->FSlots[index];
    int32_t x = index < KPlacedSlots ? index * KToolButtonSize : KOffBar;
    uint32_t style = row.FGroup ? (IBS_RADIO | IBS_DROPDOWN) : IBS_RADIO;
    slot.FButton = ImageButton_Create(bar->FHandle, x, 0, KToolButtonSize, KToolButtonSize, style,
                                      slot.FButtonId, 1);
    if (!slot.FButton) return -1;
    ImageButton_LoadImages(slot.FButton, KResStripImageSide, Resource_Strip(row.FBitmap));
    slot.FButton->FOnCommand = [](int id) { TToolBar_OnCommand(id); };
    // A place whose tool does not exist yet shows its picture but takes no press.
    if (!slot.FTool) ImageButton_SetEnabled(slot.FButton, false);
    if (slot.FMenu && !slot.FTool) slot.FMenu->actions().value(slot.FMenuPos)->setEnabled(false);
    return 0;
}

// Under the group's place on the bar.
void OpenGroupMenu(TToolBar* bar, int32_t slot) {
    int32_t group = GroupOf(slot);
    QMenu* menu = bar->FSlots[slot].FMenu;
    if (!menu) return;
    menu->popup(bar->FHandle->mapToGlobal(QPoint(group * KToolButtonSize, KToolButtonSize)));
}

// ---- The host's operations ----

void HostStylus(TWorkForm* form, int event, int32_t x, int32_t y) {
    TTool_Stylus(TToolBar_GetCurrentTool(), form, event, x, y);
}

int HostGetCurrentTool() {
    TTool* tool = TToolBar_GetCurrentTool();
    return tool ? tool->FId : 0;
}

void HostSelectTool(int id) {
    TToolBar_SelectTool(id);
}

} // namespace

TToolBar* TToolBar_Get() {
    return GBar;
}

TToolSlot* ToolBar_FindMenuSlot(const char* text) {
    if (!GBar || !text) return nullptr;
    for (TToolSlot& slot : GBar->FSlots)
        if (slot.FMenu && std::strcmp(slot.FName, text) == 0) return &slot;
    return nullptr;
}

TToolBar* TToolBar_Create(QWidget* parent) {
    if (!parent) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    if (GBar) TToolBar_Destroy(GBar);
    TToolBar* bar = new (std::nothrow) TToolBar();
    if (!bar) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    GBar = bar;
    bar->FHandle = ToolBarWindow_Create(parent);
    bar->FHandle->setGeometry(0, 0, parent->width(), KToolBarHeight);
    for (int32_t i = 0; i < KToolBarUsedSlots; ++i)
        bar->FSlots[i].FTool = CreateTool(KSlotTable[i].FToolId, parent->window());
    for (int32_t i = 0; i < KToolBarUsedSlots; ++i)
        FillSlot(bar, i);
    int made = 0;
    for (int32_t i = 0; i < KToolBarUsedSlots && made == 0; ++i)
        made = CreateSlotButton(bar, i);
    if (made == 0) made = ToolBar_CreateColourControls(bar);
    if (made != 0) {
        int code = GetLastErrorCode();
        TToolBar_Destroy(bar);
        return SetLastErrorCode(code ? code : EC_WINDOW_CREATE), nullptr;
    }
    bar->FSwatch = 0;
    bar->FPrimaryColor = 0;
    bar->FSecondaryColor = 0xFFFFFF;
    bar->FCurrent = 0;
    TToolBar_SelectTool(TTI_FREEPEN);
    TToolBar_SetPenWidth(1);
    ClearLastErrorCode();
    return bar;
}

TToolBar* TToolBar_Destroy(TToolBar* bar) {
    if (!bar) return nullptr;
    // The windows' last events (the popup hiding, the list closing) find no tool bar.
    if (GBar == bar) GBar = nullptr;
    for (TToolSlot& slot : bar->FSlots)
        slot.FButton = ImageButton_Destroy(slot.FButton);
    bar->FPaletteButton = ImageButton_Destroy(bar->FPaletteButton);
    bar->FStrip = PaletteForm_Destroy(bar->FStrip);
    bar->FPopupGrid = PaletteForm_Destroy(bar->FPopupGrid);
    delete bar->FHandle; // the popup, the menus, the width controls
    bar->FHandle = nullptr;
    bar->FPopup = nullptr;
    for (TToolSlot& slot : bar->FSlots)
        slot.FTool = TTool_Destroy(slot.FTool);
    delete bar;
    return nullptr;
}

void TToolBar_FillHost(TDocumentHost* host) {
    if (!host) return;
    host->FGetSecondaryColor = TToolBar_GetSecondaryColor;
    host->FSetSecondaryColor = ToolBar_StoreSecondaryColor;
    host->FGetDrawAttr = TToolBar_GetDrawAttr;
    host->FSelectTool = HostSelectTool;
    host->FGetCurrentTool = HostGetCurrentTool;
    host->FStylus = HostStylus;
}

TTool* TToolBar_GetCurrentTool() {
    if (!GBar) return nullptr;
    int32_t current = GBar->FCurrent;
    if (current < 0 || current >= KToolBarSlots || !GBar->FSlots[current].FTool) current = 0;
    return GBar->FSlots[current].FTool;
}

int32_t TToolBar_FindSlot(int32_t id) {
    if (!GBar) return -1;
    for (int32_t i = 0; i < KToolBarSlots; ++i)
        if (GBar->FSlots[i].FTool && GBar->FSlots[i].FTool->FId == id) return i;
    return -1;
}

void TToolBar_SelectTool(int32_t id) {
    int32_t index = TToolBar_FindSlot(id);
    if (index < 0) return;
    TToolBar* bar = GBar;
    TToolSlot& slot = bar->FSlots[index];
    int32_t group = GroupOf(index);
    if (slot.FChecked && group) {
        OpenGroupMenu(bar, index);
        return;
    }
    TTool_Deactivate(TToolBar_GetCurrentTool());
    if (group && slot.FButton && slot.FButton->FHandle) {
        // The member takes the group's place, over whichever member was there.
        QWidget* button = slot.FButton->FHandle;
        button->setGeometry(group * KToolButtonSize, 0, KToolButtonSize, KToolButtonSize);
        button->raise();
        button->show();
    }
    ImageButton_SetCheck(slot.FButton, 1);
    bar->FCurrent = index;
    TTool_Activate(slot.FTool);
    for (int32_t i = 0; i < KToolBarUsedSlots; ++i)
        bar->FSlots[i].FChecked = 0;
    slot.FChecked = 1;
}

void TToolBar_OnCommand(int32_t id) {
    TToolBar* bar = GBar;
    if (!bar) return;
    if (ToolBar_OnColourCommand(id)) return;
    for (int32_t i = 0; i < KToolBarUsedSlots; ++i) {
        const TToolSlot& slot = bar->FSlots[i];
        if ((slot.FCommand && slot.FCommand == id) || slot.FButtonId == id) {
            if (slot.FTool) TToolBar_SelectTool(slot.FTool->FId);
            return;
        }
    }
}
