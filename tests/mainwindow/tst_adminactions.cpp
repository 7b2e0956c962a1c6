#include "AdminTestDoubles.h"

#include "mainwindow/admin/AdminActions.h"
#include "mainwindow/admin/CmdPassword.h"
#include "mainwindow/admin/MenuShowFrm.h"
#include "model/ParamDefaults.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTest>

using namespace korva;
using namespace korva::testing;

namespace {

SentCommand Sent(int command, int address, const QByteArray& payload = QByteArray()) {
    return {command, 0, address, 0, 1000, payload};
}

QByteArray MenuBlock(const MenuShowTable& table, int first) {
    QByteArray bytes;
    for (int a = first; a < first + FakeDevice::BlockSize(first); ++a) {
        bytes.append(char(table[a]));
    }
    return bytes;
}

struct World {
    World() { InitParamDefaults(model, false); }
    ParamModel model;
    FakeDevice device{model};
    FakeWindow window;
    MessageRecorder messages;
    DialogScript script;
    AdminActions actions{model, device, window, messages, [this](QDialog& d) { script(d); }};
};

void EnterPassword(CmdPassword& d, const QString& text) {
    d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(text);
    d.Command1Click();
}

void HideEffectSection(MenuShowFrm& d) {
    QListWidgetItem* heading = d.findChild<QListWidget*>(QStringLiteral("List1"))->item(86);
    heading->setCheckState(Qt::Unchecked);
    d.Command3Click();
}

} // namespace

class TstAdminActions : public QObject {
    Q_OBJECT
private slots:
    void offlineKeyWarnsOnly() {
        World w;
        w.device.online = false;
        w.actions.OpenMenuAdministration();
        QCOMPARE(w.messages.Texts(),
                 QStringList{QStringLiteral("未联机时，不可进行菜单属性设置等管理操作！")});
        QCOMPARE(w.messages.Messages()[0].Icon, MessageIcon::Warning);
        QVERIFY(w.device.sent.empty());
        QVERIFY(w.script.shown.isEmpty());
    }

    void failedPasswordReadShowsNoDialog() {
        World w;
        w.device.fail = [](const SentCommand& c) { return c.command == kCmdReadPassword; };
        w.actions.OpenMenuAdministration();
        QCOMPARE(w.device.sent, std::vector<SentCommand>{Sent(kCmdReadPassword, 0)});
        QVERIFY(w.script.shown.isEmpty());
        QVERIFY(w.messages.Messages().empty()); // the link has reported it
    }

