// The program's entry: the Qt application and the real message box, then the start (single
// instance, recovery, main form, autosave: program.cpp), the message loop until the exit
// sequence ends it, and the clean end.
#include <QApplication>
#include <QCoreApplication>
#include <QIcon>

#include "platform/qt/message_box.h"
#include "resources/resources.h"
#include "shell/application.h"
#include "shell/program.h"

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

    if (!Program_Start(QCoreApplication::arguments())) return 0;
    TApplication_SetLoopRunning(1);
    int status = app.exec();
    TApplication_SetLoopRunning(0);
    Program_Finish();
    return status;
}
