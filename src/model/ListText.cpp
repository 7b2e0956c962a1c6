#include "ListText.h"

namespace korva {

std::optional<int> ParseListNumber(QStringView item) {
    QStringView t = item.trimmed();
    if (t.isEmpty()) {
        return std::nullopt;
    }
    bool ok = false;
    int value = 0;
    if (t.size() > 2 && t[0] == u'&' && (t[1] == u'H' || t[1] == u'h')) {
        QStringView digits = t.mid(2);
        // toInt would accept a sign or "0x"; a hexadecimal item is digits only.
        for (QChar c : digits) {
            if (!c.isDigit() && !(c.toLower() >= u'a' && c.toLower() <= u'f')) {
                return std::nullopt;
            }
        }
        value = digits.toInt(&ok, 16);
    } else {
        value = t.toInt(&ok, 10);
    }
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::vector<int>> ParseListText(QStringView text) {
    std::vector<int> values;
    for (QStringView item : text.split(u',')) {
        std::optional<int> v = ParseListNumber(item);
        if (!v) {
            return std::nullopt;
        }
        values.push_back(*v);
    }
    return values;
}

} // namespace korva
