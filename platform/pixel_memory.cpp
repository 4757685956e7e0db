// Pixel memory: calloc for small blocks, huge-page advised aligned blocks for large ones.
#include "platform/pixel_memory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <cstring>

static const size_t KHugePage = size_t(2) << 20;
static const size_t KLargeBlock = size_t(4) << 20;

void* PixelMemory_Alloc(size_t bytes) {
    if (bytes < KLargeBlock) return std::calloc(bytes ? bytes : 1, 1);
    size_t rounded = (bytes + KHugePage - 1) / KHugePage * KHugePage;
    if (rounded < bytes) return nullptr;
    void* memory = nullptr;
    if (posix_memalign(&memory, KHugePage, rounded) != 0) return nullptr;
#ifdef MADV_HUGEPAGE
    madvise(memory, rounded, MADV_HUGEPAGE); // advice only: without it the block still works
#endif
    std::memset(memory, 0, bytes);
    return memory;
}
