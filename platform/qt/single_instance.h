// One editor per user and settings folder: the first start listens on a local socket whose name
// is derived from the user and the settings folder (so tests with a settings folder of their own
// never meet a running editor); a later start connects, asks the first to come forward, and ends.
#pragma once

#include <functional>
#include <string>

// 1: this is the first instance; activate runs (on the user-interface thread) whenever a later
// start asks. 0: another instance answered and was asked to come forward; end now. A socket that
// cannot be made counts as first (the editor still runs).
int SingleInstance_Claim(std::function<void()> activate);
// Stops listening (also done at exit).
void SingleInstance_Release();
// 1 while this process listens under the name: no other editor of this user and settings folder
// runs, so whatever such an editor left behind belongs to one that ended.
int SingleInstance_IsListening();
// The part of the name that tells editors apart ("mosaiko-" and 16 hex digits), for files an
// editor keeps beside the socket's name.
std::string SingleInstance_Key();
