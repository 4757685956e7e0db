// The autosave's watcher and writer. The watcher compares, on every tick, what any change of
// the document moves (the history's change count, the modified flag, the palette, the name,
// the floating selection's place, the document itself) with what it saw last. The snapshot is
// taken whole on the user-interface thread, so the worker reads only memory it owns and never
// the live document; the worker sets no last error and shows nothing.
#include "shell/autosave.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <thread>

#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>

#include "core/error.h"
#include "core/layer.h"
#include "core/recovery_copy.h"
#include "document/undo_history.h"
#include "document/work_form.h"
#include "platform/qt/timer.h"
#include "shell/main_form.h"

namespace {

const int KTimerId = 2101;

// What the watcher saw of the document at the last tick.
struct TSeenState {
    const TWorkForm* FForm;
    uint32_t FChanges;
    int32_t FModified;
    int32_t FSelectMode;
    int32_t FFloatLeft, FFloatTop;
    TPaletteEntry FPalette[256];
    std::string FFileName;
};

struct TAutosave {
    std::string FPath;
    QElapsedTimer FClock;
    TSeenState FSeen;
    int64_t FFirstChange, FLastChange; // ms on FClock; -1 when nothing waits
    std::thread FWorker;
    TRecoveryCopy* FInFlight;  // the snapshot the worker writes; freed here once it is joined
                               // (freeing touches the last error, which the worker must not)
    std::atomic<int> FWriting; // 1 from the hand-over until the worker is done
    std::atomic<int> FFailed;  // the last write failed: it is tried again
};

TAutosave* GAutosave = nullptr;

TSeenState SeeDocument(const TWorkForm* form) {
    TSeenState seen = {};
    seen.FForm = form;
    if (!form) return seen;
    seen.FChanges = form->FHistory ? form->FHistory->FChanges : 0;
    seen.FModified = form->FFormModified;
    seen.FSelectMode = form->FSelectMode;
    if (form->FFloat && form->FFloat->FImage) {
        seen.FFloatLeft = form->FFloat->FLeft;
        seen.FFloatTop = form->FFloat->FTop;
    }
    std::memcpy(seen.FPalette, form->FPalette, sizeof seen.FPalette);
    seen.FFileName = form->FFileName;
    return seen;
}

bool SameState(const TSeenState& a, const TSeenState& b) {
    return a.FForm == b.FForm && a.FChanges == b.FChanges && a.FModified == b.FModified &&
           a.FSelectMode == b.FSelectMode && a.FFloatLeft == b.FFloatLeft &&
           a.FFloatTop == b.FFloatTop && a.FFileName == b.FFileName &&
           std::memcmp(a.FPalette, b.FPalette, sizeof a.FPalette) == 0;
}

void JoinWorker(TAutosave* autosave) {
    if (autosave->FWorker.joinable()) autosave->FWorker.join();
    autosave->FInFlight = TRecoveryCopy_Destroy(autosave->FInFlight);
}

void MarkChanged(TAutosave* autosave, int64_t now) {
    if (autosave->FFirstChange < 0) autosave->FFirstChange = now;
    autosave->FLastChange = now;
}

// The worker: writes the snapshot, which nothing else touches until it is joined.
void WriteCopy(TAutosave* autosave, const TRecoveryCopy* copy, std::string path) {
    const int result = RecoveryCopy_Save(copy, path.c_str());
    autosave->FFailed = result != 0;
    autosave->FWriting = 0;
}

} // namespace

int Autosave_Due(int64_t now, int64_t firstChange, int64_t lastChange) {
    if (firstChange < 0) return 0;
    return now - lastChange >= KAutosaveQuietMs || now - firstChange >= KAutosaveLongestMs;
}

int Autosave_Tick() {
    TAutosave* autosave = GAutosave;
    if (!autosave) return 0;
    const int64_t now = autosave->FClock.elapsed();
    TWorkForm* form = TMainForm_GetActiveWorkForm(TMainForm_Get());
    TSeenState seen = SeeDocument(form);
    if (!SameState(seen, autosave->FSeen)) {
        autosave->FSeen = seen;
        MarkChanged(autosave, now);
    }
    if (!autosave->FWriting && autosave->FFailed.exchange(0)) MarkChanged(autosave, now);
    // A stroke or drag changes pixels that no step holds yet; a dialog may hold the document
    // half changed. Both are waited out.
    if (!form || form->FStylusDown || QApplication::activeModalWidget() || autosave->FWriting ||
        !Autosave_Due(now, autosave->FFirstChange, autosave->FLastChange))
        return 0;
    TRecoveryCopy* copy = TWorkForm_MakeRecoveryCopy(form);
    ClearLastErrorCode(); // a snapshot that cannot be made is tried again, never shown
    if (!copy) return 0;
    JoinWorker(autosave);
    autosave->FFirstChange = autosave->FLastChange = -1;
    autosave->FInFlight = copy;
    autosave->FWriting = 1;
    try {
        autosave->FWorker = std::thread(WriteCopy, autosave, copy, autosave->FPath);
    } catch (...) { // no thread to be had: written on this one
        WriteCopy(autosave, copy, autosave->FPath);
    }
    return 1;
}

int Autosave_Wait() {
    if (!GAutosave) return 0;
    JoinWorker(GAutosave);
    return GAutosave->FFailed ? -1 : 0;
}

void Autosave_Start(const std::string& path, int pending) {
    Autosave_Stop(0);
    TAutosave* autosave = new (std::nothrow) TAutosave();
    if (!autosave) return; // the editor runs on without its copy
    autosave->FPath = path;
    autosave->FClock.start();
    autosave->FSeen = SeeDocument(TMainForm_GetActiveWorkForm(TMainForm_Get()));
    autosave->FFirstChange = autosave->FLastChange = pending ? 0 : -1;
    GAutosave = autosave;
    TTimer_Set(QCoreApplication::instance(), KTimerId, KAutosaveTickMs,
               [](int) { Autosave_Tick(); });
}

void Autosave_Stop(int remove) {
    TAutosave* autosave = GAutosave;
    if (!autosave) return;
    TTimer_Kill(QCoreApplication::instance(), KTimerId);
    JoinWorker(autosave); // before the removal, or the worker could write the copy again
    if (remove) std::remove(autosave->FPath.c_str());
    GAutosave = nullptr;
    delete autosave;
}
