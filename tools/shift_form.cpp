// The shift pad's window: a Qt tool window above its owner that never takes the keyboard, its
// nine push buttons of tools/image_button.h with the arrow strips of resources/, and its position
// in the stored settings (platform/qt/settings.h). A press reaches TShift_Shift through the
// button's queued command, so it runs after the press event and never once the pad is gone.
#include "tools/shift_form.h"

#include <new>

#include <QGuiApplication>
#include <QPoint>
#include <QScreen>
#include <QString>
#include <QWidget>

#include "core/error.h"
#include "platform/qt/settings.h"
#include "resources/resources.h"
#include "tools/image_button.h"
#include "tools/shift.h"

namespace {

const char KSettingsPath[] = "Software\\Velmar\\Mosaiko\\ShiftForm";

struct TShiftButton {
    int32_t FDx, FDy; // (0, 0): back to the start
    int FResource;
};

// Buttons 0 to 8, row by row from the top left.
const TShiftButton KButtons[KShiftButtonCount] = {
    {-1, -1, KResShiftUpLeft},  {0, -1, KResShiftUp},    {1, -1, KResShiftUpRight},
    {-1, 0, KResShiftLeft},     {0, 0, KResShiftCentre}, {1, 0, KResShiftRight},
    {-1, 1, KResShiftDownLeft}, {0, 1, KResShiftDown},   {1, 1, KResShiftDownRight},
};

void WritePosition(QWidget* window) {
    TSettingsKey* key = RegOpenSettingsKey(KSettingsPath);
    if (!key) return; // a failed write is not reported
    RegWriteInt(key, "X", window->x());
    RegWriteInt(key, "Y", window->y());
    RegCloseSettingsKey(key);
}

void DestroyButtons(TShiftForm* form) {
    for (ImageButton*& button : form->FButtons)
        button = ImageButton_Destroy(button);
}

// The window; whoever takes it down (the record's destroy or the owner going first) writes the
// position and destroys the buttons, as the pad's own destruction does.
class TShiftFormWindow final : public QWidget {
  public:
    TShiftFormWindow(TShiftForm* form, QWidget* owner)
        : QWidget(owner, Qt::Tool | Qt::WindowDoesNotAcceptFocus), FForm(form) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setFocusPolicy(Qt::NoFocus);
        setObjectName("ShiftForm");
        setWindowTitle("shift");
    }
    ~TShiftFormWindow() override {
        if (!FForm) return;
        WritePosition(this);
        DestroyButtons(FForm);
        FForm->FHandle = nullptr;
    }
    TShiftFormWindow(const TShiftFormWindow&) = delete;
    TShiftFormWindow& operator=(const TShiftFormWindow&) = delete;

    // A pad that was never finished goes without a trace: the stored position stays.
    void Detach() { FForm = nullptr; }

  private:
    TShiftForm* FForm;
};

// Half the primary screen's width and height; (0, 0) without a screen.
QPoint DefaultPosition() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return QPoint(0, 0);
    QRect r = screen->geometry();
    return QPoint(r.width() / 2, r.height() / 2);
}

// A stored point that lies on no screen (a monitor since removed) would leave the pad out of
// reach: the default is used instead.
QPoint StoredPosition() {
    QPoint fallback = DefaultPosition();
    TSettingsKey* key = RegOpenSettingsKey(KSettingsPath);
    if (!key) return fallback;
    QPoint p(RegReadInt(key, "X", fallback.x()), RegReadInt(key, "Y", fallback.y()));
    RegCloseSettingsKey(key);
    return QGuiApplication::screenAt(p) ? p : fallback;
}

int CreateButtons(TShiftForm* form) {
    for (int32_t i = 0; i < KShiftButtonCount; ++i) {
        int32_t x = (i % 3) * KShiftButtonPitch + 1, y = (i / 3) * KShiftButtonPitch + 1;
        ImageButton* button =
            ImageButton_Create(form->FHandle, x, y, KShiftButtonSide, KShiftButtonSide, IBS_PUSH,
                               KShiftButtonFirstId + i, 0);
        if (!button) return -1;
        form->FButtons[i] = button;
        if (ImageButton_LoadImages(button, KResShiftImageSide,
                                   Resource_Strip(KButtons[i].FResource)) != 0)
            return -1;
        const TShiftButton& shift = KButtons[i];
        button->FOnCommand = [shift](int) { TShift_Shift(shift.FDx, shift.FDy); };
    }
    return 0;
}

} // namespace

TShiftForm* TShiftForm_Create(QWidget* owner) {
    TShiftForm* form = new (std::nothrow) TShiftForm();
    TShiftFormWindow* window = form ? new (std::nothrow) TShiftFormWindow(form, owner) : nullptr;
    if (!window) {
        delete form;
        SetLastErrorCode(EC_NO_MEMORY);
        return nullptr;
    }
    form->FHandle = window;
    if (CreateButtons(form) != 0) {
        int code = GetLastErrorCode();
        DestroyButtons(form);
        window->Detach();
        delete window;
        delete form;
        SetLastErrorCode(code ? code : EC_WINDOW_CREATE);
        return nullptr;
    }
    window->setFixedSize(KShiftFormClientSide, KShiftFormClientSide);
    window->move(StoredPosition());
    ClearLastErrorCode();
    return form;
}

TShiftForm* TShiftForm_Destroy(TShiftForm* form) {
    if (!form) return nullptr;
    delete form->FHandle; // writes the position and destroys the buttons
    DestroyButtons(form); // (already done unless the window was gone)
    delete form;
    return nullptr;
}

void TShiftForm_Show(TShiftForm* form) {
    if (form && form->FHandle) form->FHandle->show();
}

void TShiftForm_Hide(TShiftForm* form) {
    if (form && form->FHandle) form->FHandle->hide();
}
