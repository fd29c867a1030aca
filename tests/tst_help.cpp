// The help viewer and the help opener: topics of the staged Help.chm with their titles,
// pages, pictures and links, the cases that open nothing, which window shows a second
// topic, closing without a window manager, and the parents' message when the help file is
// missing.

#include "ChmFile.h"
#include "HelpWindow.h"
#include "HtmlHelp.h"
#include "Shell.h"
#include "ShowHelpTopic.h"
#include "TestSupport.h"
#include "frmParentMessage.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextBlock>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <cstdio>

using namespace vb;

namespace {

const QString kStagedHelp = QStringLiteral(TV_PROGRAM_DIR "/Help.chm");

HelpWindow* windowOf(intptr_t handle) {
    return reinterpret_cast<HelpWindow*>(handle);
}

QList<HelpWindow*> openHelpWindows() {
    QList<HelpWindow*> out;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* h = qobject_cast<HelpWindow*>(w); h && h->isVisible()) out << h;
    return out;
}

void closeHelpWindows() {
    for (HelpWindow* h : openHelpWindows()) h->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

class TestHelp : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY2(QFile::exists(kStagedHelp), qPrintable(kStagedHelp)); }
    void cleanup() {
        closeHelpWindows();
        SetShellOpener(nullptr);
    }

    void contentsOfASitemap() {
        const QByteArray hhc =
            "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"X\" value=\"1\">"
            "</OBJECT><UL>\n"
            "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Start\">"
            "<param name=\"Local\" value=\"index.htm\"></OBJECT>\n"
            "<li><object type=\"text/sitemap\"><PARAM NAME=\"name\" VALUE=\"Mum &amp; Dad\">"
            "</object>\n<ul><li><object type=\"text/sitemap\"><param name=\"Name\" "
            "value=\"Packs\"><param name=\"Local\" value=\"new pictures.htm#two\"></object>"
            "</ul>\n<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Licence\">"
            "<param name=\"Local\" value=\"a/l.htm\"></OBJECT></UL></BODY></HTML>";
        const std::vector<ContentsEntry> e = ParseContents(hhc);
        QCOMPARE(int(e.size()), 4);
        const QStringList names{e[0].Name, e[1].Name, e[2].Name, e[3].Name};
        QCOMPARE(names, QStringList({"Start", "Mum & Dad", "Packs", "Licence"}));
        QCOMPARE(e[1].Local, QString());
        QCOMPARE(e[2].Local, QString("new pictures.htm#two"));
        QCOMPARE(QList<int>({e[0].Level, e[1].Level, e[2].Level, e[3].Level}),
                 QList<int>({0, 0, 1, 0}));
    }

    void topicsOfTheStagedHelpFile_data() {
        QTest::addColumn<QString>("topic");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("title");
        auto row = [](const char* name, const char* topic, const char* page, const char* title) {
            QTest::newRow(name) << QString(topic) << QString(page) << QString(title);
        };
        row("licence", "license_agreement.htm", "license_agreement.htm", "License agreement");
        row("name with a blank", "new pictures.htm", "new pictures.htm", "Adding new pictures");
        row("no topic: the start page", "", "index.htm", "Welcome to The Tintavale");
        row("any case, leading slash, anchor", "/NEW PICTURES.HTM#x", "NEW PICTURES.HTM",
            "Adding new pictures");
    }
    void topicsOfTheStagedHelpFile() {
        QFETCH(QString, topic);
        QFETCH(QString, page);
        QFETCH(QString, title);
        const intptr_t h = HtmlHelpA(nullptr, kStagedHelp, HH_DISPLAY_TOPIC, topic);
        QVERIFY(h != 0);
        HelpWindow* w = windowOf(h);
        QCOMPARE(openHelpWindows(), QList<HelpWindow*>{w});
        QCOMPARE(w->windowTitle(), title);
        QCOMPARE(w->Topic(), page);
        QVERIFY(w->Browser()->toPlainText().contains(title));
        // Every page of the file is listed in the contents; the one shown is marked.
        QCOMPARE(w->Contents()->topLevelItemCount(), 3);
        QVERIFY(w->Contents()->currentItem());
        QCOMPARE(w->Contents()->currentItem()->text(0), title);
    }

    void nothingOpens_data() {
        QTest::addColumn<QString>("file"); // staged, missing, text, truncated, empty name
        QTest::addColumn<QString>("topic");
        QTest::addColumn<uint>("command");
        QTest::newRow("missing file") << "missing"
                                      << "index.htm" << 0u;
        QTest::newRow("not a help file") << "text"
                                         << "index.htm" << 0u;
        QTest::newRow("cut off after its header") << "truncated"
                                                  << "index.htm" << 0u;
        QTest::newRow("no file name") << "empty name"
                                      << "index.htm" << 0u;
        QTest::newRow("missing topic") << "staged"
                                       << "no such page.htm" << 0u;
        QTest::newRow("a folder of the file, not a page") << "staged"
                                                          << "images/" << 0u;
        QTest::newRow("another command") << "staged"
                                         << "index.htm" << 1u;
    }
    void nothingOpens() {
        QFETCH(QString, file);
        QFETCH(QString, topic);
        QFETCH(uint, command);
        QTemporaryDir dir;
        QString path = kStagedHelp;
        if (file == "missing") path = dir.filePath("Help.chm");
        if (file == "empty name") path.clear();
        if (file == "text") {
            path = dir.filePath("Help.chm");
            writeFile(path, QByteArray("Just words, no help file\n").repeated(100));
        }
        if (file == "truncated") {
            QFile staged(kStagedHelp);
            QVERIFY(staged.open(QIODevice::ReadOnly));
            path = dir.filePath("Help.chm");
            writeFile(path, staged.read(120));
        }
        QCOMPARE(HtmlHelpA(nullptr, path, command, topic), intptr_t(0));
        QVERIFY(openHelpWindows().isEmpty());
    }

    void aSecondTopicForTheSameOwnerUsesTheSameWindow() {
        QWidget owner;
        const intptr_t first = HtmlHelpA(&owner, kStagedHelp, HH_DISPLAY_TOPIC, "index.htm");
        const intptr_t second =
            HtmlHelpA(&owner, kStagedHelp, HH_DISPLAY_TOPIC, "license_agreement.htm");
        QVERIFY(first != 0);
        QCOMPARE(second, first);
        QCOMPARE(windowOf(second)->Topic(), QString("license_agreement.htm"));
        QCOMPARE(windowOf(second)->windowTitle(), QString("License agreement"));
        QVERIFY(windowOf(second)->isWindow());

        // Another owner gets a window of its own; the first one closes.
        QPointer<HelpWindow> old = windowOf(first);
        QWidget other;
        const intptr_t third = HtmlHelpA(&other, kStagedHelp, HH_DISPLAY_TOPIC, "index.htm");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(old.isNull());
        QCOMPARE(openHelpWindows().size(), 1);

        // The help window goes with its owner.
        QPointer<HelpWindow> owned = windowOf(third);
        {
            QWidget temporary;
            HtmlHelpA(&temporary, kStagedHelp, HH_DISPLAY_TOPIC, "index.htm");
            owned = openHelpWindows().value(0);
            QVERIFY(owned);
            QCOMPARE(owned->parentWidget(), &temporary);
        }
        QVERIFY(owned.isNull());
    }

    void closesWithoutAWindowManager_data() {
        QTest::addColumn<bool>("escape"); // else the Close button
        QTest::newRow("Close button") << false;
        QTest::newRow("Escape") << true;
    }
    void closesWithoutAWindowManager() {
        QFETCH(bool, escape);
        QPointer<HelpWindow> w = windowOf(HtmlHelpA(nullptr, kStagedHelp, HH_DISPLAY_TOPIC, ""));
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        if (escape) {
            QTest::keyClick(w, Qt::Key_Escape);
        } else {
            QPushButton* close = nullptr;
            for (QPushButton* b : w->findChildren<QPushButton*>())
                if (b->text() == QLatin1String("Close")) close = b;
            QVERIFY(close && close->isVisible());
            close->click();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(w.isNull());
    }

    void linksAndPicturesResolveInsideTheFile() {
        const QString chmcmd = QStandardPaths::findExecutable("chmcmd");
        if (chmcmd.isEmpty()) QSKIP("chmcmd is not installed");
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("sub");
        QDir(dir.path()).mkpath("images");
        writeFile(dir.filePath("T.hhp"), "[OPTIONS]\r\nCompiled file=T.chm\r\nDefault "
                                         "topic=sub/page.htm\r\nTitle=Fixture\r\n\r\n[FILES]\r\n"
                                         "sub/page.htm\r\nsub/other.htm\r\nimages/dot.png\r\n");
        writeFile(dir.filePath("sub/page.htm"),
                  "<html><head><title>Page</title></head><body><img src=\"../images/dot.png\">"
                  "<a href=\"other.htm\">other</a> <a href=\"https://example.org/\">web</a>"
                  "</body></html>");
        writeFile(dir.filePath("sub/other.htm"), "<html><body><p>Untitled page</p></body></html>");
        QImage dot(3, 2, QImage::Format_RGB32);
        dot.fill(Qt::red);
        QVERIFY(dot.save(dir.filePath("images/dot.png")));
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(chmcmd, {"--no-html-scan", "T.hhp"});
        QVERIFY(p.waitForFinished(30000));
        QVERIFY(QFile::exists(dir.filePath("T.chm")));

        QList<QUrl> opened;
        SetShellOpener([&](const QUrl& u) {
            opened << u;
            return true;
        });
        const intptr_t h = HtmlHelpA(nullptr, dir.filePath("T.chm"), HH_DISPLAY_TOPIC, "");
        QVERIFY(h != 0);
        HelpWindow* w = windowOf(h);
        QCOMPARE(w->Topic(), QString("sub/page.htm"));
        QCOMPARE(w->windowTitle(), QString("Page"));
        QVERIFY(w->Contents()->isHidden()); // the file has no table of contents
        const QImage img = w->Browser()
                               ->document()
                               ->resource(QTextDocument::ImageResource, QUrl("../images/dot.png"))
                               .value<QImage>();
        QCOMPARE(img.size(), QSize(3, 2));

        // A web address goes to the desktop; the page stays.
        emit w->Browser()->anchorClicked(QUrl("https://example.org/"));
        QCOMPARE(opened, QList<QUrl>{QUrl("https://example.org/")});
        QCOMPARE(w->Topic(), QString("sub/page.htm"));
        // A page that the file lacks leaves the page as it is.
        emit w->Browser()->anchorClicked(QUrl("chm:/sub/none.htm"));
        QCOMPARE(w->Topic(), QString("sub/page.htm"));
        // The link as the browser resolves it against the page.
        emit w->Browser()->anchorClicked(w->Browser()->source().resolved(QUrl("other.htm")));
        QCOMPARE(w->Topic(), QString("sub/other.htm"));
        QCOMPARE(w->windowTitle(), QString("Fixture")); // no title of its own: the file's
    }

    // What the parents read in the viewer when something went wrong, reached by one link
    // from the page the help opens at (the About window's Help): each failure the program
    // can report about adding pictures or saving colors, and the choice it offers.
    void somethingGoesWrongCoversEachFailure_data() {
        QTest::addColumn<QString>("phrase");
        QTest::newRow("damaged pack") << "the file appears to be damaged";
        QTest::newRow("file the library cannot show")
            << "the pack holds a file that the picture library cannot show";
        QTest::newRow("pack too large") << "a picture is too large to color";
        QTest::newRow("too large cannot be used") << "Such a pack cannot be used";
        QTest::newRow("pictures not written")
            << "the pictures could not be written to the picture library";
        QTest::newRow("picture not saved") << "the colored picture could not be saved";
        QTest::newRow("Cancel stays") << "Cancel: the picture stays as it is, with all its colors";
        QTest::newRow("Continue goes on") << "Continue: The Tintavale goes on";
    }
    void somethingGoesWrongCoversEachFailure() {
        QFETCH(QString, phrase);
        const intptr_t h = HtmlHelpA(nullptr, kStagedHelp, HH_DISPLAY_TOPIC, QString());
        QVERIFY(h != 0);
        HelpWindow* w = windowOf(h);
        QCOMPARE(w->Topic(), QString("index.htm"));
        // The link on the start page, followed as a click would.
        QUrl link;
        for (QTextBlock b = w->Browser()->document()->begin(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isAnchor() &&
                    it.fragment().text() == QLatin1String("If something goes wrong"))
                    link = QUrl(it.fragment().charFormat().anchorHref());
        QVERIFY(link.isValid() && !link.isEmpty());
        emit w->Browser()->anchorClicked(w->Browser()->source().resolved(link));
        QCOMPARE(w->windowTitle(), QString("If something goes wrong"));
        const QString text = w->Browser()->toPlainText().simplified();
        QVERIFY2(text.contains(phrase), qPrintable(phrase));
    }

    // The About window's Help (show command 3) fills the screen's work area on a real X
    // display without a window manager, as the program's own screen under scripts/run is.
    void maximisedFillsABareScreen() {
        QProcess xvfb;
        xvfb.start("Xvfb", {"-displayfd", "1", "-noreset", "-screen", "0", "1024x768x24",
                            "-nolisten", "tcp"});
        if (!xvfb.waitForStarted(10000)) QSKIP("Xvfb is not installed");
        QVERIFY(xvfb.waitForReadyRead(20000));
        const QString display = ":" + QString::fromLatin1(xvfb.readLine().trimmed());
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", display);
        env.insert("QT_QPA_PLATFORM", "xcb");
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {"--maximised", kStagedHelp});
        const bool finished = child.waitForFinished(30000);
        xvfb.terminate();
        xvfb.waitForFinished(10000);
        QVERIFY(finished);
        QCOMPARE(child.exitCode(), 0);
        const QStringList lines =
            QString::fromLatin1(child.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], lines[1]); // the window's geometry is the work area's
        QCOMPARE(lines[1], QString("0 0 1024 768"));
    }

    // The parents' page shows the five small buttons in the order they sit on the screen,
    // each the very picture the program draws for it, at its own size.
    void parentsButtonsOnTheirPage() {
        const std::unique_ptr<ChmFile> chm = ChmFile::Open(kStagedHelp);
        QVERIFY(chm);
        const std::optional<QByteArray> page = chm->Read("parents_options.htm");
        QVERIFY(page);
        const QStringList buttons{"pFunc0", "pE0", "pE1", "pFunc3", "pFunc4"};
        QStringList shown;
        const QRegularExpression img("<img\\s[^>]*>", QRegularExpression::CaseInsensitiveOption);
        const auto attribute = [](const QString& tag, const char* name) {
            const QRegularExpression re(QString(" %1=\"([^\"]*)\"").arg(name));
            return re.match(tag).captured(1);
        };
        for (const QRegularExpressionMatch& m : img.globalMatch(QString::fromUtf8(*page))) {
            const QString tag = m.captured();
            const QString src = attribute(tag, "src");
            const std::optional<QByteArray> bytes = chm->Read(src);
            QVERIFY2(bytes, qPrintable(src));
            const QImage picture = QImage::fromData(*bytes).convertToFormat(QImage::Format_RGB32);
            QVERIFY2(!picture.isNull(), qPrintable(src));
            QCOMPARE(QSize(attribute(tag, "width").toInt(), attribute(tag, "height").toInt()),
                     picture.size());
            QString which = src;
            for (const QString& b : buttons)
                if (picture ==
                    QImage(":/design/" + b + ".bmp").convertToFormat(QImage::Format_RGB32))
                    which = b;
            shown << which;
        }
        QCOMPARE(shown, buttons);
    }

    void showHelpTopic_data() {
        QTest::addColumn<bool>("helpFileThere");
        QTest::newRow("Help.chm in the program folder") << true;
        QTest::newRow("Help.chm missing") << false;
    }
    void showHelpTopic() {
        QFETCH(bool, helpFileThere);
        testing::ProgramFolder folder;
        if (helpFileThere) QVERIFY(QFile::copy(kStagedHelp, folder.file("Help.chm")));
        testing::MessageReader parent;
        QWidget owner;
        ShowHelpTopic(&owner, QStringLiteral("new pictures.htm"));
        const QList<HelpWindow*> open = openHelpWindows();
        if (helpFileThere) {
            QVERIFY(parent.seen.isEmpty());
            QCOMPARE(open.size(), 1);
            QCOMPARE(open[0]->parentWidget(), &owner);
            QCOMPARE(open[0]->Topic(), QString("new pictures.htm"));
        } else {
            QVERIFY(open.isEmpty());
            QCOMPARE(parent.seen, QStringList{"Unable to start the help file '" + folder.path() +
                                              "/Help.chm'. Please make sure that it exists."});
            QVERIFY(!Forms::frmParentMessage().IsLoaded());
        }
    }
};

// The child of maximisedFillsABareScreen: opens the help as the About window does, and
// once the window is on the screen prints its geometry and the work area's.
int MaximisedChild(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget* w = windowOf(HtmlHelpA(nullptr, QString::fromLocal8Bit(argv[2]), HH_DISPLAY_TOPIC,
                                    QString(), SW_SHOWMAXIMIZED));
    if (!w || !QTest::qWaitForWindowExposed(w, 20000)) return 2;
    const auto print = [](const QRect& r) {
        std::printf("%d %d %d %d\n", r.x(), r.y(), r.width(), r.height());
    };
    print(w->geometry());
    print(w->screen()->availableGeometry());
    return 0;
}

int main(int argc, char** argv) {
    if (argc == 3 && qstrcmp(argv[1], "--maximised") == 0) return MaximisedChild(argc, argv);
    QApplication app(argc, argv);
    TestHelp test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_help.moc"
