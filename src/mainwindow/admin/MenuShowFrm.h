#pragma once
// The front-panel menu editor: one check-box row per menu item of the processor (ticked = shown), grouped
// under heading rows that tick or untick their whole section. "保存设置" writes the ticks into
// MenuShowTable and closes with OK = true; any other way out leaves the table as it was.

#include "model/ParamStore.h"

#include <QDialog>
#include <vector>

class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace korva {

class MenuShowFrm : public QDialog {
    Q_OBJECT
public:
    explicit MenuShowFrm(MenuShowTable& table, QWidget* parent = nullptr);

    // True only when the dialog was closed with "保存设置".
    bool OK = false;

    // Address of each list row, 255 for a heading.
    const std::vector<uint8_t>& RowAddress() const { return rowAddress_; }
    std::vector<bool> Ticks() const;

    void Command1Click(); // "都选上"
    void Command2Click(); // "都不选"
    void Command3Click(); // "保存设置"

private:
    void SetTicks(const std::vector<bool>& ticks);
    void RowClicked(QListWidgetItem* item);

    MenuShowTable& table_;
    std::vector<uint8_t> rowAddress_;
    bool settingTicks_ = false; // the dialog itself is changing tick marks

    QListWidget* list1_;
    QLabel* label1_;
    QPushButton* command1_;
    QPushButton* command2_;
    QPushButton* command3_;
};

} // namespace korva
