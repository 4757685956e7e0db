// The text tool: asks for a line of text and its font through the Text dialog (text_hooks.h),
// draws it with Qt's font engine into a new surface in the primary colour on a transparent
// background, and floats that surface on the canvas at the tapped point, one undo step. Until it
// is committed the text moves like any floating selection, through a selection tool of the
// tool's own whose moves record nothing.
#pragma once

#include <cstdint>
#include <string>

#include <QFont>

#include "core/rect.h"
#include "tools/text_hooks.h"
#include "tools/tool.h"

struct TLayer;

struct TText {
    TTool FTool;
    TTool* FMover; // a TTI_SELECTION tool with FRecordMoves 0; owned
    TPoint FPos;   // document pixels: where the next text goes; (0, 0) at first
};

// The text tool (TTI_TEXT); null without memory (EC_NO_MEMORY).
TTool* TText_Create();

// The Qt font of font: its family, height, weight and styles, drawn without antialiasing.
QFont TText_MakeFont(const TLogFont& font);

// Draws text in font into a new surface at (0, 0), one letter "i" wider than the text measures
// and as high as the font: the glyph pixels colour and visible, everything else transparent
// black. 0 with *surface the new surface, or null when the text is empty or measures nothing;
// -1 with the last error (*surface null) when the surface cannot be made.
int TText_Render(const std::string& text, const TLogFont& font, uint32_t colour, TLayer** surface);
