// BMP reading, writing and previews. The headers are drawn in bmp_header.cpp; the pixel-body
// conversions shared with the icon reader live in bmp_body.cpp.
//
// Accepted files: information headers of 40, 52, 56, 108 or 124 bytes (with compression 3 the
// larger ones carry the red, green and blue masks at header bytes 40, 44, 48; the 40-byte one
// has them in the 12 bytes after it); positive or negative heights; the palette right after
// headers and masks (of a colours-used count over 256 the first 256 entries are kept); the pixel
// data there, or at the file's data offset when that lies at or past that point and inside the
// file. Every size from the file is checked before use. The preview reads through the same
// steps as loading, so a thumbnail shows the pixels the file opens with.
#include "core/bmp.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/bmp_body.h"
#include "core/bmp_header.h"
#include "core/error.h"
#include "core/image.h"
#include "platform/save_file.h"

namespace {
// What a file's headers say, checked, and the masks its pixels go through.
struct TBmpFile {
    TBitmapFileHeader FFileHeader;
    TBitmapInfoHeader FInfo;
    uint8_t FInfoBytes[124]; // the information header whole, whatever its version
    int32_t FWidth, FHeight; // both positive
    bool FTopDown;           // the first stored row is the top one
    int FBits;
    bool FBitFields;        // compression 3 of a 16- or 32-bit file: FMasks come from the file
    TBmpMasks FMasks;       // the 5-5-5 default until the file gives its own
    uint32_t FPaletteCount; // the colours-used field, or the depth's default; may exceed 256
};
} // namespace

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

// Reads both headers and checks them. Returns 0 or an error code.
static int ReadHeaders(std::FILE* file, TBmpFile* bmp) {
    uint8_t bytes[BMP_FILE_HEADER_SIZE];
    if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return EC_READ_FAILED;
    const TBitmapFileHeader fh = BmpFileHeader_Parse(bytes);
    if (fh.bfType != BMP_TYPE || fh.bfReserved1 != 0 || fh.bfReserved2 != 0)
        return EC_UNKNOWN_FORMAT;
    uint8_t* info = bmp->FInfoBytes;
    if (std::fread(info, 1, BMP_INFO_HEADER_SIZE, file) != BMP_INFO_HEADER_SIZE)
        return EC_READ_FAILED;
    const TBitmapInfoHeader ih = BmpInfoHeader_Parse(info);
    if (!KnownHeaderSize(ih.biSize)) return EC_UNKNOWN_FORMAT;
    size_t rest = ih.biSize - BMP_INFO_HEADER_SIZE;
    if (rest && std::fread(info + BMP_INFO_HEADER_SIZE, 1, rest, file) != rest)
        return EC_READ_FAILED;
    if (ih.biWidth <= 0 || ih.biHeight == 0 || ih.biHeight == INT32_MIN) return EC_UNKNOWN_FORMAT;
    bmp->FFileHeader = fh;
    bmp->FInfo = ih;
    bmp->FWidth = ih.biWidth;
    bmp->FTopDown = ih.biHeight < 0;
    bmp->FHeight = bmp->FTopDown ? -ih.biHeight : ih.biHeight;
    bmp->FBits = ih.biBitCount;
    bmp->FBitFields = ih.biCompression == BI_BITFIELDS && (bmp->FBits == 16 || bmp->FBits == 32);
    bmp->FMasks = KBmpDefault16Masks;
    bmp->FPaletteCount = ih.biClrUsed ? ih.biClrUsed : uint32_t(DefaultPaletteCount(bmp->FBits));
    return 0;
}

// Bit-field masks of a compression-3 file: in the larger headers, or right after the 40-byte
// one. Returns 0 or an error code.
static int ReadMasks(std::FILE* file, TBmpFile* bmp) {
    uint8_t bytes[12];
    const uint8_t* from = bmp->FInfoBytes + BMP_INFO_HEADER_SIZE;
    if (bmp->FInfo.biSize == BMP_INFO_HEADER_SIZE) {
        if (std::fread(bytes, 1, sizeof bytes, file) != sizeof bytes) return EC_READ_FAILED;
        from = bytes;
    }
    bmp->FMasks.FRed = GetU32LE(from);
    bmp->FMasks.FGreen = GetU32LE(from + 4);
    bmp->FMasks.FBlue = GetU32LE(from + 8);
    return 0;
}

// Reads past count bytes; EC_READ_FAILED when the file ends first. Reading rather than seeking
// finds the end of any stream, and never takes longer than the file is.
static int SkipBytes(std::FILE* file, uint64_t count) {
    uint8_t scrap[1024];
    while (count) {
        size_t n = count < sizeof scrap ? size_t(count) : sizeof scrap;
        if (std::fread(scrap, 1, n, file) != n) return EC_READ_FAILED;
        count -= n;
    }
    return 0;
}

