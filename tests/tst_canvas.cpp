// Strokes on the canvas through real mouse events: the region map keeps paint inside the
// shape where the stroke began, the wait on an outline, the undo snapshots, the marker's
// outlines, the colour grain and the release.

#include "CanvasRig.h"
#include "Screen.h"
#include "TestSupport.h"
#include "VbMath.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QStyleHints>
#include <QtTest>

using namespace vb;
using namespace testing;

namespace {

// Two closed squares side by side on white: A's inside is 42..138, B's 162..258 (x), and
// 42..138 (y); outlines three pixels wide.
QImage twoSquares() {
    QImage img = solid(400, 200, qRgb(255, 255, 255));
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 3));
    p.drawRect(40, 40, 100, 100);
    p.drawRect(160, 40, 100, 100);
    return img;
}

QRgb px(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

// Pixels that differ between two images, and whether all of them pass `allowed`.
int changedPixels(const QImage& a, const QImage& b, const std::function<bool(int, int)>& allowed,
                  QString* where = nullptr) {
    int n = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (px(a, x, y) != px(b, x, y)) {
                ++n;
                if (!allowed(x, y) && where && where->isEmpty())
                    *where = QString("%1,%2").arg(x).arg(y);
            }
    return n;
}

bool insideA(int x, int y) {
    return x >= 42 && x <= 138 && y >= 42 && y <= 138;
}

bool insideB(int x, int y) {
    return x >= 162 && x <= 258 && y >= 42 && y <= 138;
}

// The second press of a double click, as the window system sends it in place of a press.
void doublePress(QWidget* w, QPoint p, int button) {
    const Qt::MouseButton b =
        button == 2 ? Qt::RightButton : (button == 4 ? Qt::MiddleButton : Qt::LeftButton);
    QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(p), QPointF(w->mapToGlobal(p)), b, b,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// A mouse event through the window system's path, where the toolkit pairs a press with
// the press before it, in whatever window, into a double click.
void systemMouse(QWidget* top, QPoint at, QEvent::Type type, Qt::MouseButton b, int time) {
    const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : b;
    qt_handleMouseEvent(top->windowHandle(), QPointF(at), QPointF(top->mapToGlobal(at)), held,
                        type == QEvent::MouseMove ? Qt::NoButton : b, type, Qt::NoModifier, time);
}

// A press at `at`, a drag by `drag` and the release there.
void systemClick(QWidget* top, QPoint at, Qt::MouseButton b, int time, QPoint drag = {}) {
    systemMouse(top, at, QEvent::MouseButtonPress, b, time);
    systemMouse(top, at + drag, QEvent::MouseMove, b, time + 20);
    systemMouse(top, at + drag, QEvent::MouseButtonRelease, b, time + 40);
}

// A window that closes on the click's release, as the picture chooser and the messages do,
// on Escape, or on a close request; or holds the release for a while first, as OK does while
// its sound plays.
struct ClosingWindow : QWidget {
    int holdMs = 0;
    void mouseReleaseEvent(QMouseEvent*) override {
        QEventLoop hold;
        QTimer::singleShot(holdMs, &hold, &QEventLoop::quit);
        if (holdMs > 0) hold.exec(QEventLoop::ExcludeUserInputEvents);
        hide();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Escape) hide();
    }
};

QImage dibImage(const cNDib& d) {
    QImage img(d.w(), d.h(), QImage::Format_RGB32);
    for (int y = 0; y < d.h(); ++y) std::memcpy(img.scanLine(y), d.pixel(0, y), size_t(d.w()) * 4);
    return img;
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT
private slots:
    void init() { SeedRnd(12345); }
    void paintStaysInside_data();
    void paintStaysInside();
    void pressOnOutlineWaits_data();
    void pressOnOutlineWaits();
    void doubleClickIsAPress_data();
    void doubleClickIsAPress();
    void secondPressNeedsTheFirst_data();
    void secondPressNeedsTheFirst();
    void offTheCanvasKeepsWaiting_data();
    void offTheCanvasKeepsWaiting();
    void exactBlend_data();
    void exactBlend();
    void markerBoundsLaterRegions();
    void fourthStrokeDropsFirstSnapshot();
    void bounds_data();
    void bounds();
    void grainRanges_data();
    void grainRanges();
    void grainDrawOrder();
    void loadedWindow_data();
    void loadedWindow();
};

void TestCanvas::paintStaysInside_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("button");
    QTest::newRow("paintbrush") << 1 << 1;
    QTest::newRow("crayon, right button") << 0 << 2;
    QTest::newRow("pencil, middle button") << 2 << 4;
}

