// The main form's menu bar: the four drop-down menus and the five image buttons built from one
// table, the shortcuts, and the menu states (enabled and checked items) kept current before
// any key or mouse button reaches the main window, when a menu opens and after every command.
// Every action's object name is its command number; triggering it runs TMainForm_OnCommand.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QList>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPixmap>

#include "core/error.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "resources/resources.h"
#include "shell/command_ids.h"
#include "shell/main_form.h"
#include "shell/main_window.h"

namespace {

// ---- The menus, in order ----

enum TMenuRowKind {
    MRK_MENU,      // a drop-down menu of the bar; the rows up to the next one are its items
    MRK_SUBMENU,   // a submenu of the current menu, up to MRK_END
    MRK_END,       // ends the submenu
    MRK_ITEM,      // a command
    MRK_SEPARATOR, // a line between items
};

struct TMenuRow {
    TMenuRowKind FKind;
    int FId; // the command; for a menu the number it is known by (0: none)
    const char* FText;
};

const TMenuRow KMenuRows[] = {
    {MRK_MENU, 0, "File"},
    {MRK_ITEM, KCmdNew, "&New"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdOpen, "&Open..."},
    {MRK_ITEM, KCmdSave, "&Save"},
    {MRK_ITEM, KCmdSaveAs, "Save &As..."},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdPreference, "&Preference"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdHelp, "&Help"},
    {MRK_ITEM, KCmdAbout, "About"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdExit, "E&xit"},

    {MRK_MENU, KMenuEdit, "Edit"},
    {MRK_ITEM, KCmdUndo, "&Undo"},
    {MRK_ITEM, KCmdRedo, "&Redo"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdClear, "C&lear"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdCopy, "&Copy"},
    {MRK_ITEM, KCmdCut, "C&ut"},
    {MRK_ITEM, KCmdPaste, "&Paste"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdCrop, "Cr&op"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdSelectAll, "Select &All"},
    {MRK_ITEM, KCmdSelectNone, "Select &None"},
    {MRK_SUBMENU, 0, "Ro&tate"},
    {MRK_ITEM, KCmdRotateRight, "Right 90"},
    {MRK_ITEM, KCmdRotateLeft, "Left 90"},
    {MRK_ITEM, KCmdRotate180, "180"},
    {MRK_END, 0, nullptr},
    {MRK_SUBMENU, 0, "Fl&ip"},
    {MRK_ITEM, KCmdFlipHorizontal, "&Horizontal"},
    {MRK_ITEM, KCmdFlipVertical, "&Vertical"},
    {MRK_END, 0, nullptr},

    {MRK_MENU, KMenuView, "View"},
    {MRK_ITEM, KCmdZoomIn, "Zoom &In"},
    {MRK_ITEM, KCmdZoomOut, "Zoom &Out"},
    {MRK_ITEM, KCmdFitToScreen, "&FitToScreen"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdActualSize, "&Actual Size"},
    {MRK_SEPARATOR, 0, nullptr},
    {MRK_ITEM, KCmdGrid, "&Grid"},

    {MRK_MENU, 0, "Adj."},
    {MRK_ITEM, KCmdBrightnessContrast, "&Brightness/Contrast"},
    {MRK_ITEM, KCmdPalette, "&Palette"},
    {MRK_ITEM, KCmdImageSize, "&Image Size"},
    {MRK_ITEM, KCmdInvert, "In&vert"},
    {MRK_ITEM, KCmdGrayscale, "&Grayscale"},
    {MRK_ITEM, KCmdChangeColor, "Change &Color"},
};

// The image buttons beside the menus; each image is the resource of the command's number.
struct TButtonRow {
    int FId;
    const char* FText; // the tool tip
};

const TButtonRow KButtonRows[] = {
    {KCmdGridButton, "Enable grid"}, {KCmdActualSizeButton, "Actual size"},
    {KCmdZoomInButton, "Zoom in"},   {KCmdZoomOutButton, "Zoom out"},
    {KCmdShowInfo, "Show Info"},
};

// Commands that have no menu item, reached by their shortcut only.
const int KWindowCommands[] = {KCmdClose, KCmdColorCount};

