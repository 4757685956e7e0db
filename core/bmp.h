// BMP files: reads 1-, 4-, 8-, 16-, 24- and 32-bit files into a 24-bit image with a fully
// visible mask plane, writes an image uncompressed in its own depth, and reads reduced 24-bit
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
// A reduced copy of what BMP_Load reads from a direct-colour file, at most box->width x
// box->height pixels, 24 bits, top-down rows, no mask plane: every x-step-th pixel of every
// y-step-th stored row (steps file size / box size, at least 1), first stored row first. Only
// one row of the file is held at a time. Paletted files are not previewed. Returns 0 or -1
// with the last error set.
int BMP_LoadPreview(TImage* image, const char* name, const TRectXYWH* box);
// BMP_LoadPreview over a stream whose first byte is the file's first byte; the stream stays
// open. Same checks, results and errors.
int BMP_LoadPreviewStream(TImage* image, std::FILE* file, const TRectXYWH* box);
