// Pictures exchanged with other programs through the clipboard (image/png and image/bmp):
// a 24-bit image with its mask encoded as PNG (mask as alpha) or as a whole BMP file, and
// PNG or BMP bytes from any program decoded into a 24-bit image with mask plane, through the
// one PNG and BMP readers and writers (png.h, png_decode.h, bmp.h). No Qt: the clipboard glue only moves the bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/clipboard_block.h"

struct TImage;

// PNG bytes of a 24-bit image (ClipBlock_CheckSource), as PNG_Save writes them: RGB when every
// pixel is visible, else RGBA with alpha 255 where the pixel is visible and 0 where it is
// transparent (its colour kept). Returns 0 with the bytes in *out; -1 with EC_NULL_OBJECT or
// EC_NO_MEMORY, *out empty.
int ClipImage_EncodePng(const TImage* image, TClipBlock* out);

// A whole BMP file in memory (14-byte file header included), 24 bits, the bytes BMP_Save
// would write for the image; the mask is not kept. Same results as ClipImage_EncodePng.
int ClipImage_EncodeBmp(const TImage* image, TClipBlock* out);

// A new 24-bit image with mask plane (TIF_HASMASK | TIF_BOTTOMUP) from PNG bytes, visible
// where alpha (tRNS included) is 128 or more, wholly visible without alpha; nothing outside
// data[0, size) is read. Null with EC_NULL_OBJECT for no data, EC_UNKNOWN_FORMAT when the
// bytes do not decode, EC_NO_MEMORY over the pixel limit (before allocating) or out of memory.
TImage* ClipImage_DecodePng(const uint8_t* data, size_t size);

// A new 24-bit image with a wholly visible mask plane from the bytes of a BMP file, read as
// BMP_Load reads files (the same checks; pixel data cut short loads as far as it goes). Null
// with BMP_Load's errors, except that headers cut short give EC_UNKNOWN_FORMAT: all the bytes
// were there, so nothing failed to read.
TImage* ClipImage_DecodeBmp(const uint8_t* data, size_t size);
