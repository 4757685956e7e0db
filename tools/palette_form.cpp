// PaletteForm: the record, its widget, the drawing of the grid into the off-screen buffer and the
// stylus handling. Every paint draws the whole grid into the buffer from the bound entries (a
// few hundred cells, cheaper than tracking what changed), so redrawing a cell is repainting its
// rectangle of the window and owners that change entries only ask for a repaint. The release
// command goes to the owner through a posted call (platform/qt/timer).
#include "tools/palette_form.h"

#include <cstdlib>
#include <new>

#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QWidget>
#include <QtMath>

#include "core/error.h"
#include "platform/qt/colour.h"
#include "platform/qt/timer.h"

namespace {
enum { KColourCount = 256, KMaxSide = 4096 };

class TPaletteWidget final : public QWidget {
  public:
    TPaletteWidget(QWidget* parent, PaletteForm* form) : QWidget(parent), FForm(form) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    ~TPaletteWidget() override {
        // Destroyed with its parent: the record must not delete the widget again.
        if (FForm) FForm->FHandle = nullptr;
    }
    TPaletteWidget(const TPaletteWidget&) = delete;
    TPaletteWidget& operator=(const TPaletteWidget&) = delete;
    void Detach() { FForm = nullptr; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !FForm) return;
        PaletteForm_StylusDown(FForm, X(event), Y(event));
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (FForm) PaletteForm_StylusMove(FForm, X(event), Y(event));
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !FForm) return;
        PaletteForm_StylusUp(FForm, X(event), Y(event));
    }

  private:
    // Floored, so a point a fraction left of or above the grid stays outside it.
    static int32_t X(const QMouseEvent* event) { return qFloor(event->position().x()); }
    static int32_t Y(const QMouseEvent* event) { return qFloor(event->position().y()); }

    PaletteForm* FForm;
};

// Fills the rectangle (x, y, w, h) of image, clipped to the image.
void FillRect(QImage* image, int32_t x, int32_t y, int32_t w, int32_t h, QRgb pixel) {
    int32_t left = qMax(x, 0), top = qMax(y, 0);
    int32_t right = qMin(x + w, image->width()), bottom = qMin(y + h, image->height());
    for (int32_t row = top; row < bottom; ++row) {
        QRgb* line = reinterpret_cast<QRgb*>(image->scanLine(row));
        for (int32_t col = left; col < right; ++col)
            line[col] = pixel;
    }
}

// The one-pixel outline just inside the rectangle (x, y, w, h).
void OutlineRect(QImage* image, int32_t x, int32_t y, int32_t w, int32_t h, QRgb pixel) {
    if (w <= 0 || h <= 0) return;
    FillRect(image, x, y, w, 1, pixel);
    FillRect(image, x, y + h - 1, w, 1, pixel);
    FillRect(image, x, y, 1, h, pixel);
    FillRect(image, x + w - 1, y, 1, h, pixel);
}

int32_t CellCount(const PaletteForm* form) {
    return form->FColumns * form->FRows;
}

bool IsCell(const PaletteForm* form, int32_t index) {
    return index >= 0 && index < CellCount(form);
}

QRect CellRect(const PaletteForm* form, int32_t index) {
    int32_t column = index % form->FColumns, row = index / form->FColumns;
    return QRect(column * form->FCellWidth, row * form->FCellHeight, form->FCellWidth,
                 form->FCellHeight);
}

QRgb CellPixel(const PaletteForm* form, int32_t index) {
    if (index >= KColourCount || !form->FEntries) return qRgb(0, 0, 0);
    return Colour_ToQRgb(PaletteEntryToColor(form->FEntries[index]));
}

// The frame colour outline on the cell's bounds and a black one a pixel inside it.
void DrawFrame(const PaletteForm* form, int32_t index, uint32_t colour) {
    if (!IsCell(form, index)) return;
    QRect r = CellRect(form, index);
    OutlineRect(form->FBuffer, r.x(), r.y(), r.width(), r.height(), Colour_ToQRgb(colour));
    OutlineRect(form->FBuffer, r.x() + 1, r.y() + 1, r.width() - 2, r.height() - 2, qRgb(0, 0, 0));
}

// The whole grid into the buffer: cells, separators, then the frames, secondary first so the
// primary's frame wins where they meet.
void DrawGrid(const PaletteForm* form) {
    QImage* buffer = form->FBuffer;
    if (!buffer || buffer->isNull()) return;
    for (int32_t i = 0, n = CellCount(form); i < n; ++i) {
        QRect r = CellRect(form, i);
        FillRect(buffer, r.x(), r.y(), r.width(), r.height(), CellPixel(form, i));
    }
    if (form->FGridLines) {
        const QRgb black = qRgb(0, 0, 0);
        for (int32_t x = 0; x < form->FWidth; x += form->FCellWidth)
            FillRect(buffer, x, 0, 1, form->FHeight, black);
        FillRect(buffer, form->FWidth - 1, 0, 1, form->FHeight, black);
        for (int32_t y = 0; y < form->FHeight; y += form->FCellHeight)
            FillRect(buffer, 0, y, form->FWidth, 1, black);
        FillRect(buffer, 0, form->FHeight - 1, form->FWidth, 1, black);
    }
    DrawFrame(form, form->FSecondary, form->FSecondaryFrame);
    DrawFrame(form, form->FPrimary, form->FPrimaryFrame);
    int32_t last = qMin(form->FRangeEnd, CellCount(form) - 1);
    if (form->FRangeMode && form->FRangeStart >= 0)
        for (int32_t i = form->FRangeStart; i <= last; ++i)
            DrawFrame(form, i, form->FPrimaryFrame);
}

void TPaletteWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    QRect grid;
    if (FForm && FForm->FBuffer) {
        DrawGrid(FForm);
        grid = FForm->FBuffer->rect();
        QRect source = event->rect() & grid;
        painter.drawImage(source.topLeft(), *FForm->FBuffer, source);
    }
    // The window may be larger than its grid.
    for (const QRect& rest : QRegion(event->rect()).subtracted(grid))
        painter.fillRect(rest, palette().color(QPalette::Window));
}

// Repaints the cell's rectangle of the window (the paint draws the buffer first).
void RedrawCell(const PaletteForm* form, int32_t index) {
    if (form->FHandle && IsCell(form, index)) form->FHandle->update(CellRect(form, index));
}

void RedrawAll(const PaletteForm* form) {
    if (form->FHandle) form->FHandle->update();
}

// The cell under window point (x, y): -1 outside the grid.
int32_t CellAt(const PaletteForm* form, int32_t x, int32_t y) {
    if (form->FCellWidth < 1 || form->FCellHeight < 1) return -1;
    if (x < 0 || y < 0 || x >= form->FWidth || y >= form->FHeight) return -1;
    return x / form->FCellWidth + (y / form->FCellHeight) * form->FColumns;
}

bool IsColour(int32_t index) {
    return index >= 0 && index < KColourCount;
}

// Makes the cell the pick target's cell, redrawing both cells when it changes.
void Pick(PaletteForm* form, int32_t cell) {
    if (!IsColour(cell)) return;
    int32_t* target = form->FPickTarget == 0   ? &form->FPrimary
                      : form->FPickTarget == 1 ? &form->FSecondary
                                               : nullptr;
    if (!target || *target == cell) return;
    int32_t old = *target;
    *target = cell;
    RedrawCell(form, old);
    RedrawCell(form, cell);
}

// Null for a missing form or entries (EC_NULL_OBJECT), else the entry of cell index.
TPaletteEntry* EntryOf(const PaletteForm* form, int32_t index) {
    if (!form || !form->FEntries) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    // The cell indices are kept within the colours; a record changed from outside is not
    // allowed to reach past the entries.
    if (!IsColour(index)) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    return &form->FEntries[index];
}

void Select(PaletteForm* form, int32_t* cell, int32_t index) {
    if (!IsColour(index)) return;
    int32_t old = *cell;
    *cell = index;
    RedrawCell(form, old);
    RedrawCell(form, index);
}

int SetColour(PaletteForm* form, int32_t index, uint32_t colour) {
    TPaletteEntry* entry = EntryOf(form, index);
    if (!entry) return -1;
    PaletteEntrySetColor(entry, colour);
    RedrawCell(form, index);
    return 0;
}
} // namespace

PaletteForm* PaletteForm_Create(QWidget* parent, int32_t id) {
    if (!parent) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    PaletteForm* form = static_cast<PaletteForm*>(std::calloc(1, sizeof(PaletteForm)));
    if (!form) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    TPaletteWidget* widget = new (std::nothrow) TPaletteWidget(parent, form);
    if (!widget) {
        std::free(form);
        return SetLastErrorCode(EC_WINDOW_CREATE), nullptr;
    }
    widget->setObjectName(QString::number(id));
    widget->setProperty("windowClass", QStringLiteral("PaletteForm"));
    widget->resize(0, 0);
    widget->show();
    form->FHandle = widget;
    form->FId = id;
    form->FGridLines = 1;
    form->FRangeStart = -1;
    form->FRangeEnd = -1;
    return form;
}

PaletteForm* PaletteForm_Destroy(PaletteForm* form) {
    if (!form) return nullptr;
    if (form->FHandle) {
        static_cast<TPaletteWidget*>(form->FHandle)->Detach();
        delete form->FHandle; // takes any command still posted with it
    }
    delete form->FBuffer;
    std::free(form);
    return nullptr;
}

