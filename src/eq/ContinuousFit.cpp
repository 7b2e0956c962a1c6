#include "ContinuousFit.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace korva {

namespace {

constexpr int kParamsPerBand = 3;
constexpr int kBandAloneIterations = 12;
constexpr int kAllBandsIterations = 50;
constexpr int kReseatAttempts = 4;
// A step that lowers the cost by less than this share is a quiet one; two in a row end the fit (what
// remains is a slow crawl along a valley that buys hundredths of a dB at most).
constexpr double kQuietShare = 2e-3;

// A start below this level adds a band that does nothing; it is left out of the fit.
constexpr double kNegligibleDb = 1e-3;

// x . y with four running sums, so that the additions do not wait for one another.
double Dot(const double* x, const double* y, size_t n) {
    double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        s0 += x[i] * y[i];
        s1 += x[i + 1] * y[i + 1];
        s2 += x[i + 2] * y[i + 2];
        s3 += x[i + 3] * y[i + 3];
    }
    for (; i < n; ++i) {
        s0 += x[i] * y[i];
    }
    return (s0 + s1) + (s2 + s3);
}

// Solves (a) x = b in place for a symmetric positive definite a (n x n, row-major) by Cholesky; false when
// a is not positive definite.
bool SolveCholesky(std::vector<double>& a, std::vector<double>& b, int n) {
    for (int j = 0; j < n; ++j) {
        double d = a[size_t(j * n + j)];
        for (int k = 0; k < j; ++k) {
            d -= a[size_t(j * n + k)] * a[size_t(j * n + k)];
        }
        if (!(d > 0.0)) {
            return false;
        }
        d = std::sqrt(d);
        a[size_t(j * n + j)] = d;
        for (int i = j + 1; i < n; ++i) {
            double v = a[size_t(i * n + j)];
            for (int k = 0; k < j; ++k) {
                v -= a[size_t(i * n + k)] * a[size_t(j * n + k)];
            }
            a[size_t(i * n + j)] = v / d;
        }
    }
    for (int i = 0; i < n; ++i) {
        double v = b[size_t(i)];
        for (int k = 0; k < i; ++k) {
            v -= a[size_t(i * n + k)] * b[size_t(k)];
        }
        b[size_t(i)] = v / a[size_t(i * n + i)];
    }
    for (int i = n - 1; i >= 0; --i) {
        double v = b[size_t(i)];
        for (int k = i + 1; k < n; ++k) {
            v -= a[size_t(k * n + i)] * b[size_t(k)];
        }
        b[size_t(i)] = v / a[size_t(i * n + i)];
    }
    return true;
}

// Levenberg-Marquardt over some bands (the others, already in `base`, stay).
class PeakSolver {
public:
    PeakSolver(const FitProblem& problem, std::vector<double> base)
        : problem_(problem), base_(std::move(base)), n_(problem.Size()) {}

    // Tunes `bands` in place; returns the final cost.
    double Solve(std::vector<PeakParams>& bands, int maxIterations);

private:
    double Evaluate(const std::vector<PeakParams>& bands, bool gradients);

    const FitProblem& problem_;
    std::vector<double> base_;
    size_t n_;
    std::vector<double> total_;
    std::vector<double> band_;
    std::vector<double> jacobian_; // column-major: parameter j at [j * n + i]
};

double PeakSolver::Evaluate(const std::vector<PeakParams>& bands, bool gradients) {
    total_ = base_;
    band_.resize(n_);
    if (gradients) {
        jacobian_.resize(bands.size() * kParamsPerBand * n_);
    }
    for (size_t k = 0; k < bands.size(); ++k) {
        if (gradients) {
            double* col = jacobian_.data() + k * kParamsPerBand * n_;
            PeakDb(bands[k], problem_, band_, {col, n_}, {col + n_, n_}, {col + 2 * n_, n_});
        } else {
            PeakDb(bands[k], problem_, band_);
        }
        for (size_t i = 0; i < n_; ++i) {
            total_[i] += band_[i];
        }
    }
    return problem_.Cost(total_);
}

