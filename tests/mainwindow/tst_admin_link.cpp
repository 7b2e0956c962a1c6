// The preset, password, menu and lock actions end to end: through the device link to the virtual
// processor, checked by the frames the processor received.
#include "../processor/ProcessorTestWorld.h"
#include "AdminTestDoubles.h"

#include "mainwindow/admin/AdminActions.h"
#include "mainwindow/admin/CmdPassword.h"
#include "mainwindow/LinkDeviceCommands.h"
#include "mainwindow/admin/MenuShowFrm.h"
#include "mainwindow/presets/PresetActions.h"

#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace korva;
using namespace korva::test;
using korva::testing::DialogScript;
using korva::testing::FakeFileDialogs;
using korva::testing::FakeWindow;

namespace {

// A frame written out independently of the code under test.
QString Frame(QByteArray bytes) {
    int sum = 0;
    for (char b : bytes) {
        sum += uint8_t(b);
    }
    const int low = sum & 0xFF;
    bytes.append(char(low >= 0xFD ? 0 : low));
    return QString::fromLatin1(bytes.toHex().toUpper());
}

QString SingleFrame(int commandAndGroup, int address, int value) {
    return Frame(QByteArray{"\xFE"} + char(commandAndGroup) + char(address) + char(value) + '\0' + '\0');
}

QString MenuFrame(const MenuShowTable& table, int first, int count) {
    QByteArray bytes{"\xFE\x60"};
    bytes += char(first);
    bytes += char(count * 3 + 5);
    for (int a = first; a < first + count; ++a) {
        bytes += char(table[a]);
        bytes += "\x23\x23";
    }
    return Frame(bytes);
}

struct World : ProcessorWorld {
    World() {
        QVERIFY(link.Supervisor().GoOnline());
        device.ClearRecordings();
    }
    LinkDeviceCommands commands{processor};
    FakeWindow window;
    FakeFileDialogs dialogs;
    DialogScript script;
    AdminActions admin{model, commands, window, messages, [this](QDialog& d) { script(d); }};
    PresetActions presets{model, commands, dialogs, messages};
};

void Type(CmdPassword& d, const char* field, const QString& text) {
    d.findChild<QLineEdit*>(QLatin1String(field))->setText(text);
}

void HideEffectSection(MenuShowFrm& d) {
    d.findChild<QListWidget*>(QStringLiteral("List1"))->item(86)->setCheckState(Qt::Unchecked);
    d.Command3Click();
}

} // namespace

