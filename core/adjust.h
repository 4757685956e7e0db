// Whole-image colour adjustments: brightness and contrast through 256-entry byte tables,
// grayscale, invert, and the replacement of one visible colour by the pen's. Each is a single
// pass over the pixel memory without allocation. Only ReplaceColor writes the mask plane (the
// pen's mask value); the others never touch it. Colour counting lives in color_count.h.
#pragma once

#include <cstdint>

struct TImage;

// Every byte of pixel memory, row padding included, becomes truncate(byte x (1 + amount / 100))
// clamped to 0..255, whatever the depth. A missing image (or one without pixel memory) is left
// alone and the last error is not touched.
void TImage_Brightness(TImage* image, int amount);

// The three colour bytes v of every pixel become v + e clamped to 0..255, where
// d = amount x (v - 128) / 128 (truncated) and e = truncate(d + 0.5): positive amounts push
// away from 128, negative ones pull towards it. Row padding and the fourth byte of 32-bit
// pixels are not touched. Returns 0; -1 with EC_NULL_OBJECT for a missing image or pixel memory,
// EC_UNKNOWN_FORMAT for depths other than 24 and 32 (nothing is changed on failure).
int TImage_Contrast(TImage* image, int amount);

// Every pixel's blue, green and red become (59 G + 30 R + 11 B) / 100. Returns 0 and clears the
// last error; failures as TImage_Contrast.
int TImage_Grayscale(TImage* image);

// Every byte of pixel memory, row padding included, becomes 255 - byte, whatever the depth.
// Returns 0; -1 with EC_NULL_OBJECT for a missing image or pixel memory.
int TImage_Invert(TImage* image);

// Every visible pixel (mask bit set, or no mask plane) whose colour value equals color exactly
// is written with FDrawAttr: its colour when FMaskValue is non-zero, and FMaskValue into the mask
// plane. Without a mask plane only the colour is written (a zero mask value changes nothing).
// Any depth; 24-bit images take the fast path. Returns 0; -1 with EC_NULL_OBJECT for a missing
// image or pixel memory.
int TImage_ReplaceColor(TImage* image, uint32_t color);
