// The text tool: a tap with no selection (or choosing the tool) asks for a text through the
// installed Text dialog, draws it into a new surface and floats that at the tapped point; while
// a selection exists the stylus goes to the tool's own selection tool, which drags the text or
// commits it on a tap outside. Glyphs come from Qt's font engine without antialiasing, so each
// pixel is fully drawn or not and the colour and mask planes cover the same pixels. Uses the
// work form for the selection and the tool bar for the primary colour; the shell only through
// the hooks.
#include "tools/text.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <new>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QString>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/work_form.h"
#include "platform/gdi.h"
#include "tools/selection.h"
#include "tools/tool_bar.h"

enum { KNormalWeight = 400, KMaxWeight = 1000 };

static TTextHooks GHooks = {nullptr, nullptr};

void TextHooks_Install(const TTextHooks* hooks) {
    GHooks = hooks ? *hooks : TTextHooks{nullptr, nullptr};
}

int TextHooks_RunTextDialog(TTextForm* form) {
    return form && GHooks.FRunTextDialog ? GHooks.FRunTextDialog(form) : -1;
}

int TextHooks_ChooseColour(uint32_t* colour) {
    return colour && GHooks.FChooseColour ? GHooks.FChooseColour(colour) : -1;
}

// ---- Fonts and drawing ----

QFont TText_MakeFont(const TLogFont& logFont) {
    QFont font;
    if (!logFont.FFaceName.empty()) font.setFamily(QString::fromStdString(logFont.FFaceName));
    font.setStyleStrategy(QFont::NoAntialias);
    int64_t height = logFont.FHeight;
    if (height < 0) {
        font.setPixelSize(int(std::min<int64_t>(-height, INT_MAX)));
    } else if (height > 0) {
        // A cell height: the character height that makes ascent and descent fit it.
        font.setPixelSize(int(height));
        QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
        int cell = QFontMetrics(font, &probe).height();
        if (cell > height) font.setPixelSize(int(std::max<int64_t>(1, height * height / cell)));
    }
    int32_t weight = logFont.FWeight;
    if (weight < 1 || weight > KMaxWeight) weight = KNormalWeight;
    font.setWeight(QFont::Weight(weight));
    font.setItalic(logFont.FItalic != 0);
    font.setUnderline(logFont.FUnderline != 0);
    font.setStrikeOut(logFont.FStrikeOut != 0);
    return font;
}

// Writes the glyph pixels of glyphs (alpha of half or more) into both planes of surface, row by
// row as spans: colour into the colour plane, white (visible) into the mask plane.
static int CopyGlyphs(const QImage& glyphs, TLayer* surface, uint32_t colour) {
    if (!surface->FDC || !surface->FMaskDC) return SetLastErrorCode(EC_NULL_DC), -1;
    TGdiObject* brush = Gdi_CreateSolidBrush(colour & 0xFFFFFF);
    if (!brush) return SetLastErrorCode(EC_GDI_OBJECT), -1;
    TGdiObject* visible = Gdi_GetStockObject(GDI_WHITE_BRUSH);
    for (int y = 0; y < glyphs.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(glyphs.constScanLine(y));
        int x = 0;
        while (x < glyphs.width()) {
            while (x < glyphs.width() && qAlpha(row[x]) < 128)
                ++x;
            int start = x;
            while (x < glyphs.width() && qAlpha(row[x]) >= 128)
                ++x;
            if (x == start) continue;
            TGdiRect span = {start, y, x, y + 1};
            Gdi_FillRect(surface->FDC, &span, brush);
            Gdi_FillRect(surface->FMaskDC, &span, visible);
        }
    }
    Gdi_DeleteObject(brush);
    return 0;
}

