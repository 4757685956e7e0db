// The drawing services the editor takes from its platform, written here over our own pixel
// memory: memory device contexts, bitmaps (1, 24 and 32 bits), solid pens and brushes,
// rectangular clip regions, rectangles, ellipses, lines, set-pixel, and the block and
// stretching transfers. Every figure is rasterised by this code once into row spans and the
// spans are then written at the bitmap's depth, so a figure covers the same pixels in a 24-bit
// colour plane and a 1-bit mask plane. No Qt and nothing of core/ here: failures are reported by
// return values (null handles, 0) and the callers choose the error codes.
#pragma once

#include <cstdint>

// Colour values are 0x00BBGGRR (red in the low byte), as everywhere in the program.
typedef uint32_t TGdiColor;
enum : uint32_t { GDI_CLR_INVALID = 0xFFFFFFFFu }; // what a failed pixel read or write returns

struct TGdiRect {
    int32_t left, top, right, bottom; // right and bottom exclusive
};

struct TGdiPoint {
    int32_t x, y;
};

// A memory device context: the selected bitmap, pen and brush, a clip rectangle, the drawing
// mode and the current position (and, reserved for text drawing, a font and text colours).
// Opaque; created by Gdi_CreateCompatibleDC, released by Gdi_DeleteDC.
struct TGdiDC;

// A bitmap, pen, brush or region, tagged with its kind. Opaque; released by Gdi_DeleteObject.
struct TGdiObject;

enum {
    GDI_OBJ_BITMAP = 1,
    GDI_OBJ_PEN = 2,
    GDI_OBJ_BRUSH = 3,
    GDI_OBJ_REGION = 4,
    GDI_OBJ_FONT = 5 // reserved for the text tool; nothing creates one yet
};

// Raster operation codes of the transfers (the platform's numbers). Only the copy is done;
// every other code is refused.
enum : uint32_t { GDI_SRCCOPY = 0xCC0020u };

// Drawing modes (Gdi_SetROP2).
enum {
    GDI_R2_NOT = 6,     // every pixel the figure covers becomes its inverse (colour ignored)
    GDI_R2_COPYPEN = 13 // the figure is drawn in its pen's and brush's colours
};

// Pen styles.
enum { GDI_PS_SOLID = 0, GDI_PS_NULL = 5 };

// Stock objects: shared, never freed; Gdi_DeleteObject on them does nothing and succeeds.
enum {
    GDI_WHITE_BRUSH = 0,
    GDI_BLACK_BRUSH = 4,
    GDI_NULL_BRUSH = 5,
    GDI_WHITE_PEN = 6,
    GDI_BLACK_PEN = 7,
    GDI_NULL_PEN = 8,
    GDI_DEFAULT_BITMAP = 21 // the 1 x 1 1-bit bitmap a new context holds
};

// The widest pen Gdi_CreatePen accepts.
enum { GDI_MAX_PEN_WIDTH = 1024 };

// What Gdi_GetBitmapInfo reports about a bitmap.
struct TGdiBitmapInfo {
    int32_t FWidth;        // pixels
    int32_t FHeight;       // pixels
    int32_t FBitsPerPixel; // 1, 24 or 32
    int32_t FStride;       // bytes per row in memory, a multiple of 4
    int32_t FSizeImage;    // bytes of pixel memory, FStride x FHeight
    int32_t FBottomUp;     // 1 when the first row in memory is the bottom row of the picture
    int32_t FOwnsBits;     // 1 when the memory was allocated by the bitmap (freed with it)
    uint8_t* FBits;        // the pixel memory
};

// ---- Device contexts -------------------------------------------------------------------------

// A new memory context holding the default objects: GDI_DEFAULT_BITMAP, GDI_BLACK_PEN,
// GDI_WHITE_BRUSH, no clip, GDI_R2_COPYPEN, position (0, 0). reference may be null; it is not
// looked at (every memory context is alike). Null when memory runs out.
TGdiDC* Gdi_CreateCompatibleDC(TGdiDC* reference);
// Releases the context; the objects selected into it stay valid and are no longer selected
// (selecting the old objects back first, as the platform asks, is allowed and not needed).
// Returns 1; 0 for null.
int Gdi_DeleteDC(TGdiDC* dc);

// ---- Bitmaps ---------------------------------------------------------------------------------

// A device-independent bitmap of width x height at bits (1, 24 or 32) per pixel whose pixel
// memory is allocated zero-filled and owned by the bitmap; rows are padded to 4 bytes. With
// bottomUp the first row in memory is the bottom row. *bitsOut (when given) receives the memory,
// which stays valid until the bitmap is deleted.
// 1-bit bitmaps have the colour table black (index 0), white (index 1): a colour is written as
// the nearer of the two, i.e. index 1 when red + green + blue > 382, so 0xFFFFFF sets bits and 0
// clears them. 32-bit pixels are bytes blue, green, red, X; every pixel this code writes gets
// X = 0xFF (the layout of an opaque QImage::Format_RGB32).
// Null (and *bitsOut null) for other depths, a size below 1, more than 2^31 - 1 bytes of pixel
// memory, or no memory.
TGdiObject* Gdi_CreateDIBSection(int32_t width, int32_t height, int bits, int bottomUp,
                                 void** bitsOut);
