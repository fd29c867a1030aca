// The picture chooser: the library scan from the loading of the window to a usable
// chooser, over libraries of 200 and 1000 pictures made by copying the sample books'
// pictures into book folders; and one arrow click's 161-step scroll animation with its
// repaints over the sample library. (main() is bench_imaging.cpp's.)

#include "AppPath.h"
#include "frmOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

constexpr int PicturesPerBook = 25;

// The staged program folder's sample books (<build>/program/books), as full paths.
QStringList samplePictures() {
    const QString books =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../program/books");
    QStringList files;
    for (const QString& book : QDir(books).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        for (const QString& f : QDir(books + "/" + book).entryList(QDir::Files, QDir::Name))
            files << books + "/" + book + "/" + f;
    return files;
}

// A temporary program folder whose library holds `pictures` copies of the sample
// pictures, in books of 25 (0 = the sample books themselves), so that the benchmark never
// writes into the build.
const QTemporaryDir& programFolder(int pictures) {
    static std::map<int, std::unique_ptr<QTemporaryDir>> folders;
    std::unique_ptr<QTemporaryDir>& dir = folders[pictures];
    if (dir) return *dir;
    dir = std::make_unique<QTemporaryDir>();
    const QStringList samples = samplePictures();
    for (int k = 0; k < (pictures ? pictures : int(samples.size())); ++k) {
        const QString& sample = samples[k % samples.size()];
        const QString book =
            pictures ? QStringLiteral("book %1").arg(k / PicturesPerBook, 3, 10, QLatin1Char('0'))
                     : sample.section('/', -2, -2);
        const QString name =
            QStringLiteral("%1 %2").arg(k, 4, 10, QLatin1Char('0')).arg(sample.section('/', -1));
        QDir().mkpath(dir->filePath("books/" + book));
        QFile::copy(sample, dir->filePath("books/" + book + "/" + name));
    }
    return *dir;
}

void BM_Scan(benchmark::State& state) {
    // A library without pictures would end in the scan's modal message.
    if (samplePictures().isEmpty()) {
        state.SkipWithError("the build has staged no sample books");
        return;
    }
    const int pictures = int(state.range(0));
    vb::SetAppPath(programFolder(pictures).path());
    frmOpen& f = Forms::frmOpen();
    // A chooser left loaded by another benchmark keeps its sheet and would not scan.
    if (f.IsLoaded()) f.Unload();
    for (auto _ : state) {
        f.Load();
        state.PauseTiming();
        const bool whole =
            f.Pics.size() == size_t(pictures) + 1 && f.IsLoaded() && f.Pmb->isVisibleTo(f.PB);
        f.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError("the scan did not place every picture");
            break;
        }
    }
    state.counters["threads"] = QThread::idealThreadCount();
    vb::SetAppPath(QString());
}
BENCHMARK(BM_Scan)
    ->Arg(200)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Repetitions(5)
    ->ReportAggregatesOnly();

void BM_ScrollAnimation(benchmark::State& state) {
    vb::SetAppPath(programFolder(0).path());
    frmOpen& f = Forms::frmOpen();
    if (f.IsLoaded()) f.Unload();
    f.Show(false);
    QCoreApplication::processEvents();
    if (f.Pmb->ScaleHeight() - f.PB->ScaleHeight() < 160)
        state.SkipWithError("the sheet is too short for a full click");
    for (auto _ : state) {
        f.cScroll_click(1);
        state.PauseTiming();
        const bool scrolled = f.Pmb->Top() == -160.f;
        f.Pmb->setTop(0);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        if (!scrolled) {
            state.SkipWithError("the click did not scroll 160 pixels");
            break;
        }
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
