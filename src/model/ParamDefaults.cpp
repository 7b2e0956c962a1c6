#include "ParamDefaults.h"

#include "ChannelTables.h"

namespace korva {

namespace {

// Channels are filled in this order; no two share an address, so the order has no visible effect.
constexpr int kChannelFillOrder[] = {kChannelMic12,  kChannelMic3,      kChannelMusic, kChannelSurround,
                                     kChannelCentre, kChannelRecording, kChannelBass,  kChannelEffect};

void ResetChannel(ParamStore& store, int group, int channel) {
    const ChannelRow& row = ChannelTable()[channel];
    const BandDefaults& bands = BandDefaultsFor(channel);
    // Music and both microphone channels use their table's band count; the others always have three bands
    // in the processor, bass included (its table count of 0 only hides them from the graph).
    const bool ownCount = channel == kChannelMusic || channel == kChannelMic12 || channel == kChannelMic3;
    const int n = ownCount ? row.BandCount : 3;
    for (int k = 0; k < n; ++k) {
        ParamRecord& r = store.at(group, row.FirstBand + k);
        r.DATA1 = uint8_t(bands.FreqIndices[k]);
        r.DATA2 = 75;
        r.DATA3 = uint8_t(bands.QIndices[k]);
    }
    const CutDefaults cuts = CutDefaultsFor(channel);
    if (cuts.HighCutAddress != kNoAddress) {
        store.at(group, cuts.HighCutAddress).DATA1 = cuts.HighCutValue;
    }
    if (cuts.LowCutAddress != kNoAddress) {
        store.at(group, cuts.LowCutAddress).DATA1 = cuts.LowCutValue;
    }
}

} // namespace

void InitParamDefaults(ParamModel& model, bool resetCurrentOnly) {
    ParamStore& store = model.Store;
    if (!resetCurrentOnly) {
        for (const auto& [address, value] : CommonDefaultList()) {
            store.at(0, address).DATA1 = uint8_t(value);
        }
        for (int g = 0; g < kGroupCount; ++g) {
            for (const auto& [address, value] : GroupDefaultList()) {
                store.at(g, address).DATA1 = uint8_t(value);
            }
        }
    }
    for (int channel : kChannelFillOrder) {
        for (int g = 0; g < kGroupCount; ++g) {
            if (!resetCurrentOnly || (g == model.CurrentGroup && channel == model.CurrentChannel)) {
                ResetChannel(store, g, channel);
            }
        }
    }
    // The menu table is in no undo snapshot: a channel reset that cleared it would lose the processor's
    // menu settings for good (the menu editor and the next export would carry the cleared table).
    if (!resetCurrentOnly) {
        for (int i = 0; i < 255; ++i) {
            model.MenuShow[i] = 0;
        }
    }
}

} // namespace korva
