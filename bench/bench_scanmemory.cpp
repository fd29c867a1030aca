// The library scan's peak memory over a book of 20 line-art GIFs of 5600 x 5600 (white
// with three black rings, 17 MB each): the whole process's peak during the scan and its
// rise over what the process held before. Meant to run in a process of its own (see
// scripts/bench), where the peak is what a start-up with such a library reaches.
// (main() is bench_imaging.cpp's.)

#include "AppPath.h"
#include "frmOpen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cmath>
#include <memory>

namespace {

constexpr int Side = 5600;
constexpr int Pictures = 20;

// A field of /proc/self/status, in MB.
double statusMB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (QByteArray line; !(line = status.readLine()).isEmpty();)
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ')[0].toDouble() / 1024;
    return -1;
}

// Line art as a GIF of two colours whose codes are written without compression: a clear
// code before every two pixels keeps each code 3 bits wide.
bool writeRingsGif(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray head("GIF89a");
    const auto le16 = [&](int v) { head += char(v & 0xFF), head += char(v >> 8); };
    le16(Side), le16(Side);
    head += QByteArray::fromHex("810000"
                                "000000ffffff000000000000"); // black, white
    head += QByteArray::fromHex("2c00000000");
    le16(Side), le16(Side);
    head += QByteArray::fromHex("0002");
    f.write(head);
    struct Ring {
        double x, y, r;
    };
    const Ring rings[] = {{2800, 2800, 2300}, {1500, 1500, 600}, {4000, 4200, 700}};
    QByteArray data, block;
    uint32_t bits = 0, count = 0;
    const auto code = [&](uint32_t c) {
        bits |= c << count, count += 3;
        for (; count >= 8; count -= 8, bits >>= 8) data += char(bits & 0xFF);
    };
    long long i = 0;
    for (int y = 0; y < Side; ++y) {
        for (int x = 0; x < Side; ++x, ++i) {
            bool black = false;
            for (const Ring& r : rings) black |= std::abs(std::hypot(x - r.x, y - r.y) - r.r) < 4;
            if (i % 2 == 0) code(4);
            code(black ? 0 : 1);
        }
        // Whole sub-blocks of 255 bytes as they fill.
        qsizetype done = 0;
        for (; data.size() - done >= 255; done += 255) f.write(char(255) + data.mid(done, 255));
        data.remove(0, done);
    }
    code(5);
    if (count) data += char(bits & 0xFF);
    for (qsizetype at = 0; at < data.size(); at += 255) {
        block = data.mid(at, 255);
        f.write(char(block.size()) + block);
    }
    f.write(QByteArray::fromHex("003b"));
    return f.error() == QFile::NoError;
}

// A program folder with one book of the 20 pictures (links to one file).
const QTemporaryDir* hugeLibrary() {
    static std::unique_ptr<QTemporaryDir> dir;
    if (dir) return dir.get();
    dir = std::make_unique<QTemporaryDir>();
    const QString book = dir->filePath(QStringLiteral("books/huge pages"));
    const QString art = dir->filePath(QStringLiteral("rings.gif"));
    if (!QDir().mkpath(book) || !writeRingsGif(art)) return nullptr;
    for (int k = 0; k < Pictures; ++k)
        if (!QFile::link(art,
                         book + QStringLiteral("/page %1.gif").arg(k, 2, 10, QLatin1Char('0'))))
            return nullptr;
    return dir.get();
}

void BM_ScanPeakMemory(benchmark::State& state) {
    const QTemporaryDir* library = hugeLibrary();
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (!library || !clear.open(QIODevice::WriteOnly)) {
        state.SkipWithError("no library of huge pictures, or no peak to reset");
        return;
    }
    vb::SetAppPath(library->path());
    frmOpen& f = Forms::frmOpen();
    if (f.IsLoaded()) f.Unload();
    double peak = 0, rise = 0;
    for (auto _ : state) {
        const double before = statusMB("VmRSS:");
        // From here the kernel's peak counts from what the process holds now.
        clear.write("5");
        clear.flush();
        f.Load();
        state.PauseTiming();
        peak = statusMB("VmHWM:");
        rise = peak - before;
        const bool whole = f.Pics.size() == size_t(Pictures) + 1 && f.IsLoaded();
        f.Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
        if (!whole) {
            state.SkipWithError("the scan did not place every picture");
            break;
        }
    }
    state.counters["peak_MB"] = peak;
    state.counters["rise_MB"] = rise;
    vb::SetAppPath(QString());
}
BENCHMARK(BM_ScanPeakMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
