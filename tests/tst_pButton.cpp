// The picture button: grey copy, state faces, events from real mouse input, batched repaints.

#include "TestSupport.h"
#include "pButton.h"

#include <QPaintEvent>
#include <QtTest>

using namespace vb;

namespace {

StdPicture solid(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return StdPicture(img);
}

// A face whose every pixel differs, to see where each one lands.
StdPicture patterned(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(10 * x, 20 * y, 100));
    return StdPicture(img);
}

int32_t cv(QRgb c) {
    return qRed(c) + 256 * qGreen(c) + 65536 * qBlue(c);
}

const QRgb Up = qRgb(200, 0, 0), Down = qRgb(0, 200, 0), Latched = qRgb(0, 0, 200),
           Disabled = qRgb(200, 200, 0);

// Counts the paint events of one widget.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

class TestPButton : public QObject {
    Q_OBJECT
private slots:
    void greyCopy_data() {
        QTest::addColumn<QRgb>("colour");
        QTest::addColumn<int>("grey");
        QTest::newRow("white stays white") << qRgb(255, 255, 255) << 255;
        QTest::newRow("almost white") << qRgb(255, 255, 254) << 244;
        QTest::newRow("black") << qRgb(0, 0, 0) << 0;
        QTest::newRow("red weighs 0.255") << qRgb(255, 0, 0) << 65;
        QTest::newRow("green") << qRgb(0, 255, 0) << 150;
        QTest::newRow("blue") << qRgb(0, 0, 255) << 29;
        QTest::newRow("28.5 to even") << qRgb(0, 0, 250) << 28;
        QTest::newRow("37.5 to even") << qRgb(0, 60, 20) << 38;
    }
    void greyCopy() {
        QFETCH(QRgb, colour);
        QFETCH(int, grey);
        // The colour in the middle of a 3 x 3 face on a white surround.
        QImage img(3, 3, QImage::Format_RGB32);
        img.fill(qRgb(255, 255, 255));
        img.setPixel(1, 1, colour);
        pButton b;
        QCOMPARE(b.SetPicture(StdPicture(img)), 0);
        QVERIFY(b.GreyImage && !b.DisabledImage);
        uint8_t R = 1, G = 1, B = 1;
        b.GreyImage->Get_Pixel(1, 1, R, G, B);
        QCOMPARE(int(R), grey);
        QCOMPARE(int(G), grey);
        QCOMPARE(int(B), grey);
        b.GreyImage->Get_Pixel(0, 0, R, G, B);
        QCOMPARE(int(R), 255);
        // The up face is untouched and disabling shows the grey copy.
        QCOMPARE(b.UpImage->Get_Pixel_Long(1, 1), cv(colour));
        b.setEnabled(false);
        QVERIFY(!b.Enabled());
        QCOMPARE(b.P->Point(1, 1), grey * 0x010101);
    }

    void sizeInTwipsAndFaceDrawnOneToOne() {
        pButton b;
        b.SetPicture(patterned(20, 12));
        QCOMPARE(b.Width(), 19 * 15); // from the last indices
        QCOMPARE(b.Height(), 11 * 15);
        QCOMPARE(b.size(), QSize(19, 11));
        QCOMPARE(b.P->geometry(), QRect(0, 0, 20, 12));
        for (int y = 0; y < 11; ++y)
            for (int x = 0; x < 19; ++x) QCOMPARE(b.P->Point(x, y), cv(qRgb(10 * x, 20 * y, 100)));
        // P's extra column and row are never drawn on.
        QCOMPARE(b.P->Point(19, 0), 0xC0C0C0);
        QCOMPARE(b.P->Point(0, 11), 0xC0C0C0);
    }

