// Book "at home".
#include "books.h"

#include <cmath>

namespace {

using P = QPointF;

void window(Sketch &s, double x, double y, double w, double h)
{
    s.rect(x, y, w, h);
    s.line(x + w / 2, y, x + w / 2, y + h);
    s.line(x, y + h / 2, x + w, y + h / 2);
    s.rect(x - 6, y + h, w + 12, 10);
}

void house(Sketch &s)
{
    sun(s, 70, 70, 28);
    cloud(s, 560, 60, 0.6);
    ground(s, 420, 4);
    // chimney with smoke, then the roof over it
    s.puff({P(440, 80), P(460, 65)}, {14, 12});
    s.puff({P(470, 45), P(492, 36)}, {12, 10});
    s.rect(400, 100, 40, 90);
    s.rect(394, 92, 52, 14);
    s.rect(170, 220, 300, 200);
    s.poly({P(145, 228), P(320, 100), P(495, 228)});
    s.circle(320, 178, 22);
    s.line(298, 178, 342, 178);
    // windows and door
    window(s, 200, 255, 70, 60);
    window(s, 370, 255, 70, 60);
    QPainterPath door;
    door.moveTo(285, 420);
    door.lineTo(285, 330);
    door.arcTo(QRectF(285, 295, 70, 70), 180, -180);
    door.lineTo(355, 420);
    door.closeSubpath();
    s.shape(door);
    s.circle(342, 375, 5);
    s.line(285, 420, 355, 420);
    // flowers by the wall and a bush
    for (double x : {195.0, 240.0, 400.0, 445.0}) {
        s.line(x, 420, x, 395);
        s.flower(x, 388, 7, 5, 5);
    }
    s.puff({P(540, 400), P(575, 385), P(610, 400), P(575, 410)}, {25, 30, 25, 22});
    s.rect(40, 330, 90, 12);
    s.rect(40, 370, 90, 12);
    for (double x : {45.0, 80.0, 115.0})
        s.poly({P(x, 420), P(x, 325), P(x + 7, 315), P(x + 14, 325), P(x + 14, 420)});
}

void teddy(Sketch &s)
{
    // ears, head, muzzle
    for (int side = -1; side <= 1; side += 2) {
        s.circle(240 + side * 75, 125, 38);
        s.circle(240 + side * 75, 125, 20);
    }
    // arms and legs behind the body
    s.ellipse(120, 370, 40, 75, 35);
    s.ellipse(360, 370, 40, 75, -35);
    s.ellipse(240, 420, 118, 140);
    s.ellipse(240, 440, 70, 85);
    for (int side = -1; side <= 1; side += 2) {
        const double x = 240 + side * 95;
        s.ellipse(x, 560, 52, 60);
        s.ellipse(x, 570, 30, 35);
        for (int t = -1; t <= 1; ++t)
            s.circle(x + t * 18, 522, 8);
    }
    s.circle(240, 195, 95);
    s.ellipse(240, 230, 48, 38);
    s.solid(Sketch::ellipsePath(240, 212, 17, 11));
    s.line(240, 222, 240, 242);
    s.stroke(curve(P(240, 242), P(232, 254), P(218, 252), P(212, 243)));
    s.stroke(curve(P(240, 242), P(248, 254), P(262, 252), P(268, 243)));
    s.dot(205, 170, 9);
    s.dot(275, 170, 9);
    // bow tie at the neck
    s.poly({P(240, 305), P(180, 280), P(180, 335)});
    s.poly({P(240, 305), P(300, 280), P(300, 335)});
    s.circle(240, 305, 14);
}

void teapot(Sketch &s)
{
    s.line(-5, 420, 645, 420);
    // steam
    for (int i = 0; i < 2; ++i) {
        const double x = 470 + i * 30;
        s.stroke(curve(P(x, 90), P(x - 20, 110), P(x + 20, 130), P(x, 150)));
    }
    // handle ring and spout behind the pot
    s.ellipse(145, 280, 55, 70);
    s.ellipse(145, 280, 32, 47);
    s.tube(curve(P(360, 320), P(420, 300), P(440, 230), P(480, 190)), 30);
    // pot with flowers
    QPainterPath pot = Sketch::ellipsePath(270, 300, 130, 105);
    s.shape(pot);
    s.inside(pot, [&] {
        s.line(140, 250, 400, 250);
        s.flower(230, 320, 18, 5, 13);
        s.flower(320, 330, 14, 5, 10);
        s.flower(180, 370, 12, 5, 9);
    });
    // lid and knob
    QPainterPath lid;
    lid.moveTo(185, 200);
    lid.cubicTo(190, 150, 350, 150, 355, 200);
    lid.closeSubpath();
    s.shape(lid);
    s.circle(270, 150, 16);
    s.rect(175, 196, 190, 14, 6);
    // base
    s.rect(200, 398, 140, 22, 6);
    // cup and saucer
    s.ellipse(540, 410, 85, 16);
    s.ellipse(605, 355, 24, 30);
    s.ellipse(605, 355, 12, 18);
    QPainterPath cup;
    cup.moveTo(480, 320);
    cup.lineTo(600, 320);
    cup.cubicTo(598, 370, 580, 400, 540, 402);
    cup.cubicTo(500, 400, 482, 370, 480, 320);
    cup.closeSubpath();
    s.shape(cup);
    s.heart(540, 360, 20);
}

void cake(Sketch &s)
{
    // balloons with strings
    for (auto [x, y] : {std::pair{80.0, 120.0}, std::pair{560.0, 100.0}}) {
        s.stroke(curve(P(x, y + 55), P(x - 20, y + 120), P(x + 20, y + 180), P(x, y + 260)));
        s.ellipse(x, y, 42, 52);
        s.poly({P(x, y + 50), P(x - 9, y + 62), P(x + 9, y + 62)});
    }
    // plate
    s.ellipse(320, 420, 220, 30);
    // bottom tier with icing drips and hearts
    s.rect(150, 300, 340, 115, 8);
    QPainterPath icing;
    icing.moveTo(150, 300);
    icing.lineTo(490, 300);
    icing.lineTo(490, 320);
    for (int i = 0; i < 7; ++i) {
        const double x = 490 - i * 340.0 / 7;
        icing.quadTo(x - 24, 350, x - 340.0 / 7, 320);
    }
    icing.closeSubpath();
    s.shape(icing);
    for (int i = 0; i < 4; ++i)
        s.heart(200 + i * 80, 380, 16);
    // top tier with stars
    s.rect(215, 200, 210, 100, 8);
    for (int i = 0; i < 3; ++i)
        s.star(260 + i * 60, 255, 18, 8);
    // candles and flames
    for (int i = 0; i < 4; ++i) {
        const double x = 250 + i * 47;
        s.rect(x - 8, 140, 16, 60, 3);
        QPainterPath flame;
        flame.moveTo(x, 95);
        flame.cubicTo(x + 14, 115, x + 12, 130, x, 132);
        flame.cubicTo(x - 12, 130, x - 14, 115, x, 95);
        flame.closeSubpath();
        s.shape(flame);
    }
}

void fishbowl(Sketch &s)
{
    s.line(-5, 440, 645, 440);
    // bowl: a circle cut flat at the top, with a rim
    QPainterPath bowl = Sketch::ellipsePath(320, 270, 170, 160);
    QPainterPath top;
    top.addRect(QRectF(100, 140, 440, 300));
    bowl = bowl.intersected(top).simplified();
    s.shape(bowl);
    s.inside(bowl, [&] {
        QPainterPath water;
        water.moveTo(140, 175);
        for (double x = 140; x < 500; x += 60)
            water.cubicTo(x + 15, 167, x + 45, 183, x + 60, 175);
        s.stroke(water);
        // pebbles
        for (int i = 0; i < 9; ++i)
            s.ellipse(200 + i * 30, 420 - (i % 2) * 8, 18, 11);
    });
    s.ellipse(320, 142, 118, 14);
    // water weed
    s.tube(curve(P(200, 410), P(180, 360), P(220, 320), P(200, 270)), 14);
    s.tube(curve(P(440, 410), P(460, 360), P(420, 330), P(445, 290)), 14);
    // fish with a tail, fin and eye
    s.poly({P(360, 250), P(430, 205), P(420, 250), P(430, 295)});
    QPainterPath fish = Sketch::ellipsePath(300, 250, 75, 45);
    s.shape(fish);
    s.inside(fish, [&] {
        s.stroke(curve(P(300, 205), P(285, 230), P(285, 270), P(300, 295)));
        s.stroke(curve(P(330, 208), P(318, 230), P(318, 270), P(330, 292)));
    });
    s.poly({P(300, 206), P(330, 180), P(345, 210)});
    s.circle(258, 240, 10);
    s.dot(256, 240, 5);
    s.stroke(curve(P(228, 262), P(236, 268), P(245, 268), P(250, 262)));
    // bubbles
    for (auto [x, y, r] : {std::tuple{230.0, 195.0, 9.0}, {215.0, 220.0, 6.0}, {240.0, 218.0, 5.0}})
        s.circle(x, y, r);
}

void blocks(Sketch &s)
{
    s.line(-5, 430, 645, 430);
    // a cube seen from the front, with its top and right side
    auto cube = [&](double x, double y, double size) {
        const double d = size * 0.3;
        s.poly({P(x, y), P(x + d, y - d), P(x + size + d, y - d), P(x + size, y)});
        s.poly({P(x + size, y), P(x + size + d, y - d), P(x + size + d, y + size - d), P(x + size, y + size)});
        s.rect(x, y, size, size);
    };
    cube(150, 310, 120);
    s.star(210, 370, 42, 18);
    cube(285, 310, 120);
    s.heart(345, 372, 38);
    cube(220, 190, 120);
    s.circle(280, 250, 36);
    // a ball with stripes
    QPainterPath ball = Sketch::ellipsePath(530, 370, 60, 60);
    s.shape(ball);
    s.inside(ball, [&] {
        s.stroke(curve(P(470, 350), P(510, 320), P(560, 330), P(590, 360)));
        s.stroke(curve(P(470, 390), P(510, 360), P(560, 370), P(590, 400)));
    });
    // a little triangle block
    s.poly({P(60, 430), P(100, 350), P(140, 430)});
    s.circle(100, 405, 12);
}

void bathTime(Sketch &s)
{
    // tap and drops
    s.rect(70, 120, 60, 22, 8);
    s.rect(110, 138, 20, 40, 4);
    for (int i = 0; i < 2; ++i)
        s.ellipse(120, 200 + i * 26, 6, 9);
    // feet
    s.ellipse(170, 405, 22, 28);
    s.ellipse(470, 405, 22, 28);
    // bubbles over the rim, the duck among them
    s.puff({P(180, 205), P(230, 190), P(290, 200), P(350, 190), P(410, 200), P(460, 195)},
           {30, 38, 34, 36, 32, 30});
    s.circle(520, 160, 14);
    s.circle(550, 130, 9);
    s.circle(100, 230, 10);
    s.ellipse(330, 175, 50, 30);
    s.poly({P(372, 168), P(395, 140), P(392, 180)});
    s.circle(295, 135, 26);
    s.poly({P(272, 132), P(250, 140), P(272, 146)});
    s.dot(290, 128, 5);
    // tub
    QPainterPath tub;
    tub.moveTo(130, 232);
    tub.lineTo(510, 232);
    tub.lineTo(500, 330);
    tub.cubicTo(490, 380, 460, 390, 420, 390);
    tub.lineTo(220, 390);
    tub.cubicTo(180, 390, 150, 380, 140, 330);
    tub.closeSubpath();
    s.shape(tub);
    s.rect(115, 212, 410, 24, 10);
    for (int i = 0; i < 5; ++i)
        s.circle(200 + i * 60, 310, 14);
    s.line(-5, 432, 645, 432);
}

} // namespace

std::vector<PictureSpec> atHome()
{
    return {
        {"house.gif", false, house},
        {"teddy bear.gif", true, teddy},
        {"teapot.gif", false, teapot},
        {"birthday cake.gif", false, cake},
        {"goldfish bowl.gif", false, fishbowl},
        {"toy blocks.bmp", false, blocks, true},
        {"bath time.gif", false, bathTime},
    };
}
