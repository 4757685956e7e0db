// The default palette, the hue gradient, and the .pal reader and writer.
// .pal lines (line feed or carriage return + line feed ends; any length):
//   ";..."             comment, skipped
//   [blanks]digits...  a colour value; reading stops at the first non-digit, the rest of the
//                      line is ignored; only the low 24 bits count
//   anything else      skipped: blank lines, signs, words
#include "core/palette.h"

#include <cstdio>
#include <string>

#include "core/error.h"
#include "core/hsv.h"
#include "platform/save_file.h"

static const int KHueSteps = 16;                   // hues per ring, 22.5 degrees apart
static const int KGreyFirst = 240;                 // entries 240 to 254 are greys
static const uint32_t KNumberCeiling = 0x7FFFFFFF; // long digit runs saturate here (white)

static void SetHSV(TPaletteEntry* entry, double hue, double saturation, double value) {
    entry->FReserved = 0;
    HSVToRGB(hue, saturation, value, entry);
}

int MakeDefaultPalette(TPaletteEntry* entries) {
    if (!entries) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    int index = 0;
    // The ring values accumulate in double precision; their rounding shows in the bytes.
    for (double s = 0.2; s < 1.0; s += 0.2)
        for (int k = 0; k < KHueSteps; ++k)
            SetHSV(&entries[index++], k * 22.5, s, 1.0);
    for (double v = 1.0; !(v < 1.0 / 12) && index < KGreyFirst; v -= 1.0 / 12)
        for (int k = 0; k < KHueSteps; ++k)
            SetHSV(&entries[index++], k * 22.5, 1.0, v);
    for (int i = 0; i < 15; ++i) {
        uint8_t grey = uint8_t(17 * i);
        entries[KGreyFirst + i] = TPaletteEntry{grey, grey, grey, 0};
    }
    entries[255] = TPaletteEntry{255, 255, 255, 0};
    return 0;
}

int MakeHueGradient(TPaletteEntry* entries, int count) {
    if (!entries) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    double step = 360.0 / count;
    for (int i = 0; i < count; ++i)
        SetHSV(&entries[i], i * step, 1.0, 1.0);
    return 0;
}

static bool IsBlank(int c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}
static bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// Where the reader is within the current line.
enum { LS_START, LS_NUMBER, LS_REST };

// One pass of getc over the file, so a line of any length is one line. Stops once 256 colours
// are stored. Returns the count, or -1 with the last error set.
static int ReadColours(std::FILE* file, TPaletteEntry* entries) {
    // A UTF-8 byte order mark opening the file is no part of the first line.
    static const int KBom[3] = {0xEF, 0xBB, 0xBF};
    int count = 0, state = LS_START, bom = 0, c;
    uint32_t number = 0;
    for (long offset = 0; count < KPaletteSize && (c = std::getc(file)) != EOF; ++offset) {
        if (offset == bom && bom < 3 && c == KBom[bom]) {
            ++bom;
            continue;
        }
        if (state == LS_NUMBER && IsDigit(c)) {
            uint32_t digit = uint32_t(c - '0');
            number = number > (KNumberCeiling - digit) / 10 ? KNumberCeiling : number * 10 + digit;
            continue;
        }
        if (state == LS_NUMBER) {
            PaletteEntrySetColor(&entries[count++], number & 0xFFFFFF);
            state = LS_REST;
        }
        if (c == '\n')
            state = LS_START;
        else if (state == LS_START && IsDigit(c))
            state = LS_NUMBER, number = uint32_t(c - '0');
        else if (state == LS_START && !IsBlank(c))
            state = LS_REST;
    }
    if (std::ferror(file)) return SetLastErrorCode(EC_READ_FAILED), -1;
    // The last line may end without a line feed.
    if (state == LS_NUMBER && count < KPaletteSize)
        PaletteEntrySetColor(&entries[count++], number & 0xFFFFFF);
    if (count == 0) return SetLastErrorCode(EC_UNKNOWN_FORMAT), -1;
    return count;
}

int ReadPaletteStream(TPaletteEntry* entries, std::FILE* file) {
    if (!entries || !file) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    int count = ReadColours(file, entries);
    if (count > 0) ClearLastErrorCode();
    return count;
}

int ReadPaletteFile(TPaletteEntry* entries, const char* path) {
    if (!entries || !path) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return SetLastErrorCode(EC_READ_FAILED), -1;
    int count = ReadPaletteStream(entries, file);
    std::fclose(file);
    return count;
}

int WritePaletteFile(const TPaletteEntry* entries, int count, const char* path) {
    if (!entries || !path || count < 0) return SetLastErrorCode(EC_WRITE_FAILED), -1;
    std::string text;
    text.reserve(size_t(count) * 9);
    char line[16];
    for (int i = 0; i < count; ++i) {
        int length = std::snprintf(line, sizeof line, "%d\n", int(PaletteEntryToColor(entries[i])));
        text.append(line, size_t(length));
    }
    TSaveFile save;
    if (TSaveFile_Open(&save, path) != 0) return SetLastErrorCode(EC_WRITE_FAILED), -1;
    if (TSaveFile_Write(&save, text.data(), text.size()) != 0) {
        TSaveFile_Abort(&save);
        return SetLastErrorCode(EC_WRITE_FAILED), -1;
    }
    if (TSaveFile_Commit(&save) != 0) return SetLastErrorCode(EC_WRITE_FAILED), -1;
    ClearLastErrorCode();
    return 0;
}
