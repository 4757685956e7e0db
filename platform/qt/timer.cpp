// Timers as small QObjects, children of their owner (so an owner's timers die with it), each
// holding one Qt timer and its callback; posted calls through queued invocation; the wait cursor
// over QGuiApplication's override-cursor stack with our own nesting depth.
#include "platform/qt/timer.h"

#include <new>

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimerEvent>

namespace {
class TTimerObject final : public QObject {
  public:
    TTimerObject(QObject* owner, int id) : QObject(owner), FId(id) {}
    int FId;              // the owner's id for it
    int FQtTimer = 0;     // Qt's timer id, 0 when stopped
    bool FKilled = false; // waiting for deletion; no longer found by its id
    TTimerCallback FCallback;

  protected:
    void timerEvent(QTimerEvent* event) override {
        if (FKilled || event->timerId() != FQtTimer) return;
        // A copy, since the callback may set this timer anew (replacing FCallback) or kill it.
        TTimerCallback callback = FCallback;
        callback(FId);
    }
};
} // namespace

static TTimerObject* FindTimer(QObject* owner, int id) {
    for (QObject* child : owner->children()) {
        TTimerObject* timer = dynamic_cast<TTimerObject*>(child);
        if (timer && !timer->FKilled && timer->FId == id) return timer;
    }
    return nullptr;
}

int TTimer_Set(QObject* owner, int id, int ms, TTimerCallback callback) {
    if (!owner || !callback || ms < 1) return -1;
    TTimerObject* timer = FindTimer(owner, id);
    bool created = false;
    if (!timer) {
        timer = new (std::nothrow) TTimerObject(owner, id);
        if (!timer) return -1;
        created = true;
    }
    int qtTimer = timer->startTimer(ms);
    if (qtTimer == 0) {
        if (created) delete timer;
        return -1;
    }
    if (timer->FQtTimer) timer->killTimer(timer->FQtTimer);
    timer->FQtTimer = qtTimer;
    timer->FCallback = std::move(callback);
    return 0;
}

int TTimer_Kill(QObject* owner, int id) {
    if (!owner) return -1;
    TTimerObject* timer = FindTimer(owner, id);
    if (!timer) return -1;
    timer->killTimer(timer->FQtTimer);
    timer->FQtTimer = 0;
    // Deleted later: the kill may come from this timer's own callback.
    timer->FKilled = true;
    timer->deleteLater();
    return 0;
}

int PostCall(std::function<void()> call, QObject* receiver) {
    if (!call) return -1;
    QObject* context = receiver ? receiver : QCoreApplication::instance();
    if (!context) return -1;
    return QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection) ? 0 : -1;
}

static int GWaitDepth = 0; // Begins not yet ended

void WaitCursor_Begin() {
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    ++GWaitDepth;
}

void WaitCursor_End() {
    if (GWaitDepth == 0) return;
    --GWaitDepth;
    QGuiApplication::restoreOverrideCursor();
}
