// gdi's hot paths beside memcpy of the same bytes: the view's stretch of a 1920 x 1080 window
// onto a 4000 x 3000 24-bit picture into a 32-bit off-screen buffer at 1/8, 1, 8 and 16; filled
// ellipses and rectangles of 2000 x 2000 on a colour and a mask plane together; and the block
// copy of a whole 4000 x 3000 24-bit surface. Medians of repetitions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "platform/gdi.h"

namespace {
const int32_t KImageW = 4000, KImageH = 3000, KViewW = 1920, KViewH = 1080;

// A context with its own bitmap, alive for the whole program.
struct Surface {
    TGdiDC* FDC;
    TGdiBitmapInfo FInfo;
};

Surface MakeSurface(int32_t w, int32_t h, int bits, int bottomUp, bool random) {
    Surface s;
    s.FDC = Gdi_CreateCompatibleDC(nullptr);
    TGdiObject* bitmap = bits == 32 && !bottomUp
                             ? Gdi_CreateCompatibleBitmap(s.FDC, w, h)
                             : Gdi_CreateDIBSection(w, h, bits, bottomUp, nullptr);
    Gdi_SelectObject(s.FDC, bitmap);
    Gdi_GetBitmapInfo(bitmap, &s.FInfo);
    if (random) {
        std::mt19937 r(7);
        for (int32_t i = 0; i < s.FInfo.FSizeImage; i += 4) {
            uint32_t v = r();
            std::memcpy(s.FInfo.FBits + i, &v, 4);
        }
    }
    return s;
}

const Surface& Picture() {
    static Surface s = MakeSurface(KImageW, KImageH, 24, 1, true);
    return s;
}

const Surface& View() {
    static Surface s = MakeSurface(KViewW, KViewH, 32, 0, false);
    return s;
}

void SetRate(benchmark::State& state, int64_t pixels) {
    state.counters["Mpixel"] = benchmark::Counter(double(pixels) * double(state.iterations()) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void Copy(benchmark::State& state, size_t bytes) {
    std::vector<uint8_t> from(bytes, 1), to(bytes, 0);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
}
} // namespace

// The render step: the visible part of the picture (plus two pixels, as the view takes) stretched
// by the zoom into the off-screen buffer; range(0) is the zoom times 8.
static void BM_StretchView(benchmark::State& state) {
    const Surface& picture = Picture();
    const Surface& view = View();
    double zoom = double(state.range(0)) / 8;
    int32_t sw = int32_t(KViewW / zoom) + 2, sh = int32_t(KViewH / zoom) + 2;
    if (sw > KImageW) sw = KImageW;
    if (sh > KImageH) sh = KImageH;
    int32_t w = int32_t(sw * zoom), h = int32_t(sh * zoom);
    if (zoom == 1) sw = w = KViewW, sh = h = KViewH; // the plain copy of zoom 1
    int32_t origin = zoom < 1 ? 0 : 100;             // the whole picture, or a part of it
    for (auto _ : state) {
        if (!Gdi_StretchBlt(view.FDC, 0, 0, w, h, picture.FDC, origin, origin, sw, sh, GDI_SRCCOPY))
            state.SkipWithError("stretch refused");
        benchmark::ClobberMemory();
    }
    int64_t shown = int64_t(std::min(w, KViewW)) * std::min(h, KViewH);
    SetRate(state, shown);
}
BENCHMARK(BM_StretchView)
    ->Arg(1)
    ->Arg(8)
    ->Arg(64)
    ->Arg(128)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The baseline of the render step: memcpy of a whole 32-bit frame.
static void BM_MemcpyFrame(benchmark::State& state) {
    Copy(state, size_t(KViewW) * KViewH * 4);
    SetRate(state, int64_t(KViewW) * KViewH);
}
BENCHMARK(BM_MemcpyFrame)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A filled 2000 x 2000 figure on a colour and a mask plane, as the shape tools draw it;
// range(0) 0 is the rectangle, 1 the ellipse.
static void BM_FilledFigure(benchmark::State& state) {
    static Surface colour = MakeSurface(2048, 2048, 24, 1, false);
    static Surface mask = MakeSurface(2048, 2048, 1, 1, false);
    TGdiObject* pen = Gdi_CreatePen(GDI_PS_SOLID, 3, 0x3080FF);
    TGdiObject* brush = Gdi_CreateSolidBrush(0x3080FF);
    TGdiObject* maskPen = Gdi_CreatePen(GDI_PS_SOLID, 3, 0xFFFFFF);
    TGdiObject* maskBrush = Gdi_CreateSolidBrush(0xFFFFFF);
    TGdiObject* oldPen = Gdi_SelectObject(colour.FDC, pen);
    TGdiObject* oldBrush = Gdi_SelectObject(colour.FDC, brush);
    TGdiObject* oldMaskPen = Gdi_SelectObject(mask.FDC, maskPen);
    TGdiObject* oldMaskBrush = Gdi_SelectObject(mask.FDC, maskBrush);
    auto draw = state.range(0) ? Gdi_Ellipse : Gdi_Rectangle;
    for (auto _ : state) {
        draw(colour.FDC, 20, 20, 2020, 2020);
        draw(mask.FDC, 20, 20, 2020, 2020);
        benchmark::ClobberMemory();
    }
    Gdi_SelectObject(colour.FDC, oldPen);
    Gdi_SelectObject(colour.FDC, oldBrush);
    Gdi_SelectObject(mask.FDC, oldMaskPen);
    Gdi_SelectObject(mask.FDC, oldMaskBrush);
    for (TGdiObject* o : {pen, brush, maskPen, maskBrush})
        Gdi_DeleteObject(o);
    SetRate(state, int64_t(2000) * 2000);
}
BENCHMARK(BM_FilledFigure)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// The baseline of the figures: memcpy of the bytes of both planes of 2000 x 2000.
static void BM_MemcpyFigurePlanes(benchmark::State& state) {
    Copy(state, size_t(2000) * 2000 * 3 + size_t(2000) * 2000 / 8);
    SetRate(state, int64_t(2000) * 2000);
}
BENCHMARK(BM_MemcpyFigurePlanes)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A whole 4000 x 3000 24-bit surface copied to another, as an undo snapshot is taken.
static void BM_BitBltSurface(benchmark::State& state) {
    const Surface& picture = Picture();
    static Surface copy = MakeSurface(KImageW, KImageH, 24, 1, false);
    for (auto _ : state) {
        if (!Gdi_BitBlt(copy.FDC, 0, 0, KImageW, KImageH, picture.FDC, 0, 0, GDI_SRCCOPY))
            state.SkipWithError("copy refused");
        benchmark::ClobberMemory();
    }
    SetRate(state, int64_t(KImageW) * KImageH);
}
BENCHMARK(BM_BitBltSurface)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

static void BM_MemcpySurface(benchmark::State& state) {
    Copy(state, size_t(Picture().FInfo.FSizeImage));
    SetRate(state, int64_t(KImageW) * KImageH);
}
BENCHMARK(BM_MemcpySurface)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
