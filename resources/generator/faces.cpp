// Button faces: the toolbar of the colouring window, the picture chooser and the
// message window. Each button has an up and a down look, latching buttons a pressed
// look as well; the looks differ in colour and depth so a child sees the press.
#include "common.h"
#include "faces.h"

#include <QPainterPath>

#include <functional>

using namespace gen;

namespace {

enum class Look { Up, Down, Pressed };

const QColor kInk(55, 55, 65);
const QColor kShadow(205, 205, 212);
const QColor kLatch(255, 150, 0);

QString bitmapPath(const Out &out, int id)
{
    return out.path(QStringLiteral("assets/bitmaps/%1.bmp").arg(id));
}

// Largest font size up to maxPx whose text fits the width.
QFont fitted(const QString &text, double maxPx, double width, bool kid = true)
{
    for (double px = maxPx; px > 7; px -= 0.5) {
        const QFont f = kid ? kidFont(px) : plainFont(px);
        if (QFontMetricsF(f).horizontalAdvance(text) <= width)
            return f;
    }
    return kid ? kidFont(7) : plainFont(7);
}

// Draws the word with each letter in its own colour (or all in one colour).
void drawWord(QPainter &p, const QString &text, const QFont &font, const QRectF &box,
              const std::vector<QColor> &colours)
{
    p.setFont(font);
    const QFontMetricsF fm(font);
    double x = box.center().x() - fm.horizontalAdvance(text) / 2;
    const double y = box.center().y() + (fm.ascent() - fm.descent()) / 2;
    int k = 0;
    for (const QChar ch : text) {
        if (ch != QLatin1Char(' ')) {
            p.setPen(colours[size_t(k) % colours.size()]);
            ++k;
        }
        p.drawText(QPointF(x, y), QString(ch));
        x += fm.horizontalAdvance(ch);
    }
}

// ---- toolbar ----------------------------------------------------------------

struct ToolbarButton {
    int up, down, pressed;   // pressed is 0 for buttons that do not latch
    int width;
    QString label;
    QColor tint;
    std::function<void(QPainter &, const QRectF &)> icon;
};

QImage toolbarFace(const ToolbarButton &b, Look look)
{
    QImage img = blank(b.width, 92);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QRectF tile(3, 3, b.width - 9, 83);
    QColor fill = b.tint;
    QColor edge = darker(b.tint, 0.4);
    double edgeWidth = 2;
    QColor text = kInk;
    if (look == Look::Up) {
        p.setPen(Qt::NoPen);
        p.setBrush(kShadow);
        p.drawRoundedRect(tile.translated(3, 3), 12, 12);
    } else if (look == Look::Down) {
        tile.translate(3, 3);
        fill = darker(b.tint, 0.18);
        edge = darker(b.tint, 0.55);
    } else {
        tile.translate(2, 2);
        fill = QColor(255, 246, 190);
        edge = kLatch;
        edgeWidth = 4;
        text = QColor(200, 70, 0);
    }
    p.setPen(QPen(edge, edgeWidth));
    p.setBrush(fill);
    p.drawRoundedRect(tile, 12, 12);
    if (look == Look::Down) {
        // a dark inner rim along the top and left reads as pushed in
        QPen rim(darker(b.tint, 0.35), 3);
        rim.setCapStyle(Qt::RoundCap);
        p.setPen(rim);
        p.drawLine(QPointF(tile.left() + 12, tile.top() + 3), QPointF(tile.right() - 12, tile.top() + 3));
        p.drawLine(QPointF(tile.left() + 3, tile.top() + 12), QPointF(tile.left() + 3, tile.bottom() - 12));
    }
    if (look == Look::Pressed) {
        // little sparkles in the corners mark the chosen tool
        p.setPen(QPen(kLatch, 1.6));
        for (const QPointF c : {tile.topLeft() + QPointF(9, 9), tile.topRight() + QPointF(-9, 9)}) {
            p.drawLine(c - QPointF(3.5, 0), c + QPointF(3.5, 0));
            p.drawLine(c - QPointF(0, 3.5), c + QPointF(0, 3.5));
        }
    }
    const QRectF iconBox(tile.left() + 8, tile.top() + 7, tile.width() - 16, 52);
    b.icon(p, iconBox);
    const QRectF labelBox(tile.left() + 2, tile.top() + 60, tile.width() - 4, 20);
    drawWord(p, b.label, fitted(b.label, 17, labelBox.width() - 4), labelBox, {text});
    return img;
}

void makeToolbar(const Out &out)
{
    const std::vector<ToolbarButton> buttons = {
        {102, 101, 0, 78, "open", QColor(255, 214, 214), icons::openBook},
        {146, 147, 0, 106, "clear", QColor(214, 236, 255), icons::eraser},
        {110, 109, 0, 89, "undo", QColor(222, 246, 210), icons::undoArrow},
        {130, 131, 132, 102, "crazy", QColor(240, 222, 255), icons::crazyRainbow},
        {108, 106, 107, 95, "crayon", QColor(255, 228, 200), icons::crayon},
        {105, 103, 104, 86, "paintbrush", QColor(210, 236, 250), icons::paintbrush},
        {119, 117, 118, 77, "pencil", QColor(222, 246, 214), icons::pencil},
        {143, 144, 145, 99, "marker", QColor(232, 232, 238), icons::marker},
    };
    for (const ToolbarButton &b : buttons) {
        saveBmp24(toolbarFace(b, Look::Up), bitmapPath(out, b.up));
        saveBmp24(toolbarFace(b, Look::Down), bitmapPath(out, b.down));
        if (b.pressed)
            saveBmp24(toolbarFace(b, Look::Pressed), bitmapPath(out, b.pressed));
    }
}

// ---- lettered buttons of the chooser and the message window ----------------

struct WordButton {
    int w, h;
    QString text;
    QColor edge;
    std::vector<QColor> letters;
    // Width of the drawn button from the left edge; the rest of the face stays white. The
    // message window's buttons sit closer together than their boxes are wide.
    int drawn = 0;
};

QImage wordFace(const WordButton &b, Look look)
{
    QImage img = blank(b.w, b.h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double shadow = b.h >= 35 ? 3 : 2;
    const int width = b.drawn > 0 ? b.drawn : b.w;
    QRectF pill(1, 1, width - 2 - shadow, b.h - 2 - shadow);
    const double radius = pill.height() / 2;
    QColor fill = Qt::white;
    QColor edge = b.edge;
    if (look == Look::Up) {
        p.setPen(Qt::NoPen);
        p.setBrush(kShadow);
        p.drawRoundedRect(pill.translated(shadow, shadow), radius, radius);
    } else if (look == Look::Down) {
        pill.translate(shadow, shadow);
        fill = lighter(b.edge, 0.72);
        edge = darker(b.edge, 0.25);
    } else {
        pill.translate(shadow * 0.5, shadow * 0.5);
        fill = QColor(255, 246, 190);
        edge = kLatch;
    }
    p.setPen(QPen(edge, b.h >= 35 ? 2.5 : 1.8));
    p.setBrush(fill);
    p.drawRoundedRect(pill, radius, radius);
    const QRectF textBox = pill.adjusted(radius * 0.6, 0, -radius * 0.6, 0);
    const QFont font = fitted(b.text, pill.height() * 0.78, textBox.width());
    drawWord(p, b.text, font, textBox.translated(0, -0.5), b.letters);
    return img;
}

void makeWordButtons(const Out &out)
{
    const QColor grey(120, 120, 128);
    const WordButton nevermind{193, 38, "nevermind", QColor(230, 90, 90), rainbowLetters()};
    const WordButton draw{238, 47, "draw a picture", QColor(60, 150, 235), rainbowLetters()};
    const WordButton more{130, 27, "more pictures", QColor(150, 90, 210), rainbowLetters()};
    const WordButton ok{65, 25, "OK", QColor(40, 160, 60), {QColor(30, 140, 50)}, 52};
    const WordButton detailsGrey{113, 25, "details", QColor(170, 170, 178), {grey}, 84};
    const WordButton detailsColour{113, 25, "details", QColor(170, 170, 178), rainbowLetters(),
                                   84};

    saveBmp24(wordFace(nevermind, Look::Up), bitmapPath(out, 114));
    saveBmp24(wordFace(nevermind, Look::Down), bitmapPath(out, 113));
    saveBmp24(wordFace(draw, Look::Up), bitmapPath(out, 148));
    saveBmp24(wordFace(draw, Look::Down), bitmapPath(out, 149));
    saveBmp24(wordFace(more, Look::Up), bitmapPath(out, 141));
    saveBmp24(wordFace(more, Look::Down), bitmapPath(out, 142));
    saveBmp24(wordFace(ok, Look::Up), bitmapPath(out, 115));
    saveBmp24(wordFace(ok, Look::Down), bitmapPath(out, 116));
    saveBmp24(wordFace(detailsGrey, Look::Up), bitmapPath(out, 127));
    saveBmp24(wordFace(detailsGrey, Look::Down), bitmapPath(out, 128));
    saveBmp24(wordFace(detailsColour, Look::Pressed), bitmapPath(out, 129));
}

// ---- scroll arrows and ball --------------------------------------------------

QImage arrowFace(int w, int h, bool pointsUp, Look look)
{
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base(80, 160, 240);
    QRectF tile(1, 1, w - 4, h - 4);
    if (look == Look::Up) {
        p.setPen(Qt::NoPen);
        p.setBrush(kShadow);
        p.drawRoundedRect(tile.translated(2, 2), 6, 6);
    } else {
        tile.translate(2, 2);
    }
    p.setPen(QPen(darker(base, 0.4), 1.5));
    p.setBrush(look == Look::Up ? base : darker(base, 0.3));
    p.drawRoundedRect(tile, 6, 6);
    const QPointF c = tile.center();
    const double s = std::min(tile.width(), tile.height()) * 0.3;
    QPolygonF tri;
    if (pointsUp)
        tri << c + QPointF(0, -s) << c + QPointF(s * 1.1, s * 0.7) << c + QPointF(-s * 1.1, s * 0.7);
    else
        tri << c + QPointF(0, s) << c + QPointF(s * 1.1, -s * 0.7) << c + QPointF(-s * 1.1, -s * 0.7);
    p.setPen(Qt::NoPen);
    p.setBrush(look == Look::Up ? Qt::white : QColor(255, 230, 120));
    p.drawPolygon(tri);
    return img;
}

QImage ballFace(int w, int h, Look look)
{
    QImage img = blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor base = look == Look::Up ? QColor(255, 150, 30) : QColor(220, 90, 0);
    const double r = std::min(w, h) / 2.0 - 1.5;
    const QPointF c(w / 2.0, h / 2.0);
    QRadialGradient g(c - QPointF(r * 0.35, r * 0.35), r * 1.3);
    g.setColorAt(0, lighter(base, 0.55));
    g.setColorAt(0.5, base);
    g.setColorAt(1, darker(base, 0.3));
    p.setPen(QPen(darker(base, 0.45), 1.2));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    if (look == Look::Down) {
        p.setPen(QPen(Qt::white, 1.4));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, r * 0.45, r * 0.45);
    }
    return img;
}

void makeScrollButtons(const Out &out)
{
    saveBmp24(arrowFace(28, 29, true, Look::Up), bitmapPath(out, 138));
    saveBmp24(arrowFace(28, 29, true, Look::Down), bitmapPath(out, 139));
    saveBmp24(arrowFace(31, 28, false, Look::Up), bitmapPath(out, 136));
    saveBmp24(arrowFace(31, 28, false, Look::Down), bitmapPath(out, 135));
    saveBmp24(ballFace(29, 28, Look::Up), bitmapPath(out, 137));
    saveBmp24(ballFace(29, 28, Look::Down), bitmapPath(out, 140));
}

} // namespace

void makeFaces(const Out &out)
{
    makeToolbar(out);
    makeWordButtons(out);
    makeScrollButtons(out);
}
