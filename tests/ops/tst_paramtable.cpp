// The named parameter table: it covers every binding of the shipped window, names resolve by one rule,
// and user values convert with the window's scales and limits.
#include "design/DesignData.h"
#include "model/Binding.h"
#include "ops/ParamTable.h"
#include "ops/ParamUnits.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace korva;

class TstParamTable : public QObject {
    Q_OBJECT
private slots:
    // Every bound control of the window names a parameter of the table in the same scope, and a slider's
    // range is the parameter's.
    void coversEveryBindingOfTheShippedWindow() {
        QString error;
        const std::optional<DesignForm> design = ReadDesignFile(QStringLiteral(KORVA_SHIPPED_DESIGN), &error);
        QVERIFY2(design, qPrintable(error));
        int bindings = 0;
        for (const DesignControl& control : design->Controls) {
            const QString tag = control.PropertyValue(QStringLiteral("TagNew"));
            if (tag.isEmpty()) {
                continue;
            }
            int address = -1;
            int sliderMax = -1;
            ParamScope scope = ParamScope::Group;
            if (auto d = ParseDisplayBinding(tag)) {
                address = d->Address;
                scope = d->Scope == BindingScope::Group ? ParamScope::Group : ParamScope::Common;
            } else if (auto s = ParseSliderBinding(tag)) {
                address = s->Address;
                scope = s->Scope == BindingScope::Group ? ParamScope::Group : ParamScope::Common;
                sliderMax = control.IntProperty(QStringLiteral("MaxValue"));
            } else if (auto b = ParseButtonBinding(tag)) {
                address = b->Address;
                scope = address >= kFirstCommonAddress ? ParamScope::Common : ParamScope::Group;
            }
            QVERIFY2(address >= 0, qPrintable(tag));
            if (address == 0xFF) {
                continue; // the bypass switch before a channel is chosen
            }
            const ParamDef* def = FindParamAt(uint8_t(address), 0);
            QVERIFY2(def, qPrintable(tag));
            QCOMPARE(def->Scope, scope);
            if (sliderMax >= 0) {
                QCOMPARE(def->RawMax, sliderMax);
            }
            ++bindings;
        }
        QVERIFY(bindings > 70);
    }

    void everyNameIsAsciiUniqueAndResolvesBack() {
        QSet<QString> seen;
        for (const ParamDef& def : ParamTable()) {
            QVERIFY2(!seen.contains(def.Name), qPrintable(def.Name));
            seen.insert(def.Name);
            static const QRegularExpression ascii(QStringLiteral("^[a-z0-9_.]+$"));
            QVERIFY2(ascii.match(def.Name).hasMatch(), qPrintable(def.Name));
            QVERIFY(!def.Label.isEmpty());
            const ParamRef ref{&def, def.Scope == ParamScope::Group ? 5 : 0};
            const std::optional<ParamRef> back = ResolveParamName(QualifiedName(ref), 0);
            QVERIFY2(back && back->Def == &def && back->Group == ref.Group, qPrintable(def.Name));
        }
    }

