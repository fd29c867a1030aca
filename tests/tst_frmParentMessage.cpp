// The parents' message window: its looks after load and the calling protocol across showings.

#include "TestSupport.h"
#include "frmParentMessage.h"

#include <QtTest>

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
