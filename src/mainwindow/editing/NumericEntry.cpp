#include "mainwindow/editing/NumericEntry.h"

#include <QRegularExpression>
#include <algorithm>

namespace korva {

namespace {

constexpr int kTenthsDisplays = 45; // the 15 band columns; 45 and 46 are cut-filter frequencies
constexpr double kLowestHz = 18;
constexpr double kHighestHz = 20000;
constexpr double kGainLimitDb = 15;
constexpr double kLowestQ = 0.1;
constexpr double kHighestQ = 15;
// Between the last fine Q step (3.0, index 30) and the first coarse one (4, index 31) the index formula
// of the coarse steps would fall back below 3.0; a typed Q there goes to the nearer of the two. From 4 on
// the scale has whole Qs only (indices 31, 35 .. 75): a fraction would give an index between them, which
// the knob cannot show and the displays read as another Q than the knob.
constexpr double kLastFineQ = 3.0;
constexpr double kFirstCoarseQ = 4.0;

uint8_t QIndexForTyped(double q) {
    if (q > kLastFineQ && q < kFirstCoarseQ) {
        const double fine = q - kLastFineQ;
        const double coarse = kFirstCoarseQ - q;
        return fine <= coarse ? QToQIndex(kLastFineQ) : QToQIndex(kFirstCoarseQ);
    }
    if (q >= kFirstCoarseQ) {
        return QToQIndex(NearestEven(q));
    }
    return QToQIndex(q);
}

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
    switch (dataIndex) {
    case 0:
        return HzToFreqIndex(QuantizeFreqHz(std::clamp(value, kLowestHz, kHighestHz), kind, channel));
    case 1:
        return DbToGainIndex(std::clamp(value, -kGainLimitDb, kGainLimitDb));
    default:
        return QIndexForTyped(std::clamp(value, kLowestQ, kHighestQ));
    }
}

} // namespace korva
