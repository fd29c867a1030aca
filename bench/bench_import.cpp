// Installing picture packs of tiny pictures: the whole install (listing the books folder,
// naming, writing, loading every piece as the library scan would, flushing, renaming),
// for many distinct names, for many copies of one name, and for growing packs to show the
// cost stays linear. (main() is bench_imaging.cpp's.)

#include "../tests/PackSupport.h"
#include "PicturePack.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QByteArray PackOf(int pieces, bool oneName) {
    QByteArray header = "Book";
    QList<QByteArray> bytes;
    for (int k = 0; k < pieces; ++k) {
        header += oneName ? QByteArray("|cat.gif") : "|p" + QByteArray::number(k) + ".gif";
        bytes << testing::TinyGif();
    }
    return testing::MakePack(header, bytes);
}

// Every installed book stays until the program ends: deleting thousands of files between
// runs would make the file system search past the freed inodes for each new file, a cost
// that a parent's import never meets.
QString FreshBooksFolder() {
    static QTemporaryDir root;
    static int used = 0;
    const QString books = root.filePath(QStringLiteral("books%1").arg(++used));
    QDir().mkpath(books + QStringLiteral("/Old"));
    return books;
}

void RunImport(benchmark::State& state, const QByteArray& pack, int pieces) {
    const QString books = FreshBooksFolder();
    for (auto _ : state) {
        const QString folder = PicturePack::Install(pack, books);
        state.PauseTiming();
        if (folder.isEmpty() || QDir(folder).entryList(QDir::Files).size() != pieces)
            state.SkipWithError("the pack did not install whole");
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * pieces);
}

void BM_Import_6000Pieces(benchmark::State& state) {
    RunImport(state, PackOf(6000, false), 6000);
}
BENCHMARK(BM_Import_6000Pieces)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Import_400Duplicates(benchmark::State& state) {
    RunImport(state, PackOf(400, true), 400);
}
BENCHMARK(BM_Import_400Duplicates)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Import_Pieces(benchmark::State& state) {
    const int pieces = int(state.range(0));
    RunImport(state, PackOf(pieces, false), pieces);
    state.SetComplexityN(pieces);
}
BENCHMARK(BM_Import_Pieces)
    ->RangeMultiplier(2)
    ->Range(750, 12000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Complexity(benchmark::oN);

} // namespace
