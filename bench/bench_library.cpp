// The picture chooser over the sample library (four books, 30 pictures): loading the
// window, which scans the library into the thumbnail sheet, and one arrow click's
// 161-step scroll animation with its repaints. (main() is bench_imaging.cpp's.)

#include "AppPath.h"
#include "frmOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A copy of the staged program folder (<build>/program), so the benchmark never writes
// into the build.
const QTemporaryDir& sampleProgramFolder() {
    static QTemporaryDir* dir = [] {
        auto* d = new QTemporaryDir;
        const QString books =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../program/books");
        for (const QString& book : QDir(books).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QDir().mkpath(d->filePath("books/" + book));
            for (const QString& f : QDir(books + "/" + book).entryList(QDir::Files))
                QFile::copy(books + "/" + book + "/" + f, d->filePath("books/" + book + "/" + f));
        }
        return d;
    }();
    return *dir;
}

void BM_ScanSampleLibrary(benchmark::State& state) {
    vb::SetAppPath(sampleProgramFolder().path());
    frmOpen& f = Forms::frmOpen();
    for (auto _ : state) {
        f.Load();
        state.PauseTiming();
        if (f.Pics.size() != 31) state.SkipWithError("the sample library has not 30 pictures");
        f.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
    vb::SetAppPath(QString());
}
BENCHMARK(BM_ScanSampleLibrary)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_ScrollAnimation(benchmark::State& state) {
    vb::SetAppPath(sampleProgramFolder().path());
    frmOpen& f = Forms::frmOpen();
    f.Show(false);
    QCoreApplication::processEvents();
    if (f.Pmb->ScaleHeight() - f.PB->ScaleHeight() < 160)
        state.SkipWithError("the sheet is too short for a full click");
    for (auto _ : state) {
        f.cScroll_click(1);
        state.PauseTiming();
        if (f.Pmb->Top() != -160.f) state.SkipWithError("the click did not scroll 160 pixels");
        f.Pmb->setTop(0);
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    f.Unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    vb::SetAppPath(QString());
}
BENCHMARK(BM_ScrollAnimation)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

} // namespace
