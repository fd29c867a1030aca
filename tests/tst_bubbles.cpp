// The colour bubbles on the loaded colouring window: a tick moves and draws them over a
// clean white panel, a bubble that leaves the top pops and comes back below, a click
// picks the topmost bubble's colour and recolours the swatch, and the function row hides
// and shows itself with the pointer.

#include "BubbleMotion.h"
#include "LoadedMain.h"
#include "VbMath.h"

#include <QCursor>
#include <QtTest>

using namespace vb;
using testing::LoadedMain;

namespace {

constexpr QRgb White = 0xFFFFFFFF;

// Every bubble but those the test places waits far below the panel, standing still.
void parkAll(FrmMain& m) {
    for (Bubble& b : m.Bubbles) {
        b.X = 150;
        b.Y = 1000;
        b.VY = 0;
    }
}

QImage panel(FrmMain& m) {
    return m.Pc->Image().image();
}

QRgb spritePixel(const cNDib& d, int x, int y) {
    uint8_t r = 0, g = 0, b = 0;
    d.Get_Pixel(x, y, r, g, b);
    return qRgb(r, g, b);
}

} // namespace

class TestBubbles : public QObject {
    Q_OBJECT
private slots:
    // Each bubble is drawn whole at its place: its picture where the ball is, the panel's
    // white everywhere else (no black from the picture's surround), and nothing left of
    // the bubble drawn in the tick before.
    void tickDrawsEveryBubble_data() {
        QTest::addColumn<float>("left"); // X - R before the tick
        QTest::addColumn<int>("cornerY");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("inside the panel") << 50.0f << 30 << QPoint(50, 30);
        QTest::newRow("near the left edge: drawn at 0, not clipped")
            << -5.0f << 40 << QPoint(0, 40);
        QTest::newRow("partly above the top") << 120.0f << -10 << QPoint(120, -10);
    }
    void tickDrawsEveryBubble() {
        QFETCH(float, left);
        QFETCH(int, cornerY);
        QFETCH(QPoint, corner);
        LoadedMain w("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        FrmMain& m = w.m;
        QCOMPARE(m.Bubbles.size(), size_t(22));
        QCOMPARE(m.BubbleSprites.size(), size_t(44));
        parkAll(m);
        for (size_t i = 0; i < m.Bubbles.size(); ++i) {
            Bubble& b = m.Bubbles[i];
            b.Phase = 0; // the tick makes it 0.1: a drift of 0.02 to the right
            b.VY = -1;
            b.X = b.R + left;
            b.Y = b.R + float(cornerY) + 1;
            m.Timer1_Timer();
            QCOMPARE(b.Y, b.R + float(cornerY));
            QVERIFY(b.X > b.R + left && b.X < b.R + left + 0.03f);
            b.Y = 1000;
            b.VY = 0;

            const cNDib& sprite = *m.BubbleSprites[i];
            const QRect box(corner, QSize(sprite.w(), sprite.h()));
            const QImage img = panel(m);
            QCOMPARE(img.size(), QSize(int(m.Pc->ScaleWidth()), int(m.Pc->ScaleHeight())));
            int ball = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) {
                    QRgb want = White;
                    if (box.contains(x, y)) {
                        const QRgb s = spritePixel(sprite, x - corner.x(), y - corner.y());
                        if (qRed(s) | qGreen(s) | qBlue(s)) want = s, ++ball;
                    }
                    const QRgb got = img.pixel(x, y);
                    if (got != want)
                        QFAIL(qPrintable(QString("bubble %1 at %2,%3: %4 instead of %5")
                                             .arg(i)
                                             .arg(x)
                                             .arg(y)
                                             .arg(got, 0, 16)
                                             .arg(want, 0, 16)));
                }
            QVERIFY2(ball > 20, qPrintable(QString("bubble %1 barely showed").arg(i)));
        }
    }

