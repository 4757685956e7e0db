// Fuzzes the BMP reader and the preview reader with arbitrary files.
#include "core/bmp.h"
#include "core/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::FILE* stream = FuzzOpenInput(data, size);
    if (!stream) return 0;
    TImage* image = TImage_Create(1, 1, 24, 0);
    if (BMP_LoadStream(image, stream) == 0) FuzzTouchPlanes(image);
    std::fclose(stream);
    TRectXYWH box = {0, 0, 37, 29};
    stream = FuzzOpenInput(data, size);
    if (stream) {
        BMP_LoadPreviewStream(image, stream, &box);
        std::fclose(stream);
    }
    TImage_Destroy(image);
    return 0;
}
