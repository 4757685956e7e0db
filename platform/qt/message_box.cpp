// The Qt message box behind the message-box hook: flags to QMessageBox icons and buttons, the
// button pressed back to IDOK / IDCANCEL / IDYES / IDNO. Texts are shown as plain text, so a file
// name holding '<' or '&' reads as written rather than as markup.
#include "platform/qt/message_box.h"

#include <QMessageBox>
#include <QString>
#include <QWidget>

#include "platform/msgbox.h"

static QMessageBox::Icon BoxIcon(int flags) {
    switch (flags & MB_ICONS) {
    case MB_ICONSTOP:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONWARNING:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

struct TBoxButtons {
    QMessageBox::StandardButtons FButtons;
    QMessageBox::StandardButton FDefault; // the first button, as the platform's boxes have it
    int FClosed; // the answer when the box is closed without a button (Escape, window manager)
};

// A button set the hook does not know (abort/retry/ignore and the like) falls back to OK, so
// the box can always be answered.
static TBoxButtons BoxButtons(int flags) {
    switch (flags & MB_BUTTONS) {
    case MB_OKCANCEL:
        return {QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok, IDCANCEL};
    case MB_YESNO:
        return {QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes, IDNO};
    case MB_YESNOCANCEL:
        return {QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes,
                IDCANCEL};
    default:
        return {QMessageBox::Ok, QMessageBox::Ok, IDOK};
    }
}

static int AnswerOf(int pressed, const TBoxButtons& buttons) {
    switch (pressed) {
    case QMessageBox::Ok:
        return IDOK;
    case QMessageBox::Cancel:
        return IDCANCEL;
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return buttons.FClosed;
    }
}

static int QtMessageBoxHandler(void* owner, const char* text, const char* caption, int flags) {
    TBoxButtons buttons = BoxButtons(flags);
    QMessageBox box(BoxIcon(flags), QString::fromUtf8(caption ? caption : ""),
                    QString::fromUtf8(text ? text : ""), buttons.FButtons,
                    static_cast<QWidget*>(owner));
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(buttons.FDefault);
    // The platform's boxes answer Escape with Cancel, or with No where there is no Cancel; OK-only
    // boxes with OK.
    if (buttons.FClosed == IDCANCEL)
        box.setEscapeButton(QMessageBox::Cancel);
    else if (buttons.FClosed == IDNO)
        box.setEscapeButton(QMessageBox::No);
    else
        box.setEscapeButton(QMessageBox::Ok);
    return AnswerOf(box.exec(), buttons);
}

TMessageBoxHandler MessageBoxInstallQt() {
    return MessageBoxSetHandler(QtMessageBoxHandler);
}
