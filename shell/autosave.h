// The autosave: keeps the recovery copy of the main form's document current while the user
// works. A change is written once the document has been unchanged for 2 seconds, or after 30
// seconds of continued changes at the latest, never while the stylus is down or a modal dialog
// runs (the tick tries again). The snapshot is taken on the user-interface thread; the file is
// written from a worker thread that owns the snapshot and touches nothing else.
#pragma once

#include <cstdint>
#include <string>

enum {
    KAutosaveQuietMs = 2000,   // a change is written once the document was this long unchanged
    KAutosaveLongestMs = 30000, // and at the latest this long after the first unwritten change
    KAutosaveTickMs = 250
};

// 1 when a change first seen at firstChange and last seen at lastChange (milliseconds on one
// clock; firstChange < 0: nothing waits) is due for writing at now.
int Autosave_Due(int64_t now, int64_t firstChange, int64_t lastChange);

// Starts watching the main form's document, writing its copy at path. With pending the
// document counts as changed now (a recovered document). A second start replaces the first.
void Autosave_Start(const std::string& path, int pending);
// Stops watching and waits for a write in progress; with remove the copy is deleted (the
// program ends cleanly). Nothing when not started.
void Autosave_Stop(int remove);
// Runs one tick now (the timer runs them every KAutosaveTickMs). 1 when it handed a snapshot
// to the writer.
int Autosave_Tick();
// Waits until a write in progress has ended. 0 when the last write succeeded (or none ran).
int Autosave_Wait();
