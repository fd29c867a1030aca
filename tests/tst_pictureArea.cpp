// Picture areas: persistent image, background picture, drawing, refresh, mouse events.

#include "CanvasRig.h"
#include "Control.h"
#include "PictureArea.h"
#include "TestSupport.h"
#include "VbError.h"

#include <QSignalSpy>
#include <QtTest>

using namespace vb;

namespace {

StdPicture solidPicture(int w, int h, QRgb c) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(c);
    return StdPicture(img);
}

// Counts paint events and what they covered.
class CountingArea : public PictureArea {
public:
    using PictureArea::PictureArea;
    int paints = 0;
    QRegion painted;

    // Shown, white, 200 x 100, with every paint so far done and forgotten.
    bool showWhite() {
        setAutoSize(true);
        setPicture(solidPicture(200, 100, qRgb(255, 255, 255)));
        show();
        if (!QTest::qWaitForWindowExposed(this)) return false;
        QCoreApplication::processEvents();
        Refresh();
        paints = 0;
        painted = QRegion();
        return true;
    }

protected:
    void paintEvent(QPaintEvent* e) override {
        ++paints;
        painted += e->region();
        PictureArea::paintEvent(e);
    }
};

// What the screen shows of `w`: its window's image as last painted and flushed.
QImage onScreen(QWidget* w, QRect area) {
    const QPoint at = w->mapTo(w->window(), area.topLeft());
    return QGuiApplication::primaryScreen()
        ->grabWindow(w->window()->winId(), at.x(), at.y(), area.width(), area.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QRgb shownAt(QWidget* w, QPoint p) {
    return onScreen(w, QRect(p, QSize(1, 1))).pixel(0, 0);
}

} // namespace

class TestPictureArea : public QObject {
    Q_OBJECT
private slots:
    void autoSizeTakesThePicturesSize() {
        PictureArea container;
        PictureArea area(&container);
        area.setAutoSize(true);
        area.setPicture(solidPicture(37, 21, qRgb(1, 2, 3)));
        QCOMPARE(area.ScaleWidth(), 37.0f);
        QCOMPARE(area.ScaleHeight(), 21.0f);
        QCOMPARE(area.hDC()->image().size(), QSize(37, 21)); // at once, though never shown
        QCOMPARE(area.Point(36, 20), 1 + 256 * 2 + 65536 * 3);
        QCOMPARE(area.Point(37, 0), -1);
    }

    void clsReturnsToThePictureAndPictureEqualsImageKeepsDrawing() {
        PictureArea container;
        PictureArea area(&container);
        area.setAutoSize(true);
        area.setPicture(solidPicture(10, 10, qRgb(255, 255, 255)));
        area.PSet(3, 3, 0);
        QCOMPARE(area.Point(3, 3), 0);
        area.Cls();
        QCOMPARE(area.Point(3, 3), 0xFFFFFF);
        area.PSet(4, 4, 0x0000FF);
        area.setPicture(area.Image()); // drawing becomes background
        area.Cls();
        QCOMPARE(area.Point(4, 4), 0x0000FF);
    }

    void clsWithoutPictureUsesBackColor() {
        PictureArea container;
        PictureArea area(&container);
        area.resize(5, 5);
        area.setBackColor(0x123456);
        area.PSet(1, 1, 0);
        area.Cls();
        QCOMPARE(area.Point(1, 1), 0x123456);
        QCOMPARE(area.CurrentX, 0.0f);
    }

    void lineUsesDrawWidthAndMovesTheCurrentPoint() {
        PictureArea container;
        PictureArea area(&container);
        area.setAutoSize(true);
        area.setPicture(solidPicture(40, 40, qRgb(255, 255, 255)));
        area.setDrawWidth(2);
        area.Line(5, 20, 35, 20, 0);
        QCOMPARE(area.CurrentX, 35.0f);
        QCOMPARE(area.CurrentY, 20.0f);
        int dark = 0;
        for (int y = 17; y <= 23; ++y) dark += area.Point(20, y) == 0;
        QCOMPARE(dark, 2); // two pixels thick
        QCOMPARE(area.Point(20, 10), 0xFFFFFF);
    }

    void refreshRepaintsJustWhatWasDrawn() {
        CountingArea area;
        QVERIFY(area.showWhite());
        SetPixelV(area.hDC(), 50, 60, 0); // drawing through the context shows nothing yet
        QCoreApplication::processEvents();
        QCOMPARE(area.paints, 0);
        area.Refresh();
        QCOMPARE(area.paints, 1);
        QCOMPARE(area.painted.boundingRect(), QRect(50, 60, 1, 1));
        area.Refresh(); // nothing new drawn: nothing repainted
        QCOMPARE(area.paints, 1);
    }

    // Two drawings, each refreshed: at once each, or posted and shown together by one paint
    // when the event loop runs.
    void refreshPutsTheDrawingOnScreen_data() {
        QTest::addColumn<bool>("posted");
        QTest::addColumn<int>("paintsAtOnce");
        QTest::addColumn<int>("paintsAfterEvents");
        QTest::newRow("Refresh") << false << 2 << 2;
        QTest::newRow("PostRefresh") << true << 0 << 1;
    }
    void refreshPutsTheDrawingOnScreen() {
        QFETCH(bool, posted);
        QFETCH(int, paintsAtOnce);
        QFETCH(int, paintsAfterEvents);
        CountingArea area;
        QVERIFY(area.showWhite());
        const QPoint a(50, 60), b(150, 20);
        for (QPoint p : {a, b}) {
            SetPixelV(area.hDC(), p.x(), p.y(), 0);
            posted ? area.PostRefresh() : area.Refresh();
        }
        QCOMPARE(area.paints, paintsAtOnce);
        const QRgb black = qRgb(0, 0, 0);
        QCOMPARE(shownAt(&area, a) == black, !posted);
        QCoreApplication::processEvents();
        QCOMPARE(area.paints, paintsAfterEvents);
        QCOMPARE(shownAt(&area, a), black);
        QCOMPARE(shownAt(&area, b), black);
        QVERIFY(!area.painted.contains(QPoint(100, 90))); // just what was drawn
    }

    // Strokes through the canvas handlers: once the events are processed the screen shows
    // exactly the canvas, stroke included.
    void canvasStrokeReachesTheScreen_data() {
        QTest::addColumn<int>("tool");
        QTest::newRow("crayon") << 0;
        QTest::newRow("paintbrush") << 1;
        QTest::newRow("pencil") << 2;
        QTest::newRow("marker") << 3;
    }
    void canvasStrokeReachesTheScreen() {
        QFETCH(int, tool);
        testing::CanvasRig rig;
        rig.setTool(tool);
        const QImage art = testing::lineArt(400, 300);
        rig.putPicture(art);
        for (pButton* b : rig.form.c) b->hide(); // they lie over the canvas's corner
        QVERIFY(QTest::qWaitForWindowExposed(&rig.window));
        QCoreApplication::processEvents();
        testing::press(rig.form.P, QPoint(20, 20));
        for (int i = 1; i <= 12; ++i) testing::move(rig.form.P, QPoint(20 + 9 * i, 20 + 4 * i));
        testing::release(rig.form.P, QPoint(128, 68));
        QCoreApplication::processEvents();
        QVERIFY(rig.canvas() != art); // something was drawn
        QCOMPARE(onScreen(rig.form.P, QRect(0, 0, 400, 300)), rig.canvas());
    }

    void mouseEventsCarryButtonAndCaptureTheDrag() {
        PictureArea area;
        area.resize(50, 50);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QSignalSpy down(&area, &PictureArea::MouseDown);
        QSignalSpy moved(&area, &PictureArea::MouseMove);
        QSignalSpy up(&area, &PictureArea::MouseUp);
        QSignalSpy clicked(&area, &PictureArea::Click);
        testing::press(&area, QPoint(10, 12), 2);
        testing::move(&area, QPoint(80, 90), 2); // outside the area while held
        testing::release(&area, QPoint(80, 90), 2);
        QCOMPARE(down.count(), 1);
        QCOMPARE(down.at(0).at(0).value<int16_t>(), vbRightButton);
        QCOMPARE(down.at(0).at(2).toFloat(), 10.0f);
        QCOMPARE(moved.count(), 1);
        QCOMPARE(moved.at(0).at(2).toFloat(), 80.0f);
        QCOMPARE(up.count(), 1);
        QCOMPARE(clicked.count(), 0); // right button, released outside
        testing::click(&area, QPoint(5, 5));
        QCOMPARE(clicked.count(), 1);
    }

    void disabledAreaSendsNoMouseEvents() {
        PictureArea area;
        area.resize(20, 20);
        area.show();
        area.setEnabled(false);
        QSignalSpy down(&area, &PictureArea::MouseDown);
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(down.count(), 0);
        QVERIFY(!area.Enabled());
    }

    void placeAndSizeInTheContainersUnit_data() {
        QTest::addColumn<int>("scaleMode");
        QTest::addColumn<float>("left");
        QTest::addColumn<int>("pixelX");
        QTest::newRow("pixels") << int(vbPixels) << 30.0f << 30;
        QTest::newRow("twips") << int(vbTwips) << 450.0f << 30;
        QTest::newRow("halves to even") << int(vbPixels) << 5.5f << 6;
    }
    void placeAndSizeInTheContainersUnit() {
        QFETCH(int, scaleMode);
        QFETCH(float, left);
        QFETCH(int, pixelX);
        PictureArea container;
        container.setScaleMode(int16_t(scaleMode));
        PictureArea area(&container);
        area.Move(left, 0, left, left);
        QCOMPARE(area.x(), pixelX);
        QCOMPARE(area.width(), pixelX);
        QCOMPARE(area.Left(), float(pixelX * (scaleMode == vbTwips ? 15 : 1)));
    }

    void pictureLoadingRules() {
        testing::ProgramFolder folder;
        QVERIFY(LoadPicture(QString()).isEmpty());
        QVERIFY_THROWS_EXCEPTION(VbError, LoadPicture(folder.file("missing.gif")));
        QFile junk(folder.file("junk.bmp"));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("this is not a picture");
        junk.close();
        try {
            LoadPicture(junk.fileName());
            QFAIL("no error for a bad picture");
        } catch (const VbError& e) {
            QCOMPARE(e.Number, int(ErrInvalidPicture));
        }
        // A saved picture is a 24-bit BMP that loads back to the same pixels.
        QImage img(3, 2, QImage::Format_RGB32);
        img.fill(qRgb(10, 20, 30));
        img.setPixel(2, 1, qRgb(200, 100, 50));
        SavePicture(StdPicture(img), folder.file("saved.bmp"));
        QFile saved(folder.file("saved.bmp"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        const QByteArray bytes = saved.readAll();
        QCOMPARE(int(uchar(bytes[28])), 24); // biBitCount
        QCOMPARE(LoadPicture(saved.fileName()).image().pixel(2, 1), qRgb(200, 100, 50));
    }

    void transparentGifShowsTheBackColour_data() {
        QTest::addColumn<int>("backColor");
        QTest::newRow("white") << 0xFFFFFF;
        QTest::newRow("grey") << 0xC0C0C0;
    }
    void transparentGifShowsTheBackColour() {
        QFETCH(int, backColor);
        // 2 x 1 GIF: pixel 0 black, pixel 1 transparent (its palette colour is black too).
        static const char gif[] = "GIF89a\x02\x00\x01\x00\xf0\x00\x00\x00\x00\x00\x00\x00"
                                  "\x00\x21\xf9\x04\x01\x00\x00\x01\x00\x2c\x00\x00\x00"
                                  "\x00\x02\x00\x01\x00\x00\x02\x02\x44\x0a\x00\x3b";
        testing::ProgramFolder folder;
        QFile file(folder.file("line.gif"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(gif, sizeof gif - 1);
        file.close();
        PictureArea container;
        PictureArea area(&container);
        area.setBackColor(backColor);
        area.setAutoSize(true);
        area.setPicture(LoadPicture(file.fileName()));
        QCOMPARE(area.ScaleWidth(), 2.0f);
        QCOMPARE(area.Point(0, 0), 0);
        QCOMPARE(area.Point(1, 0), backColor);
        QCOMPARE(area.Image().image().pixel(1, 0) & 0xFFFFFF,
                 ColorValueToRgb(backColor) & 0xFFFFFF);
    }
};

QTEST_MAIN(TestPictureArea)
#include "tst_pictureArea.moc"
