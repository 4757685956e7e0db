// BMP reading, writing and previews. The headers are drawn in bmp_header.cpp; the pixel-body
// conversions shared with the icon reader live in bmp_body.cpp.
//
// Accepted files: information headers of 40, 52, 56, 108 or 124 bytes (with compression 3 the
// larger ones carry the red, green and blue masks at header bytes 40, 44, 48; the 40-byte one
// has them in the 12 bytes after it); positive or negative heights; the palette right after
// headers and masks; the pixel data there, or at the file's data offset when that lies at or
// past that point and inside the file. Every size from the file is checked before use.
#include "core/bmp.h"

#include <cstdlib>
#include <cstring>

#include "core/bmp_body.h"
#include "core/bmp_header.h"
#include "core/error.h"
#include "core/image.h"
#include "platform/save_file.h"

static int Fail(std::FILE* file, int code) {
    if (file) std::fclose(file);
    SetLastErrorCode(code);
    return -1;
}

static bool KnownHeaderSize(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

static int32_t DefaultPaletteCount(int bits) {
    return bits == 1 ? 2 : bits == 2 ? 4 : bits == 4 ? 16 : bits == 8 ? 256 : 0;
}

static long FileSize(std::FILE* file) {
    long here = std::ftell(file);
    if (std::fseek(file, 0, SEEK_END) != 0) return -1;
    long size = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return size;
}

// Reads both headers (the information header whole, whatever its version) and checks them.
// Returns 0 or an error code.
static int ReadHeaders(std::FILE* file, TBitmapFileHeader* fh, TBitmapInfoHeader* ih,
                       uint8_t info[124]) {
    uint8_t bytes[BMP_FILE_HEADER_SIZE];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return EC_READ_FAILED;
    *fh = BmpFileHeader_Parse(bytes);
    if (fh->bfType != BMP_TYPE || fh->bfReserved1 != 0 || fh->bfReserved2 != 0)
        return EC_UNKNOWN_FORMAT;
    if (std::fread(info, 1, BMP_INFO_HEADER_SIZE, file) != BMP_INFO_HEADER_SIZE)
        return EC_READ_FAILED;
    *ih = BmpInfoHeader_Parse(info);
    if (!KnownHeaderSize(ih->biSize)) return EC_UNKNOWN_FORMAT;
    size_t rest = ih->biSize - BMP_INFO_HEADER_SIZE;
    if (rest && std::fread(info + BMP_INFO_HEADER_SIZE, 1, rest, file) != rest)
        return EC_READ_FAILED;
    if (ih->biWidth <= 0 || ih->biHeight == 0 || ih->biHeight == INT32_MIN)
        return EC_UNKNOWN_FORMAT;
    return 0;
}

// Bit-field masks of a compression-3 file: in the larger headers, or right after the 40-byte
// one. Returns 0 or an error code.
static int ReadMasks(std::FILE* file, const TBitmapInfoHeader& ih, const uint8_t info[124],
                     TBmpMasks* masks) {
    uint8_t bytes[12];
    const uint8_t* from = info + BMP_INFO_HEADER_SIZE;
    if (ih.biSize == BMP_INFO_HEADER_SIZE) {
        if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return EC_READ_FAILED;
        from = bytes;
    }
    masks->FRed = GetU32LE(from);
    masks->FGreen = GetU32LE(from + 4);
    masks->FBlue = GetU32LE(from + 8);
    return 0;
}

// Moves to the file's pixel-data offset when it lies at or past the current position (the end
// of headers, masks and palette) and inside the file; otherwise the data follows right here.
static void SeekToData(std::FILE* file, const TBitmapFileHeader& fh) {
    long here = std::ftell(file), size = FileSize(file);
    if (here >= 0 && fh.bfOffBits >= uint64_t(here) && fh.bfOffBits < uint64_t(size))
        std::fseek(file, long(fh.bfOffBits), SEEK_SET);
}

static void ReverseRows(TImage* image) {
    size_t stride = size_t(image->FStride);
    uint8_t* row = static_cast<uint8_t*>(std::malloc(stride ? stride : 1));
    if (!row) return;
    for (int32_t a = 0, b = image->FHeight - 1; a < b; ++a, --b) {
        uint8_t* pa = image->FBits + stride * size_t(a);
        uint8_t* pb = image->FBits + stride * size_t(b);
        std::memcpy(row, pa, stride);
        std::memcpy(pa, pb, stride);
        std::memcpy(pb, row, stride);
    }
    std::free(row);
}

// The pixel body, by depth, into the reset image (memory rows in file order).
static int ReadBody(std::FILE* file, TImage* image, const TBitmapInfoHeader& ih,
                    const TBmpMasks* masks) {
    const int bits = ih.biBitCount;
    const int32_t height = image->FHeight;
    const uint64_t fileStride = TImage_StrideFor(image->FWidth, bits);
    const uint64_t dataSize = ih.biSizeImage ? ih.biSizeImage : fileStride * uint64_t(height);
    const size_t room = size_t(image->FSize);
    const size_t fits = dataSize < room ? size_t(dataSize) : room;
    switch (bits) {
    case 1:
    case 4:
    case 8:
        if (ih.biCompression != BI_RGB) return EC_BMP_COMPRESSION;
        BMP_ExpandPalette(image, bits, std::fread(image->FBits, 1, fits, file));
        return 0;
    case 24:
        if (ih.biCompression != BI_RGB) return EC_BMP_COMPRESSION;
        std::fread(image->FBits, 1, fits, file); // a short file leaves the rest black
        return 0;
    case 16:
    case 32: {
        uint32_t rowLength =
            ih.biSizeImage ? ih.biSizeImage / uint32_t(height) : uint32_t(fileStride);
        if (BMP_ConvertRows(image, file, bits, rowLength, masks, nullptr, nullptr) != 0)
            return GetLastErrorCode();
        return 0;
    }
    default:
        return EC_BMP_COMPRESSION;
    }
}

int BMP_LoadStream(TImage* image, std::FILE* file) {
    if (!image || !file) return Fail(nullptr, EC_NULL_OBJECT);
    TBitmapFileHeader fh;
    TBitmapInfoHeader ih;
    uint8_t info[124];
    if (int code = ReadHeaders(file, &fh, &ih, info)) return Fail(nullptr, code);
    const bool topDown = ih.biHeight < 0;
    const int32_t height = topDown ? -ih.biHeight : ih.biHeight;
    if (TImage_Reset(&image, ih.biWidth, height, 24, TIF_HASMASK | TIF_BOTTOMUP) != 0)
        return Fail(nullptr, GetLastErrorCode());

    const int bits = ih.biBitCount;
    TBmpMasks masks = KBmpDefault16Masks;
    const bool bitFields = ih.biCompression == BI_BITFIELDS && (bits == 16 || bits == 32);
    if (bitFields)
        if (int code = ReadMasks(file, ih, info, &masks)) return Fail(nullptr, code);

    uint32_t count = ih.biClrUsed ? ih.biClrUsed : uint32_t(DefaultPaletteCount(bits));
    if (count > 256) return Fail(nullptr, EC_UNKNOWN_FORMAT);
    image->FPaletteCount = int32_t(count);
    if (count && std::fread(image->FPalette, 4, count, file) != count)
        return Fail(nullptr, EC_READ_FAILED);

    SeekToData(file, fh);

    const TBmpMasks* use = bits == 16 || bitFields ? &masks : nullptr;
    if (int code = ReadBody(file, image, ih, use)) return Fail(nullptr, code);
    if (topDown) ReverseRows(image);
    TImage_FillMask(image, 1);
    ClearLastErrorCode();
    return 0;
}

int BMP_Load(TImage* image, const char* name) {
    if (!image || !name) return Fail(nullptr, EC_NULL_OBJECT);
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return Fail(nullptr, EC_READ_FAILED);
    int result = BMP_LoadStream(image, file);
    std::fclose(file);
    return result;
}

// Writes the headers, palette, 5-6-5 masks when needed, and the rows bottom-up.
static int WriteBmp(TSaveFile* out, const TImage* image) {
    const int bits = image->FBitsPerPixel == 15 ? 16 : image->FBitsPerPixel;
    const bool masks565 = image->FBitsPerPixel == 16;
    const uint32_t paletteBytes = uint32_t(TImage_PaletteBytes(image));
    const uint32_t offset =
        BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + paletteBytes + (masks565 ? 12 : 0);
    TBitmapFileHeader fh = {BMP_TYPE, offset + uint32_t(image->FSize), 0, 0, offset};
    TBitmapInfoHeader ih = {};
    ih.biSize = BMP_INFO_HEADER_SIZE;
    ih.biWidth = image->FWidth;
    ih.biHeight = image->FHeight;
    ih.biPlanes = 1;
    ih.biBitCount = uint16_t(bits);
    ih.biCompression = masks565 ? BI_BITFIELDS : BI_RGB;
    ih.biSizeImage = uint32_t(image->FSize);
    // A palette shorter than the depth's default must say so, or readers take the default.
    if (image->FPaletteCount != DefaultPaletteCount(bits)) ih.biClrUsed = paletteBytes / 4;
    uint8_t head[BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE + 12];
    BmpFileHeader_Write(fh, head);
    BmpInfoHeader_Write(ih, head + BMP_FILE_HEADER_SIZE);
    size_t headBytes = BMP_FILE_HEADER_SIZE + BMP_INFO_HEADER_SIZE;
    if (TSaveFile_Write(out, head, headBytes) != 0) return -1;
    if (paletteBytes && TSaveFile_Write(out, image->FPalette, paletteBytes) != 0) return -1;
    if (masks565) {
        PutU32LE(head, image->FRedMask);
        PutU32LE(head + 4, image->FGreenMask);
        PutU32LE(head + 8, image->FBlueMask);
        if (TSaveFile_Write(out, head, 12) != 0) return -1;
    }
    if (image->FFlags & TIF_BOTTOMUP)
        return TSaveFile_Write(out, image->FBits, size_t(image->FSize));
    for (int32_t y = image->FHeight - 1; y >= 0; --y)
        if (TSaveFile_Write(out, TImage_GetRow(image, y), size_t(image->FStride)) != 0) return -1;
    return 0;
}

int BMP_Save(TImage* image, const char* name) {
    if (!image || !name || !image->FBits) return Fail(nullptr, EC_NULL_OBJECT);
    TSaveFile out;
    if (TSaveFile_Open(&out, name) != 0) return Fail(nullptr, EC_FILE_NOT_FOUND);
    if (WriteBmp(&out, image) != 0 || TSaveFile_Commit(&out) != 0) {
        TSaveFile_Abort(&out);
        return Fail(nullptr, EC_WRITE_FAILED);
    }
    ClearLastErrorCode();
    return 0;
}

// The same bytes as BMP_Save, into a stream the caller owns. TSaveFile_Write needs only the
// stream and the short-write flag, so WriteBmp serves both without a second writer.
int BMP_SaveStream(const TImage* image, std::FILE* file) {
    if (!image || !file || !image->FBits) return Fail(nullptr, EC_NULL_OBJECT);
    TSaveFile out = {file, std::string(), std::string(), 0};
    if (WriteBmp(&out, image) != 0) return Fail(nullptr, EC_WRITE_FAILED);
    ClearLastErrorCode();
    return 0;
}

// Copies every step-th pixel of one file row into a preview row, never past either row.
static void PreviewRow(const uint8_t* src, size_t srcBytes, uint8_t* dst, size_t dstBytes,
                       int32_t fileWidth, int32_t width, int32_t step, int bpp) {
    int64_t sx = 0;
    for (int32_t x = 0; x < width && sx < fileWidth; ++x, sx += step) {
        size_t from = size_t(sx) * size_t(bpp), to = size_t(x) * size_t(bpp);
        if (from + size_t(bpp) > srcBytes || to + size_t(bpp) > dstBytes) break;
        std::memcpy(dst + to, src + from, size_t(bpp));
    }
}

int BMP_LoadPreview(TImage* image, const char* name, const TRectXYWH* box) {
    if (!image || !name || !box) return Fail(nullptr, EC_NULL_OBJECT);
    if (box->width < 1 || box->height < 1) return Fail(nullptr, EC_EMPTY_AREA);
    std::FILE* file = std::fopen(name, "r");
    if (!file) return Fail(nullptr, EC_FILE_NOT_FOUND);
    TBitmapFileHeader fh;
    TBitmapInfoHeader ih;
    uint8_t info[124];
    if (int code = ReadHeaders(file, &fh, &ih, info)) return Fail(file, code);
    const int bits = ih.biBitCount;
    if (bits != 16 && bits != 24 && bits != 32) return Fail(file, EC_BMP_COMPRESSION);
    if (ih.biClrUsed) return Fail(file, EC_UNKNOWN_FORMAT); // paletted: no preview
    if (ih.biCompression == BI_BITFIELDS && ih.biSize == BMP_INFO_HEADER_SIZE)
        std::fseek(file, 12, SEEK_CUR); // the masks
    SeekToData(file, fh);
    const bool topDown = ih.biHeight < 0;
    const int32_t fileWidth = ih.biWidth, fileHeight = topDown ? -ih.biHeight : ih.biHeight;
    const int32_t width = fileWidth < box->width ? fileWidth : box->width;
    const int32_t height = fileHeight < box->height ? fileHeight : box->height;
    const uint64_t planes = ih.biPlanes ? ih.biPlanes : 1;
    const uint64_t fileRow = TImage_StrideFor(int64_t(planes) * fileWidth, bits);
    if (TImage_CheckSize(int64_t(planes) * fileWidth, 1, bits) != 0 ||
        TImage_Reset(&image, width, height, bits, 0) != 0)
        return Fail(file, EC_NO_MEMORY);
    uint8_t* row = static_cast<uint8_t*>(std::malloc(size_t(fileRow)));
    if (!row) return Fail(file, EC_NO_MEMORY);
    const int32_t xStep = fileWidth / box->width > 1 ? fileWidth / box->width : 1;
    const int32_t yStep = fileHeight / box->height > 1 ? fileHeight / box->height : 1;
    int64_t consumed = 0;
    for (int32_t filled = 0; filled < height && consumed < fileHeight; ++filled) {
        if (std::fread(row, 1, size_t(fileRow), file) != size_t(fileRow)) break;
        // Bottom-up files give the bottom row first; top-down ones the top row.
        int32_t y = topDown ? filled : height - 1 - filled;
        PreviewRow(row, size_t(fileRow), image->FBits + size_t(image->FStride) * size_t(y),
                   size_t(image->FStride), fileWidth, width, xStep, image->FBytesPerPixel);
        consumed += yStep;
        if (yStep > 1 && std::fseek(file, long(fileRow * uint64_t(yStep - 1)), SEEK_CUR) != 0)
            break;
    }
    std::free(row);
    std::fclose(file);
    ClearLastErrorCode();
    return 0;
}
