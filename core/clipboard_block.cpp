// The private clipboard block and the device-independent bitmap: built from a 24-bit image
// with its mask plane, and the private block parsed back with every size checked against the
// block's length and the pixel limit. Uses the header helpers of bmp_header.h.
//
// The private block, little-endian (C = colour bytes, M = mask bytes):
//   OFFSET    SIZE  FIELD                     ACCEPTED
//   0         4     header size               40
//   4         4     width                     1 .. 2^31 - 1
//   8         4     height                    1 .. 2^31 - 1 (rows bottom row first)
//   12        2     planes                    1
//   14        2     bit count                 24
//   16        4     compression               0
//   20        4     image size C              exactly the 24-bit stride x height
//   24        16    resolutions, colours      written 0; not read
//   40        4     (after the header)        written 0; not read
//   44        C     colour rows               the TImage rows as stored, bottom-up
//   44 + C    44    mask header               as above with bit count 1, the colour's width
//                                             and height, image size M exactly the 1-bit
//                                             stride x height
//   88 + C    M     mask rows                 bottom-up, set bit = visible
//   88 + C + M      end of the block          later bytes (a transport's padding) ignored
//
// The image sizes must be exact: only this program writes the block, and where the mask
// header lies follows from the colour size, so any other value means the bytes are not ours.
//
// The device-independent bitmap: the colour header's 40 bytes, the C colour bytes, 4 zero bytes.
#include "core/clipboard_block.h"

#include <cstdlib>
#include <cstring>

#include "core/bmp_header.h"
#include "core/error.h"
#include "core/image.h"

namespace {

TImage* FailNull(int code) {
    SetLastErrorCode(code);
    return nullptr;
}

int Fail(int code) {
    SetLastErrorCode(code);
    return -1;
}

// The header every block image carries: only size, width, height, planes, bit count and image
// size are set.
void WriteHeader(uint8_t* at, int32_t width, int32_t height, int bits, uint32_t imageSize) {
    TBitmapInfoHeader ih = {};
    ih.biSize = BMP_INFO_HEADER_SIZE;
    ih.biWidth = width;
    ih.biHeight = height;
    ih.biPlanes = 1;
    ih.biBitCount = uint16_t(bits);
    ih.biSizeImage = imageSize;
    BmpInfoHeader_Write(ih, at);
}

// Rows of plane (colour or mask) into the block, bottom row first, whatever the plane's own
// row order. Without a plane (no mask) every byte is 0xFF: every pixel visible.
void WriteRows(uint8_t* at, const TImage* plane, int32_t height, size_t stride) {
    for (int32_t k = 0; k < height; ++k, at += stride) {
        if (plane)
            std::memcpy(at, TImage_GetRow(plane, height - 1 - k), stride);
        else
            std::memset(at, 0xFF, stride);
    }
}

// Checks one header of a private block against the layout table. On success *bytes is the
// image size it announces.
bool HeaderValid(const uint8_t* at, int bits, TBitmapInfoHeader* ih, uint64_t* bytes) {
    *ih = BmpInfoHeader_Parse(at);
    if (ih->biSize != BMP_INFO_HEADER_SIZE || ih->biWidth <= 0 || ih->biHeight <= 0 ||
        ih->biPlanes != 1 || ih->biBitCount != bits || ih->biCompression != BI_RGB)
        return false;
    // In 64 bits: stride < 2^34 and height < 2^31, so the product cannot wrap.
    *bytes = TImage_StrideFor(ih->biWidth, bits) * uint64_t(ih->biHeight);
    return ih->biSizeImage == *bytes;
}

} // namespace

void TClipBlock_Free(TClipBlock* block) {
    if (!block) return;
    std::free(block->FData);
    block->FData = nullptr;
    block->FSize = 0;
}

int ClipBlock_CheckSource(const TImage* image) {
    if (!image || !image->FBits || image->FBitsPerPixel != 24 || image->FWidth <= 0 ||
        image->FHeight <= 0)
        return Fail(EC_NULL_OBJECT);
    const uint64_t stride = TImage_StrideFor(image->FWidth, 24);
    if (uint64_t(image->FStride) != stride ||
        uint64_t(image->FSize) != stride * uint64_t(image->FHeight))
        return Fail(EC_NULL_OBJECT);
    const TImage* mask = image->FMask;
    const uint64_t maskStride = TImage_StrideFor(image->FWidth, 1);
    if (mask && (!mask->FBits || mask->FBitsPerPixel != 1 || mask->FWidth != image->FWidth ||
                 mask->FHeight != image->FHeight || uint64_t(mask->FStride) != maskStride ||
                 uint64_t(mask->FSize) != maskStride * uint64_t(image->FHeight)))
        return Fail(EC_NULL_OBJECT);
    return 0;
}

