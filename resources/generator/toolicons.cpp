#include "common.h"
#include "faces.h"

#include <QPainterPath>

#include <cmath>

using namespace gen;

namespace {

QPen outline(double w = 1.6, const QColor &c = QColor(40, 40, 40))
{
    QPen pen(c, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

// Lays a drawing tool along the local x axis: tip at (0, 0), pointing left,
// rotated so it leans over the box from top right to bottom left.
void leanOver(QPainter &p, const QRectF &box, double tipX, double tipY, double angle)
{
    p.translate(box.left() + box.width() * tipX, box.top() + box.height() * tipY);
    p.rotate(angle);
}

// Longest tool of the given thickness that, laid from the tip at the given
// angle, stays inside the box.
double fitLength(const QRectF &box, double tipX, double tipY, double angle, double thickness)
{
    const double a = std::abs(angle) * M_PI / 180;
    const double up = (box.height() * tipY - thickness * std::cos(a) - 1) / std::sin(a);
    const double across = (box.width() * (1 - tipX) - thickness * std::sin(a) - 1) / std::cos(a);
    return std::min(up, across);
}

void scribble(QPainter &p, const QRectF &box, const QColor &c, double width, double y)
{
    QPainterPath s;
    const double x0 = box.left() + 2;
    const double yy = box.top() + box.height() * y;
    s.moveTo(x0, yy);
    const double step = (box.width() * 0.55) / 4;
    for (int i = 0; i < 4; ++i) {
        const double xa = x0 + step * i;
        s.cubicTo(xa + step * 0.3, yy - 7, xa + step * 0.7, yy + 7, xa + step, yy);
    }
    QPen pen(c, width);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    p.drawPath(s);
}

} // namespace

namespace icons {

void openBook(QPainter &p, const QRectF &b)
{
    p.save();
    const double cx = b.center().x();
    const double top = b.top() + b.height() * 0.18;
    const double bottom = b.bottom() - b.height() * 0.08;
    const double half = std::min(b.width() * 0.46, b.height() * 0.62);
    // cover
    QPainterPath cover;
    cover.moveTo(cx, bottom + 3);
    cover.lineTo(cx - half - 3, bottom - 2);
    cover.lineTo(cx - half - 3, top + 4);
    cover.lineTo(cx + half + 3, top + 4);
    cover.lineTo(cx + half + 3, bottom - 2);
    cover.closeSubpath();
    p.setPen(outline());
    p.setBrush(QColor(220, 60, 60));
    p.drawPath(cover);
    // two pages bending to the spine
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath page;
        page.moveTo(cx, top + 6);
        page.quadTo(cx + side * half * 0.5, top - 4, cx + side * half, top);
        page.lineTo(cx + side * half, bottom - 5);
        page.quadTo(cx + side * half * 0.5, bottom - 9, cx, bottom);
        page.closeSubpath();
        p.setBrush(QColor(255, 253, 240));
        p.drawPath(page);
    }
    // a little picture on each page: sun over a hill, and a flower
    const double ph = bottom - top;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 200, 0));
    p.drawEllipse(QPointF(cx - half * 0.62, top + ph * 0.32), ph * 0.12, ph * 0.12);
    p.setBrush(QColor(90, 190, 70));
    QPainterPath hill;
    hill.moveTo(cx - half * 0.9, bottom - 8);
    hill.quadTo(cx - half * 0.5, top + ph * 0.35, cx - 4, bottom - 6);
    hill.closeSubpath();
    p.drawPath(hill);
    p.setBrush(QColor(90, 190, 70));
    p.drawRect(QRectF(cx + half * 0.48, top + ph * 0.45, 2.2, ph * 0.4));
    p.setBrush(QColor(240, 90, 170));
    for (int i = 0; i < 5; ++i) {
        const double a = i * 2 * M_PI / 5;
        p.drawEllipse(QPointF(cx + half * 0.5 + std::cos(a) * ph * 0.1,
                              top + ph * 0.38 + std::sin(a) * ph * 0.1), ph * 0.07, ph * 0.07);
    }
    p.setBrush(QColor(255, 220, 0));
    p.drawEllipse(QPointF(cx + half * 0.5, top + ph * 0.38), ph * 0.06, ph * 0.06);
    p.restore();
}