int TText_Render(const std::string& text, const TLogFont& logFont, uint32_t colour,
                 TLayer** surface) {
    if (!surface) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    *surface = nullptr;
    QString string = QString::fromUtf8(text.data(), qsizetype(text.size()));
    if (string.isEmpty()) return 0;
    QFont font = TText_MakeFont(logFont);
    // Measured on an image, as it will be drawn: the screen's scale plays no part.
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    QFontMetrics metrics(font, &probe);
    int64_t textWidth = metrics.horizontalAdvance(string);
    int64_t height = metrics.height();
    if (textWidth <= 0 || height <= 0) return 0;
    int64_t width = textWidth + metrics.horizontalAdvance(QLatin1Char('i'));
    if (width > INT32_MAX || TImage_CheckSize(width, height, 24) != 0)
        return SetLastErrorCode(EC_NO_MEMORY), -1;
    QImage glyphs(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (glyphs.isNull()) return SetLastErrorCode(EC_NO_MEMORY), -1;
    glyphs.fill(Qt::transparent);
    {
        QPainter painter(&glyphs);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QPoint(0, metrics.ascent()), string);
    }
    TLayer* made = TLayer_Create(int32_t(width), int32_t(height));
    if (!made || !made->FImage || TLayer_Erase(made, nullptr) != 0 ||
        CopyGlyphs(glyphs, made, colour) != 0) {
        int code = made ? GetLastErrorCode() : EC_NO_MEMORY;
        TLayer_Destroy(made);
        return SetLastErrorCode(code ? code : EC_NO_MEMORY), -1;
    }
    *surface = made;
    return 0;
}

// ---- The tool ----

static TText* AsText(TTool* tool) {
    return reinterpret_cast<TText*>(tool);
}

// Asks for a text and floats it at FPos. Cancel, an empty text or one that measures nothing
// leave the document and its selection as they were.
static void PlaceText(TText* tool, TWorkForm* form) {
    if (!TTool_DrawingSurface(form)) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return;
    }
    TTextForm* dialog = new (std::nothrow) TTextForm();
    if (!dialog) {
        SetLastErrorCode(EC_NO_MEMORY);
        ShowLastError();
        return;
    }
    int answer = TextHooks_RunTextDialog(dialog);
    // The document may have gone while the dialog ran.
    if (answer != 0 || TWorkForm_GetActive() != form || !TTool_DrawingSurface(form)) {
        delete dialog;
        return;
    }
    TLayer* surface = nullptr;
    int drawn = TText_Render(dialog->FText, dialog->FFont, TToolBar_GetPrimaryColor(), &surface);
    delete dialog;
    if (drawn != 0) {
        ShowLastError();
        return;
    }
    if (!surface) return;
    TLayer_SetPos(surface, tool->FPos.x, tool->FPos.y);
    TWorkForm_CommitSelection(form);
    TWorkForm_FloatSurface(form, surface); // shows its own failure
    TLayer_Destroy(surface);
}

static int TextDown(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    TText* tool = AsText(base);
    if (!form) return 0;
    if (form->FSelectMode != TSM_NONE) return TTool_Down(tool->FMover, form, x, y);
    tool->FPos = TWorkForm_ClientToImage(form, {x, y});
    PlaceText(tool, form);
    return 1;
}

static int TextMove(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    if (!form || form->FSelectMode == TSM_NONE) return 0;
    return TTool_Move(AsText(base)->FMover, form, x, y);
}

static int TextUp(TTool* base, TWorkForm* form, int32_t x, int32_t y) {
    if (!form || form->FSelectMode == TSM_NONE) return 0;
    return TTool_Up(AsText(base)->FMover, form, x, y);
}

static void TextCancel(TTool* base, TWorkForm* form) {
    TTool_Stylus(AsText(base)->FMover, form, TWE_CANCEL, 0, 0);
}

static void TextActivate(TTool* base) {
    PlaceText(AsText(base), TWorkForm_GetActive());
}

static void TextDeactivate(TTool* base) {
    TTool_Deactivate(AsText(base)->FMover);
    TWorkForm_CommitSelection(TWorkForm_GetActive());
}

static void TextDestroy(TTool* base) {
    TTool_Destroy(AsText(base)->FMover);
    std::free(base);
}

TTool* TText_Create() {
    TTool* base = TTool_Alloc(TTI_TEXT, sizeof(TText));
    if (!base) return nullptr;
    TTool* mover = TSelection_Create(TTI_SELECTION);
    if (!mover) {
        std::free(base);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    reinterpret_cast<TSelectionTool*>(mover)->FRecordMoves = 0;
    TText* tool = AsText(base);
    tool->FMover = mover;
    base->FDestroy = TextDestroy;
    base->FOnDown = TextDown;
    base->FOnMove = TextMove;
    base->FOnUp = TextUp;
    base->FOnActivate = TextActivate;
    base->FOnDeactivate = TextDeactivate;
    base->FOnCancel = TextCancel;
    return base;
}
