// The program icon (a crayon over a splash of colour) and the two cursors:
// a pointing hand for buttons and a small target for the canvas.
#include "common.h"

#include <QPainterPath>

#include <cmath>

using namespace gen;

namespace {

QImage transparent(int size)
{
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    return img;
}

QImage icon(int size)
{
    QImage img = transparent(size);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 96.0, size / 96.0);
    const double edge = std::max(1.5, 96.0 / size * 0.9);
    // splash: overlapping blobs of colour
    const struct { QPointF c; double r; QColor col; } blobs[] = {
        {{34, 40}, 28, QColor(255, 200, 0)},
        {{62, 34}, 24, QColor(60, 160, 245)},
        {{58, 64}, 26, QColor(240, 70, 140)},
        {{30, 66}, 20, QColor(90, 200, 80)},
    };
    for (const auto &b : blobs) {
        p.setPen(QPen(darker(b.col, 0.35), edge));
        p.setBrush(b.col);
        p.drawEllipse(b.c, b.r, b.r);
    }
    // crayon from top right to bottom left
    p.translate(18, 82);
    p.rotate(-45);
    const double w = 22;
    const QColor red(225, 40, 40);
    p.setPen(QPen(QColor(60, 20, 20), edge));
    QPainterPath tip;
    tip.moveTo(0, -w * 0.5 - 3);
    tip.lineTo(18, -w);
    tip.lineTo(18, 0);
    tip.lineTo(0, -w * 0.5 + 3);
    tip.closeSubpath();
    p.setBrush(red);
    p.drawPath(tip);
    p.drawRoundedRect(QRectF(18, -w, 64, w), 4, 4);
    p.setBrush(QColor(255, 240, 210));
    p.drawRect(QRectF(28, -w, 42, w));
    p.setPen(QPen(red, 4));
    p.drawLine(QPointF(35, -w + 4), QPointF(35, -4));
    p.drawLine(QPointF(63, -w + 4), QPointF(63, -4));
    return img;
}

// Cursor pictures carry their hot spot as PNG text, read back by the program.
void saveCursor(QImage img, int hotX, int hotY, const QString &file)
{
    img.setText(QStringLiteral("HotSpotX"), QString::number(hotX));
    img.setText(QStringLiteral("HotSpotY"), QString::number(hotY));
    savePng(img, file);
}

QImage hand()
{
    QImage img = transparent(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // index finger pointing up, other fingers curled, thumb at the side
    QPainterPath h;
    h.moveTo(9, 4);
    h.cubicTo(9, 1.5, 13, 1.5, 13, 4);
    h.lineTo(13, 13);
    h.cubicTo(13.5, 11, 17, 11, 17, 13.5);
    h.cubicTo(17.5, 11.5, 21, 11.5, 21, 14.5);
    h.cubicTo(21.5, 12.5, 25, 12.5, 25, 15.5);
    h.lineTo(25, 22);
    h.cubicTo(25, 27, 22, 30, 17, 30);
    h.lineTo(13, 30);
    h.cubicTo(10, 30, 8, 28, 6, 25);
    h.lineTo(2.5, 19);
    h.cubicTo(1.5, 17, 4, 15, 6, 17);
    h.lineTo(9, 20);
    h.closeSubpath();
    p.setPen(QPen(Qt::black, 1.6));
    p.setBrush(Qt::white);
    p.drawPath(h);
    p.setPen(QPen(Qt::black, 1.1));
    p.drawLine(QPointF(17, 14), QPointF(17, 19));
    p.drawLine(QPointF(21, 15), QPointF(21, 19.5));
    return img;
}

QImage target()
{
    QImage img = transparent(32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // centred on the middle of pixel (16, 16), the hot spot
    const double m = 16.5;
    const QPointF c(m, m);
    // a white halo under black strokes keeps it visible on any colour
    for (int pass = 0; pass < 2; ++pass) {
        QPen pen(pass == 0 ? QColor(255, 255, 255, 230) : QColor(0, 0, 0), pass == 0 ? 4 : 1.6);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, 6, 6);
        p.drawLine(QPointF(m, 3), QPointF(m, 8.5));
        p.drawLine(QPointF(m, 24.5), QPointF(m, 30));
        p.drawLine(QPointF(3, m), QPointF(8.5, m));
        p.drawLine(QPointF(24.5, m), QPointF(30, m));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawEllipse(c, 1.2, 1.2);
    return img;
}

} // namespace

void makeIconAndCursors(const Out &out)
{
    for (int size : {16, 32, 48, 96})
        savePng(icon(size), out.path(QStringLiteral("assets/icon/icon%1.png").arg(size)));
    saveCursor(hand(), 11, 2, out.path("assets/cursors/101.png"));
    saveCursor(target(), 16, 16, out.path("assets/cursors/102.png"));
}
