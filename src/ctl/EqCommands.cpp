#include "ctl/EqCommands.h"

#include "ctl/ErrorCodes.h"
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

// The command's files, read whole and through the readers before any processor is used.
bool ReadFiles(const EqCommandLine& eq, EqRequest& request, ProcessorResult& refusal) {
    if (eq.Action == EqAction::Export) {
        return true;
    }
    const std::optional<QByteArray> file = ReadUserBytes(eq.File, refusal);
    if (!file) {
        return false;
    }
    std::optional<QByteArray> target;
    if (!eq.Target.isEmpty()) {
        target = ReadUserBytes(eq.Target, refusal);
        if (!target) {
            return false;
        }
    }
    QString why;
    if (!ReadEqInput(request, *file, DisplayPath(eq.File), target, DisplayPath(eq.Target), &why)) {
        refusal.Fail(kExitUsage, codes::kBadFile, why);
        return false;
    }
    return true;
}

} // namespace

void EqFitRefused(const EqCommandLine& eq, const QString& why, ProcessorResult& r) {
    r.Fail(kExitUsage, codes::kBadFile, QStringLiteral("%1：%2").arg(DisplayPath(eq.File), why));
}

bool PrepareEq(PreparedCommand& p, ProcessorResult& refusal) {
    const CtlOptions& o = p.Options;
    const EqCommandLine& eq = o.eq;
    QString why;
    std::optional<EqRequest> request = EqRequestFor(eq, o.group, &why);
    if (!request) {
        refusal.Fail(kExitUsage, codes::kUnknownName, why);
        return false;
    }
    p.Eq = std::move(*request);
    if (!ReadFiles(eq, p.Eq, refusal)) {
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
        EqFitRefused(eq, why, r);
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
        EqFitRefused(p.Options.eq, why, r);
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
