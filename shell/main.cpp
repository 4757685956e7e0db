// The program's entry: the Qt application, the single instance (a second start brings the
// first editor forward and ends), the real message box, the main form on the image named on
// the command line, and the message loop until the exit sequence ends it.
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMainWindow>
#include <QStringList>

#include "platform/qt/message_box.h"
#include "platform/qt/single_instance.h"
#include "resources/resources.h"
#include "shell/application.h"
#include "shell/file_commands.h"
#include "shell/main_form.h"

// What a later start asks of this one: the main window comes forward.
static void BringForward() {
    TMainForm* form = TMainForm_Get();
    if (!form || !form->FHandle) return;
    form->FHandle->showNormal();
    form->FHandle->raise();
    form->FHandle->activateWindow();
}

int main(int argc, char** argv) {
    // Every mouse move must reach the tools: a stroke follows each sampled point.
    QCoreApplication::setAttribute(Qt::AA_CompressHighFrequencyEvents, false);
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Velmar"));
    QCoreApplication::setApplicationName(QStringLiteral("Mosaiko"));
    QApplication::setWindowIcon(Resource_ProgramIcon());
    // The exit sequence ends the loop; a closed window alone (its close cancelled) must not.
    QApplication::setQuitOnLastWindowClosed(false);
    MessageBoxInstallQt();

    if (!SingleInstance_Claim(BringForward)) return 0;

    QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() > 1 && !arguments.at(1).isEmpty())
        TApplication_SetStartupPath(arguments.at(1).toStdString());
    TApplication* application = TApplication_Get();
    application->FInstance = &app;
    FileCommands_Install(); // before a start-up icon may ask which image to open

    TMainForm* form = TMainForm_Create(1);
    if (!form) {
        SingleInstance_Release();
        TApplication_Free();
        return 0;
    }
    TApplication_SetLoopRunning(1);
    int status = app.exec();
    TApplication_SetLoopRunning(0);

    // Whatever the loop left behind goes before the application does.
    TMainForm_Destroy(TMainForm_Get());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    SingleInstance_Release();
    TApplication_Free();
    return status;
}
