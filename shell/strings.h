// The program's string table: the texts the shell loads by number (the program name, the main
// window's class name, the save prompt). Numbers never change; unknown numbers give "".
#pragma once

enum {
    KStrProgramName = 1,   // "Mosaiko": the main window's title and the caption of its boxes
    KStrWindowClass = 3,   // "MOSAIKO": the main window's class (its object name)
    KStrSavePrompt = 40166 // the question before a modified document is closed
};

// The text of string id, UTF-8; "" for an id the table does not hold. Never null.
const char* String_Load(int id);
