// PNG and BMP pictures for and from other programs' clipboard data. PNG encoding runs libpng
// into a growing malloc'd buffer; its error exit longjmps back to RunEncoder, which owns
// nothing with a destructor: the output buffer and the row buffer hang on the encoder record
// of ClipImage_EncodePng's frame and were allocated before setjmp. BMP bytes go through
// memory streams (open_memstream, fmemopen) into the one BMP writer and reader.
#include "core/clipboard_image.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/bmp.h"
#include "core/error.h"
#include "core/ico_png.h"
#include "core/image.h"

namespace {

// Copying is interactive: the fastest deflate level keeps a large copy quick, and the bytes
// only travel through memory.
const int KPngCompressionLevel = 1;

// The PNG bytes written so far.
struct TPngSink {
    uint8_t* FData; // from malloc; handed to the caller on success
    size_t FSize;
    size_t FCapacity;
};

// Everything one encode needs; lives in ClipImage_EncodePng's frame.
struct TPngEncoder {
    png_structp FPng;
    png_infop FInfo;
    TPngSink FSink;
    const TImage* FImage;
    uint8_t* FRow; // one RGBA row
};

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

void WriteToSink(png_structp png, png_bytep data, size_t count) {
    TPngSink* sink = static_cast<TPngSink*>(png_get_io_ptr(png));
    if (count > sink->FCapacity - sink->FSize) {
        if (count > SIZE_MAX / 2 - sink->FSize) png_error(png, "output too large");
        size_t need = sink->FSize + count;
        size_t grown = sink->FCapacity < 4096 ? 4096 : sink->FCapacity * 2;
        while (grown < need)
            grown *= 2;
        uint8_t* bigger = static_cast<uint8_t*>(std::realloc(sink->FData, grown));
        if (!bigger) png_error(png, "out of memory");
        sink->FData = bigger;
        sink->FCapacity = grown;
    }
    std::memcpy(sink->FData + sink->FSize, data, count);
    sink->FSize += count;
}

void FlushSink(png_structp) {}

void ErrorExit(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// Picture row y as RGBA: red, green, blue from the stored blue, green, red; alpha from the
// mask bit (every pixel visible without a mask plane).
void FillRgbaRow(const TImage* image, int32_t y, uint8_t* rgba) {
    const uint8_t* src = TImage_GetRow(image, y);
    const uint8_t* mask = image->FMask ? TImage_GetRow(image->FMask, y) : nullptr;
    for (int32_t x = 0; x < image->FWidth; ++x, src += 3, rgba += 4) {
        rgba[0] = src[2], rgba[1] = src[1], rgba[2] = src[0];
        const bool visible = !mask || (mask[x >> 3] & (0x80 >> (x & 7)));
        rgba[3] = visible ? 0xFF : 0;
    }
}

void EncodeRows(TPngEncoder* enc) {
    png_structp png = enc->FPng;
    const TImage* image = enc->FImage;
    png_set_write_fn(png, &enc->FSink, WriteToSink, FlushSink);
    // libpng refuses pictures over a million pixels wide by default; ours may be wider.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_IHDR(png, enc->FInfo, uint32_t(image->FWidth), uint32_t(image->FHeight), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, KPngCompressionLevel);
    png_write_info(png, enc->FInfo);
    for (int32_t y = 0; y < image->FHeight; ++y) {
        FillRgbaRow(image, y, enc->FRow);
        png_write_row(png, enc->FRow);
    }
    png_write_end(png, enc->FInfo);
}

// The one place setjmp returns to. With valid parameters and no file, libpng fails only when
// memory runs out, so every failure is EC_NO_MEMORY. Returns 0, or -1 with the last error set.
int RunEncoder(TPngEncoder* enc) {
    enc->FPng = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorExit, IgnoreWarning);
    if (!enc->FPng) return SetLastErrorCode(EC_NO_MEMORY), -1;
    enc->FInfo = png_create_info_struct(enc->FPng);
    if (!enc->FInfo) {
        png_destroy_write_struct(&enc->FPng, nullptr);
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    }
    if (setjmp(png_jmpbuf(enc->FPng))) {
        png_destroy_write_struct(&enc->FPng, &enc->FInfo);
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    }
    EncodeRows(enc);
    png_destroy_write_struct(&enc->FPng, &enc->FInfo);
    return 0;
}

} // namespace

int ClipImage_EncodePng(const TImage* image, TClipBlock* out) {
    if (!out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *out = TClipBlock{};
    if (ClipBlock_CheckSource(image) != 0) return -1;
    TPngEncoder enc = {};
    enc.FImage = image;
    enc.FRow = static_cast<uint8_t*>(std::malloc(size_t(image->FWidth) * 4));
    if (!enc.FRow) return SetLastErrorCode(EC_NO_MEMORY), -1;
    int result = RunEncoder(&enc);
    std::free(enc.FRow);
    if (result != 0) {
        std::free(enc.FSink.FData);
        return -1;
    }
    out->FData = enc.FSink.FData;
    out->FSize = enc.FSink.FSize;
    ClearLastErrorCode();
    return 0;
}

int ClipImage_EncodeBmp(const TImage* image, TClipBlock* out) {
    if (!out) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *out = TClipBlock{};
    if (ClipBlock_CheckSource(image) != 0) return -1;
    char* bytes = nullptr;
    size_t size = 0;
    std::FILE* stream = open_memstream(&bytes, &size);
    if (!stream) return SetLastErrorCode(EC_NO_MEMORY), -1;
    // A memory stream comes up short only when memory runs out.
    const bool written = BMP_SaveStream(image, stream) == 0;
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
