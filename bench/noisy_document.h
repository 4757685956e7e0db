// What the windowed benchmarks share: their main, and a work form in a shown top-level window whose
// view is viewWidth x viewHeight once both scroll bars show, holding a noisy, wholly visible
// background of width x height, composed and shown.
#pragma once

#include <cstring>
#include <memory>
#include <random>

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QWidget>

#include "core/image.h"
#include "core/layer.h"
#include "document/work_form.h"

// Random colours over the whole colour plane, every pixel visible.
inline void FillNoise(TImage* image) {
    std::mt19937 random(11);
    for (int32_t i = 0; i + 4 <= image->FSize; i += 4) {
        uint32_t v = random();
        std::memcpy(image->FBits + i, &v, 4);
    }
    std::memset(image->FMask->FBits, 0xFF, size_t(image->FMask->FSize));
}

inline TWorkForm* MakeNoisyDocument(std::unique_ptr<QWidget>* main, int32_t width, int32_t height,
                                    int32_t viewWidth, int32_t viewHeight) {
    *main = std::make_unique<QWidget>();
    int bar = (*main)->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    (*main)->resize(viewWidth + bar, viewHeight + bar);
    (*main)->show();
    TWorkForm* form = TWorkForm_Create(main->get());
    TWorkForm_New(form, width, height);
    FillNoise(TWorkForm_GetBackground(form)->FImage);
    TRectXYWH bounds = {0, 0, viewWidth + bar, viewHeight + bar};
    TWorkForm_Relayout(form, &bounds);
    TWorkForm_Repaint(form);
    QApplication::processEvents();
    return form;
}

// A mouse event of type at widget point p, delivered at once.
inline void SendMouse(QWidget* widget, QEvent::Type type, QPoint p, Qt::MouseButton button,
                      Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(p), QPointF(widget->mapToGlobal(p)), button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

// Runs the benchmarks under an (offscreen unless told otherwise) application; tearDown takes the
// windows down before the application goes.
inline int RunWindowedBenchmarks(int argc, char** argv, void (*tearDown)()) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    tearDown();
    benchmark::Shutdown();
    return 0;
}