// From inside A out across its outline into B and back: paint only inside A, also where
// the stamp covered B, and again inside A after coming back.
void TestCanvas::paintStaysInside() {
    QFETCH(int, tool);
    QFETCH(int, button);
    CanvasRig rig;
    rig.setTool(tool);
    rig.putPicture(twoSquares());
    rig.form.CurrentR = 200;
    const QImage before = rig.canvas();
    QWidget* P = rig.form.P;
    press(P, {120, 90}, button);
    QVERIFY(!rig.form.Timer1->Enabled());
    QCOMPARE(rig.form.RegionColor, 255);
    move(P, {150, 92}, button);
    move(P, {175, 95}, button);
    move(P, {230, 100}, button);
    const QImage mid = rig.canvas();
    move(P, {125, 100}, button);
    move(P, {100, 110}, button);
    release(P, {100, 110}, button);
    QVERIFY(rig.form.Timer1->Enabled());
    const QImage after = rig.canvas();

    QString outside;
    QVERIFY(changedPixels(before, after, insideA, &outside) > 0);
    QVERIFY2(outside.isEmpty(), qPrintable("painted outside A at " + outside));
    // Coming back into A paints again.
    QVERIFY(changedPixels(mid, after, insideA) > 0);
    // The release hands the canvas as shown to the next brush stroke.
    QCOMPARE(dibImage(*rig.form.CanvasDib), after);
}

void TestCanvas::pressOnOutlineWaits_data() {
    QTest::addColumn<int>("tool");
    QTest::newRow("crayon") << 0;
    QTest::newRow("pencil") << 2;
}

// Pressed on A's left outline and dragged along it nothing is painted (but the pencil's
// press dot); the first point off the outline starts the stroke anew, with a second
// snapshot, in the region now under the pointer.
void TestCanvas::pressOnOutlineWaits() {
    QFETCH(int, tool);
    CanvasRig rig;
    rig.setTool(tool);
    rig.putPicture(twoSquares());
    rig.form.CurrentG = 180;
    QWidget* P = rig.form.P;
    const QImage before = rig.canvas();
    press(P, {40, 90});
    QCOMPARE(rig.form.RegionColor, 0);
    QCOMPARE(rig.form.UndoIndex, 0);
    move(P, {40, 100});
    move(P, {41, 110});
    const QImage waiting = rig.canvas();
    const int dot = changedPixels(before, waiting, [](int x, int y) {
        return std::abs(x - 40) <= 2 && std::abs(y - 90) <= 2;
    });
    QCOMPARE(dot > 0, tool == 2);
    QCOMPARE(rig.form.UndoIndex, 0);

    move(P, {60, 110});
    QCOMPARE(rig.form.UndoIndex, 1);
    QCOMPARE(rig.form.RegionColor, 255);
    // The second snapshot holds the canvas as it was when the stroke restarted.
    QCOMPARE(dibImage(*rig.form.UndoPictures[1]), waiting);
    QCOMPARE(dibImage(*rig.form.UndoPictures[0]), before);
    move(P, {80, 110});
    release(P, {80, 110});
    QString outside;
    QVERIFY(changedPixels(waiting, rig.canvas(), insideA, &outside) > 0);
    QVERIFY2(outside.isEmpty(), qPrintable("painted outside A at " + outside));
}

void TestCanvas::doubleClickIsAPress_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("button");
    QTest::newRow("crayon") << 0 << 1;
    QTest::newRow("paintbrush, right button") << 1 << 2;
    QTest::newRow("pencil") << 2 << 1;
}

