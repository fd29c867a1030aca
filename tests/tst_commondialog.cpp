// The common dialogs: filter conversion and entries, the flags each dialog runs with,
// what comes back after a choice and after a cancel, and the custom colours.

#include "GCommonDialog.h"
#include "JpegFileName.h"
#include "TestSupport.h"

#include <QApplication>
#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QChar N(u'\0');

QString nul(const char* text) {
    return QString::fromLatin1(text).replace(u'~', N);
}

template <typename Dialog> Dialog* modal() {
    return qobject_cast<Dialog*>(QApplication::activeModalWidget());
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void touch(const QString& path) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
}

} // namespace

class TestCommonDialog : public QObject {
    Q_OBJECT
private slots:
    // "~" stands for NUL in the expected texts.
    void filterConversion_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("converted");
        // The text's own terminating NUL makes the third one the platform sees.
        QTest::newRow("jpeg") << "Jpeg file (*.jpg)|*.jpg" << nul("Jpeg file (*.jpg)~*.jpg~~");
        QTest::newRow("default") << "All (*.*)| *.*" << nul("All (*.*)~ *.*~~");
        QTest::newRow("colon splits a description")
            << "Pack: tvp|*.tvp" << nul("Pack~ tvp~*.tvp~~");
        QTest::newRow("empty") << "" << nul("~~");
    }
    void filterConversion() {
        QFETCH(QString, filter);
        QFETCH(QString, converted);
        QCOMPARE(GCommonDialog::ConvertFilter(filter), converted);
    }

    void filterEntries_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("entry");
        const QString two = nul("A~*.a~B~*.b~~");
        QTest::newRow("first") << two << 1 << nul("A~*.a");
        QTest::newRow("second") << two << 2 << nul("B~*.b");
        QTest::newRow("past the end") << two << 4 << QString();
        QTest::newRow("zero") << two << 0 << QString();
        QTest::newRow("empty filter") << QString() << 1 << QString();
    }
    void filterEntries() {
        QFETCH(QString, filter);
        QFETCH(int, n);
        QFETCH(QString, entry);
        QCOMPARE(GCommonDialog::FilterEntry(filter, n), entry);
    }

    void nameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("jpeg") << "Jpeg file (*.jpg)|*.jpg"
                              << QStringList{"Jpeg file (*.jpg) (*.jpg)"};
        QTest::newRow("*.* is every file") << "All (*.*)| *.*" << QStringList{"All (*.*) (*)"};
        QTest::newRow("several patterns")
            << "Pictures|*.gif;*.bmp; *.jpg|Packs|*.tvp"
            << QStringList{"Pictures (*.gif *.bmp *.jpg)", "Packs (*.tvp)"};
        QTest::newRow("empty description ends the list") << "|*.x|B|*.b" << QStringList{};
        QTest::newRow("description without pattern") << "A|*.a|B" << QStringList{"A (*.a)"};
    }
    void nameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, names);
        QCOMPARE(GCommonDialog::NameFilters(GCommonDialog::ConvertFilter(filter)), names);
    }

    void openFlags_data() {
        QTest::addColumn<bool>("mustExist");
        QTest::addColumn<bool>("multi");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<bool>("hideReadOnly");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("expected");
        QTest::newRow("defaults") << true << false << false << false << 0 << 0x1000;
        QTest::newRow("hook and template stripped")
            << true << false << false << false << 0x68 << 0x1008;
        QTest::newRow("all switches") << true << true << true << true << 0 << 0x1205;
    }
    void openFlags() {
        QFETCH(bool, mustExist);
        QFETCH(bool, multi);
        QFETCH(bool, readOnly);
        QFETCH(bool, hideReadOnly);
        QFETCH(int, flags);
        QFETCH(int, expected);
        GCommonDialog::OpenFileArgs a;
        a.FileMustExist = mustExist;
        a.MultiSelect = multi;
        a.ReadOnly = readOnly;
        a.HideReadOnly = hideReadOnly;
        a.flags = flags;
        QCOMPARE(GCommonDialog::OpenFlags(a), expected);
    }

    void saveFlags_data() {
        QTest::addColumn<bool>("prompt");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("expected");
        QTest::newRow("defaults") << true << 0 << 0x6;
        QTest::newRow("hook and template stripped") << true << 0x60 << 0x6;
        QTest::newRow("no prompt, caller's bit kept") << false << 0x800 << 0x804;
    }
    void saveFlags() {
        QFETCH(bool, prompt);
        QFETCH(int, flags);
        QFETCH(int, expected);
        GCommonDialog::SaveFileArgs a;
        a.OverWritePrompt = prompt;
        a.flags = flags;
        QCOMPARE(GCommonDialog::SaveFlags(a), expected);
    }

    void cancelledDialogsEmptyTheirOutputs_data() {
        QTest::addColumn<bool>("save");
        QTest::addColumn<int>("filterIndex");
        QTest::newRow("open") << false << -1;
        QTest::newRow("save") << true << 0;
    }
    void cancelledDialogsEmptyTheirOutputs() {
        QFETCH(bool, save);
        QFETCH(int, filterIndex);
        GCommonDialog d;
        bool result = true;
        QWidget* parent = reinterpret_cast<QWidget*>(1);
        auto cancel = [&] {
            if (auto* dlg = modal<QFileDialog>()) {
                parent = dlg->parentWidget();
                dlg->reject();
            }
        };
        QString fileName, fileTitle, filter;
        int32_t index = 0, flags = 0;
        if (save) {
            GCommonDialog::SaveFileArgs a;
            a.FileName = "x.jpg", a.FileTitle = "x", a.flags = 5;
            QVERIFY(testing::whileModal([&] { result = d.VBGetSaveFileName(a); }, cancel));
            fileName = a.FileName, fileTitle = a.FileTitle, filter = a.Filter;
            index = a.FilterIndex, flags = a.flags;
        } else {
            GCommonDialog::OpenFileArgs a;
            a.FileName = "x.tvp", a.FileTitle = "x", a.flags = 5;
            QVERIFY(testing::whileModal([&] { result = d.VBGetOpenFileName(a); }, cancel));
            fileName = a.FileName, fileTitle = a.FileTitle, filter = a.Filter;
            index = a.FilterIndex, flags = a.flags;
        }
        QVERIFY(!result);
        QCOMPARE(parent, nullptr); // no owner given: no owner window
        QVERIFY(fileName.isEmpty() && fileTitle.isEmpty() && filter.isEmpty());
        QCOMPARE(index, filterIndex);
        QCOMPARE(flags, 0);
        QCOMPARE(d.APIReturn(), 0);
        QCOMPARE(d.ExtendedError(), 0);
    }

    void openReturnsTheChosenFile() {
        QTemporaryDir dir;
        touch(dir.filePath("pack.tvp"));
        touch(dir.filePath("notes.txt"));
        QWidget owner;
        GCommonDialog d;
        GCommonDialog::OpenFileArgs a;
        a.Filter = "The Tintavale image pack (*.tvp)|*.tvp|All (*.*)|*.*";
        a.InitDir = dir.path();
        a.DlgTitle = "Choose a pack";
        a.Owner = &owner;
        a.flags = 0x60;
        QString title, firstFilter;
        QStringList filters;
        QWidget* parent = nullptr;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
        bool result = false;
        QVERIFY(testing::whileModal([&] { result = d.VBGetOpenFileName(a); },
                                    [&] {
                                        auto* dlg = modal<QFileDialog>();
                                        if (!dlg) return;
                                        title = dlg->windowTitle();
                                        parent = dlg->parentWidget();
                                        filters = dlg->nameFilters();
                                        firstFilter = dlg->selectedNameFilter();
                                        mode = dlg->fileMode();
                                        dlg->selectNameFilter(filters.value(1));
                                        dlg->selectFile(dir.filePath("pack.tvp"));
                                        static_cast<QDialog*>(dlg)->accept();
                                    }));
        QVERIFY(result);
        QCOMPARE(title, QString("Choose a pack"));
        QCOMPARE(parent, &owner);
        QCOMPARE(filters,
                 (QStringList{"The Tintavale image pack (*.tvp) (*.tvp)", "All (*.*) (*)"}));
        QCOMPARE(firstFilter, QString("The Tintavale image pack (*.tvp)")); // as shown
        QCOMPARE(mode, QFileDialog::ExistingFile);
        QCOMPARE(a.FileName, dir.filePath("pack.tvp"));
        QCOMPARE(a.FileTitle, QString("pack.tvp"));
        QCOMPARE(a.FilterIndex, 2);
        QCOMPARE(a.Filter, nul("All (*.*)~*.*"));
        QCOMPARE(a.flags, 0x1000);
        QVERIFY(!a.ReadOnly);
        QCOMPARE(d.APIReturn(), 1);
    }

    void saveAddsTheDefaultExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("flags");
        QTest::newRow("no extension typed") << "picture"
                                            << "picture.jpg" << 0x6;
        QTest::newRow("other extension") << "picture.png"
                                         << "picture.png" << 0x406;
    }
    void saveAddsTheDefaultExtension() {
        QFETCH(QString, typed);
        QFETCH(QString, chosen);
        QFETCH(int, flags);
        QTemporaryDir dir;
        GCommonDialog d;
        GCommonDialog::SaveFileArgs a;
        a.Filter = "Jpeg file (*.jpg)|*.jpg";
        a.InitDir = dir.path();
        a.DlgTitle = "Save current picture as...";
        a.DefaultExt = "jpg";
        QFileDialog::AcceptMode acceptMode = QFileDialog::AcceptOpen;
        bool result = false;
        QVERIFY(testing::whileModal([&] { result = d.VBGetSaveFileName(a); },
                                    [&] {
                                        auto* dlg = modal<QFileDialog>();
                                        if (!dlg) return;
                                        acceptMode = dlg->acceptMode();
                                        dlg->selectFile(typed);
                                        static_cast<QDialog*>(dlg)->accept();
                                    }));
        QVERIFY(result);
        QCOMPARE(acceptMode, QFileDialog::AcceptSave);
        QCOMPARE(a.FileName, dir.filePath(chosen));
        QCOMPARE(a.FileTitle, chosen);
        QCOMPARE(a.FilterIndex, 1);
        QCOMPARE(a.Filter, nul("Jpeg file (*.jpg)~*.jpg"));
        QCOMPARE(a.flags, flags);
    }

    // A caller's name rule (".jpg" added unless the name ends in ".jpg" or ".jpeg"): the
    // dialog asks about the name that will be written, in its own words, before it closes;
    // a "No" leaves the dialog open on that name, to choose again or cancel.
    void saveAsksAboutTheNameThatWillBeWritten_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("existing"); // a file already there
        QTest::addColumn<QString>("answer");   // to the question, if it comes
        QTest::addColumn<QString>("asked");    // the question's file, "" when none
        QTest::addColumn<QString>("chosen");   // "" when the dialog was cancelled
        QTest::newRow("new name") << "picture" << "other.jpg" << "" << "" << "picture.jpg";
        QTest::newRow("taken once .jpg is added, replaced")
            << "picture" << "picture.jpg" << "Yes" << "picture.jpg" << "picture.jpg";
        QTest::newRow("taken once .jpg is added, kept")
            << "picture" << "picture.jpg" << "No" << "picture.jpg" << "";
        QTest::newRow("taken as typed") << "picture.jpeg" << "picture.jpeg" << "Yes"
                                        << "picture.jpeg" << "picture.jpeg";
        QTest::newRow("the name as typed exists, not the one written")
            << "picture" << "picture" << "" << "" << "picture.jpg";
        QTest::newRow("capitals get .jpg too")
            << "picture.JPG" << "picture.JPG.jpg" << "No" << "picture.JPG.jpg" << "";
        QTest::newRow("typed with a folder")
            << "sub/picture" << "sub/picture.jpg" << "Yes" << "picture.jpg"
            << "sub/picture.jpg";
        QTest::newRow("a folder's name opens it") << "sub" << "sub/x.jpg" << "" << "" << "";
    }
    void saveAsksAboutTheNameThatWillBeWritten() {
        QFETCH(QString, typed);
        QFETCH(QString, existing);
        QFETCH(QString, answer);
        QFETCH(QString, asked);
        QFETCH(QString, chosen);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("sub"));
        touch(dir.filePath(existing));
        const QByteArray old = "the parent's file";
        {
            QFile f(dir.filePath(existing));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(old) == old.size());
        }
        GCommonDialog d;
        GCommonDialog::SaveFileArgs a;
        a.Filter = "Jpeg file (*.jpg)|*.jpg";
        a.InitDir = dir.path();
        a.FinalName = JpegFileName;
        QStringList questions;
        bool typedIn = false;
        // Plays the parent: types the name once, answers the question, and cancels a
        // dialog that is still open afterwards.
        QTimer parent;
        connect(&parent, &QTimer::timeout, [&] {
            QWidget* modalNow = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modalNow)) {
                questions << box->text();
                box->button(answer == "Yes" ? QMessageBox::Yes : QMessageBox::No)->click();
            } else if (auto* dlg = qobject_cast<QFileDialog*>(modalNow)) {
                if (typedIn) return dlg->reject();
                typedIn = true;
                dlg->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
                QMetaObject::invokeMethod(dlg, "accept", Qt::QueuedConnection);
            }
        });
        parent.start(10);
        bool result = false;
        QVERIFY(testing::whileModal([&] { result = d.VBGetSaveFileName(a); }, [] {}));
        QCOMPARE(result, !chosen.isEmpty());
        QCOMPARE(a.FileName, chosen.isEmpty() ? QString() : dir.filePath(chosen));
        QCOMPARE(questions, asked.isEmpty() ? QStringList()
                                            : QStringList{asked + " already exists.\nDo you "
                                                                  "want to replace it?"});
        QCOMPARE(contents(dir.filePath(existing)), old);
    }

    void customColoursStayInTheirSixteenSlots() {
        GCommonDialog d;
        QList<int32_t> before;
        for (int16_t i = 0; i < 16; ++i) {
            before << d.CustomColor(i);
            QVERIFY(before.last() >= 0 && before.last() <= 0xFFFFFF);
        }
        QCOMPARE(d.CustomColor(16), -1);
        QCOMPARE(d.CustomColor(-1), -1);
        d.setCustomColor(-1, 0x123456);
        d.setCustomColor(16, 0x123456);
        for (int16_t i = 0; i < 16; ++i) QCOMPARE(d.CustomColor(i), before[i]);
        d.setCustomColor(15, 0x123456);
        QCOMPARE(d.CustomColor(15), 0x123456);
    }

    void colourDialogReturnsTheColourOrMinusOne_data() {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<int>("colour");
        QTest::newRow("chosen") << true << 0x3366CC;
        QTest::newRow("cancelled") << false << -1;
    }
    void colourDialogReturnsTheColourOrMinusOne() {
        QFETCH(bool, accept);
        QFETCH(int, colour);
        GCommonDialog d;
        d.setCustomColor(5, 0x0000FF);
        int32_t value = 0x00FF00;
        QColor initial, custom;
        bool result = !accept;
        QVERIFY(testing::whileModal([&] { result = d.VBChooseColor(value); },
                                    [&] {
                                        auto* dlg = modal<QColorDialog>();
                                        if (!dlg) return;
                                        initial = dlg->currentColor();
                                        custom = QColorDialog::customColor(5);
                                        dlg->setCurrentColor(QColor(0xCC, 0x66, 0x33));
                                        accept ? dlg->accept() : dlg->reject();
                                    }));
        QCOMPARE(result, accept);
        QCOMPARE(initial, QColor(0, 255, 0));
        QCOMPARE(custom, QColor(255, 0, 0));
        QCOMPARE(value, colour);
        QCOMPARE(d.APIReturn(), accept ? 1 : 0);
    }

    void fontFlags_data() {
        QTest::addColumn<int>("printerDC");
        QTest::addColumn<int>("colour");
        QTest::addColumn<int>("minSize");
        QTest::addColumn<int>("flags");
        QTest::addColumn<int>("expected");
        QTest::newRow("defaults: screen fonts") << -1 << 0 << 0 << 0 << 0x41;
        QTest::newRow("a printer context: printer fonts") << 7 << 0 << 0 << 0 << 0x42;
        QTest::newRow("colour adds effects") << -1 << 255 << 0 << 0 << 0x141;
        QTest::newRow("sizes add the limit") << -1 << 0 << 8 << 0 << 0x2041;
        QTest::newRow("hook and template bits go") << -1 << 0 << 0 << 0x218 << 0x41;
    }
    void fontFlags() {
        QFETCH(int, printerDC);
        QFETCH(int, colour);
        QFETCH(int, minSize);
        QFETCH(int, flags);
        QFETCH(int, expected);
        GCommonDialog::FontArgs a;
        a.PrinterDC = printerDC;
        a.Color = colour;
        a.MinSize = minSize;
        a.flags = flags;
        QCOMPARE(GCommonDialog::FontFlags(a), expected);
        QCOMPARE(a.PrinterDC, printerDC == -1 ? 0 : printerDC);
    }

    void fontDialogReturnsSizesInTenthsWithinTheLimits() {
        GCommonDialog d;
        GCommonDialog::FontArgs a;
        a.MinSize = 8;
        a.MaxSize = 12;
        bool result = false;
        QVERIFY(testing::whileModal([&] { result = d.VBChooseFont(a); },
                                    [&] {
                                        auto* dlg = modal<QFontDialog>();
                                        if (!dlg) return;
                                        QFont f = dlg->currentFont();
                                        f.setPointSizeF(20.37);
                                        f.setItalic(true);
                                        dlg->setCurrentFont(f);
                                        static_cast<QDialog*>(dlg)->accept();
                                    }));
        QVERIFY(result);
        QCOMPARE(a.CurFont.pointSizeF(), 12.0);
        QVERIFY(a.CurFont.italic());
        QCOMPARE(a.flags, 0x2041);
    }

    void printDialogHandsBackThePrinter() {
        QPrinter printer;
        GCommonDialog d;
        GCommonDialog::PrintArgs a;
        a.Printer = &printer;
        a.Copies = 3;
        bool result = false;
        QVERIFY(testing::whileModal([&] { result = d.VBPrintDlg(a); },
                                    [&] {
                                        if (auto* dlg = modal<QPrintDialog>())
                                            static_cast<QDialog*>(dlg)->accept();
                                    }));
        QVERIFY(result);
        QCOMPARE(a.hdc, &printer);
        QCOMPARE(int(a.Copies), 3);
        QCOMPARE(a.PrintRange, 0);
        QVERIFY(testing::whileModal([&] { result = d.VBPrintDlg(a); },
                                    [&] {
                                        if (auto* dlg = modal<QPrintDialog>()) dlg->reject();
                                    }));
        QVERIFY(!result);
        QCOMPARE(d.APIReturn(), 0);
    }

    void pageSetupReturnsMarginsInTheCallersUnit_data() {
        QTest::addColumn<int>("units");
        QTest::addColumn<int>("margin");
        QTest::newRow("millimetres") << 1 << 20;
        QTest::newRow("inches") << 0 << 1;
    }
    void pageSetupReturnsMarginsInTheCallersUnit() {
        QFETCH(int, units);
        QFETCH(int, margin);
        QPrinter printer;
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Landscape);
        GCommonDialog d;
        GCommonDialog::PageSetupArgs a;
        a.Printer = &printer;
        a.Units = units;
        a.LeftMargin = a.TopMargin = a.RightMargin = a.BottomMargin = margin;
        bool result = false;
        QVERIFY(testing::whileModal([&] { result = d.VBPageSetupDlg(a); },
                                    [&] {
                                        if (auto* dlg = modal<QPageSetupDialog>()) dlg->accept();
                                    }));
        QVERIFY(result);
        QCOMPARE(a.LeftMargin, margin);
        QCOMPARE(a.BottomMargin, margin);
        QCOMPARE(a.PaperSize, 9); // DMPAPER_A4
        QCOMPARE(a.Orientation, 2);
        QCOMPARE(d.APIReturn(), 0);
    }
};

QTEST_MAIN(TestCommonDialog)
#include "tst_commondialog.moc"
