#include "ctl/EqReport.h"

#include "ctl/EqJson.h"
#include "ctl/ResultJson.h"
#include "model/FileAccess.h"
#include "ops/ParamUnits.h"

#include <QJsonArray>
#include <cmath>

namespace korva::ctl {

namespace {

QJsonValue FileOrNull(const QString& path) {
    return path.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(DisplayPath(path));
}

double Rounded(double db) {
    return std::round(db * 1000.0) / 1000.0;
}

QString TextOf(uint8_t address, int field, uint8_t raw) {
    const ParamDef* def = FindParamAt(address, field);
    return def ? FormatParamRaw(*def, raw) : QString::number(raw);
}

QStringList ChannelLines(const ChannelEq& eq) {
    QStringList lines;
    for (const auto& [number, address, b] : EqBandsOf(eq)) {
        lines << QStringLiteral("  EQ%1  %2  %3  Q %4")
                     .arg(number)
                     .arg(TextOf(address, 0, b.FreqIndex), TextOf(address, 1, b.GainIndex),
                          TextOf(address, 2, b.QIndex));
    }
    for (const EqCutPoint& c : EqCutsOf(eq)) {
        lines << QStringLiteral("  %1  %2").arg(QString::fromUtf8(c.Label), TextOf(c.Address, 0, c.Index));
    }
    return lines;
}

} // namespace

void AddEqJson(QJsonObject& o, const CtlOptions& options, const ProcessorResult& r) {
    const EqCommandLine& eq = options.eq;
    const bool export_ = eq.Action == EqAction::Export;
    o.insert("channel", eq.Channel);
    o.insert("group", options.group + 1);
    if (!export_) {
        o.insert("file", DisplayPath(eq.File));
    }
    if (eq.Action == EqAction::Fit) {
        o.insert("target", FileOrNull(eq.Target));
    }
    o.insert("preset", FileOrNull(eq.Preset));
    o.insert("out", FileOrNull(r.File));
    o.insert("dry_run", eq.DryRun);
    const EqOutcome* outcome = r.Eq ? &*r.Eq : nullptr;
    o.insert("bands", outcome ? EqBandsJson(outcome->After) : QJsonArray());
    o.insert("cuts", outcome ? EqCutsJson(outcome->After) : QJsonArray());
    if (export_) {
        o.insert("format", eq.Format.isEmpty() ? QStringLiteral("rew") : eq.Format);
        o.insert("text", outcome ? QJsonValue(outcome->Text) : QJsonValue(QJsonValue::Null));
        return;
    }
    const FitResult* fit = outcome && outcome->Fit ? &*outcome->Fit : nullptr;
    o.insert("rms_db", fit ? QJsonValue(Rounded(fit->RmsDb)) : QJsonValue(QJsonValue::Null));
    o.insert("max_db", fit ? QJsonValue(Rounded(fit->MaxDb)) : QJsonValue(QJsonValue::Null));
    o.insert("changes", outcome ? DifferencesJson(outcome->Changes) : QJsonArray());
    o.insert("warnings", outcome ? EqWarningsJson(outcome->Warnings) : QJsonArray());
    if (r.Device) {
        o.insert("written", outcome ? outcome->Written : 0);
        o.insert("verified", r.ReadBackDone && r.Differences.empty());
        o.insert("differences", DifferencesJson(r.Differences));
    }
}

QStringList EqTextLines(const CtlOptions& options, const ProcessorResult& r) {
    QStringList lines;
    if (!r.Eq) {
        return lines;
    }
    const EqOutcome& outcome = *r.Eq;
    const EqCommandLine& eq = options.eq;
    if (eq.Action == EqAction::Export) {
        lines << (outcome.Text.endsWith(QLatin1Char('\n')) ? outcome.Text.chopped(1) : outcome.Text);
        return lines;
    }
    QString head = QStringLiteral("MODEL %1 %2").arg(options.group + 1).arg(eq.Channel);
    if (outcome.Fit) {
        head += QStringLiteral("：RMS 误差 %1 dB，最大误差 %2 dB")
                    .arg(outcome.Fit->RmsDb, 0, 'f', 2)
                    .arg(outcome.Fit->MaxDb, 0, 'f', 2);
    }
    lines << head << ChannelLines(outcome.After);
    const bool dryRun = eq.DryRun;
    if (outcome.Changes.empty()) {
        lines << QStringLiteral("没有参数需要改动");
    } else {
        lines << QStringLiteral("%1 %2 个参数（旧 → 新）：")
                     .arg(dryRun ? QStringLiteral("将改动") : QStringLiteral("改动"))
                     .arg(outcome.Changes.size());
        for (const ImageDifference& d : outcome.Changes) {
            lines << QStringLiteral("  ") + d.Describe();
        }
    }
    if (dryRun) {
        lines << QStringLiteral("（--dry-run：没有写入）");
    } else if (!r.File.isEmpty()) {
        lines << QStringLiteral("已写入 %1").arg(DisplayPath(r.File));
    } else if (r.ReadBackDone && r.Differences.empty()) {
        lines << QStringLiteral("已写入 %1 个 EQ 点，回读校验一致").arg(outcome.Written);
    } else if (r.ReadBackDone) {
        lines << QStringLiteral("已写入 %1 个 EQ 点，但回读校验发现 %2 处不同（写入 → 读回）：")
                     .arg(outcome.Written)
                     .arg(r.Differences.size());
        for (const ImageDifference& d : r.Differences) {
            lines << QStringLiteral("  ") + d.Describe();
        }
    }
    return lines;
}

QStringList EqNotes(const ProcessorResult& r) {
    QStringList notes;
    if (r.Eq) {
        for (const ReadWarning& w : r.Eq->Warnings) {
            notes << QStringLiteral("korva-ctl: 第 %1 行：%2").arg(w.Line).arg(w.Reason);
        }
    }
    return notes;
}

} // namespace korva::ctl
