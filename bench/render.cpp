// The view's repaint in real (offscreen) windows: a full render of a 1920 x 1080 view of a
// 4000 x 3000 document into the render window's backing image at 1/8, 1, 8 with the grid and 16
// (the composite is not remade: scrolling and zooming only render), beside memcpy of the view's
// bytes; and composing a 64 x 64 rectangle, as a stroke's repaint does. Medians of repetitions.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <vector>

#include <QApplication>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/work_form.h"
#include "noisy_document.h"

namespace {
const int32_t KImageW = 4000, KImageH = 3000, KViewW = 1920, KViewH = 1080;

// One work form for every benchmark: a noisy, wholly visible 4000 x 3000 background, composed
// once, in a main window whose view is 1920 x 1080 when both scroll bars show.
struct TBenchForm {
    std::unique_ptr<QWidget> FMain;
    TWorkForm* FForm = nullptr;
};

TBenchForm& Bench() {
    static TBenchForm bench = [] {
        TBenchForm b;
        b.FForm = MakeNoisyDocument(&b.FMain, KImageW, KImageH, KViewW, KViewH);
        return b;
    }();
    return bench;
}

void SetRate(benchmark::State& state, int64_t pixels) {
    state.counters["Mpix"] = benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6,
                                                benchmark::Counter::kIsRate);
}

// The baseline: the bytes of one 32-bit view.
void BM_MemcpyView(benchmark::State& state) {
    std::vector<uint8_t> a(size_t(KViewW) * KViewH * 4, 1), b(a.size());
    for (auto _ : state) {
        std::memcpy(b.data(), a.data(), a.size());
        benchmark::DoNotOptimize(b.data());
    }
    SetRate(state, int64_t(KViewW) * KViewH);
}
BENCHMARK(BM_MemcpyView)->Unit(benchmark::kMillisecond)->UseRealTime();

// Full repaint at zoom range(0) / 1000, the grid shown when range(1), scrolled to the middle.
void BM_Redraw(benchmark::State& state) {
    TWorkForm* form = Bench().FForm;
    if (state.range(1))
        TWorkForm_ShowGrid(form);
    else
        TWorkForm_HideGrid(form);
    TWorkForm_SetZoom(form, double(state.range(0)) / 1000.0);
    TRectXYWH view;
    TWorkForm_GetViewRect(form, &view);
    form->FScrollX = -(form->FZoomedWidth - view.width) / 2;
    form->FScrollY = -(form->FZoomedHeight - view.height) / 2;
    TWorkForm_ApplyScroll(form, nullptr);
    TWorkForm_Redraw(form, nullptr, nullptr); // the window's context follows the new place
    state.counters["view_w"] = view.width;
    state.counters["view_h"] = view.height;
    for (auto _ : state)
        TWorkForm_Redraw(form, nullptr, nullptr);
    SetRate(state, int64_t(view.width) * view.height);
}
BENCHMARK(BM_Redraw)
    ->ArgNames({"zoom_x1000", "grid"})
    ->Args({125, 0})
    ->Args({1000, 0})
    ->Args({8000, 1})
    ->Args({16000, 0})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Compose64(benchmark::State& state) {
    TWorkForm* form = Bench().FForm;
    TRectXYWH r = {1000, 1000, 64, 64};
    for (auto _ : state)
        TWorkForm_Compose(form, &r);
    SetRate(state, 64 * 64);
}
BENCHMARK(BM_Compose64)->Unit(benchmark::kMicrosecond)->UseRealTime();
} // namespace

int main(int argc, char** argv) {
    return RunWindowedBenchmarks(argc, argv, [] {
        Bench().FForm = TWorkForm_Destroy(Bench().FForm);
        Bench().FMain.reset();
    });
}
