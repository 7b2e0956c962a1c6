#include "mainwindow/tuning/TuningState.h"

#include <algorithm>
#include <numeric>

namespace korva {

namespace {

constexpr double kAlignFromHz = 200.0;
constexpr double kAlignToHz = 2000.0;
constexpr int kAlignPoints = 100;

double MeanDb(const FrequencyCurve& curve, const std::vector<double>& hz) {
    const std::vector<double> db = curve.DbAt(hz);
    return std::accumulate(db.begin(), db.end(), 0.0) / double(db.size());
}

} // namespace

double AlignmentOffsetDb(const FrequencyCurve& measurement, const FrequencyCurve* target) {
    if (measurement.Empty()) {
        return 0.0;
    }
    const double first = measurement.FrequencyHz.front();
    const double last = measurement.FrequencyHz.back();
    double from = std::max(kAlignFromHz, first);
    double to = std::min(kAlignToHz, last);
    if (from >= to) {
        from = first;
        to = last;
    }
    if (from >= to) {
        return measurement.Db.front() - (target ? target->DbAt(from) : 0.0);
    }
    const std::vector<double> hz = LogSpacedFrequencies(from, to, kAlignPoints);
    return MeanDb(measurement, hz) - (target ? MeanDb(*target, hz) : 0.0);
}

} // namespace korva
