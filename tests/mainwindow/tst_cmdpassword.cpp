#include "AdminTestDoubles.h"

#include "mainwindow/admin/CmdPassword.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace korva;
using namespace korva::testing;

namespace {

DevicePasswordBytes Bytes(const char* text) {
    DevicePasswordBytes b{};
    for (int i = 0; i < 9; ++i) {
        b[i] = uint8_t(text[i]);
    }
    return b;
}

// The dialog over a device password "Abc123456", shown and ready for typing.
struct Fixture {
    Fixture() : dialog(password, messages, [this] { return Write(); }) {
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }
    bool Write() {
        writes.push_back(password);
        return writeSucceeds;
    }
    template <typename T> T* Child(const char* name) {
        T* child = dialog.findChild<T*>(QLatin1String(name));
        if (!child) {
            qFatal("no child %s", name);
        }
        return child;
    }
    QLineEdit* Text1() { return Child<QLineEdit>("Text1"); }
    QLineEdit* Text2() { return Child<QLineEdit>("Text2"); }
    QPushButton* Command1() { return Child<QPushButton>("Command1"); }
    QPushButton* Command2() { return Child<QPushButton>("Command2"); }
    void Type(QLineEdit* field, const QString& text) {
        field->clear();
        field->setFocus();
        // Key by key, as typed; keyClicks() only knows Latin-1.
        for (QChar c : text) {
            QTest::sendKeyEvent(QTest::Press, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }
    void PressEnter(QWidget* on) { QTest::keyClick(on, Qt::Key_Return); }
    void ToChangeStage() {
        Type(Text1(), QStringLiteral("Abc123456"));
        QTest::mouseClick(Command2(), Qt::LeftButton);
    }
    QString LastMessage() const {
        return messages.Messages().empty() ? QString() : messages.Messages().back().Text;
    }

    DevicePasswordBytes password = Bytes("Abc123456");
    MessageRecorder messages;
    std::vector<DevicePasswordBytes> writes;
    bool writeSucceeds = true;
    CmdPassword dialog;
};

} // namespace

class TstCmdPassword : public QObject {
    Q_OBJECT
private slots:
    void opensInEntryStage() {
        Fixture f;
        QCOMPARE(f.dialog.objectName(), QStringLiteral("CmdPassword"));
        QCOMPARE(f.dialog.windowTitle(), QStringLiteral("密码管理："));
        QCOMPARE(f.Child<QLabel>("Label1")->text(), QStringLiteral("请输入管理密码："));
        QCOMPARE(f.Child<QLabel>("Label2")->text(), QStringLiteral("重复输入新密码："));
        QVERIFY(f.Child<QLabel>("Label2")->isHidden());
        QVERIFY(f.Text2()->isHidden());
        QCOMPARE(f.Command1()->text(), QStringLiteral("进入菜单属性设置"));
        QCOMPARE(f.Command2()->text(), QStringLiteral("修改密码"));
        QVERIFY(f.Command1()->isEnabled());
        QVERIFY(!f.dialog.OK);
        for (QLineEdit* field : {f.Text1(), f.Text2()}) {
            QVERIFY(field->text().isEmpty());
            QCOMPARE(field->echoMode(), QLineEdit::Password);
            QVERIFY(field->styleSheet().contains(QStringLiteral("lineedit-password-character: 42")));
        }
        f.Type(f.Text1(), QStringLiteral("123456789012"));
        QCOMPARE(f.Text1()->text(), QStringLiteral("123456789")); // at most 9 characters
    }

