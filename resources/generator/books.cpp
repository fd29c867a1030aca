// Writes the sample library and checks each picture: exactly black and white,
// and the page centre inside a closed shape.
#include "books.h"
#include "common.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <deque>

using namespace gen;

void ground(Sketch &s, double y, double wave)
{
    QPainterPath g;
    g.moveTo(-5, y);
    for (double x = -5; x < s.width() + 5; x += 80)
        g.cubicTo(x + 25, y - wave, x + 55, y + wave, x + 80, y);
    s.stroke(g);
}

void sun(Sketch &s, double cx, double cy, double r, int rays)
{
    for (int i = 0; i < rays; ++i) {
        const double a = i * 2 * M_PI / rays;
        const double b = M_PI / rays * 0.55;
        s.poly({QPointF(cx + std::cos(a - b) * r * 1.1, cy + std::sin(a - b) * r * 1.1),
                QPointF(cx + std::cos(a) * r * 1.65, cy + std::sin(a) * r * 1.65),
                QPointF(cx + std::cos(a + b) * r * 1.1, cy + std::sin(a + b) * r * 1.1)});
    }
    s.circle(cx, cy, r);
}

void cloud(Sketch &s, double cx, double cy, double k)
{
    s.puff({QPointF(cx - 40 * k, cy + 6 * k), QPointF(cx - 12 * k, cy - 12 * k), QPointF(cx + 22 * k, cy - 6 * k),
            QPointF(cx + 44 * k, cy + 8 * k), QPointF(cx, cy + 12 * k)},
           {22 * k, 28 * k, 25 * k, 18 * k, 22 * k});
}

void grassTuft(Sketch &s, double x, double y, double h)
{
    s.poly({QPointF(x - 10, y), QPointF(x - 12, y - h * 0.7), QPointF(x - 4, y - h * 0.25),
            QPointF(x, y - h), QPointF(x + 4, y - h * 0.25), QPointF(x + 12, y - h * 0.7),
            QPointF(x + 10, y)});
}

namespace {

struct Book {
    const char *folder;
    std::vector<PictureSpec> pictures;
};

// 4-connected fill over white; returns whether it reached the page border.
bool fillTouchesBorder(const QImage &img, int sx, int sy, std::vector<uint8_t> &seen, int *area)
{
    const int w = img.width(), h = img.height();
    bool border = false;
    std::deque<std::pair<int, int>> todo{{sx, sy}};
    seen[size_t(sy) * w + sx] = 1;
    int n = 0;
    while (!todo.empty()) {
        auto [x, y] = todo.front();
        todo.pop_front();
        ++n;
        if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
            border = true;
        const int nx[4] = {x - 1, x + 1, x, x};
        const int ny[4] = {y, y, y - 1, y + 1};
        for (int k = 0; k < 4; ++k) {
            if (nx[k] < 0 || ny[k] < 0 || nx[k] >= w || ny[k] >= h)
                continue;
            uint8_t &s = seen[size_t(ny[k]) * w + nx[k]];
            if (!s && img.pixel(nx[k], ny[k]) == 0xFFFFFFFFu) {
                s = 1;
                todo.emplace_back(nx[k], ny[k]);
            }
        }
    }
    if (area)
        *area = n;
    return border;
}

void report(const QString &name, const QImage &img)
{
    const int w = img.width(), h = img.height();
    std::vector<uint8_t> seen(size_t(w) * h, 0);
    int enclosed = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (!seen[size_t(y) * w + x] && img.pixel(x, y) == 0xFFFFFFFFu) {
                int area = 0;
                if (!fillTouchesBorder(img, x, y, seen, &area) && area >= 30)
                    ++enclosed;
            }
    int cx = w / 2;
    while (cx < w && img.pixel(cx, h / 2) != 0xFFFFFFFFu)
        ++cx;
    std::vector<uint8_t> seen2(size_t(w) * h, 0);
    const bool open = cx >= w || fillTouchesBorder(img, cx, h / 2, seen2, nullptr);
    std::printf("  %-28s %3d regions%s\n", qPrintable(name), enclosed,
                open ? "  ** centre region reaches the border **" : "");
}

bool onlyBlackAndWhite(const QImage &img)
{
    const QImage rgb = img.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = rgb.pixel(x, y);
            if (c != 0xFF000000u && c != 0xFFFFFFFFu)
                return false;
        }
    return true;
}

bool writeGif(const QImage &img, const QString &file, const QTemporaryDir &tmp)
{
    const QString png = tmp.filePath("page.png");
    img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(png, "PNG");
    QProcess convert;
    convert.start("/usr/bin/convert", {png, "+dither", "-type", "Palette", "-colors", "2", file});
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0) {
        std::fprintf(stderr, "convert failed for %s: %s\n", qPrintable(file),
                     convert.readAllStandardError().constData());
        return false;
    }
    return true;
}

bool writeOneBitBmp(const QImage &img, const QString &file)
{
    return img.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither).save(file, "BMP");
}

} // namespace

void makeBooks(const Out &out)
{
    const std::vector<Book> books = {
        {"farm animals", farmAnimals()},
        {"vehicles", vehicles()},
        {"the garden", theGarden()},
        {"at home", atHome()},
    };
    QTemporaryDir tmp;
    for (const Book &book : books) {
        const QString folder = out.path(QStringLiteral("books/%1/x").arg(QLatin1String(book.folder)));
        QDir dir = QFileInfo(folder).dir();
        for (const QString &old : dir.entryList({"*.gif", "*.bmp"}, QDir::Files))
            dir.remove(old);
        std::printf("%s\n", book.folder);
        for (const PictureSpec &pic : book.pictures) {
            Sketch sketch(pic.portrait ? 480 : 640, pic.portrait ? 640 : 480);
            pic.draw(sketch);
            const QImage img = sketch.image();
            const QString file = dir.filePath(QLatin1String(pic.file));
            bool ok;
            if (file.endsWith(".gif"))
                ok = writeGif(img, file, tmp);
            else if (pic.oneBitBmp)
                ok = writeOneBitBmp(img, file);
            else
                ok = saveBmp24(img, file);
            const QImage back(file);
            if (!ok || back.isNull() || !onlyBlackAndWhite(back)
                || back.convertToFormat(QImage::Format_RGB32) != img)
                std::fprintf(stderr, "  %s: written file differs from the drawing\n", pic.file);
            report(QLatin1String(pic.file), img);
        }
    }
}

QPainterPath curve(QPointF a, QPointF c1, QPointF c2, QPointF b)
{
    QPainterPath p;
    p.moveTo(a);
    p.cubicTo(c1, c2, b);
    return p;
}
