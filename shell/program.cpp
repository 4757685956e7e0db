// The program's start and clean end. A recovered picture takes the place of the image named on
// the command line; the autosave starts on whichever document the main form holds.
#include "shell/program.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>

#include "core/recovery_copy.h"
#include "platform/qt/single_instance.h"
#include "shell/application.h"
#include "shell/autosave.h"
#include "shell/file_commands.h"
#include "shell/main_form.h"
#include "shell/recovery.h"

// What a later start asks of this one: the main window comes forward.
static void BringForward() {
    TMainForm* form = TMainForm_Get();
    if (!form || !form->FHandle) return;
    form->FHandle->showNormal();
    form->FHandle->raise();
    form->FHandle->activateWindow();
}

TMainForm* Program_Start(const QStringList& arguments) {
    if (!SingleInstance_Claim(BringForward)) return nullptr;

    if (arguments.size() > 1 && !arguments.at(1).isEmpty())
        TApplication_SetStartupPath(arguments.at(1).toStdString());
    TRecoveryCopy* recovered = Recovery_Offer();
    if (recovered) TApplication_SetStartupPath("");
    TApplication* application = TApplication_Get();
    application->FInstance = static_cast<QApplication*>(QCoreApplication::instance());
    FileCommands_Install(); // before a start-up icon may ask which image to open

    TMainForm* form = TMainForm_Create(1);
    if (!form) {
        TRecoveryCopy_Destroy(recovered);
        SingleInstance_Release();
        TApplication_Free();
        return nullptr;
    }
    // A failed opening has been shown; the copy stays on the disk until the next write.
    if (recovered && TMainForm_OpenRecoveryCopy(form, recovered) == 0) TMainForm_UpdateMenus(form);
    Autosave_Start(Recovery_CopyPath(), recovered != nullptr);
    TRecoveryCopy_Destroy(recovered);
    return form;
}

void Program_Finish() {
    Autosave_Stop(1);
    // Whatever the loop left behind goes before the application does.
    TMainForm_Destroy(TMainForm_Get());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SingleInstance_Release();
    TApplication_Free();
}
