// The automatic save of the coloured copy: where the copy goes and under which name, what
// it holds, the child's own page and its outlines, and failures that leave files alone.

#include "AppPath.h"
#include "ColoredCopy.h"
#include "FrmMain.h"
#include "Leftovers.h"
#include "SaveFailure.h"
#include "SaveFile.h"
#include "Screen.h"
#include "SizeLimitSupport.h"
#include "TestSupport.h"
#include "VbError.h"
#include "cDIBSection.h"
#include "mIntelJPEGLibrary.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cerrno>
#include <csignal>

using namespace vb;

namespace {

constexpr QRgb kRed = 0xFFDC1E1E;

// Line art: white with a black frame and a black bar across the middle.
QImage lineArt(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRect(0, 0, w, 4);
    p.drawRect(0, h - 4, w, 4);
    p.drawRect(0, 0, 4, h);
    p.drawRect(w - 4, 0, 4, h);
    p.drawRect(0, h / 2 - 2, w, 4);
    return img;
}

// Colours a rectangle of an area's drawing layer, as strokes do.
void paint(PictureArea* area, const QRect& r, QRgb colour) {
    HDC dc = area->hDC();
    QPainter(&dc->image()).fillRect(r, QColor::fromRgb(colour));
    dc->markDirty(r);
}

bool near(QRgb a, QRgb b, int tolerance = 8) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Every file under a folder (hidden ones too: no temporary file may stay), relative to it.
QStringList filesUnder(const QString& folder) {
    QStringList out;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) out << root.relativeFilePath(it.next());
    out.sort();
    return out;
}

// The cause a save names, or "saved". With a limit, the save runs in a child process whose
// files cannot grow beyond `limit` bytes, as on a full disk.
QString saveCause(FrmMain* m, rlim_t limit) {
    auto cause = [m] {
        const std::optional<SaveFailure> failure = m->SaveColoredPicture();
        return failure ? SaveFailureCause(*failure) : QStringLiteral("saved");
    };
    return limit == 0 ? cause() : testing::InChildUnderSizeLimit(limit, cause);
}

} // namespace

class TestAutoSave : public QObject {
    Q_OBJECT

    std::unique_ptr<testing::ProgramFolder> folder;
    std::unique_ptr<testing::EndRecorder> ends;
    FrmMain* m = nullptr;

    QString colored(const QString& rest) const {
        return folder->file(QStringLiteral("colored pictures/") + rest);
    }
    // Puts a page on canvas and template as if coloured since it was opened: nothing of
    // it has been saved yet.
    void open(const QString& path, const QImage& page) {
        m->P->setPicture(StdPicture(page));
        m->tP->setPicture(StdPicture(page));
        m->PicturePath = path;
        m->SavedCanvas.reset();
    }

private slots:
    void init() {
        folder = std::make_unique<testing::ProgramFolder>();
        ends = std::make_unique<testing::EndRecorder>();
        writeFile(folder->file("Settings.txt"), "pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        testing::AddSampleBook(*folder);
        Screen::Override(QSize(1024, 768), 32);
        m = &Forms::FrmMain();
        m->Unload();
        m->Loaded = false;
        testing::ChooserAnswer chooser; // the first load opens the chooser: nothing is chosen
        m->Load();
        QVERIFY(m->Loaded);
        QVERIFY(QFileInfo(colored("")).isDir());
    }
    void cleanup() {
        m->Unload();
        m->PicturePath.clear();
        Screen::Override(QSize(), 0);
        ends.reset();
        folder.reset();
    }

    // The program itself, not a copy of its start-up: once started it is not ended by a
    // write past a file-size limit (the signal for it is ignored).
    void programStartsIgnoringTheSizeLimitSignal() {
        QTemporaryDir dir; // a folder of its own: the program writes where it lives
        const QString program = dir.filePath("tintavale");
        QVERIFY(QFile::copy(TV_PROGRAM_DIR "/tintavale", program));
        QProcess child;
        child.setChildProcessModifier([] { std::signal(SIGXFSZ, SIG_DFL); });
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", dir.path());
        child.setProcessEnvironment(env);
        child.start(program, {});
        QVERIFY(child.waitForStarted());
        const QString status = QStringLiteral("/proc/%1/status").arg(child.processId());
        const quint64 bit = quint64(1) << (SIGXFSZ - 1);
        auto ignored = [&] {
            QFile file(status);
            if (!file.open(QIODevice::ReadOnly)) return false;
            for (const QByteArray& line : file.readAll().split('\n'))
                if (line.startsWith("SigIgn:"))
                    return (line.mid(7).trimmed().toULongLong(nullptr, 16) & bit) != 0;
            return false;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ignored(), 10000);
        child.kill();
        child.waitForFinished();
    }

    void fileAndBookNames_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("book");
        QTest::newRow("library picture") << "/p/books/animals/cat.gif"
                                         << "cat.gif"
                                         << "animals";
        QTest::newRow("one separator") << "farm/cow.bmp"
                                       << "cow.bmp"
                                       << "farm";
        QTest::newRow("at the root") << "/cow.bmp"
                                     << "cow.bmp"
                                     << "";
        QTest::newRow("no separator") << "cow.bmp"
                                      << "cow.bmp"
                                      << "";
    }
    void fileAndBookNames() {
        QFETCH(QString, path);
        QFETCH(QString, file);
        QFETCH(QString, book);
        QCOMPARE(PictureFileName(path), file);
        QCOMPARE(BookName(path), book);
    }

