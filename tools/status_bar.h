// The status bar: a row of text panes at the bottom of the main window. Pane 0 takes the tools'
// messages and the status texts, pane 1 the image size. Drawn with the system font at a pixel
// size of 9. Knows nothing of documents.
#pragma once

#include <cstdint>
#include <string>

class QWidget;
class QFont;

enum { KStatusPaneMax = 32, KStatusTextMax = 255 };

struct TStatusPane {
    int32_t FPaneWidth;    // pixels
    std::string FPaneText; // UTF-8, at most 255 characters
    int32_t FPaneStyle;    // drawing flags; 0 plain
};

struct TStatusBar {
    QWidget* FHandle; // the window (object name "StatusBarForm"), a hidden child of the main window
    TStatusPane FPanes[KStatusPaneMax];
    int32_t FPaneCount; // at most 32
    int32_t FPaneGap;   // 1 pixel between panes
    QFont* FFont;       // owned
};

// A hidden status bar along the bottom of parent (the main window's client area), as high as
// the font's text plus 5. Null when it cannot be made.
TStatusBar* TStatusBar_Create(QWidget* parent);
TStatusBar* TStatusBar_Destroy(TStatusBar* bar); // returns null
// count limited to 32; repaints.
void TStatusBar_SetPanes(TStatusBar* bar, int32_t count, const int32_t* widths);
// Outside 0 <= index < FPaneCount nothing. The text is cut to 255 characters; repaints the pane.
void TStatusBar_SetText(TStatusBar* bar, int32_t index, const char* text, int32_t style);
// The width a pane needs to show text whole in the bar's font, its margins included (0 for a
// null bar or text).
int32_t TStatusBar_GetPaneWidthFor(const TStatusBar* bar, const char* text);
// The window's height (text height + 5).
int32_t TStatusBar_GetHeight(const TStatusBar* bar);
