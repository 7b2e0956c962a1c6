// Figures of the EQ fit on the processor's grid: a 700-point curve (20 Hz - 20 kHz) fitted with the 7
// bands of the music channel and with the 15 bands of microphone 1-2, the median over 11 band sets.
#include "BenchRegistry.h"

#include "EqFitSamples.h"

#include "eq/GridFit.h"
#include "model/ChannelTables.h"

namespace {

using namespace korva;

double FitMillis(int channel) {
    const int bands = ChannelTable()[size_t(channel)].BandCount;
    uint64_t seed = 0;
    volatile double sink = 0;
    const double us = bench::MedianMicros(11, [&] {
        const FrequencyCurve curve = testing::CurveOf(testing::RandomPeakingSet(++seed, bands), 700);
        sink = FitCurve(curve, DefaultChannelEq(channel), {})->RmsDb;
    });
    return us / 1000.0;
}

} // namespace

KORVA_BENCH(eq_fit_7_ms) {
    r.Figure("eq_fit_7_ms", FitMillis(kChannelMusic), "ms");
}

KORVA_BENCH(eq_fit_15_ms) {
    r.Figure("eq_fit_15_ms", FitMillis(kChannelMic12), "ms");
}
