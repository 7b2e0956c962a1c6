#pragma once
// A response on frequencies of its own: a measurement, a target, a desired EQ curve. Frequencies rise
// strictly; values are dB.

#include <span>
#include <vector>

namespace korva {

struct FrequencyCurve {
    std::vector<double> FrequencyHz;
    std::vector<double> Db;

    bool Empty() const { return FrequencyHz.empty(); }

    // The value at hz, interpolated linearly on log frequency; beyond either end the end value.
    double DbAt(double hz) const;
    // DbAt for every frequency of a list (rising), in one pass.
    std::vector<double> DbAt(std::span<const double> hz) const;
};

// count frequencies from fromHz to toHz, equally spaced on a log scale, both ends included (count >= 2).
std::vector<double> LogSpacedFrequencies(double fromHz, double toHz, int count);

} // namespace korva
