// PNG files: loads any PNG into a 24-bit bottom-up TImage with its mask plane (png_decode.h
// says how each stored format becomes colour and mask), saves a 24-bit image losslessly (RGB
// when every pixel is visible, else RGBA with alpha 255 for visible and 0 for transparent
// pixels, whose colour bytes keep the hidden colour), and decodes reduced previews. libpng's
// errors end the call, never the program. The dispatch by name is image_file.cpp's.
#pragma once

#include <cstdio>

#include "core/image.h"

// Reads name into image. Returns 0; -1 with the last error set: EC_NULL_OBJECT for a missing
// argument, EC_READ_FAILED when the file can't be opened, is empty or ends before its first
// row, and Png_Decode's errors. A file cut short inside its rows loads as far as it goes, the
// rest black. A failed load leaves the image partly filled; callers discard it.
int PNG_Load(TImage* image, const char* name);
// PNG_Load over a stream the caller owns, read from its position; the stream stays open.
int PNG_LoadStream(TImage* image, std::FILE* file);

// A reduced copy fitting box->width x box->height (box->x and box->y are not used), with its
// mask plane, as Png_Decode reduces. Same errors, and EC_NULL_OBJECT for a missing box,
// EC_EMPTY_AREA for a box without pixels.
int PNG_LoadPreview(TImage* image, const char* name, const TRectXYWH* box);

// Writes a 24-bit image atomically: the file appears complete or not at all, and an existing
// file is replaced only when every byte reached the disk. Returns 0; on failure -1 with the last
// error set, the target untouched and no file left over: EC_NULL_OBJECT for a missing argument
// or no pixel memory, EC_UNKNOWN_FORMAT for an image that is not 24 bits, EC_READ_FAILED when
// the target's folder takes no new file, EC_WRITE_FAILED when writing fails.
int PNG_Save(const TImage* image, const char* name);
// The zlib level of PNG_Save: the fastest whose files stay within a few percent of the usual
// default's (6) on photographs and pixel art alike (bench/png.cpp measures them all).
enum { PNG_FILE_LEVEL = 5 };

// The bytes PNG_Save writes, deflated at level (0 to 9), into a stream the caller owns and
// closes (a memory stream for the clipboard, which wants speed more than size). Returns 0; -1
// with EC_NULL_OBJECT, EC_UNKNOWN_FORMAT, or EC_WRITE_FAILED on a short write.
int PNG_SaveStream(const TImage* image, std::FILE* file, int level);
