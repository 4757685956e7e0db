// Atomic saving: every writer puts its bytes into a temporary file beside the target and
// renames it over the target only when all of them reached the disk, so a failed save leaves
// the old file as it was and no partial file behind. No Qt; the callers choose error codes.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

struct TSaveFile {
    std::FILE* FFile;    // the temporary file, open for binary writing; null when not open
    std::string FTarget; // the path the file will have, symbolic links resolved
    std::string FTemp;   // the temporary path in the target's folder
    int FFailed;         // non-zero once a write came back short
};

// Creates the temporary file beside the file target resolves to through symbolic links (the
// link itself stays), with the mode, owner and group of the file it will replace as far as this
// process may set them. Returns 0; -1 when that folder takes no new file or the links loop
// (errno tells why), with nothing left behind.
int TSaveFile_Open(TSaveFile* file, const char* target);
// Writes size bytes. Returns 0; -1 on a short write, after which the file only waits for
// TSaveFile_Abort (Commit refuses it).
int TSaveFile_Write(TSaveFile* file, const void* data, size_t size);
// Flushes, syncs, closes and renames over the target. Returns 0; -1 on any failure (or an
// earlier short write), with the temporary file removed and the target untouched.
int TSaveFile_Commit(TSaveFile* file);
// Closes and removes the temporary file; the target is untouched. Safe to call twice.
void TSaveFile_Abort(TSaveFile* file);

// Test hook: makes the next Commit fail at one step, once.
enum { TSF_NONE = 0, TSF_FLUSH, TSF_SYNC, TSF_CLOSE, TSF_RENAME };
void TSaveFile_InjectFault(int step);
