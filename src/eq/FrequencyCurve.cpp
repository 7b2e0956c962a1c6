#include "FrequencyCurve.h"

#include <algorithm>
#include <cmath>

namespace korva {

namespace {

// Linear on log frequency between points i and i + 1.
double Between(const FrequencyCurve& c, size_t i, double hz) {
    const double x0 = std::log(c.FrequencyHz[i]);
    const double x1 = std::log(c.FrequencyHz[i + 1]);
    const double t = (std::log(hz) - x0) / (x1 - x0);
    return c.Db[i] + t * (c.Db[i + 1] - c.Db[i]);
}

} // namespace

double FrequencyCurve::DbAt(double hz) const {
    if (FrequencyHz.empty()) {
        return 0.0;
    }
    if (!(hz > FrequencyHz.front())) {
        return Db.front();
    }
    if (hz >= FrequencyHz.back()) {
        return Db.back();
    }
    const auto upper = std::upper_bound(FrequencyHz.begin(), FrequencyHz.end(), hz);
    return Between(*this, size_t(upper - FrequencyHz.begin()) - 1, hz);
}

std::vector<double> FrequencyCurve::DbAt(std::span<const double> hz) const {
    std::vector<double> out(hz.size());
    size_t i = 0;
    for (size_t k = 0; k < hz.size(); ++k) {
        const double f = hz[k];
        if (FrequencyHz.empty()) {
            out[k] = 0.0;
        } else if (!(f > FrequencyHz.front())) {
            out[k] = Db.front();
        } else if (f >= FrequencyHz.back()) {
            out[k] = Db.back();
        } else {
            if (FrequencyHz[i] > f) {
                i = 0; // not rising after all: search from the start
            }
            while (FrequencyHz[i + 1] <= f) {
                ++i;
            }
            out[k] = Between(*this, i, f);
        }
    }
    return out;
}

std::vector<double> LogSpacedFrequencies(double fromHz, double toHz, int count) {
    std::vector<double> hz(size_t(std::max(count, 2)));
    const double a = std::log(fromHz);
    const double step = (std::log(toHz) - a) / double(hz.size() - 1);
    for (size_t i = 0; i < hz.size(); ++i) {
        hz[i] = std::exp(a + step * double(i));
    }
    hz.front() = fromHz;
    hz.back() = toHz;
    return hz;
}

} // namespace korva
