// The Palette Setup dialog: the document's palette in a 16 x 16 grid, a working copy edited by
// channel sliders, number boxes and a hex box, with Load, Save, Default and Gradient. OK copies
// the working palette over the active document's and lets the tool bar re-select its colours;
// Cancel changes nothing. The text tool runs the same dialog as its colour chooser.
#pragma once

#include <cstdint>

#include "core/palette_entry.h"

class QDialog;
class QWidget;
struct PaletteForm;
struct TWorkForm;

// Control ids, each the object name of its control.
enum {
    KPsGridId = 220,
    KPsRedSwatch = 1046,
    KPsRedSlider = 1041,
    KPsRedBox = 1012,
    KPsGreenSwatch = 1047,
    KPsGreenSlider = 1042,
    KPsGreenBox = 1053,
    KPsBlueSwatch = 1048,
    KPsBlueSlider = 1043,
    KPsBlueBox = 1014,
    KPsHexBox = 1013,
    KPsColourSwatch = 1049,
    KPsCells = 16,   // the grid is KPsCells x KPsCells cells
    KPsCellSide = 10 // pixels
};

// One row of controls per channel: swatch, slider, number box.
enum { KPsSwatch = 0, KPsSlider = 1, KPsBox = 2 };

struct TPaletteSetupDialog {
    QDialog* FHandle;             // the dialog window; owned
    PaletteForm* FGrid;           // id 220, bound to FWorking; owned
    int32_t FResult;              // 0 after OK, -1 otherwise
    TPaletteEntry FWorking[256];  // the palette being edited
    TPaletteEntry FOriginal[256]; // the document's palette when the dialog opened
    int32_t FChannels[3][3];      // red, green, blue rows: swatch, slider and number box ids
    uint32_t FResultColour;       // the primary cell's colour at OK, 0x00BBGGRR
    TWorkForm* FForm;             // the document; not owned
    int32_t FShowing;             // 1 while the controls are being brought in step
};

// Runs the dialog modal on the active document. 0 after OK (then *resultColour, when given,
// holds the chosen colour, 0x00BBGGRR); -1 after Cancel or when there is no document
// (EC_NULL_OBJECT, nothing shown) or the grid cannot be made (the error shown).
int PaletteSetup_Run(uint32_t* resultColour);

// The dialog on form's palette, not yet shown, the primary cell 0 shown in the controls. Null
// with the last error when form is null (EC_NULL_OBJECT) or the grid cannot be made.
TPaletteSetupDialog* PaletteSetup_Create(QWidget* parent, TWorkForm* form);
// Destroys the dialog window and frees the record. Returns null.
TPaletteSetupDialog* PaletteSetup_Destroy(TPaletteSetupDialog* dialog);

// Fills the entries strictly between a and b with a ramp from entry a towards entry b, each
// channel stepping by (its value at b - its value at a + 1) / (b - a + 1), truncated. Returns 0;
// -1 (nothing changed) unless 0 <= a, b - a >= 2 and b < 256.
int PaletteSetup_Gradient(TPaletteEntry* entries, int32_t a, int32_t b);
