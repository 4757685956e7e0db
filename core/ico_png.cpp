// PNG icon entries through libpng. The entry's bytes come from memory through our own read
// function, which refuses to go past them, so a byte count that ends inside a chunk makes the
// entry undecodable rather than letting the reader wander into the next entry. libpng's error
// exit longjmps back to RunDecoder, which owns nothing with a destructor: the image, the row
// buffer and the bytes belong to IcoPng_Decode and were all allocated before setjmp.
//
// The IHDR chunk, as IcoPng_ReadInfo takes it (big-endian):
//   OFFSET SIZE FIELD             ACCEPTED
//   0      8    signature         89 50 4E 47 0D 0A 1A 0A
//   8      4    chunk length      13
//   12     4    chunk type        "IHDR"
//   16     4    width             1 .. 2^31 - 1
//   20     4    height            1 .. 2^31 - 1
//   24     1    sample depth      by colour type: 0 grey 1/2/4/8/16, 2 RGB 8/16, 3 palette
//   25     1    colour type       1/2/4/8, 4 grey + alpha 8/16, 6 RGBA 8/16
//   26     1    compression       0
//   27     1    filter method     0
//   28     1    interlace         0 none, 1 Adam7
//   29     4    CRC               checked by libpng when decoding
#include "core/ico_png.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/bmp_header.h"
#include "core/error.h"
#include "core/image.h"

