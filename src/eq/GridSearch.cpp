#include "GridSearch.h"

#include "GainPlanner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <optional>

namespace korva {

namespace {

constexpr int kHighestFreqIndex = 241;
constexpr int kFlatGainIndex = 75;

// Neighbouring frequency and Q indices tried on each side of a band: one, then two when one finds nothing.
constexpr int kWideReach = 2;
constexpr int kCutReach = 3;
constexpr int kMaxPasses = 40;
constexpr size_t kVerified = 2; // moves the exact response checks, best planned first
constexpr int kRelocationAttempts = 4;
constexpr double kLeastRelocationDb = 0.02;
// A flat band (which costs no write where it stands) moves only for an RMS error this much lower.
constexpr double kLeastFlatRelocationGainDb = 0.01;
// A move must lower the cost by more than this share, so that rounding noise never moves anything.
constexpr double kLeastGain = 1e-12;

// The distinct Q values of the scale: indices 1..30 (Q 0.1..3.0), then 31, 35 .. 75 (Q 4..15).
const std::array<uint8_t, 42>& QScale() {
    static const std::array<uint8_t, 42> scale = [] {
        std::array<uint8_t, 42> s{};
        for (int i = 0; i < 30; ++i) {
            s[size_t(i)] = uint8_t(i + 1);
        }
        for (int i = 0; i < 12; ++i) {
            s[size_t(30 + i)] = uint8_t(31 + 4 * i);
        }
        return s;
    }();
    return scale;
}

int QSlotOf(uint8_t qIndex) {
    const auto& scale = QScale();
    const auto at = std::lower_bound(scale.begin(), scale.end(), qIndex);
    return at == scale.end() ? int(scale.size()) - 1 : int(at - scale.begin());
}

// The band with its frequency and Q indices moved by df and dq steps of their scales, if that exists.
std::optional<BandRecord> Reshaped(const BandRecord& b, int df, int dq) {
    const int fi = b.FreqIndex + df;
    const int qs = QSlotOf(b.QIndex) + dq;
    if (fi < 0 || fi > kHighestFreqIndex || qs < 0 || qs >= int(QScale().size())) {
        return std::nullopt;
    }
    return BandRecord{uint8_t(fi), b.GainIndex, QScale()[size_t(qs)]};
}

// The nearest index of a rising table of values, on a log scale.
template <typename Table> int NearestOnLogScale(double value, int count, Table valueAt) {
    int best = 0;
    double bestDistance = INFINITY;
    for (int i = 0; i < count; ++i) {
        const double d = std::fabs(std::log(valueAt(i) / value));
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

// The index of a rising table nearest a value, or its neighbour on the other side of the value.
template <typename Table> int Rounded(double value, int count, Table valueAt, Rounding rounding) {
    const int nearest = NearestOnLogScale(value, count, valueAt);
    if (rounding == Rounding::Nearest) {
        return nearest;
    }
    const int other = valueAt(nearest) > value ? nearest - 1 : nearest + 1;
    return other >= 0 && other < count ? other : nearest;
}

// Octaves between two bands, against how far their responses reach: within it they shape the same part
// of the curve.
bool Overlapping(const BandRecord& a, const BandRecord& b) {
    const double octaves = std::fabs(std::log2(double(FreqIndexToHz(a.FreqIndex)) / double(FreqIndexToHz(b.FreqIndex))));
    return octaves < 2.0 / double(QIndexToQ(a.QIndex)) + 2.0 / double(QIndexToQ(b.QIndex));
}

// Searches the grid by moves of one band's frequency and Q, or of a cut filter's frequency, each with new
// gains for every band from the gain model; the exact response decides whether a move is taken.
class GridSearcher {
public:
    GridSearcher(const FitProblem& problem, GridState state);

    GridState Run(bool relocate);

private:
    struct Reshape {
        int Band = -1; // the band reshaped, or -1 for a cut filter
        int Cut = -1;
        BandRecord Shape;
        uint8_t CutIndex = 0;
        ResponsePart Response;
    };
    struct Move {
        std::vector<Reshape> Parts;
        std::vector<int> Steps;
        double ModelCost = 0.0;
    };

    void Rebuild();
    void Plan(Move& move) const;
    // Takes the best of the planned moves that the exact response confirms; true when one was taken.
    bool TakeBest(std::vector<Move>& moves);
    bool TryMove(Move& move);
    bool ImproveGains();
    bool ImproveBand(size_t k, int reach);
    bool ImproveCut(size_t c, int reach);
    void Descend(int widestReach);
    void MarkNeighboursDirty(const BandRecord& moved);
    bool Relocate(std::vector<char>& tried, bool* wasFlat);
    double Rms(double cost) const { return std::sqrt(cost / std::max(problem_.WeightSum, 1e-300)); }
    Reshape BandReshape(size_t k, const BandRecord& shape) const;

    const FitProblem& problem_;
    GridState state_;
    std::vector<ResponsePart> bands_;
    std::vector<ResponsePart> cuts_;
    std::vector<double> total_;
    double cost_ = 0.0;
    GainPlanner planner_;
    std::vector<char> dirty_; // bands whose neighbourhood changed since they were last examined
    bool firstCutScan_ = true;
};

GridSearcher::GridSearcher(const FitProblem& problem, GridState state) : problem_(problem), state_(std::move(state)) {
    bands_.resize(state_.Bands.size());
    cuts_.resize(state_.Cuts.size());
    for (size_t k = 0; k < bands_.size(); ++k) {
        BandPart(state_.Bands[k], problem_, bands_[k]);
    }
    for (size_t c = 0; c < cuts_.size(); ++c) {
        CutPart(state_.Cuts[c], problem_, cuts_[c]);
    }
    dirty_.assign(bands_.size(), 1);
    Rebuild();
}

void GridSearcher::Rebuild() {
    total_ = problem_.Fixed;
    for (const auto* parts : {&bands_, &cuts_}) {
        for (const ResponsePart& p : *parts) {
            for (size_t i = 0; i < total_.size(); ++i) {
                total_[i] += p.Db[i];
            }
        }
    }
    cost_ = problem_.Cost(total_);
    planner_.Reset(problem_, total_, bands_);
}

GridSearcher::Reshape GridSearcher::BandReshape(size_t k, const BandRecord& shape) const {
    Reshape r;
    r.Band = int(k);
    r.Shape = shape;
    BandPart(shape, problem_, r.Response);
    return r;
}

void GridSearcher::Plan(Move& move) const {
    std::vector<GainPlanner::Swap> swaps;
    std::vector<uint8_t> gains(state_.Bands.size());
    for (size_t j = 0; j < gains.size(); ++j) {
        gains[j] = state_.Bands[j].GainIndex;
    }
    for (const Reshape& r : move.Parts) {
        if (r.Band >= 0) {
            swaps.push_back({r.Band, &bands_[size_t(r.Band)], &r.Response});
            gains[size_t(r.Band)] = r.Shape.GainIndex;
        } else {
            swaps.push_back({-1, &cuts_[size_t(r.Cut)], &r.Response});
        }
    }
    move.ModelCost = planner_.Plan(swaps, gains, move.Steps);
}

bool GridSearcher::TryMove(Move& move) {
    // The parts that change, with their new responses; the total follows by differences.
    struct Changed {
        int Band = -1;
        int Cut = -1;
        BandRecord Shape;
        uint8_t CutIndex = 0;
        ResponsePart Response;
    };
    std::vector<Changed> changed;
    for (Reshape& r : move.Parts) {
        BandRecord shape = r.Shape;
        if (r.Band >= 0 && move.Steps[size_t(r.Band)] != 0) {
            shape.GainIndex = uint8_t(shape.GainIndex + move.Steps[size_t(r.Band)]);
            ResponsePart response;
            BandPart(shape, problem_, response);
            changed.push_back({r.Band, -1, shape, 0, std::move(response)});
        } else {
            changed.push_back({r.Band, r.Cut, shape, r.CutIndex, std::move(r.Response)});
        }
    }
    for (size_t j = 0; j < state_.Bands.size(); ++j) {
        const bool reshaped = std::any_of(move.Parts.begin(), move.Parts.end(),
                                          [j](const Reshape& r) { return r.Band == int(j); });
        if (move.Steps[j] != 0 && !reshaped) {
            BandRecord shape = state_.Bands[j];
            shape.GainIndex = uint8_t(shape.GainIndex + move.Steps[j]);
            ResponsePart response;
            BandPart(shape, problem_, response);
            changed.push_back({int(j), -1, shape, 0, std::move(response)});
        }
    }
    std::vector<double> total = total_;
    for (const Changed& c : changed) {
        const ResponsePart& old = c.Band >= 0 ? bands_[size_t(c.Band)] : cuts_[size_t(c.Cut)];
        for (size_t i = 0; i < total.size(); ++i) {
            total[i] += c.Response.Db[i] - old.Db[i];
        }
    }
    if (!(problem_.Cost(total) < cost_ * (1.0 - kLeastGain))) {
        return false;
    }
    for (Changed& c : changed) {
        if (c.Band >= 0) {
            dirty_[size_t(c.Band)] = 1;
            state_.Bands[size_t(c.Band)] = c.Shape;
            bands_[size_t(c.Band)] = std::move(c.Response);
        } else {
            state_.Cuts[size_t(c.Cut)].Index = c.CutIndex;
            cuts_[size_t(c.Cut)] = std::move(c.Response);
        }
    }
    Rebuild();
    return true;
}

bool GridSearcher::TakeBest(std::vector<Move>& moves) {
    std::vector<size_t> order(moves.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(),
                     [&moves](size_t a, size_t b) { return moves[a].ModelCost < moves[b].ModelCost; });
    for (size_t o = 0; o < order.size() && o < kVerified; ++o) {
        if (TryMove(moves[order[o]])) {
            return true;
        }
    }
    return false;
}

bool GridSearcher::ImproveGains() {
    Move move;
    Plan(move);
    return std::any_of(move.Steps.begin(), move.Steps.end(), [](int s) { return s != 0; }) && TryMove(move);
}

bool GridSearcher::ImproveBand(size_t k, int reach) {
    const BandRecord current = state_.Bands[k];
    if (current.GainIndex == kFlatGainIndex) {
        return false; // a flat band has no shape to move (Relocate finds it a place)
    }
    std::vector<Move> moves;
    for (int df = -reach; df <= reach; ++df) {
        for (int dq = -reach; dq <= reach; ++dq) {
            const std::optional<BandRecord> shape = Reshaped(current, df, dq);
            if ((df != 0 || dq != 0) && shape) {
                Move move;
                move.Parts.push_back(BandReshape(k, *shape));
                Plan(move);
                moves.push_back(std::move(move));
            }
        }
    }
    return TakeBest(moves);
}

bool GridSearcher::ImproveCut(size_t c, int reach) {
    const GridCut current = state_.Cuts[c];
    const int lowest = reach < 0 ? current.Range.Lowest : std::max<int>(current.Range.Lowest, current.Index - reach);
    const int highest = reach < 0 ? current.Range.Highest : std::min<int>(current.Range.Highest, current.Index + reach);
    std::vector<Move> moves;
    for (int index = lowest; index <= highest; ++index) {
        if (index == current.Index) {
            continue;
        }
        Reshape r;
        r.Cut = int(c);
        r.CutIndex = uint8_t(index);
        GridCut moved = current;
        moved.Index = uint8_t(index);
        CutPart(moved, problem_, r.Response);
        Move move;
        move.Parts.push_back(std::move(r));
        Plan(move);
        moves.push_back(std::move(move));
    }
    if (!TakeBest(moves)) {
        return false;
    }
    std::fill(dirty_.begin(), dirty_.end(), 1);
    return true;
}

void GridSearcher::Descend(int widestReach) {
    ImproveGains();
    int reach = 1;
    for (int pass = 0; pass < kMaxPasses; ++pass) {
        bool moved = false;
        for (size_t c = 0; c < state_.Cuts.size(); ++c) {
            moved = ImproveCut(c, firstCutScan_ ? -1 : kCutReach) || moved;
        }
        firstCutScan_ = false;
        for (size_t k = 0; k < state_.Bands.size(); ++k) {
            if (dirty_[k]) {
                dirty_[k] = 0;
                moved = ImproveBand(k, reach) || moved;
            }
        }
        if (!moved) {
            if (reach == widestReach) {
                break;
            }
            reach = widestReach;
            std::fill(dirty_.begin(), dirty_.end(), 1);
        }
    }
}

void GridSearcher::MarkNeighboursDirty(const BandRecord& moved) {
    for (size_t j = 0; j < state_.Bands.size(); ++j) {
        if (Overlapping(state_.Bands[j], moved)) {
            dirty_[j] = 1;
        }
    }
}

bool GridSearcher::Relocate(std::vector<char>& tried, bool* wasFlat) {
    // The band whose removal costs least.
    size_t weakest = bands_.size();
    double weakestLoss = INFINITY;
    std::vector<double> rest(total_.size());
    for (size_t k = 0; k < bands_.size(); ++k) {
        if (tried[k]) {
            continue;
        }
        for (size_t i = 0; i < rest.size(); ++i) {
            rest[i] = total_[i] - bands_[k].Db[i];
        }
        const double loss = problem_.Cost(rest) - cost_;
        if (loss < weakestLoss) {
            weakestLoss = loss;
            weakest = k;
        }
    }
    if (weakest == bands_.size()) {
        return false;
    }
    tried[weakest] = 1;
    for (size_t i = 0; i < rest.size(); ++i) {
        rest[i] = total_[i] - bands_[weakest].Db[i];
    }
    const std::optional<PeakParams> place = LargestDeviation(problem_, rest, kLeastRelocationDb);
    if (!place) {
        return false;
    }
    const BandRecord left = state_.Bands[weakest];
    *wasFlat = left.GainIndex == kFlatGainIndex;
    state_.Bands[weakest] = SnapPeak(*place);
    BandPart(state_.Bands[weakest], problem_, bands_[weakest]);
    Rebuild();
    MarkNeighboursDirty(left);
    MarkNeighboursDirty(state_.Bands[weakest]);
    return true;
}

GridState GridSearcher::Run(bool relocate) {
    Descend(1);
    if (relocate) {
        // A weak band may do more at the largest deviation: it moves there when the search from there
        // ends lower than before.
        std::vector<char> tried(bands_.size(), 0);
        for (int attempt = 0; attempt < kRelocationAttempts; ++attempt) {
            const GridState before = state_;
            const std::vector<ResponsePart> beforeBands = bands_;
            const double beforeCost = cost_;
            bool wasFlat = false;
            if (!Relocate(tried, &wasFlat)) {
                break;
            }
            Descend(1);
            const bool better = wasFlat ? Rms(cost_) < Rms(beforeCost) - kLeastFlatRelocationGainDb
                                        : cost_ < beforeCost * (1.0 - kLeastGain);
            if (better) {
                std::fill(tried.begin(), tried.end(), 0);
            } else {
                state_ = before;
                bands_ = beforeBands;
                Rebuild();
            }
        }
    }
    std::fill(dirty_.begin(), dirty_.end(), 1);
    Descend(relocate ? kWideReach : 1);
    return state_;
}

} // namespace

BandRecord SnapPeak(const PeakParams& p, Rounding frequency, Rounding q) {
    const auto freqAt = [](int i) { return double(FreqIndexToHz(uint8_t(i))); };
    const int fi = Rounded(std::exp(p.LogHz), kHighestFreqIndex + 1, freqAt, frequency);
    const auto& scale = QScale();
    const auto qAt = [&scale](int i) { return double(QIndexToQ(scale[size_t(i)])); };
    const int qs = Rounded(std::exp(p.LogQ), int(scale.size()), qAt, q);
    const double gain = std::clamp(p.GainDb, -kBandGainLimitDb, kBandGainLimitDb);
    return {uint8_t(fi), DbToGainIndex(gain), scale[size_t(qs)]};
}

std::vector<double> GridTotalDb(const FitProblem& problem, const GridState& state) {
    std::vector<double> total = problem.Fixed;
    for (const BandRecord& b : state.Bands) {
        AddPointDb(BandRecordPoint(b), problem.Grid, total);
    }
    for (const GridCut& c : state.Cuts) {
        AddPointDb(CutRecordPoint(c.Index, c.Kind), problem.Grid, total);
    }
    return total;
}

double GridCost(const FitProblem& problem, const GridState& state) {
    return problem.Cost(GridTotalDb(problem, state));
}

GridState SearchGrid(const FitProblem& problem, GridState start) {
    return GridSearcher(problem, std::move(start)).Run(true);
}

GridState PolishGrid(const FitProblem& problem, GridState start) {
    return GridSearcher(problem, std::move(start)).Run(false);
}

} // namespace korva
