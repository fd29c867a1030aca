// Book "vehicles".
#include "books.h"

#include <cmath>

namespace {

using P = QPointF;

void wheel(Sketch &s, double cx, double cy, double r)
{
    s.circle(cx, cy, r);
    s.circle(cx, cy, r * 0.42);
    s.dot(cx, cy, 3);
}

void road(Sketch &s, double y)
{
    s.line(-5, y, s.width() + 5, y);
    for (double x = 20; x < s.width(); x += 120)
        s.rect(x, y + 28, 60, 10);
}

void car(Sketch &s)
{
    sun(s, 80, 70, 30);
    cloud(s, 480, 80, 0.9);
    road(s, 410);
    // cabin behind the body
    QPainterPath cabin;
    cabin.moveTo(195, 262);
    cabin.lineTo(245, 172);
    cabin.quadTo(250, 165, 260, 165);
    cabin.lineTo(390, 165);
    cabin.quadTo(400, 165, 405, 172);
    cabin.lineTo(460, 262);
    cabin.closeSubpath();
    s.shape(cabin);
    s.poly({P(222, 252), P(258, 185), P(316, 185), P(316, 252)});
    s.poly({P(332, 252), P(332, 185), P(392, 185), P(432, 252)});
    // body, door, lights, bumpers
    s.rect(100, 250, 440, 110, 34);
    s.line(324, 262, 324, 350);
    s.rect(340, 276, 26, 8, 3);
    s.rect(280, 276, 26, 8, 3);
    s.ellipse(520, 290, 12, 18);
    s.rect(104, 275, 16, 30, 4);
    s.rect(505, 335, 50, 18, 8);
    s.rect(85, 335, 50, 18, 8);
    wheel(s, 215, 360, 46);
    wheel(s, 430, 360, 46);
}

void bus(Sketch &s)
{
    sun(s, 570, 65, 28);
    road(s, 410);
    // body
    s.rect(70, 140, 500, 220, 28);
    s.line(70, 300, 570, 300);
    // windows along the side and the driver's window
    for (int i = 0; i < 5; ++i)
        s.rect(95 + i * 78, 170, 64, 62, 8);
    s.rect(490, 170, 60, 62, 8);
    // door with two panels
    s.rect(490, 245, 60, 110);
    s.line(520, 245, 520, 355);
    s.rect(497, 255, 17, 36, 4);
    s.rect(526, 255, 17, 36, 4);
    // lights and bumper
    s.circle(555, 320, 10);
    s.rect(60, 338, 40, 16, 7);
    s.rect(545, 338, 40, 16, 7);
    s.rect(80, 150, 40, 14, 6);
    wheel(s, 170, 360, 44);
    wheel(s, 430, 360, 44);
}

void train(Sketch &s)
{
    // track: rails over sleepers
    for (double x = 5; x < 640; x += 40)
        s.rect(x, 418, 24, 14);
    s.rect(-5, 410, 650, 10);
    // smoke
    cloud(s, 470, 95, 0.55);
    cloud(s, 540, 50, 0.45);
    // carriage and coupling
    s.rect(175, 345, 40, 12);
    s.rect(20, 210, 160, 150, 10);
    s.rect(40, 230, 50, 50, 6);
    s.rect(110, 230, 50, 50, 6);
    s.rect(10, 200, 180, 18, 8);
    wheel(s, 60, 385, 24);
    wheel(s, 140, 385, 24);
    // engine: chimney, dome, boiler, cab
    s.rect(432, 140, 46, 18, 4);
    s.rect(440, 156, 30, 72);
    s.circle(370, 225, 24);
    s.rect(300, 220, 200, 100, 20);
    for (double x : {340.0, 410.0})
        s.line(x, 222, x, 318);
    s.rect(210, 165, 100, 195);
    s.rect(198, 150, 124, 20, 6);
    s.rect(232, 190, 56, 50, 6);
    // cowcatcher and frame
    s.poly({P(505, 320), P(555, 395), P(505, 395)});
    s.rect(200, 320, 320, 40, 6);
    s.circle(510, 265, 14);
    // wheels with a coupling rod
    wheel(s, 265, 375, 38);
    wheel(s, 385, 385, 28);
    wheel(s, 460, 385, 28);
    s.rect(265, 380, 200, 10, 4);
}

void sailboat(Sketch &s)
{
    sun(s, 560, 70, 30);
    cloud(s, 110, 80, 0.85);
    // seagulls
    for (P g : {P(180, 150), P(230, 120), P(480, 170)}) {
        s.stroke(curve(g - P(22, 0), g - P(14, 12), g - P(6, 10), g));
        s.stroke(curve(g, g + P(6, -10), g + P(14, -12), g + P(22, 0)));
    }
    // sails first, the mast over their edges
    s.poly({P(322, 95), P(322, 300), P(480, 300)});
    s.poly({P(322, 118), P(322, 300), P(190, 300)});
    s.rect(316, 75, 12, 240);
    s.poly({P(328, 78), P(372, 90), P(328, 102)});
    // hull with portholes and a stripe
    s.poly({P(150, 310), P(500, 310), P(450, 395), P(200, 395)});
    s.line(170, 338, 483, 338);
    for (double x : {250.0, 320.0, 390.0})
        s.circle(x, 365, 12);
    // sea
    QPainterPath sea;
    sea.moveTo(-5, 380);
    for (double x = -5; x < 645; x += 60)
        sea.cubicTo(x + 15, 365, x + 45, 395, x + 60, 380);
    s.stroke(sea);
    for (int i = 0; i < 5; ++i) {
        const double x = 40 + i * 130, y = 430 + (i % 2) * 20;
        s.stroke(curve(P(x, y), P(x + 15, y - 12), P(x + 30, y - 12), P(x + 45, y)));
    }
}

void rocket(Sketch &s)
{
    // sky: stars, a ringed planet and the moon
    const P stars[] = {P(60, 80), P(400, 60), P(420, 330), P(50, 300), P(90, 520), P(410, 520), P(330, 140)};
    for (int i = 0; i < 7; ++i)
        s.star(stars[i].x(), stars[i].y(), 18, 8, 5, i * 9);
    s.ellipse(110, 190, 70, 16, -15);
    s.circle(110, 190, 40);
    QPainterPath ringFront;
    ringFront.arcMoveTo(QRectF(40, 174, 140, 32), 180);
    ringFront.arcTo(QRectF(40, 174, 140, 32), 180, 180);
    QTransform t;
    t.translate(110, 190);
    t.rotate(-15);
    t.translate(-110, -190);
    s.stroke(t.map(ringFront));
    QPainterPath moon = Sketch::ellipsePath(400, 190, 42, 42).subtracted(Sketch::ellipsePath(425, 175, 38, 38));
    s.shape(moon);
    // flames
    s.poly({P(200, 465), P(280, 465), P(300, 540), P(268, 515), P(240, 610), P(212, 515), P(180, 540)});
    s.poly({P(218, 470), P(262, 470), P(265, 515), P(240, 555), P(215, 515)});
    // fins behind the body
    s.poly({P(185, 330), P(110, 460), P(120, 480), P(195, 440)});
    s.poly({P(295, 330), P(370, 460), P(360, 480), P(285, 440)});
    // body with a nose cone, a window and a nozzle
    QPainterPath body;
    body.moveTo(240, 70);
    body.cubicTo(300, 120, 320, 230, 300, 450);
    body.lineTo(180, 450);
    body.cubicTo(160, 230, 180, 120, 240, 70);
    body.closeSubpath();
    s.shape(body);
    s.inside(body, [&] {
        s.line(150, 170, 330, 170);
        s.line(150, 400, 330, 400);
    });
    s.circle(240, 265, 38);
    s.circle(240, 265, 26);
    s.poly({P(205, 450), P(275, 450), P(265, 470), P(215, 470)});
    s.rect(232, 420, 16, 30);
}

void aeroplane(Sketch &s)
{
    cloud(s, 110, 90, 1.0);
    cloud(s, 520, 400, 0.9);
    cloud(s, 150, 400, 0.7);
    // far wing and tail behind the body
    s.poly({P(300, 225), P(360, 140), P(400, 140), P(370, 225)});
    s.poly({P(110, 235), P(70, 135), P(125, 135), P(185, 235)});
    s.poly({P(95, 250), P(40, 240), P(40, 262), P(100, 268)});
    // fuselage with windows and a cockpit
    QPainterPath body;
    body.addRoundedRect(QRectF(80, 215, 450, 80), 40, 40);
    s.shape(body);
    s.inside(body, [&] { s.ellipse(500, 240, 40, 22); });
    for (int i = 0; i < 5; ++i)
        s.circle(180 + i * 50, 250, 12);
    s.line(110, 275, 520, 275);
    // near wing
    s.poly({P(250, 270), P(360, 270), P(290, 390), P(235, 390)});
    // propeller
    s.ellipse(545, 200, 10, 45);
    s.ellipse(545, 310, 10, 45);
    s.ellipse(540, 255, 14, 20);
}

void tractor(Sketch &s)
{
    sun(s, 570, 70, 28);
    cloud(s, 380, 70, 0.8);
    ground(s, 425, 4);
    // exhaust, hood, cab
    s.rect(430, 150, 16, 80, 4);
    s.rect(425, 140, 26, 14, 4);
    s.rect(260, 225, 240, 115, 14);
    for (double y : {250.0, 275.0, 300.0})
        s.line(470, y, 500, y);
    s.line(470, 228, 470, 338);
    s.rect(140, 125, 135, 215, 8);
    s.rect(125, 112, 165, 20, 8);
    s.rect(160, 150, 95, 80, 8);
    // mudguard and wheels
    QPainterPath guard;
    guard.moveTo(90, 345);
    guard.arcTo(QRectF(90, 230, 230, 230), 180, -180);
    guard.lineTo(300, 345);
    guard.arcTo(QRectF(110, 250, 190, 190), 0, 180);
    guard.closeSubpath();
    s.shape(guard);
    wheel(s, 205, 345, 80);
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        s.dot(205 + std::cos(a) * 55, 345 + std::sin(a) * 55, 5);
    }
    wheel(s, 460, 378, 46);
    s.ellipse(510, 260, 8, 14);
}

} // namespace

std::vector<PictureSpec> vehicles()
{
    return {
        {"car.gif", false, car},
        {"bus.gif", false, bus},
        {"steam train.gif", false, train},
        {"sailing boat.gif", false, sailboat},
        {"rocket.gif", true, rocket},
        {"aeroplane.bmp", false, aeroplane, true},
        {"tractor.gif", false, tractor},
    };
}
