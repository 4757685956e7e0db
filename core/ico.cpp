// ICO reading and writing. The reader takes one directory entry: BMP-style entries go through
// the BMP body conversions with the halved height, PNG entries (their data starts with the PNG
// signature) through ico_png.cpp. Every offset and size from the file is checked against the
// file's length. An entry's data ends at its offset plus its byte count, bounded by the file; its
// header, palette and colour rows are read from the file (colour rows cut short load as far as
// they go, the rest black). A 32-bit entry with any alpha byte not 0 takes its mask from alpha
// (128 and above visible): writers of soft-edged icons mark faint shadow pixels visible in the
// AND mask. Otherwise the AND mask is used only when it lies wholly inside the entry's data, else
// the entry is fully visible. The writer builds the whole file in memory and saves it atomically.
//
// Header, 6 bytes:
//   OFFSET SIZE FIELD      ACCEPTED
//   0      2    reserved   refused only when non-zero together with a type other than 1
//   2      2    type       1 for icons (2, cursors, read alike)
//   4      2    count      1 or more
// Directory, count entries of 16 bytes from offset 6:
//   0      1    width      ignored (the entry's own header counts); written FWidth
//   1      1    height     ignored; written FHeight
//   2      1    colours    ignored; written 0
//   3      1    reserved   ignored; written 0
//   4      2    planes     ignored; written 1
//   6      2    bits       ignored; written 8
//   8      4    bytes      length of the entry's data, bounded by the file
//   12     4    offset     start of the entry's data, inside the file
// BMP-style entry data at offset:
//   0      40   information header: width > 0, height = 2 x picture height (picture height > 0),
//                depth 1, 4, 8, 24 (compression 0) or 16, 32 (compression 3: 12 bytes of masks)
//   40     ..   palette: 2^depth entries of 4 bytes for depths 1, 4, 8 (colours-used ignored)
//   ..     ..   colour rows, bottom-up, the BMP stride of the width at the depth
//   ..     ..   AND mask rows, bottom-up, 1 bit per pixel, 4-byte rows; bit 1 = transparent
#include "core/ico.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/bmp_body.h"
#include "core/bmp_header.h"
#include "core/color_count.h"
#include "core/error.h"
#include "core/ico_png.h"
#include "core/image.h"
#include "platform/save_file.h"

