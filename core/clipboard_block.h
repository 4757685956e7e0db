// The clipboard's byte blocks without Qt: the private block (MIME type
// application/x-mosaiko-tlayer) that carries a selection's colour and mask images, the
// device-independent bitmap of the colour image, and the checked parsing of a private block,
// whose bytes any program may have put there. The PNG and BMP pictures for other programs
// are in clipboard_image.h; the Qt side only moves these bytes.
#pragma once

#include <cstddef>
#include <cstdint>

struct TImage;

enum {
    CLIP_HEADER_SIZE = 44 // the 40-byte information header and 4 zero bytes
};

// Bytes for or from the clipboard. FData comes from malloc and belongs to the holder, who
// releases it with TClipBlock_Free (or std::free).
struct TClipBlock {
    uint8_t* FData; // null when empty
    size_t FSize;   // bytes at FData
};

// Frees FData and zeroes the record; a null block is ignored.
void TClipBlock_Free(TClipBlock* block);

// 0 when image is a whole 24-bit picture the builders can take: pixel memory present, rows of
// the 24-bit stride, and a mask plane of the same size when there is one (no mask plane means
// every pixel is visible). Otherwise -1 with EC_NULL_OBJECT.
int ClipBlock_CheckSource(const TImage* image);

// The private block of a 24-bit image: colour header, colour rows (bottom row first, TImage
// stride), mask header, mask rows; colour bytes + mask bytes + 88 in all. Returns 0 with the
// block in *out; -1 with EC_NULL_OBJECT (no usable image or out) or EC_NO_MEMORY, *out empty.
int ClipBlock_MakePrivate(const TImage* image, TClipBlock* out);

// The device-independent bitmap of the colour image: the colour header's 40 bytes, the colour
// rows, then 4 zero bytes (colour bytes + 44). Same results as ClipBlock_MakePrivate.
int ClipBlock_MakeDib(const TImage* image, TClipBlock* out);

// A new 24-bit image with mask plane (TIF_HASMASK | TIF_BOTTOMUP) from a private block of size
// bytes; nothing outside data[0, size) is read. Null with EC_NULL_OBJECT for no data,
// EC_UNKNOWN_FORMAT for a block that breaks any rule of the layout (clipboard_block.cpp draws
// it), EC_NO_MEMORY for a whole, well-formed block whose picture is over the pixel limit
// (refused before allocating) or when memory runs out.
TImage* ClipBlock_ParsePrivate(const uint8_t* data, size_t size);