    // A bubble respawns only once it is wholly above the panel, with a pop and a new
    // place just below the bottom and a new speed from the parents' setting.
    void leavingTheTop_data() {
        QTest::addColumn<QByteArray>("speedLine");
        QTest::addColumn<float>("speed");
        QTest::addColumn<float>("vy");
        QTest::addColumn<bool>("respawns");
        QTest::newRow("Y = -R exactly stays") << QByteArray("4") << 4.0f << -0.5f << false;
        QTest::newRow("just short of -R stays") << QByteArray("4") << 4.0f << -0.4375f << false;
        QTest::newRow("beyond -R respawns") << QByteArray("4") << 4.0f << -0.5625f << true;
        QTest::newRow("beyond -R, slow setting") << QByteArray("10") << 10.0f << -0.5625f << true;
        QTest::newRow("beyond -R, fast setting") << QByteArray("2") << 2.0f << -0.5625f << true;
    }
    void leavingTheTop() {
        QFETCH(QByteArray, speedLine);
        QFETCH(float, speed);
        QFETCH(float, vy);
        QFETCH(bool, respawns);
        LoadedMain w("pw\r\n 1 \r\n 1 \r\n 0 \r\n" + speedLine + "\r\n");
        FrmMain& m = w.m;
        for (Bubble& b : m.Bubbles) b.VY = 0, b.Y = 50;
        Bubble& b = m.Bubbles[5];
        b.R = 8;
        b.X = 100;
        b.Y = -7.5f;
        b.VY = vy;
        const Bubble old = b;
        w.sounds.played.clear();

        m.Timer1_Timer();

        if (!respawns) {
            QCOMPARE(b.Y, old.Y + vy);
            QVERIFY(w.sounds.played.isEmpty());
            return;
        }
        QCOMPARE(w.sounds.played.size(), 1);
        QVERIFY(w.sounds.played[0].startsWith("POP"));
        const float height = m.Pc->ScaleHeight(), width = m.Pc->ScaleWidth();
        QVERIFY2(b.Y >= height + 8 && b.Y < height + 8 + 20, qPrintable(QString::number(b.Y)));
        QVERIFY2(b.X >= 8 && b.X < width - 8, qPrintable(QString::number(b.X)));
        QVERIFY2(b.VY > -1.5f / speed && b.VY <= -0.5f / speed, qPrintable(QString::number(b.VY)));
        QCOMPARE(b.R, old.R);
        QCOMPARE(b.Colour, old.Colour);
    }

    // The click picks the bubble drawn on top, takes its colour, and sends it back below
    // the panel at the quick speed whatever the setting.
    void clickPicksTheTopmostBubble() {
        LoadedMain w("pw\r\n 1 \r\n 1 \r\n 0 \r\n10\r\n");
        FrmMain& m = w.m;
        parkAll(m);
        for (int i : {3, 10}) {
            m.Bubbles[i].X = 100;
            m.Bubbles[i].Y = 50;
        }
        m.Bubbles[3].Colour = RGB(10, 20, 30);
        m.Bubbles[10].Colour = RGB(200, 120, 40);
        m.Timer1_Timer();
        const Bubble lower = m.Bubbles[3];
        w.sounds.played.clear();

        testing::press(m.Pc, QPoint(100 + 3, 50 - 2));

        QCOMPARE(QList<int>({m.CurrentR, m.CurrentG, m.CurrentB}), QList<int>({200, 120, 40}));
        QCOMPARE(w.sounds.played.size(), 1);
        QVERIFY(w.sounds.played[0].startsWith("PRESS") || w.sounds.played[0].startsWith("B"));
        const Bubble& hit = m.Bubbles[10];
        QVERIFY(hit.Y >= m.Pc->ScaleHeight() + hit.R);
        QVERIFY2(hit.VY > -0.5f && hit.VY <= -0.5f / 3, qPrintable(QString::number(hit.VY)));
        QCOMPARE(m.Bubbles[3].Y, lower.Y);
        QCOMPARE(m.Bubbles[3].X, lower.X);
        QCOMPARE(m.PB->BackColor(), RGB(200, 120, 40));

        // Beside every bubble nothing happens.
        w.sounds.played.clear();
        testing::press(m.Pc, QPoint(250, 20));
        QCOMPARE(QList<int>({m.CurrentR, m.CurrentG, m.CurrentB}), QList<int>({200, 120, 40}));
        QVERIFY(w.sounds.played.isEmpty());
    }

    void hitTest_data() {
        QTest::addColumn<float>("x");
        QTest::addColumn<float>("y");
        QTest::addColumn<int>("hit");
        // Bubble 0 at (20, 20) with R 10, bubble 1 at (35, 20) with R 10.
        QTest::newRow("on the rim of the lower one") << 10.0f << 20.0f << 0;
        QTest::newRow("just outside the rim") << 9.9f << 20.0f << -1;
        QTest::newRow("where both overlap, the higher index") << 27.0f << 20.0f << 1;
        QTest::newRow("on the rim of the upper one") << 45.0f << 20.0f << 1;
        QTest::newRow("diagonal inside") << 27.0f << 27.0f << 0;
    }
    void hitTest() {
        QFETCH(float, x);
        QFETCH(float, y);
        QFETCH(int, hit);
        std::vector<Bubble> bubbles(2);
        bubbles[0].X = 20, bubbles[0].Y = 20, bubbles[0].R = 10;
        bubbles[1].X = 35, bubbles[1].Y = 20, bubbles[1].R = 10;
        QCOMPARE(BubbleAt(bubbles, x, y), hit);
    }

