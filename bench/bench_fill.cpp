// The flood fill on 1024 x 768 line art made of four of the library's pictures: the large
// area of their joined backgrounds, and every area of 2,000 to 8,000 pixels, each beside a
// plain textbook span fill of the same pixels. Every iteration fills white with red or red
// back with white, so the page is the same for the next. (main() is bench_imaging.cpp's.)

#include "Gdi.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

using namespace vb;

namespace {

constexpr uint32_t kWhite = 0xFFFFFFFF;
constexpr uint32_t kRed = 0xFFFF0000;

struct Area {
    QPoint seed;
    int64_t pixels;
};

struct Page {
    QImage image;
    std::vector<Area> areas; // the white areas, largest first
};

// Four pictures shrunk to the page's quarters, nearest pixel, so it stays black on white.
QImage mosaic() {
    const QString books =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../program/books/");
    const char* pictures[] = {"farm animals/cow.gif", "vehicles/bus.gif",
                              "the garden/butterfly.gif", "at home/house.gif"};
    QImage page(1024, 768, QImage::Format_RGB32);
    page.fill(kWhite);
    QPainter p(&page);
    for (int i = 0; i < 4; ++i) {
        const QImage picture(books + QString::fromUtf8(pictures[i]));
        if (picture.isNull()) qFatal("missing library picture %s", pictures[i]);
        p.drawImage((i % 2) * 512, (i / 2) * 384,
                    picture.scaled(512, 384, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    }
    return page;
}

// The plain textbook span fill (Smith's), one pixel at a time.
void textbookFill(QImage& img, int x0, int y0, uint32_t target, uint32_t fill) {
    struct Span {
        int x1, x2, y, dy;
    };
    static std::vector<Span> stack;
    const int w = img.width(), h = img.height();
    auto* px = reinterpret_cast<uint32_t*>(img.bits()); // 32-bit rows have no padding
    auto inside = [&](int x, int y) {
        return x >= 0 && x < w && y >= 0 && y < h && (px[y * w + x] & 0xFFFFFF) == target;
    };
    auto set = [&](int x, int y) { px[y * w + x] = fill; };
    if (!inside(x0, y0)) return;
    stack.clear();
    stack.push_back({x0, x0, y0, 1});
    stack.push_back({x0, x0, y0 - 1, -1});
    while (!stack.empty()) {
        auto [x1, x2, y, dy] = stack.back();
        stack.pop_back();
        int x = x1;
        if (inside(x, y)) {
            while (inside(x - 1, y)) set(--x, y);
            if (x < x1) stack.push_back({x, x1 - 1, y - dy, -dy});
        }
        while (x1 <= x2) {
            while (inside(x1, y)) set(x1++, y);
            if (x1 > x) stack.push_back({x, x1 - 1, y + dy, dy});
            if (x1 - 1 > x2) stack.push_back({x2 + 1, x1 - 1, y - dy, -dy});
            ++x1;
            while (x1 < x2 && !inside(x1, y)) ++x1;
            x = x1;
        }
    }
}

const Page& page() {
    static const Page* made = [] {
        auto* pg = new Page{mosaic(), {}};
        // Mark each white area in a colour of its own on a scratch copy, then count them.
        QImage scratch = pg->image.copy();
        for (int y = 0; y < scratch.height(); ++y)
            for (int x = 0; x < scratch.width(); ++x)
                if ((scratch.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) {
                    const uint32_t mark = uint32_t(pg->areas.size()) + 2; // neither black nor white
                    textbookFill(scratch, x, y, 0xFFFFFF, 0xFF000000u | mark);
                    pg->areas.push_back({QPoint(x, y), 0});
                }
        for (int y = 0; y < scratch.height(); ++y)
            for (int x = 0; x < scratch.width(); ++x) {
                const uint32_t mark = scratch.pixel(x, y) & 0xFFFFFF;
                if (mark >= 2 && mark < pg->areas.size() + 2) ++pg->areas[mark - 2].pixels;
            }
        std::sort(pg->areas.begin(), pg->areas.end(),
                  [](const Area& a, const Area& b) { return a.pixels > b.pixels; });
        return pg;
    }();
    return *made;
}

std::vector<Area> smallAreas() {
    std::vector<Area> out;
    for (const Area& a : page().areas)
        if (a.pixels >= 2000 && a.pixels <= 8000) out.push_back(a);
    return out;
}

void report(benchmark::State& state, int64_t pixelsPerIteration, size_t areas) {
    // Seconds per pixel, scaled to nanoseconds.
    state.counters["ns_per_px"] = benchmark::Counter(double(pixelsPerIteration) * 1e-9,
                                                     benchmark::Counter::kIsIterationInvariantRate |
                                                         benchmark::Counter::kInvert);
    state.counters["areas"] = double(areas);
    state.SetItemsProcessed(state.iterations() * pixelsPerIteration);
}

void runOurs(benchmark::State& state, const std::vector<Area>& areas) {
    DeviceContext dc(page().image);
    dc.fillSolid = true;
    bool white = true;
    int64_t pixels = 0;
    for (const Area& a : areas) pixels += a.pixels;
    for (auto _ : state) {
        dc.fillColor = RgbToColorValue(white ? kRed : kWhite);
        const int32_t target = RgbToColorValue(white ? kWhite : kRed);
        for (const Area& a : areas) ExtFloodFill(&dc, a.seed.x(), a.seed.y(), target, FLOODSURFACE);
        white = !white;
        benchmark::ClobberMemory();
    }
    report(state, pixels, areas.size());
}

void runTextbook(benchmark::State& state, const std::vector<Area>& areas) {
    QImage img = page().image.copy();
    bool white = true;
    int64_t pixels = 0;
    for (const Area& a : areas) pixels += a.pixels;
    for (auto _ : state) {
        const uint32_t fill = white ? kRed : kWhite;
        const uint32_t target = (white ? kWhite : kRed) & 0xFFFFFF;
        for (const Area& a : areas) textbookFill(img, a.seed.x(), a.seed.y(), target, fill);
        white = !white;
        benchmark::ClobberMemory();
    }
    report(state, pixels, areas.size());
}

void BM_Fill_Ours_LargeRegion(benchmark::State& state) {
    runOurs(state, {page().areas.front()});
}
BENCHMARK(BM_Fill_Ours_LargeRegion)->Unit(benchmark::kMicrosecond);

void BM_Fill_Reference_LargeRegion(benchmark::State& state) {
    runTextbook(state, {page().areas.front()});
}
BENCHMARK(BM_Fill_Reference_LargeRegion)->Unit(benchmark::kMicrosecond);

void BM_Fill_Ours_SmallRegions(benchmark::State& state) {
    runOurs(state, smallAreas());
}
BENCHMARK(BM_Fill_Ours_SmallRegions)->Unit(benchmark::kMicrosecond);

void BM_Fill_Reference_SmallRegions(benchmark::State& state) {
    runTextbook(state, smallAreas());
}
BENCHMARK(BM_Fill_Reference_SmallRegions)->Unit(benchmark::kMicrosecond);

} // namespace