    void entry_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("enter"); // Enter in Text1 instead of a click on Command1
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << false << PasswordMessages::kEnterPassword;
        QTest::newRow("8 characters, Enter") << "Abc12345" << true << PasswordMessages::kWrongLength;
        QTest::newRow("8 characters, click") << "Abc12345" << false << PasswordMessages::kWrongLength;
        QTest::newRow("case differs") << "aBC123456" << true << PasswordMessages::kWrongPassword;
        QTest::newRow("last differs") << "Abc123457" << false << PasswordMessages::kWrongPassword;
        QTest::newRow("not single-byte") << "Abc12345密" << true << PasswordMessages::kWrongPassword;
        QTest::newRow("match, Enter") << "Abc123456" << true << QString();
        QTest::newRow("match, click") << "Abc123456" << false << QString();
    }
    void entry() {
        QFETCH(QString, typed);
        QFETCH(bool, enter);
        QFETCH(QString, message);
        Fixture f;
        f.Type(f.Text1(), typed);
        if (enter) {
            f.PressEnter(f.Text1());
        } else {
            QTest::mouseClick(f.Command1(), Qt::LeftButton);
        }
        QCOMPARE(f.LastMessage(), message);
        if (!message.isEmpty()) {
            QCOMPARE(f.messages.Messages().back().Icon, MessageIcon::Warning);
        }
        QCOMPARE(f.dialog.OK, message.isEmpty());
        QCOMPARE(f.dialog.isVisible(), !message.isEmpty());
        if (!message.isEmpty()) {
            QVERIFY(f.Text1()->hasFocus());
        }
        QVERIFY(f.writes.empty());
    }

    void enterOnAButtonRunsCommand1() {
        Fixture f;
        f.Type(f.Text1(), QStringLiteral("Abc123456"));
        f.Command2()->setFocus();
        f.PressEnter(f.Command2());
        QVERIFY(f.dialog.OK);
        QVERIFY(!f.dialog.InChangeStage());
    }

