// The image size presets, in the order the dialogs list them; the stored canvas size is an
// index into this table, so entries are only ever added at the end.
#include "shell/size_presets.h"

const TSizePreset KSizePresets[KSizePresetCount + 1] = {
    {"8x8", 8, 8},         // 0
    {"12x12", 12, 12},     // 1
    {"16x16", 16, 16},     // 2
    {"24x24", 24, 24},     // 3
    {"32x32", 32, 32},     // 4
    {"48x48", 48, 48},     // 5
    {"64x64", 64, 64},     // 6
    {"96x96", 96, 96},     // 7
    {"128x128", 128, 128}, // 8
    {"255x255", 255, 255}, // 9
    {"", 0, 0},
};
