// The pen on a 4000 x 3000 document at zoom 1 in a real (offscreen) 1920 x 1080 view: one mouse
// move sent to the render window (the segment drawn, its rectangle composed and rendered into
// the window's backing image) followed by a forced repaint() of the window, in ms per move
// against a budget of 4 ms; and a tap (press and release: the backup of the whole surface and
// the undo step). The stroke's undo step is reported by its saved size, beside the whole image,
// and the paints counted show that every move was followed by one paint of the whole view. The
// ellipse's rubber band and a selection's moving outline are measured beside the pen's move, in
// the same run. Medians of repetitions.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>

#include <QApplication>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/host.h"
#include "document/render_window.h"
#include "document/undo_history.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "noisy_document.h"
#include "tools/tool_bar.h"

namespace {
const int32_t KImageW = 4000, KImageH = 3000, KViewW = 1920, KViewH = 1080;

struct TBenchForm {
    std::unique_ptr<QWidget> FMain;
    TWorkForm* FForm = nullptr;
    TToolBar* FToolBar = nullptr;
};

// A noisy, wholly visible background shown at zoom 1 from its top-left corner; the pen current.
TBenchForm& Bench() {
    static TBenchForm bench = [] {
        TBenchForm b;
        b.FForm = MakeNoisyDocument(&b.FMain, KImageW, KImageH, KViewW, KViewH);
        TWorkForm_SetZoom(b.FForm, 1.0);
        b.FForm->FScrollX = b.FForm->FScrollY = 0;
        TWorkForm_ApplyScroll(b.FForm, nullptr);
        TWorkForm_Repaint(b.FForm);
        // The real tool bar routes the stylus, with the pen current as it starts.
        b.FToolBar = TToolBar_Create(b.FMain.get());
        TDocumentHost host = {};
        TToolBar_FillHost(&host);
        DocumentHost_Install(&host);
        QApplication::processEvents();
        return b;
    }();
    return bench;
}

// Point k of a circle of radius 400 in the middle of the view, 8 window pixels apart: a fast
// hand at a 240 Hz mouse.
// Counts the paints a widget receives and the pixels they cover, to show the repaint happened.
class TPaintCounter final : public QObject {
  public:
    int64_t FPaints = 0, FPixels = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            QRect r = static_cast<QPaintEvent*>(event)->rect();
            ++FPaints;
            FPixels += int64_t(r.width()) * r.height();
        }
        return QObject::eventFilter(watched, event);
    }
};

QPoint CirclePoint(int64_t k) {
    const double KStep = 8.0 / 400.0;
    return QPoint(KViewW / 2 + int(std::lround(400.0 * std::cos(double(k) * KStep))),
                  KViewH / 2 + int(std::lround(400.0 * std::sin(double(k) * KStep))));
}