struct TShortcutRow {
    int FId;
    const char* FKeys[2]; // portable key texts; the second may be null
};

const TShortcutRow KShortcutRows[] = {
    {KCmdAbout, {"Ctrl+A", nullptr}},
    {KCmdClose, {"Ctrl+Q", nullptr}},
    {KCmdNew, {"Ctrl+N", nullptr}},
    {KCmdOpen, {"Ctrl+O", nullptr}},
    {KCmdSave, {"Ctrl+S", nullptr}},
    {KCmdSaveAs, {"Ctrl+Shift+S", nullptr}},
    {KCmdUndo, {"Ctrl+Z", nullptr}},
    {KCmdRedo, {"Ctrl+Y", "Ctrl+Shift+Z"}},
    {KCmdCut, {"Ctrl+X", nullptr}},
    {KCmdCopy, {"Ctrl+C", nullptr}},
    {KCmdPaste, {"Ctrl+V", nullptr}},
    {KCmdClear, {"Del", nullptr}},
    {KCmdZoomIn, {"Ctrl++", "Ctrl+="}},
    {KCmdZoomOut, {"Ctrl+-", nullptr}},
    {KCmdColorCount, {"Ctrl+Shift+U", nullptr}},
};

// ---- Menu states ----

bool CanUndo(TWorkForm* doc) {
    return TUndoHistory_GetPosition(doc->FHistory) > 0;
}
bool CanRedo(TWorkForm* doc) {
    return TUndoHistory_GetRedoCount(doc->FHistory) > 0;
}
bool HasArea(TWorkForm* doc) {
    return doc->FSelectMode == TSM_AREA;
}
bool HasSelection(TWorkForm* doc) {
    return doc->FSelectMode != TSM_NONE;
}
bool IsActualSize(TWorkForm* doc) {
    return TWorkForm_IsActualSize(doc) != 0;
}
bool IsGridShown(TWorkForm* doc) {
    return TWorkForm_IsGridShown(doc) != 0;
}

struct TMenuStateRow {
    int FId;
    bool FCheck; // the test sets the checked state; else the enabled state
    bool (*FTest)(TWorkForm* doc);
};

// Paste's test is the clipboard cache (see TMainForm_UpdateMenus), so its row has none.
const TMenuStateRow KMenuStateRows[KMenuStateCount] = {
    {KCmdUndo, false, CanUndo},
    {KCmdRedo, false, CanRedo},
    {KCmdCopy, false, HasArea},
    {KCmdCut, false, HasArea},
    {KCmdCrop, false, HasArea},
    {KCmdSelectNone, false, HasSelection},
    {KCmdPaste, false, nullptr},
    {KCmdActualSize, true, IsActualSize},
    {KCmdActualSizeButton, true, IsActualSize},
    {KCmdGrid, true, IsGridShown},
    {KCmdGridButton, true, IsGridShown},
};

bool IsCheckable(int id) {
    for (const TMenuStateRow& row : KMenuStateRows)
        if (row.FId == id) return row.FCheck;
    return false;
}

// Refreshes the states just before a key or mouse button reaches the main window or one of
// its children, so a shortcut or click meets them current. Mouse moves pass untouched.
class TMenuStateWatch final : public QObject {
  public:
    explicit TMenuStateWatch(QObject* parent) : QObject(parent) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            break;
        default:
            return false;
        }
        TMainForm* form = TMainForm_Get();
        if (form && form->FHandle && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == form->FHandle)
            TMainForm_UpdateMenus(form);
        return false;
    }
};

QAction* MakeAction(QObject* parent, int id, const QString& text) {
    QAction* action = new QAction(text, parent);
    action->setObjectName(QString::number(id));
    action->setCheckable(IsCheckable(id));
    QObject::connect(action, &QAction::triggered, action, [id] {
        if (TMainForm* form = TMainForm_Get()) TMainForm_OnCommand(form, id);
    });
    return action;
}

QMenu* MakeMenu(QWidget* parent, const TMenuRow& row) {
    QMenu* menu = new QMenu(QString::fromUtf8(row.FText), parent);
    if (row.FId) menu->setObjectName(QString::number(row.FId));
    QObject::connect(menu, &QMenu::aboutToShow, menu, [] {
        if (TMainForm* form = TMainForm_Get()) TMainForm_UpdateMenus(form);
    });
    return menu;
}

