// libFuzzer target for the JPEG reader: every input is loaded whole and as a preview, under the
// fuzz pixel limit, which also bounds the codec's working memory.
#include <cstddef>
#include <cstdint>

#include "core/image.h"
#include "core/jpeg.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (FuzzSetUp(), true);
    (void)ready;
    TImage* image = TImage_Create(1, 1, 24, 0);
    if (!image) return 0;
    if (std::FILE* stream = FuzzOpenInput(data, size)) {
        JPEG_LoadStream(image, stream);
        std::fclose(stream);
    }
    // Odd box sides, so both steps and the black border past small pictures are exercised.
    const TRectXYWH box = {0, 0, 37, 23};
    if (std::FILE* stream = FuzzOpenInput(data, size)) {
        JPEG_LoadPreviewStream(image, stream, &box);
        std::fclose(stream);
    }
    TImage_Destroy(image);
    return 0;
}
