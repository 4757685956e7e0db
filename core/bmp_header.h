// The headers of BMP files (and of the BMP-style images inside icons and the clipboard's
// device-independent bitmap): the 14-byte file header and the 40-byte information header,
// taken from and put into little-endian bytes. Validation is the readers' business.
#pragma once

#include <cstdint>

enum {
    BMP_FILE_HEADER_SIZE = 14,
    BMP_INFO_HEADER_SIZE = 40,
    BMP_TYPE = 0x4D42, // "BM"
    BI_RGB = 0,
    BI_RLE8 = 1,
    BI_RLE4 = 2,
    BI_BITFIELDS = 3
};

struct TBitmapFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};

struct TBitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight; // negative: top-down rows
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

inline uint16_t GetU16LE(const uint8_t* p) {
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t GetU32LE(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline void PutU16LE(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
}
inline void PutU32LE(uint8_t* p, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

TBitmapFileHeader BmpFileHeader_Parse(const uint8_t bytes[BMP_FILE_HEADER_SIZE]);
void BmpFileHeader_Write(const TBitmapFileHeader& header, uint8_t bytes[BMP_FILE_HEADER_SIZE]);
TBitmapInfoHeader BmpInfoHeader_Parse(const uint8_t bytes[BMP_INFO_HEADER_SIZE]);
void BmpInfoHeader_Write(const TBitmapInfoHeader& header, uint8_t bytes[BMP_INFO_HEADER_SIZE]);
