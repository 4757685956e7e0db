// The status bar window and its panes: a hidden child along the bottom of the main window,
// painted in the button-face colour with one sunken pane per width, each holding a line of text
// in the system font at a pixel size of 9. Stores texts and widths and repaints; the main form
// places it, shows it and decides what the panes say.
#include "tools/status_bar.h"

#include <cstdint>
#include <new>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>
#include <qdrawutil.h>

#include "core/error.h"

namespace {
// Pane styles understood by the painting (the values other status bars use for the same looks);
// 0 is a sunken pane.
enum { KPaneNoBorders = 0x0100, KPanePopOut = 0x0200 };
// Room between a pane's edge and its text.
enum { KTextMargin = 3 };

class TStatusBarWindow final : public QWidget {
  public:
    TStatusBarWindow(TStatusBar* bar, QWidget* parent) : QWidget(parent), FBar(bar) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    ~TStatusBarWindow() override {
        // The main window may take this window down before the bar is destroyed.
        if (FBar && FBar->FHandle == this) FBar->FHandle = nullptr;
    }
    TStatusBarWindow(const TStatusBarWindow&) = delete;
    TStatusBarWindow& operator=(const TStatusBarWindow&) = delete;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TStatusBar* FBar;
};

// Pane index's rectangle in window coordinates: panes sit side by side from the left edge, each
// FPaneGap after the one before, from one pixel below the top to the bottom.
QRect PaneRect(const TStatusBar* bar, int32_t index, int windowHeight) {
    int64_t x = 0;
    for (int32_t i = 0; i < index; ++i)
        x += int64_t(bar->FPanes[i].FPaneWidth) + bar->FPaneGap;
    if (x > INT32_MAX / 2) x = INT32_MAX / 2; // far off the window either way
    return QRect(int(x), 1, bar->FPanes[index].FPaneWidth, windowHeight - 1);
}

void DrawPane(QPainter& painter, const QWidget* window, const TStatusPane& pane, const QRect& rect,
              const QFont& font) {
    if (rect.width() <= 0 || rect.height() <= 0) return;
    const QPalette& palette = window->palette();
    if (!(pane.FPaneStyle & KPaneNoBorders))
        qDrawShadePanel(&painter, rect, palette, !(pane.FPaneStyle & KPanePopOut), 1);
    if (pane.FPaneText.empty()) return;
    QRect textRect = rect.adjusted(KTextMargin, 1, -KTextMargin, -1);
    if (textRect.width() <= 0) return;
    QFontMetrics metrics(font);
    QString text = metrics.elidedText(
        QString::fromUtf8(pane.FPaneText.data(), qsizetype(pane.FPaneText.size())), Qt::ElideRight,
        textRect.width());
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

void TStatusBarWindow::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Button));
    if (!FBar->FFont) return;
    for (int32_t i = 0; i < FBar->FPaneCount; ++i) {
        QRect rect = PaneRect(FBar, i, height());
        if (rect.intersects(event->rect()))
            DrawPane(painter, this, FBar->FPanes[i], rect, *FBar->FFont);
    }
}

// The byte length of text's first max characters: a cut there never splits a character.
size_t Utf8PrefixBytes(const char* text, size_t max) {
    size_t count = 0;
    size_t i = 0;
    for (; text[i]; ++i) {
        // Each character begins at a byte that is not a continuation byte (10xxxxxx).
        bool starts = (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80;
        if (starts && count == max) break;
        if (starts) ++count;
    }
    return i;
}
} // namespace

TStatusBar* TStatusBar_Create(QWidget* parent) {
    if (!parent) {
        SetLastErrorCode(EC_NULL_OBJECT);
        return nullptr;
    }
    TStatusBar* bar = new (std::nothrow) TStatusBar();
    if (!bar) {
        SetLastErrorCode(EC_NO_MEMORY);
        return nullptr;
    }
    TStatusBarWindow* window = new (std::nothrow) TStatusBarWindow(bar, parent);
    QFont* font = new (std::nothrow) QFont(QApplication::font());
    if (!window || !font) {
        delete window;
        delete font;
        delete bar;
        SetLastErrorCode(EC_WINDOW_CREATE);
        return nullptr;
    }
    window->setObjectName(QStringLiteral("StatusBarForm"));
    window->hide();
    bar->FHandle = window;
    font->setPixelSize(9);
    bar->FFont = font;
    bar->FPaneGap = 1;

    int height = TStatusBar_GetHeight(bar);
    QRect client = parent->rect();
    window->setGeometry(client.left(), client.bottom() + 1 - height, client.width(), height);
    ClearLastErrorCode();
    return bar;
}

TStatusBar* TStatusBar_Destroy(TStatusBar* bar) {
    if (!bar) return nullptr;
    delete bar->FHandle; // its destructor clears FHandle
    delete bar->FFont;
    delete bar;
    return nullptr;
}

void TStatusBar_SetPanes(TStatusBar* bar, int32_t count, const int32_t* widths) {
    if (!bar) return;
    if (count < 0 || !widths) count = 0;
    if (count > KStatusPaneMax) count = KStatusPaneMax;
    for (int32_t i = 0; i < count; ++i)
        bar->FPanes[i].FPaneWidth = widths[i];
    bar->FPaneCount = count;
    if (bar->FHandle) bar->FHandle->update();
}

void TStatusBar_SetText(TStatusBar* bar, int32_t index, const char* text, int32_t style) {
    if (!bar || index < 0 || index >= bar->FPaneCount) return;
    TStatusPane& pane = bar->FPanes[index];
    if (!text) text = "";
    pane.FPaneText.assign(text, Utf8PrefixBytes(text, KStatusTextMax));
    pane.FPaneStyle = style;
    if (bar->FHandle) bar->FHandle->update(PaneRect(bar, index, bar->FHandle->height()));
}

int32_t TStatusBar_GetPaneWidthFor(const TStatusBar* bar, const char* text) {
    if (!bar || !bar->FFont || !text) return 0;
    return QFontMetrics(*bar->FFont).horizontalAdvance(QString::fromUtf8(text)) + 2 * KTextMargin;
}

int32_t TStatusBar_GetHeight(const TStatusBar* bar) {
    if (!bar || !bar->FFont) return 0;
    return QFontMetrics(*bar->FFont).height() + 5;
}
