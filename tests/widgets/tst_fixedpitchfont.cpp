// The log's font has one width for every character whatever the platform offers, as long as some
// monospace face is installed (the program's packages depend on one).
#include "widgets/FixedPitchFont.h"

#include <QFontInfo>
#include <QTest>

using namespace korva;

class TstFixedPitchFont : public QObject {
    Q_OBJECT
private slots:
    void alwaysFixedPitch_data() {
        QTest::addColumn<QFont>("offered");
        QTest::addColumn<bool>("keptAsIs");
        QFont proportional;
        proportional.setPointSize(11);
        QFont missing(QStringLiteral("No Such Face"), 13);
        // What a theme with a fixed font offers: it is used unchanged, so the window looks as before.
        const QFont fixed = FixedPitchFont(proportional);
        QTest::newRow("a theme without a fixed font (the default)") << proportional << false;
        QTest::newRow("a family that is not installed") << missing << false;
        QTest::newRow("a fixed-pitch font") << fixed << true;
    }
    void alwaysFixedPitch() {
        QFETCH(QFont, offered);
        QFETCH(bool, keptAsIs);
        const QFont chosen = FixedPitchFont(offered);
        QVERIFY2(QFontInfo(chosen).fixedPitch(), qPrintable(QFontInfo(chosen).family()));
        QCOMPARE(chosen.pointSize(), offered.pointSize());
        QCOMPARE(chosen == offered, keptAsIs);
    }
};

QTEST_MAIN(TstFixedPitchFont)
#include "tst_fixedpitchfont.moc"
