#include "FilterResponse.h"

#include "PointResponse.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace korva {

namespace {

constexpr double kNyquistHz = kEqSampleRateHz / 2.0;
constexpr double kDefaultPassQ = std::numbers::sqrt2 / 2.0;
constexpr double kDefaultShelfSlope = 0.9; // what REW and APO use for a shelf without slope
constexpr double kDefaultNotchQ = 30.0;

// The cookbook's alpha of a filter at omega0 (shelves excluded).
double AlphaOf(const TextFilter& f, double omega, double defaultQ) {
    const double s = std::sin(omega);
    switch (f.WidthKind) {
    case FilterWidthKind::Q:
        return s / (2.0 * f.Width);
    case FilterWidthKind::BandwidthOct:
        return s * std::sinh(std::numbers::ln2 / 2.0 * f.Width * omega / s);
    default:
        return s / (2.0 * defaultQ);
    }
}

// The shelf's slope parameter S, or its Q (useQ), as written.
double ShelfWidth(const TextFilter& f, bool* useQ) {
    *useQ = f.WidthKind == FilterWidthKind::Q;
    if (f.WidthKind == FilterWidthKind::SlopeDb) {
        return f.Width / 12.0; // 12 dB per octave is the cookbook's steepest monotonic shelf, S = 1
    }
    return *useQ ? f.Width : kDefaultShelfSlope;
}

Biquad<double> ShelfSection(const TextFilter& f) {
    bool useQ = false;
    const double width = ShelfWidth(f, &useQ);
    const bool low = f.Type == TextFilterType::LowShelf;
    double hz = f.FrequencyHz;
    if (f.CornerFrequency) {
        const double toCentre = std::pow(10.0, std::fabs(f.GainDb) / (80.0 * width));
        hz = low ? hz * toCentre : hz / toCentre;
    }
    const double omega = 2.0 * std::numbers::pi * std::min(hz, kNyquistHz * 0.999) / kEqSampleRateHz;
    const double c = std::cos(omega);
    const double s = std::sin(omega);
    const double a = std::pow(10.0, f.GainDb / 40.0);
    const double alpha =
        useQ ? s / (2.0 * width) : s / 2.0 * std::sqrt(std::max((a + 1.0 / a) * (1.0 / width - 1.0) + 2.0, 0.0));
    const double beta = 2.0 * std::sqrt(a) * alpha;
    if (low) {
        return {a * ((a + 1) - (a - 1) * c + beta), 2 * a * ((a - 1) - (a + 1) * c), a * ((a + 1) - (a - 1) * c - beta),
                (a + 1) + (a - 1) * c + beta,       -2 * ((a - 1) + (a + 1) * c),     (a + 1) + (a - 1) * c - beta};
    }
    return {a * ((a + 1) + (a - 1) * c + beta), -2 * a * ((a - 1) + (a + 1) * c), a * ((a + 1) + (a - 1) * c - beta),
            (a + 1) - (a - 1) * c + beta,       2 * ((a - 1) - (a + 1) * c),      (a + 1) - (a - 1) * c - beta};
}

Biquad<double> SectionOfFilter(const TextFilter& f) {
    const double omega = 2.0 * std::numbers::pi * f.FrequencyHz / kEqSampleRateHz;
    const double c = std::cos(omega);
    switch (f.Type) {
    case TextFilterType::Peaking: {
        const double a = std::pow(10.0, f.GainDb / 40.0);
        const double alpha = AlphaOf(f, omega, 1.0);
        return {1 + alpha * a, -2 * c, 1 - alpha * a, 1 + alpha / a, -2 * c, 1 - alpha / a};
    }
    case TextFilterType::LowPass: {
        const double alpha = AlphaOf(f, omega, kDefaultPassQ);
        return {(1 - c) / 2, 1 - c, (1 - c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    }
    case TextFilterType::HighPass: {
        const double alpha = AlphaOf(f, omega, kDefaultPassQ);
        return {(1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + alpha, -2 * c, 1 - alpha};
    }
    case TextFilterType::BandPass: {
        const double alpha = AlphaOf(f, omega, kDefaultPassQ);
        return {alpha, 0, -alpha, 1 + alpha, -2 * c, 1 - alpha};
    }
    case TextFilterType::Notch: {
        const double alpha = AlphaOf(f, omega, kDefaultNotchQ);
        return {1, -2 * c, 1, 1 + alpha, -2 * c, 1 - alpha};
    }
    case TextFilterType::LowShelf:
    case TextFilterType::HighShelf:
        return ShelfSection(f);
    case TextFilterType::AllPass:
        break;
    }
    return {1, 0, 0, 1, 0, 0};
}

} // namespace

bool IsCutFilter(const TextFilter& f) {
    return (f.Type == TextFilterType::HighPass || f.Type == TextFilterType::LowPass) &&
           f.WidthKind == FilterWidthKind::Q && std::fabs(f.Width - kCutFilterQ) < 5e-4;
}

namespace {

void AddFilterDb(const TextFilter& filter, const PhiGrid& grid, std::span<double> db) {
    if (!(filter.FrequencyHz > 0.0 && filter.FrequencyHz < kNyquistHz) || filter.Type == TextFilterType::AllPass) {
        return; // an all-pass changes the phase only
    }
    if (filter.Type == TextFilterType::Peaking && filter.WidthKind == FilterWidthKind::Q) {
        // Through the processor's own point, so that its values give exactly its curve.
        const EqPoint point{float(filter.FrequencyHz), float(filter.GainDb), float(filter.Width),
                            EqPointKind::Peak, true, 0};
        AddPointDb(point, grid, db);
        return;
    }
    if (IsCutFilter(filter)) {
        // Likewise through the processor's cut filter (its divisor is 2 Q exactly).
        const EqPointKind kind = filter.Type == TextFilterType::HighPass ? EqPointKind::LowCut : EqPointKind::HighCut;
        AddPointDb({float(filter.FrequencyHz), 0.0f, float(kCutFilterQ), kind, true, 0}, grid, db);
        return;
    }
    AddSectionDb(NormalisedPhiForm(SectionOfFilter(filter)), grid, db);
}

} // namespace

void AddFilterResponse(const TextFilter& filter, std::span<const double> hz, std::span<double> db) {
    AddFilterDb(filter, PhiGridOf(hz), db);
}

std::vector<double> FilterSetResponse(const FilterSet& set, std::span<const double> hz) {
    const PhiGrid grid = PhiGridOf(hz);
    std::vector<double> db(hz.size(), 0.0);
    for (const TextFilter& f : set.Filters) {
        AddFilterDb(f, grid, db);
    }
    return db;
}

} // namespace korva
