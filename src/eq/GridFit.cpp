#include "GridFit.h"

#include "ContinuousFit.h"
#include "FilterResponse.h"
#include "GridSearch.h"
#include "model/ChannelTables.h"
#include "model/ParamStore.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace korva {

namespace {

constexpr double kHighestFitHz = 23000.0; // the evaluation stays clear of the Nyquist frequency
constexpr int kMostPoints = 20000;
constexpr int kAlignPoints = 200;
constexpr uint8_t kFlatGainIndex = 75;
constexpr size_t kCoarseStep = 2;
constexpr std::pair<Rounding, Rounding> kOtherRoundings[] = {
    {Rounding::OtherSide, Rounding::Nearest}, {Rounding::Nearest, Rounding::OtherSide}, {Rounding::OtherSide, Rounding::OtherSide}};

bool Refused(QString* error, const QString& reason) {
    if (error) {
        *error = reason;
    }
    return false;
}

template <typename T> std::optional<T> Fail(QString* error, const QString& reason) {
    Refused(error, reason);
    return std::nullopt;
}

// What a fit starts from besides the desired curve.
struct FitStart {
    std::vector<PeakParams> Seeds;  // continuous starting bands (imported peaking filters)
    std::optional<GridState> Grid;  // the same on the grid, tried as a start of the grid search
    std::optional<uint8_t> LowCut;  // imported high-pass frequency index, when cuts are used
    std::optional<uint8_t> HighCut; // imported low-pass frequency index
};

// Frequencies positive and rising, as many values as frequencies, everything finite.
bool ValidCurve(const FrequencyCurve& c) {
    if (c.FrequencyHz.size() != c.Db.size()) {
        return false;
    }
    for (size_t i = 0; i < c.FrequencyHz.size(); ++i) {
        if (!(c.FrequencyHz[i] > 0.0 && std::isfinite(c.FrequencyHz[i]) && std::isfinite(c.Db[i])) ||
            (i > 0 && !(c.FrequencyHz[i] > c.FrequencyHz[i - 1]))) {
            return false;
        }
    }
    return true;
}

bool ValidOptions(const FitOptions& o, QString* error) {
    if (!(o.FromHz > 0.0 && o.ToHz > o.FromHz && o.ToHz <= kHighestFitHz)) {
        return Refused(error, QStringLiteral("频率范围无效（%1–%2 Hz）").arg(o.FromHz).arg(o.ToHz));
    }
    if (o.Points < 2 || o.Points > kMostPoints) {
        return Refused(error, QStringLiteral("计算点数无效（应为 2 到 20000）"));
    }
    if (!std::isfinite(o.MaxBoostDb)) {
        return Refused(error, QStringLiteral("最大提升无效"));
    }
    if (!ValidCurve(o.Weights) ||
        std::any_of(o.Weights.Db.begin(), o.Weights.Db.end(), [](double w) { return w < 0.0; })) {
        return Refused(error, QStringLiteral("权重无效（频率须递增，权重不能为负数）"));
    }
    return true;
}

std::vector<double> WeightsAt(const FitOptions& o, const std::vector<double>& hz) {
    return o.Weights.Empty() ? std::vector<double>(hz.size(), 1.0) : o.Weights.DbAt(hz);
}

// Bands that do nothing (0 dB) fill the slots the fit leaves free, at the channel's default frequencies
// and Q not already taken by a working band.
GridState GridOf(const std::vector<PeakParams>& bands, int channel, int bandCount, std::vector<GridCut> cuts,
                 Rounding frequency = Rounding::Nearest, Rounding q = Rounding::Nearest) {
    GridState state;
    for (const PeakParams& p : bands) {
        state.Bands.push_back(SnapPeak(p, frequency, q));
    }
    const std::vector<BandRecord> defaults = DefaultChannelEq(channel).Bands;
    for (int pass = 0; pass < 2 && int(state.Bands.size()) < bandCount; ++pass) {
        for (BandRecord idle : defaults) {
            const bool taken = std::any_of(state.Bands.begin(), state.Bands.end(),
                                           [&idle](const BandRecord& b) { return b.FreqIndex == idle.FreqIndex; });
            if (int(state.Bands.size()) < bandCount && (pass == 1 || !taken)) {
                idle.GainIndex = kFlatGainIndex;
                state.Bands.push_back(idle);
            }
        }
    }
    state.Cuts = std::move(cuts);
    return state;
}

// The cut filters that take part, starting where the imported filters or the current settings put them.
std::vector<GridCut> MovableCuts(const ChannelEq& current, const FitStart& start) {
    std::vector<GridCut> cuts;
    const auto add = [&](const std::optional<uint8_t>& now, const std::optional<uint8_t>& seed, EqPointKind kind,
                         FreqIndexRange range) {
        if (now) {
            cuts.push_back({kind, range, std::clamp(seed.value_or(*now), range.Lowest, range.Highest)});
        }
    };
    add(current.HighCutIndex, start.HighCut, EqPointKind::HighCut, HighCutIndexRange(current.Channel));
    add(current.LowCutIndex, start.LowCut, EqPointKind::LowCut, LowCutIndexRange(current.Channel));
    return cuts;
}

// The fitted bands in the channel's slots so that as few as possible change: a band the channel already
// has keeps its slot, a flat band (which does nothing wherever it is) leaves a flat slot as it was, and
// the others fill the remaining slots in frequency order.
std::vector<BandRecord> InCurrentSlots(const std::vector<BandRecord>& fitted, const std::vector<BandRecord>& now) {
    std::vector<std::optional<BandRecord>> kept(now.size());
    std::vector<BandRecord> rest;
    for (const BandRecord& b : fitted) {
        size_t k = 0;
        const bool flat = b.GainIndex == kFlatGainIndex;
        while (k < now.size() && (kept[k] || !(now[k] == b || (flat && now[k].GainIndex == kFlatGainIndex)))) {
            ++k;
        }
        if (k < now.size()) {
            kept[k] = now[k];
        } else {
            rest.push_back(b);
        }
    }
    std::vector<BandRecord> bands;
    auto next = rest.begin();
    for (const std::optional<BandRecord>& slot : kept) {
        bands.push_back(slot ? *slot : *next++);
    }
    return bands;
}

FitResult ResultOf(const FitProblem& problem, const ChannelEq& current, GridState state) {
    // Summed in frequency order, the order in which an imported set that fits is summed.
    std::stable_sort(state.Bands.begin(), state.Bands.end(),
                     [](const BandRecord& a, const BandRecord& b) { return a.FreqIndex < b.FreqIndex; });
    FitResult r;
    r.Eq = current;
    r.Eq.Bands = InCurrentSlots(state.Bands, current.Bands);
    for (const GridCut& c : state.Cuts) {
        (c.Kind == EqPointKind::HighCut ? r.Eq.HighCutIndex : r.Eq.LowCutIndex) = c.Index;
    }
    for (size_t k = 0; k < r.Eq.Bands.size(); ++k) {
        const BandRecord& b = r.Eq.Bands[k];
        r.Bands.push_back({BandAddress(current.Channel, int(k)), b, FreqIndexToHz(b.FreqIndex),
                           GainIndexToDb(b.GainIndex), QIndexToQ(b.QIndex)});
    }
    if (r.Eq.HighCutIndex) {
        r.Cuts.push_back({HighCutAddress(current.Channel), EqPointKind::HighCut, *r.Eq.HighCutIndex,
                          FreqIndexToHz(*r.Eq.HighCutIndex)});
    }
    if (r.Eq.LowCutIndex) {
        r.Cuts.push_back({LowCutAddress(current.Channel), EqPointKind::LowCut, *r.Eq.LowCutIndex,
                          FreqIndexToHz(*r.Eq.LowCutIndex)});
    }
    r.FittedDb = GridTotalDb(problem, state);
    r.RmsDb = problem.RmsError(r.FittedDb);
    r.MaxDb = problem.MaxError(r.FittedDb);
    r.FrequencyHz = problem.Hz;
    r.DesiredDb = problem.Desired;
    return r;
}

FitResult RunFit(const FitProblem& problem, const ChannelEq& current, const FitOptions& options,
                 const FitStart& start) {
    // The searches run on every second point (a 1/35 octave spacing at 700 points) and finish on all.
    const FitProblem coarse = Thinned(problem, kCoarseStep);
    const int bandCount = problem.BandCount;
    std::vector<GridCut> cuts = options.UseCuts ? MovableCuts(current, start) : std::vector<GridCut>{};
    if (!cuts.empty() && !start.LowCut && !start.HighCut) {
        cuts = SearchGrid(coarse, {{}, cuts}).Cuts; // the cut filters alone first: the bands fit around them
    }

    // The continuous stage works on top of the cut filters as they now stand.
    FitProblem continuousProblem = coarse;
    continuousProblem.Fixed = GridTotalDb(coarse, {{}, cuts});
    const std::vector<PeakParams> continuous = FitPeaksContinuous(continuousProblem, start.Seeds);

    const GridState snapped = GridOf(continuous, current.Channel, bandCount, cuts);
    // The search ends in a local minimum that depends on where it starts: it starts also from the
    // continuous solution rounded the other way, and from the imported filters.
    std::vector<GridState> starts{snapped};
    for (const auto& [frequency, q] : kOtherRoundings) {
        starts.push_back(GridOf(continuous, current.Channel, bandCount, cuts, frequency, q));
    }
    if (start.Grid) {
        starts.push_back(*start.Grid);
    }
    GridState best;
    double bestCost = INFINITY;
    for (const GridState& from : starts) {
        GridState found = SearchGrid(coarse, from);
        const double cost = GridCost(coarse, found);
        if (cost < bestCost) {
            bestCost = cost;
            best = std::move(found);
        }
    }
    best = PolishGrid(problem, std::move(best));

    FitResult r = ResultOf(problem, current, std::move(best));
    FitProblem continuousOnAll = problem;
    continuousOnAll.Fixed = GridTotalDb(problem, {{}, cuts});
    for (const PeakParams& p : continuous) {
        r.Continuous.push_back({std::exp(p.LogHz), p.GainDb, std::exp(p.LogQ)});
    }
    r.ContinuousRmsDb = problem.RmsError(PeaksTotalDb(continuousOnAll, continuous));
    r.SnappedRmsDb = problem.RmsError(GridTotalDb(problem, snapped));
    return r;
}

FitProblem ProblemOf(const FitOptions& o, double fromHz, double toHz, const ChannelEq& current,
                     const std::function<std::vector<double>(const std::vector<double>&)>& desiredAt) {
    std::vector<double> hz = LogSpacedFrequencies(fromHz, toHz, o.Points);
    std::vector<double> desired = desiredAt(hz);
    std::vector<double> weight = WeightsAt(o, hz);
    return MakeFitProblem(std::move(hz), std::move(desired), std::move(weight), o.MaxBoostDb,
                          int(current.Bands.size()));
}

bool ValidChannel(const ChannelEq& current, QString* error) {
    if (current.Channel < 0 || current.Channel >= kChannelCount ||
        int(current.Bands.size()) != ChannelTable()[size_t(current.Channel)].BandCount) {
        return Refused(error, QStringLiteral("通道设置无效"));
    }
    return true;
}

// The Q of a peaking filter written with a bandwidth in octaves, at its frequency.
double PeakingQ(const TextFilter& f) {
    if (f.WidthKind != FilterWidthKind::BandwidthOct) {
        return f.Width;
    }
    const double omega = 2.0 * std::numbers::pi * f.FrequencyHz / kEqSampleRateHz;
    return 1.0 / (2.0 * std::sinh(std::numbers::ln2 / 2.0 * f.Width * omega / std::sin(omega)));
}

std::optional<uint8_t> CutSeed(const FilterSet& set, TextFilterType type) {
    for (const TextFilter& f : set.Filters) {
        if (f.Type == type) {
            const double hz = std::clamp(f.FrequencyHz, kBandLowestHz, kBandHighestHz);
            return SnapPeak({std::log(hz), 0.0, 0.0}).FreqIndex;
        }
    }
    return std::nullopt;
}

// When the cut filters do not take part, the set's high- and low-pass filters that the channel's cut
// filters already are stay out of the desired curve: the processor applies them as they are, and the
// bands are not spent on imitating them. Any other high- or low-pass filter is matched by the bands.
FilterSet WithoutChannelCuts(const FilterSet& set, const ChannelEq& current) {
    std::optional<uint8_t> lowCut = current.LowCutIndex;
    std::optional<uint8_t> highCut = current.HighCutIndex;
    FilterSet rest = set;
    rest.Filters.clear();
    for (const TextFilter& f : set.Filters) {
        std::optional<uint8_t>& cut = f.Type == TextFilterType::HighPass ? lowCut : highCut;
        if (IsCutFilter(f) && cut && f.FrequencyHz == double(FreqIndexToHz(*cut))) {
            cut.reset(); // each cut filter stands for one filter of the set
        } else {
            rest.Filters.push_back(f);
        }
    }
    return rest;
}

} // namespace

