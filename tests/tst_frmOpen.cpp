// The picture chooser with real mouse input: the sheet the scan builds, choosing a
// thumbnail, the hover mark, "nevermind", "draw a picture", "more pictures", the arrows
// and the ball, and the fatal end when the library cannot be loaded.

#include "AppPath.h"
#include "ColoredCopy.h"
#include "FrmMain.h"
#include "Screen.h"
#include "Sound.h"
#include "TestSupport.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "pButton.h"

#include <QDir>
#include <QElapsedTimer>
#include <QMoveEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QtTest>

using namespace vb;

namespace {

// A program folder with a picture library made of solid-colour pictures.
struct Library {
    testing::ProgramFolder folder;

    void picture(const QString& rel, QRgb colour, QSize size = {60, 40}) {
        save(folder.file("books/" + rel), colour, size);
    }
    void copy(const QString& rel, QRgb colour) {
        save(folder.file("colored pictures/" + rel), colour, {60, 40});
    }
    void file(const QString& rel, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(folder.file(rel)).path());
        QFile f(folder.file(rel));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // `books` books of `each` pictures; picture j of book b has colour colourOf(b, j).
    void books(int count, int each) {
        for (int b = 0; b < count; ++b)
            for (int j = 0; j < each; ++j)
                picture(QStringLiteral("book %1/p%2.bmp").arg(b).arg(j), colourOf(b, j));
    }
    static QRgb colourOf(int b, int j) { return qRgb(30 * j + 10, 40 * b + 20, 150); }

private:
    static void save(const QString& path, QRgb colour, QSize size) {
        QDir().mkpath(QFileInfo(path).path());
        QImage img(size, QImage::Format_RGB32);
        img.fill(colour);
        QVERIFY(img.save(path));
    }
};

int32_t cv(QRgb c) {
    return qRed(c) + 256 * qGreen(c) + 65536 * qBlue(c);
}

bool near(int32_t a, int32_t b, int tolerance = 6) {
    for (int shift : {0, 8, 16})
        if (qAbs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > tolerance) return false;
    return true;
}

// Steps run in order, each once its condition holds; they drive the modal windows.
class Script : public QObject {
public:
    Script() {
        connect(&timer_, &QTimer::timeout, this, &Script::poll);
        timer_.start(5);
    }
    void when(std::function<bool()> ready, std::function<void()> act) {
        steps_.push_back({std::move(ready), std::move(act)});
    }
    void whenChooserShown(std::function<void(frmOpen&)> act) {
        when([] { return Forms::frmOpen().IsShownModally() && Forms::frmOpen().Visible(); },
             [act] { act(Forms::frmOpen()); });
    }
    void whenMessageShown(std::function<void(frmMessage&)> act) {
        when([] { return Forms::frmMessage().IsShownModally() && Forms::frmMessage().Visible(); },
             [act] { act(Forms::frmMessage()); });
    }
    bool done() const { return next_ == steps_.size(); }

private:
    void poll() {
        if (done() || !steps_[next_].ready()) return;
        // A step may open a modal window, and the next step runs inside its wait: the
        // step runs outside this timer's handler, which the timer does not re-enter.
        QTimer::singleShot(0, this, steps_[next_++].act);
    }
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };
    std::vector<Step> steps_;
    size_t next_ = 0;
    QTimer timer_;
};

// The caller's protocol: FileName = "", a modal show, then FileName is read.
QString useChooser(Script& script) {
    auto& f = Forms::frmOpen();
    f.FileName = "";
    const bool returned = testing::whileModal([&] { f.Show(true); }, [] {}, 10000);
    if (!returned) qWarning("the chooser did not close");
    if (!script.done()) qWarning("not every step ran");
    return returned && script.done() ? f.FileName : QStringLiteral("<failed>");
}

void clickButton(pButton* b) {
    testing::click(b->P, QPoint(4, 4));
}

const PicItem& pic(frmOpen& f, const QString& fileName, const QString& book = "book 0") {
    for (size_t i = 1; i < f.Pics.size(); ++i)
        if (f.Pics[i].FileName == fileName && f.Pics[i].Folder.endsWith("/" + book))
            return f.Pics[i];
    qFatal("no thumbnail %s", qPrintable(fileName));
}

