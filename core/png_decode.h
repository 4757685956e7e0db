// The one PNG decoder (libpng), for PNG files and for the PNG entries of icon files and the
// clipboard. The bytes come from memory, optionally followed by a stream, so an icon entry is
// read from its own bytes only and a file is read as it goes, never slurped whole. Every stored
// format becomes a 24-bit image with its mask plane: colour from red, green and blue (16-bit
// samples keep their top 8 bits, palette and grey expanded), visible where alpha (tRNS
// included) is 128 or more, wholly visible without alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

struct TImage;
struct TRectXYWH;

enum { PNG_SIGNATURE_SIZE = 8, PNG_HEADER_SIZE = 33 }; // the signature; then the IHDR chunk

// The picture as the IHDR chunk describes it.
struct TPngHeader {
    uint32_t FWidth, FHeight;
    int FDepth, FColorType, FChannels;
    bool FInterlaced;
};

// True when the first size bytes begin with the PNG signature (size 8 or more).
bool Png_HasSignature(const uint8_t* bytes, size_t size);

// Reads the signature and IHDR chunk from data[0, size): 0, or EC_UNKNOWN_FORMAT (returned,
// not set) when either is missing or describes no valid PNG (a side of 0 or over 2^31 - 1, a
// sample depth the colour type does not have, an unknown compression, filter or interlace).
int Png_ParseHeader(const uint8_t* data, size_t size, TPngHeader* out);

// Where the decoder reads: FSize bytes at FData (the file's first bytes, or a whole entry), then
// FFile from its position when it is not null.
struct TPngInput {
    const uint8_t* FData;
    size_t FSize;
    std::FILE* FFile;
};

// Decodes into image, reset to 24 bits with TIF_HASMASK | TIF_BOTTOMUP. box null: the whole
// picture. Otherwise a reduced copy of at most box->width x box->height pixels: every
// (width / box width)-th pixel of every (height / box height)-th row (steps at least 1).
// Returns 0; -1 with the last error set:
//   EC_NO_MEMORY       the picture (or, interlaced, its rows at 32 bits) is over the pixel
//                      limit, refused from the header before anything is allocated; or memory
//                      runs out
//   EC_READ_FAILED     the stream ends before the first row (an input without a stream that
//                      ends anywhere is EC_UNKNOWN_FORMAT: all its bytes were there)
//   EC_UNKNOWN_FORMAT  anything else libpng refuses (bad signature, CRC, compressed data)
// A stream that ends inside the rows loads as far as it goes, the rest black and visible.
// A failed decode leaves the image partly filled; callers discard it.
int Png_Decode(const TPngInput* input, const TRectXYWH* box, TImage* image);