namespace {

const int KHeaderSize = 6;
const int KEntrySize = 16;
const int KPaletteBytes = 1024;
const int KMaxSide = 255;
const int KMaxColours = 256;

struct TIcoEntry {
    uint64_t FOffset; // start of the entry's data; below the file size
    uint64_t FEnd;    // offset + byte count, bounded by the file size
};

// Where the parts of a BMP-style entry lie in the file.
struct TBmpEntry {
    int32_t FWidth, FHeight; // the picture: the header's height halved
    int FBits;
    bool FBitFields;        // 16 or 32 bits with compression 3: three masks after the header
    int FPaletteCount;      // 2^depth for 1, 4, 8 bits, else 0
    uint64_t FColourOffset; // file offset of the colour rows
    uint64_t FColourBytes;  // colour stride x height
    uint64_t FMaskOffset, FMaskBytes;
};

int Fail(std::FILE* file, int code) {
    if (file) std::fclose(file);
    SetLastErrorCode(code);
    return -1;
}

size_t ReadAt(std::FILE* file, uint64_t offset, void* into, size_t size) {
    if (std::fseek(file, long(offset), SEEK_SET) != 0) return 0;
    return std::fread(into, 1, size, file);
}

// Returns 0 with *count, or an error code.
int ReadHeader(std::FILE* file, int* count) {
    uint8_t b[KHeaderSize];
    if (std::fread(b, 1, sizeof b, file) != sizeof b) return EC_READ_FAILED;
    if (GetU16LE(b) != 0 && GetU16LE(b + 2) != 1) return EC_UNKNOWN_FORMAT;
    *count = GetU16LE(b + 4);
    return *count ? 0 : EC_UNKNOWN_FORMAT;
}

// Reads the header from the file's first byte. Returns 0 with *count, or an error code.
int ReadHeaderAtStart(std::FILE* file, int* count) {
    if (std::fseek(file, 0, SEEK_SET) != 0) return EC_READ_FAILED;
    return ReadHeader(file, count);
}

// Checks the file's header and reads directory entry index. Returns 0 with *entry; the image
// count (last error cleared) when index is out of range; -1 with the last error set.
int FindEntry(std::FILE* file, int32_t index, TIcoEntry* entry) {
    int count = 0;
    if (int code = ReadHeaderAtStart(file, &count)) return Fail(nullptr, code);
    if (index < 0 || index >= count) {
        ClearLastErrorCode();
        return count;
    }
    uint8_t b[KEntrySize];
    if (ReadAt(file, KHeaderSize + uint64_t(index) * KEntrySize, b, sizeof b) != sizeof b)
        return Fail(nullptr, EC_READ_FAILED);
    if (std::fseek(file, 0, SEEK_END) != 0) return Fail(nullptr, EC_READ_FAILED);
    const long size = std::ftell(file);
    const uint64_t bytes = GetU32LE(b + 8), offset = GetU32LE(b + 12);
    if (size < 0 || offset >= uint64_t(size)) return Fail(nullptr, EC_READ_FAILED);
    const uint64_t room = uint64_t(size) - offset;
    entry->FOffset = offset;
    entry->FEnd = offset + (bytes < room ? bytes : room);
    return 0;
}

// The picture's size from a BMP-style header. Returns 0 or EC_UNKNOWN_FORMAT.
int PictureSize(const TBitmapInfoHeader& ih, int32_t* width, int32_t* height) {
    *width = ih.biWidth;
    *height = ih.biHeight / 2;
    return *width > 0 && *height > 0 ? 0 : EC_UNKNOWN_FORMAT;
}

// Checks a BMP-style entry's header and works out where its parts lie. Returns 0 or an error
// code.
int PlanBmpEntry(const TBitmapInfoHeader& ih, const TIcoEntry& entry, TBmpEntry* e) {
    if (int code = PictureSize(ih, &e->FWidth, &e->FHeight)) return code;
    e->FBits = ih.biBitCount;
    switch (e->FBits) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (ih.biCompression != BI_RGB) return EC_BMP_COMPRESSION;
        break;
    case 16:
    case 32:
        break;
    default:
        return EC_BMP_COMPRESSION;
    }
    e->FBitFields = (e->FBits == 16 || e->FBits == 32) && ih.biCompression == BI_BITFIELDS;
    e->FPaletteCount = e->FBits <= 8 ? 1 << e->FBits : 0;
    e->FColourOffset = entry.FOffset + BMP_INFO_HEADER_SIZE + (e->FBitFields ? 12 : 0) +
                       4 * uint64_t(e->FPaletteCount);
    e->FColourBytes = TImage_StrideFor(e->FWidth, e->FBits) * uint64_t(e->FHeight);
    e->FMaskOffset = e->FColourOffset + e->FColourBytes;
    e->FMaskBytes = TImage_StrideFor(e->FWidth, 1) * uint64_t(e->FHeight);
    return 0;
}

// The colour rows into the reset image; alphaPlane, when given, takes a 32-bit entry's alpha
// and alphaSeen whether any of it was not 0.
int ReadColours(std::FILE* file, const TBmpEntry& e, const TBmpMasks* masks, TImage* image,
                TImage* alphaPlane, bool* alphaSeen) {
    if (std::fseek(file, long(e.FColourOffset), SEEK_SET) != 0)
        return SetLastErrorCode(EC_READ_FAILED), -1;
    // Both sizes are at most the image's FSize: the 24-bit stride is the widest of them.
    switch (e.FBits) {
    case 1:
    case 4:
    case 8:
        BMP_ExpandPalette(image, e.FBits,
                          std::fread(image->FBits, 1, size_t(e.FColourBytes), file));
        return 0;
    case 24:
        std::fread(image->FBits, 1, size_t(e.FColourBytes), file); // cut short: the rest is black
        return 0;
    default:
        return BMP_ConvertRows(image, file, e.FBits, uint32_t(TImage_StrideFor(e.FWidth, e.FBits)),
                               masks, alphaPlane, alphaSeen);
    }
}

