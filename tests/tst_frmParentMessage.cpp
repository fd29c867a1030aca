// The parents' message window: its looks after load, the calling protocol across showings,
// and every message that names a path fitting the window whatever the path.

#include "AppPath.h"
#include "ImportMessages.h"
#include "SaveFailure.h"
#include "ShowHelpTopic.h"
#include "ShownPath.h"
#include "TestSupport.h"
#include "frmParentMessage.h"
#include "frmParental.h"
#include "frmSplash.h"

#include <QtTest>

#include <cerrno>

using namespace vb;

namespace {

frmParentMessage& form() {
    return Forms::frmParentMessage();
}

// Shows the window modally and clicks one of its labels once it is up.
bool showAndClick(Label* frmParentMessage::*label) {
    return testing::whileModal([] { form().Show(true); },
                               [label] {
                                   QVERIFY(form().Visible());
                                   testing::click(form().*label, {3, 3});
                               });
}

// A folder path of `length` characters: words and blanks, or (`wide`) the widest letters
// without a place to break.
QString LongPath(int length, bool wide) {
    QString path = QStringLiteral("/home/parent");
    const QString part = wide ? QStringLiteral("/WWWWWWWWWWWWWWWWWWWW")
                              : QStringLiteral("/My pictures for the children");
    while (path.size() < length) path += part;
    return path.left(length);
}

// What the parents read when the help file is missing, from the importer's Help and from
// the About window's Help, under a program folder of `folder`.
QStringList HelpMessages(const QString& folder) {
    vb::SetAppPath(folder);
    testing::MessageReader parent;
    ShowHelpTopic(nullptr, QStringLiteral("new pictures.htm"));
    Forms::frmSplash().setForm_style(0);
    Forms::frmSplash().Command2_Click();
    Forms::frmSplash().Unload();
    return parent.seen;
}

} // namespace

