#include "ChannelEq.h"

#include "PointResponse.h"
#include "model/ChannelTables.h"
#include "model/ParamStore.h"

namespace korva {

namespace {

constexpr float kCutPointQ = 1.4f;

const ChannelRow& RowOf(int channel) {
    return ChannelTable().at(size_t(channel));
}

} // namespace

EqPoint BandRecordPoint(const BandRecord& b) {
    return {FreqIndexToHz(b.FreqIndex), GainIndexToDb(b.GainIndex), QIndexToQ(b.QIndex), EqPointKind::Peak, true, 0};
}

EqPoint CutRecordPoint(uint8_t freqIndex, EqPointKind kind) {
    return {FreqIndexToHz(freqIndex), 0.0f, kCutPointQ, kind, true, 0};
}

uint8_t BandAddress(int channel, int band) {
    return uint8_t(RowOf(channel).FirstBand + band);
}

uint8_t HighCutAddress(int channel) {
    return RowOf(channel).HighCut;
}

uint8_t LowCutAddress(int channel) {
    return RowOf(channel).LowCut;
}

ChannelEq DefaultChannelEq(int channel) {
    const ChannelRow& row = RowOf(channel);
    const BandDefaults& defaults = BandDefaultsFor(channel);
    ChannelEq eq;
    eq.Channel = channel;
    for (int k = 0; k < row.BandCount; ++k) {
        eq.Bands.push_back({uint8_t(defaults.FreqIndices.at(size_t(k))), 75, uint8_t(defaults.QIndices.at(size_t(k)))});
    }
    const CutDefaults cuts = CutDefaultsFor(channel);
    if (row.HighCut != kNoAddress) {
        eq.HighCutIndex = cuts.HighCutValue;
    }
    if (row.LowCut != kNoAddress) {
        eq.LowCutIndex = cuts.LowCutValue;
    }
    return eq;
}

ChannelEq ChannelEqFromStore(const ParamStore& store, int group, int channel) {
    const ChannelRow& row = RowOf(channel);
    ChannelEq eq;
    eq.Channel = channel;
    for (int k = 0; k < row.BandCount; ++k) {
        const ParamRecord& r = store.at(group, row.FirstBand + k);
        eq.Bands.push_back({r.DATA1, r.DATA2, r.DATA3});
    }
    if (row.HighCut != kNoAddress) {
        eq.HighCutIndex = store.at(group, row.HighCut).DATA1;
    }
    if (row.LowCut != kNoAddress) {
        eq.LowCutIndex = store.at(group, row.LowCut).DATA1;
    }
    return eq;
}

std::vector<EqPoint> ChannelEqPoints(const ChannelEq& eq) {
    std::vector<EqPoint> points;
    for (size_t k = 0; k < eq.Bands.size(); ++k) {
        points.push_back(BandRecordPoint(eq.Bands[k]));
        points.back().Address = BandAddress(eq.Channel, int(k));
    }
    if (eq.HighCutIndex) {
        points.push_back(CutRecordPoint(*eq.HighCutIndex, EqPointKind::HighCut));
        points.back().Address = HighCutAddress(eq.Channel);
    }
    if (eq.LowCutIndex) {
        points.push_back(CutRecordPoint(*eq.LowCutIndex, EqPointKind::LowCut));
        points.back().Address = LowCutAddress(eq.Channel);
    }
    return points;
}

std::vector<double> ChannelResponseDb(const ChannelEq& eq, std::span<const double> hz) {
    const PhiGrid grid = PhiGridOf(hz);
    std::vector<double> db(hz.size(), 0.0);
    for (const EqPoint& p : ChannelEqPoints(eq)) {
        AddPointDb(p, grid, db);
    }
    return db;
}

} // namespace korva