// A click in A, then a quick second press in B and a drag: the second press stops the
// bubbles, takes its own snapshot and region map, and the drag paints B only.
void TestCanvas::doubleClickIsAPress() {
    QFETCH(int, tool);
    QFETCH(int, button);
    CanvasRig rig;
    rig.setTool(tool);
    rig.putPicture(twoSquares());
    rig.form.CurrentB = 200;
    QWidget* P = rig.form.P;
    click(P, {100, 90}, button);
    const QImage first = rig.canvas();
    QVERIFY(rig.form.Timer1->Enabled());

    doublePress(P, {200, 90}, button);
    QVERIFY(!rig.form.Timer1->Enabled());
    QCOMPARE(rig.form.UndoIndex, 1);
    QCOMPARE(dibImage(*rig.form.UndoPictures[1]), first);
    QCOMPARE(rig.form.RegionMask->Get_Pixel_Long(200, 90), 255);
    QCOMPARE(rig.form.RegionMask->Get_Pixel_Long(100, 90), 0xFFFFFF);
    move(P, {230, 100}, button);
    move(P, {130, 100}, button); // across into A
    release(P, {130, 100}, button);
    QVERIFY(rig.form.Timer1->Enabled());

    QString outside;
    QVERIFY(changedPixels(first, rig.canvas(), insideB, &outside) > 0);
    QVERIFY2(outside.isEmpty(), qPrintable("painted outside B at " + outside));
}

void TestCanvas::secondPressNeedsTheFirst_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("first"); // the canvas, or how the window over it closed
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QString>("broken"); // how the press after the burst leaves it
    QTest::newRow("canvas's own double click") << 0 << 1 << "canvas" << 2 << "pause";
    QTest::newRow("canvas's own triple click, paintbrush, right") << 1 << 2 << "canvas" << 3
                                                                   << "pause";
    QTest::newRow("double click from a window") << 0 << 1 << "click" << 2 << "pause";
    QTest::newRow("triple click from a window") << 0 << 1 << "click" << 3 << "pause";
    QTest::newRow("triple click from a window, pencil, right") << 2 << 2 << "click" << 3 << "pause";
    QTest::newRow("quadruple click from a window") << 0 << 1 << "click" << 4 << "pause";
    QTest::newRow("triple click from a window, then far away") << 0 << 1 << "click" << 3
                                                               << "distance";
    QTest::newRow("quadruple click from a window, paintbrush, then far") << 1 << 1 << "click" << 4
                                                                          << "distance";
    QTest::newRow("Escape closes a window, then a double click") << 0 << 1 << "key" << 3 << "pause";
    QTest::newRow("Escape closes a window, another closes elsewhere, then a double click")
        << 0 << 1 << "key, then another" << 3 << "pause";
    QTest::newRow("Escape closes a window, then a quick click beside it") << 0 << 1 << "key" << 1
                                                                         << "distance";
    QTest::newRow("a close request, then a click, right") << 1 << 2 << "close request" << 2
                                                          << "pause";
    QTest::newRow("a close request, then a triple click, then far")
        << 0 << 1 << "close request" << 4 << "distance";
    QTest::newRow("a window held open, then a triple click") << 0 << 1 << "held open" << 4
                                                             << "pause";
    QTest::newRow("a window held open, then a click, pencil") << 2 << 1 << "held open" << 2
                                                              << "pause";
}