    void wholeSequence() {
        World w;
        w.model.DevicePassword = {};
        w.device.devicePassword = "Zx9Zx9Zx9";
        w.script.password = [](CmdPassword& d) { EnterPassword(d, QStringLiteral("Zx9Zx9Zx9")); };
        w.script.editor = HideEffectSection;
        w.actions.OpenMenuAdministration();

        QCOMPARE(w.script.shown, (QStringList{"CmdPassword", "MenuShowFrm"}));
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(w.model.DevicePassword.data()), 9),
                 QByteArray("Zx9Zx9Zx9"));
        MenuShowTable expected{};
        for (int a : {0x80, 0x81, 0x83, 0x84, 0x85, 0x86}) {
            expected[a] = 1;
        }
        QVERIFY(w.model.MenuShow == expected);
        QCOMPARE(w.device.sent,
                 (std::vector<SentCommand>{Sent(kCmdReadPassword, 0),
                                           Sent(kCmdWriteMenuBlock, 0x00, MenuBlock(expected, 0x00)),
                                           Sent(kCmdWriteMenuBlock, 0x40, MenuBlock(expected, 0x40)),
                                           Sent(kCmdWriteMenuBlock, 0x80, MenuBlock(expected, 0x80))}));
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("菜单属性设置完成！")});
        QCOMPARE(w.messages.Messages()[0].Icon, MessageIcon::Warning);
    }

    void sequenceStops_data() {
        QTest::addColumn<bool>("passwordRight");
        QTest::addColumn<bool>("editorSaves");
        QTest::addColumn<bool>("offlineInEditor");
        QTest::addColumn<int>("failingBlock"); // -1: none
        QTest::addColumn<int>("writes");       // command-6 frames sent
        QTest::addColumn<QStringList>("dialogs");
        const QStringList both = {"CmdPassword", "MenuShowFrm"};
        QTest::newRow("password cancelled")
            << false << true << false << -1 << 0 << QStringList{"CmdPassword"};
        QTest::newRow("editor cancelled") << true << false << false << -1 << 0 << both;
        QTest::newRow("offline while editing") << true << true << true << -1 << 0 << both;
        QTest::newRow("first block fails") << true << true << false << 0x00 << 1 << both;
        QTest::newRow("second block fails") << true << true << false << 0x40 << 2 << both;
        QTest::newRow("third block fails") << true << true << false << 0x80 << 3 << both;
    }
    void sequenceStops() {
        QFETCH(bool, passwordRight);
        QFETCH(bool, editorSaves);
        QFETCH(bool, offlineInEditor);
        QFETCH(int, failingBlock);
        QFETCH(int, writes);
        QFETCH(QStringList, dialogs);
        World w;
        if (passwordRight) {
            w.script.password = [](CmdPassword& d) { EnterPassword(d, QStringLiteral("Abc123456")); };
        }
        w.script.editor = [&](MenuShowFrm& d) {
            if (offlineInEditor) {
                w.device.online = false;
            }
            if (editorSaves) {
                HideEffectSection(d);
            }
        };
        w.device.fail = [failingBlock](const SentCommand& c) {
            return c.command == kCmdWriteMenuBlock && c.address == failingBlock;
        };
        w.actions.OpenMenuAdministration();
        QCOMPARE(w.script.shown, dialogs);
        const auto menuWrites =
            std::count_if(w.device.sent.begin(), w.device.sent.end(),
                          [](const SentCommand& c) { return c.command == kCmdWriteMenuBlock; });
        QCOMPARE(int(menuWrites), writes);
        QVERIFY(w.messages.Messages().empty()); // no completion message
        // The edited table stays in memory when saved, whatever the device took.
        QCOMPARE(int(w.model.MenuShow[0x80]), editorSaves && dialogs.size() == 2 ? 1 : 0);
    }

    void changedPasswordIsWrittenAndEditorStaysClosed() {
        World w;
        w.script.password = [](CmdPassword& d) {
            d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Abc123456"));
            d.Command2Click();
            d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("New123456"));
            d.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("New123456"));
            d.Command2Click();
        };
        w.actions.OpenMenuAdministration();
        QCOMPARE(w.script.shown, QStringList{"CmdPassword"});
        QCOMPARE(w.device.sent, (std::vector<SentCommand>{Sent(kCmdReadPassword, 0),
                                                          Sent(kCmdWritePassword, 0, "New123456")}));
        QCOMPARE(w.device.devicePassword, QByteArray("New123456"));
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("密码修改完成！")});
    }

    void secondKeyWhileRunningIsIgnored() {
        World w;
        w.script.password = [&](CmdPassword& d) {
            w.actions.OpenMenuAdministration(); // "q" again while the dialog is up
            EnterPassword(d, QStringLiteral("Abc123456"));
        };
        w.actions.OpenMenuAdministration();
        QCOMPARE(w.script.shown, (QStringList{"CmdPassword", "MenuShowFrm"}));
        QCOMPARE(w.device.sent.size(), size_t(1)); // one password read; the editor was cancelled
    }

    void shortPasswordAnswerIsAFailedRead() {
        World w;
        w.device.devicePassword = "Abc";
        w.actions.OpenMenuAdministration();
        QVERIFY(w.script.shown.isEmpty());
    }

    void lockOffline() {
        World w;
        w.device.online = false;
        w.model.Store.at(0, 0xCC).DATA1 = 0;
        w.actions.LockButtonClick();
        QCOMPARE(w.window.calls, QStringList{"undo point"});
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("未联机时，此项不可用")});
        QCOMPARE(w.messages.Messages()[0].Icon, MessageIcon::Warning);
        QCOMPARE(w.window.lockValue, 0);
        QCOMPARE(w.model.Store.at(0, 0xCC).DATA1, uint8_t(0));
        QVERIFY(w.device.sent.empty());
    }

    void lockToggles_data() {
        QTest::addColumn<bool>("writeFails");
        QTest::newRow("written") << false;
        QTest::newRow("write fails") << true;
    }
    void lockToggles() {
        QFETCH(bool, writeFails);
        World w;
        if (writeFails) {
            w.device.fail = [](const SentCommand&) { return true; };
        }
        w.actions.LockButtonClick();
        QCOMPARE(w.window.calls, (QStringList{"undo point", "lock value 1", "disable", "enable"}));
        QCOMPARE(w.model.Store.at(0, 0xCC).DATA1, uint8_t(1));
        QCOMPARE(w.device.sent, (std::vector<SentCommand>{{kCmdWriteRecord, 0, 0xCC, 1, 1000, {}}}));
        if (!writeFails) {
            w.actions.LockButtonClick();
            QCOMPARE(w.window.lockValue, 0);
            QCOMPARE(w.model.Store.at(0, 0xCC).DATA1, uint8_t(0));
            QCOMPARE(w.device.sent.back(), (SentCommand{kCmdWriteRecord, 0, 0xCC, 0, 1000, {}}));
        }
    }
};

QTEST_MAIN(TstAdminActions)
#include "tst_adminactions.moc"