// A bitmap over memory that belongs to the caller (a window's backing image, for example):
// nothing is copied or freed, and the memory must outlive the bitmap. stride is the byte distance
// between rows in memory, at least the row's bytes, a multiple of 4. Null for a null memory,
// a bad depth, size or stride.
TGdiObject* Gdi_CreateBitmapOver(int32_t width, int32_t height, int bits, int bottomUp,
                                 int32_t stride, void* memory);
// An off-screen bitmap for render buffers: always 32 bits, top-down, opaque black (B, G, R = 0,
// X = 0xFF), whatever the reference context holds (reference may be null). Null as above.
TGdiObject* Gdi_CreateCompatibleBitmap(TGdiDC* reference, int32_t width, int32_t height);
// Fills *info. Returns 1; 0 (info untouched) when bitmap is null or not a bitmap, or info null.
int Gdi_GetBitmapInfo(const TGdiObject* bitmap, TGdiBitmapInfo* info);

// ---- Pens, brushes, regions, objects ---------------------------------------------------------

// A pen of style GDI_PS_SOLID or GDI_PS_NULL, width pixels (0 counts as 1) and colour. Null for
// another style, a width below 0 or above GDI_MAX_PEN_WIDTH, or no memory.
TGdiObject* Gdi_CreatePen(int style, int32_t width, TGdiColor color);
TGdiObject* Gdi_CreateSolidBrush(TGdiColor color); // null when memory runs out
// A rectangle region; the corners are put in order (left <= right, top <= bottom).
TGdiObject* Gdi_CreateRectRgn(int32_t left, int32_t top, int32_t right, int32_t bottom);
// One of the GDI_ stock objects above, or null for another number.
TGdiObject* Gdi_GetStockObject(int which);
// The object's GDI_OBJ_ kind, or 0 for null.
int Gdi_GetObjectKind(const TGdiObject* object);

// Selects a bitmap, pen or brush into dc and returns the object of that kind it held before
// (for the caller to select back). Null, with nothing changed, when dc or object is null, the
// object is a region (use Gdi_SelectClipRgn), or it is a bitmap already selected into another
// context (a bitmap lives in one context at a time; stock objects
// excepted). Selecting what dc already holds returns it.
TGdiObject* Gdi_SelectObject(TGdiDC* dc, TGdiObject* object);
// The object of a GDI_OBJ_ kind dc holds (bitmap, pen or brush), or null.
TGdiObject* Gdi_GetCurrentObject(const TGdiDC* dc, int kind);
// Deletes the object. Returns 1; 0, with nothing done, for null or an object still selected
// into a context (select the old object back first, as on the platform). Stock objects: 1,
// nothing done.
int Gdi_DeleteObject(TGdiObject* object);

// ---- Clip and drawing mode -------------------------------------------------------------------

// Copies the rectangle of region rgn as dc's clip (the region may be deleted afterwards); null
// removes the clip. The clip is in the bitmap's pixel coordinates; every drawing operation and
// the destination of every transfer honour it. Returns 1; 0 for a null dc or a non-region.
int Gdi_SelectClipRgn(TGdiDC* dc, const TGdiObject* rgn);
// The rectangle dc can draw into: the clip (when set) intersected with the selected bitmap.
// Returns 1 when it is not empty, 0 when empty or dc/rect is null (rect then all 0).
int Gdi_GetClipBox(const TGdiDC* dc, TGdiRect* rect);
// Sets the drawing mode of rectangles, ellipses and lines (GDI_R2_COPYPEN or GDI_R2_NOT) and
// returns the previous one; 0 (nothing changed) for a null dc or another mode. Set-pixel, fill-
// rectangle and the transfers are not affected, as on the platform.
int Gdi_SetROP2(TGdiDC* dc, int mode);
int Gdi_GetROP2(const TGdiDC* dc); // 0 for null

// ---- Figures ---------------------------------------------------------------------------------
// Drawing into a context draws into its selected bitmap, inside its clip. A figure drawn with
// GDI_R2_NOT inverts each pixel it covers exactly once, so drawing it twice restores the bitmap.
// Each returns 1 when the figure was handled (also when it lands wholly outside the clip), 0 for
// a null dc.
//
// Rectangle and ellipse take a box whose corners are put in order first; its right and bottom
// edges are excluded: with a pen of width 1 the box (2, 2)-(5, 5) covers pixels 2 to 4 on each
// axis. An empty box (left == right or top == bottom after ordering) draws nothing.
// The pen is centred on the width-1 outline: a pen of width w covers w / 2 pixels outside it
// (integer division) and the rest inside. The brush fills what lies inside the pen. With the
// null pen the brush fills exactly what the width-1 figure covers (outline and inside); with the
// null brush only the outline is drawn.