// What the window system shows of the window now.
QImage onScreen(frmOpen& f) {
    return f.Me()
        ->screen()
        ->grabWindow(f.Me()->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

QPoint centre(const PicItem& p) {
    return QPoint(p.Left + 50, p.Top + 50);
}

// Records every position the sheet is moved to.
struct MoveLog : QObject {
    QList<int> tops;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Move) tops << static_cast<QMoveEvent*>(e)->pos().y();
        return false;
    }
};

class RecordingOutput : public SoundOutput {
public:
    QStringList log;
    bool IsPlaying() override { return false; }
    void Play(const QUrl& sound) override { log << sound.fileName(); }
    void WaitForEnd(int) override {}
};

// The colouring window loaded as at start-up, over the library of `lib`; anything the
// start-up itself opens is closed, and the chooser is left unloaded.
FrmMain& loadColouringWindow(Library& lib) {
    lib.file("Settings.txt", "secret\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
    Screen::Override(QSize(1024, 768), 32);
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        if (Forms::frmOpen().Visible()) Forms::frmOpen().cClose_click();
    });
    closer.start(5);
    FrmMain& m = Forms::FrmMain();
    m.Loaded = false;
    m.Load();
    if (Forms::frmOpen().IsLoaded()) Forms::frmOpen().Unload();
    return m;
}

} // namespace