// A burst: clicks of one button, each within the double-click interval of the one before
// and about where it was, the toolkit making every second one a double click. When the
// burst's first click was the canvas's own, every click is a stroke. When it closed a
// window that lay over the canvas, no later click paints or takes an undo step, and
// neither their small drags nor their releases paint or end a stroke; the burst runs
// longer than one interval, so only click-to-click timing can tell. So too when the window
// closed by a key or a close request (the first click went to a window manager's frame),
// and when it was held open past the interval (the clicks meanwhile were lost with it).
// The press that ends the burst (after a pause, or far away though quick) paints as always.
void TestCanvas::secondPressNeedsTheFirst() {
    QFETCH(int, tool);
    QFETCH(int, button);
    QFETCH(QString, first);
    QFETCH(int, clicks);
    QFETCH(QString, broken);
    const Qt::MouseButton b = button == 2 ? Qt::RightButton : Qt::LeftButton;
    const int interval = QGuiApplication::styleHints()->mouseDoubleClickInterval();
    const int step = interval * 3 / 8;
    const int drag = QGuiApplication::styleHints()->mouseDoubleClickDistance() - 1;
    QVERIFY(interval >= 200 && drag >= 1);
    CanvasRig rig;
    rig.setTool(tool);
    rig.putPicture(twoSquares());
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
    QWidget* top = &rig.window;
    const QPoint at = rig.form.P->mapTo(top, QPoint(100, 110));
    static int time = 1'000'000; // far from any press of the rows before
    time += 100'000;

    // An earlier stroke in A leaves its region map behind.
    rig.form.CurrentR = 250;
    systemClick(top, at - QPoint(40, 50), b, time - 10'000);
    QSignalSpy presses(rig.form.P, &PictureArea::MouseDown);
    QSignalSpy doublePresses(rig.form.P, &PictureArea::DblClickPress);
    QSignalSpy ends(rig.form.P, &PictureArea::MouseUp);
    const QImage before = rig.canvas();
    const int undoBefore = rig.form.UndoIndex;

    rig.form.CurrentR = 0;
    rig.form.CurrentB = 250;
    const bool firstOnCanvas = first == "canvas";
    ClosingWindow over;
    if (firstOnCanvas) {
        systemClick(top, at, b, time, QPoint(drag, 1));
    } else {
        over.setGeometry(QRect(top->mapToGlobal(at) - QPoint(20, 20), QSize(40, 40)));
        over.holdMs = first == "held open" ? interval : 0;
        over.show();
        QVERIFY(QTest::qWaitForWindowExposed(&over));
        QElapsedTimer held;
        held.start();
        if (first == "click" || first == "held open") {
            systemClick(&over, QPoint(20, 20), b, time);
        } else {
            systemMouse(&over, QPoint(20, 20), QEvent::MouseMove, Qt::NoButton, time);
            if (first.startsWith("key"))
                QTest::keyClick(over.windowHandle(), Qt::Key_Escape);
            else
                over.windowHandle()->close();
        }
        if (first.endsWith("another")) {
            ClosingWindow other;
            other.setGeometry(over.geometry().translated(200, 0));
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
            other.windowHandle()->close();
        }
        QVERIFY(over.isHidden());
        if (first == "held open") time += int(held.elapsed());
    }
    for (int i = 1; i < clicks; ++i) systemClick(top, at, b, time + i * step, QPoint(drag, 1));
    QCOMPARE(doublePresses.count(), firstOnCanvas ? clicks / 2 : 0);
    const int counted = firstOnCanvas ? clicks : 0;
    QCOMPARE(presses.count() + doublePresses.count(), counted);
    QCOMPARE(ends.count(), counted);
    QCOMPARE(rig.canvas() != before, firstOnCanvas);
    QCOMPARE(rig.form.UndoIndex, std::min(undoBefore + counted, 2));
    QCOMPARE(dibImage(*rig.form.CanvasDib), rig.canvas());

    const QImage burst = rig.canvas();
    const int undoBurst = rig.form.UndoIndex;
    rig.form.CurrentB = 0;
    rig.form.CurrentG = 250;
    const int last = time + (clicks - 1) * step;
    if (broken == "pause")
        systemClick(top, at, b, last + interval + 50);
    else
        systemClick(top, at + QPoint(30, 0), b, last + step + 50); // beyond the window too
    QVERIFY(rig.canvas() != burst);
    QCOMPARE(rig.form.UndoIndex, std::min(undoBurst + 1, 2));
    QCOMPARE(ends.count(), counted + 1);
    QCOMPARE(dibImage(*rig.form.CanvasDib), rig.canvas());
}

void TestCanvas::offTheCanvasKeepsWaiting_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<QPoint>("off");
    QTest::newRow("crayon, off to the left") << 0 << QPoint(-10, 90);
    QTest::newRow("paintbrush, off below") << 1 << QPoint(150, 215);
    QTest::newRow("pencil, off to the right") << 2 << QPoint(420, 90);
    QTest::newRow("crayon, off above") << 0 << QPoint(100, -1);
}

