#pragma once
// The continuous stage of the EQ fit: every band free in frequency, gain and Q within the band ranges.
// Bands are placed one by one at the largest remaining deviation and tuned alone, then all are tuned
// together by Levenberg-Marquardt on (ln f, gain, ln Q).

#include "FitProblem.h"

#include <vector>

namespace korva {

// Fits problem.BandCount bands on top of problem.Fixed. The seeds (at most BandCount) start the fit; the
// remaining bands are placed greedily.
std::vector<PeakParams> FitPeaksContinuous(const FitProblem& problem, std::vector<PeakParams> seeds);

// The summed response of bands on top of problem.Fixed.
std::vector<double> PeaksTotalDb(const FitProblem& problem, const std::vector<PeakParams>& bands);

} // namespace korva
