// The table's word on how a parameter is sent is what the window sends: every bound slider and button of
// the shipped window, edited online, goes through the processor service's one parameter write (announced
// once, as korva-ctl's set is) and sends exactly the frame korva-ctl builds for it (or, for the settings
// that travel only with a download, nothing).
#include "EditTestSupport.h"

#include "mainwindow/design/BindingTable.h"
#include "processor/DeviceSession.h"
#include "processor/Processor.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QTest>

using namespace korva;
using namespace korva::test;

class TstWindowWrites : public QObject {
    Q_OBJECT
private slots:
    void windowSendsTheTablesFrame_data() {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("index");
        for (int i = 0; i < 28; ++i) {
            if (i != 6) { // bound to nothing
                QTest::addRow("MyScrollBar(%d)", i) << "MyScrollBar" << i;
            }
        }
        for (int i = 0; i < 8; ++i) {
            QTest::addRow("MyButton(%d)", i) << "MyButton" << i;
        }
        for (const char* name : {"btnModeChange", "btnSaveMode", "btnStartModeI", "btnStartModeD"}) {
            QTest::addRow("%s(1)", name) << name << 1;
        }
        QTest::newRow("btnDown2") << "btnDown2" << 0;
    }
    void windowSendsTheTablesFrame() {
        QFETCH(QString, control);
        QFETCH(int, index);
        TestWorld w;
        QVERIFY2(w.Load(frmEQ::DefaultDesignText()), qPrintable(w.Error));
        QVERIFY(OnlineAndCleared(w));
        w.Model().CurrentGroup = 3;
        const MainControls& c = w.C();
        const BindingTable& b = w.Window->Bindings();

        int address = 0;
        std::function<void()> edit;
        if (control == u"MyScrollBar") {
            address = b.Slider(index)->Address;
            ScrollBar* slider = c.MyScrollBar[size_t(index)];
            edit = [slider] {
                slider->SetValue(slider->Value() == 5 ? 6 : 5);
                emit slider->Change();
            };
        } else if (control == u"MyButton") {
            address = b.MyButtonPair(index / 2)->Address;
            edit = [&c, index] { emit c.MyButton[size_t(index)]->Click(); };
        } else if (control == u"btnDown2") {
            address = b.Fbx()->Address;
            edit = [&c] { emit c.btnDown2->Click(); };
        } else {
            const std::map<QString, std::pair<const std::optional<ButtonBinding>*, SimpControl*>> buttons{
                {QStringLiteral("btnModeChange"), {&b.ModeChangePair(), c.btnModeChange[1]}},
                {QStringLiteral("btnSaveMode"), {&b.SaveModePair(), c.btnSaveMode[1]}},
                {QStringLiteral("btnStartModeI"), {&b.Input(), c.btnStartModeI[1]}},
                {QStringLiteral("btnStartModeD"), {&b.ShowStartMode(), c.btnStartModeD[1]}},
            };
            const auto& [binding, button] = buttons.at(control);
            address = (*binding)->Address;
            edit = [button] { emit button->Click(); };
        }
        const ParamDef* def = FindParamAt(uint8_t(address), 0);
        QVERIFY(def);
        const ParamRef ref{def, CellGroup(3, address)};
        const ParamRecord before = w.Model().Store.at(ref.Group, address);
        std::vector<std::pair<int, int>> written;
        QObject::connect(&w.Context.Device, &Processor::ParameterWritten,
                         [&written](int group, int a, int) { written.emplace_back(group, a); });
        edit();
        QCOMPARE(written, (std::vector<std::pair<int, int>>{{ref.Group, address}}));
        const uint8_t stored = w.Model().Store.at(ref.Group, address).DATA1;
        QVERIFY(stored != before.DATA1 || control == u"btnDown2" || control.startsWith(u"MyButton"));

        const std::vector<QByteArray> expected =
            def->Send == ParamSend::DownloadOnly
                ? std::vector<QByteArray>{}
                : std::vector<QByteArray>{DeviceSession::WriteFrame(ref, stored, before)};
        QCOMPARE(RecordWrites(w), expected);
    }
};

QTEST_MAIN(TstWindowWrites)
#include "tst_windowwrites.moc"
