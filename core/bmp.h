// BMP files: reads 1-, 4-, 8-, 16-, 24- and 32-bit files into a 24-bit image with a fully
// visible mask plane, writes an image uncompressed in its own depth, and reads reduced
// previews of direct-colour files for thumbnails. Saving is atomic (platform/save_file.h).
#pragma once

#include <cstdio>

#include "core/rect.h"

struct TImage;

// Returns 0; -1 with the last error set. A failed load leaves the image reset to the file's
// size with whatever was read; callers discard it.
int BMP_Load(TImage* image, const char* name);
// BMP_Load over a stream whose first byte is the file's first byte (the clipboard reads its
// image/bmp bytes through fmemopen); the stream stays open. Same checks, results and errors.
int BMP_LoadStream(TImage* image, std::FILE* file);
// Returns 0; -1 with the last error set, the existing file untouched and no partial file.
int BMP_Save(TImage* image, const char* name);
// The bytes BMP_Save writes, into a stream the caller owns and closes (a memory stream for the
// clipboard). Returns 0; -1 with EC_NULL_OBJECT, or EC_WRITE_FAILED on a short write.
int BMP_SaveStream(const TImage* image, std::FILE* file);
// A copy of at most box->width x box->height pixels in the file's own depth, top-down rows.
// Paletted files are not previewed. Returns 0 or -1.
int BMP_LoadPreview(TImage* image, const char* name, const TRectXYWH* box);
