// Zero-filled memory for pixels. Large blocks are aligned to 2 MiB and advised for huge pages,
// so a 36 MB picture costs a few page faults instead of nine thousand; freed with std::free.
#pragma once

#include <cstddef>

// Null when the memory can't be had.
void* PixelMemory_Alloc(size_t bytes);
