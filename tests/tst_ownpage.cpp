// The child's own page is two files, its outlines ("own.bmp") and its colours ("own.jpg"):
// a save killed at any moment, or stopped by a file-size limit, must leave the page as it
// was before the save or as it is after it, never the new colours under the old outlines,
// and the parents must hear whether the colours were kept. Each save runs in a child
// process, which is killed or limited; the test then starts as the program does (its
// clean-up), checks the two files and opens the page through the open button.

#include "AppPath.h"
#include "ColoredCopy.h"
#include "FrmMain.h"
#include "Leftovers.h"
#include "SaveFailure.h"
#include "SaveFile.h"
#include "Screen.h"
#include "SizeLimitSupport.h"
#include "TestSupport.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QRandomGenerator>
#include <QtTest>

#include <chrono>
#include <csignal>
#include <optional>
#include <thread>

using namespace vb;

namespace {

constexpr QRgb kOldColour = 0xFF1E3CDC; // blue
constexpr QRgb kNewColour = 0xFFDC1E1E; // red
const QPoint kColoured(50, 110);
constexpr int Trials = 40;

QImage outlines(bool withBar) {
    QImage img(200, 150, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(0, 0, 200, 4);
    p.drawRect(0, 146, 200, 4);
    p.drawRect(0, 0, 4, 150);
    p.drawRect(196, 0, 4, 150);
    if (withBar) p.drawRect(100, 20, 6, 40); // a black-marker line drawn since
    return img;
}

bool near(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) <= 12 && std::abs(qGreen(a) - qGreen(b)) <= 12 &&
           std::abs(qBlue(a) - qBlue(b)) <= 12;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
}

void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The page's two files, byte for byte.
struct Page {
    QByteArray outlines, colours;
};

Page read() {
    return {contents(OwnPicturePath()), contents(ColoredCopyPath(OwnPicturePath()))};
}

QString stateOf(const Page& page, const Page& before, const Page& after) {
    const bool oldOutlines = page.outlines == before.outlines;
    const bool oldColours = page.colours == before.colours;
    if (oldOutlines && oldColours) return QStringLiteral("before");
    if (page.outlines == after.outlines && page.colours == after.colours)
        return QStringLiteral("after");
    return QStringLiteral("mixed (outlines %1, colours %2)")
        .arg(oldOutlines ? "before" : page.outlines == after.outlines ? "after" : "other",
             oldColours ? "before" : page.colours == after.colours ? "after" : "other");
}

// Files the save may have left beside the page's two files.
QStringList strays(const QString& programFolder) {
    QStringList out;
    for (const QString& folder : {programFolder + "/books/own pictures",
                                  programFolder + "/colored pictures/own pictures"}) {
        QDirIterator it(folder, QDir::Files | QDir::Hidden);
        while (it.hasNext()) {
            const QString name = QFileInfo(it.next()).fileName();
            if (name != "own.bmp" && name != "own.jpg") out << name;
        }
    }
    return out;
}

// Saves in a child process. The child kills itself at `step` of the commit, when given;
// the parent kills it `killAfterNs` after it began, when that is not negative. Returns
// whether the child was killed, and how long it ran.
struct ChildRun {
    bool killed = false;
    bool saved = false;
    qint64 ns = 0;
};

ChildRun saveInChild(FrmMain* m, std::optional<CommitStep> step, qint64 killAfterNs) {
    int go[2];
    if (::pipe(go) != 0) qFatal("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(go[0]);
        if (step)
            SetCommitStepObserver([at = *step](CommitStep s) {
                if (s == at) ::raise(SIGKILL);
            });
        ::alarm(30); // a child that hangs ends all the same
        const char byte = 'g';
        if (::write(go[1], &byte, 1) != 1) ::_exit(3);
        ::_exit(m->SaveColoredPicture() ? 1 : 0);
    }
    ::close(go[1]);
    char byte = 0;
    const bool started = ::read(go[0], &byte, 1) == 1;
    QElapsedTimer clock;
    clock.start();
    ::close(go[0]);
    if (started && killAfterNs >= 0) {
        std::this_thread::sleep_for(std::chrono::nanoseconds(killAfterNs));
        ::kill(child, SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildRun run;
    run.ns = clock.nsecsElapsed();
    run.killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    run.saved = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

} // namespace

class TestOwnPage : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ProgramFolder> folder;
    std::unique_ptr<testing::EndRecorder> ends;
    FrmMain* m = nullptr;
    Page before, after; // the page's files before the save and after a whole one

    // The page as the child coloured it since it was opened: new outlines, new colours.
    void colourThePage() {
        QImage canvas = outlines(false);
        QPainter(&canvas).fillRect(QRect(20, 90, 60, 40), QColor::fromRgb(kNewColour));
        m->P->setPicture(StdPicture(canvas));
        m->tP->setPicture(StdPicture(outlines(true)));
        m->PicturePath = OwnPicturePath();
        m->SavedCanvas.reset();
    }
    void restoreTheOldPage() {
        put(OwnPicturePath(), before.outlines);
        put(ColoredCopyPath(OwnPicturePath()), before.colours);
    }
    // What the open button shows for the own page: its outlines on the template and its
    // colours on the canvas, both from before the save or both from after it.
    QString opensAs() {
        m->PicturePath.clear(); // nothing to save on the way
        {
            testing::ChooserAnswer chooser(OwnPicturePath());
            m->c_click(0);
        }
        if (m->PicturePath != OwnPicturePath()) return QStringLiteral("did not open");
        const QImage lines = m->tP->Picture().image().convertToFormat(QImage::Format_RGB32);
        const QRgb colour = m->P->hDC()->image().pixel(kColoured);
        const bool oldLines = lines == outlines(false), newLines = lines == outlines(true);
        if (oldLines && near(colour, kOldColour)) return QStringLiteral("before");
        if (newLines && near(colour, kNewColour)) return QStringLiteral("after");
        return QStringLiteral("mixed");
    }

private slots:
    void init() {
        folder = std::make_unique<testing::ProgramFolder>();
        ends = std::make_unique<testing::EndRecorder>();
        put(folder->file("Settings.txt"), "pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        testing::AddSampleBook(*folder);
        Screen::Override(QSize(1024, 768), 32);
        m = &Forms::FrmMain();
        m->Unload();
        m->Loaded = false;
        {
            testing::ChooserAnswer chooser;
            m->Load();
        }
        QVERIFY(m->Loaded);

        // The page as a save left it before: plain outlines, blue colours.
        QVERIFY(QDir().mkpath(folder->file("books/own pictures")));
        QVERIFY(QDir().mkpath(folder->file("colored pictures/own pictures")));
        SavePicture(StdPicture(outlines(false)), OwnPicturePath());
        QImage blue(200, 150, QImage::Format_RGB32);
        blue.fill(kOldColour);
        cDIBSection section;
        section.CreateFromPicture(StdPicture(blue));
        QVERIFY(SaveJpegFile(section, ColoredCopyPath(OwnPicturePath()), 90));
        before = read();

        // A whole save, to know the files it writes.
        colourThePage();
        const ChildRun whole = saveInChild(m, std::nullopt, -1);
        QVERIFY(whole.saved);
        after = read();
        QVERIFY(after.outlines != before.outlines && after.colours != before.colours);
        QCOMPARE(strays(folder->path()), QStringList());
        restoreTheOldPage();
    }
    void cleanup() {
        m->Unload();
        m->PicturePath.clear();
        Screen::Override(QSize(), 0);
        ends.reset();
        folder.reset();
    }

    // A kill between any two steps of the replacement: the files on disk show where it
    // stopped; the next start gives the page whole, as before or as after.
    void killAtEachStep_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("onDisk"); // before the next start
        QTest::addColumn<QString>("page");   // after it
        QTest::newRow("both written") << int(CommitStep::Written) << "before"
                                      << "before";
        QTest::newRow("journal written") << int(CommitStep::Recorded) << "before"
                                         << "after";
        QTest::newRow("colours replaced")
            << int(CommitStep::FirstReplaced) << "mixed (outlines before, colours after)"
            << "after";
        QTest::newRow("both replaced") << int(CommitStep::BothReplaced) << "after"
                                       << "after";
    }
    void killAtEachStep() {
        QFETCH(int, step);
        QFETCH(QString, onDisk);
        QFETCH(QString, page);
        colourThePage();
        const ChildRun run = saveInChild(m, CommitStep(step), -1);
        QVERIFY(run.killed);
        QCOMPARE(stateOf(read(), before, after), onDisk);
        ClearLeftovers(folder->path());
        QCOMPARE(stateOf(read(), before, after), page);
        QCOMPARE(strays(folder->path()), QStringList());
        QCOMPARE(opensAs(), page);
    }

    // Opening the page finishes a replacement cut short, even before a restart.
    void openingFinishesAReplacementCutShort() {
        colourThePage();
        QVERIFY(saveInChild(m, CommitStep::FirstReplaced, -1).killed);
        QCOMPARE(opensAs(), QString("after"));
        QCOMPARE(stateOf(read(), before, after), QString("after"));
    }

    // The second rename fails (a folder stands where the outlines go): the journal and the
    // outlines' temporary file wait, also through a start while the folder is still there,
    // and the start after it is gone finishes the page. A journal naming anything but a
    // temporary file beside its target moves nothing.
    void journalWaitsForTheSecondFile_data() {
        QTest::addColumn<QString>("journal"); // rewritten ("TEMP": the outlines' temporary)
        QTest::addColumn<bool>("startWhileBlocked");
        QTest::addColumn<QString>("page");
        const QString colours = "../../colored pictures/own pictures/own.jpg";
        QTest::newRow("journal kept") << QString() << false << "after";
        QTest::newRow("start-up keeps the temporary file") << QString() << true << "after";
        QTest::newRow("a temporary file away from its target")
            << "TEMP\t" + colours + "\n" << false << "mixed (outlines other, colours after)";
        QTest::newRow("a file that is not temporary")
            << colours + "\t" + colours.chopped(7) + "moved.jpg\n" << false
            << "mixed (outlines other, colours after)";
    }
    void journalWaitsForTheSecondFile() {
        QFETCH(QString, journal);
        QFETCH(bool, startWhileBlocked);
        QFETCH(QString, page);
        const QString blocker = OwnPicturePath();
        SetCommitStepObserver([&](CommitStep step) {
            if (step != CommitStep::FirstReplaced) return;
            QFile::remove(blocker);
            QDir().mkpath(blocker);
            put(blocker + "/inside", "x");
        });
        colourThePage();
        const std::optional<SaveFailure> failure = m->SaveColoredPicture();
        SetCommitStepObserver(nullptr);
        QVERIFY(failure);
        const QString record = OwnPageJournal(folder->path());
        QVERIFY(QFile::exists(record));
        const QStringList kept = strays(folder->path()).filter(".tv-save-");
        QCOMPARE(kept.size(), 1);
        if (!journal.isEmpty()) put(record, journal.replace("TEMP", kept[0]).toUtf8());
        if (startWhileBlocked) {
            ClearLeftovers(folder->path());
            QStringList waiting = strays(folder->path());
            waiting.sort();
            QCOMPARE(waiting, (QStringList{".tv-own-page-journal", kept[0]}));
        }
        QVERIFY(QDir(blocker).removeRecursively());
        ClearLeftovers(folder->path());
        QCOMPARE(stateOf(read(), before, after), page);
        QCOMPARE(strays(folder->path()), QStringList());
    }

    // Kills at moments spread over a whole save's time and a little past it.
    void killsAtRandomMoments() {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        QMap<QString, int> outcomes;
        for (int trial = 0; trial < Trials; ++trial) {
            const QString tag = QStringLiteral("trial %1, seed %2").arg(trial).arg(seed);
            colourThePage();
            const ChildRun whole = saveInChild(m, std::nullopt, -1);
            QVERIFY2(whole.saved, qPrintable(tag));
            restoreTheOldPage();
            colourThePage();
            const qint64 delay = qint64(random.bounded(1.3) * double(whole.ns));
            const ChildRun run = saveInChild(m, std::nullopt, delay);
            const QString raw = stateOf(read(), before, after);
            ClearLeftovers(folder->path());
            const QString state = stateOf(read(), before, after);
            QVERIFY2(state == "before" || state == "after", qPrintable(tag + ": " + state));
            QVERIFY2(strays(folder->path()).isEmpty(), qPrintable(tag));
            QCOMPARE(opensAs(), state);
            ++outcomes[QStringLiteral("%1, files %2 -> page %3")
                           .arg(run.killed ? "killed" : "finished", raw.section(' ', 0, 0),
                                state)];
            restoreTheOldPage();
        }
        QStringList lines;
        for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
            lines << QStringLiteral("%1 x %2").arg(it.value()).arg(it.key());
        qInfo("%d kills (seed %u): %s", Trials, seed, qPrintable(lines.join("; ")));
    }

    // Under a limit on the size of files, as on a full disk: the page changes only when
    // both files fit, and the parents hear that the colours were kept only then.
    void sizeLimits_data() {
        QTest::addColumn<QString>("limit"); // bytes, or a file's size with a difference
        QTest::addColumn<QString>("told");
        QTest::addColumn<QString>("page");
        QTest::newRow("512 bytes") << "512" << "The disk is full." << "before";
        QTest::newRow("colours but one byte") << "colours-1" << "The disk is full." << "before";
        QTest::newRow("room for the colours") << "colours" << "The disk is full." << "before";
        QTest::newRow("20 KiB") << "20480" << "The disk is full." << "before";
        QTest::newRow("outlines but one byte")
            << "outlines-1" << "The disk is full." << "before";
        QTest::newRow("room for both") << "outlines" << "saved" << "after";
    }
    void sizeLimits() {
        QFETCH(QString, limit);
        QFETCH(QString, told);
        QFETCH(QString, page);
        QVERIFY(after.outlines.size() > after.colours.size() && after.colours.size() > 512);
        rlim_t bytes = rlim_t(limit.section('-', 0, 0).toLongLong());
        if (limit.startsWith("colours")) bytes = rlim_t(after.colours.size());
        if (limit.startsWith("outlines")) bytes = rlim_t(after.outlines.size());
        if (limit.endsWith("-1")) --bytes;
        qInfo("limit %llu bytes; the page's files: outlines %lld, colours %lld", qulonglong(bytes),
              qlonglong(after.outlines.size()), qlonglong(after.colours.size()));
        colourThePage();
        const QString result = testing::InChildUnderSizeLimit(bytes, [this] {
            const std::optional<SaveFailure> failure = m->SaveColoredPicture();
            return failure ? SaveFailureCause(*failure) : QStringLiteral("saved");
        });
        QCOMPARE(result, told);
        QCOMPARE(stateOf(read(), before, after), page);
        QCOMPARE(strays(folder->path()), QStringList());
        QCOMPARE(opensAs(), page);
    }
};

QTEST_MAIN(TestOwnPage)
#include "tst_ownpage.moc"
