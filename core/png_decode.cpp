// PNG decoding through libpng. Our read function serves the bytes in memory first, then the
// stream, and refuses to go past them, so an entry whose byte count ends inside a chunk is
// undecodable rather than letting the reader wander into the next entry. libpng's error exit
// longjmps back to RunDecoder, which owns nothing with a destructor: the image belongs to the
// caller, the work rows hang on the decoder record and are freed by Png_Decode.
//
// Pictures without alpha are decoded as blue, green, red straight into the image's rows (for
// the whole picture; a reduced copy goes through one work row); pictures with alpha, or with a
// tRNS chunk, as RGBA rows whose alpha makes the mask. An interlaced picture is read pass by
// pass into whole rows (libpng combines each pass into the rows it is given) and stored on the
// last pass, when every row is complete.
//
// The IHDR chunk, as Png_ParseHeader takes it (big-endian):
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
#include "core/png_decode.h"

#include <png.h>

#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "core/error.h"
#include "core/image.h"
#include "core/rect.h"

namespace {

// Ancillary chunks that decompress (iCCP, zTXt, iTXt) may not ask for more than this.
const png_alloc_size_t KChunkMemoryMax = png_alloc_size_t(8) << 20;

const uint8_t KSignature[PNG_SIGNATURE_SIZE] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// The input and how far libpng has read it.
struct TPngSource {
    TPngInput FInput;
    size_t FPos; // in FInput.FData
    bool FShort; // the input ended before what libpng asked for
};

// Everything one decode needs; lives in Png_Decode's frame.
struct TPngDecoder {
    png_structp FPng;
    png_infop FInfo;
    TPngSource FSource;
    TImage* FImage; // the target, reset to the output size before decoding starts
    TPngHeader FHeader;
    int64_t FStepX, FStepY; // 1 for the whole picture
    bool FAlpha;            // RGBA rows, mask from alpha; else blue, green, red
    bool FDirect;           // rows decode straight into the image
    size_t FRowBytes;       // of one decoded row
    uint8_t* FRows;         // work rows: one, or every row of an interlaced picture; or null
    bool FInRows;           // the first row was asked for
    bool FNoMemory;         // the work rows could not be had
    int32_t FRowsDone;      // picture rows complete
};

uint32_t GetU32BE(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

// Channels of a colour type at a sample depth, or 0 when the pair is not a PNG format.
int ChannelsOf(int colorType, int depth) {
    const bool lowDepth = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    switch (colorType) {
    case 0:
        return lowDepth || depth == 16 ? 1 : 0;
    case 3:
        return lowDepth ? 1 : 0;
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

void ReadFromInput(png_structp png, png_bytep out, size_t count) {
    TPngSource* source = static_cast<TPngSource*>(png_get_io_ptr(png));
    const size_t inMemory = source->FInput.FSize - source->FPos;
    const size_t fromMemory = count < inMemory ? count : inMemory;
    std::memcpy(out, source->FInput.FData + source->FPos, fromMemory);
    source->FPos += fromMemory;
    const size_t rest = count - fromMemory;
    if (rest && (!source->FInput.FFile ||
                 std::fread(out + fromMemory, 1, rest, source->FInput.FFile) != rest)) {
        source->FShort = true;
        png_error(png, "cut short");
    }
}

// Whatever libpng found wrong ends the decode; nothing is printed.
void ErrorExit(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void IgnoreWarning(png_structp, png_const_charp) {}

// The user limits are a backstop: Png_Decode has already refused any picture whose 24-bit
// memory would pass the pixel limit, which means a width above limit / 3 or a height above
// limit / 4.
void SetLimits(png_structp png) {
    uint64_t limit = TImage_GetPixelLimit();
    uint64_t width = limit / 3, height = limit / 4;
    png_set_user_limits(png, uint32_t(width < 0x7FFFFFFF ? width : 0x7FFFFFFF),
                        uint32_t(height < 0x7FFFFFFF ? height : 0x7FFFFFFF));
    png_set_chunk_malloc_max(png, KChunkMemoryMax);
}

void SetVisible(TImage* image, int32_t y) {
    std::memset(TImage_GetRow(image->FMask, y), 0xFF, size_t(image->FMask->FStride));
}

// Decoded row y into the image when a reduced copy takes it: blue, green, red from either row
// layout, and with alpha the mask bits.
void StoreRow(TPngDecoder* dec, int32_t y, const uint8_t* row) {
    TImage* image = dec->FImage;
    if (dec->FDirect || y % dec->FStepY != 0 || y / dec->FStepY >= image->FHeight) return;
    const int32_t outY = int32_t(y / dec->FStepY);
    uint8_t* dst = TImage_GetRow(image, outY);
    const size_t step = size_t(dec->FStepX) * (dec->FAlpha ? 4 : 3);
    if (!dec->FAlpha) {
        for (int32_t x = 0; x < image->FWidth; ++x, row += step, dst += 3)
            std::memcpy(dst, row, 3);
        return;
    }
    uint8_t* mask = TImage_GetRow(image->FMask, outY);
    std::memset(mask, 0, size_t(image->FMask->FStride));
    for (int32_t x = 0; x < image->FWidth; ++x, row += step, dst += 3) {
        dst[0] = row[2], dst[1] = row[1], dst[2] = row[0];
        if (row[3] >= 128) mask[x >> 3] |= uint8_t(0x80 >> (x & 7));
    }
}

uint8_t* RowFor(TPngDecoder* dec, int32_t y) {
    if (dec->FDirect) return TImage_GetRow(dec->FImage, y);
    return dec->FRows + (dec->FHeader.FInterlaced ? dec->FRowBytes * size_t(y) : 0);
}

// The work rows start black and visible, so whatever an input cut short never reached stays so.
int AllocateRows(TPngDecoder* dec) {
    if (dec->FDirect) return 0;
    const size_t rows = dec->FHeader.FInterlaced ? dec->FHeader.FHeight : 1;
    dec->FRows = static_cast<uint8_t*>(std::calloc(rows, dec->FRowBytes));
    if (!dec->FRows) return -1;
    if (dec->FAlpha)
        for (size_t i = 3; i < rows * dec->FRowBytes; i += 4)
            dec->FRows[i] = 0xFF;
    return 0;
}

void DecodeRows(TPngDecoder* dec) {
    png_structp png = dec->FPng;
    png_infop info = dec->FInfo;
    png_set_read_fn(png, &dec->FSource, ReadFromInput);
    SetLimits(png);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != dec->FHeader.FWidth ||
        png_get_image_height(png, info) != dec->FHeader.FHeight)
        png_error(png, "IHDR changed"); // cannot happen: the same bytes were parsed before
    dec->FAlpha = (dec->FHeader.FColorType & 4) || png_get_valid(png, info, PNG_INFO_tRNS);
    dec->FDirect = !dec->FAlpha && dec->FStepX == 1 && dec->FStepY == 1;
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    if (dec->FAlpha)
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    else
        png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    dec->FRowBytes = size_t(dec->FHeader.FWidth) * (dec->FAlpha ? 4 : 3);
    if (png_get_rowbytes(png, info) != dec->FRowBytes) png_error(png, "unexpected row layout");
    if (AllocateRows(dec) != 0) {
        dec->FNoMemory = true;
        png_error(png, "out of memory");
    }
    // A reduced copy of a progressive picture needs no row past the last one it takes.
    const int32_t height = int32_t(dec->FHeader.FHeight);
    const int64_t lastNeeded = (int64_t(dec->FImage->FHeight) - 1) * dec->FStepY + 1;
    const int32_t rows = passes == 1 && lastNeeded < height ? int32_t(lastNeeded) : height;
    dec->FInRows = true;
    for (int pass = 0; pass < passes; ++pass)
        for (int32_t y = 0; y < rows; ++y) {
            uint8_t* row = RowFor(dec, y);
            png_read_row(png, row, nullptr);
            if (pass == passes - 1) {
                StoreRow(dec, y, row);
                dec->FRowsDone = y + 1;
            }
        }
}

// A stream that ended inside the rows: what arrived stays, the rest is black and visible.
void FinishCutShort(TPngDecoder* dec) {
    TImage* image = dec->FImage;
    if (dec->FHeader.FInterlaced && !dec->FDirect) {
        for (int32_t y = dec->FRowsDone; y < int32_t(dec->FHeader.FHeight); ++y)
            StoreRow(dec, y, RowFor(dec, y));
    } else if (dec->FAlpha) {
        for (int32_t y = 0; y < image->FHeight; ++y)
            if (y * dec->FStepY >= dec->FRowsDone) SetVisible(image, y);
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
        const bool stream = dec->FSource.FInput.FFile != nullptr;
        if (stream && dec->FSource.FShort && dec->FInRows) {
            FinishCutShort(dec);
            return 0;
        }
        const int code = dec->FNoMemory                  ? EC_NO_MEMORY
                         : stream && dec->FSource.FShort ? EC_READ_FAILED
                                                         : EC_UNKNOWN_FORMAT;
        return SetLastErrorCode(code), -1;
    }
    DecodeRows(dec);
    png_destroy_read_struct(&dec->FPng, &dec->FInfo, nullptr);
    return 0;
}

int64_t StepFor(uint32_t side, int32_t boxSide) {
    return side / uint32_t(boxSide) > 1 ? side / uint32_t(boxSide) : 1;
}

// The output side: every step-th pixel of side, at most boxSide of them.
int32_t ReducedSide(uint32_t side, int64_t step, int32_t boxSide) {
    const int64_t taken = (int64_t(side) + step - 1) / step;
    return int32_t(taken < boxSide ? taken : boxSide);
}

} // namespace

bool Png_HasSignature(const uint8_t* bytes, size_t size) {
    return size >= PNG_SIGNATURE_SIZE && std::memcmp(bytes, KSignature, sizeof KSignature) == 0;
}

int Png_ParseHeader(const uint8_t* data, size_t size, TPngHeader* out) {
    if (size < PNG_HEADER_SIZE || !Png_HasSignature(data, size)) return EC_UNKNOWN_FORMAT;
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

int Png_Decode(const TPngInput* input, const TRectXYWH* box, TImage* image) {
    if (!input || !input->FData || !image) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (box && (box->width <= 0 || box->height <= 0)) return SetLastErrorCode(EC_EMPTY_AREA), -1;
    TPngDecoder dec = {};
    if (int code = Png_ParseHeader(input->FData, input->FSize, &dec.FHeader))
        return SetLastErrorCode(code), -1;
    const TPngHeader& h = dec.FHeader;
    // Both the picture and, for an interlaced one, its RGBA rows must fit the pixel limit.
    if (TImage_CheckSize(h.FWidth, h.FHeight, 24) != 0 ||
        (h.FInterlaced && TImage_CheckSize(h.FWidth, h.FHeight, 32) != 0))
        return -1;
    dec.FStepX = box ? StepFor(h.FWidth, box->width) : 1;
    dec.FStepY = box ? StepFor(h.FHeight, box->height) : 1;
    const int32_t width = box ? ReducedSide(h.FWidth, dec.FStepX, box->width) : int32_t(h.FWidth);
    const int32_t height =
        box ? ReducedSide(h.FHeight, dec.FStepY, box->height) : int32_t(h.FHeight);
    if (TImage_Reset(&image, width, height, 24, TIF_HASMASK | TIF_BOTTOMUP) != 0) return -1;
    dec.FSource = {*input, 0, false};
    dec.FImage = image;
    int result = RunDecoder(&dec);
    std::free(dec.FRows);
    if (result != 0) return result;
    if (!dec.FAlpha) TImage_FillMask(image, 1);
    ClearLastErrorCode();
    return 0;
}