void BM_PenMove(benchmark::State& state) {
    TWorkForm* form = Bench().FForm;
    QWidget* widget = form->FRenderWindow->FWidget;
    TPaintCounter counter;
    widget->installEventFilter(&counter);
    int64_t k = 0;
    SendMouse(widget, QEvent::MouseButtonPress, CirclePoint(k), Qt::LeftButton, Qt::LeftButton);
    for (auto _ : state) {
        SendMouse(widget, QEvent::MouseMove, CirclePoint(++k), Qt::NoButton, Qt::LeftButton);
        widget->repaint();
    }
    SendMouse(widget, QEvent::MouseButtonRelease, CirclePoint(k), Qt::LeftButton, Qt::NoButton);
    QApplication::processEvents();
    widget->removeEventFilter(&counter);
    state.counters["paints_per_move"] = double(counter.FPaints) / double(state.iterations());
    state.counters["paint_px"] =
        double(counter.FPixels) / double(counter.FPaints ? counter.FPaints : 1);

    TUndoHistory* history = form->FHistory;
    TUndoStep* step = TUndoHistory_GetStep(history, TUndoHistory_GetCount(history) - 1);
    TLayer* saved = step ? reinterpret_cast<TUndoAreaStep*>(step)->FSaved : nullptr;
    if (saved) {
        // Colour bytes with their row padding, and the mask plane.
        double bytes = double(saved->FImage->FSize) + double(saved->FImage->FMask->FSize);
        TImage* whole = TWorkForm_GetBackground(form)->FImage;
        state.counters["step_w"] = saved->FWidth;
        state.counters["step_h"] = saved->FHeight;
        state.counters["step_MB"] = bytes / 1e6;
        state.counters["image_MB"] = double(whole->FSize + whole->FMask->FSize) / 1e6;
    }
    state.counters["budget_ms"] = 4;
}
BENCHMARK(BM_PenMove)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(300)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// The ellipse's rubber band: a drag whose box grows from 1800 x 1000 by a pixel a move, inside
// the view; one move (the old box reset on the preview, the figure drawn, both boxes rendered
// into the backing image) and the forced repaint, in ms per move against a budget of 4 ms.
void BM_EllipseBandMove(benchmark::State& state) {
    TWorkForm* form = Bench().FForm;
    QWidget* widget = form->FRenderWindow->FWidget;
    TToolBar_SelectTool(TTI_ELLIPSE);
    const QPoint start(20, 20);
    SendMouse(widget, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    int32_t k = 0;
    for (auto _ : state) {
        ++k;
        QPoint end = start + QPoint(1800 + k, 1000 + k % 40);
        SendMouse(widget, QEvent::MouseMove, end, Qt::NoButton, Qt::LeftButton);
        widget->repaint();
    }
    TWorkForm_CancelStylus(form); // nothing drawn, nothing recorded
    SendMouse(widget, QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton);
    TToolBar_SelectTool(TTI_FREEPEN);
    state.counters["budget_ms"] = 4;
}
BENCHMARK(BM_EllipseBandMove)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(60)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// The outline of a 1000 x 800 area selection dragged a pixel a move inside the view: only the
// outline moves (inverted off and on, four strips shown), nothing is composed; one move and the
// forced repaint, in ms per move against a budget of 2 ms.
void BM_SelectionOutlineMove(benchmark::State& state) {
    TWorkForm* form = Bench().FForm;
    QWidget* widget = form->FRenderWindow->FWidget;
    TToolBar_SelectTool(TTI_SELECTION);
    TRectXYWH area = {100, 100, 1000, 800};
    TWorkForm_Select(form, &area, TWS_AREA);
    const QPoint grip(500, 500);
    SendMouse(widget, QEvent::MouseButtonPress, grip, Qt::LeftButton, Qt::LeftButton);
    int32_t k = 0;
    for (auto _ : state) {
        ++k;
        SendMouse(widget, QEvent::MouseMove, grip + QPoint(k % 200, k % 100), Qt::NoButton,
                  Qt::LeftButton);
        widget->repaint();
    }
    TWorkForm_CancelStylus(form);
    SendMouse(widget, QEvent::MouseButtonRelease, grip, Qt::LeftButton, Qt::NoButton);
    TWorkForm_CommitSelection(form);
    TToolBar_SelectTool(TTI_FREEPEN);
    state.counters["budget_ms"] = 2;
}
BENCHMARK(BM_SelectionOutlineMove)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(300)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// A press and a release at one point: the backup of the whole surface, one dot, the step.
void BM_PenTap(benchmark::State& state) {
    QWidget* widget = Bench().FForm->FRenderWindow->FWidget;
    QPoint p(KViewW / 2, KViewH / 2);
    for (auto _ : state) {
        SendMouse(widget, QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
        SendMouse(widget, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    }
}
BENCHMARK(BM_PenTap)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv) {
    return RunWindowedBenchmarks(argc, argv, [] {
        DocumentHost_Install(nullptr);
        Bench().FToolBar = TToolBar_Destroy(Bench().FToolBar);
        Bench().FForm = TWorkForm_Destroy(Bench().FForm);
        Bench().FMain.reset();
    });
}
