// TImage, the one pixel container: eight pixel formats, rows padded to 32 bits, optional
// bottom-up row order, a 256-entry palette and an optional 1-bit mask plane (set bit = visible).
// Owns its pixel memory unless TIF_EXTBITS says a platform bitmap lends it. No file formats
// here beyond the dispatch by name (image_file.cpp); no windows.
#pragma once

#include <cstdint>

#include "core/draw_attr.h"
#include "core/palette_entry.h"
#include "core/rect.h"

enum {
    TIF_HASMASK = 1,  // FMask exists
    TIF_BOTTOMUP = 2, // the first row in memory is the bottom row of the picture
    TIF_EXTBITS = 8   // FBits belongs to someone else and is never freed here
};

struct TImage {
    int32_t FWidth;         // pixels
    int32_t FHeight;        // pixels
    int32_t FSize;          // bytes of pixel memory, FStride x FHeight
    uint8_t* FBits;         // pixel memory; null when allocation failed
    int32_t FLineWidth;     // width as given to platform bitmap headers, = FWidth
    int32_t FStride;        // bytes per row, a multiple of 4
    uint8_t FBytesPerPixel; // (FBitsPerPixel + 7) / 8
    uint8_t FBitsPerPixel;  // 1, 2, 4, 8, 15, 16, 24 or 32
    uint32_t FBlueMask, FGreenMask, FRedMask, FAlphaMask; // 0 for paletted formats
    uint32_t FFlags;                                      // TIF_ bits
    int32_t FPaletteCount;                                // entries in use
    TPaletteEntry FPalette[256];
    TImage* FMask;       // 1-bit mask plane with the parent's row order, or null
    TDrawAttr FDrawAttr; // attributes of the drawing primitives
    int32_t FLineStyle;  // 0 solid, 1 dotted, 2 dashed
    TRectLTRB FClipRect; // clip of the checked writes, right and bottom exclusive
    int32_t FClipOn;     // non-zero when FClipRect applies
    int32_t FIconIndex;  // image of an icon file the next load reads; survives a reload
};

// The most pixel memory (FStride x FHeight of the colour plane) one image may take, in bytes.
// 1 GiB unless set; creation and every reader refuse more with EC_NO_MEMORY.
void TImage_SetPixelLimit(uint64_t bytes);
uint64_t TImage_GetPixelLimit();
// Bytes per row of a width at a depth, in 64 bits (no overflow for any int32 width).
uint64_t TImage_StrideFor(int64_t width, int bits);
// 0 when an image of width x height at bits fits the limit; else -1 with EC_NO_MEMORY.
// Negative sizes are refused the same way.
int TImage_CheckSize(int64_t width, int64_t height, int bits);

// Creation and release. A failed Init leaves the fields set and FBits null.
// Returns a new image, or null with EC_NO_MEMORY.
TImage* TImage_Create(int32_t width, int32_t height, int bits, uint32_t flags);
// Returns 0; -1 with EC_NULL_OBJECT or EC_NO_MEMORY.
int TImage_Init(TImage* image, int32_t width, int32_t height, int bits, uint32_t flags);
// Creates *image when it is null, else releases its content; then Init. 0, or -1.
int TImage_Reset(TImage** image, int32_t width, int32_t height, int bits, uint32_t flags);
void TImage_Clear(TImage* image);
TImage* TImage_Destroy(TImage* image); // returns null
// Frees owned pixel memory and borrows bits instead (sets TIF_EXTBITS). 0, or -1.
int TImage_AttachBits(TImage* image, uint8_t* bits);

// Pixel access; x, y in picture coordinates, y = 0 at the top.
// Unchecked: the caller guarantees the coordinates (and, for masked writes, a mask plane).
uint32_t TImage_GetPixel(const TImage* image, int32_t x, int32_t y);
void TImage_SetPixel(TImage* image, int32_t x, int32_t y, uint32_t value);
uint32_t TImage_GetPixelMasked(const TImage* image, int32_t x, int32_t y, uint32_t* color);
void TImage_SetPixelMasked(TImage* image, int32_t x, int32_t y, uint32_t color, uint32_t mask);
// Checked: outside the image (or the clip, for writes) nothing happens and reads give 0.
uint32_t TImage_GetPixelSafe(const TImage* image, int32_t x, int32_t y);
void TImage_SetPixelSafe(TImage* image, int32_t x, int32_t y, uint32_t value);
uint32_t TImage_GetPixelMaskedSafe(const TImage* image, int32_t x, int32_t y, uint32_t* color);
void TImage_SetPixelMaskedSafe(TImage* image, int32_t x, int32_t y, uint32_t color, uint32_t mask);

// Rows and whole-image operations.
uint8_t* TImage_GetRow(const TImage* image, int32_t y);        // unchecked
uint8_t* TImage_GetRowSafe(const TImage* image, int32_t y);    // null outside or for no image
int TImage_FillMask(TImage* image, int visible);               // 0, or -1 (EC_NULL_OBJECT)
void TImage_SetClipRect(TImage* image, const TRectLTRB* rect); // null turns clipping off
int TImage_InBounds(const TImage* image, int32_t x, int32_t y);
int TImage_InClip(const TImage* image, int32_t x, int32_t y);
void TImage_GetDrawAttr(const TImage* image, TDrawAttr* out);
void TImage_SetDrawAttr(TImage* image, const TDrawAttr* attr);
int32_t TImage_PaletteBytes(const TImage* image);
void TImage_SwapRedBlue(TImage* image); // 24-bit images: first and third byte of every pixel
uint32_t SwapColorRB(uint32_t value);   // 0x00BBGGRR <-> 0x00RRGGBB

// Files by name (image_file.cpp). Types: 0 unknown, 2 BMP, 3 JPEG, 4 ICO, 5 PNG.
enum { TFT_UNKNOWN = 0, TFT_BMP = 2, TFT_JPEG = 3, TFT_ICO = 4, TFT_PNG = 5 };
int TImage_GetFileType(const char* name);
// Keeps FIconIndex across the clear; returns the reader's result (0 on success), -1 for an
// unknown type. A failed load leaves a partly filled image that the caller discards.
int TImage_LoadFile(TImage* image, const char* name);
int TImage_SaveFile(TImage* image, const char* name); // 0, or -1
// A reduced copy fitting box (width and height limits) for thumbnails; 0, or -1 with the
// image cleared.
int TImage_LoadPreview(TImage* image, const char* name, const TRectXYWH* box);
