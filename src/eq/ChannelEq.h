#pragma once
// One EQ channel's settings as the processor stores them: per band the three index bytes, and the
// frequency index of its cut filters; and the channel's response computed exactly as the graph computes
// it (every point's biquad at 48 kHz, summed in dB).

#include "EqPoint.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korva {

class ParamStore;

// DATA1..DATA3 of a band: frequency index 0..241, gain index 0..150 (75 = 0 dB), Q index 1..75.
struct BandRecord {
    uint8_t FreqIndex = 0;
    uint8_t GainIndex = 75;
    uint8_t QIndex = 14;
    friend bool operator==(const BandRecord&, const BandRecord&) = default;
};

struct ChannelEq {
    int Channel = 0;
    std::vector<BandRecord> Bands;       // as many as the channel has, in address order
    std::optional<uint8_t> HighCutIndex; // DATA1 of the high-cut, where the channel has one
    std::optional<uint8_t> LowCutIndex;  // DATA1 of the low-cut, where the channel has one
    friend bool operator==(const ChannelEq&, const ChannelEq&) = default;
};

// The channel's factory settings (0 dB bands at their default frequencies and Q, default cut filters).
ChannelEq DefaultChannelEq(int channel);

// The channel's settings in one parameter group of a store.
ChannelEq ChannelEqFromStore(const ParamStore& store, int group, int channel);

// The ParamStore address of band k / the cut filters of the channel (kNoAddress where there is none).
uint8_t BandAddress(int channel, int band);
uint8_t HighCutAddress(int channel);
uint8_t LowCutAddress(int channel);

// The graph's point of a band record, and of a cut filter at a frequency index (address 0).
EqPoint BandRecordPoint(const BandRecord& band);
EqPoint CutRecordPoint(uint8_t freqIndex, EqPointKind kind);

// The graph's points of the settings: bands, then the high-cut, then the low-cut (as BuildEqPoints).
std::vector<EqPoint> ChannelEqPoints(const ChannelEq& eq);

// The channel's response in dB at the given frequencies: bands and cut filters together (the processor
// applies both, also on the effect channel, whose graph draws its cut filters apart).
std::vector<double> ChannelResponseDb(const ChannelEq& eq, std::span<const double> hz);

} // namespace korva
