// Fuzzes the recovery file reader: any bytes may lie in the recovery folder after a crash, a
// full disk or another program's write. Each input is parsed as it is and once more with both
// checksums made to match (else almost every mutation would stop at the checksum and the field
// rules behind it would never be reached). A parsed copy must own all of its memory, and one
// encoded again must give back exactly the bytes it was read from.
#include <zlib.h>

#include <cstdlib>
#include <cstring>

#include "core/bmp_header.h"
#include "core/clipboard_block.h"
#include "core/image.h"
#include "core/recovery_copy.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

namespace {

// A plane's first and last bytes (see fuzz/clipboard.cpp for why not every byte).
void TouchEnds(const TImage* plane) {
    volatile uint8_t keep = plane->FBits[0];
    keep = plane->FBits[plane->FSize - 1];
    (void)keep;
}

void TouchPicture(const TImage* image) {
    if (image->FBitsPerPixel != 24 || !image->FMask ||
        image->FFlags != uint32_t(TIF_HASMASK | TIF_BOTTOMUP))
        std::abort();
    TouchEnds(image);
    TouchEnds(image->FMask);
}

void ParseOne(const uint8_t* bytes, size_t size) {
    TRecoveryCopy* copy = RecoveryCopy_Parse(bytes, size);
    if (copy) {
        TouchPicture(copy->FBackground);
        if ((copy->FFloatMode == TRF_NONE) != (copy->FFloat == nullptr)) std::abort();
        if (copy->FFloat) TouchPicture(copy->FFloat);
        TClipBlock block = {};
        if (RecoveryCopy_Encode(copy, &block) != 0 || block.FSize != size ||
            std::memcmp(block.FData, bytes, size) != 0)
            std::abort();
        TClipBlock_Free(&block);
        copy = TRecoveryCopy_Destroy(copy);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A copy of exactly the input, so a read one byte past it is caught.
    uint8_t* bytes = static_cast<uint8_t*>(std::malloc(size ? size : 1));
    if (size) std::memcpy(bytes, data, size);
    ParseOne(bytes, size);
    if (size >= KRecoveryHeaderSize) {
        PutU32LE(bytes + 56, uint32_t(crc32_z(0, bytes + 64, size - 64)));
        PutU32LE(bytes + 60, uint32_t(crc32_z(0, bytes, 60)));
        ParseOne(bytes, size);
    }
    std::free(bytes);
    return 0;
}
