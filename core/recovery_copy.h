// TRecoveryCopy: what reopening an unsaved document needs (the background's colour and mask
// planes, a floating selection with its mode and place, the document palette, the file name,
// the icon index and the modified state), and its file: a header with sizes and checksums,
// written whole or not at all through the atomic save helper, and read back with every field
// checked. No Qt, no windows; the document side turns a work form into this record and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/palette_entry.h"

struct TClipBlock;
struct TImage;

enum {
    KRecoveryHeaderSize = 64,
    KRecoveryNameMax = 65536 // bytes of the file name; a longer one is refused
};

// Modes of a floating selection in a copy.
enum { TRF_NONE = 0, TRF_COPY = 1, TRF_CUT = 2 };

struct TRecoveryCopy {
    TImage* FBackground;        // 24 bits with mask plane; owned
    TImage* FFloat;             // the floating selection, 24 bits with mask; null for TRF_NONE
    int32_t FFloatMode;         // a TRF_ value; TRF_NONE exactly when FFloat is null
    int32_t FFloatLeft;         // the floating selection's place in document pixels
    int32_t FFloatTop;
    TPaletteEntry FPalette[256];
    std::string FFileName;      // UTF-8; empty when untitled
    int32_t FIconIndex;         // 0 or more
    int32_t FModified;          // 0 or 1
};

// A new, empty copy (no planes, untitled, zero palette). Null with EC_NO_MEMORY.
TRecoveryCopy* TRecoveryCopy_Create();
// Frees the copy with its planes; null is ignored. Returns null.
TRecoveryCopy* TRecoveryCopy_Destroy(TRecoveryCopy* copy);

// 0 when copy can be written: a background and, exactly with a floating mode, a floating
// selection, both 24-bit pictures with a mask plane of their size and rows at the 24-bit stride;
// a mode in range, an icon index of 0 or more, a name of at most KRecoveryNameMax bytes.
// Otherwise -1. Touches no last error, so a worker thread may call it.
int RecoveryCopy_Check(const TRecoveryCopy* copy);

// The whole file in memory: a malloc'd block in *out (TClipBlock_Free releases it). Returns 0;
// -1 with EC_NULL_OBJECT (a copy that fails RecoveryCopy_Check) or EC_NO_MEMORY, *out empty.
int RecoveryCopy_Encode(const TRecoveryCopy* copy, TClipBlock* out);
// Writes the file at path atomically: on failure the old file is as it was. Returns 0; -1 with
// errno set (EINVAL for a copy that fails RecoveryCopy_Check). Touches no last error and no
// shared state, so it may run on a worker thread while the user-interface thread goes on.
int RecoveryCopy_Save(const TRecoveryCopy* copy, const char* path);

// A new copy from size bytes of data; nothing outside data[0, size) is read. Null with
// EC_NULL_OBJECT for no data, EC_UNKNOWN_FORMAT for bytes that break any rule of the layout
// (recovery_copy.cpp draws it; cut short, extended, or a checksum that does not match),
// EC_NO_MEMORY for a picture over the pixel limit (refused before allocating) or when memory
// runs out.
TRecoveryCopy* RecoveryCopy_Parse(const uint8_t* data, size_t size);
// RecoveryCopy_Parse of the file at path, its size checked against the header before the body
// is read. Also EC_FILE_NOT_FOUND when it cannot be opened and EC_READ_FAILED on a read error.
TRecoveryCopy* RecoveryCopy_Load(const char* path);
