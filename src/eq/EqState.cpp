#include "EqState.h"

#include "model/ChannelTables.h"
#include "model/ParamStore.h"

#include <array>

namespace korva {

namespace {

constexpr float kCutPointQ = 1.4f;

// Slots of the effect channel: three bands, then its high-cut and low-cut.
constexpr int kEffectBandSlots = 3;
constexpr int kEffectHighCutSlot = 3;
constexpr int kEffectLowCutSlot = 4;

void AddCutPoint(ParamModel& model, EqState& state, uint8_t address, EqPointKind kind) {
    if (address == kNoAddress) {
        return;
    }
    EqPoint& p = state.Points[size_t(state.PointCount)];
    p.Address = address;
    p.FrequencyHz = FreqIndexToHz(model.Store.at(model.CurrentGroup, address).DATA1);
    p.GainDb = 0.0f;
    p.Q = kCutPointQ;
    p.Kind = kind;
    p.InUse = true;
    ++state.PointCount;
}

void AddSlot(EqState& state, int slot) {
    if (slot < kEqPointSlots && state.Points[size_t(slot)].InUse) {
        AddPointResponse(state, state.Points[size_t(slot)]);
    }
}

} // namespace

void BuildEqPoints(ParamModel& model, EqState& state) {
    for (EqPoint& p : state.Points) {
        p.InUse = false;
    }
    const ChannelRow& row = ChannelTable().at(model.CurrentChannel);
    state.PointCount = 0;
    for (int k = 0; k < row.BandCount; ++k) {
        const uint8_t address = uint8_t(row.FirstBand + k);
        ParamRecord& record = model.Store.at(model.CurrentGroup, address);
        if (record.DATA3 == 0) {
            record.DATA3 = 1;
        }
        EqPoint& p = state.Points[size_t(k)];
        p.Address = address;
        p.FrequencyHz = FreqIndexToHz(record.DATA1);
        p.GainDb = GainIndexToDb(record.DATA2);
        p.Q = QIndexToQ(record.DATA3);
        p.Kind = EqPointKind::Peak;
        p.InUse = true;
        ++state.PointCount;
    }
    AddCutPoint(model, state, row.HighCut, EqPointKind::HighCut);
    AddCutPoint(model, state, row.LowCut, EqPointKind::LowCut);
}

void ClearResponse(EqState& state) {
    state.Response.Clear(state.Geometry);
}

void AddPointResponse(EqState& state, const EqPoint& point) {
    state.Response.AddPoint(point);
}

std::span<const ChannelCurve> ChannelCurvesOf(int channel) {
    static const std::array<ChannelCurve, 1> single{ChannelCurve::Sum};
    static const std::array<ChannelCurve, 3> effect{ChannelCurve::Sum, ChannelCurve::EffectHighCut,
                                                    ChannelCurve::EffectLowCut};
    if (channel == kChannelEffect) {
        return effect;
    }
    return single;
}

void ComputeChannelCurve(EqState& state, int channel, ChannelCurve curve) {
    ClearResponse(state);
    switch (curve) {
    case ChannelCurve::Sum:
        if (channel == kChannelEffect) {
            for (int slot = 0; slot < kEffectBandSlots; ++slot) {
                AddSlot(state, slot);
            }
        } else {
            for (int slot = 0; slot < kEqPointSlots && state.Points[size_t(slot)].InUse; ++slot) {
                AddSlot(state, slot);
            }
        }
        break;
    case ChannelCurve::EffectHighCut:
        AddSlot(state, kEffectHighCutSlot);
        break;
    case ChannelCurve::EffectLowCut:
        AddSlot(state, kEffectLowCutSlot);
        break;
    }
}

} // namespace korva
