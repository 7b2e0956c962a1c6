#pragma once
// An EQ channel's points as the eq commands show them (bands numbered as their names count them, the cut
// filters by kind) and as JSON: korva-ctl --json prints these keys and korvad answers with them, and a
// remote run reads them back into the channel.

#include "eq/ChannelEq.h"
#include "eq/ReadReport.h"

#include <QJsonArray>
#include <QJsonObject>
#include <vector>

namespace korva::ctl {

struct EqBandPoint {
    int Number; // 1-based
    uint8_t Address;
    BandRecord Record;
};
std::vector<EqBandPoint> EqBandsOf(const ChannelEq& eq);

struct EqCutPoint {
    const char* Id;    // "high_cut", "low_cut"
    const char* Label; // "高切", "低切"
    uint8_t Address;
    uint8_t Index;     // DATA1
};
std::vector<EqCutPoint> EqCutsOf(const ChannelEq& eq);

// [{address, freq_hz, gain_db, q, data: [d1, d2, d3]}]
QJsonArray EqBandsJson(const ChannelEq& eq);
// [{address, kind, freq_hz, data1}]
QJsonArray EqCutsJson(const ChannelEq& eq);
// [{line, reason}]
QJsonArray EqWarningsJson(const std::vector<ReadWarning>& warnings);

// The channel from the "bands" and "cuts" of o; false when they do not fit the channel (another number of
// bands, a cut filter it has not, bytes out of 0–255).
bool EqChannelFromJson(const QJsonObject& o, int channel, ChannelEq& eq);

} // namespace korva::ctl
