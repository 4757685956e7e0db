// The shift pad on a 4000 x 3000 document at zoom 1 in a real (offscreen) 1920 x 1080 view: one
// press of the pad's right arrow, sent to its button as mouse events, with the command it queues
// run (the whole surface shifted cyclically by a pixel, the step recorded, the canvas composed
// and rendered) and the render window forced to repaint, in ms per press against a budget of
// 40 ms; beside a memcpy of the surface's 36 MB of colour pixels in the same run. Medians of
// repetitions.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include <QApplication>
#include <QMouseEvent>
#include <QSettings>
#include <QTemporaryDir>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/render_window.h"
#include "document/work_form.h"
#include "noisy_document.h"
#include "tools/image_button.h"
#include "tools/shift.h"
#include "tools/shift_form.h"

namespace {
const int32_t KImageW = 4000, KImageH = 3000, KViewW = 1920, KViewH = 1080;
const int KRightButton = 5; // button 105: one pixel to the right

struct TBenchForm {
    std::unique_ptr<QWidget> FMain;
    TWorkForm* FForm = nullptr;
    TTool* FShift = nullptr;
};

// A noisy, wholly visible background shown at zoom 1 from its top-left corner; the shift tool
// current with its pad shown.
TBenchForm& Bench() {
    static TBenchForm bench = [] {
        // The pad stores its position when it goes: never into the user's own settings.
        static QTemporaryDir settings;
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
        TBenchForm b;
        b.FForm = MakeNoisyDocument(&b.FMain, KImageW, KImageH, KViewW, KViewH);
        TWorkForm_SetActive(b.FForm);
        TWorkForm_SetZoom(b.FForm, 1.0);
        b.FForm->FScrollX = b.FForm->FScrollY = 0;
        TWorkForm_ApplyScroll(b.FForm, nullptr);
        TWorkForm_Repaint(b.FForm);
        b.FShift = TShift_Create(b.FMain.get());
        TTool_Activate(b.FShift);
        QApplication::processEvents();
        return b;
    }();
    return bench;
}

void Send(QWidget* widget, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons) {
    SendMouse(widget, type, QPoint(KShiftButtonSide / 2, KShiftButtonSide / 2), button, buttons);
}

void BM_ShiftPress(benchmark::State& state) {
    TBenchForm& b = Bench();
    TShiftTool* tool = reinterpret_cast<TShiftTool*>(b.FShift);
    QWidget* button = tool->FShiftForm->FButtons[KRightButton]->FHandle;
    QWidget* view = b.FForm->FRenderWindow->FWidget;
    int32_t before = tool->FTotalX;
    for (auto _ : state) {
        Send(button, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
        Send(button, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
        QApplication::processEvents(); // the queued command: the shift itself
        view->repaint();
    }
    // Every press shifted once.
    state.counters["shifts_per_press"] =
        double(tool->FTotalX - before) / double(state.iterations());
    state.counters["budget_ms"] = 40;
}
BENCHMARK(BM_ShiftPress)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(20)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

// The baseline: the surface's colour bytes copied once.
void BM_MemcpySurface(benchmark::State& state) {
    TImage* image = TWorkForm_GetBackground(Bench().FForm)->FImage;
    std::vector<uint8_t> copy(size_t(image->FSize));
    for (auto _ : state) {
        std::memcpy(copy.data(), image->FBits, copy.size());
        benchmark::DoNotOptimize(copy.data());
    }
    state.counters["MB"] = double(image->FSize) / 1e6;
}
BENCHMARK(BM_MemcpySurface)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);
} // namespace

int main(int argc, char** argv) {
    return RunWindowedBenchmarks(argc, argv, [] {
        Bench().FShift = TTool_Destroy(Bench().FShift);
        Bench().FForm = TWorkForm_Destroy(Bench().FForm);
        Bench().FMain.reset();
    });
}