// Pressed on A's outline, the pointer leaves the canvas: nothing is painted there, and
// the stroke restarts only back on the canvas, in the region then under the pointer (the
// white between the squares), never inside A or B.
void TestCanvas::offTheCanvasKeepsWaiting() {
    QFETCH(int, tool);
    QFETCH(QPoint, off);
    CanvasRig rig;
    rig.setTool(tool);
    rig.putPicture(twoSquares());
    rig.form.CurrentR = 90;
    QWidget* P = rig.form.P;
    press(P, {40, 90});
    const QImage pressed = rig.canvas();
    move(P, off);
    move(P, off + QPoint(1, -1));
    QCOMPARE(rig.canvas(), pressed);
    QCOMPARE(rig.form.RegionColor, 0);
    QCOMPARE(rig.form.UndoIndex, 0);

    move(P, {150, 90});
    QCOMPARE(rig.form.UndoIndex, 1);
    QCOMPARE(rig.form.RegionColor, 255);
    move(P, {150, 60});
    release(P, {150, 60});
    QString inside;
    QVERIFY(changedPixels(
                pressed, rig.canvas(),
                [](int x, int y) { return !insideA(x, y) && !insideB(x, y); }, &inside) > 0);
    QVERIFY2(inside.isEmpty(), qPrintable("painted inside a square at " + inside));
}

void TestCanvas::exactBlend_data() {
    QTest::addColumn<int>("tool");
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("darkest");
    QTest::addColumn<QList<uint>>("afterEachPress");
    QTest::newRow("crayon, red") << 0 << 0x0000FF << 5 << QList<uint>{0xFF0505};
    QTest::newRow("paintbrush, black") << 1 << 0 << 126 << QList<uint>{0x7E7E7E, 0x3E3E3E};
}

// Without grain (J = 0) a dab at the centre of a wide white area shows the brush's own
// blend: each press lays exactly one dab.
void TestCanvas::exactBlend() {
    QFETCH(int, tool);
    QFETCH(int, colour);
    QFETCH(int, darkest);
    QFETCH(QList<uint>, afterEachPress);
    CanvasRig rig;
    rig.setTool(tool);
    rig.putPicture(solid(400, 300, qRgb(255, 255, 255)));
    const cNDib& b = *rig.form.BrushDib;
    QCOMPARE(int(b.pixel(b.Width() / 2, b.Height() / 2)[0]), darkest);
    rig.form.ColorJitter = 0;
    rig.form.CurrentR = uint8_t(colour & 0xFF);
    rig.form.CurrentG = uint8_t((colour >> 8) & 0xFF);
    rig.form.CurrentB = uint8_t(colour >> 16);
    for (uint expected : afterEachPress) {
        click(rig.form.P, {200, 150});
        QCOMPARE(px(rig.canvas(), 200, 150), QRgb(expected));
    }
}

// A marker line across A, from outside it, is drawn unmasked; after the release a
// crayon stroke pressed left of it stays left of it.
void TestCanvas::markerBoundsLaterRegions() {
    CanvasRig rig;
    rig.setTool(3);
    rig.putPicture(twoSquares());
    rig.form.CurrentR = 255; // the marker ignores the current colour
    QWidget* P = rig.form.P;
    press(P, {80, 10});
    move(P, {80, 100});
    move(P, {80, 190});
    release(P, {80, 190});
    for (int y : {10, 41, 90, 150, 189}) {
        QCOMPARE(px(rig.canvas(), 80, y), QRgb(0));
        QCOMPARE(px(rig.form.tP->Picture().image(), 80, y), QRgb(0));
    }
    const QImage before = rig.canvas();

    rig.setTool(0);
    press(P, {60, 90});
    QCOMPARE(rig.form.RegionColor, 255);
    QCOMPARE(rig.form.RegionMask->Get_Pixel_Long(100, 90), 0xFFFFFF);
    move(P, {75, 90});
    move(P, {95, 90});
    release(P, {95, 90});
    QString outside;
    QVERIFY(changedPixels(
                before, rig.canvas(), [](int x, int y) { return insideA(x, y) && x < 79; },
                &outside) > 0);
    QVERIFY2(outside.isEmpty(), qPrintable("painted beyond the marker line at " + outside));
}

