// The loading/About picture and the first-run background: a pale watercolour
// sky with two bright birds on a flowering branch in the lower right corner.
// The upper left stays quiet because the windows write their text there.
#include "common.h"

#include <QPainterPath>

#include <cmath>

using namespace gen;

namespace {

constexpr double FirstRunDrawingScale = 0.55;
constexpr double FirstRunVisibleHeight = 361;

QImage watercolourSky(int w, int h)
{
    QImage img = blank(w, h);
    const QColor top(170, 208, 238);
    const QColor horizon(248, 240, 226);
    for (int y = 0; y < h; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const double fy = double(y) / h;
            const double wash = fbm(x / 140.0, y / 110.0, 7, 3);
            // pigment pools unevenly: the gradient wanders with the wash
            QColor c = mix(top, horizon, clamp01(fy * 1.15 + (wash - 0.5) * 0.45));
            // soft blooms of deeper blue high in the sky
            const double bloom = smoothstep(0.5, 0.72, fbm(x / 95.0, y / 80.0, 23, 2));
            c = mix(c, QColor(140, 188, 232), bloom * 0.4 * (1.0 - fy));
            // soft white clouds where another wash is high
            const double cloud = smoothstep(0.56, 0.7, fbm(x / 170.0 + 3.1, y / 70.0, 19, 4));
            c = mix(c, QColor(253, 253, 255), cloud * (1.0 - fy) * 0.9);
            // paper grain
            const double grain = (noise2(x * 0.9, y * 0.9, 31) - 0.5) * 0.035;
            c = grain > 0 ? lighter(c, grain) : darker(c, -grain);
            line[x] = c.rgb();
        }
    }
    return img;
}

void blossom(QPainter &p, QPointF c, double r, const QColor &petal)
{
    p.setPen(QPen(darker(petal, 0.25), r * 0.08));
    p.setBrush(petal);
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5 + r;
        p.drawEllipse(c + QPointF(std::cos(a), std::sin(a)) * r * 0.62, r * 0.5, r * 0.5);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 60));
    p.drawEllipse(c, r * 0.3, r * 0.3);
}

void leaf(QPainter &p, QPointF base, double len, double angleDeg)
{
    p.save();
    p.translate(base);
    p.rotate(angleDeg);
    QPainterPath l;
    l.moveTo(0, 0);
    l.quadTo(len * 0.5, -len * 0.32, len, 0);
    l.quadTo(len * 0.5, len * 0.32, 0, 0);
    p.setPen(QPen(QColor(50, 110, 40), len * 0.05));
    p.setBrush(QColor(110, 185, 80));
    p.drawPath(l);
    p.drawLine(QPointF(0, 0), QPointF(len * 0.85, 0));
    p.restore();
}

struct BirdColours {
    QColor body, belly, wing, beak;
};

// A round little songbird perched with its feet at the origin.
void bird(QPainter &p, QPointF feet, double s, bool facingRight, const BirdColours &c)
{
    p.save();
    p.translate(feet);
    p.scale(facingRight ? s : -s, s);
    const QPen edge(darker(c.body, 0.55), 1.6);
    // tail, behind the body
    QPainterPath tail;
    tail.moveTo(-18, -22);
    tail.lineTo(-52, -4);
    tail.lineTo(-48, 4);
    tail.lineTo(-14, -12);
    tail.closeSubpath();
    p.setPen(edge);
    p.setBrush(darker(c.body, 0.15));
    p.drawPath(tail);
    // feet
    p.setPen(QPen(QColor(90, 70, 50), 2.2));
    p.drawLine(QPointF(-4, -10), QPointF(-6, 0));
    p.drawLine(QPointF(6, -10), QPointF(6, 0));
    // body and belly
    p.setPen(edge);
    p.setBrush(c.body);
    p.drawEllipse(QPointF(0, -26), 28, 21);
    p.setPen(Qt::NoPen);
    p.setBrush(c.belly);
    p.drawEllipse(QPointF(9, -19), 17, 13);
    // head
    p.setPen(edge);
    p.setBrush(c.body);
    p.drawEllipse(QPointF(22, -46), 15, 14);
    // wing
    QPainterPath wing;
    wing.moveTo(-14, -36);
    wing.cubicTo(6, -42, 14, -28, 6, -18);
    wing.cubicTo(-6, -12, -24, -16, -34, -14);
    wing.cubicTo(-26, -22, -24, -32, -14, -36);
    p.setBrush(c.wing);
    p.drawPath(wing);
    p.setPen(QPen(darker(c.wing, 0.35), 1.2));
    p.drawLine(QPointF(-20, -22), QPointF(2, -26));
    p.drawLine(QPointF(-26, -17), QPointF(-2, -20));
    // beak and eye
    QPolygonF beak;
    beak << QPointF(34, -50) << QPointF(46, -45) << QPointF(34, -41);
    p.setPen(QPen(darker(c.beak, 0.4), 1.2));
    p.setBrush(c.beak);
    p.drawPolygon(beak);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(20, 20, 30));
    p.drawEllipse(QPointF(26, -50), 3.4, 3.4);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(27.2, -51.3), 1.1, 1.1);
    // a rosy cheek
    p.setBrush(QColor(255, 120, 120, 140));
    p.drawEllipse(QPointF(22, -42), 4, 2.6);
    p.restore();
}

