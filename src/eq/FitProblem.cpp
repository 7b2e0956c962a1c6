#include "FitProblem.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <numbers>

namespace korva {

namespace {

constexpr double kDbPerNeper = 10.0 / std::numbers::ln10; // 10 log10(x) = kDbPerNeper ln(x)

} // namespace

double FitProblem::Cost(std::span<const double> total) const {
    double cost = 0.0;
    for (size_t i = 0; i < Size(); ++i) {
        const double e = total[i] - Desired[i];
        const double over = std::max(total[i] - CapDb, 0.0);
        cost += Weight[i] * (e * e + kBoostPenalty * over * over);
    }
    return cost;
}

double FitProblem::RmsError(std::span<const double> total) const {
    double sum = 0.0;
    for (size_t i = 0; i < Size(); ++i) {
        const double e = total[i] - Desired[i];
        sum += Weight[i] * e * e;
    }
    return WeightSum > 0.0 ? std::sqrt(sum / WeightSum) : 0.0;
}

double FitProblem::MaxError(std::span<const double> total) const {
    double worst = 0.0;
    for (size_t i = 0; i < Size(); ++i) {
        if (Weight[i] > 0.0) {
            worst = std::max(worst, std::fabs(total[i] - Desired[i]));
        }
    }
    return worst;
}

FitProblem MakeFitProblem(std::vector<double> hz, std::vector<double> desired, std::vector<double> weight,
                          double capDb, int bandCount) {
    FitProblem p;
    p.Grid = PhiGridOf(hz);
    p.PhiSpread.resize(hz.size());
    for (size_t i = 0; i < hz.size(); ++i) {
        p.PhiSpread[i] = p.Grid.Phi[i] * (1.0 - p.Grid.Phi[i]);
        desired[i] = std::min(desired[i], capDb);
    }
    p.Hz = std::move(hz);
    p.Desired = std::move(desired);
    p.Weight = std::move(weight);
    for (double w : p.Weight) {
        p.WeightSum += w;
    }
    p.CapDb = capDb;
    p.Fixed.assign(p.Hz.size(), 0.0);
    p.BandCount = bandCount;
    return p;
}

FitProblem Thinned(const FitProblem& problem, size_t step) {
    std::vector<double> hz, desired, weight, fixed;
    for (size_t i = 0; i < problem.Size(); i += step) {
        const size_t at = i + step >= problem.Size() ? problem.Size() - 1 : i;
        hz.push_back(problem.Hz[at]);
        desired.push_back(problem.Desired[at]);
        weight.push_back(problem.Weight[at]);
        fixed.push_back(problem.Fixed[at]);
    }
    FitProblem thin = MakeFitProblem(std::move(hz), std::move(desired), std::move(weight), problem.CapDb,
                                     problem.BandCount);
    thin.Fixed = std::move(fixed);
    return thin;
}

PeakParams ClampedPeak(PeakParams p) {
    p.LogHz = std::clamp(p.LogHz, std::log(kBandLowestHz), std::log(kBandHighestHz));
    p.GainDb = std::clamp(p.GainDb, -kBandGainLimitDb, kBandGainLimitDb);
    p.LogQ = std::clamp(p.LogQ, std::log(kBandLowestQ), std::log(kBandHighestQ));
    return p;
}

void PeakDb(const PeakParams& p, const FitProblem& problem, std::span<double> db, std::span<double> dLogHz,
            std::span<double> dGain, std::span<double> dLogQ) {
    const double omega = 2.0 * std::numbers::pi * std::exp(p.LogHz) / kEqSampleRateHz;
    const double s = std::sin(omega);
    const double c = std::cos(omega);
    const double half = std::sin(omega / 2.0);
    const double centre = half * half;
    const double q = std::exp(p.LogQ);
    const double beta = s * s / (4.0 * q * q);
    const double g = std::pow(10.0, p.GainDb / 20.0);
    const double betaUp = beta * g;
    const double betaDown = beta / g;
    const bool gradients = !dLogHz.empty();
    // d centre / d ln f and d beta / d ln f.
    const double dCentre = omega * s / 2.0;
    const double dBetaRatio = 2.0 * c * omega / s;

    const double* phi = problem.Grid.Phi.data();
    const double* spread = problem.PhiSpread.data();
    const size_t n = problem.Size();
    for (size_t i = 0; i < n; ++i) {
        const double d = phi[i] - centre;
        const double u = d * d;
        const double upV = betaUp * spread[i];
        const double downV = betaDown * spread[i];
        const double num = u + upV;
        const double den = u + downV;
        db[i] = kDbPerNeper * std::log(num / den);
        if (gradients) {
            const double up = upV / num;     // share of the band in the numerator
            const double down = downV / den; // ... and in the denominator
            dGain[i] = 0.5 * (up + down);
            dLogQ[i] = 2.0 * kDbPerNeper * (down - up);
            const double du = -2.0 * d * dCentre;
            dLogHz[i] = kDbPerNeper * ((du + dBetaRatio * upV) / num - (du + dBetaRatio * downV) / den);
        }
    }
}

std::optional<PeakParams> LargestDeviation(const FitProblem& problem, std::span<const double> total, double leastDb) {
    const size_t n = problem.Size();
    size_t at = 0;
    double largest = -1.0;
    for (size_t i = 0; i < n; ++i) {
        const double e = std::fabs(problem.Desired[i] - total[i]) * (problem.Weight[i] > 0.0 ? 1.0 : 0.0);
        if (e > largest) {
            largest = e;
            at = i;
        }
    }
    const double peak = problem.Desired[at] - total[at];
    if (!(std::fabs(peak) > leastDb)) {
        return std::nullopt;
    }
    const auto within = [&](size_t i) {
        const double e = problem.Desired[i] - total[i];
        return e * peak > 0.0 && std::fabs(e) >= std::fabs(peak) / 2.0;
    };
    size_t lo = at;
    size_t hi = at;
    while (lo > 0 && within(lo - 1)) {
        --lo;
    }
    while (hi + 1 < n && within(hi + 1)) {
        ++hi;
    }
    // Half-height width in octaves -> Q of a peaking band of that width.
    const double octaves = std::max(std::log2(problem.Hz[hi] / problem.Hz[lo]), 0.05);
    const double ratio = std::pow(2.0, octaves);
    const double q = std::sqrt(ratio) / (ratio - 1.0);
    return ClampedPeak({std::log(problem.Hz[at]), peak, std::log(q)});
}

} // namespace korva