// Rectangle: the width-1 outline is the box's first and last row and column; a wider pen is a
// w x w square swept along it (square corners).
int Gdi_Rectangle(TGdiDC* dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Ellipse, symmetric about both axes of its box. Take the centre midway between the centres of
// the box's first and last pixel column and row, and a = (right - 1 - left) / 2,
// b = (bottom - 1 - top) / 2. The pen covers the pixels whose centres lie inside the ellipse of
// semi-axes a + w/2, b + w/2 and that are not interior pixels (all four neighbours inside too)
// of the ellipse of semi-axes a - w/2 + 1, b - w/2 + 1; those interior pixels are the brush's.
// At width 1 this is the closed 8-connected outline of the pixels inside a + 1/2, b + 1/2.
// Exact integer arithmetic, so the same box gives the same pixels anywhere.
int Gdi_Ellipse(TGdiDC* dc, int32_t left, int32_t top, int32_t right, int32_t bottom);
// Fills the rectangle (right and bottom exclusive, corners put in order) with brush (null brush:
// nothing) without the pen and regardless of the drawing mode. 0 for a null dc, rect or brush.
int Gdi_FillRect(TGdiDC* dc, const TGdiRect* rect, const TGdiObject* brush);

// Moves the current position; *old (when given) receives the previous one. 0 for a null dc.
int Gdi_MoveTo(TGdiDC* dc, int32_t x, int32_t y, TGdiPoint* old);
// Draws a line from the current position to (x, y) with the pen and makes (x, y) current.
// Width 1: the Bresenham pixels from the start, excluding the end point (a line to the current
// position draws nothing); with |dx| >= |dy| the pixel of column x0 + i is at row
// y0 + floor((2 i |dy| + |dx|) / (2 |dx|)) towards y1, and likewise with the axes swapped.
// Width w > 1: a round pen stamped on every such pixel including both end points (round caps).
// The pen is the part of a w x w square whose pixel centres lie within w/2 of the square's
// centre; the square's top-left is w / 2 pixels left of and above the line's pixel. The union is
// drawn once, so GDI_R2_NOT inverts each covered pixel once. The null pen draws nothing.
int Gdi_LineTo(TGdiDC* dc, int32_t x, int32_t y);

// Sets one pixel to color (as the bitmap stores it: nearest of black and white on 1-bit) and
// returns the colour stored; GDI_CLR_INVALID outside the bitmap or the clip, or for a null dc.
// The drawing mode does not apply.
TGdiColor Gdi_SetPixel(TGdiDC* dc, int32_t x, int32_t y, TGdiColor color);
// The pixel's colour (1-bit: 0 or 0xFFFFFF); GDI_CLR_INVALID outside the bitmap or null dc.
// The clip does not apply to reading.
TGdiColor Gdi_GetPixel(const TGdiDC* dc, int32_t x, int32_t y);

// ---- Transfers -------------------------------------------------------------------------------
// Both take rop GDI_SRCCOPY (anything else: 0, nothing drawn). The destination rectangle is
// clipped to the destination bitmap and clip; destination pixels whose source pixel lies outside
// the source bitmap are left as they were. Depths: any of 1, 24, 32 into any; colour to 1-bit
// takes the nearer of black and white, 1-bit to colour gives black or white (32-bit with
// X = 0xFF). Return 1 when done (also when nothing was left after clipping or w or h is 0), 0 for
// null contexts, negative sizes or a refused rop.

// Copies the w x h block at (sx, sy) of src to (x, y) of dst. src and dst may be one context,
// or share one bitmap, with overlapping blocks: the result is that of a copy through a
// temporary block.
int Gdi_BitBlt(TGdiDC* dst, int32_t x, int32_t y, int32_t w, int32_t h, TGdiDC* src, int32_t sx,
               int32_t sy, uint32_t rop);
// Stretches the sw x sh block at (sx, sy) of src into the w x h block at (x, y) of dst:
// destination pixel (x + i, y + j) takes source pixel (sx + floor(i sw / w), sy + floor(j sh / h)),
// so at an integer zoom z every source pixel becomes a whole z x z block, and a reduction keeps
// the first pixel of each group. The cost follows the destination rectangle after clipping;
// nothing is allocated. Equal sizes are a Gdi_BitBlt. Also 0 when sw or sh is 0, or when source
// and destination bitmap are one and the sizes differ (a stretch within one bitmap is refused).
int Gdi_StretchBlt(TGdiDC* dst, int32_t x, int32_t y, int32_t w, int32_t h, TGdiDC* src, int32_t sx,
                   int32_t sy, int32_t sw, int32_t sh, uint32_t rop);
