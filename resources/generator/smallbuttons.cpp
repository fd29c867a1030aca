// The parents' function buttons in the window corner: quit, save, print, about,
// settings. Save and print start disabled, so they also get a washed-out look.
#include "common.h"

#include <QPainterPath>

#include <cmath>

using namespace gen;

namespace {

QImage quitFace()
{
    QImage img = blank(22, 22);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(140, 20, 20), 1.2));
    p.setBrush(QColor(225, 45, 45));
    p.drawRoundedRect(QRectF(1.5, 1.5, 19, 19), 5, 5);
    QPen cross(Qt::white, 3);
    cross.setCapStyle(Qt::RoundCap);
    p.setPen(cross);
    p.drawLine(QPointF(7, 7), QPointF(15, 15));
    p.drawLine(QPointF(15, 7), QPointF(7, 15));
    return img;
}

QImage saveFace()
{
    QImage img = blank(21, 23);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath disk;
    disk.moveTo(1.5, 2.5);
    disk.lineTo(16, 2.5);
    disk.lineTo(19.5, 6);
    disk.lineTo(19.5, 21.5);
    disk.lineTo(1.5, 21.5);
    disk.closeSubpath();
    p.setPen(QPen(QColor(20, 50, 120), 1.2));
    p.setBrush(QColor(50, 110, 220));
    p.drawPath(disk);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(215, 220, 230));
    p.drawRect(QRectF(5, 3, 10, 6));
    p.setBrush(QColor(50, 110, 220));
    p.drawRect(QRectF(11.5, 4, 2.5, 4));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 12.5, 13, 8));
    p.setBrush(QColor(230, 60, 60));
    p.drawRect(QRectF(5.5, 14.5, 10, 1.5));
    p.drawRect(QRectF(5.5, 17.5, 7, 1.5));
    return img;
}

QImage printFace()
{
    QImage img = blank(23, 25);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // paper with a little rainbow coming out of the top
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 1.5, 12, 10));
    const QColor stripes[] = {QColor(235, 60, 60), QColor(250, 180, 0), QColor(60, 160, 240)};
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 3; ++i) {
        p.setBrush(stripes[i]);
        p.drawRect(QRectF(7.5, 3.5 + i * 2.5, 8, 1.6));
    }
    // printer body
    p.setPen(QPen(QColor(50, 50, 60), 1.2));
    p.setBrush(QColor(150, 155, 170));
    p.drawRoundedRect(QRectF(1.5, 10.5, 20, 9), 2.5, 2.5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(80, 220, 90));
    p.drawEllipse(QPointF(18, 13.5), 1.3, 1.3);
    // printed sheet in the tray
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 17.5, 14, 6));
    return img;
}

QImage aboutFace()
{
    QImage img = blank(12, 21);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(20, 90, 60), 1));
    p.setBrush(QColor(40, 170, 110));
    p.drawRoundedRect(QRectF(0.5, 0.5, 11, 20), 4, 4);
    p.setFont(plainFont(15));
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 12, 21), Qt::AlignCenter, QStringLiteral("?"));
    return img;
}

QImage settingsFace()
{
    QImage img = blank(17, 19);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF c(8.5, 9.5);
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = i * 2 * M_PI / (teeth * 4);
        const double r = (i % 4 < 2) ? 7.8 : 5.6;
        const QPointF pt = c + QPointF(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 2.4, 2.4);
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(QColor(150, 150, 165));
    p.drawPath(gear);
    return img;
}

QString design(const Out &out, const QString &name)
{
    return out.path(QStringLiteral("assets/design/%1.bmp").arg(name));
}

} // namespace

void makeSmallButtons(const Out &out)
{
    const QImage save = saveFace();
    const QImage print = printFace();
    saveBmp24(quitFace(), design(out, "pFunc0"));
    saveBmp24(washedOut(save), design(out, "pFunc1"));
    saveBmp24(washedOut(print), design(out, "pFunc2"));
    saveBmp24(aboutFace(), design(out, "pFunc3"));
    saveBmp24(settingsFace(), design(out, "pFunc4"));
    saveBmp24(save, design(out, "pE0"));
    saveBmp24(print, design(out, "pE1"));
}