class TstAdminLink : public QObject {
    Q_OBJECT
private slots:
    void menuSequence() {
        World w;
        w.script.password = [](CmdPassword& d) {
            Type(d, "Text1", QStringLiteral("KORVA2024"));
            d.Command1Click();
        };
        w.script.editor = HideEffectSection;
        w.admin.OpenMenuAdministration();

        const MenuShowTable& table = w.model.MenuShow;
        QCOMPARE(w.DeviceFrames(), (QStringList{SingleFrame(0x70, 0, 0), MenuFrame(table, 0x00, 41),
                                                MenuFrame(table, 0x40, 30), MenuFrame(table, 0x80, 12)}));
        for (int a = 0; a < 0xC0; ++a) {
            const bool inBlock = a <= 0x28 || (a >= 0x40 && a <= 0x5D) || (a >= 0x80 && a <= 0x8B);
            if (inBlock) {
                QCOMPARE(w.device.Memory().MenuShow[a], table[a]);
            }
        }
        QCOMPARE(int(w.device.Memory().MenuShow[0x85]), 1);
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("菜单属性设置完成！")});
    }

    void failingBlockWriteStops() {
        World w;
        w.script.password = [](CmdPassword& d) {
            Type(d, "Text1", QStringLiteral("KORVA2024"));
            d.Command1Click();
        };
        w.script.editor = HideEffectSection;
        // Block 0x40 of the menu table is never answered.
        w.device.SetReplyFilter(
            [](const QByteArray& f) { return !(uint8_t(f[1]) == 0x60 && uint8_t(f[2]) == 0x40); });
        w.admin.OpenMenuAdministration();
        const QStringList frames = w.DeviceFrames();
        QCOMPARE(frames.count(MenuFrame(w.model.MenuShow, 0x00, 41)), 1);
        QCOMPARE(frames.count(MenuFrame(w.model.MenuShow, 0x40, 30)), 8); // every attempt
        QCOMPARE(frames.count(MenuFrame(w.model.MenuShow, 0x80, 12)), 0);
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("与目标通信连接超时，已断开连接。")});
        QVERIFY(!w.comm().IsOnline());
    }

    void passwordChange() {
        World w;
        w.script.password = [](CmdPassword& d) {
            Type(d, "Text1", QStringLiteral("KORVA2024"));
            d.Command2Click();
            Type(d, "Text1", QStringLiteral("Stage7xyz"));
            Type(d, "Text2", QStringLiteral("Stage7xyz"));
            d.Command2Click();
        };
        w.admin.OpenMenuAdministration();
        QCOMPARE(w.DeviceFrames(), (QStringList{SingleFrame(0x70, 0, 0),
                                                Frame(QByteArray("\xFE\x80\x00\x0E", 4) + "Stage7xyz")}));
        const DevicePasswordBytes& stored = w.device.Memory().DevicePassword;
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(stored.data()), 9), QByteArray("Stage7xyz"));
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("密码修改完成！")});
    }

    void lockWrite() {
        World w;
        w.admin.LockButtonClick();
        QCOMPARE(w.DeviceFrames(), QStringList{SingleFrame(0x00, 0xCC, 1)});
        QCOMPARE(w.device.Memory().Store.at(0, 0xCC).DATA1, uint8_t(1));
        QCOMPARE(w.window.calls, (QStringList{"undo point", "lock value 1", "disable", "enable"}));
    }

    void importDownloads() {
        World w;
        QTemporaryDir dir;
        w.dialogs.saveName = w.dialogs.openName = dir.filePath("venue.PA");
        w.model.Store.at(2, 0x44) = {100, 60, 20};
        QVERIFY(w.presets.ExportPreset());
        w.model.Store.at(2, 0x44) = {1, 2, 3};
        w.model.CurrentGroup = 3;
        w.processor.History().RecordUndoPoint();
        QSignalSpy shown(&w.processor, &Processor::ImageChanged);
        QVERIFY(w.presets.ImportPreset());

        const QStringList frames = w.DeviceFrames();
        QCOMPARE(frames.size(), 26);
        QVERIFY(frames.first().startsWith(QStringLiteral("FE20C0"))); // Common block first
        QCOMPARE(frames.last(), SingleFrame(0x43, 0, 0));             // then group 3 made active
        QCOMPARE(w.device.Memory().Store.at(2, 0x44), (ParamRecord{100, 60, 20}));
        QCOMPARE(shown.count(), 1);                          // the screen follows the whole new image
        QCOMPARE(w.processor.History().UndoPosition(), -1); // and the undo history starts afresh
        QVERIFY(w.messages.shown.empty());
    }

    void badImportSendsNothing() {
        World w;
        QTemporaryDir dir;
        const QString path = dir.filePath("bad.PA");
        w.dialogs.saveName = w.dialogs.openName = path;
        QVERIFY(w.presets.ExportPreset());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QByteArray bytes = f.readAll().replace("GROUP3.ADDR0=", "GROUP3.ADDR0=x");
        f.seek(0);
        f.write(bytes);
        f.close();
        const ParamStore before = w.model.Store;
        QVERIFY(!w.presets.ImportPreset());
        QVERIFY(w.DeviceFrames().isEmpty());
        QVERIFY(w.model.Store == before);
        QCOMPARE(w.messages.Texts(), QStringList{QStringLiteral("导入的数据有错误！")});
    }
};

QTEST_MAIN(TstAdminLink)
#include "tst_admin_link.moc"
