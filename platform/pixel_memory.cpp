// Pixel memory: calloc for every block, with the page-aligned inside of a large one advised for
// huge pages before its first touch. calloc knows when its memory comes straight from the
// system (already zero, as every large block does) and then writes nothing, so a new picture
// costs only its page faults: zeroing 36 MB again took as long as copying it.
#include "platform/pixel_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

static const size_t KPage = 4096;
static const size_t KLargeBlock = size_t(4) << 20;

void* PixelMemory_Alloc(size_t bytes) {
    void* memory = std::calloc(bytes ? bytes : 1, 1);
#ifdef MADV_HUGEPAGE
    if (memory && bytes >= KLargeBlock) {
        // Advice only: without it the block still works, in small pages.
        const uintptr_t first = (uintptr_t(memory) + KPage - 1) & ~uintptr_t(KPage - 1);
        const uintptr_t end = (uintptr_t(memory) + bytes) & ~uintptr_t(KPage - 1);
        if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#endif
    return memory;
}
