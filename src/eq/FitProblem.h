#pragma once
// The least-squares problem behind the EQ fit: evaluation points, desired curve, weights, the boost limit,
// and the processor's peaking band in a closed form with its derivatives for the continuous stage.
//
// A peaking band's |H|^2 in phi = sin^2(w/2), with p = sin^2(w0/2), beta = (sin w0 / 2Q)^2, G = 10^(g/20):
//   |H|^2 = ((phi - p)^2 + beta G phi(1 - phi)) / ((phi - p)^2 + beta / G phi(1 - phi)),
// the graph's phi form with its common factors cancelled.

#include "PointResponse.h"

#include <optional>
#include <span>
#include <vector>

namespace korva {

// The ranges of a band: 18 .. 20000 Hz, -15 .. +15 dB, Q 0.1 .. 15.
constexpr double kBandLowestHz = 18.0;
constexpr double kBandHighestHz = 20000.0;
constexpr double kBandGainLimitDb = 15.0;
constexpr double kBandLowestQ = 0.1;
constexpr double kBandHighestQ = 15.0;

// How much more a level above the boost limit costs than the same error below it.
constexpr double kBoostPenalty = 4.0;

struct FitProblem {
    std::vector<double> Hz;
    PhiGrid Grid;
    std::vector<double> PhiSpread; // phi (1 - phi)
    std::vector<double> Desired;
    std::vector<double> Weight;
    double WeightSum = 0.0;
    double CapDb = kBandGainLimitDb; // boost limit
    std::vector<double> Fixed;       // what the bands add to (cut filters, when they take part)
    int BandCount = 0;

    size_t Size() const { return Hz.size(); }

    // sum w (t - d)^2 + penalty * sum w max(0, t - cap)^2 of a total response t.
    double Cost(std::span<const double> total) const;
    // sqrt(sum w (t - d)^2 / sum w) and max |t - d| over points of weight > 0.
    double RmsError(std::span<const double> total) const;
    double MaxError(std::span<const double> total) const;
};

FitProblem MakeFitProblem(std::vector<double> hz, std::vector<double> desired, std::vector<double> weight,
                          double capDb, int bandCount);

// Every step-th point of a problem (and its last): the searches run on this and finish on the whole.
FitProblem Thinned(const FitProblem& problem, size_t step);

// A band of the continuous stage.
struct PeakParams {
    double LogHz = 0.0; // natural log of the centre frequency
    double GainDb = 0.0;
    double LogQ = 0.0;
};

PeakParams ClampedPeak(PeakParams p);

// A band that would remove the largest deviation of `total` from the desired curve: at its peak, as
// high, as wide as the deviation stays above half its height. std::nullopt when no deviation exceeds
// leastDb.
std::optional<PeakParams> LargestDeviation(const FitProblem& problem, std::span<const double> total, double leastDb);

// The band's response in dB at every point (written, not added); with gradients when they are non-empty.
void PeakDb(const PeakParams& p, const FitProblem& problem, std::span<double> db, std::span<double> dLogHz = {},
            std::span<double> dGain = {}, std::span<double> dLogQ = {});

} // namespace korva
