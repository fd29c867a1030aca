// Book "farm animals".
#include "books.h"

#include <cmath>

namespace {

using P = QPointF;

void cow(Sketch &s)
{
    sun(s, 570, 70, 30);
    cloud(s, 360, 70, 0.9);
    ground(s, 425);
    grassTuft(s, 60, 440, 28);
    grassTuft(s, 590, 450, 30);
    // tail with a tuft
    s.tube(curve(P(480, 200), P(520, 220), P(525, 280), P(515, 330)), 9);
    s.ellipse(515, 342, 12, 20);
    // legs and hooves
    for (double x : {190.0, 245.0, 385.0, 440.0}) {
        s.rect(x, 280, 36, 125, 8);
        s.rect(x - 2, 395, 40, 22, 5);
    }
    // udder
    for (double x : {322.0, 340.0, 358.0})
        s.rect(x - 4, 340, 8, 18, 3);
    s.ellipse(340, 334, 36, 18);
    // body with spots
    QPainterPath body;
    body.addRoundedRect(QRectF(150, 160, 345, 170), 75, 75);
    s.shape(body);
    s.inside(body, [&] {
        s.puff({P(270, 175), P(300, 200), P(250, 215)}, {28, 30, 24});
        s.puff({P(410, 230), P(440, 260), P(395, 270)}, {26, 30, 22});
        s.puff({P(470, 165), P(495, 190)}, {22, 24});
        s.ellipse(330, 300, 30, 18, -10);
    });
    // ears and horns behind the head
    s.ellipse(88, 150, 32, 14, -20);
    s.ellipse(202, 150, 32, 14, 20);
    s.poly({P(112, 140), P(96, 100), P(108, 96), P(130, 132)});
    s.poly({P(178, 140), P(194, 100), P(182, 96), P(160, 132)});
    // head, muzzle, face
    s.ellipse(145, 200, 60, 72);
    s.ellipse(145, 250, 52, 34);
    s.ellipse(127, 250, 8, 11);
    s.ellipse(163, 250, 8, 11);
    s.dot(122, 185, 8);
    s.dot(168, 185, 8);
    s.puff({P(135, 140), P(155, 138)}, {13, 12});
}

void pig(Sketch &s)
{
    s.ellipse(330, 430, 240, 32);
    grassTuft(s, 40, 420, 30);
    grassTuft(s, 610, 440, 26);
    sun(s, 80, 70, 28);
    // curly tail
    QPainterPath tail;
    tail.moveTo(505, 240);
    tail.cubicTo(545, 230, 555, 195, 530, 190);
    tail.cubicTo(505, 185, 515, 225, 545, 215);
    tail.cubicTo(565, 208, 570, 190, 565, 180);
    s.stroke(tail);
    // legs with split trotters
    for (double x : {215.0, 270.0, 385.0, 440.0}) {
        s.rect(x, 300, 40, 110, 10);
        s.line(x + 20, 394, x + 20, 410);
    }
    // body
    s.ellipse(340, 265, 175, 110);
    s.stroke(curve(P(430, 200), P(450, 230), P(450, 280), P(430, 310)));
    // ears, head, snout
    s.poly({P(118, 175), P(100, 110), P(160, 150)});
    s.poly({P(205, 150), P(250, 110), P(240, 178)});
    s.circle(172, 235, 82);
    s.ellipse(118, 262, 36, 28);
    s.ellipse(106, 262, 6, 10);
    s.ellipse(130, 262, 6, 10);
    s.dot(150, 215, 7);
    s.dot(205, 212, 7);
    s.stroke(curve(P(140, 300), P(160, 318), P(190, 315), P(205, 298)));
    s.ellipse(225, 255, 14, 9);
}

void sheep(Sketch &s)
{
    sun(s, 560, 75, 30);
    ground(s, 430);
    s.flower(80, 420, 9, 5, 6);
    s.flower(600, 430, 9, 5, 6);
    // legs
    for (double x : {235.0, 275.0, 395.0, 435.0}) {
        s.rect(x, 300, 18, 115, 4);
        s.rect(x - 3, 405, 24, 16, 4);
    }
    // woolly body
    std::vector<P> c;
    std::vector<double> r;
    for (int k = 0; k < 14; ++k) {
        const double a = k * 2 * M_PI / 14;
        c.emplace_back(340 + std::cos(a) * 135, 260 + std::sin(a) * 72);
        r.push_back(38 + (k % 3) * 4);
    }
    for (double x : {270.0, 340.0, 410.0}) {
        c.emplace_back(x, 260);
        r.push_back(70);
    }
    s.puff(c, r);
    // little tail
    s.puff({P(490, 225), P(505, 240)}, {16, 14});
    // ears, head, woolly cap
    s.ellipse(130, 200, 30, 11, -25);
    s.ellipse(232, 200, 30, 11, 25);
    s.ellipse(180, 235, 48, 62);
    s.puff({P(155, 185), P(180, 175), P(205, 185), P(180, 195)}, {17, 19, 17, 15});
    s.dot(162, 225, 7);
    s.dot(198, 225, 7);
    s.ellipse(180, 268, 10, 6);
    s.stroke(curve(P(165, 282), P(172, 292), P(188, 292), P(195, 282)));
}

void hen(Sketch &s)
{
    ground(s, 420);
    // nest with eggs
    s.ellipse(520, 352, 22, 28);
    s.ellipse(560, 350, 22, 28, 10);
    s.ellipse(540, 340, 20, 26, -8);
    QPainterPath nest;
    nest.moveTo(455, 360);
    nest.cubicTo(470, 420, 610, 420, 625, 360);
    nest.closeSubpath();
    s.shape(nest);
    for (int i = 0; i < 4; ++i)
        s.stroke(curve(P(470 + i * 38, 372 + (i % 2) * 8), P(485 + i * 38, 380), P(495 + i * 38, 366),
                       P(505 + i * 38, 376)));
    // tail feathers
    s.ellipse(420, 190, 50, 22, -60);
    s.ellipse(440, 215, 50, 22, -35);
    s.ellipse(445, 245, 48, 20, -10);
    // legs
    for (double x : {285.0, 335.0}) {
        s.line(x, 320, x - 5, 402);
        s.line(x - 5, 402, x - 25, 410);
        s.line(x - 5, 402, x + 15, 410);
        s.line(x - 5, 402, x - 5, 414);
    }
    // body and wing
    s.ellipse(320, 260, 125, 85);
    QPainterPath wing;
    wing.moveTo(280, 235);
    wing.cubicTo(330, 205, 400, 220, 405, 260);
    wing.cubicTo(380, 300, 320, 305, 290, 285);
    wing.cubicTo(300, 275, 290, 260, 280, 235);
    s.shape(wing);
    s.stroke(curve(P(310, 255), P(330, 262), P(355, 262), P(380, 250)));
    s.stroke(curve(P(305, 275), P(330, 282), P(360, 280), P(390, 268)));
    // comb, wattle, head, beak
    s.puff({P(185, 130), P(205, 122), P(225, 130)}, {13, 15, 13});
    s.ellipse(165, 215, 11, 17);
    s.circle(205, 175, 48);
    s.poly({P(162, 165), P(130, 178), P(162, 190)});
    s.dot(192, 165, 7);
    // a chick
    s.ellipse(110, 385, 32, 26);
    s.circle(92, 352, 20);
    s.poly({P(74, 350), P(60, 356), P(74, 361)});
    s.dot(88, 347, 4);
    s.line(105, 410, 102, 420);
    s.line(118, 410, 121, 420);
}

void duck(Sketch &s)
{
    sun(s, 560, 70, 28);
    cloud(s, 120, 80, 0.8);
    // pond
    s.ellipse(330, 370, 300, 85);
    for (int i = 0; i < 4; ++i)
        s.stroke(curve(P(130 + i * 120, 405 + (i % 2) * 20), P(145 + i * 120, 398 + (i % 2) * 20),
                       P(160 + i * 120, 412 + (i % 2) * 20), P(175 + i * 120, 405 + (i % 2) * 20)));
    // reeds
    for (int i = 0; i < 3; ++i) {
        const double x = 40 + i * 24;
        s.rect(x, 210 + i * 18, 6, 190 - i * 18);
        s.rect(x - 6, 200 + i * 18, 18, 48, 9);
    }
    // lily pad and flower
    QPainterPath pad;
    pad.moveTo(530, 400);
    pad.arcTo(QRectF(480, 380, 100, 40), 20, 320);
    pad.closeSubpath();
    s.shape(pad);
    s.flower(530, 395, 12, 6, 8);
    // neck, body, tail, wing
    s.poly({P(215, 210), P(255, 205), P(275, 275), P(235, 285)});
    QPainterPath body = Sketch::ellipsePath(340, 270, 140, 62);
    QPainterPath tail;
    tail.moveTo(430, 240);
    tail.lineTo(505, 200);
    tail.lineTo(475, 285);
    tail.closeSubpath();
    body = body.united(tail).simplified();
    s.shape(body);
    QPainterPath wing;
    wing.moveTo(300, 250);
    wing.cubicTo(350, 215, 440, 225, 450, 260);
    wing.cubicTo(420, 290, 350, 300, 300, 250);
    s.shape(wing);
    s.stroke(curve(P(340, 260), P(370, 270), P(400, 268), P(425, 258)));
    // water line around the body
    s.stroke(curve(P(190, 305), P(220, 320), P(260, 322), P(290, 318)));
    s.stroke(curve(P(400, 318), P(430, 325), P(470, 318), P(500, 300)));
    // beak and head
    s.ellipse(180, 190, 34, 13);
    s.line(150, 191, 195, 191);
    s.circle(232, 178, 44);
    s.dot(225, 165, 7);
}

void cat(Sketch &s)
{
    s.ellipse(320, 440, 270, 30);
    // ball of yarn
    QPainterPath thread;
    thread.moveTo(500, 425);
    thread.cubicTo(470, 440, 450, 420, 430, 445);
    s.stroke(thread);
    s.circle(530, 395, 42);
    s.stroke(curve(P(495, 375), P(520, 395), P(545, 360), P(565, 380)));
    s.stroke(curve(P(492, 405), P(520, 420), P(550, 390), P(570, 405)));
    s.stroke(curve(P(510, 358), P(525, 385), P(525, 410), P(515, 433)));
    // tail
    s.tube(curve(P(400, 390), P(470, 400), P(470, 300), P(440, 250)), 28);
    // body, chest, paws
    s.ellipse(320, 335, 110, 100);
    s.ellipse(320, 350, 55, 72);
    for (double x : {280.0, 360.0}) {
        s.ellipse(x, 425, 34, 19);
        s.line(x - 10, 418, x - 10, 440);
        s.line(x + 10, 418, x + 10, 440);
    }
    // ears, head, face
    s.poly({P(240, 150), P(232, 55), P(305, 110)});
    s.poly({P(400, 150), P(408, 55), P(335, 110)});
    s.poly({P(250, 130), P(246, 82), P(285, 112)});
    s.poly({P(390, 130), P(394, 82), P(355, 112)});
    s.ellipse(320, 190, 95, 82);
    for (double x : {283.0, 357.0}) {
        s.ellipse(x, 175, 19, 24);
        s.solid(Sketch::ellipsePath(x, 178, 6, 15));
    }
    s.poly({P(308, 212), P(332, 212), P(320, 226)});
    s.line(320, 226, 320, 238);
    s.stroke(curve(P(320, 238), P(312, 250), P(298, 250), P(292, 240)));
    s.stroke(curve(P(320, 238), P(328, 250), P(342, 250), P(348, 240)));
    for (int i = -1; i <= 1; ++i) {
        s.line(270, 225 + i * 10, 195, 215 + i * 22);
        s.line(370, 225 + i * 10, 445, 215 + i * 22);
    }
}

void dog(Sketch &s)
{
    ground(s, 440, 4);
    // bone
    QPainterPath bone;
    bone.addRect(QRectF(95, 408, 90, 26));
    for (P c : {P(95, 410), P(95, 432), P(185, 410), P(185, 432)})
        bone.addEllipse(c, 13, 13);
    s.shape(bone.simplified());
    // wagging tail
    s.tube(curve(P(420, 350), P(470, 340), P(490, 300), P(500, 250)), 24);
    // body and back leg
    s.ellipse(340, 335, 105, 100);
    s.ellipse(415, 385, 45, 50);
    s.ellipse(430, 432, 34, 14);
    // front legs and paws
    for (double x : {290.0, 350.0}) {
        s.rect(x, 330, 34, 95, 12);
        s.ellipse(x + 17, 428, 26, 14);
    }
    // collar and tag
    s.circle(330, 285, 12);
    s.rect(270, 255, 120, 22, 10);
    // head, eye patch, ears
    QPainterPath head = Sketch::ellipsePath(330, 180, 92, 80);
    s.shape(head);
    s.inside(head, [&] { s.ellipse(372, 160, 30, 28, 15); });
    s.ellipse(240, 195, 28, 62, 20);
    s.ellipse(420, 195, 28, 62, -20);
    // muzzle, nose, mouth, tongue
    s.ellipse(330, 228, 48, 32);
    s.ellipse(330, 262, 14, 14);
    s.solid(Sketch::ellipsePath(330, 208, 16, 10));
    s.line(330, 218, 330, 235);
    s.stroke(curve(P(330, 235), P(320, 248), P(302, 245), P(298, 236)));
    s.stroke(curve(P(330, 235), P(340, 248), P(358, 245), P(362, 236)));
    s.dot(295, 160, 8);
    s.dot(370, 160, 8);
}

void barn(Sketch &s)
{
    sun(s, 560, 70, 30);
    cloud(s, 400, 60, 0.7);
    ground(s, 420, 4);
    // silo
    s.circle(135, 175, 45);
    s.rect(90, 175, 90, 245);
    for (double y : {235.0, 295.0, 355.0})
        s.line(90, y, 180, y);
    // barn with its roof
    s.poly({P(200, 420), P(200, 230), P(320, 140), P(440, 230), P(440, 420)});
    s.poly({P(182, 242), P(320, 124), P(458, 242), P(445, 254), P(320, 150), P(195, 254)});
    // hay loft and big doors
    s.rect(290, 195, 60, 50);
    s.line(320, 195, 320, 245);
    s.line(290, 220, 350, 220);
    s.rect(255, 290, 130, 130);
    s.line(320, 290, 320, 420);
    s.line(255, 290, 320, 420);
    s.line(320, 290, 255, 420);
    s.line(320, 290, 385, 420);
    s.line(385, 290, 320, 420);
    // fence: rails first, posts over them
    s.rect(455, 355, 190, 12);
    s.rect(455, 390, 190, 12);
    for (double x : {470.0, 520.0, 570.0, 620.0})
        s.rect(x, 340, 16, 82);
}

} // namespace

std::vector<PictureSpec> farmAnimals()
{
    return {
        {"cow.gif", false, cow},
        {"pig.gif", false, pig},
        {"sheep.gif", false, sheep},
        {"hen and chick.gif", false, hen},
        {"duck.gif", false, duck},
        {"cat.bmp", false, cat},
        {"puppy.gif", false, dog},
        {"barn.gif", false, barn},
    };
}
