// Fuzzes the icon reader: the image count, the description and the load of every image up to
// the first eight (and one past them), with arbitrary files: BMP-style and PNG entries alike.
#include <cstdio>
#include <cstring>

#include "core/bmp_header.h"
#include "core/ico.h"
#include "core/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

// Reads every byte, eight at a time (the sanitizer checks each whole load), so that a picture
// of megabytes, which a header of a few bytes may ask for, does not eat the run.
static void Touch(const uint8_t* bytes, size_t size) {
    uint64_t sum = 0, word;
    size_t i = 0;
    for (; i + 8 <= size; i += 8)
        std::memcpy(&word, bytes + i, 8), sum += word;
    for (; i < size; ++i)
        sum += bytes[i];
    volatile uint64_t keep = sum;
    (void)keep;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* stream = FuzzOpenInput(data, size);
    if (!stream) return 0;
    const int count = ICO_GetImageCountStream(stream);
    const int last = count < 8 ? count : 8;
    TImage* image = TImage_Create(1, 1, 24, 0);
    for (int32_t index = 0; index <= last; ++index) {
        TBitmapInfoHeader info;
        ICO_GetImageInfoStream(image, index, stream, &info);
        image->FIconIndex = index;
        if (ICO_LoadStream(image, stream) != 0) continue;
        // A loaded picture must be whole: touch every byte of both planes.
        Touch(image->FBits, size_t(image->FSize));
        Touch(image->FMask->FBits, size_t(image->FMask->FSize));
    }
    TImage_Destroy(image);
    std::fclose(stream);
    return 0;
}
