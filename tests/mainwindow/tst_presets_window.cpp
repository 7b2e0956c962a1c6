// The preset buttons, the lock button and the key "q" on the real main window, over the virtual processor.
#include "../model/PresetFileEdits.h"
#include "AdminTestDoubles.h"
#include "EditTestSupport.h"

#include "mainwindow/admin/PasswordHandlers.h"
#include "mainwindow/presets/PresetHandlers.h"
#include "model/PresetFile.h"
#include "ops/ParamImage.h"
#include "widgets/ScrollBar.h"
#include "widgets/SimpControl.h"

#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace korva;
using korva::test::SetPresetKeys;
using korva::test::TestWorld;
using korva::testing::DialogScript;
using korva::testing::FakeFileDialogs;

namespace {

constexpr int kEchoCountAddress = 0x80; // MyScrollBar(0) of the test window
constexpr int kFbxAddress = 0xCF;

struct World : TestWorld {
    World() {
        QVERIFY2(Load(), qPrintable(Error));
        Window->Presets().SetFileDialogs(dialogs);
        Window->Password().SetModalRunner([this](QDialog& d) { script(d); });
    }
    void Online() {
        QVERIFY(GoOnline());
        Device.ClearRecordings();
    }
    QStringList Texts() const { return testing::Texts(Messages); }
    FakeFileDialogs dialogs;
    DialogScript script;
    QTemporaryDir dir;
};


void EnterDevicePassword(CmdPassword& d) {
    d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("KORVA2024"));
    d.Command1Click();
}

} // namespace

class TstPresetsWindow : public QObject {
    Q_OBJECT
private slots:
    void saveAndImportThroughTheButtons() {
        World w;
        w.Online();
        w.Model().CurrentGroup = 2;
        w.Model().Store.at(2, kEchoCountAddress).DATA1 = 77;
        w.dialogs.saveName = w.dialogs.openName = w.dir.filePath("show");
        emit w.C().btnSave->Click();
        QVERIFY(QFileInfo::exists(w.dir.filePath("show.PA")));
        QCOMPARE(w.dialogs.saveDialogs, 1);

        w.Model().Store.at(2, kEchoCountAddress).DATA1 = 5;
        w.Context.Undo.RecordUndoPoint();
        w.dialogs.openName = w.dir.filePath("show.PA");
        emit w.C().btnImport->Click();
        QCOMPARE(w.Model().Store.at(2, kEchoCountAddress).DATA1, uint8_t(77));
        QCOMPARE(w.C().MyScrollBar[0]->Value(), 77); // the screen follows
        QCOMPARE(w.Context.Undo.UndoPosition(), -1); // the history starts afresh
        QCOMPARE(w.FramesOf(kCmdWriteBlock), 25);    // downloaded...
        const QByteArray last = w.Device.ReceivedFrames().back();
        QCOMPARE(QByteArray(last.left(3)), QByteArray("\xFE\x42\x00", 3)); // ...ending on the group shown
        QVERIFY(w.Window->isEnabled());
        QVERIFY(w.Texts().isEmpty());
    }

