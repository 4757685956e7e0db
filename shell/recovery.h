// The recovery copy around the program's life: where this editor keeps its copy (one file per
// editor, named after its single-instance key, in a private folder of the user's state), and
// the offer at start of a copy left by an editor of the same key that did not end cleanly.
#pragma once

#include <string>

struct TRecoveryCopy;

// QStandardPaths::AppLocalDataLocation + "/recovery", made (owner only) when missing.
std::string Recovery_Folder();
// This editor's copy: the instance key with ".rcv"; when this process does not hold the
// instance name (no socket could be made), the process id is added, so it meets no other copy.
std::string Recovery_CopyPath();
// The suffix a damaged copy gets when it is put aside (one kept: a later one replaces it).
extern const char* const KRecoveryDamagedSuffix;

// At start, once the instance name is held: a copy found at Recovery_CopyPath() belongs to an
// editor that ended without cleaning up. Asks whether to recover it: Yes gives the copy (the
// caller destroys it); No deletes the file. A copy that cannot be read is reported and put
// aside. Null when nothing is to be recovered; never fails the start.
TRecoveryCopy* Recovery_Offer();
