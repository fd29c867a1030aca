// Book "the garden".
#include "books.h"

#include <cmath>

namespace {

using P = QPointF;

// A pointed leaf from base to tip, bulging to one side by `width`.
QPainterPath leafPath(P base, P tip, double width)
{
    const P d = tip - base;
    const P n(-d.y(), d.x());
    const double len = std::hypot(d.x(), d.y());
    const P k = n * (width / len);
    QPainterPath l;
    l.moveTo(base);
    l.quadTo(base + d * 0.5 + k, tip);
    l.quadTo(base + d * 0.5 - k, base);
    l.closeSubpath();
    return l;
}

void leaf(Sketch &s, P base, P tip, double width)
{
    s.shape(leafPath(base, tip, width));
    s.line(base.x(), base.y(), base.x() + (tip.x() - base.x()) * 0.8, base.y() + (tip.y() - base.y()) * 0.8);
}

void sunflower(Sketch &s)
{
    // pot
    s.poly({P(165, 540), P(315, 540), P(295, 630), P(185, 630)});
    s.rect(150, 515, 180, 32, 6);
    // stem and leaves
    leaf(s, P(240, 440), P(350, 390), 30);
    leaf(s, P(240, 470), P(130, 420), 30);
    s.rect(232, 300, 16, 218, 4);
    // flower head: petals round a seed centre
    s.flower(240, 250, 42, 14, 58);
    s.inside(Sketch::ellipsePath(240, 250, 58, 58), [&] {
        for (int i = -2; i <= 2; ++i) {
            s.line(182, 250 + i * 30 - 60, 298, 250 + i * 30 + 60);
            s.line(182, 250 + i * 30 + 60, 298, 250 + i * 30 - 60);
        }
    });
    // a ladybird on the leaf
    s.circle(310, 398, 12);
    s.line(310, 386, 310, 410);
    s.circle(300, 388, 6);
}

void tulip(Sketch &s, double x, double top, double stemBottom)
{
    leaf(s, P(x, stemBottom), P(x - 45, stemBottom - 120), 22);
    leaf(s, P(x, stemBottom), P(x + 45, stemBottom - 100), 20);
    s.rect(x - 6, top + 60, 12, stemBottom - top - 60);
    QPainterPath cup;
    cup.moveTo(x - 45, top);
    cup.lineTo(x - 22, top + 25);
    cup.lineTo(x, top - 8);
    cup.lineTo(x + 22, top + 25);
    cup.lineTo(x + 45, top);
    cup.cubicTo(x + 55, top + 60, x + 35, top + 90, x, top + 90);
    cup.cubicTo(x - 35, top + 90, x - 55, top + 60, x - 45, top);
    cup.closeSubpath();
    s.shape(cup);
    s.stroke(curve(P(x - 22, top + 25), P(x - 15, top + 45), P(x - 10, top + 70), P(x, top + 88)));
    s.stroke(curve(P(x + 22, top + 25), P(x + 15, top + 45), P(x + 10, top + 70), P(x, top + 88)));
}

void tulips(Sketch &s)
{
    sun(s, 570, 70, 28);
    cloud(s, 100, 70, 0.8);
    ground(s, 430, 5);
    tulip(s, 160, 220, 430);
    tulip(s, 480, 215, 430);
    tulip(s, 320, 175, 430);
    grassTuft(s, 40, 440, 26);
    grassTuft(s, 610, 445, 26);
}

void appleTree(Sketch &s)
{
    sun(s, 410, 60, 26);
    ground(s, 580, 5);
    // trunk with roots
    QPainterPath trunk;
    trunk.moveTo(205, 300);
    trunk.lineTo(200, 540);
    trunk.quadTo(190, 575, 160, 585);
    trunk.lineTo(320, 585);
    trunk.quadTo(290, 575, 280, 540);
    trunk.lineTo(275, 300);
    trunk.closeSubpath();
    s.shape(trunk);
    s.ellipse(240, 470, 16, 22);
    // leafy crown
    s.puff({P(240, 150), P(150, 200), P(330, 200), P(110, 290), P(370, 290), P(180, 340), P(300, 340),
            P(240, 250)},
           {90, 75, 75, 65, 65, 70, 70, 110});
    // apples with stalks
    const P apples[] = {P(170, 220), P(290, 170), P(340, 280), P(200, 320), P(130, 300), P(260, 260)};
    for (P a : apples) {
        s.line(a.x(), a.y() - 18, a.x() + 4, a.y() - 28);
        s.circle(a.x(), a.y(), 19);
    }
    // fallen apples and grass
    s.circle(95, 585, 18);
    s.circle(380, 590, 18);
    grassTuft(s, 40, 600, 26);
    grassTuft(s, 440, 610, 26);
}

void butterfly(Sketch &s)
{
    s.flower(80, 400, 20, 6, 16);
    s.rect(77, 436, 6, 50);
    s.flower(570, 390, 20, 6, 16);
    s.rect(567, 426, 6, 60);
    ground(s, 470, 4);
    // wings
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath upper = Sketch::ellipsePath(320 + side * 105, 185, 110, 78, side * -25);
        s.shape(upper);
        s.inside(upper, [&] {
            s.circle(320 + side * 130, 165, 30);
            s.circle(320 + side * 70, 210, 18);
        });
        QPainterPath lower = Sketch::ellipsePath(320 + side * 85, 320, 78, 58, side * 30);
        s.shape(lower);
        s.inside(lower, [&] { s.heart(320 + side * 95, 325, 22); });
    }
    // body, head, antennae
    s.ellipse(320, 255, 16, 110);
    s.stroke(curve(P(312, 130), P(300, 100), P(285, 80), P(270, 75)));
    s.stroke(curve(P(328, 130), P(340, 100), P(355, 80), P(370, 75)));
    s.circle(268, 74, 9);
    s.circle(372, 74, 9);
    s.circle(320, 145, 24);
    s.dot(312, 140, 4);
    s.dot(328, 140, 4);
    s.stroke(curve(P(310, 153), P(315, 160), P(325, 160), P(330, 153)));
}

