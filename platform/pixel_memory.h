// Zero-filled memory for pixels. Large blocks are advised for huge pages (their 2 MiB-aligned
// inside), so a 36 MB picture costs a few page faults instead of nine thousand; freed with
// std::free.
#pragma once

#include <cstddef>

// Null when the memory can't be had.
void* PixelMemory_Alloc(size_t bytes);
