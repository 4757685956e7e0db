// Timers, posted calls and the wait cursor, on Qt's event loop. A timer belongs to an owner
// object and is known by its id there, as window timers are; it ends with its owner. Posted
// calls run later from the event loop, in the order posted. Everything runs on the
// user-interface thread.
#pragma once

#include <functional>

class QObject;

// Called on every tick with the timer's id.
typedef std::function<void(int id)> TTimerCallback;

// Starts timer id of owner, ticking every ms milliseconds (at least 1); setting an id the owner
// already has restarts it with the new period and callback. The callback may set or kill any
// timer, its own included. Returns 0; -1 for a null owner or callback, ms below 1, or when Qt
// has no timer left (nothing changed then).
int TTimer_Set(QObject* owner, int id, int ms, TTimerCallback callback);
// Stops timer id of owner; no tick of it arrives afterwards. Returns 0; -1 for a null owner or
// an id the owner has no timer for.
int TTimer_Kill(QObject* owner, int id);

// Runs call from the event loop once the current event is done. With a receiver the call is
// dropped when the receiver is destroyed first; without one it belongs to the application.
// Returns 0; -1 for an empty call or when there is no application (the call is not run).
int PostCall(std::function<void()> call, QObject* receiver = nullptr);

// Shows the wait cursor over the whole application until the matching WaitCursor_End; the
// calls nest, and the cursor shown before the outermost Begin comes back after its End. An End
// without a Begin does nothing (another override cursor is left alone).
void WaitCursor_Begin();
void WaitCursor_End();
