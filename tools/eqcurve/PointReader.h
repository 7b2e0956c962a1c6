#pragma once
// Reads EQ points written one per line as "KIND FREQ_HZ GAIN_DB Q".

#include "eq/EqPoint.h"

#include <istream>
#include <string>
#include <vector>

namespace korva::eqcurve {

struct ReadResult {
    std::vector<EqPoint> Points;
    std::string Error; // empty on success; otherwise one line naming the input line
};

// KIND is peak, highcut or lowcut; blank lines are skipped. The frequency must lie between 0 and 24000 Hz
// (exclusive), the gain within +-60 dB; a peak needs a Q above 0 and up to 100, a cut filter ignores its Q.
ReadResult ReadPoints(std::istream& in);

} // namespace korva::eqcurve
