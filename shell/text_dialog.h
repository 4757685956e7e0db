// The Text dialog (the text tool's): a line of text, a font family of the installed ones, a
// height of 8 to 100 pixels, bold, italic, underline and strike-out, a preview in the primary
// colour and a colour button that opens Palette Setup as a colour chooser. It remembers the last
// text and font in the stored settings (group TextForm). The shell installs it, with Palette
// Setup, as the text tool's hooks; drawing the text is the tool's.
#pragma once

#include <cstdint>

#include <QString>
#include <QStringList>

class QWidget;
struct TTextForm;

enum {
    KTextEdit = 1012,
    KTextBold = 1031,
    KTextItalic = 1032,
    KTextUnderline = 1033,
    KTextStrikeOut = 1034,
    KTextFontList = 1035,
    KTextPreview = 1036,
    KTextHeightList = 1037,
    KTextColourButton = 1049,
    KTextMaxChars = 256,  // the longest text, in characters
    KTextFirstHeight = 8, // the height list's first entry, pixels
    KTextLastHeight = 100 // and its last
};

// Builds the dialog for form into form->FHandle (modal to parent, not shown), its controls set
// from the stored settings and form->FFont from them. Returns 0; -1 with EC_NULL_OBJECT for a
// null form.
int TextForm_Create(TTextForm* form, QWidget* parent);
// Destroys form->FHandle, if any; the record itself stays the caller's.
void TextForm_Destroy(TTextForm* form);
// Runs the dialog modal to the main window, with its menu bar inactive meanwhile. 0 after OK
// (form's text and font set, the settings saved); -1 after Cancel or for a null form.
int TextForm_Run(TTextForm* form);

// The entry of families that stands for face: one whose name equals face (case aside), else the
// first from entry 1 on, wrapping round to entry 0 last, whose name begins with it; 0 when none
// does.
int TextForm_FindFace(const QStringList& families, const QString& face);

// Makes the Text dialog and Palette Setup the text tool's hooks.
void TextDialog_InstallHooks();
