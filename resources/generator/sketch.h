// Line-art drawing for the sample library: black outlines on pure white, no
// antialiasing, so a picture holds only the two colours the fill relies on.
// Every closed shape is filled white before it is outlined, so a shape drawn
// later hides what lies behind it and every region stays closed.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <initializer_list>
#include <vector>

class Sketch {
public:
    Sketch(int width, int height);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    QImage image();
    QPainter &painter() { return m_painter; }

    void setPenWidth(double w);   // 3 unless changed

    // closed shapes
    void ellipse(double cx, double cy, double rx, double ry, double degrees = 0);
    void circle(double cx, double cy, double r) { ellipse(cx, cy, r, r); }
    void rect(double x, double y, double w, double h, double radius = 0);
    void poly(std::initializer_list<QPointF> points);
    void poly(const std::vector<QPointF> &points);
    void shape(const QPainterPath &path);
    // a puffy outline: the union of circles (clouds, sheep's wool, tree tops)
    void puff(const std::vector<QPointF> &centres, const std::vector<double> &radii);
    void star(double cx, double cy, double outer, double inner, int points = 5, double degrees = 0);
    void heart(double cx, double cy, double size);
    void flower(double cx, double cy, double petalR, int petals, double centreR);
    // a thick closed tube along a centre line (tails, stems, necks)
    void tube(const QPainterPath &centreLine, double width);
    static QPainterPath tubePath(const QPainterPath &centreLine, double width);

    // open strokes and solid marks that live inside a region
    void line(double x1, double y1, double x2, double y2);
    void stroke(const QPainterPath &path);
    void dot(double cx, double cy, double r);
    void solid(const QPainterPath &path);   // filled black

    // draws with the given shape as clip, then outlines the shape again
    void inside(const QPainterPath &clip, const std::function<void()> &draw);

    static QPainterPath ellipsePath(double cx, double cy, double rx, double ry, double degrees = 0);
    static QPainterPath puffPath(const std::vector<QPointF> &centres, const std::vector<double> &radii);

private:
    QImage m_image;
    QPainter m_painter;
};