// Three slots: the fourth stroke drops the first stroke's snapshot, the others move down.
void TestCanvas::fourthStrokeDropsFirstSnapshot() {
    CanvasRig rig;
    rig.setTool(0);
    rig.putPicture(twoSquares());
    QVERIFY(!rig.form.c[2]->Enabled());
    QList<QImage> shown{rig.canvas()};
    QList<int> indices;
    for (int i = 0; i < 4; ++i) {
        rig.form.CurrentR = uint8_t(60 * i);
        click(rig.form.P, {60 + 20 * i, 90});
        indices << rig.form.UndoIndex;
        shown << rig.canvas();
    }
    QVERIFY(rig.form.c[2]->Enabled());
    QCOMPARE(indices, (QList<int>{0, 1, 2, 2}));
    for (int slot = 0; slot < 3; ++slot) {
        QCOMPARE(dibImage(*rig.form.UndoPictures[slot]), shown[slot + 1]);
        QCOMPARE(dibImage(*rig.form.UndoTemplates[slot]), twoSquares());
    }
}

void TestCanvas::bounds_data() {
    QTest::addColumn<QPoint>("at");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("inside") << QPoint(10, 10) << true;
    QTest::newRow("right border") << QPoint(100, 50) << true;
    QTest::newRow("bottom-right corner") << QPoint(100, 80) << true;
    QTest::newRow("beyond the right") << QPoint(101, 50) << false;
    QTest::newRow("above") << QPoint(50, -1) << false;
}

// A press beyond the canvas does nothing; its release still rebuilds the canvas buffer and
// starts the bubbles.
void TestCanvas::bounds() {
    QFETCH(QPoint, at);
    QFETCH(bool, accepted);
    CanvasRig rig;
    rig.putPicture(solid(100, 80, qRgb(255, 255, 255)));
    rig.form.Timer1->setEnabled(true);
    press(rig.form.P, at);
    QCOMPARE(rig.form.UndoIndex, accepted ? 0 : -1);
    QCOMPARE(rig.form.Timer1->Enabled(), !accepted);
    rig.form.Timer1->setEnabled(false);
    rig.form.CanvasDib.reset();
    release(rig.form.P, at);
    QVERIFY(rig.form.Timer1->Enabled());
    QVERIFY(rig.form.CanvasDib && rig.form.CanvasDib->w() == 100);
    if (accepted) // the look-up clamps to the last column and row
        QCOMPARE(rig.form.RegionColor, 255);
}

void TestCanvas::grainRanges_data() {
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("jitter");
    QTest::addColumn<QList<int>>("low");  // red, green, blue
    QTest::addColumn<QList<int>>("high"); // inclusive
    QTest::newRow("black") << 0 << 10 << QList<int>{0, 0, 0} << QList<int>{9, 9, 9};
    QTest::newRow("pure red") << 255 << 10 << QList<int>{245, 0, 0} << QList<int>{255, 9, 9};
    QTest::newRow("crazy grey") << 0x808080 << 120 << QList<int>{8, 8, 8}
                                << QList<int>{247, 247, 247};
    QTest::newRow("crazy white") << 0xFFFFFF << 120 << QList<int>{135, 135, 135}
                                 << QList<int>{255, 255, 255};
}

// Pencil segments laid side by side: the middle pixel of each shows its grain colour,
// drawn anew for every move.
void TestCanvas::grainRanges() {
    QFETCH(int, colour);
    QFETCH(int, jitter);
    QFETCH(QList<int>, low);
    QFETCH(QList<int>, high);
    CanvasRig rig;
    rig.setTool(2);
    rig.putPicture(solid(420, 40, qRgb(255, 255, 255)));
    rig.form.ColorJitter = jitter;
    rig.form.CurrentR = uint8_t(colour & 0xFF);
    rig.form.CurrentG = uint8_t((colour >> 8) & 0xFF);
    rig.form.CurrentB = uint8_t(colour >> 16);
    press(rig.form.P, {5, 20});
    for (int x = 9; x <= 405; x += 4) move(rig.form.P, {x, 20});
    release(rig.form.P, {405, 20});
    QSet<QRgb> seen;
    QList<int> lo{255, 255, 255}, hi{0, 0, 0};
    for (int x = 7; x <= 403; x += 4) {
        const QRgb c = px(rig.canvas(), x, 20);
        const int ch[3] = {qRed(c), qGreen(c), qBlue(c)};
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(ch[i] >= low[i] && ch[i] <= high[i], qPrintable(QString::number(c, 16)));
            lo[i] = std::min(lo[i], ch[i]);
            hi[i] = std::max(hi[i], ch[i]);
        }
        seen << c;
    }
    QVERIFY(seen.size() > 10);
    // With 100 draws the small ranges reach both ends.
    if (jitter == 10)
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(lo[i], low[i]);
            QCOMPARE(hi[i], high[i]);
        }
}

