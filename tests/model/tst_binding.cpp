#include "model/Binding.h"

#include <QTest>

using namespace korva;

class TstBinding : public QObject {
    Q_OBJECT
private slots:
    void sliders_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("common");
        QTest::addColumn<int>("address");
        QTest::newRow("group") << "Group,&H40" << true << false << 0x40;
        QTest::newRow("short hex") << "Group,&HC" << true << false << 0x0C;
        QTest::newRow("common") << "Common,&HC5" << true << true << 0xC5;
        QTest::newRow("decimal") << "Group,64" << true << false << 64;
        QTest::newRow("scope is case-sensitive") << "group,&H40" << false << false << 0;
        QTest::newRow("address too big") << "Group,&H100" << false << false << 0;
        QTest::newRow("negative address") << "Group,-1" << false << false << 0;
        QTest::newRow("missing address") << "Group" << false << false << 0;
        QTest::newRow("extra item") << "Group,&H40,Value" << false << false << 0;
        QTest::newRow("empty") << "" << false << false << 0;
    }
    void sliders() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(bool, common);
        QFETCH(int, address);
        QString error;
        auto b = ParseSliderBinding(text, &error);
        QCOMPARE(b.has_value(), ok);
        if (ok) {
            QCOMPARE(b->Scope == BindingScope::Common, common);
            QCOMPARE(int(b->Address), address);
        } else {
            QVERIFY(!error.isEmpty());
        }
    }

    void displays_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("kind");
        QTest::newRow("value") << "Common,&HC0,Value" << true << int(DisplayKind::Value);
        QTest::newRow("echo") << "Group,&H81,EchoDly" << true << int(DisplayKind::EchoDly);
        QTest::newRow("reverb") << "Group,&H85,RevTime" << true << int(DisplayKind::RevTime);
        QTest::newRow("unknown kind") << "Group,&H85,Seconds" << false << 0;
        QTest::newRow("kind is case-sensitive") << "Group,&H85,value" << false << 0;
        QTest::newRow("two items") << "Group,&H85" << false << 0;
    }
    void displays() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, kind);
        auto b = ParseDisplayBinding(text);
        QCOMPARE(b.has_value(), ok);
        if (ok) {
            QCOMPARE(int(b->Kind), kind);
        }
    }

    void runTimeForms_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::newRow("point value") << "68,1,3" << true;
        QTest::newRow("data index 3") << "68,3,3" << false;
        QTest::newRow("hex not allowed") << "&H44,1,3" << false;
        QTest::newRow("point 20") << "68,0,20" << false;
        QTest::newRow("blank item") << "68,,3" << false;
    }
    void runTimeForms() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QCOMPARE(ParsePointValueBinding(text).has_value(), ok);
    }

    void roundTrips() {
        auto v = ParsePointValueBinding(FormatPointValueBinding(0x44, 2, 16));
        QVERIFY(v);
        QCOMPARE(int(v->Address), 0x44);
        QCOMPARE(v->DataIndex, 2);
        QCOMPARE(v->Point, 16);
        auto b = ParseButtonBinding(FormatButtonBinding(0x0E));
        QVERIFY(b);
        QCOMPARE(int(b->Address), 0x0E);
        QCOMPARE(FormatButtonBinding(0xFF), QStringLiteral("&HFF"));
        auto m = ParsePointMarkerBinding(QStringLiteral("16"));
        QVERIFY(m);
        QCOMPARE(m->Point, 16);
        QVERIFY(!ParsePointMarkerBinding(QString()).has_value());
    }
};

QTEST_APPLESS_MAIN(TstBinding)
#include "tst_binding.moc"