// Moves to the file's pixel-data offset when it lies at or past the current position (the end
// of headers, masks and palette) and inside the file; otherwise the data follows right here.
static void SeekToData(std::FILE* file, const TBitmapFileHeader& fh) {
    long here = std::ftell(file), size = FileSize(file);
    if (here >= 0 && fh.bfOffBits >= uint64_t(here) && fh.bfOffBits < uint64_t(size))
        std::fseek(file, long(fh.bfOffBits), SEEK_SET);
}

// The masks, then the palette: its first 256 entries into palette (which holds 256), the rest
// skipped; then the move to the pixel data. Returns 0 or an error code.
static int ReadTables(std::FILE* file, TBmpFile* bmp, TPaletteEntry* palette) {
    if (bmp->FBitFields)
        if (int code = ReadMasks(file, bmp)) return code;
    const uint32_t count = bmp->FPaletteCount, kept = count < 256 ? count : 256;
    if (kept && std::fread(palette, 4, kept, file) != kept) return EC_READ_FAILED;
    if (int code = SkipBytes(file, uint64_t(count - kept) * 4)) return code;
    SeekToData(file, bmp->FFileHeader);
    return 0;
}

// The masks 16- and 32-bit pixels go through; null for the plain byte copy of 32 bits.
static const TBmpMasks* PixelMasks(const TBmpFile& bmp) {
    return bmp.FBits == 16 || bmp.FBitFields ? &bmp.FMasks : nullptr;
}

// Bytes of the file's rows at its own depth.
static uint64_t FileStride(const TBmpFile& bmp) {
    return TImage_StrideFor(bmp.FWidth, bmp.FBits);
}

// Bytes of pixel data the image-size field gives, or every row's when it is 0.
static uint64_t DataSize(const TBmpFile& bmp) {
    return bmp.FInfo.biSizeImage ? bmp.FInfo.biSizeImage : FileStride(bmp) * uint64_t(bmp.FHeight);
}

