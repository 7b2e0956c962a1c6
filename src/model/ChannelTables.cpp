#include "ChannelTables.h"

#include "ListText.h"

#include <stdexcept>

namespace korva {

const QString kChannelTableText = QStringLiteral(
    "7,&H03,&HFF,&H01,  15,&H44,&H42,&H41,  7,&H57,&H55,&H54,  3,&H89,&H82,&H87,  3,&H16,&HFF,&HFF,  "
    "3,&H0F,&HFF,&HFF,  0,&H1F,&H1D,&H1C,  3,&H26,&HFF,&HFF");
const QString kBypassAddressTableText = QStringLiteral("&H02,&H43,&H56,&H88,&H15,&H0E,&H1E,&H25");
const QString kCommonDefaultListText = QStringLiteral("&HC0,20,&HC1,25,&HC2,30,&HC3,1,&HC4,0,&HC5,20,&HC6,23,"
                                                      "&HC7,32,&HC8,80,&HC9,80,&HCA,80,&HCB,0,&HCC,0,&HCD,0");
const QString kGroupDefaultListText = QStringLiteral(
    "&H00,80,&H01,0,&H02,0,&H0A,80,&H0B,80,&H0C,80,&H0D,0,&H0E,0,&H12,80,&H13,80,&H14,0,&H15,0,&H1A,50,"
    "&H19,30,&H1B,0,&H1C,0,&H1D,54,&H1E,0,&H22,80,&H23,80,&H24,0,&H25,0,&H40,80,&H41,0,&H42,241,&H43,0,"
    "&H53,80,&H54,0,&H55,241,&H56,0,&H80,73,&H81,27,&H82,181,&H83,60,&H84,30,&H85,35,&H86,10,&H87,43,&H88,0");

namespace {

std::vector<int> MustParse(const QString& text, size_t expectedCount) {
    std::optional<std::vector<int>> values = ParseListText(text);
    if (!values || values->size() != expectedCount) {
        throw std::logic_error("malformed built-in list text: " + text.toStdString());
    }
    return *values;
}

AddressValueList MustParsePairs(const QString& text, size_t pairCount) {
    std::vector<int> values = MustParse(text, pairCount * 2);
    AddressValueList pairs;
    for (size_t i = 0; i < values.size(); i += 2) {
        pairs.emplace_back(values[i], values[i + 1]);
    }
    return pairs;
}

} // namespace

const std::array<ChannelRow, 8>& ChannelTable() {
    static const std::array<ChannelRow, 8> table = [] {
        std::vector<int> v = MustParse(kChannelTableText, 32);
        std::array<ChannelRow, 8> rows{};
        for (int c = 0; c < 8; ++c) {
            rows[c] = {v[c * 4], uint8_t(v[c * 4 + 1]), uint8_t(v[c * 4 + 2]), uint8_t(v[c * 4 + 3])};
        }
        return rows;
    }();
    return table;
}

const std::array<uint8_t, 8>& BypassAddressTable() {
    static const std::array<uint8_t, 8> table = [] {
        std::vector<int> v = MustParse(kBypassAddressTableText, 8);
        std::array<uint8_t, 8> a{};
        for (int c = 0; c < 8; ++c) {
            a[c] = uint8_t(v[c]);
        }
        return a;
    }();
    return table;
}

const AddressValueList& CommonDefaultList() {
    static const AddressValueList list = MustParsePairs(kCommonDefaultListText, 14);
    return list;
}

const AddressValueList& GroupDefaultList() {
    static const AddressValueList list = MustParsePairs(kGroupDefaultListText, 39);
    return list;
}

const BandDefaults& BandDefaultsFor(int channel) {
    static const std::array<BandDefaults, 8> defaults = [] {
        const std::vector<int> q3(3, 14);
        std::array<BandDefaults, 8> d{};
        d[kChannelMusic] = {MustParse(QStringLiteral("19,44,71,131,146,184,233"), 7),
                            MustParse(QStringLiteral("14,14,14,14,14,14,14"), 7)};
        d[kChannelMic12] = {
            MustParse(QStringLiteral("4,11,23,41,47,56,71,94,131,137,146,161,184,221,233"), 15),
            std::vector<int>(15, 14)};
        d[kChannelMic3] = {MustParse(QStringLiteral("4,23,47,71,131,146,184"), 7), std::vector<int>(7, 14)};
        d[kChannelEffect] = {MustParse(QStringLiteral("41,131,221"), 3), q3};
        d[kChannelCentre] = {MustParse(QStringLiteral("41,131,221"), 3),
                             MustParse(QStringLiteral("14,14,14"), 3)};
        d[kChannelSurround] = d[kChannelCentre];
        d[kChannelRecording] = d[kChannelCentre];
        d[kChannelBass] = {MustParse(QStringLiteral("11,31,47"), 3), q3};
        return d;
    }();
    return defaults.at(channel);
}

CutDefaults CutDefaultsFor(int channel) {
    switch (channel) {
    case kChannelMusic:
        return {kNoAddress, 0, 0x01, 0};
    case kChannelMic12:
        return {0x42, 241, 0x41, 0};
    case kChannelMic3:
        return {0x55, 241, 0x54, 0};
    case kChannelBass:
        return {0x1D, 54, 0x1C, 0};
    case kChannelEffect:
        return {0x82, 181, 0x87, 43};
    default:
        return {};
    }
}

} // namespace korva
