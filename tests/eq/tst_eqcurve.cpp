#include "eq/GraphGeometry.h"
#include "eq/ResponseBuffer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <cmath>

using namespace korva;

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines; // standard output
    QString errors;    // standard error
};

Run RunEqCurve(const QStringList& args, const QByteArray& input) {
    QProcess process;
    process.start(QStringLiteral(EQCURVE_PATH), args);
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(30000);
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TstEqCurve : public QObject {
    Q_OBJECT
private slots:
    void printsEveryColumn_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("width");
        QTest::newRow("default width") << QStringList{} << 1547;
        QTest::newRow("narrow") << QStringList{"--width", "500"} << 500;
    }
    void printsEveryColumn() {
        QFETCH(QStringList, args);
        QFETCH(int, width);
        const QByteArray input = "peak 1000 12 1.4\n\n  lowcut 18 0 0\nhighcut 20000 0 1.4\n";
        const Run run = RunEqCurve(args, input);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.errors, QString());

        const GraphGeometry g = ComputeGraphGeometry(width);
        ResponseBuffer expected;
        expected.Clear(g);
        expected.AddPoint({1000, 12, 1.4f, EqPointKind::Peak, true, 0});
        expected.AddPoint({18, 0, 1.4f, EqPointKind::LowCut, true, 0});
        expected.AddPoint({20000, 0, 1.4f, EqPointKind::HighCut, true, 0});
        QCOMPARE(run.lines.size(), g.ColumnCount);
        for (int c = 0; c < g.ColumnCount; ++c) {
            const QStringList fields = run.lines[c].split(u' ');
            QCOMPARE(fields.size(), 3);
            QCOMPARE(fields[0].toInt(), c);
            QVERIFY(std::fabs(fields[1].toDouble() - g.ColumnFrequencyHz(c)) <= 0.005);
            QVERIFY(std::fabs(fields[2].toDouble() - expected.At(c)) <= 0.0005);
        }
    }

    void noPointsIsFlat() {
        const Run run = RunEqCurve({}, "");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines.size(), 1588);
        QVERIFY(run.lines.last().endsWith(QStringLiteral(" 0.000")));
    }

    void repeatReportsTheMedian() {
        const Run run = RunEqCurve({"--repeat", "5"}, "peak 1000 3 1\n");
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.lines.size(), 1588);
        QVERIFY2(QRegularExpression(QStringLiteral("^eval_us_median \\d+\\.\\d+\\n$"))
                     .match(run.errors)
                     .hasMatch(),
                 qPrintable(run.errors));
    }

    void badInput_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("lineMention");
        QTest::newRow("unknown kind") << QStringList{} << QByteArray("bogus 1000 0 1\n") << "第 1 行";
        QTest::newRow("missing field after a blank line")
            << QStringList{} << QByteArray("\npeak 1000 3\n") << "第 2 行";
        QTest::newRow("not a number")
            << QStringList{} << QByteArray("peak 1000 0 1\npeak 1k 0 1\n") << "第 2 行";
        QTest::newRow("zero frequency") << QStringList{} << QByteArray("peak 0 0 1\n") << "第 1 行";
        QTest::newRow("above Nyquist") << QStringList{} << QByteArray("lowcut 30000 0 1\n") << "第 1 行";
        QTest::newRow("zero Q on a peak") << QStringList{} << QByteArray("peak 1000 3 0\n") << "第 1 行";
        QTest::newRow("huge gain") << QStringList{} << QByteArray("peak 1000 99 1\n") << "第 1 行";
        QTest::newRow("not finite") << QStringList{} << QByteArray("peak 1000 nan 1\n") << "第 1 行";
        QTest::newRow("width 0") << QStringList{"--width", "0"} << QByteArray() << "--width";
        QTest::newRow("width not a number") << QStringList{"--width", "wide"} << QByteArray() << "--width";
        QTest::newRow("repeat 0") << QStringList{"--repeat", "0"} << QByteArray() << "--repeat";
        QTest::newRow("unknown option") << QStringList{"--bogus"} << QByteArray() << "--bogus";
    }
    void badInput() {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        QFETCH(QString, lineMention);
        const Run run = RunEqCurve(args, input);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.lines.isEmpty());
        QCOMPARE(run.errors.count(u'\n'), 1);
        QVERIFY2(run.errors.startsWith(QStringLiteral("eqcurve: ")) && run.errors.contains(lineMention),
                 qPrintable(run.errors));
    }

    void cutFilterIgnoresItsQ() {
        const Run run = RunEqCurve({}, "lowcut 100 0 0\n");
        QCOMPARE(run.exitCode, 0);
    }
};

QTEST_GUILESS_MAIN(TstEqCurve)
#include "tst_eqcurve.moc"
