// What every fuzz target shares: a small pixel limit and the input as a stream in memory.
// An input costs about what the picture its header asks for costs (allocated, zeroed and
// converted), and a few header bytes can ask for any size up to the limit: 4 MiB keeps the
// targets at thousands of inputs a second and still passes every row, stride and size rule.
// Reading from memory spares each input the open, truncation and flush of a file on the disk.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/image.h"

// The pixel limit of every target.
const uint64_t KFuzzPixelLimit = uint64_t(4) << 20;

inline void FuzzSetUp() {
    TImage_SetPixelLimit(KFuzzPixelLimit);
}

// A loaded picture owns all of its memory: the last bytes of both planes must be addressable.
inline void FuzzTouchPlanes(const TImage* image) {
    volatile uint8_t last = image->FBits[image->FSize - 1];
    last = image->FMask->FBits[image->FMask->FSize - 1];
    (void)last;
}

// ---- the input as a stream -----------------------------------------------------------------
// A read-only stream over the input bytes that seeks as a file does: any position at or past 0
// is taken and reads past the end give nothing. (fmemopen refuses a seek past the end, which
// would send a reader that skips row padding down another path than the file it mimics.)

struct TFuzzInput {
    const uint8_t* FData;
    size_t FSize;
    off64_t FPosition;
};

inline ssize_t FuzzInputRead(void* cookie, char* into, size_t size) {
    TFuzzInput* in = static_cast<TFuzzInput*>(cookie);
    if (in->FPosition >= off64_t(in->FSize)) return 0;
    const size_t left = in->FSize - size_t(in->FPosition);
    if (size > left) size = left;
    std::memcpy(into, in->FData + in->FPosition, size);
    in->FPosition += off64_t(size);
    return ssize_t(size);
}

inline int FuzzInputSeek(void* cookie, off64_t* offset, int whence) {
    TFuzzInput* in = static_cast<TFuzzInput*>(cookie);
    const off64_t from = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? in->FPosition
                                              : off64_t(in->FSize);
    if (*offset < -from || (*offset > 0 && from > INT64_MAX - *offset)) return errno = EINVAL, -1;
    in->FPosition = from + *offset;
    *offset = in->FPosition;
    return 0;
}

inline int FuzzInputClose(void* cookie) {
    delete static_cast<TFuzzInput*>(cookie);
    return 0;
}

// Opens the input as a stream at its first byte; the caller closes it. The bytes are libFuzzer's
// and stay where they are.
inline std::FILE* FuzzOpenInput(const uint8_t* data, size_t size) {
    TFuzzInput* in = new TFuzzInput{data, size, 0};
    cookie_io_functions_t io = {FuzzInputRead, nullptr, FuzzInputSeek, FuzzInputClose};
    std::FILE* file = fopencookie(in, "rb", io);
    if (!file) delete in;
    return file;
}
