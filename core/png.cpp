// PNG files. Reading hands the file's first bytes and the rest of the stream to the one decoder.
// Writing runs libpng into the atomic file helper; its error exit longjmps back to RunEncoder,
// which owns nothing with a destructor: the row buffer hangs on the encoder record of
// SaveInto's frame and was allocated before setjmp.
#include "core/png.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/error.h"
#include "core/png_decode.h"
#include "platform/save_file.h"

namespace {

// Everything one encode needs; lives in SaveInto's frame.
struct TPngEncoder {
    png_structp FPng;
    png_infop FInfo;
    TSaveFile* FOut;
    const TImage* FImage;
    int FLevel;
    bool FAlpha;      // RGBA rows; else the image's own rows as blue, green, red
    uint8_t* FRow;    // one RGBA row, when FAlpha
    bool FWriteShort; // the file took fewer bytes than given
};

int LoadFrom(TImage* image, std::FILE* file, const TRectXYWH* box) {
    uint8_t head[PNG_HEADER_SIZE];
    const size_t got = std::fread(head, 1, sizeof head, file);
    if (got == 0 || (got < sizeof head && Png_HasSignature(head, got)))
        return SetLastErrorCode(EC_READ_FAILED), -1;
    const TPngInput input = {head, got, file};
    return Png_Decode(&input, box, image);
}

int LoadFile(TImage* image, const char* name, const TRectXYWH* box) {
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return SetLastErrorCode(EC_READ_FAILED), -1;
    const int result = LoadFrom(image, file, box);
    std::fclose(file);
    return result;
}

bool EveryPixelVisible(const TImage* image) {
    const TImage* mask = image->FMask && image->FMask->FBits ? image->FMask : nullptr;
    if (!mask) return true;
    const int32_t whole = image->FWidth / 8, rest = image->FWidth % 8;
    const uint8_t restBits = uint8_t(0xFF00 >> rest);
    for (int32_t y = 0; y < image->FHeight; ++y) {
        const uint8_t* row = TImage_GetRow(mask, y);
        for (int32_t i = 0; i < whole; ++i)
            if (row[i] != 0xFF) return false;
        if (rest && (row[whole] & restBits) != restBits) return false;
    }
    return true;
}

void WriteToFile(png_structp png, png_bytep data, size_t count) {
    TPngEncoder* enc = static_cast<TPngEncoder*>(png_get_io_ptr(png));
    if (TSaveFile_Write(enc->FOut, data, count) != 0) {
        enc->FWriteShort = true;
        png_error(png, "write failed");
    }
}

void FlushNothing(png_structp) {} // the file helper flushes and syncs on commit

void ErrorExit(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// Picture row y as RGBA: red, green, blue from the stored blue, green, red; alpha from the
// mask bit.
void FillRgbaRow(const TImage* image, int32_t y, uint8_t* rgba) {
    const uint8_t* src = TImage_GetRow(image, y);
    const uint8_t* mask = TImage_GetRow(image->FMask, y);
    for (int32_t x = 0; x < image->FWidth; ++x, src += 3, rgba += 4) {
        rgba[0] = src[2], rgba[1] = src[1], rgba[2] = src[0];
        rgba[3] = (mask[x >> 3] & (0x80 >> (x & 7))) ? 0xFF : 0;
    }
}

void EncodeRows(TPngEncoder* enc) {
    png_structp png = enc->FPng;
    const TImage* image = enc->FImage;
    png_set_write_fn(png, enc, WriteToFile, FlushNothing);
    // libpng refuses pictures over a million pixels wide by default; ours may be wider.
    png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
    png_set_IHDR(png, enc->FInfo, uint32_t(image->FWidth), uint32_t(image->FHeight), 8,
                 enc->FAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, enc->FLevel);
    png_write_info(png, enc->FInfo);
    if (!enc->FAlpha) png_set_bgr(png);
    for (int32_t y = 0; y < image->FHeight; ++y) {
        if (enc->FAlpha) FillRgbaRow(image, y, enc->FRow);
        png_write_row(png, enc->FAlpha ? enc->FRow : TImage_GetRow(image, y));
    }
    png_write_end(png, enc->FInfo);
}

// The one place setjmp returns to. With valid parameters libpng fails only when memory runs out
// or the file takes no more. Returns 0, or -1 with the last error set.
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
        return SetLastErrorCode(enc->FWriteShort ? EC_WRITE_FAILED : EC_NO_MEMORY), -1;
    }
    EncodeRows(enc);
    png_destroy_write_struct(&enc->FPng, &enc->FInfo);
    return 0;
}

int CheckSource(const TImage* image) {
    if (!image || !image->FBits) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (image->FBitsPerPixel != 24) return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    return 0;
}

int SaveInto(const TImage* image, TSaveFile* out, int level) {
    TPngEncoder enc = {};
    enc.FOut = out;
    enc.FImage = image;
    enc.FLevel = level < 0 ? 0 : level > 9 ? 9 : level;
    enc.FAlpha = !EveryPixelVisible(image);
    if (enc.FAlpha) {
        enc.FRow = static_cast<uint8_t*>(std::malloc(size_t(image->FWidth) * 4));
        if (!enc.FRow) return SetLastErrorCode(EC_NO_MEMORY), -1;
    }
    const int result = RunEncoder(&enc);
    std::free(enc.FRow);
    return result;
}

} // namespace

int PNG_Load(TImage* image, const char* name) {
    if (!image || !name) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return LoadFile(image, name, nullptr);
}

int PNG_LoadStream(TImage* image, std::FILE* file) {
    if (!image || !file) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return LoadFrom(image, file, nullptr);
}

int PNG_LoadPreview(TImage* image, const char* name, const TRectXYWH* box) {
    if (!image || !name || !box) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return LoadFile(image, name, box);
}

int PNG_Save(const TImage* image, const char* name) {
    if (!name) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (CheckSource(image) != 0) return -1;
    TSaveFile file{};
    if (TSaveFile_Open(&file, name) != 0) return SetLastErrorCode(EC_READ_FAILED), -1;
    if (SaveInto(image, &file, PNG_FILE_LEVEL) != 0) {
        TSaveFile_Abort(&file);
        return -1;
    }
    if (TSaveFile_Commit(&file) != 0) return SetLastErrorCode(EC_WRITE_FAILED), -1;
    ClearLastErrorCode();
    return 0;
}

int PNG_SaveStream(const TImage* image, std::FILE* file, int level) {
    if (!file) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (CheckSource(image) != 0) return -1;
    TSaveFile out = {file, std::string(), std::string(), 0};
    if (SaveInto(image, &out, level) != 0) return -1;
    ClearLastErrorCode();
    return 0;
}