// The branch and birds are drawn in a square of side 480 * s whose right edge is the
// picture's and whose top is at `top`.
QImage scene(int w, int h, double s, double top)
{
    QImage img = watercolourSky(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    auto at = [&](double fx, double fy) {
        return QPointF(w - (1.0 - fx) * 480 * s, top + fy * 480 * s);
    };

    // the branch comes in from the right edge and reaches toward the middle
    QPainterPath branch;
    branch.moveTo(at(1.02, 0.86));
    branch.cubicTo(at(0.82, 0.84), at(0.62, 0.86), at(0.3, 0.76));
    QPainterPath twig;
    twig.moveTo(at(0.62, 0.85));
    twig.quadTo(at(0.56, 0.93), at(0.44, 0.96));
    QPainterPath twig2;
    twig2.moveTo(at(0.45, 0.81));
    twig2.quadTo(at(0.4, 0.72), at(0.33, 0.66));
    QPen bark(QColor(92, 62, 40), 15 * s);
    bark.setCapStyle(Qt::RoundCap);
    p.setPen(bark);
    p.setBrush(Qt::NoBrush);
    p.drawPath(branch);
    bark.setWidth(int(std::max(2.0, 7 * s)));
    p.setPen(bark);
    p.drawPath(twig);
    p.drawPath(twig2);
    QPen light(QColor(150, 110, 75), 3 * s);
    light.setCapStyle(Qt::RoundCap);
    p.setPen(light);
    p.drawPath(branch.translated(0, -4 * s));

    const double leafAngles[] = {-150, 160, -120, 30, -60, 140, 200, -30};
    const double leafT[] = {0.1, 0.22, 0.35, 0.5, 0.64, 0.78, 0.9, 0.97};
    for (int i = 0; i < 8; ++i)
        leaf(p, branch.pointAtPercent(leafT[i]), 34 * s, leafAngles[i]);

    const QColor pinks[] = {QColor(255, 170, 200), QColor(255, 140, 180), QColor(255, 205, 225)};
    const double flowerT[] = {0.05, 0.16, 0.3, 0.44, 0.58, 0.7, 0.85, 0.99};
    for (int i = 0; i < 8; ++i) {
        const QPointF c = branch.pointAtPercent(flowerT[i]) + QPointF(0, (i % 2 ? 10 : -12) * s);
        blossom(p, c, (13 + (i % 3) * 3) * s, pinks[i % 3]);
    }
    blossom(p, twig.pointAtPercent(1.0), 14 * s, pinks[0]);
    blossom(p, twig.pointAtPercent(0.6), 11 * s, pinks[2]);
    blossom(p, twig2.pointAtPercent(1.0), 15 * s, pinks[1]);
    blossom(p, twig2.pointAtPercent(0.55), 11 * s, pinks[0]);

    // two birds facing each other
    bird(p, branch.pointAtPercent(0.66) - QPointF(0, 5 * s), 1.35 * s, true,
         {QColor(230, 50, 40), QColor(255, 190, 90), QColor(170, 30, 30), QColor(255, 170, 0)});
    bird(p, branch.pointAtPercent(0.3) - QPointF(0, 6 * s), 1.25 * s, false,
         {QColor(40, 120, 235), QColor(255, 225, 80), QColor(20, 70, 170), QColor(255, 150, 30)});
    return img;
}

} // namespace

// The program's name on the splash, so that the About box says what it is about. It sits
// below the strip the licence text may use and clear of the birds.
void title(QImage &img)
{
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QString name = QStringLiteral("The Tintavale");
    QFont big = kidFont(54);
    p.setFont(big);
    const std::vector<QColor> letters = rainbowLetters();
    double x = 34;
    int coloured = 0;
    for (const QChar c : name) {
        // A soft white halo keeps the letters clear of the watercolour behind them.
        QPainterPath glyph;
        glyph.addText(x, 112, big, QString(c));
        p.setPen(QPen(QColor(255, 255, 255, 200), 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPath(glyph);
        p.fillPath(glyph, c.isSpace() ? QColor() : letters[size_t(coloured++) % letters.size()]);
        x += QFontMetricsF(big).horizontalAdvance(c);
    }
    p.setFont(kidFont(26));
    p.setPen(QColor(70, 90, 140));
    p.drawText(QPointF(40, 150), QStringLiteral("Version 5"));
}

void makeScenes(const Out &out)
{
    QImage splash = scene(590, 480, 1.0, 0);
    title(splash);
    saveBmp24(splash, out.path("assets/design/splash.bmp"));
    // The first-run window writes over its picture everywhere but a strip on the right,
    // below its second paragraph (the picture's lower 32 rows lie outside the window): the
    // branch and birds shrink into that corner and leave every line of text on clear sky.
    const double s = FirstRunDrawingScale;
    QImage faded = scene(573, 393, s, FirstRunVisibleHeight - 0.96 * 480 * s);
    for (int y = 0; y < faded.height(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(faded.scanLine(y));
        for (int x = 0; x < faded.width(); ++x)
            line[x] = lighter(QColor(line[x]), 0.55).rgb();
    }
    saveBmp24(faded, out.path("assets/design/firsttime.bmp"));
}