    void namesResolveByTheGroupRule_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("defaultGroup");
        QTest::addColumn<QString>("resolved"); // empty: refused
        QTest::newRow("group parameter in the default group") << "mic12.eq3.freq" << 2 << "g3.mic12.eq3.freq";
        QTest::newRow("prefix names the group") << "g8.echo.delay" << 0 << "g8.echo.delay";
        QTest::newRow("common parameter") << "music.volume" << 4 << "music.volume";
        QTest::newRow("common parameter takes no prefix") << "g1.music.volume" << 0 << "";
        QTest::newRow("no group 9") << "g9.echo.delay" << 0 << "";
        QTest::newRow("unknown name") << "echo.feedback" << 0 << "";
    }
    void namesResolveByTheGroupRule() {
        QFETCH(QString, name);
        QFETCH(int, defaultGroup);
        QFETCH(QString, resolved);
        QString error;
        const std::optional<ParamRef> ref = ResolveParamName(name, defaultGroup, &error);
        QCOMPARE(ref ? QualifiedName(*ref) : QString(), resolved);
        QCOMPARE(error.isEmpty(), !resolved.isEmpty());
    }

    // Boundaries of every kind of scale, written out from the scales themselves; a refused value names
    // the range and stores nothing.
    void userValuesConvertAtTheBoundaries_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("raw"); // -1: refused
        QTest::addColumn<QString>("shown");
        QTest::newRow("lowest frequency") << "mic12.eq3.freq" << "18" << 0 << "18 Hz";
        QTest::newRow("highest frequency") << "mic12.eq3.freq" << "20 kHz" << 241 << "20000 Hz";
        QTest::newRow("frequency to the grid") << "music.eq1.freq" << "1250Hz" << 133 << "1200 Hz";
        QTest::newRow("frequency above") << "mic12.eq3.freq" << "20001" << -1 << "";
        QTest::newRow("frequency below") << "mic12.eq3.freq" << "17.9" << -1 << "";
        QTest::newRow("music low-cut top") << "music.lowcut" << "230" << 54 << "230 Hz";
        QTest::newRow("music low-cut above") << "music.lowcut" << "240" << -1 << "";
        QTest::newRow("mic high-cut bottom") << "mic12.highcut" << "8000" << 201 << "8000 Hz";
        QTest::newRow("mic high-cut below") << "mic12.highcut" << "7900" << -1 << "";
        QTest::newRow("gain top") << "effect.eq2.gain" << "+15" << 0 << "15.0 dB";
        QTest::newRow("gain bottom") << "effect.eq2.gain" << "-15 dB" << 150 << "-15.0 dB";
        QTest::newRow("gain tie to even") << "effect.eq2.gain" << "0.3" << 74 << "0.2 dB";
        QTest::newRow("gain above") << "effect.eq2.gain" << "15.1" << -1 << "";
        QTest::newRow("Q lowest") << "rec.eq1.q" << "0.1" << 1 << "0.1";
        QTest::newRow("Q between the scales") << "rec.eq1.q" << "3.6" << 31 << "4.0";
        QTest::newRow("Q highest") << "rec.eq1.q" << "15" << 75 << "15.0";
        QTest::newRow("Q above") << "rec.eq1.q" << "16" << -1 << "";
        QTest::newRow("echo delay shortest") << "echo.delay" << "15 ms" << 0 << "15 ms";
        QTest::newRow("echo delay longest") << "echo.delay" << "275" << 31 << "275 ms";
        QTest::newRow("echo delay to the nearest") << "echo.delay" << "101" << 11 << "103 ms";
        QTest::newRow("echo delay above") << "echo.delay" << "276" << -1 << "";
        QTest::newRow("steps top") << "echo.repeat" << "127" << 127 << "127";
        QTest::newRow("steps above") << "echo.repeat" << "128" << -1 << "";
        QTest::newRow("steps fraction") << "echo.volume" << "7.5" << -1 << "";
        QTest::newRow("steps with a unit") << "echo.volume" << "7 dB" << -1 << "";
        QTest::newRow("input counts from 1") << "system.input" << "7" << 6 << "7";
        QTest::newRow("input 0") << "system.input" << "0" << -1 << "";
        QTest::newRow("choice") << "route.centre" << "OFF" << 1 << "off";
        QTest::newRow("no such choice") << "route.centre" << "1" << -1 << "";
        QTest::newRow("not a number") << "music.volume" << "loud" << -1 << "";
    }
    void userValuesConvertAtTheBoundaries() {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(int, raw);
        QFETCH(QString, shown);
        const ParamDef* def = FindParamDef(name);
        QVERIFY(def);
        QString error;
        const std::optional<uint8_t> parsed = ParseParamValue(*def, text, &error);
        QCOMPARE(parsed ? int(*parsed) : -1, raw);
        if (raw < 0) {
            QVERIFY2(error.contains(ValidRangeText(*def)), qPrintable(error));
        } else {
            QCOMPARE(FormatParamRaw(*def, uint8_t(raw)), shown);
        }
    }

    // Bytes the controls never produce still print as the displays show them.
    void storedBytesPrintAsTheDisplaysShowThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("raw");
        QTest::addColumn<QString>("shown");
        QTest::newRow("echo delay above the table") << "echo.delay" << 40 << "275 ms";
        QTest::newRow("Q index 0 reads as 0.1") << "mic3.eq1.q" << 0 << "0.1";
        QTest::newRow("Q index between whole Qs") << "mic3.eq1.q" << 34 << "4.0";
        QTest::newRow("frequency index beyond the knob") << "mic3.eq1.freq" << 255 << "27000 Hz";
        QTest::newRow("switch value 5") << "route.rec" << 5 << "5";
        QTest::newRow("power-on group") << "system.start_group" << 0 << "1";
    }
    void storedBytesPrintAsTheDisplaysShowThem() {
        QFETCH(QString, name);
        QFETCH(int, raw);
        QFETCH(QString, shown);
        QCOMPARE(FormatParamRaw(*FindParamDef(name), uint8_t(raw)), shown);
    }
};

QTEST_GUILESS_MAIN(TstParamTable)
#include "tst_paramtable.moc"
