// What the shell reads from and writes to the stored settings (platform/qt/settings.h): the
// canvas-size preset, the palette folder and default palette, the grid and the status bar.
#pragma once

#include <cstdint>
#include <string>

#include "shell/size_presets.h"

class QComboBox;

// The preset of the stored CanvasSize (default 4; an index outside the table gives 4).
const TSizePreset& ReadCanvasPreset();
int32_t ReadCanvasPresetIndex();
// The stored DefaultPaletteFolder, else the user's Documents folder.
std::string ReadPaletteFolder();
// Lists the .pal files of the palette folder (sorted by name) into list and selects the stored
// DefaultPalette: the first entry when none is stored, none when it is not in the list.
// Returns the number of entries.
int FillPaletteList(QComboBox* list);
// 1 when UseGrid is stored and not 0, else 0.
int ReadUseGrid();
// StatusBarVisible of the MainForm key (default 0), and its writer.
int ReadStatusBarVisible();
void WriteStatusBarVisible(int visible);