void eraser(QPainter &p, const QRectF &b)
{
    p.save();
    // rainbow smudges being rubbed away
    const QColor smudge[] = {QColor(240, 80, 80), QColor(255, 190, 40), QColor(80, 170, 240)};
    for (int i = 0; i < 3; ++i) {
        QPen pen(lighter(smudge[i], 0.15), 5);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        const double y = b.top() + b.height() * (0.55 + 0.13 * i);
        p.drawLine(QPointF(b.left() + 3, y), QPointF(b.left() + b.width() * (0.32 - 0.07 * i), y));
    }
    // sparkles where it is clean
    p.setPen(outline(1.6, QColor(255, 170, 0)));
    for (int i = 0; i < 2; ++i) {
        const QPointF c(b.left() + b.width() * (0.2 + 0.2 * i), b.top() + b.height() * (0.2 + 0.12 * i));
        const double r = 4.5 - i;
        p.drawLine(c - QPointF(r, 0), c + QPointF(r, 0));
        p.drawLine(c - QPointF(0, r), c + QPointF(0, r));
    }
    leanOver(p, b, 0.42, 0.86, -35);
    const double len = b.width() * 0.62;
    const double w = b.height() * 0.34;
    p.setPen(outline());
    p.setBrush(QColor(255, 150, 170));
    p.drawRoundedRect(QRectF(0, -w, len * 0.42, w), 3, 3);
    p.setBrush(QColor(80, 140, 230));
    p.drawRoundedRect(QRectF(len * 0.42, -w, len * 0.58, w), 3, 3);
    p.setPen(outline(1.2, QColor(255, 255, 255)));
    p.drawLine(QPointF(len * 0.55, -w * 0.5), QPointF(len * 0.9, -w * 0.5));
    p.restore();
}

void undoArrow(QPainter &p, const QRectF &b)
{
    p.save();
    const QPointF c = b.center() + QPointF(b.width() * 0.06, b.height() * 0.05);
    const double r = std::min(b.width(), b.height()) * 0.34;
    QPainterPath arc;
    arc.arcMoveTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), -110);
    arc.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), -110, 250);
    QPen back(QColor(30, 30, 30), 13);
    back.setCapStyle(Qt::RoundCap);
    p.setPen(back);
    p.setBrush(Qt::NoBrush);
    p.drawPath(arc);
    QPen body(QColor(60, 150, 240), 9);
    body.setCapStyle(Qt::RoundCap);
    p.setPen(body);
    p.drawPath(arc);
    // arrow head at the end of the arc (140 degrees), pointing down-left
    const double a = 140 * M_PI / 180;
    const QPointF end(c.x() + r * std::cos(a), c.y() - r * std::sin(a));
    QPolygonF head;
    const double s = r * 0.75;
    head << end + QPointF(-s * 0.95, -s * 0.15) << end + QPointF(s * 0.55, -s * 0.5)
         << end + QPointF(-s * 0.15, s * 0.95);
    p.setPen(outline(1.8));
    p.setBrush(QColor(60, 150, 240));
    p.drawPolygon(head);
    p.restore();
}

void crazyRainbow(QPainter &p, const QRectF &b)
{
    p.save();
    const QColor bands[] = {QColor(235, 50, 50), QColor(255, 150, 0), QColor(255, 225, 0),
                            QColor(70, 190, 70), QColor(50, 130, 235), QColor(150, 80, 210)};
    const QPointF c(b.center().x(), b.bottom() - b.height() * 0.12);
    const double outer = std::min(b.width() * 0.48, b.height() * 0.82);
    const double band = outer / 11;
    for (int i = 0; i < 6; ++i) {
        const double r = outer - i * band;
        p.setPen(Qt::NoPen);
        p.setBrush(bands[i]);
        p.drawPie(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 0, 180 * 16);
    }
    p.setBrush(Qt::white);
    const double hole = outer - 6 * band;
    p.drawPie(QRectF(c.x() - hole, c.y() - hole, 2 * hole, 2 * hole), 0, 180 * 16);
    // wobbly stars make it crazy
    const QColor starColours[] = {QColor(255, 60, 160), QColor(0, 200, 200), QColor(255, 200, 0)};
    const QPointF starAt[] = {QPointF(0.12, 0.2), QPointF(0.9, 0.15), QPointF(0.5, 0.75)};
    for (int s = 0; s < 3; ++s) {
        QPolygonF star;
        const QPointF sc(b.left() + b.width() * starAt[s].x(), b.top() + b.height() * starAt[s].y());
        for (int k = 0; k < 10; ++k) {
            const double rr = (k % 2 == 0) ? 7.5 : 3.2;
            const double a = -M_PI / 2 + k * M_PI / 5 + s * 0.3;
            star << sc + QPointF(std::cos(a) * rr, std::sin(a) * rr);
        }
        p.setPen(outline(1.2));
        p.setBrush(starColours[s]);
        p.drawPolygon(star);
    }
    p.restore();
}

