// The log's font has one width for every character whatever the platform offers, as long as some
// monospace face is installed (the program's packages depend on one). Run once more with fontconfig set to
// Chinese, where "monospace" is a CJK face that Qt does not count as fixed-pitch.
#include "widgets/FixedPitchFont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QTest>

using namespace korva;

class TstFixedPitchFont : public QObject {
    Q_OBJECT
private slots:
    void alwaysFixedPitch_data() {
        QTest::addColumn<QFont>("offered");
        QFont proportional;
        proportional.setPointSize(11);
        QTest::newRow("the platform's fixed font") << QFontDatabase::systemFont(QFontDatabase::FixedFont);
        QTest::newRow("the proportional default (a theme without a fixed font)") << proportional;
        QTest::newRow("a family that is not installed") << QFont(QStringLiteral("No Such Face"), 13);
        QTest::newRow("a fixed-pitch font") << FixedPitchFont(proportional);
    }
    void alwaysFixedPitch() {
        QFETCH(QFont, offered);
        const QFont chosen = FixedPitchFont(offered);
        QVERIFY2(QFontInfo(chosen).fixedPitch(), qPrintable(QFontInfo(chosen).family()));
        QCOMPARE(chosen.pointSize(), offered.pointSize());
        // A font that is already fixed-pitch is kept as it is, so the window looks as before.
        QCOMPARE(chosen == offered, QFontInfo(offered).fixedPitch());
    }
};

QTEST_MAIN(TstFixedPitchFont)
#include "tst_fixedpitchfont.moc"