void snail(Sketch &s)
{
    ground(s, 430, 4);
    // mushrooms
    for (auto [x, k] : {std::pair{540.0, 1.0}, std::pair{600.0, 0.7}}) {
        s.rect(x - 14 * k, 430 - 70 * k, 28 * k, 70 * k, 6);
        QPainterPath cap;
        cap.moveTo(x - 55 * k, 430 - 65 * k);
        cap.cubicTo(x - 50 * k, 430 - 130 * k, x + 50 * k, 430 - 130 * k, x + 55 * k, 430 - 65 * k);
        cap.closeSubpath();
        s.shape(cap);
        s.circle(x - 18 * k, 430 - 90 * k, 9 * k);
        s.circle(x + 16 * k, 430 - 100 * k, 7 * k);
    }
    // body with eye stalks
    s.line(150, 300, 130, 235);
    s.line(175, 300, 185, 230);
    s.circle(130, 228, 11);
    s.circle(186, 222, 11);
    s.dot(131, 229, 4);
    s.dot(187, 223, 4);
    QPainterPath body;
    body.moveTo(110, 330);
    body.cubicTo(110, 280, 200, 270, 210, 330);
    body.lineTo(220, 370);
    body.lineTo(480, 370);
    body.cubicTo(500, 372, 500, 410, 470, 410);
    body.lineTo(150, 410);
    body.cubicTo(110, 410, 105, 370, 110, 330);
    body.closeSubpath();
    s.shape(body);
    s.dot(150, 320, 5);
    s.stroke(curve(P(135, 345), P(145, 355), P(165, 355), P(175, 345)));
    // shell with a spiral
    s.circle(330, 280, 110);
    QPainterPath spiral;
    for (int i = 0; i <= 200; ++i) {
        const double t = i / 200.0;
        const double a = t * 3.2 * 2 * M_PI;
        const double r = 8 + t * 92;
        const P pt(330 + std::cos(a) * r, 280 + std::sin(a) * r);
        if (i == 0)
            spiral.moveTo(pt);
        else
            spiral.lineTo(pt);
    }
    s.stroke(spiral);
}

