#pragma once
// The grid search's model of its cost in the bands' gains. Every band's response changes with its own gain
// only, and almost linearly over a few dB (the second derivative stays below 0.01 dB per dB^2), so around a
// state the cost is a quadratic in the gain changes: sum a (r + change + sum_j s_j x_j)^2 with the bands'
// gain slopes s_j. A planned move (some bands or cut filters reshaped) gets its best whole gain steps for
// every band from this quadratic; the exact response then decides.

#include "ChannelEq.h"
#include "FitProblem.h"
#include "GridSearch.h"

#include <span>
#include <vector>

namespace korva {

// One part of the total: its response in dB and, for a band, the response's slope in its gain (dB per dB).
struct ResponsePart {
    std::vector<double> Db;
    std::vector<double> Slope;
};

// A band's response and slope at every point of the problem, from the closed form of FitProblem.h.
void BandPart(const BandRecord& band, const FitProblem& problem, ResponsePart& part);
// A cut filter's response (no slope: it has no gain).
void CutPart(const GridCut& cut, const FitProblem& problem, ResponsePart& part);

class GainPlanner {
public:
    // One part of a move: band `Band` (or a cut filter, Band = -1) with response Old becomes New.
    struct Swap {
        int Band = -1;
        const ResponsePart* Old = nullptr;
        const ResponsePart* New = nullptr;
    };

    // Linearises the cost at a state: its total response and its bands.
    void Reset(const FitProblem& problem, std::span<const double> total, const std::vector<ResponsePart>& bands);

    // The best whole gain steps of every band after the swaps (a step is -0.2 dB; gains stay within
    // 0..150), from gains `gainIndex` (those of the reshaped bands as in their new shape). Returns the
    // model's cost.
    double Plan(std::span<const Swap> swaps, std::span<const uint8_t> gainIndex, std::vector<int>& steps) const;

private:
    const FitProblem* problem_ = nullptr;
    const std::vector<ResponsePart>* bands_ = nullptr;
    std::vector<double> a_; // per point: weight, larger above the boost limit
    std::vector<double> r_; // per point: what the total misses by (aiming lower above the limit)
    double base_ = 0.0;     // sum a r^2
    std::vector<double> b_; // per band: sum a r s_j
    std::vector<double> h_; // K x K, row-major: sum a s_j s_l
};

} // namespace korva
