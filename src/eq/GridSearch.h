#pragma once
// The grid stage of the EQ fit: from a start on the processor's grid, moves each band to the best of its
// neighbouring frequency and Q indices (with the best gain index for each), and each cut filter to the
// best index of its range, evaluating the exact response, until no move lowers the cost.

#include "ChannelEq.h"
#include "EqScales.h"
#include "FitProblem.h"

#include <vector>

namespace korva {

struct GridCut {
    EqPointKind Kind = EqPointKind::LowCut;
    FreqIndexRange Range;
    uint8_t Index = 0;
};

struct GridState {
    std::vector<BandRecord> Bands;
    std::vector<GridCut> Cuts; // cut filters that move with the bands (their response is not in Fixed)
};

// The grid values nearest a continuous band (frequency and Q on a log scale, gain in 0.2 dB steps), or
// for frequency or Q the neighbouring grid value on the other side of the band's.
enum class Rounding { Nearest, OtherSide };
BandRecord SnapPeak(const PeakParams& p, Rounding frequency = Rounding::Nearest, Rounding q = Rounding::Nearest);

// The total response of a state on top of problem.Fixed, and its cost.
std::vector<double> GridTotalDb(const FitProblem& problem, const GridState& state);
double GridCost(const FitProblem& problem, const GridState& state);

// The whole search, relocating weak bands to large deviations when the neighbourhoods are exhausted.
GridState SearchGrid(const FitProblem& problem, GridState start);
// Only the neighbourhood passes: to finish on all points what a search on fewer points found.
GridState PolishGrid(const FitProblem& problem, GridState start);

} // namespace korva
