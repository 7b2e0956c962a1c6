#pragma once
// Curves that real EQ settings produce, for the EQ fit's tests and benchmarks: random peaking sets and
// sums of shelves and peaks, from a seeded generator of our own, so every machine draws the same sets.

#include "eq/FilterResponse.h"
#include "eq/FrequencyCurve.h"

#include <cmath>
#include <cstdint>

namespace korva::testing {

// SplitMix64: small, and its sequence is fixed (std:: distributions differ between libraries).
class SampleRandom {
public:
    explicit SampleRandom(uint64_t seed) : state_(seed) {}
    double Uniform(double lo, double hi) {
        state_ += 0x9E3779B97F4A7C15ull;
        uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        return lo + (hi - lo) * double(z >> 11) * 0x1.0p-53;
    }
    double LogUniform(double lo, double hi) { return std::exp(Uniform(std::log(lo), std::log(hi))); }
    double SignedGain(double lo, double hi) { return (Uniform(0, 1) < 0.5 ? -1.0 : 1.0) * Uniform(lo, hi); }

private:
    uint64_t state_;
};

inline TextFilter SamplePeak(SampleRandom& r) {
    TextFilter f;
    f.Type = TextFilterType::Peaking;
    f.TypeText = QStringLiteral("PK");
    f.FrequencyHz = r.LogUniform(30.0, 15000.0);
    f.GainDb = r.SignedGain(1.0, 6.0);
    f.WidthKind = FilterWidthKind::Q;
    f.Width = r.LogUniform(0.5, 3.0);
    return f;
}

// `count` peaking filters at random frequency, gain (1..6 dB either way) and Q (0.5..3).
inline FilterSet RandomPeakingSet(uint64_t seed, int count) {
    SampleRandom r(seed);
    FilterSet set;
    for (int i = 0; i < count; ++i) {
        set.Filters.push_back(SamplePeak(r));
    }
    return set;
}

// A low shelf (60..250 Hz) and a high shelf (3..10 kHz) of up to 6 dB either way, and `peaks` peaks.
inline FilterSet ShelvesAndPeaks(uint64_t seed, int peaks) {
    SampleRandom r(seed);
    FilterSet set;
    for (TextFilterType type : {TextFilterType::LowShelf, TextFilterType::HighShelf}) {
        TextFilter f;
        f.Type = type;
        f.TypeText = type == TextFilterType::LowShelf ? QStringLiteral("LSC") : QStringLiteral("HSC");
        f.FrequencyHz = type == TextFilterType::LowShelf ? r.LogUniform(60.0, 250.0) : r.LogUniform(3000.0, 10000.0);
        f.GainDb = r.SignedGain(2.0, 6.0);
        f.WidthKind = FilterWidthKind::Q;
        f.Width = 0.707;
        set.Filters.push_back(f);
    }
    for (int i = 0; i < peaks; ++i) {
        set.Filters.push_back(SamplePeak(r));
    }
    return set;
}

// The set's response as a curve of `points` log-spaced points over 20 Hz .. 20 kHz.
inline FrequencyCurve CurveOf(const FilterSet& set, int points = 700) {
    FrequencyCurve c;
    c.FrequencyHz = LogSpacedFrequencies(20.0, 20000.0, points);
    c.Db = FilterSetResponse(set, c.FrequencyHz);
    return c;
}

} // namespace korva::testing
