// What a user waits for: each command of the real main window (offscreen) on a 4000 x 3000
// noisy document at zoom 1 in a 1920 x 1080 view, from its dispatch to the repainted view (the
// render window painted with repaint()), with its Undo and its Redo; Open of a 4000 x 3000
// photo-like JPEG and of a 4000 x 3000 BMP to the first repaint; Save As BMP, JPEG and PNG at
// 4000 x 3000 and ICO at 255 x 255. Five runs of each; the counters give the medians in ms, the
// undo step's bytes and the most composes and renders one run of a phase made. Brightness/
// Contrast and Image Size run the work form's operation their dialog's OK runs, then what the
// dispatch does after every command. Save as PNG goes through the same save path as the others
// and reports failed=1 while that path has no PNG writer.
// With --peak_memory it instead opens the 4000 x 3000 picture, runs Invert eight times and
// prints the peak resident size.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <QApplication>
#include <QMainWindow>
#include <QWidget>

#include "core/error.h"
#include "core/image.h"
#include "core/layer.h"
#include "document/render_window.h"
#include "document/undo_history.h"
#include "document/undo_step.h"
#include "document/undo_steps.h"
#include "document/work_form.h"
#include "bench/noisy_document.h"
#include "bench/photo.h"
#include "platform/msgbox.h"
#include "shell/application.h"
#include "shell/command_ids.h"
#include "shell/main_form.h"

