// The picture-pack window: its looks, installing a pack through the real file dialog with
// the parents' messages, the download page and the chooser that has to scan anew.

#include "AppPath.h"
#include "ImportMessages.h"
#include "PackSupport.h"
#include "SizeLimitSupport.h"
#include "TestSupport.h"
#include "frmImport.h"
#include "frmOpen.h"
#include "frmParentMessage.h"

#include "Shell.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtTest>

#include <cstdio>

using namespace vb;
using testing::MakePack;

namespace {

frmImport& form() {
    return Forms::frmImport();
}

const QString Success =
    "The pictures were added successfully. After closing this window, please click on the "
    "'Open pictures' button. You should then see the new pictures listed.\r\n\r\n"
    "Press 'Continue' to close this window.";
const QString Damaged =
    "There was an error when trying to open The Tintavale package file. The file appears to "
    "be damaged. Please download again.\r\n\r\n"
    "* Please note that you can not install The Tintavale Version 4 Picture Packs for use "
    "within this program.";
const QString TooLarge =
    "This Picture Pack holds a picture that is too large to color (more than 4096 pixels wide "
    "or high), so the pack cannot be used.";
const QString Unlisted =
    "This Picture Pack holds a file that the picture library cannot show (only pictures whose "
    "names end in .gif, .bmp or .jpg are listed), so the pack cannot be used.";
const QString Twins =
    "This Picture Pack holds two pictures whose colored copies would be saved under one name "
    "(such as a.gif and a.bmp), so the pack cannot be used.";
const QString DiskFull =
    "The pictures could not be written to the picture library. The disk is full.";

// Answers the modal dialogs as they come up: the file dialog chooses `file` (or is
// cancelled when it is empty), and each parents' message is read and continued.
class DialogAnswerer : public QObject {
public:
    explicit DialogAnswerer(const QString& file) : file_(file) {
        connect(&timer_, &QTimer::timeout, this, &DialogAnswerer::answer);
        timer_.start(10);
    }
    QStringList messages;
    QStringList filters; // of the file dialog, as it showed them
    int fileDialogs = 0;

private:
    void answer() {
        if (Forms::frmParentMessage().Visible()) {
            messages << Forms::frmParentMessage().lMessage->Caption();
            testing::click(Forms::frmParentMessage().lContinue, {3, 3});
        } else if (auto* dlg = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            if (dlg != seen_) ++fileDialogs;
            seen_ = dlg;
            filters = dlg->nameFilters();
            if (file_.isEmpty()) {
                dlg->reject();
                return;
            }
            // Typed as the parents would: selectFile() leaves a focused name box alone.
            auto* name = dlg->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(file_);
            static_cast<QDialog*>(dlg)->accept(); // QFileDialog's own accept
        }
    }
    QString file_;
    QTimer timer_;
    QPointer<QFileDialog> seen_;
};

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A book "Old" with one picture the chooser can show.
bool MakeOldBook(const testing::ProgramFolder& program) {
    QImage dog(40, 30, QImage::Format_RGB32);
    dog.fill(Qt::white);
    return QDir().mkpath(program.file("books/Old")) && dog.save(program.file("books/Old/dog.bmp"));
}

} // namespace

class TestFrmImport : public QObject {
    Q_OBJECT
private slots:
    void cleanup() {
        form().Unload();
        Forms::frmParentMessage().Unload();
        vb::SetShellOpener(nullptr);
    }