double PeakSolver::Solve(std::vector<PeakParams>& bands, int maxIterations) {
    const int m = int(bands.size()) * kParamsPerBand;
    if (m == 0) {
        return Evaluate(bands, false);
    }
    double cost = Evaluate(bands, true);
    // Levenberg-Marquardt with Nielsen's damping update.
    double mu = 1e-3;
    double growth = 2.0;
    std::vector<double> normal(size_t(m * m));
    std::vector<double> gradient(static_cast<size_t>(m));
    std::vector<double> scaled(jacobian_.size());
    std::vector<double> residual(n_);
    std::vector<double> rowScale(n_);
    int quietSteps = 0;
    for (int iteration = 0; iteration < maxIterations && quietSteps < 2; ++iteration) {
        // Each point's weighted residual and weight; a point above the cap counts its excess again.
        for (size_t i = 0; i < n_; ++i) {
            const double w = problem_.Weight[i];
            const double over = total_[i] - problem_.CapDb;
            rowScale[i] = std::sqrt(w * (over > 0.0 ? 1.0 + kBoostPenalty : 1.0));
            residual[i] = w * (total_[i] - problem_.Desired[i] + (over > 0.0 ? kBoostPenalty * over : 0.0));
        }
        for (int j = 0; j < m; ++j) {
            const double* column = jacobian_.data() + size_t(j) * n_;
            double* out = scaled.data() + size_t(j) * n_;
            double sum = 0.0;
            for (size_t i = 0; i < n_; ++i) {
                sum += residual[i] * column[i];
                out[i] = column[i] * rowScale[i];
            }
            gradient[size_t(j)] = sum;
        }
        for (int a = 0; a < m; ++a) {
            const double* ca = scaled.data() + size_t(a) * n_;
            for (int b = 0; b <= a; ++b) {
                const double sum = Dot(ca, scaled.data() + size_t(b) * n_, n_);
                normal[size_t(a * m + b)] = sum;
                normal[size_t(b * m + a)] = sum;
            }
        }
        bool accepted = false;
        for (int attempt = 0; attempt < 16 && !accepted; ++attempt) {
            std::vector<double> damped = normal;
            std::vector<double> step(gradient.size());
            for (int j = 0; j < m; ++j) {
                damped[size_t(j * m + j)] += mu * (normal[size_t(j * m + j)] + 1e-9) + 1e-12;
                step[size_t(j)] = -gradient[size_t(j)];
            }
            if (!SolveCholesky(damped, step, m)) {
                mu *= growth;
                growth *= 2.0;
                continue;
            }
            // The reduction the linear model promises: -g.step + mu step.D.step.
            double promised = 0.0;
            for (int j = 0; j < m; ++j) {
                promised += -gradient[size_t(j)] * step[size_t(j)] +
                            mu * (normal[size_t(j * m + j)] + 1e-9) * step[size_t(j)] * step[size_t(j)];
            }
            std::vector<PeakParams> trial = bands;
            for (size_t k = 0; k < trial.size(); ++k) {
                trial[k].LogHz += step[k * kParamsPerBand];
                trial[k].GainDb += step[k * kParamsPerBand + 1];
                trial[k].LogQ += step[k * kParamsPerBand + 2];
                trial[k] = ClampedPeak(trial[k]);
            }
            const double trialCost = Evaluate(trial, false);
            if (trialCost < cost) {
                const double rho = promised > 0.0 ? (cost - trialCost) / promised : 1.0;
                mu *= std::max(1.0 / 3.0, 1.0 - std::pow(2.0 * std::min(rho, 1.0) - 1.0, 3.0));
                mu = std::max(mu, 1e-12);
                growth = 2.0;
                quietSteps = cost - trialCost < kQuietShare * cost ? quietSteps + 1 : 0;
                bands = std::move(trial);
                cost = Evaluate(bands, true);
                accepted = true;
            } else {
                mu *= growth;
                growth *= 2.0;
            }
        }
        if (!accepted) {
            break;
        }
    }
    return cost;
}

} // namespace

std::vector<double> PeaksTotalDb(const FitProblem& problem, const std::vector<PeakParams>& bands) {
    std::vector<double> total = problem.Fixed;
    std::vector<double> band(problem.Size());
    for (const PeakParams& p : bands) {
        PeakDb(p, problem, band);
        for (size_t i = 0; i < total.size(); ++i) {
            total[i] += band[i];
        }
    }
    return total;
}

namespace {

// Adds a band at the largest deviation of the others' total, tuned alone; false when none is left.
bool AddGreedyBand(const FitProblem& problem, std::vector<PeakParams>& bands) {
    const std::vector<double> total = PeaksTotalDb(problem, bands);
    const std::optional<PeakParams> start = LargestDeviation(problem, total, kNegligibleDb);
    if (!start) {
        return false;
    }
    std::vector<PeakParams> alone{*start};
    PeakSolver(problem, total).Solve(alone, kBandAloneIterations);
    bands.push_back(alone.front());
    return true;
}

// The band whose removal raises the cost least, among those not tried yet.
std::optional<size_t> WeakestBand(const FitProblem& problem, const std::vector<PeakParams>& bands,
                                  const std::vector<char>& tried) {
    const std::vector<double> total = PeaksTotalDb(problem, bands);
    std::vector<double> band(problem.Size());
    std::vector<double> rest(problem.Size());
    std::optional<size_t> weakest;
    double weakestCost = INFINITY;
    for (size_t k = 0; k < bands.size(); ++k) {
        if (tried[k]) {
            continue;
        }
        PeakDb(bands[k], problem, band);
        for (size_t i = 0; i < rest.size(); ++i) {
            rest[i] = total[i] - band[i];
        }
        const double cost = problem.Cost(rest);
        if (cost < weakestCost) {
            weakestCost = cost;
            weakest = k;
        }
    }
    return weakest;
}

} // namespace

std::vector<PeakParams> FitPeaksContinuous(const FitProblem& problem, std::vector<PeakParams> seeds) {
    std::vector<PeakParams> bands;
    for (const PeakParams& s : seeds) {
        if (int(bands.size()) < problem.BandCount) {
            bands.push_back(ClampedPeak(s));
        }
    }
    while (int(bands.size()) < problem.BandCount && AddGreedyBand(problem, bands)) {
    }
    double cost = PeakSolver(problem, problem.Fixed).Solve(bands, kAllBandsIterations);

    // Greedy placement can leave two bands sharing one feature while another goes unserved: the weakest
    // band is placed anew at the largest deviation, and the whole set kept when it ends lower.
    std::vector<char> tried(bands.size(), 0);
    for (int attempt = 0; attempt < kReseatAttempts; ++attempt) {
        const std::optional<size_t> weakest = WeakestBand(problem, bands, tried);
        if (!weakest) {
            break;
        }
        tried[*weakest] = 1;
        std::vector<PeakParams> trial = bands;
        trial.erase(trial.begin() + std::ptrdiff_t(*weakest));
        if (!AddGreedyBand(problem, trial)) {
            break;
        }
        const double trialCost = PeakSolver(problem, problem.Fixed).Solve(trial, kAllBandsIterations);
        if (trialCost < cost * (1.0 - 1e-9)) {
            bands = std::move(trial);
            cost = trialCost;
            std::fill(tried.begin(), tried.end(), 0);
        }
    }
    return bands;
}

} // namespace korva