// Reads a BMP-style entry whose first 40 bytes are head. Returns 0, or -1 with the last error.
int LoadBmpEntry(std::FILE* file, const TIcoEntry& entry, const uint8_t* head, TImage* image) {
    const TBitmapInfoHeader ih = BmpInfoHeader_Parse(head);
    TBmpEntry e;
    if (int code = PlanBmpEntry(ih, entry, &e)) return SetLastErrorCode(code), -1;
    TBmpMasks masks = KBmpDefault16Masks;
    if (e.FBitFields) {
        uint8_t m[12];
        if (ReadAt(file, entry.FOffset + BMP_INFO_HEADER_SIZE, m, sizeof m) != sizeof m)
            return SetLastErrorCode(EC_READ_FAILED), -1;
        masks = {GetU32LE(m), GetU32LE(m + 4), GetU32LE(m + 8)};
    }
    TPaletteEntry palette[256];
    const size_t paletteBytes = size_t(e.FPaletteCount) * 4;
    if (paletteBytes &&
        ReadAt(file, entry.FOffset + BMP_INFO_HEADER_SIZE, palette, paletteBytes) != paletteBytes)
        return SetLastErrorCode(EC_READ_FAILED), -1;
    if (TImage_Reset(&image, e.FWidth, e.FHeight, 24, TIF_HASMASK | TIF_BOTTOMUP) != 0) return -1;
    image->FPaletteCount = e.FPaletteCount;
    std::memcpy(image->FPalette, palette, paletteBytes);

    TImage* mask = image->FMask;
    assert(uint64_t(mask->FSize) == e.FMaskBytes);
    const bool maskInside = e.FMaskOffset + e.FMaskBytes <= entry.FEnd;
    const TBmpMasks* use = e.FBits == 16 || e.FBitFields ? &masks : nullptr;
    bool alphaSeen = false;
    if (ReadColours(file, e, use, image, e.FBits == 32 ? mask : nullptr, &alphaSeen) != 0)
        return -1;
    if (alphaSeen) return 0; // the mask plane holds alpha's verdict
    if (maskInside) {
        const size_t bytes = size_t(mask->FSize);
        if (ReadAt(file, e.FMaskOffset, mask->FBits, bytes) != bytes)
            return SetLastErrorCode(EC_READ_FAILED), -1;
        for (size_t i = 0; i < bytes; ++i)
            mask->FBits[i] = uint8_t(~mask->FBits[i]);
    } else {
        TImage_FillMask(image, 1);
    }
    return 0;
}

// Reads a PNG entry from its own bytes only. head holds the first got bytes of the entry.
int LoadPngEntry(std::FILE* file, const TIcoEntry& entry, const uint8_t* head, size_t got,
                 TImage* image) {
    const uint64_t size = entry.FEnd - entry.FOffset;
    // The IHDR tells the picture's size: one over the pixel limit is refused before the
    // entry's bytes are even read.
    TBitmapInfoHeader ih;
    if (IcoPng_ReadInfo(head, got < size ? got : size_t(size), &ih) != 0) return -1;
    if (TImage_CheckSize(ih.biWidth, ih.biHeight, 24) != 0) return -1;
    uint8_t* data = static_cast<uint8_t*>(std::malloc(size_t(size)));
    if (!data) return SetLastErrorCode(EC_NO_MEMORY), -1;
    int result = -1;
    if (ReadAt(file, entry.FOffset, data, size_t(size)) != size)
        SetLastErrorCode(EC_READ_FAILED);
    else
        result = IcoPng_Decode(data, size_t(size), image);
    std::free(data);
    return result;
}

} // namespace

