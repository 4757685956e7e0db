// The image size presets: the New image dialog's list, the Preference dialog's list and the size
// of the image the editor starts with.
#pragma once

#include <cstdint>

struct TSizePreset {
    const char* FLabel; // at most 32 characters
    int32_t FWidth, FHeight;
};

enum { KSizePresetCount = 10, KDefaultSizePreset = 4 }; // 4 is 32 x 32

// KSizePresetCount entries in table order, then an entry of width 0 that ends the table.
extern const TSizePreset KSizePresets[KSizePresetCount + 1];