int ClipBlock_MakePrivate(const TImage* image, TClipBlock* out) {
    if (!out) return Fail(EC_NULL_OBJECT);
    *out = TClipBlock{};
    if (ClipBlock_CheckSource(image) != 0) return -1;
    const int32_t width = image->FWidth, height = image->FHeight;
    const size_t colourStride = size_t(image->FStride);
    const size_t maskStride = size_t(TImage_StrideFor(width, 1));
    const size_t colourBytes = size_t(image->FSize);
    const size_t maskBytes = maskStride * size_t(height);
    // Both sizes are below 2^31 (a TImage's size is an int32), so the sum fits in 64 bits.
    const size_t total = colourBytes + maskBytes + 2 * CLIP_HEADER_SIZE;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(total, 1));
    if (!block) return Fail(EC_NO_MEMORY);

    uint8_t* at = block;
    WriteHeader(at, width, height, 24, uint32_t(colourBytes));
    at += CLIP_HEADER_SIZE;
    WriteRows(at, image, height, colourStride);
    at += colourBytes;
    WriteHeader(at, width, height, 1, uint32_t(maskBytes));
    at += CLIP_HEADER_SIZE;
    WriteRows(at, image->FMask, height, maskStride);

    out->FData = block;
    out->FSize = total;
    ClearLastErrorCode();
    return 0;
}

int ClipBlock_MakeDib(const TImage* image, TClipBlock* out) {
    if (!out) return Fail(EC_NULL_OBJECT);
    *out = TClipBlock{};
    if (ClipBlock_CheckSource(image) != 0) return -1;
    const size_t colourBytes = size_t(image->FSize);
    const size_t total = BMP_INFO_HEADER_SIZE + colourBytes + 4;
    uint8_t* block = static_cast<uint8_t*>(std::calloc(total, 1)); // the last 4 bytes stay 0
    if (!block) return Fail(EC_NO_MEMORY);
    WriteHeader(block, image->FWidth, image->FHeight, 24, uint32_t(colourBytes));
    WriteRows(block + BMP_INFO_HEADER_SIZE, image, image->FHeight, size_t(image->FStride));
    out->FData = block;
    out->FSize = total;
    ClearLastErrorCode();
    return 0;
}

TImage* ClipBlock_ParsePrivate(const uint8_t* data, size_t size) {
    if (!data) return FailNull(EC_NULL_OBJECT);
    TBitmapInfoHeader colour, mask;
    uint64_t colourBytes = 0, maskBytes = 0;
    if (size < CLIP_HEADER_SIZE || !HeaderValid(data, 24, &colour, &colourBytes))
        return FailNull(EC_UNKNOWN_FORMAT);
    // colourBytes < 2^32, so none of these offsets can wrap in 64 bits.
    const uint64_t maskAt = CLIP_HEADER_SIZE + colourBytes;
    if (uint64_t(size) < maskAt + CLIP_HEADER_SIZE ||
        !HeaderValid(data + maskAt, 1, &mask, &maskBytes) || mask.biWidth != colour.biWidth ||
        mask.biHeight != colour.biHeight)
        return FailNull(EC_UNKNOWN_FORMAT);
    const uint64_t maskDataAt = maskAt + CLIP_HEADER_SIZE;
    if (uint64_t(size) - maskDataAt < maskBytes) return FailNull(EC_UNKNOWN_FORMAT);

    if (TImage_CheckSize(colour.biWidth, colour.biHeight, 24) != 0) return nullptr;
    TImage* image = TImage_Create(colour.biWidth, colour.biHeight, 24, TIF_HASMASK | TIF_BOTTOMUP);
    if (!image) return nullptr;
    // Block rows and the image's memory rows are both bottom-up at the same strides.
    std::memcpy(image->FBits, data + CLIP_HEADER_SIZE, size_t(colourBytes));
    std::memcpy(image->FMask->FBits, data + maskDataAt, size_t(maskBytes));
    ClearLastErrorCode();
    return image;
}