int PaletteForm_SetGrid(PaletteForm* form, int32_t columns, int32_t rows, int32_t cellWidth,
                        int32_t cellHeight) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    if (columns < 1 || rows < 1 || cellWidth < 1 || cellHeight < 1 ||
        int64_t(columns) * cellWidth > KMaxSide || int64_t(rows) * cellHeight > KMaxSide)
        return SetLastErrorCode(EC_EMPTY_AREA), -1;
    int32_t width = columns * cellWidth, height = rows * cellHeight;
    QImage* buffer = form->FBuffer;
    if (!buffer || buffer->width() != width || buffer->height() != height) {
        buffer = new (std::nothrow) QImage(width, height, QImage::Format_RGB32);
        if (!buffer || buffer->isNull()) {
            delete buffer;
            return SetLastErrorCode(EC_NO_MEMORY), -1;
        }
        buffer->fill(Qt::black);
        delete form->FBuffer;
        form->FBuffer = buffer;
    }
    form->FColumns = columns;
    form->FRows = rows;
    form->FCellWidth = cellWidth;
    form->FCellHeight = cellHeight;
    form->FWidth = width;
    form->FHeight = height;
    form->FPrimaryFrame = 0xFFFFFF;
    form->FSecondaryFrame = 0x808080;
    RedrawAll(form);
    return 0;
}

int PaletteForm_SetEntries(PaletteForm* form, TPaletteEntry* entries) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    form->FEntries = entries;
    RedrawAll(form);
    return 0;
}

void PaletteForm_SetPickTarget(PaletteForm* form, int32_t target) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    form->FPickTarget = target;
}

int32_t PaletteForm_GetPrimary(const PaletteForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return form->FPrimary;
}

int32_t PaletteForm_GetSecondary(const PaletteForm* form) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    return form->FSecondary;
}

uint32_t PaletteForm_GetPrimaryColour(const PaletteForm* form) {
    const TPaletteEntry* entry = EntryOf(form, form ? form->FPrimary : 0);
    return entry ? PaletteEntryToColor(*entry) : 0;
}

uint32_t PaletteForm_GetSecondaryColour(const PaletteForm* form) {
    const TPaletteEntry* entry = EntryOf(form, form ? form->FSecondary : 0);
    return entry ? PaletteEntryToColor(*entry) : 0;
}

void PaletteForm_SelectPrimary(PaletteForm* form, int32_t index) {
    if (!form || !form->FEntries) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    Select(form, &form->FPrimary, index);
}

void PaletteForm_SelectSecondary(PaletteForm* form, int32_t index) {
    if (!form || !form->FEntries) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    Select(form, &form->FSecondary, index);
}

int PaletteForm_SetPrimaryColour(PaletteForm* form, uint32_t colour) {
    return SetColour(form, form ? form->FPrimary : 0, colour);
}

int PaletteForm_SetSecondaryColour(PaletteForm* form, uint32_t colour) {
    return SetColour(form, form ? form->FSecondary : 0, colour);
}

void PaletteForm_SetRangeMode(PaletteForm* form, int32_t on) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    form->FRangeMode = on ? 1 : 0;
    PaletteForm_ClearRange(form);
}

void PaletteForm_ClearRange(PaletteForm* form) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    form->FRangeStart = -1;
    form->FRangeEnd = -1;
    RedrawAll(form);
}

void PaletteForm_Redraw(PaletteForm* form) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    RedrawAll(form);
}

void PaletteForm_SetCommandProc(PaletteForm* form, TPaletteCommandProc proc, void* userData) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    form->FOnCommand = proc;
    form->FUserData = userData;
}

// Only cells that are colours move the range or the primary cell in range mode: a drag off the
// grid or onto a black cell keeps the last colour cell, and a range has an end only once it has
// a start, so neither end ever lies outside the entries.
void PaletteForm_StylusDown(PaletteForm* form, int32_t x, int32_t y) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    int32_t cell = CellAt(form, x, y);
    form->FCaptured = 1; // Qt keeps the mouse on this widget while the button is held
    if (form->FRangeMode && IsColour(cell)) {
        form->FRangeStart = cell;
        form->FRangeEnd = cell;
    }
    Pick(form, cell);
}

void PaletteForm_StylusMove(PaletteForm* form, int32_t x, int32_t y) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    if (!form->FCaptured) return;
    int32_t cell = CellAt(form, x, y);
    if (!form->FRangeMode) return Pick(form, cell);
    if (!IsColour(cell) || form->FRangeStart < 0 || cell == form->FRangeEnd) return;
    form->FRangeEnd = cell;
    RedrawAll(form);
}

void PaletteForm_StylusUp(PaletteForm* form, int32_t x, int32_t y) {
    if (!form) return (void)SetLastErrorCode(EC_NULL_OBJECT);
    if (!form->FCaptured) return;
    form->FCaptured = 0;
    int32_t cell = CellAt(form, x, y);
    if (form->FRangeMode) {
        if (IsColour(cell)) {
            form->FPrimary = cell;
            if (form->FRangeStart >= 0) form->FRangeEnd = cell;
        }
        RedrawAll(form);
    } else {
        Pick(form, cell);
    }
    if (!form->FHandle) return;
    // Posted, as a command message to the parent would be: the owner sees it once this release
    // is handled, and never after the window is gone.
    PostCall(
        [form] {
            if (form->FOnCommand) form->FOnCommand(form, form->FId, form->FUserData);
        },
        form->FHandle);
}