    void looksAfterLoad() {
        PictureArea* w = form().Me();
        QCOMPARE(w->size(), QSize(430, 242));
        QCOMPARE(w->windowTitle(), QStringLiteral("Add pictures"));
        QCOMPARE(w->BackColor(), 0xFFFFFF);
        QCOMPARE(w->Point(0, 0), 0xE3E3E3); // the raised frame
        QCOMPARE(w->Point(429, 241), 0x696969);
        QCOMPARE(form().pM->geometry(), QRect(8, 8, 413, 225));
        QCOMPARE(form().Label1[0]->geometry(), QRect(8, 8, 401, 49));
        QVERIFY(form().Label1[1]->text().startsWith("If you already have a Picture Pack"));
        QVERIFY(!form().Label1[0]->font().bold());

        const QStringList texts{"Download Pictures for The Tintavale",
                                "Add pictures (from a saved .tvp file)", "Cancel", "Help"};
        for (int i = 0; i < 4; ++i) {
            Label* b = form().lButton[i];
            QCOMPARE(b->text(), texts[i]);
            QVERIFY(b->font().bold());
            QCOMPARE(b->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(b->size(), b->sizeHint()); // sized to its text
            QVERIFY(form().pM->rect().contains(b->geometry()));
        }
        QVERIFY(form().lButton[3]->isHidden());
        QVERIFY(!form().lButton[2]->isHidden());
        QCOMPARE(form().lButton[0]->pos(), QPoint(8, 152));
        QCOMPARE(form().lButton[1]->pos(), QPoint(8, 184));
    }

    void install_data() {
        QTest::addColumn<QByteArray>("pack"); // empty: the dialog is cancelled
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<QStringList>("booksAfter");

        const QByteArray gif = testing::TinyGif(), bmp = testing::BmpBytes(4, 3);
        QTest::newRow("good pack") << MakePack("Farm|cow.gif|pig.bmp", {gif, bmp})
                                   << QStringList{Success} << QStringList{"Farm", "Old"};
        QTest::newRow("taken book name")
            << MakePack("Old|cow.gif", {gif}) << QStringList{Success} << QStringList{"Old", "Old1"};
        QTest::newRow("no separator")
            << "Farm|cow.gif " + gif << QStringList{Damaged} << QStringList{"Old"};
        QTest::newRow("too few names")
            << MakePack("Farm|cow.gif", {gif, bmp}) << QStringList{Damaged} << QStringList{"Old"};
        QTest::newRow("name leaving the book")
            << MakePack("Farm|../cow.gif", {gif}) << QStringList{Damaged} << QStringList{"Old"};
        QTest::newRow("piece that is not a picture")
            << MakePack("Farm|cow.gif|pig.bmp", {gif, "BM"}) << QStringList{Damaged}
            << QStringList{"Old"};
        QTest::newRow("empty last piece") << MakePack("Farm|cow.gif|z.gif", {gif, ""})
                                          << QStringList{Damaged} << QStringList{"Old"};
        const QByteArray jpeg = testing::JpegBytes(60, 60);
        QTest::newRow("JPEG cut in half")
            << MakePack("Farm|cow.gif|pig.jpg", {gif, jpeg.left(jpeg.size() / 2)})
            << QStringList{Damaged} << QStringList{"Old"};
        QTest::newRow("picture too large")
            << MakePack("Farm|cow.gif|wide.bmp", {gif, testing::BmpBytes(4097, 1)})
            << QStringList{TooLarge} << QStringList{"Old"};
        QTest::newRow("twin pictures") << MakePack("Farm|snail.gif|snail.bmp", {gif, bmp})
                                       << QStringList{Twins} << QStringList{"Old"};
        QTest::newRow("hidden picture") << MakePack("Farm|cow.gif|.snail.bmp", {gif, bmp})
                                        << QStringList{Unlisted} << QStringList{"Old"};
        QTest::newRow("cancelled dialog") << QByteArray() << QStringList() << QStringList{"Old"};
    }

    void install() {
        QFETCH(QByteArray, pack);
        QFETCH(QStringList, messages);
        QFETCH(QStringList, booksAfter);
        const bool succeeds = messages == QStringList{Success};

        testing::ProgramFolder program;
        QVERIFY(MakeOldBook(program));
        const QString packFile = program.file("download.tvp");
        if (!pack.isEmpty()) WriteFile(packFile, pack);

        Forms::frmOpen().Load(); // the chooser that showed the importer

        DialogAnswerer answerer(pack.isEmpty() ? QString() : packFile);
        bool stayedOpen = false;
        QVERIFY(testing::whileModal([] { form().Show(true); },
                                    [&] {
                                        testing::click(form().lButton[1], {3, 3});
                                        stayedOpen = form().Visible();
                                        if (stayedOpen) testing::click(form().lButton[2], {3, 3});
                                    }));
        QCOMPARE(answerer.fileDialogs, 1);
        QCOMPARE(answerer.filters.size(), 1);
        QVERIFY(answerer.filters[0].startsWith("The Tintavale image pack (*.tvp)"));
        QCOMPARE(answerer.messages, messages);
        QCOMPARE(stayedOpen, !succeeds);
        QCOMPARE(Forms::frmOpen().IsLoaded(), !succeeds);
        QVERIFY(!QGuiApplication::overrideCursor()); // the wait cursor went with the install
        // Hidden entries too: no staging folder is left behind.
        QCOMPARE(
            QDir(program.file("books")).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot),
            booksAfter);
        QCOMPARE(QDir(program.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).size(),
                 pack.isEmpty() ? 1 : 2); // books and the pack, nothing beside them
        if (QTest::currentDataTag() == QByteArray("good pack")) {
            QFile cow(program.file("books/Farm/cow.gif"));
            QVERIFY(cow.open(QIODevice::ReadOnly));
            QCOMPARE(cow.readAll(), testing::TinyGif() + "\r\n");
        }
        Forms::frmOpen().Unload();
    }

