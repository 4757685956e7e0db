// JPEG files through libjpeg's 6b interface: loads a file into a 24-bit bottom-up TImage with a
// fully visible mask plane, saves a 24-bit image as a baseline JPEG of quality 70, and decodes
// reduced previews for thumbnails. The codec's errors end the call, never the program.
// Knows nothing of layers, documents or windows; the dispatch by name is image_file.cpp's.
#pragma once

#include <cstdio>

#include "core/image.h"

// Reads name into image, which is reset to the file's size, 24 bits, TIF_HASMASK | TIF_BOTTOMUP,
// mask fully visible. Returns 0; on failure -1 with the last error set:
//   EC_NULL_OBJECT     a missing argument
//   EC_READ_FAILED     the file can't be opened or is empty
//   EC_NO_MEMORY       the picture is over the pixel limit (checked before any pixel is decoded),
//                      or the codec's working memory would pass the same limit
//   EC_UNKNOWN_FORMAT  whatever else the codec refuses (not a JPEG, corrupt markers, ...)
// A failed load leaves the image as far as it was filled (possibly cleared); callers discard it.
// A file cut short inside its scan data is a warning to the codec, not an error: it loads, with
// the missing part filled in by the codec.
int JPEG_Load(TImage* image, const char* name);
// JPEG_Load over a stream the caller owns, read from its position; the stream stays open,
// wherever the codec stopped reading. Same results and errors (EC_READ_FAILED for an empty
// stream, EC_NULL_OBJECT for a missing one).
int JPEG_LoadStream(TImage* image, std::FILE* file);

// Writes a 24-bit image as a baseline, sequential JPEG of quality 70 with the codec's defaults
// (2x2 chroma subsampling, standard Huffman tables), atomically: the file appears complete or
// not at all, and an existing file is replaced only when every byte reached the disk.
// Returns 0; on failure -1 with the last error set, the target untouched and no file left over:
//   EC_NULL_OBJECT     a missing argument or no pixel memory
//   EC_UNKNOWN_FORMAT  an image that is not 24 bits per pixel
//   EC_READ_FAILED     the target's folder takes no new file
//   EC_WRITE_FAILED    the encoder refused the image (e.g. a side over 65500) or writing failed
int JPEG_Save(const TImage* image, const char* name);

// Decodes a reduced copy of box->width x box->height pixels (box->x and box->y are not used):
// 24 bits, TIF_BOTTOMUP, no mask. Every (width / box width)-th pixel of every
// (height / box height)-th scanline is taken (steps at least 1); pixels past the picture stay
// black. Grayscale and four-component files are converted as JPEG_Load converts them.
// Returns 0; on failure -1 with the last error set as for JPEG_Load, or EC_NULL_OBJECT for a
// missing box and EC_EMPTY_AREA for a box without pixels. A failed preview leaves the image
// partly filled; callers discard it.
int JPEG_LoadPreview(TImage* image, const char* name, const TRectXYWH* box);
// JPEG_LoadPreview over a stream, as JPEG_LoadStream reads one.
int JPEG_LoadPreviewStream(TImage* image, std::FILE* file, const TRectXYWH* box);