class TestFrmParentMessage : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { form().Unload(); }

    void looksAfterLoad() {
        form().setMessage(QStringLiteral("Hello"));
        PictureArea* w = form().Me();
        QCOMPARE(w->size(), QSize(413, 169));
        QCOMPARE(w->BackColor(), 0xFFFFFF);
        // The raised frame: light and white top-left, two greys bottom-right.
        QCOMPARE(w->Point(0, 0), 0xE3E3E3);
        QCOMPARE(w->Point(1, 1), 0xFFFFFF);
        QCOMPARE(w->Point(412, 168), 0x696969);
        QCOMPARE(w->Point(411, 167), 0xA0A0A0);
        QCOMPARE(w->Point(412, 80), 0x696969);
        QCOMPARE(w->Point(200, 0), 0xE3E3E3);
        QCOMPARE(w->Point(4, 4), 0xFFFFFF);
        QCOMPARE(form().pM->geometry(), QRect(8, 8, 397, 153));
        QCOMPARE(form().lMessage->geometry(), QRect(0, 0, 397, 131));
        QVERIFY(form().lContinue->font().bold());
        QVERIFY(!form().lMessage->font().bold());
        QCOMPARE(form().lContinue->cursor().shape(), Qt::BitmapCursor);
        QCOMPARE(form().lCancel->cursor().shape(), Qt::BitmapCursor);
        // Both captions stay inside the panel, Continue right of Cancel, on one line.
        const QRect cont = form().lContinue->geometry(), cancel = form().lCancel->geometry();
        QVERIFY(cont.right() < form().pM->width());
        QVERIFY(cancel.right() < cont.left());
        QCOMPARE(cont.top(), 136);
        QVERIFY(cont.bottom() < form().pM->height());
        QVERIFY(form().lCancel->isHidden());
    }

    void aLongMessageDoesNotGrowTheWindow() {
        form().setMessage(QString(QStringLiteral("A long line of words to wrap. ")).repeated(60) +
                          QStringLiteral("\r\n\r\nLast"));
        QCOMPARE(form().Me()->size(), QSize(413, 169));
        QCOMPARE(form().lMessage->geometry(), QRect(0, 0, 397, 131));
    }

    // Every message that names a path, with the longest path: the whole text, its last
    // paragraph (what Continue and Cancel do) included, lies inside the message label.
    void messagesWithLongPathsFit_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("path"); // as the message must show it
        for (const bool wide : {false, true}) {
            const QString folder = LongPath(200, wide);
            QCOMPARE(folder.size(), 200);
            const char* kind = wide ? "wide" : "words";
            const QString shown = ShownPath(folder);
            for (const int error : {EROFS, ENOTDIR, ENOSPC, ENAMETOOLONG, EIO}) {
                SaveFailure failure;
                failure.SystemError = error;
                failure.Folder = folder + "/colored pictures/Farm";
                failure.InTheWay = failure.Folder;
                const QString inMessage = ShownPath(failure.Folder);
                for (const AfterFailedSave after :
                     {AfterFailedSave::Opening, AfterFailedSave::Clearing,
                      AfterFailedSave::Quitting})
                    QTest::addRow("save, %s, errno %d, after %d", kind, error, int(after))
                        << SaveFailureMessage(failure, after)
                        << (error == EROFS || error == ENOTDIR ? inMessage : QString());
            }
            using PicturePack::Outcome;
            using PicturePack::WriteFailure;
            const QString books = folder + "/books";
            for (const Outcome outcome : {Outcome::Damaged, Outcome::Unlisted, Outcome::TooLarge,
                                          Outcome::Twins, Outcome::CannotWrite})
                for (const WriteFailure cause : {WriteFailure::Unknown, WriteFailure::DiskFull,
                                                 WriteFailure::FolderNotWritable}) {
                    PicturePack::Result result;
                    result.Kind = outcome;
                    result.Cause = cause;
                    const bool named =
                        outcome == Outcome::CannotWrite && cause != WriteFailure::DiskFull;
                    QTest::addRow("import, %s, outcome %d, cause %d", kind, int(outcome),
                                  int(cause))
                        << ImportFailureText(result, books)
                        << (named ? ShownPath(books) : QString());
                }
            const QStringList help = HelpMessages(folder);
            QCOMPARE(help.size(), 2);
            for (const QString& text : help)
                QTest::addRow("help missing, %s", kind) << text << ShownPath(folder + "/Help.chm");
            QVERIFY(shown.size() <= MaxShownPathLength);
        }
        // Okay's failures name no path, but can grow to three paragraphs.
        using Settings::WriteResult;
        for (const WriteResult result :
             {WriteResult::OldKept, WriteResult::FolderInTheWay, WriteResult::Damaged})
            for (const char* now : {"", "old", "new", "other"})
                QTest::addRow("settings, result %d, now %s", int(result), now)
                    << SettingsNotSavedText(result,
                                            *now ? std::optional<QString>(now) : std::nullopt,
                                            QString("old"), "new")
                    << QString();
    }
    void messagesWithLongPathsFit() {
        QFETCH(QString, text);
        QFETCH(QString, path);
        if (!path.isEmpty()) QVERIFY2(text.contains("'" + path + "'"), qPrintable(text));
        form().setMessage(text);
        Label* l = form().lMessage;
        QCOMPARE(l->geometry(), QRect(0, 0, 397, 131)); // the window does not grow
        const QRect room = l->contentsRect();
        const QRect needed = l->fontMetrics().boundingRect(
            room, int(Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop), l->text());
        QVERIFY2(room.contains(needed), qPrintable(QString("needs %1 x %2 of %3 x %4")
                                                       .arg(needed.width())
                                                       .arg(needed.height())
                                                       .arg(room.width())
                                                       .arg(room.height())));
        QVERIFY(l->heightForWidth(l->width()) <= l->height());
    }

    void protocolAcrossShowings() {
        // Cancel offered and pressed.
        form().setMessage(QStringLiteral("Open the folder?"));
        form().setCancelVisible(true);
        QVERIFY(!form().lCancel->isHidden());
        QVERIFY(showAndClick(&frmParentMessage::lCancel));
        QVERIFY(!form().IsLoaded());
        QVERIFY(form().CancelPressed); // readable after the close

        // A plain notice next: Cancel hidden again, Continue closes it.
        form().setMessage(QStringLiteral("Saved."));
        QVERIFY(form().lCancel->isHidden());
        QVERIFY(!form().CancelPressed); // the load cleared it
        QVERIFY(showAndClick(&frmParentMessage::lContinue));
        QVERIFY(!form().IsLoaded());
        QVERIFY(!form().CancelPressed);

        // Cancel offered once more, closed with Continue this time.
        form().setMessage(QStringLiteral("Open the folder?"));
        form().setCancelVisible(true);
        QVERIFY(showAndClick(&frmParentMessage::lCancel));
        QVERIFY(form().CancelPressed);
        form().setMessage(QStringLiteral("Again?"));
        form().setCancelVisible(true);
        QVERIFY(showAndClick(&frmParentMessage::lContinue));
        QVERIFY(!form().CancelPressed);
    }

    void anEmptyMessageStillOffersTheButtons() {
        form().setMessage(QString());
        QVERIFY(form().lMessage->text().isEmpty());
        QVERIFY(showAndClick(&frmParentMessage::lContinue));
        QVERIFY(!form().IsLoaded());
    }
};

QTEST_MAIN(TestFrmParentMessage)
#include "tst_frmParentMessage.moc"
