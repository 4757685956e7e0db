// Fuzzes the PNG reader with arbitrary files, and its reduced decode from memory as icon
// entries and the clipboard give it.
#include "core/png.h"
#include "core/image.h"
#include "core/png_decode.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* stream = FuzzOpenInput(data, size);
    if (!stream) return 0;
    TImage* image = TImage_Create(1, 1, 24, 0);
    if (PNG_LoadStream(image, stream) == 0) FuzzTouchPlanes(image);
    std::fclose(stream);
    const TRectXYWH box = {0, 0, 37, 29};
    const TPngInput input = {data, size, nullptr};
    Png_Decode(&input, &box, image);
    TImage_Destroy(image);
    return 0;
}
