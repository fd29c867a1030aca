// The automatic save of a 640 x 480 coloured copy through the colouring window's own code
// (canvas to picture, DIB section, JPEG at quality 90, safe write), beside libjpeg-turbo
// encoding the same pixels straight to a file; and the section and writer on their own on
// a 1024 x 768 page. (main() is bench_imaging.cpp's.)

#include "AppPath.h"
#include "EndProgram.h"
#include "FrmMain.h"
#include "Screen.h"
#include "cDIBSection.h"
#include "frmOpen.h"
#include "mIntelJPEGLibrary.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <jpeglib.h>

using namespace vb;

namespace {

// Line art with coloured regions: the kind of picture a coloured copy holds.
QImage colouredPage() {
    QImage img(1024, 768, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    for (int i = 0; i < 12; ++i) {
        p.setBrush(QColor::fromHsv(i * 30, 180, 230));
        p.setPen(QPen(Qt::black, 3));
        p.drawEllipse(40 + i * 75, 100 + (i % 3) * 150, 120, 200);
    }
    return img;
}

// The colouring window loaded as the program starts it, in a program folder of its own,
// with a library picture on the canvas whose areas a child has coloured.
struct ColouringWindow {
    QTemporaryDir folder;
    FrmMain& m = Forms::FrmMain();

    ColouringWindow() {
        SetAppPath(folder.path());
        SetEndProgramHandler([] { qFatal("the program ended during the benchmark"); });
        QFile settings(folder.filePath("Settings.txt"));
        if (!settings.open(QIODevice::WriteOnly)) qFatal("cannot write Settings.txt");
        settings.write("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        settings.close();
        const QString books = QCoreApplication::applicationDirPath() + "/../program/books/";
        QDir().mkpath(folder.filePath("books/farm animals"));
        const QString picture = folder.filePath("books/farm animals/cow.gif");
        QFile::copy(books + "farm animals/cow.gif", picture);
        const QImage cow(picture);
        if (cow.isNull()) qFatal("missing library picture");
        Screen::Override(QSize(1024, 768), 32);
        // The first load shows the picture chooser: nothing is chosen.
        QTimer chooser;
        QObject::connect(&chooser, &QTimer::timeout, [] {
            frmOpen& open = Forms::frmOpen();
            if (!open.IsLoaded() || !open.Visible()) return;
            open.FileName.clear();
            open.Hide();
        });
        chooser.start(10);
        m.Load();
        if (!m.Loaded) qFatal("the colouring window did not load");

        const QImage page = cow.convertToFormat(QImage::Format_RGB32);
        m.P->setPicture(StdPicture(page));
        m.tP->setPicture(StdPicture(page));
        m.PicturePath = picture;
        HDC dc = m.P->hDC();
        dc->fillSolid = true;
        for (int i = 0; i < 40; ++i) {
            dc->fillColor = RgbToColorValue(QColor::fromHsv(i * 37 % 360, 200, 230).rgb());
            ExtFloodFill(dc, 15 + i * 97 % 610, 15 + i * 53 % 450, 0xFFFFFF, FLOODSURFACE);
        }
    }
};

ColouringWindow& window() {
    static auto* w = new ColouringWindow;
    return *w;
}

// libjpeg-turbo as it is usually called: 32-bit rows straight from memory to a file.
void directEncode(const QImage& img, const QString& path) {
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    FILE* f = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!f) qFatal("cannot write %s", qPrintable(path));
    jpeg_stdio_dest(&cinfo, f);
    cinfo.image_width = JDIMENSION(img.width());
    cinfo.image_height = JDIMENSION(img.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRX;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(img.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    std::fclose(f);
}

// Each iteration also times a direct encode of the same pixels, untimed by the benchmark,
// so the ratio of the two comes from one stretch of machine load.
void BM_AutoSave_Whole(benchmark::State& state) {
    ColouringWindow& w = window();
    const QString direct = w.folder.filePath("direct.jpg");
    double wholeNs = 0, directNs = 0;
    QElapsedTimer clock;
    for (auto _ : state) {
        w.m.SavedCanvas.reset(); // an untouched canvas would not be written again
        clock.start();
        w.m.SaveColoredPicture();
        wholeNs += double(clock.nsecsElapsed());
        state.PauseTiming();
        const QImage pixels = w.m.P->hDC()->image();
        clock.start();
        directEncode(pixels, direct);
        directNs += double(clock.nsecsElapsed());
        state.ResumeTiming();
    }
    if (!QFileInfo(w.folder.filePath("colored pictures/farm animals/cow.jpg")).isFile())
        state.SkipWithError("no coloured copy was written");
    state.counters["x_direct"] = directNs > 0 ? wholeNs / directNs : 0;
}
BENCHMARK(BM_AutoSave_Whole)->Unit(benchmark::kMillisecond);

void BM_AutoSave_DirectEncode(benchmark::State& state) {
    ColouringWindow& w = window();
    const QImage pixels = w.m.P->hDC()->image();
    const QString direct = w.folder.filePath("direct.jpg");
    for (auto _ : state) directEncode(pixels, direct);
}
BENCHMARK(BM_AutoSave_DirectEncode)->Unit(benchmark::kMillisecond);

void BM_SectionFromPicture(benchmark::State& state) {
    const StdPicture page(colouredPage());
    cDIBSection s;
    for (auto _ : state) {
        s.CreateFromPicture(page);
        benchmark::DoNotOptimize(s.DIBSectionBitsPtr());
    }
}
// Repetitions report the median among their aggregates.
BENCHMARK(BM_SectionFromPicture)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_SaveJpegFile(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page.jpg"));
    cDIBSection s;
    s.CreateFromPicture(StdPicture(colouredPage()));
    for (auto _ : state) benchmark::DoNotOptimize(SaveJpegFile(s, path, 90));
}
BENCHMARK(BM_SaveJpegFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

} // namespace
