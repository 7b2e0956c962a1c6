#pragma once
// The biquad section of an EQ point and its magnitude in the cookbook's form in phi = sin^2(w / 2):
//   |H|^2 = (Ns - Np*phi + Nq*phi^2) / (Ds - Dp*phi + Dq*phi^2).
// The graph's response buffer and the EQ fit both evaluate points through these, so they agree exactly.

#include "EqPoint.h"

#include <cmath>
#include <numbers>

namespace korva {

constexpr double kEqSampleRateHz = 48000.0;
// The Q of the cut filters' fixed divisor 1.54 (= 2 Q), as filter text names them.
constexpr double kCutFilterQ = 0.77;

template <typename T> struct Biquad {
    T b0, b1, b2, a0, a1, a2;
};

// The section of a point, omega0 = FrequencyHz * radiansPerHz.
template <typename T> Biquad<T> SectionOf(const EqPoint& point, T radiansPerHz) {
    const T omega = T(point.FrequencyHz) * radiansPerHz;
    const T c = std::cos(omega);
    const T s = std::sin(omega);
    if (point.Kind == EqPointKind::Peak) {
        const T a = std::pow(T(10), T(point.GainDb) / T(40));
        const T alpha = s / (T(2) * T(point.Q));
        return {T(1) + alpha * a, T(-2) * c, T(1) - alpha * a, T(1) + alpha / a, T(-2) * c, T(1) - alpha / a};
    }
    // Cut filters are second order with the fixed divisor 1.54 (Q 0.77); their Q field is not used.
    const T alpha = s / T(1.54);
    if (point.Kind == EqPointKind::LowCut) {
        return {(T(1) + c) / T(2), -(T(1) + c), (T(1) + c) / T(2), T(1) + alpha, T(-2) * c, T(1) - alpha};
    }
    return {(T(1) - c) / T(2), T(1) - c, (T(1) - c) / T(2), T(1) + alpha, T(-2) * c, T(1) - alpha};
}

template <typename T> struct PhiForm {
    T ns, np, nq, ds, dp, dq;
};

template <typename T> PhiForm<T> PhiFormOf(const Biquad<T>& q) {
    const auto sum = [](T x0, T x1, T x2) { return (x0 + x1 + x2) * (x0 + x1 + x2); };
    const auto linear = [](T x0, T x1, T x2) { return T(4) * (x0 * x1 + T(4) * x0 * x2 + x1 * x2); };
    const auto square = [](T x0, T x2) { return T(16) * x0 * x2; };
    return {sum(q.b0, q.b1, q.b2), linear(q.b0, q.b1, q.b2), square(q.b0, q.b2),
            sum(q.a0, q.a1, q.a2), linear(q.a0, q.a1, q.a2), square(q.a0, q.a2)};
}

// The phi form of a section in double precision, numerator and denominator scaled alike by 1 / a0^2 (which
// leaves the ratio alone and keeps products of many sections in range).
inline PhiForm<double> NormalisedPhiForm(const Biquad<double>& q) {
    const double scale = q.a0 != 0.0 && std::isfinite(q.a0) ? 1.0 / (q.a0 * q.a0) : 1.0;
    const PhiForm<double> f = PhiFormOf(q);
    return {f.ns * scale, f.np * scale, f.nq * scale, f.ds * scale, f.dp * scale, f.dq * scale};
}

inline PhiForm<double> NormalisedPhiForm(const EqPoint& point) {
    return NormalisedPhiForm(SectionOf(point, 2.0 * std::numbers::pi / kEqSampleRateHz));
}

// phi of a frequency at the processor's rate.
inline double PhiOfHz(double hz) {
    const double s = std::sin(hz * std::numbers::pi / kEqSampleRateHz);
    return s * s;
}

} // namespace korva
