// The PNG entries of icon files (what current programs write for 256 x 256 and often every
// size): recognising them, describing them from their IHDR chunk, and decoding them from the
// entry's bytes in memory only, never the file around them, through the one PNG decoder
// (png_decode.h). Knows nothing of the icon directory.
#pragma once

#include <cstddef>
#include <cstdint>

struct TImage;
struct TBitmapInfoHeader;

// True when the first size bytes begin with the PNG signature (size 8 or more).
bool IcoPng_HasSignature(const uint8_t* bytes, size_t size);

// Describes the PNG in data[0, size) from its IHDR chunk as an information header: width,
// height, planes 1, bits per pixel = channels x sample depth (RGBA at 8 bits gives 32, a
// 4-bit palette 4), compression 0, image size = the BMP stride of that depth x height (at most
// 0xFFFFFFFF). Returns 0; -1 with EC_UNKNOWN_FORMAT when the IHDR is missing or invalid.
int IcoPng_ReadInfo(const uint8_t* data, size_t size, TBitmapInfoHeader* out);

// Decodes the PNG in data[0, size) into image as Png_Decode does, reading nothing outside data.
// Returns 0; -1 with EC_UNKNOWN_FORMAT when it does not decode (cut short, corrupt),
// EC_NO_MEMORY when the picture is over the pixel limit (refused before anything is
// allocated) or memory runs out. A failed decode leaves the image partly filled; callers
// discard it.
int IcoPng_Decode(const uint8_t* data, size_t size, TImage* image);
