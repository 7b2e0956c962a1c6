#include "ctl/EqCommands.h"

#include "ctl/ErrorCodes.h"
#include "eq/MeasurementText.h"
#include "model/FileAccess.h"

namespace korva::ctl {

namespace {

// Only a regular file of sensible size is read, as with presets; the reader then names the line.
std::optional<QByteArray> ReadUserBytes(const QString& path, ProcessorResult& refusal) {
    QByteArray bytes;
    FileError error;
    if (!ReadRegularFile(path, bytes, &error)) {
        refusal.Fail(kExitUsage, error.CodeName(), error.Message);
        return std::nullopt;
    }
    return bytes;
}

bool ReadFilters(const QString& path, EqRequest& request, ProcessorResult& refusal) {
    const std::optional<QByteArray> bytes = ReadUserBytes(path, refusal);
    if (!bytes) {
        return false;
    }
    ReadError error;
    std::optional<FilterSet> set = ReadFilterText(*bytes, DisplayPath(path), &error);
    if (!set) {
        refusal.Fail(kExitUsage, codes::kBadFile, error.Message());
        return false;
    }
    request.Warnings = set->Warnings;
    request.Filters = std::move(*set);
    return true;
}

std::optional<FrequencyCurve> ReadCurve(const QString& path, EqRequest& request, ProcessorResult& refusal) {
    const std::optional<QByteArray> bytes = ReadUserBytes(path, refusal);
    if (!bytes) {
        return std::nullopt;
    }
    ReadError error;
    std::optional<MeasurementData> data = ReadMeasurementText(*bytes, DisplayPath(path), &error);
    if (!data) {
        refusal.Fail(kExitUsage, codes::kBadFile, error.Message());
        return std::nullopt;
    }
    request.Warnings.insert(request.Warnings.end(), data->Warnings.begin(), data->Warnings.end());
    return std::move(data->Curve);
}

bool ReadFiles(const EqCommandLine& eq, EqRequest& request, ProcessorResult& refusal) {
    switch (eq.Action) {
    case EqAction::Import:
        return ReadFilters(eq.File, request, refusal);
    case EqAction::Match:
    case EqAction::Fit: {
        std::optional<FrequencyCurve> curve = ReadCurve(eq.File, request, refusal);
        if (!curve) {
            return false;
        }
        request.Curve = std::move(*curve);
        if (!eq.Target.isEmpty()) {
            request.Target = ReadCurve(eq.Target, request, refusal);
            return request.Target.has_value();
        }
        return true;
    }
    case EqAction::Export:
        break;
    }
    return true;
}

// The fit refused what the files hold (a measurement that does not cover the range).
void FitRefused(const EqCommandLine& eq, const QString& why, ProcessorResult& r) {
    r.Fail(kExitUsage, codes::kBadFile, QStringLiteral("%1：%2").arg(DisplayPath(eq.File), why));
}

} // namespace

bool PrepareEq(PreparedCommand& p, ProcessorResult& refusal) {
    const CtlOptions& o = p.Options;
    const EqCommandLine& eq = o.eq;
    EqRequest& request = p.Eq;
    const std::optional<int> channel = EqChannelByName(eq.Channel);
    if (!channel) {
        refusal.Fail(kExitUsage, codes::kUnknownName,
                     QStringLiteral("没有名为“%1”的 EQ 通道（music、mic12、mic3、effect、centre、surround、rec）")
                         .arg(eq.Channel));
        return false;
    }
    request.Action = eq.Action;
    request.Channel = *channel;
    request.Group = o.group;
    request.Format = eq.Format == QLatin1String("apo") ? FilterTextFormat::Apo : FilterTextFormat::Rew;
    FitOptions& fit = request.Options.Fit;
    fit.UseCuts = eq.Cuts;
    fit.FromHz = eq.FromHz.value_or(fit.FromHz);
    fit.ToHz = eq.ToHz.value_or(fit.ToHz);
    fit.MaxBoostDb = eq.MaxBoostDb.value_or(fit.MaxBoostDb);
    if (!ReadFiles(eq, request, refusal)) {
        return false;
    }
    if (!eq.Preset.isEmpty()) {
        FileError error;
        if (!LoadPresetImageStrict(eq.Preset, p.FileImage, &error)) {
            refusal.Fail(kExitUsage, error.CodeName(), error.Message);
            return false;
        }
    }
    // A copy that cannot be written is found before the fit.
    if (FileError error; !eq.Out.isEmpty() && !CheckReplaceable(eq.Out, &error)) {
        refusal.Fail(kExitUsage, error.CodeName(), error.Message);
        return false;
    }
    return true;
}

ProcessorResult RunEqOnPreset(const PreparedCommand& p) {
    const EqCommandLine& eq = p.Options.eq;
    ProcessorResult r;
    ParamImage image = p.FileImage;
    EqOutcome outcome;
    if (QString why; !TuneImage(p.Eq, image, outcome, &why)) {
        FitRefused(eq, why, r);
        return r;
    }
    if (!eq.Out.isEmpty()) {
        if (FileError error; !WritePresetBackup(image, eq.Out, &error)) {
            r.Fail(kExitUsage, error.CodeName(), error.Message);
            return r;
        }
        r.File = eq.Out;
    }
    r.Eq = std::move(outcome);
    return r;
}

bool RunEqOnProcessor(const PreparedCommand& p, DeviceSession& session, ProcessorResult& r) {
    EqOutcome outcome;
    QString why;
    switch (TuneProcessor(p.Eq, session, p.Options.eq.DryRun, outcome, &why)) {
    case EqRun::SessionFault:
        return false;
    case EqRun::Refused:
        FitRefused(p.Options.eq, why, r);
        return true;
    case EqRun::Done:
        break;
    }
    r.ReadBackDone = outcome.ReadBack;
    r.Differences = outcome.ReadBackDifferences;
    if (!r.Differences.empty()) {
        r.Fail(kExitDifferences, codes::kReadbackMismatch,
               QStringLiteral("回读校验发现 %1 处不同").arg(r.Differences.size()));
    }
    r.Eq = std::move(outcome);
    return true;
}

} // namespace korva::ctl
