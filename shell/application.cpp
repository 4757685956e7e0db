// The application record and the process-wide values of the program's entry: the start-up
// path, whether the message loop runs, and the queued request that ends it.
#include "shell/application.h"

#include <cstdlib>
#include <new>

#include <QCoreApplication>
#include <QMetaObject>

static TApplication* GApplication = nullptr;
static std::string GStartupPath;
static int GLoopRunning = 0;
static int GQuitPosted = 0;

TApplication* TApplication_Get() {
    if (!GApplication) {
        GApplication = new (std::nothrow) TApplication();
        if (!GApplication) std::exit(1);
    }
    return GApplication;
}

void TApplication_Free() {
    delete GApplication;
    GApplication = nullptr;
}

void TApplication_SetStartupPath(const std::string& path) {
    GStartupPath = path;
}

const std::string& TApplication_GetStartupPath() {
    return GStartupPath;
}

void TApplication_SetLoopRunning(int running) {
    GLoopRunning = running ? 1 : 0;
}

// Queued, so the loop ends only after the command or close event that asked has finished.
void TApplication_PostQuit(int code) {
    GQuitPosted = 1;
    QCoreApplication* app = QCoreApplication::instance();
    if (!GLoopRunning || !app) return;
    QMetaObject::invokeMethod(
        app, [code] { QCoreApplication::exit(code); }, Qt::QueuedConnection);
}

int TApplication_QuitPosted() {
    return GQuitPosted;
}

void TApplication_ResetQuit() {
    GQuitPosted = 0;
}
