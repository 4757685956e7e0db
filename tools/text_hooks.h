// What the text tool takes from the shell: the Text dialog, which asks for the text and its font,
// and the colour chooser the dialog's colour button opens. The shell installs both as one record
// when it exists; until then (and in tests that install nothing) neither runs and no text is
// placed. The records the tool and the dialog share live here too.
#pragma once

#include <cstdint>
#include <string>

class QDialog;

// The font a text is drawn with: what the platform's font description keeps of it.
struct TLogFont {
    int32_t FHeight;       // negative: the character height in pixels; positive: the cell height
    int32_t FWeight;       // 400 normal, 700 bold (1 to 1000)
    int32_t FItalic;       // 0 or 1
    int32_t FUnderline;    // 0 or 1
    int32_t FStrikeOut;    // 0 or 1
    std::string FFaceName; // the font family, UTF-8; empty: the default family
};

// The Text dialog's record: made by the text tool, filled by the dialog, read after OK.
struct TTextForm {
    QDialog* FHandle;  // the dialog window while it runs, else null; not owned by the record
    TLogFont FFont;    // the font chosen
    std::string FText; // UTF-8, at most 256 characters
};

struct TTextHooks {
    // Runs the Text dialog modal on form: 0 after OK with form's font and text set; -1 after
    // Cancel or when the dialog could not run.
    int (*FRunTextDialog)(TTextForm* form);
    // Runs the colour chooser: 0 with *colour (0x00BBGGRR) the colour chosen; -1 when cancelled.
    int (*FChooseColour)(uint32_t* colour);
};

// Installs hooks (copied); null operations in it, or a null record, stand for none.
void TextHooks_Install(const TTextHooks* hooks);
// The installed dialog on form; -1 when none is installed or form is null.
int TextHooks_RunTextDialog(TTextForm* form);
// The installed colour chooser; -1 (*colour untouched) when none is installed.
int TextHooks_ChooseColour(uint32_t* colour);
