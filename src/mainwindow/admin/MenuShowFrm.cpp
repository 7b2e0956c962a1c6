#include "MenuShowFrm.h"

#include "model/MenuItems.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace korva {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

MenuShowFrm::MenuShowFrm(MenuShowTable& table, QWidget* parent) : QDialog(parent), table_(table) {
    setObjectName(QStringLiteral("MenuShowFrm"));
    setWindowTitle(QStringLiteral("设置单项菜单的显示与隐藏"));

    list1_ = new QListWidget(this);
    list1_->setObjectName(QStringLiteral("List1"));
    label1_ =
        new QLabel(QStringLiteral("点击相关菜单项前的复选框来设置显示（打勾）与隐藏（不打勾）。"), this);
    label1_->setObjectName(QStringLiteral("Label1"));
    label1_->setWordWrap(true);
    command1_ = MakeButton(this, "Command1", QStringLiteral("都选上"));
    command2_ = MakeButton(this, "Command2", QStringLiteral("都不选"));
    command3_ = MakeButton(this, "Command3", QStringLiteral("保存设置"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);
    buttons->addStretch();
    buttons->addWidget(command3_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list1_, 1);
    layout->addWidget(label1_);
    layout->addLayout(buttons);
    resize(360, 520);

    settingTicks_ = true;
    for (const MenuRow& row : MenuItemList()) {
        auto* item = new QListWidgetItem(row.label, list1_);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        rowAddress_.push_back(row.IsHeading() ? kHeadingAddress : row.address);
    }
    settingTicks_ = false;
    SetTicks(MenuTicksFromTable(table_)); // headings already follow their sections
    list1_->scrollToTop();

    connect(list1_, &QListWidget::itemChanged, this, &MenuShowFrm::RowClicked);
    connect(command1_, &QPushButton::clicked, this, &MenuShowFrm::Command1Click);
    connect(command2_, &QPushButton::clicked, this, &MenuShowFrm::Command2Click);
    connect(command3_, &QPushButton::clicked, this, &MenuShowFrm::Command3Click);
}

std::vector<bool> MenuShowFrm::Ticks() const {
    std::vector<bool> ticks(size_t(list1_->count()));
    for (int row = 0; row < list1_->count(); ++row) {
        ticks[size_t(row)] = list1_->item(row)->checkState() == Qt::Checked;
    }
    return ticks;
}

void MenuShowFrm::SetTicks(const std::vector<bool>& ticks) {
    // Changing tick marks must neither re-enter the click handling nor move the list.
    const int scroll = list1_->verticalScrollBar()->value();
    settingTicks_ = true;
    for (int row = 0; row < list1_->count() && size_t(row) < ticks.size(); ++row) {
        const Qt::CheckState state = ticks[size_t(row)] ? Qt::Checked : Qt::Unchecked;
        if (list1_->item(row)->checkState() != state) {
            list1_->item(row)->setCheckState(state);
        }
    }
    settingTicks_ = false;
    list1_->verticalScrollBar()->setValue(scroll);
}

void MenuShowFrm::RowClicked(QListWidgetItem* item) {
    if (settingTicks_ || item == nullptr) {
        return;
    }
    std::vector<bool> ticks = Ticks();
    ApplyMenuRowClick(ticks, list1_->row(item));
    SetTicks(ticks);
}

void MenuShowFrm::Command1Click() {
    SetTicks(std::vector<bool>(size_t(list1_->count()), true));
}

void MenuShowFrm::Command2Click() {
    SetTicks(std::vector<bool>(size_t(list1_->count()), false));
}

void MenuShowFrm::Command3Click() {
    ApplyMenuTicks(Ticks(), table_);
    OK = true;
    accept();
}

} // namespace korva
