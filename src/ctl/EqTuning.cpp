#include "ctl/EqTuning.h"

#include "eq/MeasurementText.h"
#include "model/ChannelTables.h"
#include "processor/DeviceSession.h"
#include "processor/Processor.h"

namespace korva::ctl {

namespace {

const QString kBypassSuffix = QStringLiteral(".bypass");

// Every channel has a bypass switch named after it: the table's channel names come from there.
const ParamDef* BypassOf(int channel) {
    for (const ParamDef& def : ParamTable()) {
        if (def.Channel == channel && def.Name.endsWith(kBypassSuffix)) {
            return &def;
        }
    }
    return nullptr;
}

// The addresses of the channel's points: its bands, then the high-cut and the low-cut where it has them.
std::vector<uint8_t> PointAddresses(int channel) {
    const ChannelRow& row = ChannelTable().at(size_t(channel));
    std::vector<uint8_t> addresses;
    for (int k = 0; k < row.BandCount; ++k) {
        addresses.push_back(BandAddress(channel, k));
    }
    for (uint8_t cut : {row.HighCut, row.LowCut}) {
        if (cut != kNoAddress) {
            addresses.push_back(cut);
        }
    }
    return addresses;
}

// The named bytes of the channel's points (a cut filter's gain and Q bytes are no parameter).
std::vector<ImageCell> ChannelCells(int group, int channel) {
    std::vector<ImageCell> cells;
    for (const ParamDef& def : ParamTable()) {
        if (def.Channel == channel && def.Unit != ParamUnit::Choice) {
            cells.push_back({CellGroup(group, def.Address), def.Address, def.Field, false});
        }
    }
    return cells;
}

void StoreChannel(ParamImage& image, int group, const ChannelEq& eq) {
    for (size_t k = 0; k < eq.Bands.size(); ++k) {
        const BandRecord& b = eq.Bands[k];
        image.Store.at(group, BandAddress(eq.Channel, int(k))) = {b.FreqIndex, b.GainIndex, b.QIndex};
    }
    if (eq.HighCutIndex) {
        image.Store.at(group, HighCutAddress(eq.Channel)).DATA1 = *eq.HighCutIndex;
    }
    if (eq.LowCutIndex) {
        image.Store.at(group, LowCutAddress(eq.Channel)).DATA1 = *eq.LowCutIndex;
    }
}

std::optional<FitResult> RunFit(const EqRequest& r, const ChannelEq& current, QString* error) {
    switch (r.Action) {
    case EqAction::Import:
        return ImportFilters(r.Filters, current, r.Options.Fit, error);
    case EqAction::Match:
        return FitCurve(r.Curve, current, r.Options.Fit, error);
    case EqAction::Fit:
        return FitMeasurement(r.Curve, r.Target ? &*r.Target : nullptr, current, r.Options, error);
    case EqAction::Export:
        break;
    }
    return std::nullopt;
}

void SetRecords(ParamImage& image, int group, const std::vector<uint8_t>& addresses,
                const std::vector<ParamRecord>& records) {
    for (size_t i = 0; i < addresses.size(); ++i) {
        image.Store.at(group, addresses[i]) = records[i];
    }
}

} // namespace

std::optional<int> EqChannelByName(const QString& name) {
    for (int c = 0; c < kChannelCount; ++c) {
        const ParamDef* bypass = BypassOf(c);
        if (bypass && bypass->Name == name + kBypassSuffix && ChannelTable().at(size_t(c)).BandCount > 0) {
            return c;
        }
    }
    return std::nullopt;
}

QString EqChannelName(int channel) {
    const ParamDef* bypass = BypassOf(channel);
    return bypass ? bypass->Name.chopped(kBypassSuffix.size()) : QString();
}

std::optional<EqRequest> EqRequestFor(const EqCommandLine& eq, int group, QString* error) {
    const std::optional<int> channel = EqChannelByName(eq.Channel);
    if (!channel) {
        *error = QStringLiteral("没有名为“%1”的 EQ 通道（music、mic12、mic3、effect、centre、surround、rec）")
                     .arg(eq.Channel);
        return std::nullopt;
    }
    EqRequest request;
    request.Action = eq.Action;
    request.Channel = *channel;
    request.Group = group;
    request.Format = eq.Format == QLatin1String("apo") ? FilterTextFormat::Apo : FilterTextFormat::Rew;
    FitOptions& fit = request.Options.Fit;
    fit.UseCuts = eq.Cuts;
    fit.FromHz = eq.FromHz.value_or(fit.FromHz);
    fit.ToHz = eq.ToHz.value_or(fit.ToHz);
    fit.MaxBoostDb = eq.MaxBoostDb.value_or(fit.MaxBoostDb);
    return request;
}

namespace {

std::optional<FrequencyCurve> ReadCurve(const QByteArray& bytes, const QString& name, EqRequest& request,
                                        QString* error) {
    ReadError why;
    std::optional<MeasurementData> data = ReadMeasurementText(bytes, name, &why);
    if (!data) {
        *error = why.Message();
        return std::nullopt;
    }
    request.Warnings.insert(request.Warnings.end(), data->Warnings.begin(), data->Warnings.end());
    return std::move(data->Curve);
}

} // namespace

bool ReadEqInput(EqRequest& request, const QByteArray& file, const QString& fileName,
                 const std::optional<QByteArray>& target, const QString& targetName, QString* error) {
    switch (request.Action) {
    case EqAction::Import: {
        ReadError why;
        std::optional<FilterSet> set = ReadFilterText(file, fileName, &why);
        if (!set) {
            *error = why.Message();
            return false;
        }
        request.Warnings = set->Warnings;
        request.Filters = std::move(*set);
        return true;
    }
    case EqAction::Match:
    case EqAction::Fit: {
        std::optional<FrequencyCurve> curve = ReadCurve(file, fileName, request, error);
        if (!curve) {
            return false;
        }
        request.Curve = std::move(*curve);
        if (target) {
            request.Target = ReadCurve(*target, targetName, request, error);
            return request.Target.has_value();
        }
        return true;
    }
    case EqAction::Export:
        break;
    }
    return true;
}

bool TuneImage(const EqRequest& request, ParamImage& image, EqOutcome& outcome, QString* error) {
    outcome.Before = ChannelEqFromStore(image.Store, request.Group, request.Channel);
    outcome.After = outcome.Before;
    outcome.Warnings = request.Warnings;
    if (request.Action == EqAction::Export) {
        outcome.Text = ExportFilterText(
            outcome.Before, request.Format,
            QStringLiteral("korva-tuner MODEL %1 %2").arg(request.Group + 1).arg(EqChannelName(request.Channel)));
        return true;
    }
    std::optional<FitResult> fit = RunFit(request, outcome.Before, error);
    if (!fit) {
        return false;
    }
    const ParamImage before = image;
    StoreChannel(image, request.Group, fit->Eq);
    outcome.After = fit->Eq;
    outcome.Fit = std::move(fit);
    outcome.Changes = CompareImages(before, image, ChannelCells(request.Group, request.Channel));
    return true;
}

EqRun TuneProcessor(const EqRequest& request, DeviceSession& session, bool dryRun, EqOutcome& outcome,
                    QString* error) {
    const int group = request.Group;
    const std::vector<uint8_t> addresses = PointAddresses(request.Channel);
    std::vector<ParamRecord> records;
    if (!session.ReadRecords(group, addresses, records)) {
        return EqRun::SessionFault;
    }
    ParamImage current;
    SetRecords(current, group, addresses, records);
    ParamImage expected = current;
    if (!TuneImage(request, expected, outcome, error)) {
        return EqRun::Refused;
    }
    if (dryRun || request.Action == EqAction::Export) {
        return EqRun::Done;
    }
    // Only the points that change: a cut filter that stays keeps whatever it holds, in range or not.
    std::vector<PointRecord> changed;
    for (uint8_t address : addresses) {
        if (expected.Store.at(group, address) != current.Store.at(group, address)) {
            changed.push_back({address, expected.Store.at(group, address)});
        }
    }
    if (!changed.empty() && !session.ApplyPointRecords(group, changed, &outcome.Written)) {
        return EqRun::SessionFault;
    }
    if (!session.ReadRecords(group, addresses, records)) {
        return EqRun::SessionFault;
    }
    ParamImage readBack = expected;
    SetRecords(readBack, group, addresses, records);
    outcome.ReadBack = true;
    outcome.ReadBackDifferences = CompareImages(expected, readBack, ChannelCells(group, request.Channel));
    return EqRun::Done;
}

} // namespace korva::ctl
