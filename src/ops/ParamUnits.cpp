#include "ops/ParamUnits.h"

#include "model/EffectTables.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace korva {

namespace {

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

int EchoDelayMs(uint8_t raw) {
    // The display's own conversion; it clamps the byte it is given, so it gets a copy.
    uint8_t cell = raw;
    return FormatParamValue(cell, QStringLiteral("EchoDly")).toInt();
}

QString Tenths(int shown) {
    return QString::number(shown / 10.0, 'f', 1);
}

// The lowest and highest user value a numeric parameter accepts.
std::pair<double, double> UserRange(const ParamDef& def) {
    switch (def.Unit) {
    case ParamUnit::Hz:
        if (def.Kind == EqPointKind::Peak) {
            return {kLowestHz, kHighestHz};
        }
        return {FreqIndexToHz(uint8_t(def.RawMin)), FreqIndexToHz(uint8_t(def.RawMax))};
    case ParamUnit::Db:
        return {-kGainLimitDb, kGainLimitDb};
    case ParamUnit::Q:
        return {kLowestQ, kHighestQ};
    case ParamUnit::Ms:
        return {EchoDelayMs(uint8_t(def.RawMin)), EchoDelayMs(uint8_t(def.RawMax))};
    default:
        return {def.RawMin + def.UserOffset, def.RawMax + def.UserOffset};
    }
}

QString UnitSuffix(ParamUnit unit) {
    switch (unit) {
    case ParamUnit::Hz:
        return QStringLiteral(" Hz");
    case ParamUnit::Db:
        return QStringLiteral(" dB");
    case ParamUnit::Ms:
        return QStringLiteral(" ms");
    default:
        return {};
    }
}

QString FormatUser(const ParamDef& def, double value) {
    switch (def.Unit) {
    case ParamUnit::Db:
    case ParamUnit::Q:
        return QString::number(value, 'f', 1) + UnitSuffix(def.Unit);
    default:
        return QString::number(value, 'g', 10) + UnitSuffix(def.Unit);
    }
}

// The number of a user text and the factor of its unit word; std::nullopt when it is not a number with
// the parameter's unit (or none).
std::optional<double> ParseNumber(const ParamDef& def, const QString& text) {
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*([+-]?(?:\d+\.?\d*|\.\d+))\s*([a-zA-Z]*)\s*$)"));
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    double value = m.captured(1).toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    const QString unit = m.captured(2).toLower();
    if (unit.isEmpty()) {
        return value;
    }
    switch (def.Unit) {
    case ParamUnit::Hz:
        if (unit == u"hz") {
            return value;
        }
        if (unit == u"k" || unit == u"khz") {
            return value * 1000;
        }
        return std::nullopt;
    case ParamUnit::Db:
        return unit == u"db" ? std::optional<double>(value) : std::nullopt;
    case ParamUnit::Ms:
        return unit == u"ms" ? std::optional<double>(value) : std::nullopt;
    case ParamUnit::Q:
        return unit == u"q" ? std::optional<double>(value) : std::nullopt;
    default:
        return std::nullopt;
    }
}

// The table index whose delay is nearest; a tie goes to the shorter one.
uint8_t NearestEchoDelayIndex(const ParamDef& def, double ms) {
    int best = def.RawMin;
    for (int i = def.RawMin; i <= def.RawMax; ++i) {
        if (std::fabs(EchoDelayMs(uint8_t(i)) - ms) < std::fabs(EchoDelayMs(uint8_t(best)) - ms)) {
            best = i;
        }
    }
    return uint8_t(best);
}

} // namespace

uint8_t EqEntryIndex(int dataIndex, double value, EqPointKind kind, int channel) {
    switch (dataIndex) {
    case 0:
        return HzToFreqIndex(QuantizeFreqHz(std::clamp(value, kLowestHz, kHighestHz), kind, channel));
    case 1:
        return DbToGainIndex(std::clamp(value, -kGainLimitDb, kGainLimitDb));
    default:
        return QIndexForTyped(std::clamp(value, kLowestQ, kHighestQ));
    }
}

