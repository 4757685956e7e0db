// Palette data: the generated default palette and hue gradient, and .pal files (plain text,
// one decimal colour value 0x00BBGGRR per line, ";" comments). Uses HSVToRGB for the colours
// and the atomic save helper for writing. No windows or dialogs here.
#pragma once

#include <cstdio>

#include "core/palette_entry.h"

enum { KPaletteSize = 256 }; // entries of a document palette

// Fills 256 entries: four light rings (saturation 0.2 to 0.8), eleven rings of full
// saturation from value 1 down to 2/12, fifteen greys and white. Fourth bytes 0.
// Returns 0; -1 with EC_NULL_OBJECT.
int MakeDefaultPalette(TPaletteEntry* entries);
// Fills count entries with hues 0 to 360 x (count - 1) / count at full saturation and value.
// Fourth bytes 0; count <= 0 fills nothing. Returns 0; -1 with EC_NULL_OBJECT.
int MakeHueGradient(TPaletteEntry* entries, int count);

// Reads up to 256 colours of a .pal file into entries (256 of them). Returns the number
// read, 1 to 256, with the last error cleared. On failure -1 with EC_NULL_OBJECT, EC_READ_FAILED
// (cannot open, or a read error) or EC_UNKNOWN_FORMAT (no colour line). Only the colours read
// are changed (their fourth bytes kept), even on a read error part way.
int ReadPaletteFile(TPaletteEntry* entries, const char* path);
// ReadPaletteFile over a stream the caller owns, read from its position to its end; the stream
// stays open. Same results and errors (EC_NULL_OBJECT for a missing stream).
int ReadPaletteStream(TPaletteEntry* entries, std::FILE* file);
// Writes count entries as "%d\n" lines, atomically: on any failure the file at path is as it
// was and nothing else is left behind. Returns 0 with the last error cleared; -1 with
// EC_WRITE_FAILED (null entries or path, negative count, or the write failed).
int WritePaletteFile(const TPaletteEntry* entries, int count, const char* path);
