#include "EffectTables.h"

#include "ListText.h"

#include <stdexcept>

namespace korva {

const QString kEchoDelayTableText = QStringLiteral("15,17,30,34,46,51,61,68,76,85,92,103,108,120,123,137,140,"
                                                   "153,155,169,172,184,189,200,206,215,223,230,240,"
                                                   "246,258,275");

const std::array<int, 32>& EchoDelayTable() {
    static const std::array<int, 32> table = [] {
        std::optional<std::vector<int>> v = ParseListText(kEchoDelayTableText);
        if (!v || v->size() != 32) {
            throw std::logic_error("malformed echo delay table");
        }
        std::array<int, 32> t{};
        std::copy(v->begin(), v->end(), t.begin());
        return t;
    }();
    return table;
}

QString FormatParamValue(uint8_t& cell, const QString& kind) {
    if (kind == u"Value" || kind == u"RevTime") {
        return QString::number(cell);
    }
    if (kind == u"EchoDly") {
        if (cell > 31) {
            cell = 31;
        }
        return QString::number(EchoDelayTable()[cell]);
    }
    return {};
}

} // namespace korva
