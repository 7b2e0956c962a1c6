#include "Binding.h"

#include "ListText.h"

#include <QStringList>

namespace korva {

namespace {

bool Fail(QString* error, const QString& why) {
    if (error) {
        *error = why;
    }
    return false;
}

bool ParseScope(const QString& word, BindingScope& scope, QString* error) {
    // Scope words are compared exactly: "group" is not a scope.
    if (word == u"Group") {
        scope = BindingScope::Group;
    } else if (word == u"Common") {
        scope = BindingScope::Common;
    } else {
        return Fail(error, QStringLiteral("unknown scope \"%1\"").arg(word));
    }
    return true;
}

bool ParseAddress(const QString& item, uint8_t& address, QString* error) {
    std::optional<int> v = ParseListNumber(item);
    if (!v) {
        return Fail(error, QStringLiteral("address \"%1\" is not a number").arg(item));
    }
    if (*v < 0 || *v > 255) {
        return Fail(error, QStringLiteral("address %1 is outside 0..255").arg(*v));
    }
    address = uint8_t(*v);
    return true;
}

// Plain decimal only (the run-time forms never use "&H").
bool ParseDecimal(const QString& item, int low, int high, int& value, const char* what, QString* error) {
    bool ok = false;
    const QString t = item.trimmed();
    value = t.toInt(&ok, 10);
    if (!ok || t.isEmpty()) {
        return Fail(error,
                    QStringLiteral("%1 \"%2\" is not a decimal number").arg(QLatin1String(what), item));
    }
    if (value < low || value > high) {
        return Fail(
            error,
            QStringLiteral("%1 %2 is outside %3..%4").arg(QLatin1String(what)).arg(value).arg(low).arg(high));
    }
    return true;
}

bool SplitExactly(const QString& text, qsizetype count, QStringList& parts, QString* error) {
    parts = text.split(u',');
    if (parts.size() != count) {
        return Fail(
            error, QStringLiteral("\"%1\" has %2 items, expected %3").arg(text).arg(parts.size()).arg(count));
    }
    return true;
}

} // namespace

std::optional<SliderBinding> ParseSliderBinding(const QString& text, QString* error) {
    QStringList parts;
    SliderBinding b;
    if (!SplitExactly(text, 2, parts, error) || !ParseScope(parts[0], b.Scope, error) ||
        !ParseAddress(parts[1], b.Address, error)) {
        return std::nullopt;
    }
    return b;
}

std::optional<DisplayBinding> ParseDisplayBinding(const QString& text, QString* error) {
    QStringList parts;
    DisplayBinding b;
    if (!SplitExactly(text, 3, parts, error) || !ParseScope(parts[0], b.Scope, error) ||
        !ParseAddress(parts[1], b.Address, error)) {
        return std::nullopt;
    }
    b.KindText = parts[2];
    if (b.KindText == u"Value") {
        b.Kind = DisplayKind::Value;
    } else if (b.KindText == u"EchoDly") {
        b.Kind = DisplayKind::EchoDly;
    } else if (b.KindText == u"RevTime") {
        b.Kind = DisplayKind::RevTime;
    } else {
        Fail(error, QStringLiteral("unknown display kind \"%1\"").arg(b.KindText));
        return std::nullopt;
    }
    return b;
}

std::optional<ButtonBinding> ParseButtonBinding(const QString& text, QString* error) {
    QStringList parts;
    ButtonBinding b;
    if (!SplitExactly(text, 1, parts, error) || !ParseAddress(parts[0], b.Address, error)) {
        return std::nullopt;
    }
    return b;
}

std::optional<PointValueBinding> ParsePointValueBinding(const QString& text, QString* error) {
    QStringList parts;
    PointValueBinding b;
    int address = 0;
    if (!SplitExactly(text, 3, parts, error) || !ParseDecimal(parts[0], 0, 255, address, "address", error) ||
        !ParseDecimal(parts[1], 0, 2, b.DataIndex, "data index", error) ||
        !ParseDecimal(parts[2], 0, 19, b.Point, "point", error)) {
        return std::nullopt;
    }
    b.Address = uint8_t(address);
    return b;
}

std::optional<PointMarkerBinding> ParsePointMarkerBinding(const QString& text, QString* error) {
    QStringList parts;
    PointMarkerBinding b;
    if (!SplitExactly(text, 1, parts, error) || !ParseDecimal(parts[0], 0, 19, b.Point, "point", error)) {
        return std::nullopt;
    }
    return b;
}

QString FormatButtonBinding(uint8_t address) {
    return QStringLiteral("&H") + QString::number(address, 16).toUpper();
}

QString FormatPointValueBinding(uint8_t address, int dataIndex, int point) {
    return QStringLiteral("%1,%2,%3").arg(address).arg(dataIndex).arg(point);
}

} // namespace korva
