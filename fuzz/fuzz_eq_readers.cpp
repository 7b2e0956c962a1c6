// Arbitrary bytes as a filter file and as a measurement: reading must never crash; what is read must hold
// only what the readers promise (frequencies in range, rising measurement points, finite values), what is
// refused must say why and where; and a fit of whatever was read gives only values the processor stores.
#include "FuzzSupport.h"

#include "eq/GridFit.h"
#include "eq/MeasurementText.h"
#include "model/ChannelTables.h"

#include <cmath>

using namespace korva;

namespace {

// A coarse fit is enough to reach every path of the engine quickly.
constexpr int kFitPoints = 40;

void CheckRefusal(const ReadError& error, const QByteArray& bytes) {
    fuzz::Check(!error.Reason.isEmpty(), "a refusal without a reason");
    fuzz::Check(error.Line >= 0 && error.Line <= bytes.count('\n') + bytes.count('\r') + 1, "a refusal beyond the last line");
}

void CheckFit(const std::optional<FitResult>& r, int channel) {
    if (!r) {
        return;
    }
    fuzz::Check(std::isfinite(r->RmsDb) && std::isfinite(r->MaxDb), "an error figure that is not finite");
    fuzz::Check(int(r->Eq.Bands.size()) == ChannelTable()[size_t(channel)].BandCount, "a band too many or too few");
    for (const BandRecord& b : r->Eq.Bands) {
        fuzz::Check(b.FreqIndex <= 241 && b.GainIndex <= 150 && b.QIndex >= 1 && b.QIndex <= 75,
                    "a band value the processor cannot store");
    }
}

void ReadFilters(const QByteArray& bytes) {
    ReadError error;
    const std::optional<FilterSet> set = ReadFilterText(bytes, QStringLiteral("in.txt"), &error);
    if (!set) {
        CheckRefusal(error, bytes);
        return;
    }
    fuzz::Check(!set->Filters.empty(), "a filter file read without a filter");
    fuzz::Check(std::isfinite(set->PreampDb), "a preamp that is not finite");
    for (const TextFilter& f : set->Filters) {
        fuzz::Check(f.FrequencyHz > 0.0 && f.FrequencyHz < 24000.0, "a filter frequency out of range");
        fuzz::Check(std::fabs(f.GainDb) <= 60.0, "a filter gain out of range");
        fuzz::Check(f.WidthKind == FilterWidthKind::Default || f.Width > 0.0, "a filter width that is not positive");
    }
    FitOptions options;
    options.Points = kFitPoints;
    options.UseCuts = true;
    CheckFit(ImportFilters(*set, DefaultChannelEq(kChannelMic3), options), kChannelMic3);
}

void ReadMeasurement(const QByteArray& bytes) {
    ReadError error;
    const std::optional<MeasurementData> data = ReadMeasurementText(bytes, QStringLiteral("in.txt"), &error);
    if (!data) {
        CheckRefusal(error, bytes);
        return;
    }
    const FrequencyCurve& c = data->Curve;
    fuzz::Check(c.FrequencyHz.size() >= 2 && c.FrequencyHz.size() == c.Db.size(), "too few measurement points");
    for (size_t i = 0; i < c.FrequencyHz.size(); ++i) {
        fuzz::Check(c.FrequencyHz[i] > 0.0 && std::isfinite(c.Db[i]), "a measurement point out of range");
        fuzz::Check(i == 0 || c.FrequencyHz[i] > c.FrequencyHz[i - 1], "measurement frequencies that do not rise");
    }
    MeasurementFitOptions options;
    options.Fit.Points = kFitPoints;
    CheckFit(FitMeasurement(c, &c, DefaultChannelEq(kChannelMusic), options), kChannelMusic);
    CheckFit(FitMeasurement(c, nullptr, DefaultChannelEq(kChannelMusic), options), kChannelMusic);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    ReadFilters(bytes);
    ReadMeasurement(bytes);
    return 0;
}