namespace {

const size_t KIhdrEnd = 33; // signature, then the whole IHDR chunk with its CRC

// Ancillary chunks that decompress (iCCP, zTXt, iTXt) may not ask for more than this.
const png_alloc_size_t KChunkMemoryMax = png_alloc_size_t(8) << 20;

const uint8_t KSignature[ICO_PNG_SIGNATURE_SIZE] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct TPngHeader {
    uint32_t FWidth, FHeight;
    int FDepth, FColorType, FChannels;
    bool FInterlaced;
};

// The entry's bytes and how far libpng has read them.
struct TPngSource {
    const uint8_t* FData;
    size_t FSize;
    size_t FPos;
};

// Everything one decode needs; lives in IcoPng_Decode's frame.
struct TPngDecoder {
    png_structp FPng;
    png_infop FInfo;
    TPngSource FSource;
    TImage* FImage;   // reset to the picture's size before decoding starts
    uint8_t* FRows;   // RGBA rows: one row, or every row of an interlaced picture
    size_t FRowBytes; // FWidth x 4
    bool FInterlaced;
};

uint32_t GetU32BE(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Channels of a colour type at a sample depth, or 0 when the pair is not a PNG format.
int ChannelsOf(int colorType, int depth) {
    switch (colorType) {
    case 0:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16 ? 1 : 0;
    case 3:
        return depth == 1 || depth == 2 || depth == 4 || depth == 8 ? 1 : 0;
    case 2:
        return depth == 8 || depth == 16 ? 3 : 0;
    case 4:
        return depth == 8 || depth == 16 ? 2 : 0;
    case 6:
        return depth == 8 || depth == 16 ? 4 : 0;
    default:
        return 0;
    }
}

// Returns 0, or EC_UNKNOWN_FORMAT.
int ParseHeader(const uint8_t* data, size_t size, TPngHeader* out) {
    if (size < KIhdrEnd || !IcoPng_HasSignature(data, size)) return EC_UNKNOWN_FORMAT;
    if (GetU32BE(data + 8) != 13 || std::memcmp(data + 12, "IHDR", 4) != 0)
        return EC_UNKNOWN_FORMAT;
    out->FWidth = GetU32BE(data + 16);
    out->FHeight = GetU32BE(data + 20);
    out->FDepth = data[24];
    out->FColorType = data[25];
    out->FChannels = ChannelsOf(out->FColorType, out->FDepth);
    out->FInterlaced = data[28] == 1;
    const uint32_t maxSide = 0x7FFFFFFFu;
    if (out->FWidth < 1 || out->FWidth > maxSide || out->FHeight < 1 || out->FHeight > maxSide)
        return EC_UNKNOWN_FORMAT;
    if (!out->FChannels || data[26] != 0 || data[27] != 0 || data[28] > 1) return EC_UNKNOWN_FORMAT;
    return 0;
}

void ReadFromEntry(png_structp png, png_bytep out, size_t count) {
    TPngSource* source = static_cast<TPngSource*>(png_get_io_ptr(png));
    if (count > source->FSize - source->FPos) png_error(png, "read past the end of the entry");
    std::memcpy(out, source->FData + source->FPos, count);
    source->FPos += count;
}

// Whatever libpng found wrong, the entry does not decode; nothing is printed.
void ErrorExit(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// The user limits are a backstop: IcoPng_Decode has already refused any picture whose 24-bit
// memory would pass the pixel limit, which means a width above limit / 3 or a height above
// limit / 4.
void SetLimits(png_structp png) {
    uint64_t limit = TImage_GetPixelLimit();
    uint64_t width = limit / 3, height = limit / 4;
    png_set_user_limits(png, uint32_t(width < 0x7FFFFFFF ? width : 0x7FFFFFFF),
                        uint32_t(height < 0x7FFFFFFF ? height : 0x7FFFFFFF));
    png_set_chunk_malloc_max(png, KChunkMemoryMax);
}

// One RGBA row into picture row y: blue, green, red, and the mask bit from alpha.
void StoreRow(TImage* image, int32_t y, const uint8_t* rgba) {
    uint8_t* dst = TImage_GetRow(image, y);
    uint8_t* mask = TImage_GetRow(image->FMask, y);
    std::memset(mask, 0, size_t(image->FMask->FStride));
    for (int32_t x = 0; x < image->FWidth; ++x, rgba += 4, dst += 3) {
        dst[0] = rgba[2], dst[1] = rgba[1], dst[2] = rgba[0];
        if (rgba[3] >= 128) mask[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
}

// Every stored format becomes RGBA with 8-bit samples, so one row layout serves them all.
// An interlaced picture is read pass by pass into the whole buffer (libpng combines each pass
// into the rows it is given) and stored on the last pass, when every row is complete.
void DecodeRows(TPngDecoder* dec) {
    png_structp png = dec->FPng;
    png_infop info = dec->FInfo;
    png_set_read_fn(png, &dec->FSource, ReadFromEntry);
    SetLimits(png);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != uint32_t(dec->FImage->FWidth) ||
        png_get_image_height(png, info) != uint32_t(dec->FImage->FHeight))
        png_error(png, "IHDR changed"); // cannot happen: the same bytes were parsed before
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_rowbytes(png, info) != dec->FRowBytes) png_error(png, "unexpected row layout");
    const int32_t height = dec->FImage->FHeight;
    for (int pass = 0; pass < passes; ++pass)
        for (int32_t y = 0; y < height; ++y) {
            uint8_t* row = dec->FRows + (dec->FInterlaced ? dec->FRowBytes * size_t(y) : 0);
            png_read_row(png, row, nullptr);
            if (pass == passes - 1) StoreRow(dec->FImage, y, row);
        }
}

// The one place setjmp returns to. Returns 0, or -1 with the last error set.
int RunDecoder(TPngDecoder* dec) {
    dec->FPng = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, ErrorExit, IgnoreWarning);
    if (!dec->FPng) return SetLastErrorCode(EC_NO_MEMORY), -1;
    dec->FInfo = png_create_info_struct(dec->FPng);
    if (!dec->FInfo) {
        png_destroy_read_struct(&dec->FPng, nullptr, nullptr);
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    }
    if (setjmp(png_jmpbuf(dec->FPng))) {
        png_destroy_read_struct(&dec->FPng, &dec->FInfo, nullptr);
        return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    }
    DecodeRows(dec);
    png_destroy_read_struct(&dec->FPng, &dec->FInfo, nullptr);
    return 0;
}

} // namespace

bool IcoPng_HasSignature(const uint8_t* bytes, size_t size) {
    return size >= ICO_PNG_SIGNATURE_SIZE && std::memcmp(bytes, KSignature, sizeof KSignature) == 0;
}

int IcoPng_ReadInfo(const uint8_t* data, size_t size, TBitmapInfoHeader* out) {
    TPngHeader h;
    if (int code = ParseHeader(data, size, &h)) return SetLastErrorCode(code), -1;
    const int bits = h.FChannels * h.FDepth;
    const uint64_t bytes = TImage_StrideFor(h.FWidth, bits) * h.FHeight;
    *out = TBitmapInfoHeader{};
    out->biSize = BMP_INFO_HEADER_SIZE;
    out->biWidth = int32_t(h.FWidth);
    out->biHeight = int32_t(h.FHeight);
    out->biPlanes = 1;
    out->biBitCount = uint16_t(bits);
    out->biCompression = BI_RGB;
    out->biSizeImage = bytes < 0xFFFFFFFFu ? uint32_t(bytes) : 0xFFFFFFFFu;
    return 0;
}

int IcoPng_Decode(const uint8_t* data, size_t size, TImage* image) {
    if (!data || !image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TPngHeader h;
    if (int code = ParseHeader(data, size, &h)) return SetLastErrorCode(code), -1;
    // Both the picture and, for an interlaced one, its RGBA rows must fit the pixel limit.
    if (TImage_CheckSize(h.FWidth, h.FHeight, 24) != 0 ||
        (h.FInterlaced && TImage_CheckSize(h.FWidth, h.FHeight, 32) != 0))
        return -1;
    if (TImage_Reset(&image, int32_t(h.FWidth), int32_t(h.FHeight), 24,
                     TIF_HASMASK | TIF_BOTTOMUP) != 0)
        return -1;
    TPngDecoder dec = {};
    dec.FSource = {data, size, 0};
    dec.FImage = image;
    dec.FRowBytes = size_t(h.FWidth) * 4;
    dec.FInterlaced = h.FInterlaced;
    dec.FRows =
        static_cast<uint8_t*>(std::calloc(dec.FInterlaced ? size_t(h.FHeight) : 1, dec.FRowBytes));
    if (!dec.FRows) return SetLastErrorCode(EC_NO_MEMORY), -1;
    int result = RunDecoder(&dec);
    std::free(dec.FRows);
    if (result == 0) ClearLastErrorCode();
    return result;
}
