// PNG and BMP pictures for and from other programs' clipboard data. Both go through memory
// streams (open_memstream, fmemopen) into the one PNG and BMP writers and readers.
#include "core/clipboard_image.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/bmp.h"
#include "core/error.h"
#include "core/ico_png.h"
#include "core/image.h"
#include "core/png.h"

namespace {

// Copying is interactive: the fastest deflate level keeps a large copy quick, and the bytes
// only travel through memory.
const int KClipboardPngLevel = 1;

TImage* FailNull(int code) {
    SetLastErrorCode(code);
    return nullptr;
}

// Destroying an image clears the last error; the caller still needs the reason.
TImage* DiscardImage(TImage* image) {
    int code = GetLastErrorCode();
    TImage_Destroy(image);
    return FailNull(code);
}

// The bytes a file writer's stream entry writes, through a memory stream, which comes up short
// only when memory runs out.
int EncodeThrough(int (*save)(const TImage*, std::FILE*), const TImage* image, TClipBlock* out) {
    if (!out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *out = TClipBlock{};
    if (ClipBlock_CheckSource(image) != 0) return -1;
    char* bytes = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&bytes, &size);
    if (!stream) return SetLastErrorCode(EC_NO_MEMORY), -1;
    const bool written = save(image, stream) == 0;
    const bool closed = std::fclose(stream) == 0;
    if (!written || !closed) {
        std::free(bytes);
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    }
    out->FData = reinterpret_cast<uint8_t*>(bytes);
    out->FSize = size;
    ClearLastErrorCode();
    return 0;
}

} // namespace

int ClipImage_EncodePng(const TImage* image, TClipBlock* out) {
    auto save = [](const TImage* picture, std::FILE* file) {
        return PNG_SaveStream(picture, file, KClipboardPngLevel);
    };
    return EncodeThrough(save, image, out);
}

int ClipImage_EncodeBmp(const TImage* image, TClipBlock* out) {
    return EncodeThrough(BMP_SaveStream, image, out);
}

TImage* ClipImage_DecodePng(const uint8_t* data, size_t size) {
    if (!data) return FailNull(EC_NULL_OBJECT);
    // An empty record: the decoder resets it to the picture's size.
    TImage* image = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
    if (!image) return FailNull(EC_NO_MEMORY);
    if (IcoPng_Decode(data, size, image) != 0) return DiscardImage(image);
    return image;
}

TImage* ClipImage_DecodeBmp(const uint8_t* data, size_t size) {
    if (!data) return FailNull(EC_NULL_OBJECT);
    if (size == 0) return FailNull(EC_UNKNOWN_FORMAT); // fmemopen takes no empty buffer
    TImage* image = static_cast<TImage*>(std::calloc(1, sizeof(TImage)));
    if (!image) return FailNull(EC_NO_MEMORY);
    // Read-only mode: the stream never writes, whatever the cast allows.
    std::FILE* stream = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!stream) {
        std::free(image);
        return FailNull(EC_NO_MEMORY);
    }
    const int result = BMP_LoadStream(image, stream);
    const int code = GetLastErrorCode();
    std::fclose(stream);
    if (result != 0) {
        SetLastErrorCode(code == EC_READ_FAILED ? EC_UNKNOWN_FORMAT : code);
        return DiscardImage(image);
    }
    ClearLastErrorCode();
    return image;
}
