// The work form's Qt windows: the work form window (white), the scroll area (2 x 2 checker), the
// two scroll bars and the corner piece, made and destroyed here; the render window is
// render_window.cpp's. These windows hold no state of the view: they forward stylus events (in
// render-window client coordinates), scroll bar actions, wheel turns and the ticks of timer 1001
// to the work form's operations, and work_form_view.cpp places them with setGeometry.
#include "document/work_form_windows.h"

#include <cmath>
#include <new>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QWidget>

#include "core/error.h"
#include "document/render_window.h"
#include "document/work_form.h"
#include "platform/qt/timer.h"

namespace {
// The work form window and the scroll area: one kind of window, as they share their handling;
// only the background differs.
class TFormPane final : public QWidget {
  public:
    TFormPane(TWorkForm* form, QWidget* parent, bool checker)
        : QWidget(parent), FForm(form), FChecker(checker) {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }
    ~TFormPane() override {
        // Qt may take the windows down with their parent before the form lets them go.
        if (FForm->FWindow == this) FForm->FWindow = nullptr;
        if (FForm->FScrollArea == this) FForm->FScrollArea = nullptr;
    }
    TFormPane(const TFormPane&) = delete;
    TFormPane& operator=(const TFormPane&) = delete;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void Stylus(int kind, QMouseEvent* event);

    TWorkForm* FForm;
    bool FChecker;
    int FZoomTurn = 0; // Ctrl+wheel eighths of a degree not yet spent on a zoom step
};

// The scroll area's brush: (0, 0) and (1, 1) white, (1, 0) and (0, 1) black, so the space
// around a small picture is an even grey at a glance.
const QBrush& CheckerBrush() {
    static const QBrush brush = [] {
        QImage tile(2, 2, QImage::Format_RGB32);
        tile.setPixel(0, 0, 0xFFFFFFFFu);
        tile.setPixel(1, 1, 0xFFFFFFFFu);
        tile.setPixel(1, 0, 0xFF000000u);
        tile.setPixel(0, 1, 0xFF000000u);
        return QBrush(tile);
    }();
    return brush;
}

void TFormPane::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setBrushOrigin(0, 0);
    painter.fillRect(event->rect(), FChecker ? CheckerBrush() : QBrush(Qt::white));
}

void TFormPane::Stylus(int kind, QMouseEvent* event) {
    TRenderWindow* render = FForm->FRenderWindow;
    if (!render || !render->FWidget) return;
    QPointF p = render->FWidget->mapFrom(this, event->position());
    QPointF g = event->globalPosition();
    FForm->FStylusGlobal = {int32_t(std::floor(g.x())), int32_t(std::floor(g.y()))};
    TWorkForm_Stylus(FForm, kind, int32_t(std::floor(p.x())), int32_t(std::floor(p.y())));
    event->accept();
}

void TFormPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Stylus(TWE_DOWN, event);
}

void TFormPane::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) Stylus(TWE_MOVE, event);
}

void TFormPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Stylus(TWE_UP, event);
}

// Screen pixels one wheel line scrolls (a notch turns QApplication::wheelScrollLines lines).
const int KWheelLinePixels = 20;

void TFormPane::wheelEvent(QWheelEvent* event) {
    QPoint turn = event->angleDelta();
    if (event->modifiers() & Qt::ControlModifier) {
        FZoomTurn += turn.y() != 0 ? turn.y() : turn.x();
        for (; FZoomTurn >= 120; FZoomTurn -= 120)
            TWorkForm_ZoomIn(FForm);
        for (; FZoomTurn <= -120; FZoomTurn += 120)
            TWorkForm_ZoomOut(FForm);
        event->accept();
        return;
    }
    int dx = turn.x(), dy = turn.y();
    if ((event->modifiers() & Qt::ShiftModifier) && dx == 0) {
        dx = dy;
        dy = 0;
    }
    int perNotch = QApplication::wheelScrollLines() * KWheelLinePixels;
    TWorkForm_ScrollBy(FForm, -dx * perNotch / 120, -dy * perNotch / 120);
    event->accept();
}