// Bytes one stored row of a 16- or 32-bit file takes.
static uint32_t RowLength(const TBmpFile& bmp) {
    return bmp.FInfo.biSizeImage ? bmp.FInfo.biSizeImage / uint32_t(bmp.FHeight)
                                 : uint32_t(FileStride(bmp));
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
static int ReadBody(std::FILE* file, TImage* image, const TBmpFile& bmp) {
    const uint64_t dataSize = DataSize(bmp);
    const size_t room = size_t(image->FSize);
    const size_t fits = dataSize < room ? size_t(dataSize) : room;
    switch (bmp.FBits) {
    case 1:
    case 4:
    case 8: {
        if (bmp.FInfo.biCompression != BI_RGB) return EC_BMP_COMPRESSION;
        const size_t got = std::fread(image->FBits, 1, fits, file);
        // Indices past a short image-size field are the zeros the fresh memory holds, so they
        // take palette entry 0; only data the file lacks is black.
        const size_t packed = size_t(FileStride(bmp) * uint64_t(bmp.FHeight));
        BMP_ExpandPalette(image, bmp.FBits, got < fits || got >= packed ? got : packed);
        return 0;
    }
    case 24:
        if (bmp.FInfo.biCompression != BI_RGB) return EC_BMP_COMPRESSION;
        std::fread(image->FBits, 1, fits, file); // a short file leaves the rest black
        return 0;
    case 16:
    case 32:
        if (BMP_ConvertRows(image, file, bmp.FBits, RowLength(bmp), PixelMasks(bmp), nullptr,
                            nullptr) != 0)
            return GetLastErrorCode();
        return 0;
    default:
        return EC_BMP_COMPRESSION;
    }
}

int BMP_LoadStream(TImage* image, std::FILE* file) {
    if (!image || !file) return Fail(nullptr, EC_NULL_OBJECT);
    TBmpFile bmp;
    if (int code = ReadHeaders(file, &bmp)) return Fail(nullptr, code);
    if (TImage_Reset(&image, bmp.FWidth, bmp.FHeight, 24, TIF_HASMASK | TIF_BOTTOMUP) != 0)
        return Fail(nullptr, GetLastErrorCode());
    image->FPaletteCount = int32_t(bmp.FPaletteCount < 256 ? bmp.FPaletteCount : 256);
    if (int code = ReadTables(file, &bmp, image->FPalette)) return Fail(nullptr, code);
    if (int code = ReadBody(file, image, bmp)) return Fail(nullptr, code);
    if (bmp.FTopDown) ReverseRows(image);
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

// Reads stored row index (counted in file order) of a 16-, 24- or 32-bit file into the 24-bit
// one-row image as loading would convert it; the stream stands at that row's start. Returns 1
// while later rows may still hold data, 0 when loading would leave them black, -1 when the row
// buffer can't be had.
static int ReadPreviewRow(std::FILE* file, const TBmpFile& bmp, int64_t index, TImage* row) {
    if (bmp.FBits != 24) {
        if (BMP_ConvertRows(row, file, bmp.FBits, RowLength(bmp), PixelMasks(bmp), nullptr,
                            nullptr) != 0)
            return -1;
        return std::feof(file) || std::ferror(file) ? 0 : 1;
    }
    // Loading reads the data whole, as far as the image-size field and the picture go.
    const uint64_t stride = FileStride(bmp), start = stride * uint64_t(index);
    const uint64_t dataSize = DataSize(bmp), total = stride * uint64_t(bmp.FHeight);
    const uint64_t fits = dataSize < total ? dataSize : total;
    const uint64_t want = start >= fits ? 0 : fits - start < stride ? fits - start : stride;
    // The row image may be narrower than the file's rows (see below): the rest is skipped.
    const uint64_t room = uint64_t(row->FWidth) * 3, take = want < room ? want : room;
    std::memset(row->FBits, 0, size_t(room));
    if (std::fread(row->FBits, 1, size_t(take), file) != take) return 0;
    if (want > take && std::fseek(file, long(want - take), SEEK_CUR) != 0) return 0;
    return want == stride ? 1 : 0;
}

int BMP_LoadPreviewStream(TImage* image, std::FILE* file, const TRectXYWH* box) {
    if (!image || !file || !box) return Fail(nullptr, EC_NULL_OBJECT);
    if (box->width < 1 || box->height < 1) return Fail(nullptr, EC_EMPTY_AREA);
    TBmpFile bmp;
    if (int code = ReadHeaders(file, &bmp)) return Fail(nullptr, code);
    const int bits = bmp.FBits;
    if (bits != 16 && bits != 24 && bits != 32) return Fail(nullptr, EC_BMP_COMPRESSION);
    if (bits == 24 && bmp.FInfo.biCompression != BI_RGB) return Fail(nullptr, EC_BMP_COMPRESSION);
    if (bmp.FPaletteCount) return Fail(nullptr, EC_UNKNOWN_FORMAT); // paletted: no preview
    const int32_t fileWidth = bmp.FWidth, fileHeight = bmp.FHeight;
    const int32_t width = fileWidth < box->width ? fileWidth : box->width;
    const int32_t height = fileHeight < box->height ? fileHeight : box->height;
    if (TImage_Reset(&image, width, height, 24, 0) != 0) return Fail(nullptr, EC_NO_MEMORY);
    if (int code = ReadTables(file, &bmp, nullptr)) return Fail(nullptr, code);
    // One stored row at a time, and of it no more pixels than the file holds bytes: a pixel
    // further along any row lies past the file's end and is black, so a header's claim of a
    // huge width costs no more memory than the file's size.
    const long fileBytes = FileSize(file);
    const int64_t reachable = fileBytes < 0 ? 1 : int64_t(fileBytes) / (bits / 8) + 1;
    const int32_t rowWidth = reachable < fileWidth ? int32_t(reachable) : fileWidth;
    TImage* row = TImage_Create(rowWidth, 1, 24, 0);
    if (!row) return Fail(nullptr, EC_NO_MEMORY);
    const uint64_t rowBytes = bits == 24 ? FileStride(bmp) : RowLength(bmp);
    const int32_t xStep = fileWidth / box->width > 1 ? fileWidth / box->width : 1;
    const int32_t yStep = fileHeight / box->height > 1 ? fileHeight / box->height : 1;
    const uint64_t skip = rowBytes * uint64_t(yStep - 1);
    int64_t consumed = 0;
    for (int32_t filled = 0; filled < height && consumed < fileHeight; ++filled) {
        const int more = ReadPreviewRow(file, bmp, consumed, row);
        if (more < 0) {
            TImage_Destroy(row);
            return Fail(nullptr, EC_NO_MEMORY);
        }
        // Bottom-up files give the bottom row first; top-down ones the top row.
        uint8_t* dst = TImage_GetRow(image, bmp.FTopDown ? filled : height - 1 - filled);
        int64_t sx = 0;
        for (int32_t x = 0; x < width && sx < rowWidth; ++x, sx += xStep)
            std::memcpy(dst + size_t(x) * 3, row->FBits + size_t(sx) * 3, 3);
        consumed += yStep;
        if (!more) break; // the rows left stay as black as loading leaves them
        if (skip && (skip > uint64_t(LONG_MAX) || std::fseek(file, long(skip), SEEK_CUR) != 0))
            break;
    }
    TImage_Destroy(row);
    ClearLastErrorCode();
    return 0;
}

int BMP_LoadPreview(TImage* image, const char* name, const TRectXYWH* box) {
    if (!image || !name || !box) return Fail(nullptr, EC_NULL_OBJECT);
    if (box->width < 1 || box->height < 1) return Fail(nullptr, EC_EMPTY_AREA);
    std::FILE* file = std::fopen(name, "r");
    if (!file) return Fail(nullptr, EC_FILE_NOT_FOUND);
    int result = BMP_LoadPreviewStream(image, file, box);
    std::fclose(file);
    return result;
}
