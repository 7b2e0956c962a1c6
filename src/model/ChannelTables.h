#pragma once
// Fixed tables that describe the processor's EQ channels and its default values.

#include <QString>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

namespace korva {

constexpr uint8_t kNoAddress = 0xFF; // a channel without such a filter

enum EqChannel : int {
    kChannelMusic = 0,
    kChannelMic12 = 1,
    kChannelMic3 = 2,
    kChannelEffect = 3,
    kChannelCentre = 4,
    kChannelSurround = 5,
    kChannelBass = 6,
    kChannelRecording = 7,
};

struct ChannelRow {
    int BandCount = 0;
    uint8_t FirstBand = 0;
    uint8_t HighCut = kNoAddress;
    uint8_t LowCut = kNoAddress;
};

using AddressValueList = std::vector<std::pair<int, int>>;

// The list texts as the processor's tables are written.
extern const QString kChannelTableText;
extern const QString kBypassAddressTableText;
extern const QString kCommonDefaultListText;
extern const QString kGroupDefaultListText;

// Parsed once; the texts are constants, so a parse failure is a programming error (throws std::logic_error).
const std::array<ChannelRow, 8>& ChannelTable();
const std::array<uint8_t, 8>& BypassAddressTable();
const AddressValueList& CommonDefaultList(); // 14 pairs, 0xC0..0xCD
const AddressValueList& GroupDefaultList();  // 39 pairs, the non-band per-group addresses

// Default band values of a channel: frequency indices and Q indices (the gain index is always 75).
struct BandDefaults {
    std::vector<int> FreqIndices;
    std::vector<int> QIndices;
};
const BandDefaults& BandDefaultsFor(int channel);

// Default DATA1 of a channel's cut filters, std::nullopt-like kNoAddress where there is no filter.
struct CutDefaults {
    uint8_t HighCutAddress = kNoAddress;
    uint8_t HighCutValue = 0;
    uint8_t LowCutAddress = kNoAddress;
    uint8_t LowCutValue = 0;
};
CutDefaults CutDefaultsFor(int channel);

} // namespace korva
