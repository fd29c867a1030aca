// The picture chooser with real mouse input: the sheet the scan builds, choosing, the
// hover mark, the three buttons, the arrows and the ball, and the fatal end.

#include "ColoredCopy.h"
#include "FrmMain.h"
#include "GifSupport.h"
#include "LibraryScan.h"
#include "Screen.h"
#include "TestSupport.h"
#include "cNDib.h"
#include "frmImport.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "pButton.h"

#include <QDir>
#include <QMoveEvent>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace vb;

namespace {

// A program folder whose library holds solid-colour pictures.
struct Library {
    testing::ProgramFolder folder;
    // `rel` under books/, or under colored pictures/ when it says so.
    void picture(const QString& rel, QRgb colour, QSize size = {60, 40}) {
        const QString path =
            folder.file(rel.startsWith("colored pictures/") ? rel : "books/" + rel);
        QDir().mkpath(QFileInfo(path).path());
        QImage img(size, QImage::Format_RGB32);
        img.fill(colour);
        QVERIFY(img.save(path));
    }
    void file(const QString& rel, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(folder.file(rel)).path());
        QFile f(folder.file(rel));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // Books "book 0", "book 1", ... of pictures p0.bmp, p1.bmp, ...
    void books(int count, int each) {
        for (int b = 0; b < count; ++b)
            for (int j = 0; j < each; ++j)
                picture(QStringLiteral("book %1/p%2.bmp").arg(b).arg(j), colourOf(b, j));
    }
    static QRgb colourOf(int b, int j) { return qRgb(30 * j + 10, 40 * b + 20, 150); }
};

int32_t cv(QRgb c) {
    return qRed(c) + 256 * qGreen(c) + 65536 * qBlue(c);
}
bool near(int32_t a, QRgb b) {
    return qAbs((a & 0xFF) - qRed(b)) < 8 && qAbs(((a >> 8) & 0xFF) - qGreen(b)) < 8 &&
           qAbs((a >> 16) - qBlue(b)) < 8;
}

// Steps run in order, each once its window is shown modally; they drive the modal waits.
class Script : public QObject {
public:
    Script() {
        connect(&timer_, &QTimer::timeout, this, [this] {
            if (next_ == steps_.size() || !steps_[next_].first->IsShownModally() ||
                !steps_[next_].first->Visible())
                return;
            // Outside this handler, which the timer does not re-enter while a step waits.
            QTimer::singleShot(0, this, steps_[next_++].second);
        });
        timer_.start(5);
    }
    void chooser(std::function<void(frmOpen&)> act) {
        steps_.push_back({&Forms::frmOpen(), [act] { act(Forms::frmOpen()); }});
    }
    void message(std::function<void(frmMessage&)> act) {
        steps_.push_back({&Forms::frmMessage(), [act] { act(Forms::frmMessage()); }});
    }
    void importer(std::function<void(frmImport&)> act) {
        steps_.push_back({&Forms::frmImport(), [act] { act(Forms::frmImport()); }});
    }
    bool done() const { return next_ == steps_.size(); }

private:
    std::vector<std::pair<vb::Form*, std::function<void()>>> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

// The caller's protocol: FileName = "", a modal show, then FileName is read.
QString useChooser(Script& script) {
    auto& f = Forms::frmOpen();
    f.FileName = "";
    const bool returned = testing::whileModal([&] { f.Show(true); }, [] {}, 10000);
    return returned && script.done() ? f.FileName : QStringLiteral("<not closed>");
}

void clickButton(pButton* b) {
    testing::click(b->P, QPoint(4, 4));
}

const PicItem& pic(frmOpen& f, const QString& name, const QString& book = "book 0") {
    for (size_t i = 1; i < f.Pics.size(); ++i)
        if (f.Pics[i].FileName == name && f.Pics[i].Folder.endsWith("/" + book)) return f.Pics[i];
    qFatal("no thumbnail %s", qPrintable(name));
}
int32_t centreColour(frmOpen& f, const PicItem& p) {
    return f.Pmb->Point(p.Left + 50, p.Top + 50);
}

struct MoveLog : QObject {
    QList<int> tops;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Move) tops << static_cast<QMoveEvent*>(e)->pos().y();
        return false;
    }
};

} // namespace

