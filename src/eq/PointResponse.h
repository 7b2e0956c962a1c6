#pragma once
// Evaluation of biquad sections at a list of frequencies, in dB, through the graph's phi form: the one
// arithmetic behind the channel response, the response of imported peaking filters and the EQ fit.

#include "BiquadSection.h"

#include <span>
#include <vector>

namespace korva {

// phi = sin^2(pi f / 48000) and phi^2 of each frequency.
struct PhiGrid {
    std::vector<double> Phi;
    std::vector<double> PhiSquared;
};
PhiGrid PhiGridOf(std::span<const double> hz);

// Adds 10 log10(N / D) of the section at every point; a point whose N or D is not positive (only at 0 Hz
// or the Nyquist frequency) gets floorDb added instead.
void AddSectionDb(const PhiForm<double>& form, const PhiGrid& grid, std::span<double> db, double floorDb = -120.0);

inline void AddPointDb(const EqPoint& point, const PhiGrid& grid, std::span<double> db) {
    AddSectionDb(NormalisedPhiForm(point), grid, db);
}

} // namespace korva
