// Hue, saturation and value to a palette entry: the one colour model the generated palettes
// (default palette, hue gradient) are built from. Pure arithmetic in double precision; no
// images, no files.
#pragma once

#include "core/palette_entry.h"

// Hue in degrees (360 counts as 0), saturation and value from 0.0 to 1.0. Writes blue, green
// and red of *out and leaves its fourth byte alone. Any input, however far out of range
// (negative, huge, not a number), gives bytes in 0..255 without undefined conversions.
// Returns 0; -1 with EC_NULL_OBJECT when out is null.
int HSVToRGB(double hue, double saturation, double value, TPaletteEntry* out);
