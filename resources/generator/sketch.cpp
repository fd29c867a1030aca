#include "sketch.h"

#include <QPainterPathStroker>

#include <cmath>

Sketch::Sketch(int width, int height)
    : m_image(width, height, QImage::Format_RGB32)
{
    m_image.fill(Qt::white);
    m_painter.begin(&m_image);
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    setPenWidth(3);
    m_painter.setBrush(Qt::white);
}

QImage Sketch::image()
{
    if (m_painter.isActive())
        m_painter.end();
    return m_image;
}

void Sketch::setPenWidth(double w)
{
    QPen pen(Qt::black, w);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    m_painter.setPen(pen);
}

QPainterPath Sketch::ellipsePath(double cx, double cy, double rx, double ry, double degrees)
{
    QPainterPath p;
    p.addEllipse(QPointF(0, 0), rx, ry);
    QTransform t;
    t.translate(cx, cy);
    t.rotate(degrees);
    return t.map(p);
}

QPainterPath Sketch::puffPath(const std::vector<QPointF> &centres, const std::vector<double> &radii)
{
    QPainterPath u;
    for (size_t i = 0; i < centres.size(); ++i) {
        QPainterPath c;
        c.addEllipse(centres[i], radii[i], radii[i]);
        u = i == 0 ? c : u.united(c);
    }
    return u.simplified();
}

void Sketch::ellipse(double cx, double cy, double rx, double ry, double degrees)
{
    shape(ellipsePath(cx, cy, rx, ry, degrees));
}

void Sketch::rect(double x, double y, double w, double h, double radius)
{
    QPainterPath p;
    if (radius > 0)
        p.addRoundedRect(QRectF(x, y, w, h), radius, radius);
    else
        p.addRect(QRectF(x, y, w, h));
    shape(p);
}

void Sketch::poly(std::initializer_list<QPointF> points)
{
    poly(std::vector<QPointF>(points));
}

void Sketch::poly(const std::vector<QPointF> &points)
{
    QPainterPath p;
    p.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
    p.closeSubpath();
    shape(p);
}

void Sketch::shape(const QPainterPath &path)
{
    m_painter.setBrush(Qt::white);
    m_painter.drawPath(path);
}

void Sketch::puff(const std::vector<QPointF> &centres, const std::vector<double> &radii)
{
    shape(puffPath(centres, radii));
}

void Sketch::star(double cx, double cy, double outer, double inner, int points, double degrees)
{
    std::vector<QPointF> pts;
    for (int k = 0; k < points * 2; ++k) {
        const double r = k % 2 == 0 ? outer : inner;
        const double a = (degrees - 90) * M_PI / 180 + k * M_PI / points;
        pts.emplace_back(cx + std::cos(a) * r, cy + std::sin(a) * r);
    }
    poly(pts);
}

void Sketch::heart(double cx, double cy, double s)
{
    QPainterPath p;
    p.moveTo(cx, cy + s * 0.9);
    p.cubicTo(cx - s * 1.2, cy + s * 0.1, cx - s * 0.9, cy - s * 0.9, cx, cy - s * 0.35);
    p.cubicTo(cx + s * 0.9, cy - s * 0.9, cx + s * 1.2, cy + s * 0.1, cx, cy + s * 0.9);
    p.closeSubpath();
    shape(p);
}

void Sketch::flower(double cx, double cy, double petalR, int petals, double centreR)
{
    for (int i = 0; i < petals; ++i) {
        const double a = i * 2 * M_PI / petals - M_PI / 2;
        const double d = centreR + petalR * 0.55;
        ellipse(cx + std::cos(a) * d, cy + std::sin(a) * d, petalR, petalR * 0.62,
                a * 180 / M_PI);
    }
    circle(cx, cy, centreR);
}

void Sketch::line(double x1, double y1, double x2, double y2)
{
    m_painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
}

void Sketch::stroke(const QPainterPath &path)
{
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPath(path);
    m_painter.setBrush(Qt::white);
}

void Sketch::dot(double cx, double cy, double r)
{
    m_painter.setBrush(Qt::black);
    m_painter.drawEllipse(QPointF(cx, cy), r, r);
    m_painter.setBrush(Qt::white);
}

void Sketch::solid(const QPainterPath &path)
{
    m_painter.setBrush(Qt::black);
    m_painter.drawPath(path);
    m_painter.setBrush(Qt::white);
}

void Sketch::inside(const QPainterPath &clip, const std::function<void()> &draw)
{
    m_painter.save();
    m_painter.setClipPath(clip);
    draw();
    m_painter.restore();
    stroke(clip);
}

QPainterPath Sketch::tubePath(const QPainterPath &centreLine, double width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(centreLine).simplified();
}

void Sketch::tube(const QPainterPath &centreLine, double width)
{
    shape(tubePath(centreLine, width));
}