    void badImportLeavesWindowAndHistory() {
        World w;
        const QString path = w.dir.filePath("bad.PA");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Main]\r\nType=ZUL001\r\nGROUP0.ADDR3.DATA1=19\r\n");
        f.close();
        w.Model().Store.at(0, kEchoCountAddress).DATA1 = 9;
        w.Window->RefreshBoundControls(0xFF, 255);
        w.Context.Undo.RecordUndoPoint();
        const ParamModel before = w.Model();
        w.dialogs.openName = path;
        emit w.C().btnImport->Click();
        QVERIFY(w.Model().Store == before.Store);
        QCOMPARE(w.C().MyScrollBar[0]->Value(), 9);
        QCOMPARE(w.Context.Undo.UndoPosition(), 0);
        QCOMPARE(w.Texts(), QStringList{QStringLiteral("导入的数据有错误！")});
    }

    // The link takes 253..255 for frame markers: once downloaded, the processor could never be read back.
    void importRefusesFrameMarkerBytes_data() { test::AddFrameMarkerRows(); }
    void importRefusesFrameMarkerBytes() {
        QFETCH(QStringList, edits);
        QFETCH(QString, named);
        World w;
        w.Online();
        const QString path = w.dir.filePath("markers.PA");
        QVERIFY(ExportPresetFile(w.Model(), path).ok);
        QVERIFY(SetPresetKeys(path, edits));
        const ParamImage before = ParamImage::Of(w.Model());
        w.dialogs.openName = path;
        emit w.C().btnImport->Click();
        if (named.isEmpty()) {
            QVERIFY(w.Texts().isEmpty());
            QCOMPARE(w.Model().MenuShow[5], uint8_t(255));
            QCOMPARE(w.FramesOf(kCmdWriteBlock), 25);
            return;
        }
        QVERIFY(ParamImage::Of(w.Model()) == before);
        QCOMPARE(w.Device.ReceivedFrames().size(), size_t(0));
        QCOMPARE(w.Messages.Messages().size(), size_t(1));
        QCOMPARE(w.Messages.Messages()[0].Icon, MessageIcon::Error);
        QCOMPARE(w.Messages.Messages()[0].Text,
                 QStringLiteral("配置文件中 %1 不能写入处理器：253–255 是通信的帧标记字节，"
                                "写入后处理器的数据将无法再读回。")
                     .arg(named));
    }

    void lockButton() {
        World w;
        emit w.C().btnLock->Click();
        QCOMPARE(w.Texts(), QStringList{QStringLiteral("未联机时，此项不可用")});
        QCOMPARE(w.Context.Undo.UndoPosition(), 0); // recorded before the check
        QCOMPARE(w.C().btnLock->Value(), 0);

        w.Online();
        emit w.C().btnLock->Click();
        QCOMPARE(w.C().btnLock->Value(), 1);
        QCOMPARE(w.Model().Store.at(0, 0xCC).DATA1, uint8_t(1));
        QCOMPARE(w.Device.Memory().Store.at(0, 0xCC).DATA1, uint8_t(1));
        QCOMPARE(w.FramesOf(kCmdWriteRecord), 1);
        QVERIFY(w.Window->isEnabled());
    }

    void keyQOffline() {
        World w;
        QTest::keyClick(w.Window.get(), Qt::Key_Q, Qt::NoModifier);
        QCOMPARE(w.Texts(), QStringList{QStringLiteral("未联机时，不可进行菜单属性设置等管理操作！")});
        QVERIFY(w.script.shown.isEmpty());
    }

    void keyQOnline() {
        World w;
        w.Online();
        w.script.password = EnterDevicePassword;
        w.script.editor = [](MenuShowFrm& d) {
            d.findChild<QListWidget*>(QStringLiteral("List1"))->item(86)->setCheckState(Qt::Unchecked);
            d.Command3Click();
        };
        QTest::keyClick(w.Window.get(), Qt::Key_Q, Qt::NoModifier);
        QCOMPARE(w.script.shown, (QStringList{"CmdPassword", "MenuShowFrm"}));
        QCOMPARE(w.FramesOf(kCmdReadPassword), 1);
        QCOMPARE(w.FramesOf(kCmdWriteMenuBlock), 3);
        QCOMPARE(int(w.Device.Memory().MenuShow[0x86]), 1);
        QCOMPARE(w.Texts(), QStringList{QStringLiteral("菜单属性设置完成！")});
    }

    // An undo that restores over a slow link waits inside its writes; an action on the whole store
    // pressed meanwhile would run there and then be overwritten by the rest of the snapshot.
    void wholeStoreActionsWaitForARestore_data() {
        QTest::addColumn<int>("action");
        QTest::newRow("导入") << 0;
        QTest::newRow("写入设备") << 1;
        QTest::newRow("复位") << 2;
        QTest::newRow("q") << 3;
    }
    void wholeStoreActionsWaitForARestore() {
        QFETCH(int, action);
        World w;
        w.Online();
        ParamModel other = w.Model();
        other.Store.at(0, kEchoCountAddress).DATA1 = 99;
        w.dialogs.openName = w.dir.filePath("other.PA");
        QVERIFY(ExportPresetFile(other, w.dialogs.openName).ok);
        w.script.password = EnterDevicePassword;
        w.Model().Store.at(0, kFbxAddress).DATA1 = 0;
        w.Window->RefreshBoundControls(0x04, 255);
        emit w.C().btnDown2->Click();
        emit w.C().btnDown2->Click();
        const ParamStore before = w.Model().Store; // FBX 2
        w.Device.ClearRecordings();
        w.Device.DelayNextReplyMs(60);
        bool pressed = false;
        QTimer::singleShot(20, w.Window.get(), [&] {
            QVERIFY(w.Context.Undo.IsRestoring());
            pressed = true;
            const MainControls& c = w.C();
            switch (action) {
            case 0: emit c.btnImport->Click(); break;
            case 1: emit c.btnUpload->Click(); break;
            case 2: emit c.btnReset->Click(); break;
            default: QTest::keyClick(w.Window.get(), Qt::Key_Q, Qt::NoModifier); break;
            }
        });
        emit w.C().SimpControl4->Click();
        QVERIFY(pressed);
        ParamStore undone = before;
        undone.at(0, kFbxAddress).DATA1 = 1;
        QVERIFY(w.Model().Store == undone);
        QVERIFY(w.Device.Memory().Store == undone);
        QCOMPARE(w.Device.ReceivedFrames(), std::vector<QByteArray>{korva::test::WriteFrame(0, kFbxAddress, 1)});
        QCOMPARE(w.dialogs.openDialogs, 0);
        QVERIFY(w.script.shown.isEmpty());
        QVERIFY(w.Texts().isEmpty());
        QCOMPARE(w.Context.Undo.UndoPosition(), 0);
    }

    void closingTheWindowClosesTheDialog() {
        World w;
        w.Online();
        w.Window->show();
        w.script.password = [&](CmdPassword& d) {
            QCOMPARE(d.parentWidget(), w.Window.get());
            w.Window->close();
            QVERIFY(!d.isVisible());
        };
        w.Window->Password().AdministratorKey();
        QCOMPARE(w.script.shown, QStringList{"CmdPassword"});
        QCOMPARE(w.FramesOf(kCmdWriteMenuBlock), 0);
    }
};

QTEST_MAIN(TstPresetsWindow)
#include "tst_presets_window.moc"
