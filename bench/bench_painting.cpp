// Painting on a 1024 x 768 page of line art: a press (snapshots, flood fill, region map),
// one brush stamp with its screen update, and one pencil segment. (main() with its
// offscreen application is bench_imaging.cpp's.)

#include "../tests/CanvasRig.h"
#include "../tests/PaintingSupport.h"
#include "FrmMain.h"
#include "PictureArea.h"
#include "mMain_Stamp.h"

#include <benchmark/benchmark.h>

using namespace vb;
using namespace testing;

namespace {

// The brush pictures of the program, or brushes of the same size drawn here.
cNDib brush(int index, int w, int h, int darkest) {
    QImage img(QString(":/design/pBr%1.bmp").arg(index));
    if (img.isNull() || img.width() != w) img = discBrush(w, h, darkest, std::min(w, h) / 2);
    return dibOf(img.convertToFormat(QImage::Format_RGB32));
}

struct Page {
    PictureArea canvas;
    cNDib canvasDib;
    cNDib regionMask;
    int32_t regionColor = 255;
    Page() {
        canvas.setAutoSize(true);
        canvas.setPicture(StdPicture(lineArt(1024, 768)));
        canvasDib.Make_From_Picture(canvas);
        // The region of the page's background, the largest one.
        ImageHost map(lineArt(1024, 768));
        map.dc.fillColor = 255;
        map.dc.fillSolid = true;
        ExtFloodFill(&map.dc, 5, 5, 0xFFFFFF, FLOODSURFACE);
        regionMask.Make_From_Picture(map);
    }
};

Page& page() {
    static Page* p = new Page;
    return *p;
}

// Stamp centres along a path through the page, outlines crossed on the way.
QPoint along(int64_t i) {
    return QPoint(60 + int(i * 7 % 900), 60 + int(i * 3 % 650));
}

void stamp(benchmark::State& state, const cNDib& b) {
    Page& pg = page();
    int64_t i = 0;
    for (auto _ : state) {
        const QPoint c = along(i++);
        StampBrush(pg.canvasDib, pg.regionMask, b, c.x(), c.y(), pg.regionColor,
                   int32_t(i * 2654435761u) & 0xFFFFFF, nullptr, pg.canvas.hDC(), -1000, -1000,
                   1.0f, 0, 0);
    }
}

void BM_StampPaintbrush(benchmark::State& state) {
    stamp(state, brush(1, 112, 106, 126));
}
BENCHMARK(BM_StampPaintbrush)->Unit(benchmark::kMicrosecond);

void BM_StampCrayon(benchmark::State& state) {
    stamp(state, brush(0, 38, 34, 5));
}
BENCHMARK(BM_StampCrayon)->Unit(benchmark::kMicrosecond);

void BM_PencilSegment100(benchmark::State& state) {
    Page& pg = page();
    FrmMain form; // not loaded: the line needs only the region map and the context
    form.RegionMask = std::make_unique<cNDib>(pg.regionMask);
    int64_t i = 0;
    for (auto _ : state) {
        const QPoint a = along(i++);
        form.LineGP(pg.canvas.hDC(), int16_t(a.x()), int16_t(a.y()), int16_t(a.x() + 100),
                    int16_t(a.y() + 37), 0x3366CC, pg.regionColor);
    }
}
BENCHMARK(BM_PencilSegment100)->Unit(benchmark::kMicrosecond);

// A crayon press in the page's background: template back to its picture, canvas and
// template snapshots, the fill, the region map and the first dab.
void BM_Press(benchmark::State& state) {
    static CanvasRig* rig = [] {
        auto* r = new CanvasRig;
        r->putPicture(lineArt(1024, 768));
        return r;
    }();
    int64_t i = 0;
    for (auto _ : state) {
        const QPoint c = (i++ % 2) ? QPoint(8, 8) : QPoint(1010, 20);
        rig->form.P_MouseDown(1, 0, float(c.x()), float(c.y()));
    }
}
BENCHMARK(BM_Press)->Unit(benchmark::kMillisecond);

// The release: the canvas buffer rebuilt from what the canvas shows.
void BM_Release(benchmark::State& state) {
    static CanvasRig* rig = [] {
        auto* r = new CanvasRig;
        r->putPicture(lineArt(1024, 768));
        return r;
    }();
    for (auto _ : state) rig->form.P_MouseUp(1, 0, 8, 8);
}
BENCHMARK(BM_Release)->Unit(benchmark::kMillisecond);

} // namespace
