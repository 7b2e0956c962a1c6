#include "model/MenuItems.h"
#include "model/PasswordCheck.h"

#include <QTest>

using namespace korva;

namespace {

DevicePasswordBytes Bytes(const char* nine) {
    DevicePasswordBytes b{};
    for (int i = 0; i < 9; ++i) {
        b[i] = uint8_t(nine[i]);
    }
    return b;
}

int RowOf(const QString& label, uint8_t address) {
    const auto& rows = MenuItemList();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].label == label && rows[i].address == address) {
            return int(i);
        }
    }
    return -1;
}

} // namespace

class TstMenuPassword : public QObject {
    Q_OBJECT
private slots:
    void menuList() {
        const auto& rows = MenuItemList();
        QCOMPARE(rows.size(), size_t(93));
        for (int start : MenuSectionStarts()) {
            if (start < 93) {
                QVERIFY2(rows[start].IsHeading(), qPrintable(rows[start].label));
                QCOMPARE(rows[start].address, kHeadingAddress);
            }
        }
        QCOMPARE(rows[0].label, QStringLiteral("--------- 音量分配 ---------"));
        QCOMPARE(rows[15].address, uint8_t(0x00)); // 主通道音乐均衡
        QCOMPARE(rows[45].label, QStringLiteral("话筒EQ15"));
        QCOMPARE(rows[45].address, uint8_t(0x52));
        QCOMPARE(rows[92].label, QStringLiteral("残响时间"));
        QCOMPARE(rows[92].address, uint8_t(0x85));
        // Every item address appears once.
        QSet<int> seen;
        for (const MenuRow& r : rows) {
            if (!r.IsHeading()) {
                QVERIFY(!seen.contains(r.address));
                seen.insert(r.address);
            }
        }
        QCOMPARE(seen.size(), 93 - 10);
    }

    void allShownTicksEverything() {
        MenuShowTable t{};
        const std::vector<bool> ticks = MenuTicksFromTable(t);
        QVERIFY(std::all_of(ticks.begin(), ticks.end(), [](bool b) { return b; }));
    }

    void headingUntickHidesSection() {
        MenuShowTable t{};
        t[0x30] = 7; // not in the list: kept
        t[0xFF] = 1;
        std::vector<bool> ticks = MenuTicksFromTable(t);
        ticks[86] = false;
        ApplyMenuRowClick(ticks, 86);
        ApplyMenuTicks(ticks, t);
        for (int a : {0x80, 0x81, 0x83, 0x84, 0x85, 0x86}) {
            QCOMPARE(int(t[a]), 1);
        }
        QCOMPARE(int(t[0x82]), 0);
        QCOMPARE(int(t[0x30]), 7);
        QCOMPARE(int(t[0xFF]), 1);
    }

    void headingsFollowRows() {
        MenuShowTable t{};
        for (int a = 0x87; a <= 0x8B; ++a) {
            t[a] = 1;
        }
        t[0x82] = 1; // the whole effect-EQ section (rows 58..63) hidden
        std::vector<bool> ticks = MenuTicksFromTable(t);
        QVERIFY(!ticks[57]);
        ticks[60] = true;
        ApplyMenuRowClick(ticks, 60);
        QVERIFY(ticks[57]);
        ticks[60] = false;
        ApplyMenuRowClick(ticks, 60);
        QVERIFY(!ticks[57]);
        // A non-zero value other than 1 counts as hidden and is saved as 1.
        t[0x41] = 5;
        ticks = MenuTicksFromTable(t);
        ApplyMenuTicks(ticks, t);
        QCOMPARE(int(t[0x41]), 1);
    }

    void twoMicLowCutRowsAreDistinct() {
        const int mic12 = RowOf(QStringLiteral("话筒低切"), 0x41);
        const int mic3 = RowOf(QStringLiteral("话筒低切"), 0x54);
        QVERIFY(mic12 >= 0 && mic3 >= 0 && mic12 != mic3);
        MenuShowTable t{};
        std::vector<bool> ticks = MenuTicksFromTable(t);
        ticks[mic3] = false;
        ApplyMenuRowClick(ticks, mic3);
        ApplyMenuTicks(ticks, t);
        QCOMPARE(int(t[0x54]), 1);
        QCOMPARE(int(t[0x41]), 0);
    }

    void entryPassword_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << "" << PasswordMessages::kEnterPassword;
        QTest::newRow("8 characters") << "Abc12345" << PasswordMessages::kWrongLength;
        QTest::newRow("10 characters") << "Abc1234567" << PasswordMessages::kWrongLength;
        QTest::newRow("case differs") << "abc123456" << PasswordMessages::kWrongPassword;
        QTest::newRow("last differs") << "Abc123457" << PasswordMessages::kWrongPassword;
        QTest::newRow("CJK characters") << "密码密码密码密码密" << PasswordMessages::kWrongPassword;
        QTest::newRow("match") << "Abc123456" << QString();
    }
    void entryPassword() {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        const PasswordCheckResult r = CheckEntryPassword(typed, Bytes("Abc123456"));
        QCOMPARE(r.message, message);
        QCOMPARE(r.ok(), message.isEmpty());
        QCOMPARE(r.focus, r.ok() ? PasswordField::None : PasswordField::Text1);
    }

    void changeStages_data() {
        QTest::addColumn<QString>("text1");
        QTest::addColumn<QString>("text2");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("focus");
        QTest::newRow("empty") << ""
                               << "" << PasswordMessages::kNewEmpty << int(PasswordField::Text1);
        QTest::newRow("short") << "12345678"
                               << "12345678" << PasswordMessages::kNewLength << int(PasswordField::Text1);
        QTest::newRow("mismatch in last")
            << "123456789"
            << "12345678x" << PasswordMessages::kMismatch << int(PasswordField::Text2);
        QTest::newRow("not single-byte")
            << "12345678密"
            << "12345678密" << PasswordMessages::kNotSingleByte << int(PasswordField::Text1);
        QTest::newRow("ok") << "NewPass99"
                            << "NewPass99" << QString() << int(PasswordField::None);
    }
    void changeStages() {
        QFETCH(QString, text1);
        QFETCH(QString, text2);
        QFETCH(QString, message);
        QFETCH(int, focus);
        const PasswordCheckResult r = CheckNewPassword(text1, text2);
        QCOMPARE(r.message, message);
        QCOMPARE(int(r.focus), focus);
    }

    void oldPasswordMessages() {
        const DevicePasswordBytes dev = Bytes("000000000");
        QCOMPARE(CheckOldPassword("", dev).message, PasswordMessages::kEnterOldPassword);
        QCOMPARE(CheckOldPassword("0000", dev).message, PasswordMessages::kWrongOldLength);
        QCOMPARE(CheckOldPassword("000000001", dev).message, PasswordMessages::kWrongOldPassword);
        QVERIFY(CheckOldPassword("000000000", dev).ok());
        QCOMPARE(*PasswordBytes(QStringLiteral("a23456789")),
                 (DevicePasswordBytes{'a', '2', '3', '4', '5', '6', '7', '8', '9'}));
        QVERIFY(!PasswordBytes(QStringLiteral("é23456789"))); // not one byte in the users' code page
    }
};

QTEST_APPLESS_MAIN(TstMenuPassword)
#include "tst_menu_password.moc"
