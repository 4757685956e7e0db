// libFuzzer target for the .pal reader: any bytes read as a palette file must give -1 or 1 to
// 256 colours, never touch an entry past the count nor any entry's fourth byte.
#include <cstdint>
#include <cstdio>

#include "core/palette.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = (FuzzSetUp(), true);
    (void)ready;
    std::FILE* stream = FuzzOpenInput(data, size);
    if (!stream) return 0;
    TPaletteEntry entries[KPaletteSize + 1];
    for (int i = 0; i <= KPaletteSize; ++i)
        entries[i] = TPaletteEntry{1, 2, 3, uint8_t(i)};
    int count = ReadPaletteStream(entries, stream);
    std::fclose(stream);
    if (count == 0 || count < -1 || count > KPaletteSize) __builtin_trap();
    for (int i = 0; i <= KPaletteSize; ++i) {
        if (entries[i].FReserved != uint8_t(i)) __builtin_trap();
        bool untouched = entries[i].FBlue == 1 && entries[i].FGreen == 2 && entries[i].FRed == 3;
        if (i >= count && !untouched) __builtin_trap();
    }
    return 0;
}