void ladybird(Sketch &s)
{
    // a big leaf under the ladybird
    leaf(s, P(40, 440), P(610, 60), 170);
    // little legs peeping out under the shell
    for (int i = 0; i < 3; ++i) {
        s.line(230, 240 + i * 55, 175, 225 + i * 65);
        s.line(410, 240 + i * 55, 465, 225 + i * 65);
    }
    // head, antennae, eyes
    s.stroke(curve(P(300, 120), P(290, 90), P(270, 75), P(250, 70)));
    s.stroke(curve(P(340, 120), P(350, 90), P(370, 75), P(390, 70)));
    s.circle(248, 70, 8);
    s.circle(392, 70, 8);
    s.circle(320, 150, 50);
    s.circle(300, 135, 12);
    s.circle(340, 135, 12);
    s.dot(302, 137, 5);
    s.dot(338, 137, 5);
    // shell with spots and a parting
    QPainterPath shell = Sketch::ellipsePath(320, 290, 125, 120);
    s.shape(shell);
    s.inside(shell, [&] {
        s.line(320, 160, 320, 420);
        const P spots[] = {P(260, 230), P(250, 320), P(290, 375), P(285, 275), P(245, 190)};
        for (P sp : spots) {
            s.circle(sp.x(), sp.y(), 22);
            s.circle(640 - sp.x(), sp.y(), 22);
        }
    });
}

void bee(Sketch &s)
{
    s.flower(90, 390, 26, 7, 20);
    s.rect(86, 435, 8, 50);
    s.flower(560, 120, 22, 6, 18);
    // flight path of little dashes
    for (int i = 0; i < 6; ++i)
        s.rect(450 + i * 22 * 0.9, 320 + std::sin(i * 1.1) * 20, 10, 4);
    // stinger, body with stripes
    s.poly({P(430, 255), P(480, 270), P(430, 285)});
    QPainterPath body = Sketch::ellipsePath(320, 265, 125, 78);
    s.shape(body);
    s.inside(body, [&] {
        s.rect(270, 150, 32, 250);
        s.rect(345, 150, 32, 250);
        s.rect(410, 150, 60, 250);
    });
    // wings over the body
    s.ellipse(290, 165, 40, 62, -20);
    s.ellipse(360, 170, 36, 56, 20);
    // head with antennae and a smile
    s.line(175, 205, 150, 150);
    s.line(200, 200, 215, 145);
    s.circle(150, 145, 9);
    s.circle(215, 140, 9);
    s.circle(190, 255, 62);
    s.dot(170, 240, 7);
    s.dot(210, 240, 7);
    s.stroke(curve(P(165, 275), P(175, 292), P(205, 292), P(215, 275)));
}

void rainbow(Sketch &s)
{
    sun(s, 70, 70, 30);
    ground(s, 440, 4);
    const double radii[] = {300, 268, 236, 204, 172, 140};
    for (double r : radii) {
        QPainterPath band;
        band.moveTo(320 - r, 420);
        band.arcTo(QRectF(320 - r, 420 - r, 2 * r, 2 * r), 180, -180);
        band.closeSubpath();
        s.shape(band);
    }
    s.puff({P(30, 400), P(70, 380), P(110, 400), P(70, 425), P(20, 430)}, {30, 40, 32, 30, 25});
    s.puff({P(530, 400), P(570, 380), P(610, 400), P(570, 425), P(620, 430)}, {30, 40, 32, 30, 25});
    cloud(s, 450, 70, 0.7);
}

} // namespace

std::vector<PictureSpec> theGarden()
{
    return {
        {"sunflower.gif", true, sunflower},
        {"tulips.gif", false, tulips},
        {"apple tree.gif", true, appleTree},
        {"butterfly.gif", false, butterfly},
        {"snail.bmp", false, snail, true},
        {"ladybird.gif", false, ladybird},
        {"bee.gif", false, bee},
        {"rainbow.gif", false, rainbow},
    };
}