void BuildMenus(QMenuBar* bar) {
    QMenu* menu = nullptr;    // the drop-down menu being filled
    QMenu* submenu = nullptr; // its open submenu, if any
    for (const TMenuRow& row : KMenuRows) {
        QMenu* into = submenu ? submenu : menu;
        switch (row.FKind) {
        case MRK_MENU:
            menu = MakeMenu(bar, row);
            submenu = nullptr;
            bar->addMenu(menu);
            break;
        case MRK_SUBMENU:
            submenu = MakeMenu(menu, row);
            menu->addMenu(submenu);
            break;
        case MRK_END:
            submenu = nullptr;
            break;
        case MRK_ITEM:
            into->addAction(MakeAction(into, row.FId, QString::fromUtf8(row.FText)));
            break;
        case MRK_SEPARATOR:
            into->addSeparator();
            break;
        }
    }
}

void BuildButtons(QMenuBar* bar) {
    bar->addSeparator();
    for (const TButtonRow& row : KButtonRows) {
        QString text = QString::fromUtf8(row.FText);
        QAction* action = MakeAction(bar, row.FId, text);
        // The bar draws an action's icon in place of its text.
        action->setIcon(QIcon(Resource_Pixmap(row.FId)));
        action->setToolTip(text);
        bar->addAction(action);
    }
}

void BindShortcuts(TMainForm* form) {
    for (int id : KWindowCommands)
        form->FHandle->addAction(MakeAction(form->FHandle, id, QString()));
    for (const TShortcutRow& row : KShortcutRows) {
        QAction* action = TMainForm_FindAction(form, row.FId);
        if (!action) continue;
        QList<QKeySequence> keys;
        for (const char* text : row.FKeys)
            if (text)
                keys.append(QKeySequence(QString::fromLatin1(text), QKeySequence::PortableText));
        action->setShortcuts(keys);
    }
}

} // namespace

int MainForm_CreateMenus(TMainForm* form) {
    if (!form || !form->FHandle) return SetLastErrorCode(EC_WINDOW_CREATE), -1;
    QMenuBar* bar = form->FHandle->menuBar();
    if (!bar) return SetLastErrorCode(EC_WINDOW_CREATE), -1;
    form->FMenuBar = bar;
    BuildMenus(bar);
    BuildButtons(bar);
    BindShortcuts(form);
    for (int i = 0; i < KMenuStateCount; ++i)
        form->FStateItems[i] = TMainForm_FindAction(form, KMenuStateRows[i].FId);

    // Asking the clipboard on every key and click would be slow: the answer is kept and
    // refreshed whenever the clipboard changes.
    form->FCanPaste = TWorkForm_CanPaste();
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        QObject::connect(clipboard, &QClipboard::dataChanged, form->FHandle, [] {
            if (TMainForm* current = TMainForm_Get()) current->FCanPaste = TWorkForm_CanPaste();
        });
    qApp->installEventFilter(new TMenuStateWatch(form->FHandle));
    return 0;
}

QAction* TMainForm_FindAction(TMainForm* form, int id) {
    if (!form || !form->FHandle) return nullptr;
    return form->FHandle->findChild<QAction*>(QString::number(id));
}

void TMainForm_UpdateMenus(TMainForm* form) {
    if (!form) return;
    TWorkForm* doc = TMainForm_GetActiveWorkForm(form);
    for (int i = 0; i < KMenuStateCount; ++i) {
        QAction* action = form->FStateItems[i];
        if (!action) continue;
        const TMenuStateRow& row = KMenuStateRows[i];
        bool on = doc && (row.FTest ? row.FTest(doc) : form->FCanPaste != 0);
        if (row.FCheck)
            action->setChecked(on);
        else
            action->setEnabled(on);
    }
}

void TMainForm_EnterDialog(TMainForm* form) {
    if (form && form->FMenuBar) form->FMenuBar->setEnabled(false);
}

void TMainForm_LeaveDialog(TMainForm* form) {
    if (form && form->FMenuBar) form->FMenuBar->setEnabled(true);
}
