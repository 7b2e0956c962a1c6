#include "ctl/EqJson.h"

#include "ops/ParamUnits.h"

namespace korva::ctl {

namespace {

// A point's byte in user units, as get prints the parameter.
double UserOf(uint8_t address, int field, uint8_t raw) {
    const ParamDef* def = FindParamAt(address, field);
    return def ? RawToUser(*def, raw) : double(raw);
}

std::optional<uint8_t> ByteOf(const QJsonValue& value) {
    const int n = value.toInt(-1);
    return n >= 0 && n <= 255 ? std::optional<uint8_t>(uint8_t(n)) : std::nullopt;
}

} // namespace

std::vector<EqBandPoint> EqBandsOf(const ChannelEq& eq) {
    std::vector<EqBandPoint> bands;
    for (size_t k = 0; k < eq.Bands.size(); ++k) {
        bands.push_back({int(k) + 1, BandAddress(eq.Channel, int(k)), eq.Bands[k]});
    }
    return bands;
}

std::vector<EqCutPoint> EqCutsOf(const ChannelEq& eq) {
    std::vector<EqCutPoint> cuts;
    if (eq.HighCutIndex) {
        cuts.push_back({"high_cut", "高切", HighCutAddress(eq.Channel), *eq.HighCutIndex});
    }
    if (eq.LowCutIndex) {
        cuts.push_back({"low_cut", "低切", LowCutAddress(eq.Channel), *eq.LowCutIndex});
    }
    return cuts;
}

QJsonArray EqBandsJson(const ChannelEq& eq) {
    QJsonArray bands;
    for (const auto& [number, address, b] : EqBandsOf(eq)) {
        bands.append(QJsonObject{{"address", address},
                                 {"freq_hz", UserOf(address, 0, b.FreqIndex)},
                                 {"gain_db", UserOf(address, 1, b.GainIndex)},
                                 {"q", UserOf(address, 2, b.QIndex)},
                                 {"data", QJsonArray{b.FreqIndex, b.GainIndex, b.QIndex}}});
    }
    return bands;
}

QJsonArray EqCutsJson(const ChannelEq& eq) {
    QJsonArray cuts;
    for (const EqCutPoint& c : EqCutsOf(eq)) {
        cuts.append(QJsonObject{{"address", c.Address},
                                {"kind", QLatin1String(c.Id)},
                                {"freq_hz", UserOf(c.Address, 0, c.Index)},
                                {"data1", c.Index}});
    }
    return cuts;
}

QJsonArray EqWarningsJson(const std::vector<ReadWarning>& warnings) {
    QJsonArray list;
    for (const ReadWarning& w : warnings) {
        list.append(QJsonObject{{"line", w.Line}, {"reason", w.Reason}});
    }
    return list;
}

bool EqChannelFromJson(const QJsonObject& o, int channel, ChannelEq& eq) {
    // The shape is the channel's own: its number of bands, the cut filters it has.
    ChannelEq read = DefaultChannelEq(channel);
    const QJsonArray bands = o.value(QStringLiteral("bands")).toArray();
    if (bands.size() != qsizetype(read.Bands.size())) {
        return false;
    }
    for (qsizetype k = 0; k < bands.size(); ++k) {
        const QJsonArray data = bands[k].toObject().value(QStringLiteral("data")).toArray();
        const std::optional<uint8_t> d1 = ByteOf(data.at(0));
        const std::optional<uint8_t> d2 = ByteOf(data.at(1));
        const std::optional<uint8_t> d3 = ByteOf(data.at(2));
        if (data.size() != 3 || !d1 || !d2 || !d3) {
            return false;
        }
        read.Bands[size_t(k)] = {*d1, *d2, *d3};
    }
    for (const QJsonValue& value : o.value(QStringLiteral("cuts")).toArray()) {
        const QJsonObject cut = value.toObject();
        const QString kind = cut.value(QStringLiteral("kind")).toString();
        std::optional<uint8_t>& index = kind == QLatin1String("high_cut") ? read.HighCutIndex : read.LowCutIndex;
        const std::optional<uint8_t> data1 = ByteOf(cut.value(QStringLiteral("data1")));
        if ((kind != QLatin1String("high_cut") && kind != QLatin1String("low_cut")) || !index || !data1) {
            return false;
        }
        index = *data1;
    }
    eq = read;
    return true;
}

} // namespace korva::ctl
