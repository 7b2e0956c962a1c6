#pragma once
// Chooses a channel's band settings (and, where allowed, its cut filters) so that the processor's response
// follows a desired curve with the least RMS error, using only values the processor can store.
//
// The fit first solves the continuous problem (every band free in frequency, gain and Q within the
// processor's ranges: bands placed one by one at the largest remaining deviation, then Levenberg-Marquardt
// on log frequency, gain and log Q, with weak bands placed anew while that helps), then searches the index
// grid itself from that solution (rounded to the nearest grid values, and also the other way) rather than
// rounding it: each band moves to neighbouring frequency and Q indices with new gain steps for every
// band, cut filters move along their ranges, weak bands move to the largest deviation, and the exact
// response decides every move. The searches run on every second evaluation point and finish on all of
// them. Deterministic: no clocks, no randomness, no threads.
//
// Three uses share it: import filters (the desired curve is the imported filters' response), match a
// curve (given directly), fit a measurement (target minus the level-aligned measurement, boost limited).

#include "ChannelEq.h"
#include "FilterText.h"
#include "FrequencyCurve.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace korva {

struct FitOptions {
    // The range the error is measured over, and how many log-spaced points evaluate it.
    double FromHz = 20.0;
    double ToHz = 20000.0;
    int Points = 700;
    // Whether the channel's cut filters take part. When they do, they move within their ranges and their
    // response counts; when not, they stay as in the current settings and the bands alone are matched.
    bool UseCuts = false;
    // The fitted response is kept at or below this level (dB) wherever it can be; the desired curve is
    // limited to it as well.
    double MaxBoostDb = 15.0;
    // Optional weight per frequency (interpolated; values must be >= 0); empty: all points weigh 1.
    FrequencyCurve Weights;
};

// A band of the result: its address and the record bytes, and what they mean.
struct FittedBand {
    uint8_t Address = 0;
    BandRecord Record;
    float FrequencyHz = 0.0f;
    float GainDb = 0.0f;
    float Q = 0.0f;
};

struct FittedCut {
    uint8_t Address = 0;
    EqPointKind Kind = EqPointKind::LowCut;
    uint8_t FreqIndex = 0; // DATA1
    float FrequencyHz = 0.0f;
};

// A band of the continuous (unconstrained) solution.
struct ContinuousBand {
    double FrequencyHz = 0.0;
    double GainDb = 0.0;
    double Q = 0.0;
};

struct FitResult {
    ChannelEq Eq; // the chosen settings
    std::vector<FittedBand> Bands;
    std::vector<FittedCut> Cuts; // the channel's cut filters (moved or not)
    double RmsDb = 0.0;          // over the evaluation points, weighted
    double MaxDb = 0.0;          // the largest absolute error at an evaluation point of weight > 0

    // The evaluation: its frequencies, the desired curve there (limited to MaxBoostDb) and the fitted
    // response (the bands, and the cut filters when they take part).
    std::vector<double> FrequencyHz;
    std::vector<double> DesiredDb;
    std::vector<double> FittedDb;

    // For comparison: the continuous solution with the same bands, and its plain rounding to the grid.
    std::vector<ContinuousBand> Continuous;
    double ContinuousRmsDb = 0.0;
    double SnappedRmsDb = 0.0;
};

// Matches the channel to a desired curve (dB over frequency; outside its frequencies it continues flat).
// `current` supplies the channel and the cut filters that stay when cuts are not used. std::nullopt and a
// Chinese reason when the options make no sense (empty range, fewer than 2 points, negative weights).
std::optional<FitResult> FitCurve(const FrequencyCurve& desired, const ChannelEq& current,
                                  const FitOptions& options, QString* error = nullptr);

// Imports filters: the desired curve is the set's response without its preamp. When the set's peaking
// filters fit into the channel's bands they start one to one on the nearest grid values, so a set that is
// already on grid values imports exactly (0 dB error); high- and low-pass filters seed the cut filters
// when cuts are used, and when they are not, those that the channel's cut filters already are stay out of
// the desired curve. Bands the channel already has keep their slots, so settings exported as filter text
// import back unchanged.
std::optional<FitResult> ImportFilters(const FilterSet& filters, const ChannelEq& current,
                                       const FitOptions& options, QString* error = nullptr);

struct MeasurementFitOptions {
    FitOptions Fit = [] {
        FitOptions o;
        o.MaxBoostDb = 6.0; // do not fill nulls
        return o;
    }();
    // The measurement is moved so that its mean over this range equals the target's mean there.
    double AlignFromHz = 200.0;
    double AlignToHz = 2000.0;
};

// Fits a measurement: the desired curve is target - (measurement - level offset), limited to
// +MaxBoostDb; without a target the target is flat. std::nullopt and a Chinese reason when the
// measurement does not cover the alignment range or the options make no sense.
std::optional<FitResult> FitMeasurement(const FrequencyCurve& measurement, const FrequencyCurve* target,
                                        const ChannelEq& current, const MeasurementFitOptions& options,
                                        QString* error = nullptr);

} // namespace korva
