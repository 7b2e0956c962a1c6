#pragma once
// The comma-separated list texts in which the fixed tables are written: items may carry leading blanks,
// "&H" marks a hexadecimal number, anything else is decimal.

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace korva {

// One item: surrounding blanks are ignored; "&H1F"/"&h1f" is hexadecimal, "-3" or "31" decimal.
std::optional<int> ParseListNumber(QStringView item);

// All items of a list text; std::nullopt when any item is not a number.
std::optional<std::vector<int>> ParseListText(QStringView text);

} // namespace korva