int ICO_LoadStream(TImage* image, std::FILE* file) {
    if (!image || !file) return Fail(nullptr, EC_NULL_OBJECT);
    const int32_t index = image->FIconIndex;
    TIcoEntry entry;
    if (int result = FindEntry(file, index, &entry)) return result;
    uint8_t head[BMP_INFO_HEADER_SIZE];
    const size_t got = ReadAt(file, entry.FOffset, head, sizeof head);
    int result;
    if (IcoPng_HasSignature(head, got))
        result = LoadPngEntry(file, entry, head, got, image);
    else if (got < sizeof head)
        result = Fail(nullptr, EC_READ_FAILED);
    else
        result = LoadBmpEntry(file, entry, head, image);
    image->FIconIndex = index; // resetting the image cleared it
    if (result == 0) ClearLastErrorCode();
    return result;
}

int ICO_Load(TImage* image, const char* name) {
    if (!image || !name) return Fail(nullptr, EC_NULL_OBJECT);
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return Fail(nullptr, EC_READ_FAILED);
    int result = ICO_LoadStream(image, file);
    std::fclose(file);
    return result;
}

int ICO_GetImageCountStream(std::FILE* file) {
    if (!file) return Fail(nullptr, EC_NULL_OBJECT);
    int count = 0;
    if (int code = ReadHeaderAtStart(file, &count)) return Fail(nullptr, code);
    ClearLastErrorCode();
    return count;
}

int ICO_GetImageCount(const char* name) {
    if (!name) return Fail(nullptr, EC_NULL_OBJECT);
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return Fail(nullptr, EC_READ_FAILED);
    int count = ICO_GetImageCountStream(file);
    std::fclose(file);
    return count;
}

int ICO_GetImageInfoStream(TImage* image, int32_t index, std::FILE* file, TBitmapInfoHeader* out) {
    (void)image;
    if (!file || !out) return Fail(nullptr, EC_NULL_OBJECT);
    TIcoEntry entry;
    if (int result = FindEntry(file, index, &entry)) return result;
    uint8_t head[BMP_INFO_HEADER_SIZE];
    const size_t got = ReadAt(file, entry.FOffset, head, sizeof head);
    if (IcoPng_HasSignature(head, got)) {
        const uint64_t size = entry.FEnd - entry.FOffset;
        if (IcoPng_ReadInfo(head, got < size ? got : size_t(size), out) != 0) return -1;
    } else {
        if (got < sizeof head) return Fail(nullptr, EC_READ_FAILED);
        TBitmapInfoHeader ih = BmpInfoHeader_Parse(head);
        int32_t width, height;
        if (int code = PictureSize(ih, &width, &height)) return Fail(nullptr, code);
        const uint64_t bytes = TImage_StrideFor(width, ih.biBitCount) * uint64_t(height);
        ih.biHeight = height;
        ih.biSizeImage = bytes < 0xFFFFFFFFu ? uint32_t(bytes) : 0xFFFFFFFFu;
        *out = ih;
    }
    ClearLastErrorCode();
    return 0;
}

int ICO_GetImageInfo(TImage* image, int32_t index, const char* name, TBitmapInfoHeader* out) {
    if (!name || !out) return Fail(nullptr, EC_NULL_OBJECT);
    std::FILE* file = std::fopen(name, "rb");
    if (!file) return Fail(nullptr, EC_READ_FAILED);
    int result = ICO_GetImageInfoStream(image, index, file, out);
    std::fclose(file);
    return result;
}

// ---- writing -------------------------------------------------------------------------------

