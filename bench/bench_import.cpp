// Installing picture packs of tiny pictures: the whole install (listing the books folder,
// naming, writing, loading every piece as the library scan would, flushing, renaming),
// for many distinct names, for many copies of one name, and for growing packs to show the
// cost stays linear. (main() is bench_imaging.cpp's.)

#include "../tests/PackSupport.h"
#include "PicturePack.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

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

// The books folders live beside the executable, as the library lives beside the program,
// and every installed book stays until the program ends: where thousands of files were
// deleted moments ago (a shared temporary folder, the previous run), the file system
// searches past the freed inodes for each new file, a cost a parent's import never meets.
QString FreshBooksFolder() {
    static QTemporaryDir root(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/import-XXXXXX"));
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
        const bool whole =
            !folder.isEmpty() && QDir(folder).entryList(QDir::Files).size() == pieces;
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError("the pack did not install whole");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * pieces);
}

void BM_Import_6000Pieces(benchmark::State& state) {
    RunImport(state, PackOf(6000, false), 6000);
}
BENCHMARK(BM_Import_6000Pieces)->Unit(benchmark::kMillisecond)->UseRealTime();

// The peer: the same 6000 files written and flushed, nothing else. What the file system
// alone costs, and on this machine's disk that can dominate (see above).
void BM_Import_WritePeer6000(benchmark::State& state) {
    const QString books = FreshBooksFolder();
    const QByteArray bytes = testing::TinyGif() + "\r\n";
    int run = 0;
    for (auto _ : state) {
        const QString folder = books + QStringLiteral("/peer%1/").arg(++run);
        QDir().mkdir(folder);
        for (int k = 0; k < 6000; ++k) {
            QFile file(folder + QStringLiteral("p%1.gif").arg(k));
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
                file.write(bytes) != bytes.size())
                state.SkipWithError("cannot write");
        }
        const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
        ::syncfs(fd);
        ::close(fd);
    }
    state.SetItemsProcessed(state.iterations() * 6000);
}
BENCHMARK(BM_Import_WritePeer6000)->Unit(benchmark::kMillisecond)->UseRealTime();

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