class TestFrmOpen : public QObject {
    Q_OBJECT
private slots:
    void init() {
        Forms::FrmMain().Play_Sound = false;
        Forms::FrmMain().Parental_Password = "secret";
    }
    void cleanup() {
        if (Forms::frmOpen().IsLoaded()) Forms::frmOpen().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void sheetHoverAndChoice() {
        Library lib;
        lib.books(1, 7);
        lib.picture("zoo/lion.jpg", qRgb(200, 200, 0));
        lib.picture("zoo/Ape.bmp", qRgb(0, 0, 0), {30, 90});
        lib.picture("colored pictures/zoo/lion.jpg", qRgb(0, 160, 0));
        lib.picture("own pictures/own.bmp", qRgb(255, 0, 0));
        Script s;
        s.chooser([](frmOpen& f) {
            QStringList placed;
            for (size_t i = 1; i < f.Pics.size(); ++i)
                placed << QStringLiteral("%1 %2,%3")
                              .arg(f.Pics[i].FileName)
                              .arg(f.Pics[i].Left)
                              .arg(f.Pics[i].Top);
            QCOMPARE(placed.join(' '),
                     QString("p0.bmp 6,1 p1.bmp 111,1 p2.bmp 216,1 p3.bmp 321,1 "
                             "p4.bmp 426,1 p5.bmp 531,1 p6.bmp 6,106 Ape.bmp 6,246 "
                             "lion.jpg 111,246"));
            for (int j = 0; j < 7; ++j)
                QCOMPARE(centreColour(f, pic(f, QStringLiteral("p%1.bmp").arg(j))),
                         cv(Library::colourOf(0, j)));
            const PicItem& lion = pic(f, "lion.jpg", "zoo");
            QVERIFY(near(centreColour(f, lion), qRgb(0, 160, 0)));           // its coloured copy
            QCOMPARE(f.Pmb->Point(lion.Left + 50, lion.Top + 10), 0xFFFFFF); // landscape: bars
            const PicItem& ape = pic(f, "Ape.bmp", "zoo");
            QCOMPARE(f.Pmb->Point(ape.Left + 50, ape.Top + 2), 0); // portrait fills the height
            QCOMPARE(f.Pmb->Point(300, 220), 0xFFFFFF);            // band above the second book
            QVERIFY(!f.cScroll[0]->Enabled() && !f.cScroll[1]->Enabled() && !f.sBall->Enabled());

            testing::move(f.Pmb, QPoint(lion.Left + 50, lion.Top + 50), 0);
            QVERIFY(f.sI->isVisible());
            QCOMPARE(f.sI->geometry(), QRect(lion.Left, lion.Top, 100, 100));
            QCOMPARE(f.Pmb->MousePointer(), vbCustom);
            testing::move(f.Pmb, QPoint(lion.Left + 102, lion.Top + 50), 0);
            QVERIFY(!f.sI->isVisible());
            QCOMPARE(f.Pmb->MousePointer(), vbDefault);
            testing::click(f.Pmb, QPoint(lion.Left + 50, lion.Top + 50));
        });
        // The picture itself, never its coloured copy.
        QCOMPARE(useChooser(s), lib.folder.file("books/zoo/lion.jpg"));
        QCOMPARE(Forms::frmOpen().SelIndex, 9);
        QVERIFY(Forms::frmOpen().IsLoaded() && !Forms::frmOpen().Visible());
    }

    void hitTest_data() {
        QTest::addColumn<QPoint>("press"); // from the box's top-left corner
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("just inside the corner") << QPoint(1, 1) << QPoint(1, 1) << 1 << true;
        QTest::newRow("last point inside") << QPoint(99, 99) << QPoint(99, 99) << 1 << true;
        QTest::newRow("the corner itself") << QPoint(0, 0) << QPoint(0, 0) << 1 << false;
        QTest::newRow("right edge") << QPoint(100, 50) << QPoint(100, 50) << 1 << false;
        QTest::newRow("right button") << QPoint(50, 50) << QPoint(50, 50) << 2 << true;
        QTest::newRow("pressed in the gap") << QPoint(102, 50) << QPoint(50, 50) << 1 << true;
    }
    void hitTest() {
        QFETCH(QPoint, press);
        QFETCH(QPoint, release);
        QFETCH(int, button);
        QFETCH(bool, chosen);
        Library lib;
        lib.books(1, 7);
        Script s;
        s.chooser([=](frmOpen& f) {
            const QPoint box(pic(f, "p6.bmp").Left, pic(f, "p6.bmp").Top);
            testing::press(f.Pmb, box + press, button);
            testing::release(f.Pmb, box + release, button);
            if (f.Visible()) clickButton(f.cClose);
        });
        QCOMPARE(useChooser(s), chosen ? lib.folder.file("books/book 0/p6.bmp") : QString());
    }

    void ownPage_data() {
        QTest::addColumn<QString>("before");
        QTest::newRow("no own-pictures folder: a blank page") << "";
        QTest::newRow("an existing page is kept") << "books/own pictures/own.bmp";
        QTest::newRow("cannot start: a message, the chooser stays") << "books/own pictures";
    }
    void ownPage() {
        QFETCH(QString, before);
        Library lib;
        lib.books(1, 2);
        const bool blocked = before.endsWith("pictures"); // a file where the folder goes
        if (!before.isEmpty()) lib.file(before, "BM");
        Script s;
        s.chooser([](frmOpen& f) { clickButton(f.cPicadd); });
        if (blocked) {
            s.message([](frmMessage& m) {
                QCOMPARE(m.Label1->Caption(),
                         QString("Help! A new picture could not be started! "
                                 "Call someone who can help you sort it out! Go!"));
                clickButton(m.cOut1);
            });
            s.chooser([](frmOpen& f) { testing::click(f.Pmb, QPoint(50, 50)); });
        }
        QCOMPARE(useChooser(s),
                 blocked ? lib.folder.file("books/book 0/p0.bmp") : OwnPicturePath());
        if (blocked) return;
        QCOMPARE(OwnPicturePath(), lib.folder.file("books/own pictures/own.bmp"));
        QFile page(OwnPicturePath());
        QVERIFY(page.open(QIODevice::ReadOnly));
        if (!before.isEmpty()) {
            QCOMPARE(page.readAll(), QByteArray("BM")); // untouched
            return;
        }
        const QImage blank(OwnPicturePath());
        QCOMPARE(blank.size(), QSize(750, 480));
        QCOMPARE(blank.pixel(749, 479), qRgb(255, 255, 255));
    }

    void morePictures_data() {
        QTest::addColumn<bool>("accepted");
        QTest::newRow("cancelled: the chooser stays") << false;
        QTest::newRow("password accepted: the importer, nothing chosen") << true;
    }
    void morePictures() {
        QFETCH(bool, accepted);
        Library lib;
        lib.books(1, 2);
        Script s;
        s.chooser([](frmOpen& f) { clickButton(f.pMorePics); });
        s.message([=](frmMessage& m) {
            QCOMPARE(
                m.Label1->Caption(),
                QString("Would you like more pictures? Call someone who can get them for you!"));
            m.Text1->setText("secret");
            clickButton(accepted ? m.cOut1 : m.cOut2);
        });
        if (accepted)
            s.importer([](frmImport& f) { testing::click(f.lButton[2], QPoint(3, 3)); });
        else
            s.chooser([](frmOpen& f) { clickButton(f.cClose); });
        QCOMPARE(useChooser(s), QString());
        QCOMPARE(int(Forms::frmOpen().Pics.size()), 3); // the sheet stays ready
    }

    // A later use shows the same sheet, scrolled where it was, with the thumbnail chosen
    // last redrawn from its new coloured copy; a book added since does not appear.
    void laterUseKeepsTheSheet() {
        Library lib;
        lib.books(4, 7);
        Script s;
        s.chooser([](frmOpen& f) {
            clickButton(f.cScroll[1]);
            testing::click(f.Pmb, QPoint(56, 296)); // book 1's first, now in view
        });
        QCOMPARE(useChooser(s), lib.folder.file("books/book 1/p0.bmp"));
        lib.picture("colored pictures/book 1/p0.jpg", qRgb(0, 160, 0));
        lib.picture("new book/x.bmp", qRgb(9, 9, 9));
        Script again;
        again.chooser([](frmOpen& f) {
            QCOMPARE(f.Pmb->Top(), -160.f);
            QCOMPARE(int(f.Pics.size()), 29);
            QVERIFY(near(centreColour(f, pic(f, "p0.bmp", "book 1")), qRgb(0, 160, 0)));
            QCOMPARE(centreColour(f, pic(f, "p1.bmp", "book 1")), cv(Library::colourOf(1, 1)));
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(again), QString());
    }

    // Four books of seven: a sheet 946 high in a viewport 441 high, so S = -505; the ball
    // travels from 28 to 387.
    void arrows() {
        Library lib;
        lib.books(4, 7);
        Script s;
        s.chooser([](frmOpen& f) {
            QCOMPARE(f.Pmb->ScaleHeight() - f.PB->ScaleHeight(), 505.f);
            MoveLog log;
            f.Pmb->installEventFilter(&log);
            QStringList runs;
            auto arrow = [&](int i) {
                log.tops.clear();
                clickButton(f.cScroll[i]);
                runs << QStringLiteral("%1:%2").arg(log.tops.size()).arg(f.Pmb->Top());
            };
            arrow(1);
            // Every step drawn as it goes: on screen before any other event had a turn,
            // the strip that came into view shows the third book's first thumbnail.
            const QImage screen = f.Me()->screen()->grabWindow(f.Me()->winId()).toImage();
            QCOMPARE(screen.pixel(f.PB->mapTo(f.Me(), QPoint(56, 560 - 160))) & 0xFFFFFF,
                     Library::colourOf(2, 0) & 0xFFFFFF);
            QCOMPARE(f.sBall->Top(), 142.f); // 28 + 160 / 505 * 359
            for (int i : {1, 1, 1, 1, 0, 0, 0, 0, 0}) arrow(i);
            f.Pmb->removeEventFilter(&log);
            // The first step sets the position it starts from: 161 steps, 160 moves.
            QCOMPARE(runs.join(' '), QString("160:-160 160:-320 160:-480 25:-505 0:-505 "
                                             "160:-345 160:-185 160:-25 25:0 0:0"));
            QCOMPARE(f.sBall->Top(), 28.f);

            // The ball dragged: the point grabbed stays under the pointer, in two moves.
            auto drag = [&](int dy) {
                testing::press(f.sBall->P, QPoint(10, 7));
                testing::move(f.sBall->P, QPoint(10, 7 + dy / 2));
                testing::move(f.sBall->P, QPoint(10, 7 + dy - dy / 2));
                testing::release(f.sBall->P, QPoint(10, 7));
                testing::move(f.sBall->P, QPoint(10, 40), 0); // no button held: nothing
                return QPoint(int(f.sBall->Top()), int(f.Pmb->Top()));
            };
            QCOMPARE(drag(100), QPoint(128, -141));  // 100 / 359 * -505 = -140.67
            QCOMPARE(drag(1000), QPoint(387, -505)); // kept above the down arrow
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(s), QString());
    }

    // The sheet the scan builds on its worker threads is, pixel for pixel, the sheet that
    // the chooser's own one-picture route draws (as when it redraws the last choice):
    // line art of every kind the samples hold, coloured copies, a transparent GIF on the
    // loading stage's colour, and shapes that fit with bars, upscale or draw nothing.
    void threadedSheetEqualsOneByOne() {
        Library lib;
        const QString samples = QStringLiteral(TV_SOURCE_DIR "/resources/books/");
        int pictures = 0;
        for (const QString& book : QDir(samples).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QDir().mkpath(lib.folder.file("books/" + book));
            for (const QString& f : QDir(samples + book).entryList(QDir::Files))
                pictures += QFile::copy(samples + book + "/" + f,
                                        lib.folder.file("books/" + book + "/" + f));
        }
        QVERIFY(pictures >= 20);
        const QImage cow(samples + "farm animals/cow.gif");
        QDir().mkpath(lib.folder.file("colored pictures/farm animals"));
        QVERIFY(
            cow.scaled(300, 500).save(lib.folder.file("colored pictures/farm animals/cow.jpg")));
        lib.picture("colored pictures/vehicles/bus.jpg", qRgb(200, 30, 90), {500, 400});
        lib.file("books/shapes/see-through.gif", testing::gif({{37, 23}, {0, 0, 37, 23}, true}));
        QVERIFY(
            LoadPicture(lib.folder.file("books/shapes/see-through.gif")).image().hasAlphaChannel());
        lib.picture("shapes/needle.bmp", qRgb(0, 0, 0), {1, 300}); // nothing to draw
        lib.picture("shapes/bar.bmp", qRgb(0, 90, 0), {300, 2});
        lib.picture("shapes/tiny.bmp", qRgb(5, 6, 7), {7, 3});
        lib.picture("shapes/square.bmp", qRgb(90, 0, 0), {100, 100});

        frmOpen& f = Forms::frmOpen();
        f.Load();
        QCOMPARE(int(f.Pics.size()), pictures + 5 + 1);
        const QImage& sheet = f.Pmb->hDC()->image();
        DeviceContext expected(QImage(sheet.size(), QImage::Format_RGB32));
        expected.image().fill(ColorValueToRgb(f.Pmb->BackColor()));
        for (size_t i = 1; i < f.Pics.size(); ++i) {
            const PicItem& p = f.Pics[i];
            f.pT->setPicture(LoadPicture(ThumbnailSource(p.Folder, p.FileName)));
            cNDib buffer;
            QVERIFY(buffer.Make_From_Picture(*f.pT));
            buffer.Set_dib_Fit(&expected, p.Left, p.Top, 100, 100);
        }
        QCOMPARE(sheet, expected.image());
    }

    void fatalScan_data() {
        QTest::addColumn<QStringList>("files"); // a name ending in "!" is damaged
        QTest::newRow("no books folder") << QStringList{};
        QTest::newRow("only own pictures") << QStringList{"own pictures/own.bmp"};
        QTest::newRow("only books without pictures") << QStringList{"a/readme.txt", "b/x.png"};
        QTest::newRow("one damaged picture") << QStringList{"a/p0.bmp", "b/bad.gif!", "c/p1.bmp"};
        QTest::newRow("a damaged coloured copy")
            << QStringList{"a/p0.bmp", "colored pictures/a/p0.jpg!"};
        // The workers still have most of the library before them when the end comes.
        QStringList ahead{"a/bad.gif!"};
        for (int j = 0; j < 60; ++j) ahead << QStringLiteral("b/p%1.bmp").arg(j);
        QTest::newRow("a damaged picture ahead of a large book") << ahead;
    }
    void fatalScan() {
        QFETCH(QStringList, files);
        Library lib;
        for (const QString& f : files) {
            const QString rel = f.startsWith("colored") ? f : "books/" + f;
            if (f.endsWith(".bmp"))
                lib.picture(f, qRgb(1, 2, 3));
            else
                lib.file(rel.chopped(rel.endsWith('!') ? 1 : 0), "GIF89a damaged");
        }
        testing::EndRecorder end;
        bool chooserShown = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] { chooserShown |= Forms::frmOpen().Visible(); });
        watch.start(2);
        Script s;
        s.message([](frmMessage& m) {
            QCOMPARE(
                m.Label1->Caption(),
                QString("Oh no! something strange has happened! Call someone who can help you!"));
            QVERIFY(m.Label2->Caption().startsWith("There was a problem loading the pictures."));
            clickButton(m.cOut1);
        });
        QCOMPARE(useChooser(s), QString());
        QVERIFY(!chooserShown);
        QVERIFY(end.count() >= 1);
        QVERIFY(!Forms::frmOpen().IsLoaded());
    }

    // With the colouring window there: a choice gives it back its input, the bubble
    // timer stays as the caller left it; the fatal path stops the timer after the loading
    // window gave it back, and unloads the colouring window.
    void colouringWindow() {
        Library lib;
        lib.books(1, 2);
        lib.file("Settings.txt", "secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        Screen::Override(QSize(1024, 768), 32);
        testing::EndRecorder end;
        FrmMain& m = Forms::FrmMain();
        auto start = [&] {
            QTimer closer; // whatever the start-up itself opens
            connect(&closer, &QTimer::timeout, [] {
                if (Forms::frmOpen().Visible()) Forms::frmOpen().cClose_click();
            });
            closer.start(5);
            m.Loaded = false;
            m.Load();
            if (Forms::frmOpen().IsLoaded()) Forms::frmOpen().Unload();
        };
        start();
        m.Timer1->setEnabled(false);
        m.setEnabled(false);
        Script s;
        s.chooser([&](frmOpen& f) { testing::click(f.Pmb, QPoint(50, 50)); });
        QCOMPARE(useChooser(s), lib.folder.file("books/book 0/p0.bmp"));
        QVERIFY(m.Enabled() && !m.Timer1->Enabled());
        // The colouring window's unload closes the hidden chooser too.
        m.Unload();
        QVERIFY(!Forms::frmOpen().IsLoaded());
        QCOMPARE(end.count(), 1);

        start();
        QVERIFY(QDir(lib.folder.file("books")).removeRecursively());
        m.Timer1->setEnabled(true);
        bool timerStopped = false;
        Script fatal;
        fatal.message([&](frmMessage& msg) {
            timerStopped = !m.Timer1->Enabled();
            clickButton(msg.cOut1);
        });
        QCOMPARE(useChooser(fatal), QString());
        QVERIFY(timerStopped);
        QVERIFY(!m.IsLoaded());
        QVERIFY(end.count() >= 2);
        Screen::Override(QSize(), 0);
    }
};

QTEST_MAIN(TestFrmOpen)
#include "tst_frmOpen.moc"