namespace {

// Colour key -> first palette index, for at most 256 keys: open addressing over 1024 slots, so
// a lookup almost always ends at its first probe and the table never fills.
const int KSlotBits = 10;
const uint32_t KSlots = 1u << KSlotBits;
const uint32_t KNoKey = 0xFFFFFFFFu; // no 24-bit key has this value

struct TColourIndex {
    uint32_t FKey[KSlots];
    uint8_t FIndex[KSlots];
};

inline uint32_t KeyOf(const uint8_t* bgr) {
    return uint32_t(bgr[0]) | (uint32_t(bgr[1]) << 8) | (uint32_t(bgr[2]) << 16);
}

inline uint32_t SlotOf(const TColourIndex* table, uint32_t key) {
    uint32_t slot = (key * 0x9E3779B1u) >> (32 - KSlotBits);
    while (table->FKey[slot] != key && table->FKey[slot] != KNoKey)
        slot = (slot + 1) & (KSlots - 1);
    return slot;
}

const TImage* UsableMask(const TImage* image) {
    const TImage* mask = image->FMask;
    return mask && mask->FBits && mask->FWidth == image->FWidth && mask->FHeight == image->FHeight
               ? mask
               : nullptr;
}

inline bool Visible(const uint8_t* maskRow, int32_t x) {
    return !maskRow || (maskRow[x >> 3] & (0x80 >> (x & 7)));
}

// One pass, top row first: places each new visible colour into the next entry and writes every
// visible pixel's index at once (an entry placed here is the first with its colour, since the
// entries placed before it differ and the kept ones come after). Returns how many entries were
// placed; *hidden tells whether any pixel was skipped as invisible (its index left 0).
int PlaceVisibleColours(const TImage* image, TPaletteEntry palette[256], TColourIndex* table,
                        uint8_t* rows, bool* hidden) {
    const TImage* mask = UsableMask(image);
    const int32_t width = image->FWidth, height = image->FHeight;
    const size_t stride = size_t(TImage_StrideFor(width, 8));
    int placed = 0;
    uint32_t previous = KNoKey;
    uint8_t index = 0;
    *hidden = false;
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* p = TImage_GetRow(image, y);
        const uint8_t* m = mask ? TImage_GetRow(mask, y) : nullptr;
        uint8_t* out = rows + stride * size_t(height - 1 - y);
        std::memset(out, 0, stride);
        for (int32_t x = 0; x < width; ++x, p += 3) {
            if (!Visible(m, x)) {
                *hidden = true;
                continue;
            }
            const uint32_t key = KeyOf(p);
            if (key != previous) {
                previous = key;
                const uint32_t slot = SlotOf(table, key);
                if (table->FKey[slot] != key && placed < KMaxColours) {
                    table->FKey[slot] = key;
                    table->FIndex[slot] = uint8_t(placed);
                    TPaletteEntry* e = &palette[placed++];
                    e->FBlue = p[0], e->FGreen = p[1], e->FRed = p[2];
                }
                index = table->FKey[slot] == key ? table->FIndex[slot] : 0;
            }
            out[x] = index;
        }
    }
    return placed;
}

// The invisible pixels: the first entry with their colour, else 0.
void IndexHiddenPixels(const TImage* image, const TColourIndex* table, uint8_t* rows) {
    const TImage* mask = UsableMask(image);
    const int32_t width = image->FWidth, height = image->FHeight;
    const size_t stride = size_t(TImage_StrideFor(width, 8));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* p = TImage_GetRow(image, y);
        const uint8_t* m = TImage_GetRow(mask, y);
        uint8_t* out = rows + stride * size_t(height - 1 - y);
        for (int32_t x = 0; x < width; ++x, p += 3) {
            if (Visible(m, x)) continue;
            const uint32_t key = KeyOf(p), slot = SlotOf(table, key);
            out[x] = table->FKey[slot] == key ? table->FIndex[slot] : 0;
        }
    }
}

} // namespace

void ICO_EncodeColours(const TImage* image, TPaletteEntry palette[256], uint8_t* rows) {
    TColourIndex table;
    std::memset(table.FKey, 0xFF, sizeof table.FKey);
    std::memcpy(palette, image->FPalette, KPaletteBytes);
    bool hidden = false;
    const int placed = PlaceVisibleColours(image, palette, &table, rows, &hidden);
    if (!hidden) return;
    // The entries kept from FPalette answer for colours that no visible pixel has, unless an
    // earlier entry already has the colour.
    for (int i = placed; i < KMaxColours; ++i) {
        const uint32_t key = KeyOf(&palette[i].FBlue);
        const uint32_t slot = SlotOf(&table, key);
        if (table.FKey[slot] == KNoKey) table.FKey[slot] = key, table.FIndex[slot] = uint8_t(i);
    }
    IndexHiddenPixels(image, &table, rows);
}

