#include "GainPlanner.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korva {

namespace {

constexpr double kDbPerNeper = 10.0 / std::numbers::ln10;
constexpr double kDbPerGainStep = -0.2; // a higher gain index is a lower gain
constexpr int kHighestGainIndex = 150;
constexpr int kSweeps = 30;
// Where a swap changes a response (dB, or dB per dB of gain) by less than this, or by less than this share
// of its largest change, the sums leave the point out: a neighbouring shape differs from the old one
// mostly near it.
constexpr double kNegligibleChange = 1e-6;
constexpr double kNegligibleShare = 1e-3;

// sum w x y over n points, with two running sums so that the additions do not wait for one another.
double WeightedDot(const double* x, const double* y, const double* w, size_t n) {
    double s0 = 0.0, s1 = 0.0;
    size_t i = 0;
    for (; i + 2 <= n; i += 2) {
        s0 += w[i] * x[i] * y[i];
        s1 += w[i + 1] * x[i + 1] * y[i + 1];
    }
    if (i < n) {
        s0 += w[i] * x[i] * y[i];
    }
    return s0 + s1;
}

} // namespace

void BandPart(const BandRecord& band, const FitProblem& problem, ResponsePart& part) {
    const double omega = 2.0 * std::numbers::pi * double(FreqIndexToHz(band.FreqIndex)) / kEqSampleRateHz;
    const double half = std::sin(omega / 2.0);
    const double centre = half * half;
    const double q = double(QIndexToQ(band.QIndex));
    const double beta = std::sin(omega) * std::sin(omega) / (4.0 * q * q);
    const double g = std::pow(10.0, double(GainIndexToDb(band.GainIndex)) / 20.0);
    const size_t n = problem.Size();
    part.Db.resize(n);
    part.Slope.resize(n);
    const double* phi = problem.Grid.Phi.data();
    const double* spread = problem.PhiSpread.data();
    for (size_t i = 0; i < n; ++i) {
        const double d = phi[i] - centre;
        const double u = d * d;
        const double upV = beta * g * spread[i];
        const double downV = beta / g * spread[i];
        const double num = u + upV;
        const double den = u + downV;
        part.Db[i] = kDbPerNeper * std::log(num / den);
        part.Slope[i] = 0.5 * (upV / num + downV / den);
    }
}

void CutPart(const GridCut& cut, const FitProblem& problem, ResponsePart& part) {
    part.Db.assign(problem.Size(), 0.0);
    part.Slope.clear();
    AddPointDb(CutRecordPoint(cut.Index, cut.Kind), problem.Grid, part.Db);
}

void GainPlanner::Reset(const FitProblem& problem, std::span<const double> total, const std::vector<ResponsePart>& bands) {
    problem_ = &problem;
    bands_ = &bands;
    const size_t n = problem.Size();
    a_.resize(n);
    r_.resize(n);
    base_ = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const double w = problem.Weight[i];
        const double e = total[i] - problem.Desired[i];
        const double over = total[i] - problem.CapDb;
        // Above the limit the cost is w (e^2 + p over^2) = w (1 + p) (t - aim)^2 + const.
        a_[i] = over > 0.0 ? w * (1.0 + kBoostPenalty) : w;
        r_[i] = over > 0.0 ? (e + kBoostPenalty * over) / (1.0 + kBoostPenalty) : e;
        base_ += a_[i] * r_[i] * r_[i];
    }
    const size_t k = bands.size();
    b_.resize(k);
    h_.assign(k * k, 0.0);
    for (size_t j = 0; j < k; ++j) {
        b_[j] = WeightedDot(r_.data(), bands[j].Slope.data(), a_.data(), n);
        for (size_t l = 0; l <= j; ++l) {
            h_[j * k + l] = h_[l * k + j] = WeightedDot(bands[j].Slope.data(), bands[l].Slope.data(), a_.data(), n);
        }
    }
}

