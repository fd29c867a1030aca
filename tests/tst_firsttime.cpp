// The first-run window's text stays on clear sky: no label's rectangle, as the loaded window
// places it, covers a pixel of the branch or the birds drawn into the background picture.

#include "Widgets.h"
#include "frmFirstTime.h"

#include <QImage>
#include <QtTest>

namespace {

// The faded sky is pale, blue or at the horizon barely warm (at most 10 above its blue).
// Leaves and blossom centres are far warmer, bark, birds and outlines warmer or darker.
bool IsSky(QRgb c) {
    const int r = qRed(c), g = qGreen(c), b = qBlue(c);
    return std::max(r, g) <= b + 12 && std::min({r, g, b}) >= 190;
}

} // namespace

class TestFirstTime : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { Forms::frmFirstTime().Unload(); }

    void labelsStayOnSky_data() {
        QTest::addColumn<QString>("label");
        for (const char* name : {"Label3", "Label4", "Label6", "Label8", "Command1"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void labelsStayOnSky() {
        QFETCH(QString, label);
        frmFirstTime& form = Forms::frmFirstTime();
        form.Load();
        const QMap<QString, const vb::Label*> labels{{"Label3", form.Label3},
                                                      {"Label4", form.Label4},
                                                      {"Label6", form.Label6},
                                                      {"Label8", form.Label8},
                                                      {"Command1", form.Command1}};
        const vb::Label* lb = labels.value(label);
        QVERIFY(lb);
        const QImage picture = QImage(QStringLiteral(":/design/firsttime.bmp"));
        QCOMPARE(picture.size(), QSize(573, 393));
        const QRect area = lb->geometry() & picture.rect();
        QVERIFY2(!area.isEmpty(), qPrintable(label));
        int drawn = 0;
        QPoint first;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (!IsSky(picture.pixel(x, y)) && !drawn++) first = QPoint(x, y);
        QVERIFY2(drawn == 0, qPrintable(QStringLiteral("%1 drawn pixels under %2, first at %3,%4")
                                            .arg(drawn)
                                            .arg(label)
                                            .arg(first.x())
                                            .arg(first.y())));
    }
};

QTEST_MAIN(TestFirstTime)
#include "tst_firsttime.moc"