// The whole icon file in memory: header, entry, information header, palette, index rows and
// the AND mask (the mask plane complemented, rows bottom-up). Null when memory runs out.
static uint8_t* BuildIcon(const TImage* image, size_t* size) {
    const TImage* mask = UsableMask(image);
    const uint32_t width = uint32_t(image->FWidth), height = uint32_t(image->FHeight);
    const uint32_t colourStride = uint32_t(TImage_StrideFor(width, 8));
    const uint32_t maskStride = uint32_t(TImage_StrideFor(width, 1));
    const uint32_t colourBytes = colourStride * height;
    const uint32_t maskBytes = mask ? maskStride * height : 0;
    const uint32_t dataBytes = BMP_INFO_HEADER_SIZE + KPaletteBytes + colourBytes + maskBytes;
    const uint32_t dataOffset = KHeaderSize + KEntrySize;
    *size = size_t(dataOffset) + dataBytes;
    uint8_t* b = static_cast<uint8_t*>(std::calloc(*size, 1));
    if (!b) return nullptr;
    PutU16LE(b + 2, 1); // type: icon
    PutU16LE(b + 4, 1); // one image
    uint8_t* entry = b + KHeaderSize;
    entry[0] = uint8_t(width), entry[1] = uint8_t(height);
    PutU16LE(entry + 4, 1);
    PutU16LE(entry + 6, 8);
    PutU32LE(entry + 8, dataBytes);
    PutU32LE(entry + 12, dataOffset);
    TBitmapInfoHeader ih = {};
    ih.biSize = BMP_INFO_HEADER_SIZE;
    ih.biWidth = int32_t(width);
    ih.biHeight = int32_t(height * 2); // colour rows and mask rows
    ih.biPlanes = 1;
    ih.biBitCount = 8;
    ih.biCompression = BI_RGB;
    ih.biSizeImage = maskBytes + colourBytes;
    ih.biClrUsed = KMaxColours;
    uint8_t* info = b + dataOffset;
    BmpInfoHeader_Write(ih, info);
    TPaletteEntry palette[256];
    uint8_t* rows = info + BMP_INFO_HEADER_SIZE + KPaletteBytes;
    ICO_EncodeColours(image, palette, rows);
    std::memcpy(info + BMP_INFO_HEADER_SIZE, palette, KPaletteBytes);
    uint8_t* andMask = rows + colourBytes;
    for (uint32_t r = 0; mask && r < height; ++r) {
        const uint8_t* from = TImage_GetRow(mask, int32_t(height - 1 - r));
        uint8_t* to = andMask + size_t(maskStride) * r;
        for (uint32_t i = 0; i < maskStride; ++i)
            to[i] = uint8_t(~from[i]);
    }
    return b;
}

int ICO_Save(TImage* image, const char* name) {
    if (!image || !name || !image->FBits) return Fail(nullptr, EC_NULL_OBJECT);
    if (image->FBitsPerPixel != 24) return Fail(nullptr, EC_UNKNOWN_FORMAT);
    if (image->FWidth > KMaxSide || image->FHeight > KMaxSide)
        return Fail(nullptr, EC_ICON_TOO_LARGE);
    if (image->FWidth < 1 || image->FHeight < 1) return Fail(nullptr, EC_EMPTY_AREA);
    if (TImage_CountColors(image, KMaxColours) > KMaxColours)
        return Fail(nullptr, EC_ICON_TOO_MANY_COLOURS);
    size_t size = 0;
    uint8_t* bytes = BuildIcon(image, &size);
    if (!bytes) return Fail(nullptr, EC_NO_MEMORY);
    TSaveFile out = {};
    bool saved = TSaveFile_Open(&out, name) == 0;
    if (saved && (TSaveFile_Write(&out, bytes, size) != 0 || TSaveFile_Commit(&out) != 0)) {
        TSaveFile_Abort(&out);
        saved = false;
    }
    std::free(bytes);
    if (!saved) return Fail(nullptr, EC_WRITE_FAILED);
    ClearLastErrorCode();
    return 0;
}