class TestFrmOpen : public QObject {
    Q_OBJECT
private slots:
    void init() {
        Forms::FrmMain().Play_Sound = false;
        Forms::FrmMain().Parental_Password = "secret";
    }
    void cleanup() {
        // The next test scans its own library.
        if (Forms::frmOpen().IsLoaded()) Forms::frmOpen().Unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Every picture in its box, book after book, the coloured copy in place of the blank
    // picture, the own pictures left out, and the bands white.
    void sheetShowsEachPictureInItsBox() {
        Library lib;
        lib.books(1, 7);
        lib.picture("zoo/lion.jpg", qRgb(200, 200, 0));
        lib.picture("zoo/Ape.bmp", qRgb(0, 0, 0), {30, 90});
        lib.copy("zoo/lion.jpg", qRgb(0, 160, 0));
        lib.picture("own pictures/own.bmp", qRgb(255, 0, 0));
        Script s;
        s.whenChooserShown([](frmOpen& f) {
            QCOMPARE(int(f.Pics.size()), 1 + 9);
            QStringList order;
            for (size_t i = 1; i < f.Pics.size(); ++i)
                order << QStringLiteral("%1 %2,%3")
                             .arg(f.Pics[i].FileName)
                             .arg(f.Pics[i].Left)
                             .arg(f.Pics[i].Top);
            QCOMPARE(order, QStringList({"p0.bmp 6,1", "p1.bmp 111,1", "p2.bmp 216,1",
                                         "p3.bmp 321,1", "p4.bmp 426,1", "p5.bmp 531,1",
                                         "p6.bmp 6,106", "Ape.bmp 6,246", "lion.jpg 111,246"}));
            QVERIFY(f.Pmb->isVisible());
            for (int j = 0; j < 7; ++j) {
                const QPoint c = centre(pic(f, QStringLiteral("p%1.bmp").arg(j)));
                QCOMPARE(f.Pmb->Point(c.x(), c.y()), cv(Library::colourOf(0, j)));
            }
            const PicItem& lion = pic(f, "lion.jpg", "zoo");
            QVERIFY(near(f.Pmb->Point(lion.Left + 50, lion.Top + 50), cv(qRgb(0, 160, 0))));
            // A landscape picture fills the box's width, centred: bars above and below.
            QCOMPARE(f.Pmb->Point(lion.Left + 50, lion.Top + 10), 0xFFFFFF);
            // A portrait one fills its height.
            const PicItem& ape = pic(f, "Ape.bmp", "zoo");
            QCOMPARE(f.Pmb->Point(ape.Left + 50, ape.Top + 2), 0);
            QCOMPARE(f.Pmb->Point(ape.Left + 10, ape.Top + 50), 0xFFFFFF);
            QCOMPARE(f.Pmb->Point(300, 220), 0xFFFFFF); // the band above the second book
            // A short sheet does not scroll.
            QVERIFY(!f.cScroll[0]->Enabled());
            QVERIFY(!f.cScroll[1]->Enabled());
            QVERIFY(!f.sBall->Enabled());
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(s), QString());
    }

    void choosing_data() {
        QTest::addColumn<QPoint>("offset"); // from the box's top-left corner
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("chosen");
        QTest::newRow("just inside the corner") << QPoint(1, 1) << 1 << true;
        QTest::newRow("last point inside") << QPoint(99, 99) << 1 << true;
        QTest::newRow("the corner itself") << QPoint(0, 0) << 1 << false;
        QTest::newRow("right edge") << QPoint(100, 50) << 1 << false;
        QTest::newRow("bottom edge") << QPoint(50, 100) << 1 << false;
        QTest::newRow("in the gap") << QPoint(102, 50) << 1 << false;
        QTest::newRow("right button") << QPoint(50, 50) << 2 << true;
    }
    void choosing() {
        QFETCH(QPoint, offset);
        QFETCH(int, button);
        QFETCH(bool, chosen);
        Library lib;
        lib.books(1, 7);
        lib.copy("book 0/p6.jpg", qRgb(0, 160, 0));
        Script s;
        s.whenChooserShown([=](frmOpen& f) {
            const PicItem& p = pic(f, "p6.bmp");
            testing::click(f.Pmb, QPoint(p.Left, p.Top) + offset, button);
            if (chosen) {
                QVERIFY(!f.Visible());
                return;
            }
            QVERIFY(f.Visible());
            clickButton(f.cClose);
        });
        // The picture itself, never its coloured copy.
        QCOMPARE(useChooser(s), chosen ? lib.folder.file("books/book 0/p6.bmp") : QString());
        QCOMPARE(Forms::frmOpen().SelIndex, chosen ? 7 : -1);
        QVERIFY(Forms::frmOpen().IsLoaded());
    }

    void pressInGapReleasedOnThumbnailChooses() {
        Library lib;
        lib.books(1, 2);
        Script s;
        s.whenChooserShown([](frmOpen& f) {
            testing::press(f.Pmb, QPoint(300, 300));
            testing::move(f.Pmb, QPoint(150, 50));
            testing::release(f.Pmb, QPoint(150, 50));
        });
        QCOMPARE(useChooser(s), lib.folder.file("books/book 0/p1.bmp"));
    }

    void hoverMark() {
        Library lib;
        lib.books(1, 3);
        Script s;
        s.whenChooserShown([](frmOpen& f) {
            const PicItem& p = pic(f, "p1.bmp");
            testing::move(f.Pmb, centre(p), 0);
            QVERIFY(f.sI->isVisible());
            QCOMPARE(f.sI->geometry(), QRect(p.Left, p.Top, 100, 100));
            QCOMPARE(f.Pmb->MousePointer(), vbCustom);
            testing::move(f.Pmb, QPoint(p.Left + 102, 50), 0);
            QVERIFY(!f.sI->isVisible());
            QCOMPARE(f.Pmb->MousePointer(), vbDefault);
            // Moving with a button held counts too.
            testing::move(f.Pmb, centre(pic(f, "p0.bmp")), 1);
            QVERIFY(f.sI->isVisible());
            QCOMPARE(f.sI->pos(), QPoint(6, 1));
            QCOMPARE(f.Pmb->MousePointer(), vbCustom);
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(s), QString());
    }

    void nevermind_data() {
        QTest::addColumn<bool>("sound");
        QTest::newRow("sound effects off") << false;
        QTest::newRow("sound effects on") << true;
    }
    void nevermind() {
        QFETCH(bool, sound);
        Library lib;
        lib.books(1, 1);
        RecordingOutput out;
        SetSoundOutput(&out);
        Forms::FrmMain().Play_Sound = sound;
        Script s;
        s.whenChooserShown([](frmOpen& f) { clickButton(f.cClose); });
        const QString result = useChooser(s);
        SetSoundOutput(nullptr);
        QCOMPARE(result, QString());
        QVERIFY(!Forms::frmOpen().Visible());
        if (!sound) {
            QCOMPARE(out.log, QStringList());
            return;
        }
        QCOMPARE(out.log.size(), 1);
        QVERIFY2(QRegularExpression("^CANCEL[0-3]\\.wav$").match(out.log[0]).hasMatch(),
                 qPrintable(out.log[0]));
    }

    void ownPage_data() {
        QTest::addColumn<QString>("before"); // "none", "empty folder", "page"
        QTest::newRow("no own-pictures folder") << "none";
        QTest::newRow("empty own-pictures folder") << "empty folder";
        QTest::newRow("existing page kept") << "page";
    }
    void ownPage() {
        QFETCH(QString, before);
        Library lib;
        lib.books(1, 2);
        const QString own = lib.folder.file("books/own pictures/own.bmp");
        if (before == "empty folder") QVERIFY(QDir().mkpath(lib.folder.file("books/own pictures")));
        if (before == "page") lib.picture("own pictures/own.bmp", qRgb(1, 2, 3), {20, 10});
        Script s;
        s.whenChooserShown([](frmOpen& f) { clickButton(f.cPicadd); });
        QCOMPARE(useChooser(s), own);
        QCOMPARE(OwnPicturePath(), own);
        QCOMPARE(Forms::frmOpen().SelIndex, -1);
        const QImage page(own);
        if (before == "page") {
            QCOMPARE(page.size(), QSize(20, 10));
            QCOMPARE(page.pixel(5, 5), qRgb(1, 2, 3));
        } else {
            QCOMPARE(page.size(), QSize(750, 480));
            QCOMPARE(page.pixel(0, 0), qRgb(255, 255, 255));
            QCOMPARE(page.pixel(749, 479), qRgb(255, 255, 255));
        }
    }

    void ownPageCannotStart() {
        Library lib;
        lib.books(1, 2);
        // A file where the own-pictures folder should be.
        lib.file("books/own pictures", "not a folder");
        Script s;
        s.whenChooserShown([](frmOpen& f) { clickButton(f.cPicadd); });
        s.whenMessageShown([](frmMessage& m) {
            QCOMPARE(m.Label1->Caption(),
                     QString("Help! A new picture could not be started! Call someone who can help "
                             "you sort it out! Go!"));
            QCOMPARE(m.Label2->Caption(),
                     QString("An unknown error occurred when there was an attempt to start "
                             "drawing a new picture. Please make sure that the disk is not write "
                             "protected and that there is enough disk space."));
            QVERIFY(!m.cOut2->isVisible());
            clickButton(m.cOut1);
        });
        // The child can go on: the chooser is still there.
        s.whenChooserShown([](frmOpen& f) { testing::click(f.Pmb, QPoint(50, 50)); });
        QCOMPARE(useChooser(s), lib.folder.file("books/book 0/p0.bmp"));
    }

    void morePictures_data() {
        QTest::addColumn<QString>("password"); // "" cancels
        QTest::addColumn<bool>("accepted");
        QTest::newRow("cancelled") << "" << false;
        QTest::newRow("wrong password, then cancel") << "wrong" << false;
        QTest::newRow("password accepted") << "secret" << true;
    }
    void morePictures() {
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        Library lib;
        lib.books(1, 2);
        Script s;
        s.whenChooserShown([](frmOpen& f) { clickButton(f.pMorePics); });
        s.whenMessageShown([=](frmMessage& m) {
            QCOMPARE(
                m.Label1->Caption(),
                QString("Would you like more pictures? Call someone who can get them for you!"));
            if (password.isEmpty()) {
                clickButton(m.cOut2);
                return;
            }
            m.Text1->setText(password);
            clickButton(m.cOut1);
            if (accepted) return;
            clickButton(m.cOut1); // the row was opened; now it says "incorrect"
            clickButton(m.cOut2);
        });
        if (!accepted) s.whenChooserShown([](frmOpen& f) { clickButton(f.cClose); });
        QCOMPARE(useChooser(s), QString());
        // Either way the sheet stays ready.
        QVERIFY(Forms::frmOpen().IsLoaded());
        QCOMPARE(int(Forms::frmOpen().Pics.size()), 3);
    }

    // Later uses show the same sheet at once, scrolled where it was; a book added since
    // does not appear until the chooser is loaded anew.
    void laterUsesKeepTheSheet() {
        Library lib;
        lib.books(4, 7);
        Script s;
        s.whenChooserShown([](frmOpen& f) {
            clickButton(f.cScroll[1]);
            testing::click(f.Pmb, QPoint(161, 51));
        });
        useChooser(s);
        lib.picture("new book/x.bmp", qRgb(9, 9, 9));
        Script again;
        again.whenChooserShown([](frmOpen& f) {
            QCOMPARE(f.Pmb->Top(), -160.f);
            QCOMPARE(int(f.Pics.size()), 29);
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(again), QString());
    }

    // After colouring, the thumbnail chosen last shows its coloured copy.
    void chosenThumbnailShowsItsCopyOnReopen() {
        Library lib;
        lib.books(1, 3);
        Script s;
        s.whenChooserShown([](frmOpen& f) { testing::click(f.Pmb, centre(pic(f, "p2.bmp"))); });
        QCOMPARE(useChooser(s), lib.folder.file("books/book 0/p2.bmp"));
        lib.copy("book 0/p2.jpg", qRgb(0, 160, 0));
        Script again;
        again.whenChooserShown([](frmOpen& f) {
            QVERIFY(near(f.Pmb->Point(266, 51), cv(qRgb(0, 160, 0))));
            // Only that one.
            QCOMPARE(f.Pmb->Point(161, 51), cv(Library::colourOf(0, 1)));
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(again), QString());
    }

    // Four books of seven: a sheet 946 high in a viewport of 441, S = -505.
    void arrows() {
        Library lib;
        lib.books(4, 7);
        Script s;
        s.whenChooserShown([](frmOpen& f) {
            QCOMPARE(f.Pmb->ScaleHeight(), 946.f);
            QCOMPARE(f.PB->ScaleHeight(), 441.f);
            QVERIFY(f.cScroll[0]->Enabled() && f.cScroll[1]->Enabled() && f.sBall->Enabled());
            MoveLog log;
            f.Pmb->installEventFilter(&log);
            QList<int> ends;
            auto clickArrow = [&](int i) {
                log.tops.clear();
                clickButton(f.cScroll[i]);
                ends << int(f.Pmb->Top());
                return log.tops;
            };
            QList<int> down160;
            for (int t = -1; t >= -160; --t) down160 << t;
            // The first step sets the position it starts from: 160 moves for 161 steps.
            QCOMPARE(clickArrow(1), down160);
            QCOMPARE(f.sBall->Top(), 142.f); // 28 + 160 / 505 * 359
            // Already on the screen, before any other event had a turn: the third book's
            // first thumbnail (sheet y 491 to 591) in the strip that came into view.
            const QPoint at = f.PB->mapTo(f.Me(), QPoint(56, 560 - 160));
            QCOMPARE(onScreen(f).pixel(at), Library::colourOf(2, 0));
            clickArrow(1);
            clickArrow(1);
            QCOMPARE(clickArrow(1).size(), 25); // 25 left: stops at the end
            QCOMPARE(f.sBall->Top(), 387.f);
            QCOMPARE(clickArrow(1).size(), 0);
            QCOMPARE(clickArrow(0).size(), 160);
            clickArrow(0);
            clickArrow(0);
            QCOMPARE(clickArrow(0).size(), 25);
            QCOMPARE(clickArrow(0).size(), 0);
            QCOMPARE(ends, QList<int>({-160, -320, -480, -505, -505, -345, -185, -25, 0, 0}));
            QCOMPARE(f.sBall->Top(), 28.f);
            f.Pmb->removeEventFilter(&log);
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(s), QString());
    }

    void ballDrag_data() {
        QTest::addColumn<int>("dy"); // pointer movement while held
        QTest::addColumn<int>("ballTop");
        QTest::addColumn<int>("sheetTop");
        QTest::newRow("down 100") << 100 << 128 << -141; // 100 / 359 * -505 = -140.67
        QTest::newRow("far down: lower limit") << 1000 << 387 << -505;
        QTest::newRow("up past the arrow: upper limit") << -50 << 28 << 0;
    }
    void ballDrag() {
        QFETCH(int, dy);
        QFETCH(int, ballTop);
        QFETCH(int, sheetTop);
        Library lib;
        lib.books(4, 7);
        Script s;
        s.whenChooserShown([=](frmOpen& f) {
            QCOMPARE(f.sBall->Top(), 28.f);
            testing::press(f.sBall->P, QPoint(10, 7));
            // In two moves: after the first the ball stands elsewhere under the pointer.
            testing::move(f.sBall->P, QPoint(10, 7 + dy / 2));
            testing::move(f.sBall->P, QPoint(10, 7 + dy - dy / 2));
            testing::release(f.sBall->P, QPoint(10, 7));
            QCOMPARE(int(f.sBall->Top()), ballTop);
            QCOMPARE(int(f.Pmb->Top()), sheetTop);
            // Without a button held the ball stays.
            testing::move(f.sBall->P, QPoint(10, 40), 0);
            QCOMPARE(int(f.sBall->Top()), ballTop);
            clickButton(f.cClose);
        });
        QCOMPARE(useChooser(s), QString());
    }

    void fatalScan_data() {
        QTest::addColumn<QString>("setup");
        QTest::newRow("no books folder") << "";
        QTest::newRow("books folder without sub-folders") << "books/loose.bmp";
        QTest::newRow("only own pictures") << "books/own pictures/own.bmp";
        QTest::newRow("only books without pictures") << "books/a/readme.txt;books/b/x.png";
        QTest::newRow("one damaged picture among good ones")
            << "books/a/p0.bmp;books/a/p1.bmp;books/b/bad.gif!;books/c/p2.bmp";
        QTest::newRow("a damaged coloured copy") << "books/a/p0.bmp;colored pictures/a/p0.jpg!";
    }
    void fatalScan() {
        QFETCH(QString, setup);
        Library lib;
        // A name ending in "!" is a damaged file.
        for (const QString& item : setup.split(';', Qt::SkipEmptyParts)) {
            if (item.endsWith('!'))
                lib.file(item.chopped(1), "GIF89a damaged");
            else if (item.endsWith(".bmp"))
                lib.picture(item.mid(6), qRgb(1, 2, 3));
            else
                lib.file(item, "x");
        }
        testing::EndRecorder end;
        bool chooserShown = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, [&] { chooserShown |= Forms::frmOpen().Visible(); });
        watch.start(2);
        Script s;
        s.whenMessageShown([](frmMessage& m) {
            QCOMPARE(
                m.Label1->Caption(),
                QString("Oh no! something strange has happened! Call someone who can help you!"));
            QCOMPARE(m.Label2->Caption(),
                     QString("There was a problem loading the pictures. Make sure that none of "
                             "them are damaged. If you do not know what the problem is, please "
                             "reinstall The Tintavale. Press OK to exit the program."));
            QVERIFY(!m.cOut2->isVisible());
            clickButton(m.cOut1);
        });
        auto& f = Forms::frmOpen();
        f.FileName = "";
        QVERIFY(testing::whileModal([&] { f.Show(true); }, [] {}, 10000));
        QVERIFY(!chooserShown);
        QVERIFY(end.count() >= 1);
        QVERIFY(!f.IsLoaded());
        QVERIFY(f.Pics.size() <= 1);
    }
    // The caller stops the bubbles and the window's modality holds the colouring window;
    // the chooser keeps the timer off while it is shown and gives the window back.
    void colouringWindowAroundTheChooser() {
        Library lib;
        lib.books(1, 2);
        testing::EndRecorder end;
        FrmMain& m = loadColouringWindow(lib);
        QVERIFY(m.IsLoaded());
        m.Timer1->setEnabled(false);
        m.setEnabled(false);
        Script s;
        s.whenChooserShown([&](frmOpen& f) {
            QVERIFY(!m.Timer1->Enabled());
            testing::click(f.Pmb, QPoint(50, 50));
        });
        QCOMPARE(useChooser(s), lib.folder.file("books/book 0/p0.bmp"));
        QVERIFY(!m.Timer1->Enabled());
        QVERIFY(m.Enabled());
        QCOMPARE(end.count(), 0);
        m.Unload();
        Screen::Override(QSize(), 0);
    }

    // The loading window gives the timer back as it found it when it closes; the fatal
    // path stops it after that, and the colouring window's unload ends the program.
    void fatalScanStopsTheBubblesAndUnloadsTheColouringWindow() {
        Library lib;
        lib.file("books/empty/readme.txt", "x");
        testing::EndRecorder end;
        FrmMain& m = loadColouringWindow(lib);
        m.Timer1->setEnabled(true);
        bool timerStopped = false;
        Script s;
        s.whenMessageShown([&](frmMessage& msg) {
            timerStopped = !m.Timer1->Enabled();
            clickButton(msg.cOut1);
        });
        auto& f = Forms::frmOpen();
        f.FileName = "";
        QVERIFY(testing::whileModal([&] { f.Show(true); }, [] {}, 10000));
        QVERIFY(s.done());
        QVERIFY(timerStopped);
        QVERIFY(!m.IsLoaded());
        QVERIFY(end.count() >= 1);
        Screen::Override(QSize(), 0);
    }
};

QTEST_MAIN(TestFrmOpen)
#include "tst_frmOpen.moc"