    void noPictureWritesNothing() {
        m->P->setPicture(StdPicture(lineArt(80, 60)));
        m->SaveColoredPicture();
        QVERIFY(filesUnder(colored("")).isEmpty());
        QVERIFY(QDir(colored("")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    }

    void copyGoesToTheBookFolderUnderItsName_data() {
        QTest::addColumn<QString>("picture");
        QTest::addColumn<QString>("copy");
        QTest::newRow("gif") << "books/animals/cat.gif"
                             << "animals/cat.jpg";
        QTest::newRow("bmp") << "books/animals/cat.bmp"
                             << "animals/cat.jpg";
        QTest::newRow("jpeg keeps a letter") << "books/animals/cat.jpeg"
                                             << "animals/cat.jjpg";
        QTest::newRow("new book with blanks") << "books/my farm/Cow.GIF"
                                              << "my farm/Cow.jpg";
    }
    void copyGoesToTheBookFolderUnderItsName() {
        QFETCH(QString, picture);
        QFETCH(QString, copy);
        open(folder->file(picture), lineArt(160, 120));
        paint(m->P, QRect(16, 16, 48, 32), kRed); // a stroke, not yet in the picture
        const QPoint canvasPos = m->P->pos();
        m->SaveColoredPicture();

        QCOMPARE(filesUnder(colored("")), QStringList{copy});
        QCOMPARE(ColoredCopyPath(folder->file(picture)), colored(copy));
        const QImage saved(colored(copy), "JPEG");
        QCOMPARE(saved.size(), QSize(160, 120));
        QVERIFY(near(saved.pixel(40, 32), kRed));
        QVERIFY(near(saved.pixel(100, 90), qRgb(255, 255, 255)));
        QVERIFY(near(saved.pixel(80, 60), qRgb(0, 0, 0), 24));
        // The canvas's picture now holds the stroke; the canvas kept its size and place.
        QCOMPARE(m->P->Picture().image().pixel(40, 32), kRed);
        QCOMPARE(m->P->size(), QSize(160, 120));
        QCOMPARE(m->P->pos(), canvasPos);
        QVERIFY(!QFile::exists(folder->file("temp.bmp")));
    }

    // The copy is the JPEG the writer makes from the 24-bit bytes of a section holding the
    // canvas with its strokes, byte for byte; the canvas itself does not change.
    void copyIsTheJpegOfTheCanvasBytes() {
        QImage page(QStringLiteral(TV_SOURCE_DIR "/resources/books/farm animals/cow.gif"));
        QVERIFY(!page.isNull());
        open(folder->file("books/farm animals/cow.gif"),
             page.convertToFormat(QImage::Format_RGB32));
        paint(m->P, QRect(100, 80, 200, 150), kRed);
        paint(m->P, QRect(250, 300, 90, 60), qRgb(40, 90, 210));
        const QImage canvas = m->P->hDC()->image().copy();
        m->SaveColoredPicture();
        QCOMPARE(m->P->hDC()->image(), canvas); // the canvas shows what it showed
        QCOMPARE(m->P->Picture().image(), canvas);
        // The picture and the canvas share their pixels until one is drawn on.
        paint(m->P, QRect(10, 10, 30, 30), qRgb(0, 160, 0));
        QCOMPARE(m->P->Picture().image(), canvas);
        m->P->Cls();
        QCOMPARE(m->P->hDC()->image(), canvas);

        cDIBSection section;
        section.CreateFromPicture(StdPicture(canvas));
        section.DIBSectionBitsPtr(); // from now on the writer reads the bytes
        const QString expected = folder->file("expected.jpg");
        QVERIFY(SaveJpegFile(section, expected, 90));
        const QByteArray copy = contents(colored("farm animals/cow.jpg"));
        QVERIFY(copy.size() > 1000);
        QVERIFY(copy == contents(expected));
    }

    void picturesOfOneNameShareTheirCopy() {
        QImage red(64, 48, QImage::Format_RGB32), blue(64, 48, QImage::Format_RGB32);
        red.fill(kRed);
        blue.fill(qRgb(20, 40, 230));
        open(folder->file("books/animals/cat.gif"), red);
        m->SaveColoredPicture();
        open(folder->file("books/animals/cat.jpg"), blue);
        m->SaveColoredPicture();
        QCOMPARE(filesUnder(colored("")), QStringList{"animals/cat.jpg"});
        QVERIFY(near(QImage(colored("animals/cat.jpg")).pixel(30, 20), qRgb(20, 40, 230)));
    }

    void namesTooShortSaveNothing() {
        open(folder->file("books/animals/ab"), lineArt(40, 30));
        m->SaveColoredPicture();
        QVERIFY(filesUnder(colored("")).isEmpty());
        try {
            ColoredCopyName(QStringLiteral("ab"));
            QFAIL("no error raised");
        } catch (const VbError& e) {
            QCOMPARE(e.Number, int32_t(ErrInvalidProcedureCall));
        }
        QCOMPARE(ColoredCopyName(QStringLiteral("abc")), QString("jpg"));
    }

    // Names as long as a folder allows (the importer installs them) keep their colours:
    // the temporary file's name does not grow with the picture's. Lengths are in bytes.
    void longNamesKeepTheirColours_data() {
        QTest::addColumn<QString>("name");
        for (const int bytes : {239, 240, 247, 251, 255})
            QTest::addRow("%d bytes", bytes) << QString(bytes - 4, QLatin1Char('a')) + ".gif";
        // Two bytes a letter in the file system's encoding.
        QTest::newRow("255 bytes, accented") << QString(125, QChar(0xE9)) + "a.gif";
    }
    void longNamesKeepTheirColours() {
        QFETCH(QString, name);
        const QString picture = folder->file("books/animals/" + name);
        QCOMPARE(QFileInfo(picture).fileName().toUtf8().size() <= 255, true);
        writeFile(picture, "GIF89a"); // the file itself is never read by the save
        open(picture, lineArt(80, 60));
        paint(m->P, QRect(4, 4, 72, 24), kRed);
        const std::optional<SaveFailure> failure = m->SaveColoredPicture();
        QVERIFY2(!failure, failure ? qPrintable(SaveFailureCause(*failure)) : "");
        QCOMPARE(filesUnder(colored("")),
                 QStringList{"animals/" + ColoredCopyName(name)});
        const QImage saved(ColoredCopyPath(picture), "JPEG");
        QCOMPARE(saved.size(), QSize(80, 60));
        QVERIFY(near(saved.pixel(40, 16), kRed));
    }

    // Temporary names are one short length whatever the target's; start-up clears them,
    // and the names earlier versions gave, and nothing else.
    void temporaryNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("leftover");
        QTest::newRow("ours") << ".tv-save-Ab3dE9xZ" << true;
        QTest::newRow("an earlier version's") << ".cat.jpg.tv-save-abc123" << true;
        QTest::newRow("an earlier version's, long target")
            << "." + QString(230, 'a') + ".tv-save-QQQQQQ" << true;
        QTest::newRow("seven characters") << ".tv-save-Ab3dE9x" << false;
        QTest::newRow("not hidden") << "tv-save-Ab3dE9xZ" << false;
        QTest::newRow("with an extension") << ".tv-save-Ab3dE9xZ.jpg" << false;
        QTest::newRow("the own page's journal") << ".tv-own-page-journal" << false;
        QTest::newRow("a picture") << "cat.jpg" << false;
    }
    void temporaryNames() {
        QFETCH(QString, name);
        QFETCH(bool, leftover);
        QCOMPARE(SaveFile::IsLeftover(name), leftover);
        const QString copies = colored("animals");
        writeFile(copies + "/" + name, "x");
        ClearLeftovers(folder->path());
        QCOMPARE(QFile::exists(copies + "/" + name), !leftover);

        SaveFile file(copies + "/" + QString(251, 'b') + ".jpg");
        QVERIFY(file.open(QIODevice::WriteOnly));
        const QFileInfo temporary(file.fileName());
        QCOMPARE(temporary.absolutePath(), QFileInfo(copies).absoluteFilePath());
        QCOMPARE(temporary.fileName().size(), 17);
        QVERIFY(SaveFile::IsLeftover(temporary.fileName()));
        QVERIFY(file.write("new") == 3 && file.commit());
        QCOMPARE(contents(copies + "/" + QString(251, 'b') + ".jpg"), QByteArray("new"));
    }

    void ownPageKeepsItsOutlinesWithoutColour() {
        const QString own = OwnPicturePath();
        QCOMPARE(own, folder->file("books/own pictures/own.bmp"));
        const QImage page = lineArt(200, 150);
        QVERIFY(QDir().mkpath(folder->file("books/own pictures")));
        QVERIFY(page.save(own, "BMP"));
        open(own, page);
        // A committed black-marker line is part of the template's picture ...
        QImage outlines = page;
        QPainter(&outlines).fillRect(QRect(100, 20, 6, 40), Qt::black);
        m->tP->setPicture(StdPicture(outlines));
        // ... the last stroke's red region fill is only drawn on it.
        paint(m->tP, QRect(20, 90, 60, 40), 0xFFFF0000);
        paint(m->P, QRect(20, 90, 60, 40), kRed);

        m->SaveColoredPicture();

        QCOMPARE(filesUnder(colored("")), QStringList{"own pictures/own.jpg"});
        QVERIFY(near(QImage(colored("own pictures/own.jpg")).pixel(50, 110), kRed));
        const QImage back = QImage(own).convertToFormat(QImage::Format_RGB32);
        QCOMPARE(back, outlines.convertToFormat(QImage::Format_RGB32));
        QCOMPARE(m->tP->Point(50, 110), 0xFFFFFF); // the red fill is gone
        const QStringList bookFiles =
            QDir(folder->file("books/own pictures")).entryList(QDir::Files);
        QCOMPARE(bookFiles, QStringList{"own.bmp"});
        QVERIFY(!QFile::exists(folder->file("temp.bmp")));
    }

    // Folders that cannot take the copy: nothing is written, own.bmp stays as it was and
    // nothing is raised to the caller.
    void failuresLeaveOwnPageAlone_data() {
        QTest::addColumn<QString>("blocker"); // a plain file, or a folder, in the way
        QTest::addColumn<bool>("asFolder");
        QTest::newRow("colored pictures is a file") << "colored pictures" << false;
        QTest::newRow("own.jpg is a folder") << "colored pictures/own pictures/own.jpg" << true;
    }
    void failuresLeaveOwnPageAlone() {
        QFETCH(QString, blocker);
        QFETCH(bool, asFolder);
        const QString own = OwnPicturePath();
        QVERIFY(QDir().mkpath(folder->file("books/own pictures")));
        QVERIFY(lineArt(60, 40).save(own, "BMP"));
        const QByteArray before = contents(own);
        if (asFolder) {
            QVERIFY(QDir().mkpath(folder->file(blocker)));
        } else {
            QVERIFY(QDir(folder->file(blocker)).removeRecursively());
            writeFile(folder->file(blocker), "in the way");
        }
        QImage other(60, 40, QImage::Format_RGB32);
        other.fill(Qt::white);
        open(own, other); // a different page: a rewrite of own.bmp would show
        m->SaveColoredPicture();
        QCOMPARE(contents(own), before);
        if (asFolder)
            QVERIFY(filesUnder(colored("")).isEmpty());
        else
            QCOMPARE(contents(folder->file(blocker)), QByteArray("in the way"));
    }

    // Each cause of a failed save, as the system reports it, gets advice that fits it:
    // room on the disk is asked for only when the disk is full.
    void adviceFitsTheCause_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("inTheWay");
        QTest::addColumn<QString>("reason");
        const QString full = "The disk is full. Make room on the disk, then try again.";
        const QString readOnly = "The folder '/p/colored pictures/farm' cannot be written to. "
                                 "Make sure the folder is not read-only, then try again.";
        QTest::newRow("no space") << ENOSPC << "" << full;
        QTest::newRow("over the quota") << EDQUOT << "" << full;
        QTest::newRow("over the file-size limit") << EFBIG << "" << full;
        QTest::newRow("no permission") << EACCES << "" << readOnly;
        QTest::newRow("not permitted") << EPERM << "" << readOnly;
        QTest::newRow("read-only file system") << EROFS << "" << readOnly;
        QTest::newRow("a file above the folder")
            << ENOTDIR << "/p/colored pictures"
            << "'/p/colored pictures' is a file, but it should be a folder. Move or rename that "
               "file, then try again.";
        QTest::newRow("a file named as the folder")
            << EEXIST << "/p/colored pictures/farm"
            << "'/p/colored pictures/farm' is a file, but it should be a folder. Move or rename "
               "that file, then try again.";
        QTest::newRow("name too long") << ENAMETOOLONG << ""
                                       << "The file name is too long for the folder. Give the "
                                          "picture a shorter file name to keep its colors.";
        QTest::newRow("input/output error")
            << EIO << ""
            << "The file could not be written. Check the disk, then try again.";
    }
    void adviceFitsTheCause() {
        QFETCH(int, error);
        QFETCH(QString, inTheWay);
        QFETCH(QString, reason);
        const SaveFailure failure{error, "/p/colored pictures/farm/", inTheWay};
        QCOMPARE(SaveFailureCause(failure) + ' ' + SaveFailureAdvice(failure), reason);
        QCOMPARE(SaveFailureMessage(failure, AfterFailedSave::Quitting),
                 "The colored picture could not be saved.\r\n\r\n" + reason +
                     "\r\n\r\nPress 'Continue' to quit anyway (the colors will be lost), or "
                     "'Cancel' to go on coloring.");
    }

