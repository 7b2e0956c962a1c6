#pragma once
// The magnitude response of filters read from text, as Equalizer APO computes them: one cookbook biquad
// per filter at 48 kHz (the processor's rate). Peaking filters go through the same section and the same
// arithmetic as the processor's bands, and high- and low-pass filters of Q 0.77 as its cut filters, so a
// file that holds the processor's own values gives exactly the processor's curve.

#include "FilterText.h"

#include <span>
#include <vector>

namespace korva {

// Whether a filter is one of the processor's cut filters as filter text writes it: a high- or low-pass
// filter of Q 0.77 (to the three decimals written).
bool IsCutFilter(const TextFilter& filter);

// Adds the response of one filter, in dB, to db[i] at hz[i]. A filter at or above the Nyquist frequency
// adds nothing.
void AddFilterResponse(const TextFilter& filter, std::span<const double> hz, std::span<double> db);

// The summed response of a set at the given frequencies, without its preamp (a level, not a shape).
std::vector<double> FilterSetResponse(const FilterSet& set, std::span<const double> hz);

} // namespace korva