std::optional<FitResult> FitCurve(const FrequencyCurve& desired, const ChannelEq& current, const FitOptions& options,
                                  QString* error) {
    if (!ValidOptions(options, error) || !ValidChannel(current, error)) {
        return std::nullopt;
    }
    if (desired.Empty() || !ValidCurve(desired)) {
        return Fail<FitResult>(error, QStringLiteral("目标曲线无效（需要递增的频率和有限的数值）"));
    }
    const FitProblem problem = ProblemOf(options, options.FromHz, options.ToHz, current,
                                         [&desired](const std::vector<double>& hz) { return desired.DbAt(hz); });
    return RunFit(problem, current, options, {});
}

std::optional<FitResult> ImportFilters(const FilterSet& filters, const ChannelEq& current, const FitOptions& options,
                                       QString* error) {
    if (!ValidOptions(options, error) || !ValidChannel(current, error)) {
        return std::nullopt;
    }
    // In frequency order, the order the bands end up in, so that a set that fits sums as the bands do.
    FilterSet sorted = options.UseCuts ? filters : WithoutChannelCuts(filters, current);
    std::stable_sort(sorted.Filters.begin(), sorted.Filters.end(),
                     [](const TextFilter& a, const TextFilter& b) { return a.FrequencyHz < b.FrequencyHz; });
    const FitProblem problem = ProblemOf(options, options.FromHz, options.ToHz, current,
                                         [&sorted](const std::vector<double>& hz) { return FilterSetResponse(sorted, hz); });

    FitStart start;
    std::vector<PeakParams> peaks;
    for (const TextFilter& f : sorted.Filters) {
        if (f.Type == TextFilterType::Peaking) {
            peaks.push_back(ClampedPeak({std::log(f.FrequencyHz), f.GainDb, std::log(PeakingQ(f))}));
        }
    }
    if (int(peaks.size()) <= problem.BandCount) {
        start.Seeds = peaks;
    }
    if (options.UseCuts) {
        start.LowCut = CutSeed(sorted, TextFilterType::HighPass);
        start.HighCut = CutSeed(sorted, TextFilterType::LowPass);
    }
    if (!start.Seeds.empty()) {
        start.Grid = GridOf(start.Seeds, current.Channel, problem.BandCount,
                            options.UseCuts ? MovableCuts(current, start) : std::vector<GridCut>{});
    }
    return RunFit(problem, current, options, start);
}

