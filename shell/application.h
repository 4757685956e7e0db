// TApplication: the one application record of the process, and the process-wide values beside
// it: the start-up path from the command line and the request to end the message loop.
// Knows nothing of windows; the main form publishes itself here.
#pragma once

#include <string>

struct TMainForm;

struct TApplication {
    void* FInstance;      // the QApplication, for what needs the running program
    TMainForm* FMainForm; // set once the main form exists; null before and after
};

// The application record, created (zero-filled) on first use. When it cannot be allocated the
// program ends at once with status 1.
TApplication* TApplication_Get();
// Frees the record; the next TApplication_Get makes a fresh one.
void TApplication_Free();

// The image path named on the command line; empty when none was given.
void TApplication_SetStartupPath(const std::string& path);
const std::string& TApplication_GetStartupPath();

// The message loop: main() says when it runs it, and the exit sequence asks it to end. A quit
// asked for while no loop runs (in tests) is only remembered.
void TApplication_SetLoopRunning(int running);
void TApplication_PostQuit(int code);
int TApplication_QuitPosted(); // 1 once PostQuit was called (and until ResetQuit)
void TApplication_ResetQuit();