    // Saves that fail name their cause; the old copy and own.bmp stay as they were (both
    // of them, on the own page) and no temporary file is left behind.
    void failureNamesItsCause_data() {
        QTest::addColumn<QString>("picture");        // under books/
        QTest::addColumn<QString>("fileInTheWay");   // a plain file where a folder belongs
        QTest::addColumn<QString>("folderInTheWay"); // a folder where a file belongs
        QTest::addColumn<int>("fileSizeLimit");
        QTest::addColumn<QString>("cause"); // %1: the program folder
        // Longer than any file name the folder can hold (set as the path by hand).
        const QString tooLong = QString(252, QLatin1Char('a')) + QStringLiteral(".gif");
        QTest::newRow("the book's folder is a file")
            << "animals/cat.gif"
            << "colored pictures/animals"
            << "" << 0 << "'%1/colored pictures/animals' is a file, but it should be a folder.";
        QTest::newRow("colored pictures is a file")
            << "animals/cat.gif"
            << "colored pictures"
            << "" << 0 << "'%1/colored pictures' is a file, but it should be a folder.";
        QTest::newRow("a name too long for the folder")
            << "animals/" + tooLong << ""
            << "" << 0 << "The file name is too long for the folder.";
        QTest::newRow("disk full") << "animals/cat.gif"
                                   << ""
                                   << "" << 512 << "The disk is full.";
        QTest::newRow("disk full on the own page") << "own pictures/own.bmp"
                                                   << ""
                                                   << "" << 512 << "The disk is full.";
        // Room for the coloured copy, not for the outlines (as under "ulimit -f 20"): the
        // page keeps both its old files.
        QTest::newRow("disk full for the own page's outlines")
            << "own pictures/own.bmp"
            << ""
            << "" << 20480 << "The disk is full.";
        QTest::newRow("own.bmp is a folder")
            << "own pictures/own.bmp"
            << ""
            << "books/own pictures/own.bmp" << 0 << "The file could not be written.";
        QTest::newRow("room enough") << "animals/cat.gif"
                                     << ""
                                     << "" << 0 << "saved";
    }
    void failureNamesItsCause() {
        QFETCH(QString, picture);
        QFETCH(QString, fileInTheWay);
        QFETCH(QString, folderInTheWay);
        QFETCH(int, fileSizeLimit);
        QFETCH(QString, cause);
        const QString path = folder->file("books/" + picture);
        const bool own = path == OwnPicturePath();
        const QString copy = ColoredCopyPath(path);
        // Larger than the limit: only new bytes fail. (No file can carry a name too long.)
        const bool nameFits = QFileInfo(copy).fileName().size() <= 255;
        const QByteArray oldCopy = nameFits ? QByteArray(4000, 'c') : QByteArray();
        if (fileInTheWay.isEmpty() && nameFits) writeFile(copy, oldCopy);
        if (own && folderInTheWay.isEmpty()) writeFile(path, "old page");
        if (!fileInTheWay.isEmpty()) {
            QVERIFY(QDir(folder->file(fileInTheWay)).removeRecursively());
            writeFile(folder->file(fileInTheWay), "in the way");
        }
        if (!folderInTheWay.isEmpty()) QVERIFY(QDir().mkpath(folder->file(folderInTheWay)));
        const QStringList before = filesUnder(folder->path());
        QImage page = lineArt(160, 120);
        QPainter(&page).fillRect(QRect(10, 10, 140, 100), QColor(30, 120, 220));
        open(path, page);
        paint(m->P, QRect(16, 16, 48, 32), kRed);

        QCOMPARE(saveCause(m, rlim_t(fileSizeLimit)), cause.arg(folder->path()));
        if (cause == "saved") {
            QVERIFY(contents(copy) != oldCopy);
            return;
        }
        QCOMPARE(filesUnder(folder->path()), before);
        if (fileInTheWay.isEmpty()) QCOMPARE(contents(copy), oldCopy);
        if (own && folderInTheWay.isEmpty()) QCOMPARE(contents(path), QByteArray("old page"));
    }
};

QTEST_MAIN(TestAutoSave)
#include "tst_autosave.moc"
