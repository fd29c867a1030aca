// The parents' function buttons: quit, About, options, save as JPEG and print.

#include "JpegFileName.h"
#include "LoadedMain.h"
#include "Printing.h"
#include "frmMessage.h"
#include "frmOpen.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "frmSplash.h"
#include "pButton.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QPainter>
#include <QPrintDialog>
#include <QSpinBox>
#include <QTimer>
#include <QtTest>

using namespace vb;
using testing::LoadedMain;

namespace {

QString addPicture(LoadedMain& rig) {
    QDir(rig.folder.path()).mkpath(QStringLiteral("books/farm"));
    const QString path = rig.folder.file(QStringLiteral("books/farm/cat.bmp"));
    QImage img(300, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(QPen(Qt::black, 2));
    p.drawRect(20, 20, 100, 100);
    p.end();
    if (!img.save(path, "BMP")) qFatal("cannot write a picture");
    return path;
}

// Plays the parent at every modal window: answers the message window (with the password
// when asked, or Cancel), the chooser, the About window, the options window, the file and
// print dialogs, and the parent message.
class Parent : public QObject {
public:
    bool ok = true;
    QString password = QStringLiteral("pw");
    QString saveAs; // typed into the save dialog; empty: cancel it
    bool replace = true; // the answer when the save dialog asks to replace a file
    bool printOk = true;
    int copies = 1;
    QString pdfFile;
    bool optionsOk = true;
    QStringList seen;
    bool timerRanDuringAbout = false;

    Parent() {
        connect(&timer_, &QTimer::timeout, this, &Parent::answer);
        timer_.start(10);
        // A timer of its own: the save dialog asks while the other timer's answer to the
        // dialog is still running, and a timer never fires inside its own handler.
        connect(&questionTimer_, &QTimer::timeout, this, &Parent::answerQuestion);
        questionTimer_.start(10);
    }

private:
    void answer() {
        FrmMain& m = Forms::FrmMain();
        if (Forms::frmMessage().IsLoaded() && Forms::frmMessage().Visible()) {
            frmMessage& m = Forms::frmMessage();
            if (!ok) {
                seen << "message";
                m.cOut2_click();
                return;
            }
            // OK without a password closes a plain confirmation; a locked function keeps
            // the window open and wants the password.
            m.Text1->clear();
            m.cOut1_click();
            if (!m.Visible()) {
                seen << "message";
                return;
            }
            seen << "password";
            m.Text1->setText(password);
            m.cOut1_click();
        } else if (Forms::frmSplash().IsLoaded() && Forms::frmSplash().Visible()) {
            seen << "about";
            timerRanDuringAbout = m.Timer1->Enabled();
            Forms::frmSplash().Unload();
        } else if (Forms::frmParental().IsLoaded() && Forms::frmParental().Visible()) {
            seen << "options";
            if (optionsOk) {
                Forms::frmParental().Text1->setText(QStringLiteral("pw"));
                Forms::frmParental().Lab_Click(0);
            } else {
                Forms::frmParental().Lab_Click(1);
            }
        } else if (Forms::frmParentMessage().IsLoaded() && Forms::frmParentMessage().Visible()) {
            seen << "parent message";
            Forms::frmParentMessage().lContinue_Click();
        } else if (auto* files = visible<QFileDialog>()) {
            seen << "save dialog";
            if (saveAs.isEmpty()) {
                files->reject();
            } else {
                // Typed as the parents would: selectFile() leaves a focused name box alone.
                files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(saveAs);
                QMetaObject::invokeMethod(files, "accept");
            }
        } else if (auto* print = visible<QPrintDialog>()) {
            seen << "print dialog";
            if (printOk) {
                // The dialog hands its own fields to the printer: fill them in as the
                // parents would.
                if (auto* file = print->findChild<QLineEdit*>(QStringLiteral("filename")))
                    file->setText(pdfFile);
                if (auto* count = print->findChild<QSpinBox*>(QStringLiteral("copies")))
                    count->setValue(copies);
                print->accept();
            } else {
                print->reject();
            }
        }
    }
    void answerQuestion() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        // The save dialog's own question; a "No" leaves the dialog open: cancel it.
        seen << "replace? " + box->text();
        if (!replace) saveAs.clear();
        box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
    }
    template <typename T> T* visible() {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return t;
        return nullptr;
    }
    QTimer timer_;
    QTimer questionTimer_;
};

void openPicture(LoadedMain& rig) {
    rig.chooser.file = addPicture(rig);
    rig.m.c_click(0);
    if (!rig.m.P->Visible()) qFatal("the picture did not open");
}

int pdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray pdf = f.readAll();
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page ") + pdf.count("/Type /Page/") +
               pdf.count("/Type /Page>"));
}

} // namespace