namespace {
const int32_t KImageW = 4000, KImageH = 3000, KViewW = 1920, KViewH = 1080, KIconSide = 255;
const int KRuns = 5;

TMainForm* Form() {
    static TMainForm* form = [] {
        TApplication_SetStartupPath("");
        TMainForm* made = TMainForm_Create(1);
        if (!made) std::abort();
        QApplication::processEvents();
        return made;
    }();
    return form;
}

TWorkForm* Doc() {
    return TMainForm_GetActiveWorkForm(Form());
}

// Grows or shrinks the main window until the document's view is 1920 x 1080.
void SizeView() {
    QWidget* window = Form()->FHandle;
    for (int pass = 0; pass < 3; ++pass) {
        TRectXYWH view;
        TWorkForm_GetViewRect(Doc(), &view);
        if (view.width == KViewW && view.height == KViewH) return;
        window->resize(window->width() + KViewW - view.width,
                       window->height() + KViewH - view.height);
        QApplication::processEvents();
    }
}

// The view at zoom 1 from the picture's top-left corner, repainted.
void ShowActualSize() {
    TWorkForm* doc = Doc();
    TWorkForm_SetZoom(doc, 1.0);
    doc->FScrollX = doc->FScrollY = 0;
    TWorkForm_ApplyScroll(doc, nullptr);
    TWorkForm_Repaint(doc);
    QApplication::processEvents();
}

// A fresh noisy document of w x h in the sized view; any save question answered No.
void FreshDocument(int32_t w, int32_t h) {
    MessageBoxQueueAnswer(IDNO);
    if (TMainForm_NewImage(Form(), w, h) != 0) std::abort();
    MessageBoxClearRecords();
    FillNoise(TWorkForm_GetBackground(Doc())->FImage);
    SizeView();
    ShowActualSize();
}

struct TPhase {
    std::vector<double> FMs;
    int64_t FComposes = 0, FRenders = 0;
};

// Runs action and paints the render window; the time and counts go to phase.
void Timed(const std::function<void()>& action, TPhase* phase) {
    TRenderCounts before, after;
    TWorkForm_GetRenderCounts(&before);
    auto t0 = std::chrono::steady_clock::now();
    action();
    if (TWorkForm* doc = Doc()) doc->FRenderWindow->FWidget->repaint();
    auto t1 = std::chrono::steady_clock::now();
    TWorkForm_GetRenderCounts(&after);
    phase->FMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    phase->FComposes = std::max(phase->FComposes, after.FComposes - before.FComposes);
    phase->FRenders = std::max(phase->FRenders, after.FRenders - before.FRenders);
    QApplication::processEvents();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Report(benchmark::State& state, const char* name, const TPhase& phase, double target) {
    const std::string n(name);
    state.counters[n + "_ms"] = Median(phase.FMs);
    state.counters[n + "_target_ms"] = target;
    state.counters[n + "_composes"] = double(phase.FComposes);
    state.counters[n + "_renders"] = double(phase.FRenders);
}

// Bytes the newest undo step keeps: an area step's saved colour and mask planes, else 0.
double NewestStepBytes() {
    TUndoHistory* history = Doc()->FHistory;
    const int32_t at = TUndoHistory_GetPosition(history);
    TUndoStep* step = at > 0 ? TUndoHistory_GetStep(history, at - 1) : nullptr;
    if (!step || step->FKind != TUS_AREA) return 0;
    const TLayer* saved = reinterpret_cast<TUndoAreaStep*>(step)->FSaved;
    if (!saved || !saved->FImage) return 0;
    const TImage* image = saved->FImage;
    return double(image->FSize) + (image->FMask ? double(image->FMask->FSize) : 0);
}

void Command(int id) {
    TMainForm_OnCommand(Form(), id);
}

// What the dispatch does after a command's operation.
void AfterOperation() {
    TMainForm_ShowImageSize(Form());
    TMainForm_UpdateMenus(Form());
}

// A whole-picture command with its undo and redo; each run starts from the same picture (the
// redo undone untimed).
void RunEdit(benchmark::State& state, const std::function<void()>& action, double target) {
    FreshDocument(KImageW, KImageH);
    TPhase command, undo, redo;
    double stepBytes = 0;
    for (auto _ : state) {
        for (int run = 0; run < KRuns; ++run) {
            Timed(action, &command);
            stepBytes = NewestStepBytes();
            Timed([] { Command(KCmdUndo); }, &undo);
            Timed([] { Command(KCmdRedo); }, &redo);
            Command(KCmdUndo);
            QApplication::processEvents();
        }
        state.SetIterationTime(Median(command.FMs) / 1000.0);
    }
    Report(state, "cmd", command, target);
    Report(state, "undo", undo, target);
    Report(state, "redo", redo, target);
    state.counters["undo_bytes"] = stepBytes;
}

void BM_Invert(benchmark::State& state) {
    RunEdit(state, [] { Command(KCmdInvert); }, 60);
}
void BM_Grayscale(benchmark::State& state) {
    RunEdit(state, [] { Command(KCmdGrayscale); }, 60);
}
void BM_BrightnessContrast20(benchmark::State& state) {
    RunEdit(
        state,
        [] {
            TWorkForm_AdjustBrightnessContrast(Doc(), 20, 20);
            AfterOperation();
        },
        60);
}
void BM_RotateRight(benchmark::State& state) {
    RunEdit(state, [] { Command(KCmdRotateRight); }, 60);
}
void BM_FlipHorizontal(benchmark::State& state) {
    RunEdit(state, [] { Command(KCmdFlipHorizontal); }, 60);
}
void BM_ImageSize50Smooth(benchmark::State& state) {
    RunEdit(
        state,
        [] {
            TWorkForm_ResizeImage(Doc(), KImageW / 2, KImageH / 2, 1);
            AfterOperation();
        },
        60);
}
void BM_ImageSize200Nearest(benchmark::State& state) {
    RunEdit(
        state,
        [] {
            TWorkForm_ResizeImage(Doc(), KImageW * 2, KImageH * 2, 0);
            AfterOperation();
        },
        250);
}

// Crop of a 2000 x 2000 selection into a document of its own, which has no undo step.
void BM_Crop2000(benchmark::State& state) {
    TPhase crop;
    for (auto _ : state) {
        for (int run = 0; run < KRuns; ++run) {
            FreshDocument(KImageW, KImageH);
            const TRectXYWH area = {1000, 500, 2000, 2000};
            TWorkForm_Select(Doc(), &area, TWS_AREA);
            QApplication::processEvents();
            MessageBoxQueueAnswer(IDNO);
            Timed([] { Command(KCmdCrop); }, &crop);
            MessageBoxClearRecords();
        }
        state.SetIterationTime(Median(crop.FMs) / 1000.0);
    }
    Report(state, "cmd", crop, 60);
    state.counters["result_w"] = Doc()->FComposite->FWidth;
}

const std::string& PhotoJpeg() {
    static std::string path = [] {
        std::string p = BenchPath("commands-photo.jpg");
        if (TImage_SaveFile(const_cast<TImage*>(Photo()), p.c_str()) != 0) std::abort();
        return p;
    }();
    return path;
}

const std::string& NoiseBmp() {
    static std::string path = [] {
        std::string p = BenchPath("commands-noise.bmp");
        TImage* image = TImage_Create(KImageW, KImageH, 24, TIF_BOTTOMUP | TIF_HASMASK);
        FillNoise(image);
        if (TImage_SaveFile(image, p.c_str()) != 0) std::abort();
        TImage_Destroy(image);
        return p;
    }();
    return path;
}

void RunOpen(benchmark::State& state, const std::string& path) {
    TPhase open;
    for (auto _ : state) {
        for (int run = 0; run < KRuns; ++run) {
            FreshDocument(KIconSide, KIconSide); // a small document to replace
            MessageBoxQueueAnswer(IDNO);
            Timed([&] { TMainForm_OpenFile(Form(), path.c_str()); }, &open);
            MessageBoxClearRecords();
        }
        state.SetIterationTime(Median(open.FMs) / 1000.0);
    }
    Report(state, "open", open, 120);
    state.counters["opened_w"] = Doc()->FComposite->FWidth;
}

void BM_OpenJpeg(benchmark::State& state) {
    RunOpen(state, PhotoJpeg());
}
void BM_OpenBmp(benchmark::State& state) {
    RunOpen(state, NoiseBmp());
}

std::string GSaveName;

bool GiveSaveName(TWorkForm*, std::string* name) {
    *name = GSaveName;
    return true;
}

// Save As through the command, the name given where the dialog would ask; failed counts the
// runs whose save reported an error.
void RunSave(benchmark::State& state, const char* name, double target, bool icon) {
    if (icon) { // an icon holds at most 256 colours: noise through a 256-colour table
        FreshDocument(KIconSide, KIconSide);
        TImage* image = TWorkForm_GetBackground(Doc())->FImage;
        for (int32_t y = 0; y < image->FHeight; ++y)
            for (int32_t x = 0; x < image->FWidth; ++x) {
                const uint32_t i = TImage_GetPixel(image, x, y) & 0xFF;
                TImage_SetPixel(image, x, y, i | ((255 - i) << 8) | (((i * 7) & 0xFF) << 16));
            }
        TWorkForm_Repaint(Doc());
    } else {
        MessageBoxQueueAnswer(IDNO);
        TMainForm_OpenFile(Form(), PhotoJpeg().c_str());
        SizeView();
        ShowActualSize();
    }
    MessageBoxClearRecords();
    GSaveName = BenchPath(name);
    TWorkForm_SetSaveNameProvider(GiveSaveName);
    TPhase save;
    int failed = 0;
    for (auto _ : state) {
        for (int run = 0; run < KRuns; ++run) {
            Timed([] { Command(KCmdSaveAs); }, &save);
            if (!MessageBoxRecords().empty()) {
                if (failed++ == 0)
                    state.SetLabel("error: " + MessageBoxRecords().front().FText);
            }
            MessageBoxClearRecords();
        }
        state.SetIterationTime(Median(save.FMs) / 1000.0);
    }
    Report(state, "save", save, target);
    state.counters["failed"] = failed;
    std::remove(GSaveName.c_str());
}

void BM_SaveBmp(benchmark::State& state) {
    RunSave(state, "save.bmp", 60, false);
}
void BM_SaveJpeg(benchmark::State& state) {
    RunSave(state, "save.jpg", 100, false);
}
void BM_SavePng(benchmark::State& state) {
    RunSave(state, "save.png", 0, false);
}
void BM_SaveIco255(benchmark::State& state) {
    RunSave(state, "save.ico", 0, true);
}

void Configure(benchmark::internal::Benchmark* b) {
    b->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Invert)->Apply(Configure);
BENCHMARK(BM_Grayscale)->Apply(Configure);
BENCHMARK(BM_BrightnessContrast20)->Apply(Configure);
BENCHMARK(BM_RotateRight)->Apply(Configure);
BENCHMARK(BM_FlipHorizontal)->Apply(Configure);
BENCHMARK(BM_ImageSize50Smooth)->Apply(Configure);
BENCHMARK(BM_ImageSize200Nearest)->Apply(Configure);
BENCHMARK(BM_Crop2000)->Apply(Configure);
BENCHMARK(BM_OpenJpeg)->Apply(Configure);
BENCHMARK(BM_OpenBmp)->Apply(Configure);
BENCHMARK(BM_SaveBmp)->Apply(Configure);
BENCHMARK(BM_SaveJpeg)->Apply(Configure);
BENCHMARK(BM_SavePng)->Apply(Configure);
BENCHMARK(BM_SaveIco255)->Apply(Configure);

// The picture opened, eight Inverts, and the peak resident size with what the history holds.
int PeakMemory() {
    MessageBoxQueueAnswer(IDNO);
    if (TMainForm_OpenFile(Form(), PhotoJpeg().c_str()) != 1) return 1;
    SizeView();
    ShowActualSize();
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    const long opened = usage.ru_maxrss;
    for (int i = 0; i < 8; ++i) {
        Command(KCmdInvert);
        Doc()->FRenderWindow->FWidget->repaint();
        QApplication::processEvents();
    }
    getrusage(RUSAGE_SELF, &usage);
    double steps = 0;
    TUndoHistory* history = Doc()->FHistory;
    for (int32_t i = 0; i < TUndoHistory_GetCount(history); ++i) {
        TUndoStep* step = TUndoHistory_GetStep(history, i);
        const TLayer* saved =
            step && step->FKind == TUS_AREA ? reinterpret_cast<TUndoAreaStep*>(step)->FSaved
                                            : nullptr;
        if (saved && saved->FImage)
            steps += double(saved->FImage->FSize) + double(saved->FImage->FMask->FSize);
    }
    std::printf("peak resident after open: %.1f MB\n", double(opened) / 1024.0);
    std::printf("peak resident after 8 Inverts: %.1f MB (target 520 MB)\n",
                double(usage.ru_maxrss) / 1024.0);
    std::printf("undo steps: %d holding %.1f MB\n", int(TUndoHistory_GetCount(history)),
                steps / 1e6);
    return 0;
}

void TearDown() {
    TWorkForm_SetSaveNameProvider(nullptr);
    TMainForm_Destroy(TMainForm_Get());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    TApplication_Free();
}
} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--peak_memory") == 0) {
            if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
            QApplication app(argc, argv);
            int result = PeakMemory();
            TearDown();
            return result;
        }
    return RunWindowedBenchmarks(argc, argv, TearDown);
}