    // The pack is too large for the files a kiosk's limit allows: the import fails as on a
    // full disk, the parents are told, and nothing stays of it, hidden staging included.
    void sizeLimitTellsTheParents() {
        testing::ProgramFolder program;
        QVERIFY(MakeOldBook(program));
        const QString packFile = program.file("download.tvp");
        const QByteArray pack =
            MakePack("Farm|cow.gif|pig.bmp", {testing::TinyGif(), testing::BmpBytes(80, 60)});
        WriteFile(packFile, pack);

        const QString told =
            testing::RunUnderSizeLimit(4096, {"--import", program.path(), packFile});
        QCOMPARE(told, DiskFull);
        QCOMPARE(QDir(program.file("books"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"Old"});
        QCOMPARE(
            QDir(program.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            (QStringList{"books", "download.tvp"}));
        QFile kept(packFile);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), pack);
    }

    // Each way an install can fail, in the words the parents read: a cause is stated once.
    void failureTexts_data() {
        using PicturePack::Outcome;
        using PicturePack::WriteFailure;
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("cause");
        QTest::addColumn<QString>("text");
        QTest::newRow("damaged") << int(Outcome::Damaged) << int(WriteFailure::Unknown) << Damaged;
        QTest::newRow("too large")
            << int(Outcome::TooLarge) << int(WriteFailure::Unknown) << TooLarge;
        QTest::newRow("disk full")
            << int(Outcome::CannotWrite) << int(WriteFailure::DiskFull) << DiskFull;
        QTest::newRow("books folder not writable")
            << int(Outcome::CannotWrite) << int(WriteFailure::FolderNotWritable)
            << "The pictures could not be written to the picture library. The books folder "
               "'/p/books' cannot be written to.";
        QTest::newRow("cause unknown")
            << int(Outcome::CannotWrite) << int(WriteFailure::Unknown)
            << "The pictures could not be written to the picture library. The disk may be full, "
               "or the books folder '/p/books' may not be writable.";
        QTest::newRow("a file the library would not show")
            << int(Outcome::Unlisted) << int(WriteFailure::Unknown) << Unlisted;
        QTest::newRow("two pictures sharing a coloured copy")
            << int(Outcome::Twins) << int(WriteFailure::Unknown) << Twins;
    }
    void failureTexts() {
        QFETCH(int, kind);
        QFETCH(int, cause);
        QFETCH(QString, text);
        PicturePack::Result result;
        result.Kind = PicturePack::Outcome(kind);
        result.Cause = PicturePack::WriteFailure(cause);
        QCOMPARE(ImportFailureText(result, "/p/books/"), text);
    }

    void downloadPage_data() {
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("a browser") << true << QStringList();
        QTest::newRow("no browser")
            << false
            << QStringList{"The page for downloading pictures could not be opened. There may be "
                           "no web browser on this computer. To download pictures, visit "
                           "https://www.example.org/thetintavale/downloads_pp.htm with a web "
                           "browser."};
    }
    void downloadPage() {
        QFETCH(bool, opens);
        QFETCH(QStringList, told);
        QList<QUrl> opened;
        bool importerGone = false;
        vb::SetShellOpener([&](const QUrl& url) {
            importerGone = !form().IsLoaded();
            opened << url;
            return opens;
        });
        DialogAnswerer answerer{QString()};
        QVERIFY(testing::whileModal([] { form().Show(true); },
                                    [] {
                                        testing::click(form().lButton[0], {3, 3});
                                    }));
        QCOMPARE(opened,
                 QList<QUrl>{QUrl("https://www.example.org/thetintavale/downloads_pp.htm")});
        QVERIFY(importerGone); // unloaded before the browser opens
        QCOMPARE(answerer.messages, told);
    }

    void cancelAndHelp() {
        testing::ProgramFolder program; // without a help file
        DialogAnswerer answerer{QString()};
        form().lButton_Click(3);
        QCOMPARE(answerer.messages, QStringList{"Unable to start the help file '" + program.path() +
                                                "/Help.chm'. Please make sure that it exists."});
        QVERIFY(form().IsLoaded());
        QVERIFY(testing::whileModal([] { form().Show(true); },
                                    [] {
                                        testing::click(form().lButton[2], {3, 3});
                                    }));
        QVERIFY(!form().IsLoaded());
    }
};

// The child of sizeLimitTellsTheParents: starts as the program does, adds the pack through
// the window and prints the parents' messages.
int ImportChild(int argc, char** argv) {
    vb::LetWritesFailAtSizeLimit();
    QApplication app(argc, argv);
    vb::SetAppPath(QString::fromLocal8Bit(argv[2]));
    Forms::frmOpen().Load();
    DialogAnswerer answerer(QString::fromLocal8Bit(argv[3]));
    QTimer::singleShot(0, [] {
        testing::click(form().lButton[1], {3, 3});
        if (form().Visible()) testing::click(form().lButton[2], {3, 3});
    });
    form().Show(true);
    std::fputs(answerer.messages.join('|').toUtf8().constData(), stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 4 && qstrcmp(argv[1], "--import") == 0) return ImportChild(argc, argv);
    QApplication app(argc, argv);
    TestFrmImport test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_frmImport.moc"