    void stateFaces() {
        pButton b;
        b.show();
        QCOMPARE(b.SetPicture(solid(16, 10, Up), solid(16, 10, Down), solid(16, 10, Latched),
                              solid(16, 10, Disabled)),
                 0);
        QVERIFY(!b.GreyImage);
        auto face = [&] { return b.P->Point(5, 5); };
        QCOMPARE(face(), cv(Up));
        testing::press(b.P, {5, 5});
        QCOMPARE(face(), cv(Down));
        testing::release(b.P, {5, 5});
        QCOMPARE(face(), cv(Up));
        b.setPressed(true);
        QCOMPARE(face(), cv(Latched));
        testing::press(b.P, {5, 5});
        QCOMPARE(face(), cv(Down));
        testing::release(b.P, {5, 5});
        QCOMPARE(face(), cv(Latched)); // latched again after the release
        b.setEnabled(false);
        QCOMPARE(face(), cv(Disabled));
        b.setEnabled(true);
        QCOMPARE(face(), cv(Up));
        QVERIFY(b.isEnabled()); // the control itself was never switched off

        // A later call with just one face keeps the others.
        b.SetPicture({}, solid(16, 10, qRgb(1, 2, 3)));
        b.setEnabled(false);
        QCOMPARE(face(), cv(Disabled));
    }

    void onlyAnUpFace() {
        pButton b;
        b.show();
        b.SetPicture(solid(16, 10, Up));
        QSignalSpy downs(&b, &pButton::MouseDown);
        testing::press(b.P, {3, 3});
        QCOMPARE(downs.count(), 1);
        QCOMPARE(b.P->Point(3, 3), cv(Up));
        testing::release(b.P, {3, 3});
        b.setPressed(true);
        QCOMPARE(b.P->Point(3, 3), cv(Up));
        QVERIFY(b.Pressed());
    }

    void eventsInOrder() {
        pButton b;
        b.show();
        b.SetPicture(solid(30, 20, Up), solid(30, 20, Down));
        QStringList log;
        connect(&b, &pButton::MouseDown, [&](int16_t Button, int16_t Shift, float x, float y) {
            log << QStringLiteral("down %1 %2 %3 %4 %5")
                       .arg(Button)
                       .arg(Shift)
                       .arg(x)
                       .arg(y)
                       .arg(b.P->Point(1, 1) == cv(Down) ? "downface" : "?");
        });
        connect(&b, &pButton::MouseMove, [&](int16_t Button, int16_t, float x, float y) {
            log << QStringLiteral("move %1 %2 %3").arg(Button).arg(x).arg(y);
        });
        connect(&b, &pButton::MouseUp, [&] {
            log << QStringLiteral("up %1").arg(b.P->Point(1, 1) == cv(Up) ? "upface" : "?");
        });
        connect(&b, &pButton::click, [&] { log << "click"; });

        testing::press(b.P, {7, 4});
        testing::move(b.P, {8, 5});
        testing::release(b.P, {8, 5});
        QCOMPARE(log, QStringList({"down 1 0 7 4 downface", "move 1 8 5", "up upface", "click"}));

        log.clear(); // disabled: no events at all
        b.setEnabled(false);
        testing::click(b.P, {7, 4});
        QVERIFY(log.isEmpty());
    }

    void lockRefreshBatchesRepaints() {
        pButton b;
        b.SetPicture(solid(16, 10, Up), solid(16, 10, Down), solid(16, 10, Latched));
        b.show();
        QVERIFY(QTest::qWaitForWindowExposed(&b));
        QCoreApplication::processEvents();
        PaintCounter counter;
        b.P->installEventFilter(&counter);

        b.setPressed(true);
        QCOMPARE(counter.paints, 1);

        counter.paints = 0;
        b.setLockRefresh(true);
        b.setPressed(false);
        b.setPressed(true);
        b.setEnabled(true);
        QCOMPARE(counter.paints, 0);
        b.setLockRefresh(false);
        QCOMPARE(counter.paints, 1);
        QCOMPARE(b.P->Point(2, 2), cv(Up));

        // The toggle pattern: lock on press, change the latch and unlock on release.
        b.setPressed(false);
        counter.paints = 0;
        connect(&b, &pButton::MouseDown, [&] { b.setLockRefresh(true); });
        connect(&b, &pButton::MouseUp, [&] {
            b.setPressed(!b.Pressed());
            b.setLockRefresh(false);
        });
        testing::press(b.P, {2, 2});
        QCOMPARE(counter.paints, 1); // the down face, before the handler locks
        testing::release(b.P, {2, 2});
        QCOMPARE(counter.paints, 2);
        QVERIFY(b.Pressed());
        QCOMPARE(b.P->Point(2, 2), cv(Latched));
    }
};

QTEST_MAIN(TestPButton)
#include "tst_pButton.moc"
