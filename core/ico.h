// ICO files: reads one chosen image of an icon (BMP-style or PNG entries) into a 24-bit TImage
// whose mask plane comes from the icon's AND mask or alpha, counts and describes the images for
// the chooser, and writes an image as a single 8-bit, 256-colour icon with its AND mask.
// Uses the BMP body conversions of bmp_body.cpp, the PNG entries of ico_png.cpp and the atomic
// save helper; knows nothing of layers, documents or windows.
#pragma once

#include <cstdint>
#include <cstdio>

#include "core/palette_entry.h"

struct TImage;
struct TBitmapInfoHeader;

// Reads the image whose index is image->FIconIndex (kept across the load). Returns 0 on
// success; -1 with the last error set; or the file's image count (a positive value, the last
// error cleared, the image untouched) when the index is not below the count (or negative).
// Refusals: no file EC_READ_FAILED; a short header, directory entry, entry header or palette
// EC_READ_FAILED, as is an entry offset at or past the end of the file; reserved word non-zero
// together with a type other than 1, an image count of 0, a width or height of 0 or below, or a
// PNG entry that does not decode EC_UNKNOWN_FORMAT; a depth other than 1, 4, 8, 16, 24 or 32, or
// a compression where 0 is required, EC_BMP_COMPRESSION; a picture over the pixel limit
// EC_NO_MEMORY (before allocating). A failed load leaves a partly filled image that callers
// discard.
int ICO_Load(TImage* image, const char* name);
// ICO_Load over a stream the caller owns whose byte 0 is the file's first byte, read from there
// whatever its position; the stream stays open. Same checks, results and errors (EC_NULL_OBJECT
// for a missing stream). The ...Stream forms below read alike.
int ICO_LoadStream(TImage* image, std::FILE* file);

// The header's image count (1 or more); -1 with EC_READ_FAILED when the file can't be opened or
// its header is short, EC_UNKNOWN_FORMAT when the header is refused or the count is 0.
int ICO_GetImageCount(const char* name);
int ICO_GetImageCountStream(std::FILE* file);

// Fills out with the information header of image index: for a BMP-style entry its own header
// with the height halved and the image size set to the colour stride x that height, for a PNG
// entry a header made from its IHDR (bits per pixel = channels x sample depth). image is not
// used. Returns 0; -1 with the last error set (as ICO_Load, plus EC_NULL_OBJECT for a missing
// name or out); or the image count when index is not below it.
int ICO_GetImageInfo(TImage* image, int32_t index, const char* name, TBitmapInfoHeader* out);
int ICO_GetImageInfoStream(TImage* image, int32_t index, std::FILE* file, TBitmapInfoHeader* out);

// Writes image (24-bit; FPalette seeds the palette) as a one-image icon at 8 bits per pixel with
// 256 palette entries and its mask plane as the AND mask. Returns 0; -1 with the last error:
// EC_NULL_OBJECT (no image, name or pixels), EC_UNKNOWN_FORMAT (not 24-bit), EC_EMPTY_AREA
// (no pixels), EC_ICON_TOO_LARGE (over 255 x 255), EC_ICON_TOO_MANY_COLOURS (over 256 visible
// colours), all before anything is written; EC_NO_MEMORY; EC_WRITE_FAILED when the file can't
// be written. A failed save leaves an existing file untouched and no partial file; the image is
// never changed.
int ICO_Save(TImage* image, const char* name);

// The colour part of a saved icon. palette: FPalette, with the visible colours (top row first,
// left to right) placed from entry 0 on in order of first appearance, each entry keeping its
// fourth byte. rows: FHeight rows bottom-up of the 8-bit stride, zero padded, each pixel the
// first entry with its blue, green and red, or 0 when none has them. image is 24-bit with at
// most 256 visible colours (further colours are not placed).
void ICO_EncodeColours(const TImage* image, TPaletteEntry palette[256], uint8_t* rows);
