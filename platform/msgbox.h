// The message-box hook: every box the program shows goes through one replaceable handler.
// The shell installs a real Qt box; until then (and in tests) a recorder keeps what was asked
// and answers from a queue the caller fills, OK when the queue is empty. No Qt here.
#pragma once

#include <string>
#include <vector>

// Icon and button flags, combined with |.
enum {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_BUTTONS = 0xF, // the bits that choose the buttons
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
    MB_ICONS = 0xF0 // the bits that choose the icon
};

// Answers a box can give.
enum { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// Shows a modal box and returns the button chosen.
typedef int (*TMessageBoxHandler)(void* owner, const char* text, const char* caption, int flags);

// Installs handler (null restores the recorder); returns the previous one.
TMessageBoxHandler MessageBoxSetHandler(TMessageBoxHandler handler);
int MessageBoxShow(void* owner, const char* text, const char* caption, int flags);

// One box as the recorder saw it.
struct TMessageBoxRecord {
    void* FOwner;
    std::string FText;
    std::string FCaption;
    int FFlags;
};

// What the recorder has seen, oldest first; clearing also empties the answer queue.
const std::vector<TMessageBoxRecord>& MessageBoxRecords();
void MessageBoxClearRecords();
// Queues an answer for the next recorded box.
void MessageBoxQueueAnswer(int answer);