std::optional<FitResult> FitMeasurement(const FrequencyCurve& measurement, const FrequencyCurve* target,
                                        const ChannelEq& current, const MeasurementFitOptions& options,
                                        QString* error) {
    const FitOptions& fit = options.Fit;
    if (!ValidOptions(fit, error) || !ValidChannel(current, error)) {
        return std::nullopt;
    }
    if (measurement.FrequencyHz.size() < 2 || !ValidCurve(measurement) || (target && !ValidCurve(*target))) {
        return Fail<FitResult>(error, QStringLiteral("测量数据无效（至少 2 个点，频率递增，数值有限）"));
    }
    const double lowest = measurement.FrequencyHz.front();
    const double highest = measurement.FrequencyHz.back();
    const double alignFrom = std::max(options.AlignFromHz, lowest);
    const double alignTo = std::min(options.AlignToHz, highest);
    if (!(options.AlignFromHz > 0.0 && alignTo > alignFrom)) {
        return Fail<FitResult>(error, QStringLiteral("测量数据没有覆盖电平对齐范围（%1–%2 Hz）")
                                          .arg(options.AlignFromHz)
                                          .arg(options.AlignToHz));
    }
    const double fromHz = std::max(fit.FromHz, lowest);
    const double toHz = std::min(fit.ToHz, highest);
    if (!(toHz > fromHz)) {
        return Fail<FitResult>(error, QStringLiteral("测量数据没有覆盖拟合范围（%1–%2 Hz）").arg(fit.FromHz).arg(fit.ToHz));
    }
    const auto targetAt = [target](const std::vector<double>& hz) {
        return target && !target->Empty() ? target->DbAt(hz) : std::vector<double>(hz.size(), 0.0);
    };

    // The level offset that makes the measurement's mean over the alignment range the target's.
    const std::vector<double> alignHz = LogSpacedFrequencies(alignFrom, alignTo, kAlignPoints);
    const std::vector<double> measuredThere = measurement.DbAt(alignHz);
    const std::vector<double> targetThere = targetAt(alignHz);
    double offset = 0.0;
    for (size_t i = 0; i < alignHz.size(); ++i) {
        offset += measuredThere[i] - targetThere[i];
    }
    offset /= double(alignHz.size());

    const FitProblem problem = ProblemOf(fit, fromHz, toHz, current, [&](const std::vector<double>& hz) {
        std::vector<double> desired = targetAt(hz);
        const std::vector<double> measured = measurement.DbAt(hz);
        for (size_t i = 0; i < hz.size(); ++i) {
            desired[i] -= measured[i] - offset;
        }
        return desired;
    });
    return RunFit(problem, current, fit, {});
}

} // namespace korva
