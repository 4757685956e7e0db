// Fuzzes what other programs can put on the clipboard: the first byte picks the private block
// (0), PNG (1) or BMP (2) decoding, modulo 3; the rest is the data. A decoded picture must
// own all of its memory, and small ones must survive our own encoders: the private block and
// PNG give back the same colour and mask bits, the BMP the same colours.
#include <cstdlib>
#include <cstring>

#include "core/clipboard_block.h"
#include "core/clipboard_image.h"
#include "core/image.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FuzzSetUp();
    return 0;
}

namespace {

// Pictures up to this many pixels also go through the round trips.
const int64_t KRoundTripPixels = 4096;

// A plane's first and last bytes: the sanitizer knows each allocation as one block, so both
// being addressable shows the plane owns all FSize bytes (touching every byte of a picture at
// the pixel limit that a few header bytes asked for would eat the run).
void TouchEnds(const TImage* plane) {
    volatile uint8_t keep = plane->FBits[0];
    keep = plane->FBits[plane->FSize - 1];
    (void)keep;
}

bool SamePixels(const TImage* a, const TImage* b, bool withMask) {
    if (a->FWidth != b->FWidth || a->FHeight != b->FHeight) return false;
    for (int32_t y = 0; y < a->FHeight; ++y)
        for (int32_t x = 0; x < a->FWidth; ++x) {
            uint32_t ca = 0, cb = 0;
            uint32_t ma = TImage_GetPixelMasked(a, x, y, &ca);
            uint32_t mb = TImage_GetPixelMasked(b, x, y, &cb);
            if (ca != cb || (withMask && ma != mb)) return false;
        }
    return true;
}

using Encoder = int (*)(const TImage*, TClipBlock*);
using Decoder = TImage* (*)(const uint8_t*, size_t);

// Encoding a decoded picture must work, and decoding the result must give it back.
void RoundTrip(const TImage* image, Encoder encode, Decoder decode, bool withMask) {
    TClipBlock block = {};
    if (encode(image, &block) != 0) std::abort();
    TImage* back = decode(block.FData, block.FSize);
    if (!back || !SamePixels(image, back, withMask)) std::abort();
    TImage_Destroy(back);
    TClipBlock_Free(&block);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int kind = data[0] % 3;
    const Decoder decoders[] = {ClipBlock_ParsePrivate, ClipImage_DecodePng, ClipImage_DecodeBmp};
    // A copy of exactly the rest, so a read one byte past it is caught.
    const size_t length = size - 1;
    uint8_t* rest = static_cast<uint8_t*>(std::malloc(length ? length : 1));
    if (length) std::memcpy(rest, data + 1, length);
    TImage* image = decoders[kind](rest, length);
    if (image) {
        if (image->FBitsPerPixel != 24 || !image->FMask ||
            image->FFlags != uint32_t(TIF_HASMASK | TIF_BOTTOMUP))
            std::abort();
        TouchEnds(image);
        TouchEnds(image->FMask);
        if (int64_t(image->FWidth) * image->FHeight <= KRoundTripPixels) {
            RoundTrip(image, ClipBlock_MakePrivate, ClipBlock_ParsePrivate, true);
            RoundTrip(image, ClipImage_EncodePng, ClipImage_DecodePng, true);
            RoundTrip(image, ClipImage_EncodeBmp, ClipImage_DecodeBmp, false);
        }
        TImage_Destroy(image);
    }
    std::free(rest);
    return 0;
}
