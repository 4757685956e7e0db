// One palette entry: blue, green, red and an unused fourth byte, the layout of BMP and ICO
// palettes, so a palette is copied byte for byte between files and images.
#pragma once

#include <cstdint>

struct TPaletteEntry {
    uint8_t FBlue;
    uint8_t FGreen;
    uint8_t FRed;
    uint8_t FReserved; // 0 in generated palettes
};
static_assert(sizeof(TPaletteEntry) == 4, "palette entries are stored byte for byte");

// The entry's colour value, red + 256 x green + 65536 x blue.
inline uint32_t PaletteEntryToColor(const TPaletteEntry& e) {
    return uint32_t(e.FRed) | (uint32_t(e.FGreen) << 8) | (uint32_t(e.FBlue) << 16);
}

// Sets blue, green and red from a colour value; the fourth byte is kept.
inline void PaletteEntrySetColor(TPaletteEntry* e, uint32_t color) {
    e->FRed = uint8_t(color);
    e->FGreen = uint8_t(color >> 8);
    e->FBlue = uint8_t(color >> 16);
}
