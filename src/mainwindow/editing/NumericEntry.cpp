#include "mainwindow/editing/NumericEntry.h"

#include "ops/ParamUnits.h"

#include <QRegularExpression>

namespace korva {

namespace {
constexpr int kTenthsDisplays = 45; // the 15 band columns; 45 and 46 are cut-filter frequencies
} // namespace

bool ShowsTenths(int display) {
    return display < kTenthsDisplays && display % 3 != 0;
}

QString EntryTextFor(int display, int shownValue) {
    if (ShowsTenths(display)) {
        return QString::number(shownValue / 10.0, 'f', 1);
    }
    return QString::number(shownValue);
}

std::optional<double> ParseEntryNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)\s*$)"));
    if (!number.match(text).hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

uint8_t EntryIndexFor(int dataIndex, double value, EqPointKind kind, int channel) {
    return EqEntryIndex(dataIndex, value, kind, channel);
}

} // namespace korva