void crayon(QPainter &p, const QRectF &b)
{
    p.save();
    const QColor red(225, 40, 40);
    scribble(p, b, red, 5, 0.9);
    const double w = 15;
    const double len = fitLength(b, 0.16, 0.8, -30, w);
    leanOver(p, b, 0.16, 0.8, -30);
    p.setPen(outline());
    // tip
    QPainterPath tipPath;
    tipPath.moveTo(1, -w * 0.5 - 2.5);
    tipPath.lineTo(12, -w);
    tipPath.lineTo(12, 0);
    tipPath.lineTo(1, -w * 0.5 + 2.5);
    tipPath.quadTo(-1.5, -w * 0.5, 1, -w * 0.5 - 2.5);
    p.setBrush(red);
    p.drawPath(tipPath);
    // body with paper wrapper
    p.drawRoundedRect(QRectF(12, -w, len - 12, w), 2, 2);
    p.setBrush(QColor(255, 235, 200));
    p.drawRect(QRectF(20, -w, len - 32, w));
    p.setPen(outline(1.8, darker(red, 0.1)));
    p.drawLine(QPointF(25, -w + 1.5), QPointF(25, -1.5));
    p.drawLine(QPointF(len - 17, -w + 1.5), QPointF(len - 17, -1.5));
    p.setPen(Qt::NoPen);
    p.setBrush(red);
    p.drawEllipse(QRectF(len * 0.5 - 4, -w * 0.5 - 3.5, 12, 7));
    p.restore();
}

void paintbrush(QPainter &p, const QRectF &b)
{
    p.save();
    const QColor paint(40, 120, 230);
    scribble(p, b, paint, 7, 0.9);
    const double len = fitLength(b, 0.12, 0.8, -35, 12);
    leanOver(p, b, 0.12, 0.8, -35);
    p.setPen(outline());
    // bristles dipped in paint
    QPainterPath bristles;
    bristles.moveTo(0, -5.5);
    bristles.cubicTo(4, -12, 12, -13, 17, -11);
    bristles.lineTo(17, 0);
    bristles.cubicTo(12, 2, 4, 1, 0, -5.5);
    p.setBrush(paint);
    p.drawPath(bristles);
    // metal ferrule
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(17, -11.5, 10, 12));
    // wooden handle, tapering
    QPainterPath handle;
    handle.moveTo(27, -10.5);
    handle.lineTo(len - 3, -7.5);
    handle.quadTo(len + 1, -5.5, len - 3, -3.5);
    handle.lineTo(27, -0.5);
    handle.closeSubpath();
    p.setBrush(QColor(250, 190, 40));
    p.drawPath(handle);
    p.restore();
}

void pencil(QPainter &p, const QRectF &b)
{
    p.save();
    const QColor lead(40, 170, 70);
    scribble(p, b, lead, 2.5, 0.9);
    const double w = 11;
    const double len = fitLength(b, 0.12, 0.8, -35, w);
    leanOver(p, b, 0.12, 0.8, -35);
    p.setPen(outline());
    // sharpened wood and coloured lead
    QPolygonF wood;
    wood << QPointF(0, -w * 0.5) << QPointF(13, -w) << QPointF(13, 0);
    p.setBrush(QColor(245, 205, 150));
    p.drawPolygon(wood);
    QPolygonF tip;
    tip << QPointF(0, -w * 0.5) << QPointF(5, -w * 0.5 - 2) << QPointF(5, -w * 0.5 + 2);
    p.setBrush(lead);
    p.drawPolygon(tip);
    // painted body with a facet line
    p.setBrush(lead);
    p.drawRect(QRectF(13, -w, len - 28, w));
    p.setPen(outline(1.2, lighter(lead, 0.5)));
    p.drawLine(QPointF(15, -w * 0.5), QPointF(len - 17, -w * 0.5));
    // metal band and rubber
    p.setPen(outline());
    p.setBrush(QColor(200, 200, 210));
    p.drawRect(QRectF(len - 15, -w, 5, w));
    p.setBrush(QColor(255, 140, 160));
    p.drawRoundedRect(QRectF(len - 10, -w, 8, w), 2.5, 2.5);
    p.restore();
}

void marker(QPainter &p, const QRectF &b)
{
    p.save();
    scribble(p, b, QColor(20, 20, 20), 6, 0.9);
    const double w = 16;
    const double len = fitLength(b, 0.16, 0.8, -30, w);
    leanOver(p, b, 0.16, 0.8, -30);
    p.setPen(outline(1.6, QColor(10, 10, 10)));
    // felt nib
    QPolygonF nib;
    nib << QPointF(0, -w * 0.5 - 2.5) << QPointF(7, -w * 0.5 - 4.5) << QPointF(7, -w * 0.5 + 4.5)
        << QPointF(0, -w * 0.5 + 2.5);
    p.setBrush(QColor(25, 25, 25));
    p.drawPolygon(nib);
    QPolygonF cone;
    cone << QPointF(7, -w * 0.5 - 4.5) << QPointF(15, -w) << QPointF(15, 0) << QPointF(7, -w * 0.5 + 4.5);
    p.setBrush(QColor(150, 150, 150));
    p.drawPolygon(cone);
    // barrel with a white label
    p.setBrush(QColor(35, 35, 35));
    p.drawRoundedRect(QRectF(15, -w, len - 15, w), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(245, 245, 245));
    p.drawRect(QRectF(len * 0.42, -w + 3.5, len * 0.36, w - 7));
    p.setBrush(QColor(20, 20, 20));
    p.drawRect(QRectF(len * 0.46, -w * 0.5 - 1.2, len * 0.26, 2.4));
    p.restore();
}

} // namespace icons
