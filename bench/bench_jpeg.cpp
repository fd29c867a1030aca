// Writing a coloured 1024 x 768 page as a JPEG at quality 90, as the automatic save does,
// and filling the DIB section from the page before it. (main() is bench_imaging.cpp's.)

#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

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
