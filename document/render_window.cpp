// The render window: a child of the scroll area exactly as large as the zoomed picture, whose
// drawing context (platform/qt/window_dc) covers only the part of it inside the scroll area, so
// its cost follows the screen, never the zoomed size. Remembers whether that context still shows
// the picture (it does not once the visible part moved, grew or the zoom changed); a paint then
// renders from the composite before it copies. Stylus events go to TWorkForm_Stylus.
#include "document/render_window.h"

#include <cmath>
#include <cstdlib>
#include <new>

#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include "core/error.h"
#include "document/work_form.h"
#include "platform/qt/window_dc.h"

namespace {
// Where the event happened on the screen. Signed: a screen left of or above the first one has
// negative coordinates.
TPoint GlobalPoint(const QMouseEvent* event) {
    QPointF g = event->globalPosition();
    return {int32_t(std::floor(g.x())), int32_t(std::floor(g.y()))};
}

class TRenderWidget final : public QWidget {
  public:
    TRenderWidget(TRenderWindow* window, QWidget* parent) : QWidget(parent), FWindow(window) {
        // Every pixel comes from the context: Qt need not clear the background first.
        setAttribute(Qt::WA_OpaquePaintEvent);
        // A press gives the keyboard to the canvas, so Esc reaches the drag it starts.
        setFocusPolicy(Qt::ClickFocus);
    }
    ~TRenderWidget() override {
        if (FWindow->FWidget == this) FWindow->FWidget = nullptr;
    }
    TRenderWidget(const TRenderWidget&) = delete;
    TRenderWidget& operator=(const TRenderWidget&) = delete;

    double FZoom = 0; // the effective zoom the context's picture was drawn at

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override {
        FWindow->FStale = 1;
        QWidget::resizeEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) Stylus(TWE_DOWN, event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (event->buttons() & Qt::LeftButton) Stylus(TWE_MOVE, event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) Stylus(TWE_UP, event);
    }
    // Esc, or the mouse or keyboard taken by another window (a popup, a dialog, another
    // program), abandons the drag in progress.
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && FWindow->FForm && FWindow->FForm->FStylusDown) {
            TWorkForm_CancelStylus(FWindow->FForm);
            event->accept();
            return;
        }
        QWidget::keyPressEvent(event);
    }
    void focusOutEvent(QFocusEvent* event) override {
        TWorkForm_CancelStylus(FWindow->FForm);
        QWidget::focusOutEvent(event);
    }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::UngrabMouse) TWorkForm_CancelStylus(FWindow->FForm);
        return QWidget::event(event);
    }

  private:
    void Stylus(int kind, QMouseEvent* event) {
        QPointF p = event->position();
        if (FWindow->FForm) FWindow->FForm->FStylusGlobal = GlobalPoint(event);
        TWorkForm_Stylus(FWindow->FForm, kind, int32_t(std::floor(p.x())),
                         int32_t(std::floor(p.y())));
        event->accept();
    }

    TRenderWindow* FWindow;
};

void TRenderWidget::paintEvent(QPaintEvent* event) {
    // A paint must not leave an error behind for the next command to report.
    int saved = GetLastErrorCode();
    QPainter painter(this);
    TRenderTarget target;
    if (TRenderWindow_GetTarget(FWindow, &target) != 0) {
        painter.fillRect(event->rect(), Qt::black);
        SetLastErrorCode(saved);
        return;
    }
    if (FWindow->FStale && TWorkForm_Redraw(FWindow->FForm, &target, nullptr) == 0)
        FWindow->FStale = 0;
    SetLastErrorCode(saved);
    TWindowDC* dc = FWindow->FWindowDC;
    QRect shown(FWindow->FOriginX, FWindow->FOriginY, dc->FWidth, dc->FHeight);
    // Logical pixels become whole device-pixel blocks on a high-density screen.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    // Rectangle by rectangle: a moving outline asks for four thin strips, not its whole box.
    for (const QRect& part : event->region()) {
        QRect copy = part & shown;
        if (!copy.isEmpty())
            painter.drawImage(copy, *dc->FImage,
                              copy.translated(-FWindow->FOriginX, -FWindow->FOriginY));
    }
}

// The part of the window inside the scroll area, in client coordinates.
QRect VisiblePart(const QWidget* widget) {
    QRect client(0, 0, widget->width(), widget->height());
    const QWidget* area = widget->parentWidget();
    if (area) client &= QRect(-widget->x(), -widget->y(), area->width(), area->height());
    return client;
}
} // namespace

TRenderWindow* TRenderWindow_Create(TWorkForm* form) {
    if (!form || !form->FScrollArea) return SetLastErrorCode(EC_NULL_OBJECT), nullptr;
    TRenderWindow* window = static_cast<TRenderWindow*>(std::calloc(1, sizeof(TRenderWindow)));
    if (!window) return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    window->FForm = form;
    window->FStale = 1;
    window->FWindowDC = TWindowDC_Create(0, 0); // sized to the visible part on first use
    TRenderWidget* widget = new (std::nothrow) TRenderWidget(window, form->FScrollArea);
    if (!window->FWindowDC || !widget) {
        delete widget;
        TRenderWindow_Destroy(window);
        return SetLastErrorCode(EC_NO_MEMORY), nullptr;
    }
    window->FWidget = widget;
    widget->setObjectName("RenderWindow");
    widget->setGeometry(0, 0, 100, 100);
    widget->show();
    return window;
}

TRenderWindow* TRenderWindow_Destroy(TRenderWindow* window) {
    if (!window) return nullptr;
    delete window->FWidget; // its destructor clears FWidget
    window->FWindowDC = TWindowDC_Destroy(window->FWindowDC);
    std::free(window);
    return nullptr;
}

int TRenderWindow_GetTarget(TRenderWindow* window, TRenderTarget* out) {
    if (!window || !out || !window->FWidget || !window->FWindowDC)
        return SetLastErrorCode(EC_NULL_DC), -1;
    TRenderWidget* widget = static_cast<TRenderWidget*>(window->FWidget);
    TWindowDC* dc = window->FWindowDC;
    QRect part = VisiblePart(widget);
    int32_t x = window->FOriginX, y = window->FOriginY, w = 0, h = 0;
    if (!part.isEmpty()) {
        x = part.x();
        y = part.y();
        w = part.width();
        h = part.height();
    }
    double zoom = TWorkForm_GetZoomFactor(window->FForm);
    if (x != window->FOriginX || y != window->FOriginY || w > dc->FWidth || h > dc->FHeight ||
        zoom != widget->FZoom)
        window->FStale = 1;
    if (TWindowDC_Resize(dc, w, h) != 0) return SetLastErrorCode(EC_NULL_DC), -1;
    window->FOriginX = x;
    window->FOriginY = y;
    widget->FZoom = zoom;
    out->FDC = TWindowDC_GetDC(dc);
    out->FOriginX = x;
    out->FOriginY = y;
    return 0;
}

void TRenderWindow_Update(TRenderWindow* window, const TRectLTRB* client) {
    if (!window || !window->FWidget) return;
    if (!client) {
        window->FWidget->update();
        return;
    }
    if (client->right > client->left && client->bottom > client->top)
        window->FWidget->update(client->left, client->top, client->right - client->left,
                                client->bottom - client->top);
}