class TestFunctions : public QObject {
    Q_OBJECT
private slots:
    void fitRect_data() {
        QTest::addColumn<QSize>("box");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("fit");
        QTest::newRow("landscape on a portrait page")
            << QSize(4800, 6400) << QSize(800, 600) << QRect(0, 1400, 4800, 3600);
        QTest::newRow("portrait of the page's proportions fills it")
            << QSize(4800, 6400) << QSize(600, 800) << QRect(0, 0, 4800, 6400);
        QTest::newRow("tall and thin: height first, centred across")
            << QSize(4800, 6400) << QSize(100, 800) << QRect(2000, 0, 800, 6400);
        QTest::newRow("halves to even")
            << QSize(101, 100) << QSize(100, 100) << QRect(0, 0, 100, 100);
    }
    void fitRect() {
        QFETCH(QSize, box);
        QFETCH(QSize, picture);
        QFETCH(QRect, fit);
        int32_t l = 0, t = 0, w = 0, h = 0;
        Forms::FrmMain().GetFitRect(box.width(), box.height(), picture.width(), picture.height(), l,
                                    t, w, h);
        QCOMPARE(QRect(l, t, w, h), fit);
    }

    void jpegName_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "picture"
                                      << "picture.jpg";
        QTest::newRow(".jpg") << "picture.jpg"
                              << "picture.jpg";
        QTest::newRow(".jpeg") << "picture.jpeg"
                               << "picture.jpeg";
        QTest::newRow("upper case is no match") << "picture.JPG"
                                                << "picture.JPG.jpg";
    }
    void jpegName() {
        QFETCH(QString, typed);
        QFETCH(QString, saved);
        QCOMPARE(JpegFileName(typed), saved);
    }

    void quit_data() {
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("ends");
        QTest::newRow("free: a confirmation, then the end")
            << QByteArray("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n") << true << "message" << true;
        QTest::newRow("locked: the password, then the end")
            << QByteArray("pw\r\n 0 \r\n 0 \r\n 0 \r\n4\r\n") << true << "password" << true;
        QTest::newRow("locked: cancel goes back to colouring")
            << QByteArray("pw\r\n 0 \r\n 0 \r\n 0 \r\n4\r\n") << false << "message" << false;
    }
    void quit() {
        QFETCH(QByteArray, settings);
        QFETCH(bool, ok);
        QFETCH(QString, asked);
        QFETCH(bool, ends);
        LoadedMain rig(settings);
        Parent parent;
        openPicture(rig);
        rig.m.P->PSet(30, 30, 0x0000FF); // coloured, so there is something to save
        const QString copy = rig.folder.file("colored pictures/farm/cat.jpg");
        QFile::remove(copy);
        parent.ok = ok;
        parent.seen.clear();
        rig.m.pFunc_Click(0);
        QCOMPARE(parent.seen.value(0), asked);
        QCOMPARE(rig.ends.count() > 0, ends);
        QCOMPARE(QFileInfo::exists(copy), ends); // saved before the end
        if (!ends) QVERIFY(rig.m.Timer1->Enabled());
    }

    void closeRequest_data() {
        const QByteArray free("pw\r\n 1 \r\n 0 \r\n 0 \r\n4\r\n");
        const QByteArray locked("pw\r\n 0 \r\n 0 \r\n 0 \r\n4\r\n");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<bool>("overAModal"); // another window holds the input
        QTest::addColumn<bool>("ends");
        QTest::newRow("free: saved, then the end, nothing asked") << free << false << true;
        QTest::newRow("locked: refused") << locked << false << false;
        QTest::newRow("free, over the parents' message: refused") << free << true << false;
    }
    void closeRequest() {
        QFETCH(QByteArray, settings);
        QFETCH(bool, overAModal);
        QFETCH(bool, ends);
        LoadedMain rig(settings);
        Parent parent;
        openPicture(rig);
        for (int y = 26; y <= 34; ++y)
            for (int x = 26; x <= 34; ++x) rig.m.P->PSet(x, y, 0x0000FF); // red
        rig.m.Tool = 2;
        rig.m.UndoIndex = 1;
        const QImage before = rig.m.P->Image().image();
        const QString copy = rig.folder.file("colored pictures/farm/cat.jpg");
        QFile::remove(copy);
        parent.seen.clear();
        if (overAModal) {
            frmParentMessage& pm = Forms::frmParentMessage();
            pm.setMessage("hello");
            QVERIFY(testing::whileModal([&] { pm.Show(true); },
                                        [&] {
                                            rig.m.Me()->close();
                                            pm.lContinue_Click();
                                        }));
        } else {
            rig.m.Me()->close();
        }
        QCoreApplication::processEvents();
        QCOMPARE(parent.seen, QStringList());
        QCOMPARE(rig.ends.count(), int(ends));
        QCOMPARE(QFileInfo::exists(copy), ends); // saved before the end
        if (ends) {
            QVERIFY(QImage(copy).pixelColor(30, 30).green() < 100);
            return;
        }
        QVERIFY(rig.m.IsLoaded() && rig.m.P->Visible());
        QCOMPARE(rig.m.P->Image().image(), before);
        QCOMPARE(rig.m.Tool, 2);
        QCOMPARE(rig.m.UndoIndex, 1);
    }

    void aboutBehindThePassword() {
        LoadedMain rig;
        Parent parent;
        rig.m.Timer1->setEnabled(true);
        rig.m.pFunc_Click(3);
        QCOMPARE(parent.seen, QStringList({"password", "about"}));
        QVERIFY(!parent.timerRanDuringAbout);
        QVERIFY(rig.m.Timer1->Enabled());
    }

    void optionsConfirmedWithAPictureOpen() {
        LoadedMain rig;
        Parent parent;
        openPicture(rig);
        rig.m.pTool_MouseUp(2);
        rig.m.c_MouseDown(3, 1, 0, 1, 1);
        rig.m.c_MouseUp(3); // crazy colours on
        QCOMPARE(rig.m.ColorJitter, 120);
        testing::press(rig.m.P, QPoint(50, 50));
        testing::release(rig.m.P, QPoint(50, 50));
        QCOMPARE(rig.m.UndoIndex, 0);
        rig.m.pFunc_Click(4);
        QCOMPARE(parent.seen, QStringList({"password", "options"}));
        QCOMPARE(rig.m.Tool, 0);
        QCOMPARE(rig.m.ColorJitter, 10);
        QVERIFY(!rig.m.c[3]->Pressed());
        for (pButton* b : rig.m.c) QVERIFY(b->Enabled());
        for (pButton* t : rig.m.pTool) QVERIFY(t->Enabled());
        QVERIFY(rig.m.pTool[0]->Pressed());
        QVERIFY(rig.m.P->Visible()); // the picture stays open
    }

    void optionsConfirmedRightAfterOpeningKeepsUndoOff() {
        LoadedMain rig;
        Parent parent;
        openPicture(rig);
        rig.m.pFunc_Click(4);
        QVERIFY(!rig.m.c[2]->Enabled());
        QVERIFY(rig.m.c[1]->Enabled());
    }

    void optionsBeforeAnyPictureOrCancelled() {
        LoadedMain rig;
        Parent parent;
        rig.m.pFunc_Click(4);
        QVERIFY(rig.m.c[0]->Enabled());
        for (int i = 1; i < 4; ++i) QVERIFY(!rig.m.c[i]->Enabled());
        for (pButton* t : rig.m.pTool) QVERIFY(!t->Enabled());

        openPicture(rig);
        rig.m.pTool_MouseUp(1);
        parent.optionsOk = false;
        rig.m.pFunc_Click(4);
        QCOMPARE(rig.m.Tool, 1);
        QVERIFY(rig.m.pTool[1]->Pressed());
    }

    void saveAs() {
        LoadedMain rig;
        Parent parent;
        openPicture(rig);
        // Cancelled dialog: nothing written, the window takes input again.
        rig.m.pFunc_Click(1);
        QVERIFY(parent.seen.contains("save dialog"));
        QVERIFY(rig.m.Me()->isEnabled());
        QVERIFY(rig.m.Timer1->Enabled());
        // A name without extension gets ".jpg"; no scratch file stays behind.
        parent.saveAs = rig.folder.file("mine");
        rig.m.pFunc_Click(1);
        QImage saved(rig.folder.file("mine.jpg"));
        QCOMPARE(saved.size(), QSize(300, 200));
        QVERIFY(!QFileInfo::exists(rig.folder.file("temp.bmp")));
        QVERIFY(!parent.seen.contains("parent message"));
        // A target that cannot be written: the parents hear of it once, colouring goes on.
        parent.seen.clear();
        parent.saveAs = QStringLiteral("/proc/picture.jpg"); // a folder nothing can be written to
        rig.m.pFunc_Click(1);
        QCOMPARE(parent.seen.count("parent message"), 1);
        QVERIFY(rig.m.Me()->isEnabled());
        QVERIFY(rig.m.Timer1->Enabled());
    }

    // Names up to the folder's limit are saved; a name that ".jpg" makes an existing
    // file's is asked about first, and a "No" keeps the parent's file.
    void saveAsNames_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("exists"); // `written` is there before, holding other bytes
        QTest::addColumn<bool>("replace");
        const QString p251(251, 'p');
        QTest::newRow("255 bytes typed in full") << p251 + ".jpg" << p251 + ".jpg" << false << true;
        QTest::newRow("251 bytes, .jpg added") << p251 << p251 + ".jpg" << false << true;
        QTest::newRow("240 bytes") << QString(240, 'q') << QString(240, 'q') + ".jpg" << false
                                   << true;
        QTest::newRow("taken once .jpg is added, replaced") << "mine" << "mine.jpg" << true << true;
        QTest::newRow("taken once .jpg is added, kept") << "mine" << "mine.jpg" << true << false;
    }
    void saveAsNames() {
        QFETCH(QString, typed);
        QFETCH(QString, written);
        QFETCH(bool, exists);
        QFETCH(bool, replace);
        LoadedMain rig;
        Parent parent;
        openPicture(rig);
        const QString target = rig.folder.file(written);
        const QByteArray old = "the parent's own file";
        if (exists) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        }
        parent.saveAs = rig.folder.file(typed);
        parent.replace = replace;
        QVERIFY(testing::whileModal([&] { rig.m.pFunc_Click(1); }, [] {}, 20000));
        const QStringList asked = parent.seen.filter("replace? ");
        QCOMPARE(asked, exists ? QStringList{"replace? " + written +
                                             " already exists.\nDo you want to replace it?"}
                               : QStringList());
        QVERIFY(!parent.seen.contains("parent message"));
        if (exists && !replace) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), old);
        } else {
            QCOMPARE(QImage(target, "JPEG").size(), QSize(300, 200));
        }
        QVERIFY(rig.m.Me()->isEnabled());
        QVERIFY(rig.m.Timer1->Enabled());
    }

    void printOnePagePerCopy_data() {
        QTest::addColumn<int>("copies");
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("pages");
        QTest::newRow("one copy") << 1 << true << 1;
        QTest::newRow("three copies, three pages") << 3 << true << 3;
        QTest::newRow("cancelled") << 2 << false << -1;
    }
    void printOnePagePerCopy() {
        QFETCH(int, copies);
        QFETCH(bool, accept);
        QFETCH(int, pages);
        LoadedMain rig;
        Parent parent;
        openPicture(rig);
        const QString pdf = rig.folder.file("out.pdf");
        CurrentPrinter().setOutputFormat(QPrinter::PdfFormat);
        CurrentPrinter().setOutputFileName(pdf);
        parent.copies = copies;
        parent.pdfFile = pdf;
        parent.printOk = accept;
        parent.seen.clear();
        rig.m.pFunc_Click(2);
        QVERIFY(parent.seen.contains("print dialog"));
        QCOMPARE(pdfPages(pdf), pages);
        QCOMPARE(QFileInfo::exists(rig.folder.file("tmp.bmp")), accept);
        QVERIFY(rig.m.Timer1->Enabled());
        QVERIFY(!parent.seen.contains("message")); // no error message
    }
};

QTEST_MAIN(TestFunctions)
#include "tst_functions.moc"
