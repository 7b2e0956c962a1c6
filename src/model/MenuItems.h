#pragma once
// The rows of the front-panel menu editor: section headings and one row per menu item with the address
// whose visibility it controls, plus the tick rules that keep headings in step with their rows.

#include "ParamStore.h"

#include <QString>
#include <vector>

namespace korva {

constexpr uint8_t kHeadingAddress = 0xFF;

struct MenuRow {
    QString label;
    uint8_t address = kHeadingAddress; // 0xFF for a heading
    bool IsHeading() const { return label.startsWith(u'-'); }
};

extern const QString kMenuItemListText;      // 93 label/address pairs
extern const QString kMenuSectionStartsText; // heading rows, then the row count

const std::vector<MenuRow>& MenuItemList();
const std::vector<int>& MenuSectionStarts(); // 0,17,...,86,93

// Ticks for every row from the table: an item is ticked when shown (0); headings follow their sections.
std::vector<bool> MenuTicksFromTable(const MenuShowTable& table);

// Ticks each heading when at least one row of its section is ticked, unticks it when none is.
void SyncMenuHeadings(std::vector<bool>& ticks);

// A click that changed row's tick: a heading carries its new state to its whole section; an item row
// re-synchronises the headings.
void ApplyMenuRowClick(std::vector<bool>& ticks, int row);

// Writes 0 (shown) for ticked item rows and 1 (hidden) for the others; headings and addresses that no row
// names keep their values.
void ApplyMenuTicks(const std::vector<bool>& ticks, MenuShowTable& table);

} // namespace korva