double GainPlanner::Plan(std::span<const Swap> swaps, std::span<const uint8_t> gainIndex, std::vector<int>& steps) const {
    const size_t n = problem_->Size();
    const std::vector<ResponsePart>& bands = *bands_;
    const size_t k = bands.size();

    // The slope each band has after the swaps, and the window where the swaps change anything.
    std::vector<const double*> slope(k);
    for (size_t j = 0; j < k; ++j) {
        slope[j] = bands[j].Slope.data();
    }
    std::vector<double> change(n, 0.0);
    std::vector<double> size(n, 0.0);
    for (const Swap& s : swaps) {
        for (size_t i = 0; i < n; ++i) {
            change[i] += s.New->Db[i] - s.Old->Db[i];
            double d = std::fabs(s.New->Db[i] - s.Old->Db[i]);
            if (s.Band >= 0) {
                d = std::max(d, std::fabs(s.New->Slope[i] - s.Old->Slope[i]));
            }
            size[i] = std::max(size[i], d);
        }
        if (s.Band >= 0) {
            slope[size_t(s.Band)] = s.New->Slope.data();
        }
    }
    const double largest = n > 0 ? *std::max_element(size.begin(), size.end()) : 0.0;
    const double negligible = std::max(kNegligibleChange, kNegligibleShare * largest);
    size_t lo = 0;
    size_t hi = n;
    while (lo < n && size[lo] <= negligible) {
        ++lo;
    }
    while (hi > lo && size[hi - 1] <= negligible) {
        --hi;
    }
    const size_t span = hi - lo;
    const double* a = a_.data() + lo;
    const double* r = r_.data() + lo;
    const double* dc = change.data() + lo;

    // base, b and H after the swaps: the current sums plus what changes inside the window.
    double base = base_;
    for (size_t i = 0; i < span; ++i) {
        base += a[i] * dc[i] * (2.0 * r[i] + dc[i]);
    }
    std::vector<char> reshaped(k, 0);
    for (const Swap& s : swaps) {
        if (s.Band >= 0) {
            reshaped[size_t(s.Band)] = 1;
        }
    }
    std::vector<double> b(k);
    std::vector<double> h = h_;
    for (size_t j = 0; j < k; ++j) {
        const double* oldSlope = bands[j].Slope.data() + lo;
        const double* newSlope = slope[j] + lo;
        // sum a (r + dc) s' = b_j + sum a ((r + dc) s' - r s) over the window.
        b[j] = b_[j] + WeightedDot(dc, newSlope, a, span);
        if (reshaped[j]) {
            b[j] += WeightedDot(r, newSlope, a, span) - WeightedDot(r, oldSlope, a, span);
            for (size_t l = 0; l < k; ++l) {
                if (reshaped[l] && l < j) {
                    continue; // done from the other side
                }
                const double updated = h_[j * k + l] + WeightedDot(newSlope, slope[l] + lo, a, span) -
                                       WeightedDot(oldSlope, bands[l].Slope.data() + lo, a, span);
                h[j * k + l] = h[l * k + j] = updated;
            }
        }
    }

    // Coordinate descent on whole steps: x_j = -0.2 step_j dB, model = base + 2 b.x + x.H.x.
    steps.assign(k, 0);
    std::vector<double> x(k, 0.0);
    for (int sweep = 0; sweep < kSweeps; ++sweep) {
        bool changed = false;
        for (size_t j = 0; j < k; ++j) {
            const double hjj = h[j * k + j];
            if (!(hjj > 0.0)) {
                continue;
            }
            double pull = b[j];
            for (size_t l = 0; l < k; ++l) {
                if (l != j) {
                    pull += h[j * k + l] * x[l];
                }
            }
            const double ideal = -pull / hjj / kDbPerGainStep;
            int best = steps[j];
            double bestChange = 0.0;
            const double lowest = -double(gainIndex[j]);
            const double highest = double(kHighestGainIndex - gainIndex[j]);
            for (const double candidate : {std::floor(ideal), std::ceil(ideal)}) {
                const int s = int(std::clamp(candidate, lowest, highest));
                const double nx = kDbPerGainStep * s;
                const double delta = 2.0 * pull * (nx - x[j]) + hjj * (nx * nx - x[j] * x[j]);
                if (delta < bestChange) {
                    bestChange = delta;
                    best = s;
                }
            }
            if (best != steps[j]) {
                steps[j] = best;
                x[j] = kDbPerGainStep * best;
                changed = true;
            }
        }
        if (!changed) {
            break;
        }
    }
    double model = base;
    for (size_t j = 0; j < k; ++j) {
        double row = 0.0;
        for (size_t l = 0; l < k; ++l) {
            row += h[j * k + l] * x[l];
        }
        model += x[j] * (2.0 * b[j] + row);
    }
    return model;
}

} // namespace korva