    // The swatch takes the bubble's colour with its band under the toolbar; the canvas
    // casts its shadow only while it shows.
    void clickRecoloursTheSwatch_data() {
        QTest::addColumn<bool>("canvasShown");
        QTest::newRow("canvas hidden: no shadow") << false;
        QTest::newRow("canvas shown: shadow") << true;
    }
    void clickRecoloursTheSwatch() {
        QFETCH(bool, canvasShown);
        LoadedMain w;
        FrmMain& m = w.m;
        if (canvasShown) {
            QImage page(200, 150, QImage::Format_RGB32);
            page.fill(Qt::white);
            m.P->setPicture(StdPicture(page));
            m.P->Move(300, 200);
            m.P->show();
        }
        parkAll(m);
        m.Bubbles[7].X = 60, m.Bubbles[7].Y = 40;
        m.Bubbles[7].Colour = RGB(30, 160, 90);
        const QRgb colour = qRgb(30, 160, 90);

        testing::press(m.Pc, QPoint(60, 40));

        const QImage pb = m.PB->Image().image();
        QCOMPARE(pb.pixel(700, 0), qRgb(0, 0, 0)); // the band's first row
        QCOMPARE(pb.pixel(700, 10), colour);       // its last row leaves the colour
        QCOMPARE(pb.pixel(pb.width() - 5, pb.height() - 5), colour);
        QCOMPARE(pb.pixel(510, 275), colour); // as far as the shadow reaches
        QCOMPARE(pb.pixel(500, 275), canvasShown ? qRgb(0, 0, 0) : colour);
        QCOMPARE(pb.pixel(400, 350), canvasShown ? qRgb(0, 0, 0) : colour);
    }

    // The function row comes back after 1500 counts (22 bubbles, the 69th tick) with
    // the pointer resting in its corner, and goes at the first tick outside.
    void functionRowFollowsThePointer_data() {
        QTest::addColumn<QString>("inside"); // "corner" or "edge"
        QTest::addColumn<QString>("outside");
        QTest::newRow("from the corner, out to the right") << "corner"
                                                           << "right";
        QTest::newRow("from the far edge, out below") << "edge"
                                                      << "below";
    }
    void functionRowFollowsThePointer() {
        QFETCH(QString, inside);
        QFETCH(QString, outside);
        LoadedMain w("pw\r\n 1 \r\n 0 \r\n 1 \r\n4\r\n");
        FrmMain& m = w.m;
        m.HoverCount = 0; // as at the program's start; loads keep it
        const int barW = m.FunctionBarWidth, barH = int(m.pFunc[0]->ScaleHeight());
        QVERIFY(barW > 0 && barH > 0);
        auto rowShows = [&] {
            int shown = 0;
            for (PictureArea* f : m.pFunc) shown += f->Visible();
            if (shown != 0 && shown != 5) qFatal("the function row is partly shown");
            return shown == 5;
        };
        QVERIFY(!rowShows());
        const QPoint in = inside == "corner" ? QPoint(0, 0) : QPoint(barW, barH);
        const QPoint out = outside == "right" ? QPoint(barW + 1, 0) : QPoint(0, barH + 1);
        QCursor::setPos(in);
        if (QCursor::pos() != in) QSKIP("this platform cannot place the pointer");

        for (int tick = 1; tick <= 68; ++tick) {
            m.Timer1_Timer();
            QVERIFY2(!rowShows(), qPrintable(QString("shown after tick %1").arg(tick)));
        }
        m.Timer1_Timer();
        QVERIFY(rowShows());
        QCOMPARE(m.HoverCount, 69 * 22 - 1500);

        // Resting on keeps it shown.
        for (int tick = 0; tick < 80; ++tick) m.Timer1_Timer();
        QVERIFY(rowShows());

        QCursor::setPos(out);
        m.Timer1_Timer();
        QVERIFY(!rowShows());
        QCOMPARE(m.HoverCount, 0);

        // A visit outside starts the count again.
        QCursor::setPos(in);
        for (int tick = 0; tick < 68; ++tick) m.Timer1_Timer();
        QCursor::setPos(out);
        m.Timer1_Timer();
        QCursor::setPos(in);
        for (int tick = 0; tick < 68; ++tick) m.Timer1_Timer();
        QVERIFY(!rowShows());
    }
};

QTEST_MAIN(TestBubbles)
#include "tst_bubbles.moc"
