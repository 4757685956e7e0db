// Fuzzes the BMP reader and the preview reader with arbitrary files.
#include "core/bmp.h"
#include "core/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = FuzzWriteInput(data, size, ".bmp");
    TImage* image = TImage_Create(1, 1, 24, 0);
    if (BMP_Load(image, path.c_str()) == 0) {
        // A loaded picture owns all of its memory: its last bytes must be addressable.
        volatile uint8_t last = image->FBits[image->FSize - 1];
        last = image->FMask->FBits[image->FMask->FSize - 1];
        (void)last;
    }
    TRectXYWH box = {0, 0, 37, 29};
    BMP_LoadPreview(image, path.c_str(), &box);
    TImage_Destroy(image);
    return 0;
}