    void oldPassword_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << PasswordMessages::kEnterOldPassword;
        QTest::newRow("8 characters") << "Abc12345" << PasswordMessages::kWrongOldLength;
        QTest::newRow("case differs") << "ABC123456" << PasswordMessages::kWrongOldPassword;
    }
    void oldPassword() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        Fixture f;
        f.Type(f.Text1(), typed);
        QTest::mouseClick(f.Command2(), Qt::LeftButton);
        QCOMPARE(f.messages.Texts(), QStringList{message});
        QVERIFY(!f.dialog.InChangeStage());
        QCOMPARE(f.Command2()->text(), QStringLiteral("修改密码"));
        QVERIFY(f.Text1()->hasFocus());
    }

    void changeStageLayout() {
        Fixture f;
        const QSize entrySize = f.dialog.size();
        f.ToChangeStage();
        QVERIFY(f.messages.Messages().empty());
        QVERIFY(f.dialog.InChangeStage());
        QCOMPARE(f.Command2()->text(), QStringLiteral("保存密码"));
        QVERIFY(!f.Command1()->isEnabled());
        QCOMPARE(f.Child<QLabel>("Label1")->text(),
                 QStringLiteral("输入新密码： 长度为9字节，必须是数字和字母"));
        QVERIFY(!f.Child<QLabel>("Label2")->isHidden());
        QVERIFY(!f.Text2()->isHidden());
        QCOMPARE(f.Command1()->y(), 1650 / 15);
        QCOMPARE(f.Command2()->y(), 1650 / 15);
        const int frame = f.dialog.frameGeometry().height() - f.dialog.geometry().height();
        QCOMPARE(f.dialog.height() + frame, 2685 / 15);
        QVERIFY(f.dialog.height() > entrySize.height());
        QVERIFY(f.Command1()->geometry().bottom() < f.dialog.height());
        QVERIFY(f.Text2()->geometry().bottom() < f.Command1()->y());
        QVERIFY(f.Text1()->text().isEmpty());
        QVERIFY(f.Text1()->hasFocus());
    }

    void newPassword_data() {
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::newRow("empty") << ""
                               << "" << PasswordMessages::kNewEmpty << "Text1";
        QTest::newRow("8 characters") << "NewPass9"
                                      << "NewPass9" << PasswordMessages::kNewLength << "Text1";
        QTest::newRow("repetition differs in last") << "NewPass99"
                                                    << "NewPass98" << PasswordMessages::kMismatch << "Text2";
        QTest::newRow("repetition differs in case") << "NewPass99"
                                                    << "newPass99" << PasswordMessages::kMismatch << "Text2";
        QTest::newRow("not single-byte") << "NewPass9é"
                                         << "NewPass9é" << PasswordMessages::kNotSingleByte << "Text1";
        QTest::newRow("wide character") << "NewPass9密"
                                        << "NewPass9密" << PasswordMessages::kNotSingleByte << "Text1";
    }
    void newPassword() {
        QFETCH(QString, text1);
        QFETCH(QString, text2);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        Fixture f;
        f.ToChangeStage();
        f.Type(f.Text1(), text1);
        f.Type(f.Text2(), text2);
        QTest::mouseClick(f.Command2(), Qt::LeftButton);
        QCOMPARE(f.messages.Texts(), QStringList{message});
        QVERIFY(f.Child<QLineEdit>(focus.toLatin1().constData())->hasFocus());
        QVERIFY(f.password == Bytes("Abc123456"));
        QVERIFY(f.writes.empty());
        QVERIFY(f.dialog.isVisible());
        QVERIFY(f.dialog.InChangeStage());
    }

    void savedPasswordIsWritten() {
        Fixture f;
        f.ToChangeStage();
        f.Type(f.Text1(), QStringLiteral("NewPass99"));
        f.Type(f.Text2(), QStringLiteral("NewPass99"));
        QTest::mouseClick(f.Command2(), Qt::LeftButton);
        QCOMPARE(f.writes.size(), size_t(1));
        QVERIFY(f.writes[0] == Bytes("NewPass99")); // DevicePassword holds the new bytes when the write sends
        QVERIFY(f.password == Bytes("NewPass99"));
        QCOMPARE(f.messages.Texts(), QStringList{QStringLiteral("密码修改完成！")});
        QCOMPARE(f.messages.Messages()[0].Icon, MessageIcon::Warning);
        QVERIFY(!f.dialog.isVisible());
        QVERIFY(!f.dialog.OK); // a change does not open the menu editor
    }

    void failedWriteKeepsTheOldPassword() {
        Fixture f;
        f.writeSucceeds = false;
        f.ToChangeStage();
        f.Type(f.Text1(), QStringLiteral("NewPass99"));
        f.Type(f.Text2(), QStringLiteral("NewPass99"));
        QTest::mouseClick(f.Command2(), Qt::LeftButton);
        QCOMPARE(f.writes.size(), size_t(1));
        QVERIFY(f.password == Bytes("Abc123456")); // the processor kept it, so does the program
        QVERIFY(f.messages.Messages().empty());    // the link reports the failure
        QVERIFY(f.dialog.isVisible());
        QVERIFY(f.dialog.InChangeStage());
        QVERIFY(f.dialog.isEnabled());
        // The new password does not open the editor either.
        f.PressEnter(f.Text1());
        QCOMPARE(f.LastMessage(), PasswordMessages::kWrongPassword);
    }

    void enterInChangeStageChecksText1() {
        Fixture f;
        f.ToChangeStage();
        f.Type(f.Text1(), QStringLiteral("NewPass99"));
        f.Type(f.Text2(), QStringLiteral("NewPass99"));
        f.PressEnter(f.Text2());
        QCOMPARE(f.messages.Texts(), QStringList{PasswordMessages::kWrongPassword});
        QVERIFY(f.writes.empty());
        f.Type(f.Text1(), QStringLiteral("Abc123456"));
        f.PressEnter(f.Text1());
        QVERIFY(f.dialog.OK);
        QVERIFY(!f.dialog.isVisible());
    }

    void escapeCancels() {
        Fixture f;
        f.Type(f.Text1(), QStringLiteral("Abc123456"));
        QTest::keyClick(f.Text1(), Qt::Key_Escape);
        QVERIFY(!f.dialog.isVisible());
        QVERIFY(!f.dialog.OK);
        QVERIFY(f.messages.Messages().empty());
    }
};

QTEST_MAIN(TstCmdPassword)
#include "tst_cmdpassword.moc"
