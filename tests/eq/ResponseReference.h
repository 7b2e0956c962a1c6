#pragma once
// The response of EQ points evaluated independently of the program's formulas: the same biquad sections,
// in double precision, from the transfer function on the unit circle rather than the sin^2 form.

#include "eq/EqPoint.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace korva::testing {

inline double ReferenceDb(const EqPoint& p, double hz) {
    const double w0 = double(p.FrequencyHz) * 2 * std::numbers::pi / 48000;
    const double c = std::cos(w0);
    const double s = std::sin(w0);
    double b[3];
    double a[3];
    if (p.Kind == EqPointKind::Peak) {
        const double gain = std::pow(10.0, double(p.GainDb) / 40);
        const double alpha = s / (2 * double(p.Q));
        b[0] = 1 + alpha * gain, b[1] = -2 * c, b[2] = 1 - alpha * gain;
        a[0] = 1 + alpha / gain, a[1] = -2 * c, a[2] = 1 - alpha / gain;
    } else {
        const double alpha = s / 1.54;
        const double k = p.Kind == EqPointKind::LowCut ? 1 + c : 1 - c;
        b[0] = k / 2, b[1] = p.Kind == EqPointKind::LowCut ? -k : k, b[2] = k / 2;
        a[0] = 1 + alpha, a[1] = -2 * c, a[2] = 1 - alpha;
    }
    const std::complex<double> z = std::polar(1.0, -2 * std::numbers::pi * hz / 48000);
    const std::complex<double> h = (b[0] + b[1] * z + b[2] * z * z) / (a[0] + a[1] * z + a[2] * z * z);
    return 20 * std::log10(std::abs(h));
}

} // namespace korva::testing
