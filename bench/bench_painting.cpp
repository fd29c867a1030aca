// Painting on a 1024 x 768 page of line art. The moves go through the colouring window's
// canvas handler on a shown window, each one timed until its screen update is out; the
// drawing-alone peers time the same stamp and pencil segment with no screen at all. (main()
// and its application are bench_imaging.cpp's.)

#include "../tests/CanvasRig.h"
#include "../tests/PaintingSupport.h"
#include "FrmMain.h"
#include "PictureArea.h"
#include "mMain_Stamp.h"
#include "pButton.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QWindow>
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
    return QPoint(60 + int(i * 7 % 800), 60 + int(i * 3 % 600));
}

// The pencil goes back and forth between a point of the path and one 100 px to its right
// (37 down): every move is a segment of about 100 px.
QPoint pencilPoint(int64_t i) {
    return along(i / 2) + ((i % 2) ? QPoint(100, 37) : QPoint(0, 0));
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

void BM_Draw_Paintbrush(benchmark::State& state) {
    stamp(state, brush(1, 112, 106, 126));
}
BENCHMARK(BM_Draw_Paintbrush)->Unit(benchmark::kMicrosecond);

void BM_Draw_Crayon(benchmark::State& state) {
    stamp(state, brush(0, 38, 34, 5));
}
BENCHMARK(BM_Draw_Crayon)->Unit(benchmark::kMicrosecond);

void BM_Draw_Pencil100(benchmark::State& state) {
    Page& pg = page();
    FrmMain form; // not loaded: the line needs only the region map and the context
    form.RegionMask = std::make_unique<cNDib>(pg.regionMask);
    int64_t i = 1;
    for (auto _ : state) {
        const QPoint a = pencilPoint(i - 1), b = pencilPoint(i++);
        form.LineGP(pg.canvas.hDC(), int16_t(a.x()), int16_t(a.y()), int16_t(b.x()), int16_t(b.y()),
                    0x3366CC, pg.regionColor);
    }
}
BENCHMARK(BM_Draw_Pencil100)->Unit(benchmark::kMicrosecond);

// The canvas on a shown top-level window, exposed before anything is timed.
CanvasRig& shownRig() {
    static CanvasRig* rig = [] {
        auto* r = new CanvasRig;
        r->putPicture(lineArt(1024, 768));
        for (pButton* b : r->form.c) b->hide(); // they lie over the canvas's corner
        QElapsedTimer wait;
        wait.start();
        while (!(r->window.windowHandle() && r->window.windowHandle()->isExposed()) &&
               wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
        return r;
    }();
    return *rig;
}

void sendMouse(QWidget* to, QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(at), QPointF(to->mapTo(to->window(), at)),
                  QPointF(to->mapToGlobal(at)), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(to, &e);
}

// Whether the screen shows `area` of the canvas as the canvas holds it.
bool shownOnScreen(CanvasRig& rig, QRect area) {
    area &= rig.form.P->rect();
    const QPoint at = rig.form.P->mapTo(&rig.window, area.topLeft());
    const QImage shown =
        QGuiApplication::primaryScreen()
            ->grabWindow(rig.window.winId(), at.x(), at.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    return shown == rig.canvas().copy(area);
}

// A stroke with `tool`, pressed in the page's background: each move is a mouse event to
// the canvas, then the event loop's turn, so a deferred screen update is paid for too.
template <typename Path> void moves(benchmark::State& state, int tool, Path path) {
    CanvasRig& rig = shownRig();
    rig.setTool(tool);
    sendMouse(rig.form.P, QEvent::MouseButtonPress, path(0), Qt::LeftButton);
    QCoreApplication::processEvents();
    int64_t i = 1;
    for (auto _ : state) {
        sendMouse(rig.form.P, QEvent::MouseMove, path(i++), Qt::LeftButton);
        QCoreApplication::processEvents();
    }
    sendMouse(rig.form.P, QEvent::MouseButtonRelease, path(i), Qt::NoButton);
    QCoreApplication::processEvents();
    const QPoint last = path(i - 1);
    if (!shownOnScreen(rig, QRect(last - QPoint(64, 64), QSize(128, 128))))
        state.SkipWithError("the screen does not show the stroke");
}

void BM_Move_Paintbrush(benchmark::State& state) {
    moves(state, 1, [](int64_t i) { return along(i); });
}
BENCHMARK(BM_Move_Paintbrush)->Unit(benchmark::kMicrosecond);

void BM_Move_Pencil100(benchmark::State& state) {
    moves(state, 2, pencilPoint);
}
BENCHMARK(BM_Move_Pencil100)->Unit(benchmark::kMicrosecond);

// The whole page shown again (as after an undo): the other end of the screen updates.
void BM_Show_WholePage(benchmark::State& state) {
    CanvasRig& rig = shownRig();
    for (auto _ : state) {
        rig.form.P->hDC()->markAllDirty();
        rig.form.P->Refresh();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_Show_WholePage)->Unit(benchmark::kMicrosecond);

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

// A crayon press and the first moves, on pages of 640 x 480 and 4096 x 3072 (the largest a
// pack may hold), through the real handlers of a shown window. Presses alternate between
// the page's background and the inside of its first ellipse, so each one maps a new region.
struct BigRig {
    CanvasRig rig;
    explicit BigRig(int w, int h) {
        rig.putPicture(lineArt(w, h));
        for (pButton* b : rig.form.c) b->hide();
        rig.window.move(0, 0);
        waitExposed(rig.window);
    }
    static void waitExposed(QWidget& window) {
        QElapsedTimer wait;
        wait.start();
        while (!(window.windowHandle() && window.windowHandle()->isExposed()) &&
               wait.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
    }
};

// One rig per size, shown only while its benchmark runs: a window left on the screen
// would make the other shown benchmarks' screen updates dearer.
BigRig& bigRig(int w) {
    static BigRig* small = nullptr;
    static BigRig* big = nullptr;
    BigRig*& r = w > 640 ? big : small;
    if (!r) r = new BigRig(w, w > 640 ? 3072 : 480);
    r->rig.window.show();
    r->rig.window.raise();
    BigRig::waitExposed(r->rig.window);
    return *r;
}

QPoint pressPoint(int64_t i) { return (i % 2) ? QPoint(100, 200) : QPoint(8, 8); }

// The press alone when `moves` is 0, else the first `moves` moves after it, 10 px apart,
// each with the event loop's turn.
void PressOrFirstMoves(benchmark::State& state, int moves) {
    BigRig& br = bigRig(int(state.range(0)));
    CanvasRig& rig = br.rig;
    rig.setTool(0);
    int64_t i = 0;
    for (auto _ : state) {
        const QPoint at = pressPoint(i++);
        if (moves > 0) state.PauseTiming();
        sendMouse(rig.form.P, QEvent::MouseButtonPress, at, Qt::LeftButton);
        QCoreApplication::processEvents();
        if (moves > 0) state.ResumeTiming();
        for (int m = 1; m <= moves; ++m) {
            sendMouse(rig.form.P, QEvent::MouseMove, at + QPoint(10 * m, 0), Qt::LeftButton);
            QCoreApplication::processEvents();
        }
        state.PauseTiming();
        sendMouse(rig.form.P, QEvent::MouseButtonRelease, at, Qt::NoButton);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    rig.window.hide();
}

void BM_Move_Press(benchmark::State& state) {
    PressOrFirstMoves(state, 0);
}
BENCHMARK(BM_Move_Press)->Arg(640)->Arg(4096)->Unit(benchmark::kMillisecond);

void BM_Move_FirstMoves(benchmark::State& state) {
    PressOrFirstMoves(state, 8);
}
BENCHMARK(BM_Move_FirstMoves)->Arg(640)->Arg(4096)->Unit(benchmark::kMillisecond);

// A straight crayon stroke as a hand makes it: the X server's own pointer (xdotool) presses
// in the background, moves 41 times 10 px to the right, `pace` ms apart, and lets go. The
// counter is the share of the path's pixels painted; a move that reaches no handler leaves
// a gap. The stroke is the second after the picture opened, its snapshot slot still empty.
// Needs a real X display and xdotool; skipped elsewhere.
void BM_Move_StrokeShare(benchmark::State& state) {
    const int w = int(state.range(0)), pace = int(state.range(1));
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        state.SkipWithError("needs an X display and xdotool");
        return;
    }
    BigRig& br = bigRig(w);
    CanvasRig& rig = br.rig;
    const QPoint start(100, 60), step(10, 0);
    constexpr int kMoves = 41;
    double share = 0;
    for (auto _ : state) {
        state.PauseTiming();
        // As after a start: a fresh picture, no snapshots yet, one click far from the path.
        rig.putPicture(lineArt(w, w > 640 ? 3072 : 480));
        for (auto& u : rig.form.UndoPictures) u.reset();
        for (auto& u : rig.form.UndoTemplates) u.reset();
        rig.form.RegionMask.reset();
        rig.setTool(0);
        rig.form.CurrentR = 200;
        const QPoint far(600, 400);
        sendMouse(rig.form.P, QEvent::MouseButtonPress, far, Qt::LeftButton);
        sendMouse(rig.form.P, QEvent::MouseButtonRelease, far, Qt::NoButton);
        QCoreApplication::processEvents();
        const QImage before = rig.canvas();
        QStringList args;
        auto to = [&](QPoint p) {
            const QPoint g = rig.form.P->mapToGlobal(p);
            args << QStringLiteral("mousemove") << QString::number(g.x())
                 << QString::number(g.y());
        };
        to(start - QPoint(0, 40));
        // Past the double-click interval of the last window closing here: the press must count.
        args << QStringLiteral("sleep") << QStringLiteral("0.6");
        to(start);
        args << QStringLiteral("sleep") << QStringLiteral("0.1") << QStringLiteral("mousedown")
             << QStringLiteral("1");
        for (int m = 1; m <= kMoves; ++m) {
            args << QStringLiteral("sleep") << QString::number(pace / 1000.0);
            to(start + step * m);
        }
        args << QStringLiteral("sleep") << QStringLiteral("0.05") << QStringLiteral("mouseup")
             << QStringLiteral("1");
        state.ResumeTiming();
        QProcess xdo;
        xdo.start(QStringLiteral("xdotool"), args);
        QElapsedTimer t;
        t.start();
        while (xdo.state() != QProcess::NotRunning && t.elapsed() < 20000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 end = t.elapsed() + 500;
        while (t.elapsed() < end) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        state.PauseTiming();
        const QImage after = rig.canvas();
        int painted = 0, total = 0;
        for (int x = start.x(); x <= start.x() + step.x() * kMoves; ++x, ++total)
            if (after.pixel(x, start.y()) != before.pixel(x, start.y())) ++painted;
        share = 100.0 * painted / total;
        state.ResumeTiming();
    }
    state.counters["painted_pct"] = share;
    rig.window.hide();
}
BENCHMARK(BM_Move_StrokeShare)
    ->Args({640, 15})
    ->Args({640, 3})
    ->Args({4096, 15})
    ->Args({4096, 3})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