QScrollBar* MakeScrollBar(TWorkForm* form, QWidget* parent, bool vertical) {
    QScrollBar* bar =
        new (std::nothrow) QScrollBar(vertical ? Qt::Vertical : Qt::Horizontal, parent);
    if (!bar) return nullptr;
    bar->setObjectName(QString::number(vertical ? KVScrollId : KHScrollId));
    bar->hide();
    // Qt has already moved the slider to where the action takes it; the view's arithmetic then
    // sets the position it settles on.
    QObject::connect(
        bar, &QAbstractSlider::actionTriggered, bar, [form, bar, vertical](int action) {
            TWorkForm_OnScrollBar(form, vertical ? 1 : 0, action, bar->sliderPosition());
        });
    QObject::connect(bar, &QObject::destroyed,
                     [form, vertical] { (vertical ? form->FVScroll : form->FHScroll) = nullptr; });
    return bar;
}

// One frame of the marching ants, shown at once. A tick must not leave an error behind for the
// next command to report.
void SelectionTick(TWorkForm* form) {
    int saved = GetLastErrorCode();
    TRenderWindow* window = form->FRenderWindow;
    TRenderTarget target;
    TRectLTRB selection;
    // The ants draw into the same pixels as the selection tools' outline: they wait for it.
    if (window && !form->FBandShown && TWorkForm_GetSelectionRect(form, &selection) == 0 &&
        TRenderWindow_GetTarget(window, &target) == 0) {
        TWorkForm_DrawSelectionOutline(form, &target);
        TRectLTRB client = TWorkForm_ImageRectToClient(form, selection);
        TRenderWindow_Update(window, &client);
    }
    SetLastErrorCode(saved);
}
} // namespace

int WorkFormWindows_Create(TWorkForm* form, QWidget* parent) {
    if (!form) return SetLastErrorCode(EC_NULL_OBJECT), -1;
    TFormPane* window = new (std::nothrow) TFormPane(form, parent, false);
    if (!window) return SetLastErrorCode(EC_NO_MEMORY), -1;
    window->setObjectName("WorkForm");
    form->FWindow = window;
    TFormPane* area = new (std::nothrow) TFormPane(form, window, true);
    if (!area) return SetLastErrorCode(EC_NO_MEMORY), -1;
    area->setObjectName("ScrollAreaWindow");
    form->FScrollArea = area;
    form->FHScroll = MakeScrollBar(form, window, false);
    form->FVScroll = MakeScrollBar(form, window, true);
    QWidget* corner = new (std::nothrow) QWidget(window);
    if (!form->FHScroll || !form->FVScroll || !corner) return SetLastErrorCode(EC_NO_MEMORY), -1;
    corner->setObjectName(QString::number(KCornerId));
    corner->setAutoFillBackground(true);
    corner->hide();
    QObject::connect(corner, &QObject::destroyed, [form] { form->FCorner = nullptr; });
    form->FCorner = corner;
    form->FRenderWindow = TRenderWindow_Create(form);
    if (!form->FRenderWindow) return -1;
    area->show();
    window->show();
    return 0;
}

void WorkFormWindows_Destroy(TWorkForm* form) {
    if (!form) return;
    form->FRenderWindow = TRenderWindow_Destroy(form->FRenderWindow);
    delete form->FCorner;
    delete form->FHScroll;
    delete form->FVScroll;
    delete form->FScrollArea;
    delete form->FWindow; // its timers go with it
    form->FCorner = nullptr;
    form->FHScroll = form->FVScroll = nullptr;
    form->FScrollArea = form->FWindow = nullptr;
}

void WorkFormWindows_StartSelectionTimer(TWorkForm* form) {
    if (!form || !form->FWindow) return;
    TTimer_Set(form->FWindow, KSelectionTimerId, KSelectionTimerMs,
               [form](int) { SelectionTick(form); });
}

void WorkFormWindows_StopSelectionTimer(TWorkForm* form) {
    if (!form || !form->FWindow) return;
    TTimer_Kill(form->FWindow, KSelectionTimerId);
}

void WorkFormWindows_GetMainSize(const TWorkForm* form, int* width, int* height) {
    int w = 0, h = 0;
    if (form && form->FWindow) {
        const QWidget* top = form->FWindow->window();
        w = top->width();
        h = top->height();
    }
    if (width) *width = w;
    if (height) *height = h;
}