int EqShownValue(int dataIndex, uint8_t byte) {
    double shown = 0;
    switch (dataIndex) {
    case 0:
        shown = FreqIndexToHz(byte);
        break;
    case 1:
        shown = 10.0 * double(GainIndexToDb(byte));
        break;
    default:
        shown = 10.0 * double(QIndexToQ(byte));
        break;
    }
    return int(std::nearbyint(shown)); // ties to the even neighbour, as every display rounds
}

double RawToUser(const ParamDef& def, uint8_t raw) {
    switch (def.Unit) {
    case ParamUnit::Hz:
        return EqShownValue(0, raw);
    case ParamUnit::Db:
        return EqShownValue(1, raw) / 10.0;
    case ParamUnit::Q:
        return EqShownValue(2, raw) / 10.0;
    case ParamUnit::Ms:
        return EchoDelayMs(raw);
    case ParamUnit::Choice:
        return raw;
    default:
        return raw + def.UserOffset;
    }
}

QString FormatParamRaw(const ParamDef& def, uint8_t raw) {
    switch (def.Unit) {
    case ParamUnit::Choice:
        return raw < def.Choices.size() ? def.Choices[raw] : QString::number(raw);
    case ParamUnit::Db:
        return Tenths(EqShownValue(1, raw)) + UnitSuffix(def.Unit);
    case ParamUnit::Q:
        return Tenths(EqShownValue(2, raw));
    default:
        return FormatUser(def, RawToUser(def, raw));
    }
}

QString ValidRangeText(const ParamDef& def) {
    if (def.Unit == ParamUnit::Choice) {
        return def.Choices.join(QStringLiteral("、"));
    }
    const auto [low, high] = UserRange(def);
    return FormatUser(def, low) + QStringLiteral(" – ") + FormatUser(def, high);
}

std::optional<double> RequestedUserValue(const ParamDef& def, const QString& text) {
    return def.Unit == ParamUnit::Choice ? std::nullopt : ParseNumber(def, text);
}

std::optional<uint8_t> ParseParamValue(const ParamDef& def, const QString& text, QString* error,
                                       ParamValueFault* fault) {
    ParamValueFault why = ParamValueFault::NotAValue;
    auto fail = [&](const QString& reason) -> std::optional<uint8_t> {
        if (fault) {
            *fault = why;
        }
        if (error) {
            *error =
                QStringLiteral("%1 %2：%3，有效值：%4").arg(def.Name, def.Label, reason, ValidRangeText(def));
        }
        return std::nullopt;
    };
    if (def.Unit == ParamUnit::Choice) {
        const qsizetype i = def.Choices.indexOf(text.trimmed().toLower());
        if (i < 0) {
            return fail(QStringLiteral("“%1”不是可选的值").arg(text));
        }
        return uint8_t(i);
    }
    const std::optional<double> value = ParseNumber(def, text);
    if (!value) {
        return fail(QStringLiteral("“%1”不是有效的数值").arg(text));
    }
    const auto [low, high] = UserRange(def);
    if (!(*value >= low && *value <= high)) {
        why = ParamValueFault::OutOfRange;
        return fail(QStringLiteral("%1 超出范围").arg(text.trimmed()));
    }
    if (fault) {
        *fault = ParamValueFault::None;
    }
    switch (def.Unit) {
    case ParamUnit::Hz:
        return EqEntryIndex(0, *value, def.Kind, def.Channel);
    case ParamUnit::Db:
        return EqEntryIndex(1, *value, def.Kind, def.Channel);
    case ParamUnit::Q:
        return EqEntryIndex(2, *value, def.Kind, def.Channel);
    case ParamUnit::Ms:
        return NearestEchoDelayIndex(def, *value);
    default:
        if (*value != std::trunc(*value)) {
            return fail(QStringLiteral("%1 不是整数").arg(text.trimmed()));
        }
        return uint8_t(int(*value) - def.UserOffset);
    }
}

} // namespace korva
