// A picture-pack install killed at random moments: after start-up's clean-up every trial
// has the whole book or none, and the library scan never takes its fatal path. The test
// executable is also the child that installs ("--install <pack> <books folder>").

#include "EndProgram.h"
#include "Leftovers.h"
#include "PackSupport.h"
#include "PicturePack.h"
#include "TestSupport.h"
#include "frmMessage.h"
#include "frmOpen.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int Trials = 60;
constexpr int Pieces = 80;

// The child: reads the pack, says "go", installs.
int InstallChild(const QString& packPath, const QString& books) {
    QFile pack(packPath);
    if (!pack.open(QIODevice::ReadOnly)) return 2;
    const QByteArray bytes = pack.readAll();
    std::puts("go");
    std::fflush(stdout);
    return PicturePack::Install(bytes, books).isEmpty() ? 1 : 0;
}

// Every entry of a folder with its bytes (hidden ones too).
QStringList Entries(const QString& folder) {
    QStringList out;
    QDir dir(folder);
    for (const QString& name :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)) {
        QFile f(dir.filePath(name));
        out << name + "=" + (f.open(QIODevice::ReadOnly) ? f.readAll().toHex() : QByteArray());
    }
    return out;
}

} // namespace

class TestImportKill : public QObject {
    Q_OBJECT
private slots:
    void killedInstallLeavesWholeBookOrNone() {
        testing::ProgramFolder program;
        testing::AddSampleBook(program);
        const QString books = program.file("books");

        QList<QByteArray> pieces;
        QByteArray header = "Farm";
        for (int k = 0; k < Pieces; ++k) {
            header += "|p" + QByteArray::number(k) + ".bmp";
            pieces << testing::BmpBytes(160, 120, QColor::fromHsv(k * 4, 200, 230));
        }
        const QString packPath = program.file("farm.tvp");
        {
            QFile f(packPath);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(testing::MakePack(header, pieces));
        }

        // Starts the child and waits until it begins to install; returns its clock.
        QProcess child;
        auto start = [&] {
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--install"), packPath, books});
            QElapsedTimer clock;
            while (!child.canReadLine())
                if (!child.waitForReadyRead(20000)) return QElapsedTimer();
            clock.start();
            return clock;
        };

        // An install left alone: how long it takes, and the whole book it leaves.
        QElapsedTimer clock = start();
        QVERIFY(clock.isValid());
        QVERIFY(child.waitForFinished(20000));
        const qint64 installNs = clock.nsecsElapsed();
        QCOMPARE(child.exitCode(), 0);
        const QStringList wholeBook = Entries(books + "/Farm");
        QCOMPARE(wholeBook.size(), Pieces);
        QVERIFY(wholeBook.contains("p0.bmp=" + (pieces[0] + "\r\n").toHex()));
        QVERIFY(QDir(books + "/Farm").removeRecursively());

        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        testing::EndRecorder end;
        QTimer answer; // the fatal path's message, should it ever show
        connect(&answer, &QTimer::timeout, [] {
            if (Forms::frmMessage().Visible()) Forms::frmMessage().Unload();
        });
        answer.start(20);

        int whole = 0, none = 0, interrupted = 0;
        for (int trial = 0; trial < Trials; ++trial) {
            clock = start();
            QVERIFY(clock.isValid());
            // Up to a third beyond the whole install, so some kills come after it.
            const auto delay =
                std::chrono::nanoseconds(qint64(random.bounded(1.33) * double(installNs)));
            std::this_thread::sleep_for(delay);
            child.kill();
            QVERIFY(child.waitForFinished(20000));

            for (const QString& e :
                 QDir(books).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
                if (PicturePack::IsStagingFolder(e)) ++interrupted;
            ClearLeftovers(program.path()); // the next start

            const QStringList listed = Entries(books);
            const QString tag = QStringLiteral("trial %1, seed %2").arg(trial).arg(seed);
            if (listed.size() == 1) {
                ++none;
            } else {
                QVERIFY2(listed.size() == 2 && listed[0] == "Farm=", qPrintable(tag));
                QVERIFY2(Entries(books + "/Farm") == wholeBook, qPrintable(tag));
                ++whole;
            }

            frmOpen& chooser = Forms::frmOpen();
            chooser.Load();
            QVERIFY2(end.count() == 0, qPrintable(tag));
            QVERIFY2(chooser.IsLoaded(), qPrintable(tag));
            QCOMPARE(chooser.Pics.size(), size_t(listed.size() == 1 ? 2 : 2 + Pieces));
            chooser.Unload();
            QDir(books + "/Farm").removeRecursively();
        }
        qInfo("%d trials: %d whole books, %d without the book, %d interrupted while writing "
              "(install %.1f ms, seed %u)",
              Trials, whole, none, interrupted, double(installNs) / 1e6, seed);
        QVERIFY(interrupted > 0);
    }
};

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--install") == 0) {
        QCoreApplication app(argc, argv);
        return InstallChild(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    }
    QApplication app(argc, argv);
    TestImportKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_importkill.moc"
