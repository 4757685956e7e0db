// The string table behind String_Load: one row per string number.
#include "shell/strings.h"

namespace {
struct TStringRow {
    int FId;
    const char* FText;
};

const TStringRow KStrings[] = {
    {KStrProgramName, "Mosaiko"},
    {KStrWindowClass, "MOSAIKO"},
    {KStrSavePrompt, "Do you want to save the changes before closing?"},
};
} // namespace

const char* String_Load(int id) {
    for (const TStringRow& row : KStrings)
        if (row.FId == id) return row.FText;
    return "";
}
