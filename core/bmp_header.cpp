// BMP headers to and from bytes.
//
// File header                         Information header
// OFFSET SIZE FIELD                   OFFSET SIZE FIELD
//      0    2 type "BM"                    0    4 header size (40; larger versions add masks)
//      2    4 file size                    4    4 width
//      6    2 reserved 1                   8    4 height (negative: top-down)
//      8    2 reserved 2                  12    2 planes
//     10    4 pixel-data offset           14    2 bits per pixel
//                                         16    4 compression
//                                         20    4 image size (0: stride x height)
//                                         24    8 resolutions
//                                         32    4 colours used (0: the depth's default)
//                                         36    4 important colours
#include "core/bmp_header.h"

TBitmapFileHeader BmpFileHeader_Parse(const uint8_t b[BMP_FILE_HEADER_SIZE]) {
    TBitmapFileHeader h;
    h.bfType = GetU16LE(b);
    h.bfSize = GetU32LE(b + 2);
    h.bfReserved1 = GetU16LE(b + 6);
    h.bfReserved2 = GetU16LE(b + 8);
    h.bfOffBits = GetU32LE(b + 10);
    return h;
}

void BmpFileHeader_Write(const TBitmapFileHeader& h, uint8_t b[BMP_FILE_HEADER_SIZE]) {
    PutU16LE(b, h.bfType);
    PutU32LE(b + 2, h.bfSize);
    PutU16LE(b + 6, h.bfReserved1);
    PutU16LE(b + 8, h.bfReserved2);
    PutU32LE(b + 10, h.bfOffBits);
}

TBitmapInfoHeader BmpInfoHeader_Parse(const uint8_t b[BMP_INFO_HEADER_SIZE]) {
    TBitmapInfoHeader h;
    h.biSize = GetU32LE(b);
    h.biWidth = int32_t(GetU32LE(b + 4));
    h.biHeight = int32_t(GetU32LE(b + 8));
    h.biPlanes = GetU16LE(b + 12);
    h.biBitCount = GetU16LE(b + 14);
    h.biCompression = GetU32LE(b + 16);
    h.biSizeImage = GetU32LE(b + 20);
    h.biXPelsPerMeter = int32_t(GetU32LE(b + 24));
    h.biYPelsPerMeter = int32_t(GetU32LE(b + 28));
    h.biClrUsed = GetU32LE(b + 32);
    h.biClrImportant = GetU32LE(b + 36);
    return h;
}

void BmpInfoHeader_Write(const TBitmapInfoHeader& h, uint8_t b[BMP_INFO_HEADER_SIZE]) {
    PutU32LE(b, h.biSize);
    PutU32LE(b + 4, uint32_t(h.biWidth));
    PutU32LE(b + 8, uint32_t(h.biHeight));
    PutU16LE(b + 12, h.biPlanes);
    PutU16LE(b + 14, h.biBitCount);
    PutU32LE(b + 16, h.biCompression);
    PutU32LE(b + 20, h.biSizeImage);
    PutU32LE(b + 24, uint32_t(h.biXPelsPerMeter));
    PutU32LE(b + 28, uint32_t(h.biYPelsPerMeter));
    PutU32LE(b + 32, h.biClrUsed);
    PutU32LE(b + 36, h.biClrImportant);
}
