#include "mainwindow/admin/MenuShowFrm.h"
#include "model/MenuItems.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

using namespace korva;

namespace {

QListWidget* List(MenuShowFrm& d) {
    return d.findChild<QListWidget*>(QStringLiteral("List1"));
}

int RowOf(const QString& label, uint8_t address) {
    const std::vector<MenuRow>& rows = MenuItemList();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].label == label && rows[i].address == address) {
            return int(i);
        }
    }
    return -1;
}

// The user toggles a row's check box.
void Toggle(MenuShowFrm& d, int row) {
    QListWidgetItem* item = List(d)->item(row);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

bool Ticked(MenuShowFrm& d, int row) {
    return List(d)->item(row)->checkState() == Qt::Checked;
}

// Every address no list row names, with a mix of values that must survive a save.
MenuShowTable TableWithUnlistedValues() {
    MenuShowTable t{};
    for (int a = 0; a < kAddressCount; ++a) {
        t[a] = uint8_t(a % 3 == 0 ? 1 : 0);
    }
    return t;
}

constexpr int kEffectHeading = 86;

} // namespace

class TstMenuShowFrm : public QObject {
    Q_OBJECT
private slots:
    void opensWithEveryRowTicked() {
        MenuShowTable table{};
        MenuShowFrm d(table);
        QCOMPARE(d.objectName(), QStringLiteral("MenuShowFrm"));
        QCOMPARE(d.windowTitle(), QStringLiteral("设置单项菜单的显示与隐藏"));
        QCOMPARE(d.findChild<QLabel*>(QStringLiteral("Label1"))->text(),
                 QStringLiteral("点击相关菜单项前的复选框来设置显示（打勾）与隐藏（不打勾）。"));
        const QStringList captions = {QStringLiteral("都选上"), QStringLiteral("都不选"),
                                      QStringLiteral("保存设置")};
        for (int i = 0; i < 3; ++i) {
            auto* button = d.findChild<QPushButton*>(QStringLiteral("Command%1").arg(i + 1));
            QVERIFY(button);
            QCOMPARE(button->text(), captions[i]);
        }
        QCOMPARE(List(d)->count(), 93);
        QCOMPARE(List(d)->item(0)->text(), QStringLiteral("--------- 音量分配 ---------"));
        QCOMPARE(List(d)->item(92)->text(), QStringLiteral("残响时间"));
        QCOMPARE(d.RowAddress()[0], uint8_t(255));
        QCOMPARE(d.RowAddress()[1], uint8_t(0x40));
        QCOMPARE(d.RowAddress()[92], uint8_t(0x85));
        QCOMPARE(d.Ticks(), std::vector<bool>(93, true));
        QVERIFY(!d.OK);
    }

    void opensFromTheTable() {
        MenuShowTable table{};
        for (int a = 0x80; a <= 0x86; ++a) {
            table[a] = 1; // the whole effect section hidden
        }
        table[0x41] = 7; // anything nonzero is hidden
        MenuShowFrm d(table);
        QVERIFY(!Ticked(d, kEffectHeading));
        for (int row = 87; row < 93; ++row) {
            QVERIFY(!Ticked(d, row));
        }
        QVERIFY(!Ticked(d, RowOf(QStringLiteral("话筒低切"), 0x41)));
        QVERIFY(Ticked(d, 27)); // the rest of its section is shown
        QCOMPARE(List(d)->verticalScrollBar()->value(), 0);
        d.Command3Click();
        QCOMPARE(int(table[0x41]), 1); // saved as plain "hidden"
        QCOMPARE(int(table[0x80]), 1);
        QCOMPARE(int(table[0x40]), 0);
    }

