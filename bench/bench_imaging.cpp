// The image buffer and the drawing context on a 1024 x 768 page.

#include "PictureArea.h"
#include "cNDib.h"

#include <QApplication>
#include <QPainter>
#include <benchmark/benchmark.h>

using namespace vb;

namespace {

QImage linePage() {
    QImage img(1024, 768, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 3));
    for (int i = 0; i < 12; ++i) p.drawEllipse(40 + i * 75, 100 + (i % 3) * 150, 120, 200);
    return img;
}

PictureArea& pageArea() {
    static PictureArea* area = [] {
        auto* a = new PictureArea;
        a->setAutoSize(true);
        a->setPicture(StdPicture(linePage()));
        return a;
    }();
    return *area;
}

void BM_MakeFromPicture(benchmark::State& state) {
    cNDib d;
    for (auto _ : state) benchmark::DoNotOptimize(d.Make_From_Picture(pageArea()));
}
BENCHMARK(BM_MakeFromPicture)->Unit(benchmark::kMillisecond);

void BM_PixelPass(benchmark::State& state) {
    cNDib d;
    d.Make_From_Picture(pageArea());
    const int W = d.Width(), H = d.Height();
    for (auto _ : state) {
        for (int y = 0; y <= H; ++y)
            for (int x = 0; x <= W; ++x) {
                const int32_t c = d.Get_Pixel_Long(x, y);
                d.Set_Pixel(x, y, uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c));
            }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * (W + 1) * (H + 1));
}
BENCHMARK(BM_PixelPass)->Unit(benchmark::kMillisecond);

void BM_FloodFillBlankPage(benchmark::State& state) {
    QImage blank(1024, 768, QImage::Format_RGB32);
    DeviceContext dc(blank);
    dc.fillSolid = true;
    for (auto _ : state) {
        state.PauseTiming();
        dc.image().fill(Qt::white);
        state.ResumeTiming();
        dc.fillColor = 255;
        ExtFloodFill(&dc, 512, 384, 0xFFFFFF, FLOODSURFACE);
    }
    state.SetItemsProcessed(state.iterations() * 1024 * 768);
}
BENCHMARK(BM_FloodFillBlankPage)->Unit(benchmark::kMillisecond);

void BM_FitIntoThumbnail(benchmark::State& state) {
    cNDib d;
    d.Make_From_Picture(pageArea());
    DeviceContext dc(QImage(100, 100, QImage::Format_RGB32));
    for (auto _ : state) d.Set_dib_Fit(&dc, 0, 0, 100, 100);
}
BENCHMARK(BM_FitIntoThumbnail)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise: scripts/bench gives a private X display, where the
    // moves are timed on a window that really shows.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    UseSocketImageTransfer(); // as the program does
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