// Red, green and blue are drawn in this order: the same seed gives the same colour.
void TestCanvas::grainDrawOrder() {
    CanvasRig rig;
    rig.setTool(2);
    rig.putPicture(solid(100, 40, qRgb(255, 255, 255)));
    rig.form.ColorJitter = 120;
    rig.form.CurrentR = rig.form.CurrentG = rig.form.CurrentB = 128;
    press(rig.form.P, {10, 20});
    SeedRnd(99);
    int expected[3];
    for (int& e : expected) e = int(std::max(0.0, Int(double(Rnd()) * 240) + 128 - 120));
    SeedRnd(99);
    move(rig.form.P, {30, 20});
    QCOMPARE(px(rig.canvas(), 20, 20), qRgb(expected[0], expected[1], expected[2]) & 0xFFFFFF);
}

void TestCanvas::loadedWindow_data() {
    QTest::addColumn<int>("tool");
    QTest::newRow("crayon") << 0;
    QTest::newRow("paintbrush") << 1;
    QTest::newRow("pencil") << 2;
    QTest::newRow("marker") << 3;
}

// The colouring window as the start-up builds it: its canvas, template, brushes, undo
// button and bubble timer, with strokes through real mouse events on its canvas.
void TestCanvas::loadedWindow() {
    QFETCH(int, tool);
    Screen::Override(QSize(1024, 768), 32);
    ProgramFolder folder;
    {
        QFile f(folder.file("Settings.txt"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("pw\r\n1\r\n0\r\n0\r\n4\r\n");
    }
    FrmMain& m = Forms::FrmMain();
    AddSampleBook(folder);
    {
        ChooserAnswer chooser; // the first load opens the chooser: nothing is chosen
        m.Load();
    }
    QVERIFY(m.IsLoaded());
    CanvasRig::putPicture(m, twoSquares());
    m.Tool = tool;
    if (tool < 3) m.BrushDib->Make_From_Picture(*m.pBr[tool]);
    m.ColorJitter = 0;
    m.CurrentR = 255;
    QVERIFY(!m.c[2]->Enabled());
    const QImage before = m.P->Image().image();
    m.Timer1->setEnabled(true);

    press(m.P, {90, 90});
    QVERIFY(!m.Timer1->Enabled());
    QVERIFY(m.c[2]->Enabled());
    if (tool == 0) // the crayon's darkest pixel under the press point
        QCOMPARE(px(m.P->Image().image(), 90, 90), QRgb(0xFF0505));
    move(m.P, {120, 95});
    move(m.P, {180, 100});
    move(m.P, {210, 105});
    move(m.P, {100, 110});
    release(m.P, {100, 110});
    QVERIFY(m.Timer1->Enabled());
    const QImage after = m.P->Image().image();

    QString outside;
    const int changed =
        changedPixels(before, after,
                      tool == 3 ? [](int, int) { return true; } : std::function(insideA), &outside);
    QVERIFY(changed > 0);
    QVERIFY2(outside.isEmpty(), qPrintable("painted outside A at " + outside));
    // The marker's line is on the template's picture now, across both squares.
    if (tool == 3) QCOMPARE(px(m.tP->Picture().image(), 180, 100), QRgb(0));
    QCOMPARE(dibImage(*m.CanvasDib), after);

    {
        EndRecorder ends; // the window's unload ends the program
        m.Unload();
    }
    m.Loaded = false;
    Screen::Override(QSize(), 0);
}

QTEST_MAIN(TestCanvas)
#include "tst_canvas.moc"