    void headingCarriesItsSection() {
        MenuShowTable table = TableWithUnlistedValues();
        const MenuShowTable before = table;
        MenuShowFrm d(table);
        d.Command1Click(); // everything shown
        Toggle(d, kEffectHeading);
        for (int row = 87; row < 93; ++row) {
            QVERIFY(!Ticked(d, row));
        }
        QVERIFY(Ticked(d, 81) && Ticked(d, 85)); // the section before is untouched
        d.Command3Click();
        QVERIFY(d.OK);
        QVERIFY(!d.isVisible());
        for (int a = 0; a < kAddressCount; ++a) {
            const bool effect = a == 0x80 || a == 0x81 || a == 0x83 || a == 0x84 || a == 0x85 || a == 0x86;
            const bool listed =
                std::any_of(MenuItemList().begin(), MenuItemList().end(),
                            [a](const MenuRow& r) { return !r.IsHeading() && r.address == a; });
            const int expected = effect ? 1 : listed ? 0 : before[a];
            QCOMPARE(int(table[a]), expected);
        }
        Toggle(d, kEffectHeading); // ticking it again shows the section
        QCOMPARE(d.Ticks(), std::vector<bool>(93, true));
    }

    void headingsFollowTheirRows() {
        MenuShowTable table{};
        MenuShowFrm d(table);
        // Unticking the rows of the recording section one by one: the heading goes with the last one.
        for (int row = 82; row <= 85; ++row) {
            QVERIFY(Ticked(d, 81));
            Toggle(d, row);
        }
        QVERIFY(!Ticked(d, 81));
        Toggle(d, 84);
        QVERIFY(Ticked(d, 81));
        QVERIFY(!Ticked(d, 82) && Ticked(d, 84) && !Ticked(d, 85));
    }

    void allAndNone() {
        MenuShowTable table{};
        MenuShowFrm d(table);
        d.Command2Click();
        QCOMPARE(d.Ticks(), std::vector<bool>(93, false));
        d.Command1Click();
        QCOMPARE(d.Ticks(), std::vector<bool>(93, true));
        d.Command2Click();
        d.Command3Click();
        for (const MenuRow& row : MenuItemList()) {
            if (!row.IsHeading()) {
                QCOMPARE(int(table[row.address]), 1);
            }
        }
        QCOMPARE(int(table[0xFF]), 0); // the heading address is no item
    }

    void twoMicLowCutRows() {
        MenuShowTable table{};
        MenuShowFrm d(table);
        const int mic12 = RowOf(QStringLiteral("话筒低切"), 0x41);
        const int mic3 = RowOf(QStringLiteral("话筒低切"), 0x54);
        QVERIFY(mic12 > 0 && mic3 > mic12);
        Toggle(d, mic3);
        QVERIFY(Ticked(d, mic12));
        d.Command3Click();
        QCOMPARE(int(table[0x54]), 1);
        QCOMPARE(int(table[0x41]), 0);
    }

    void closingWithoutSavingKeepsTheTable() {
        MenuShowTable table = TableWithUnlistedValues();
        const MenuShowTable before = table;
        MenuShowFrm d(table);
        d.show();
        d.Command2Click();
        d.reject();
        QVERIFY(!d.OK);
        QVERIFY(table == before);
    }

    void mouseOnACheckBox() {
        MenuShowTable table{};
        MenuShowFrm d(table);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QListWidget* list = List(d);
        const QRect heading = list->visualItemRect(list->item(17)); // "音乐均衡"
        const QPoint box(heading.left() + heading.height() / 2, heading.center().y());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box);
        for (int row = 17; row < 27; ++row) {
            QVERIFY(!Ticked(d, row));
        }
        QVERIFY(Ticked(d, 16));
    }

    void clickKeepsTheScrollPosition() {
        MenuShowTable table{};
        MenuShowFrm d(table);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        QScrollBar* bar = List(d)->verticalScrollBar();
        QVERIFY(bar->maximum() > 0);
        bar->setValue(bar->maximum() / 2);
        const int position = bar->value();
        Toggle(d, kEffectHeading);
        Toggle(d, 30);
        QCOMPARE(bar->value(), position);
    }
};

QTEST_MAIN(TstMenuShowFrm)
#include "tst_menushowfrm.moc"
