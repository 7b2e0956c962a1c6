#include "ctl/EqOptions.h"

#include <array>
#include <cmath>

namespace korva::ctl {

namespace {

struct ActionName {
    const char* name;
    EqAction action;
};

constexpr std::array kActions = {
    ActionName{"import", EqAction::Import},
    ActionName{"match", EqAction::Match},
    ActionName{"fit", EqAction::Fit},
    ActionName{"export", EqAction::Export},
};

// Frequencies may be written as set takes them: "1.2k" is 1200 Hz.
std::optional<double> ParseNumber(QString text, bool kilo) {
    double scale = 1.0;
    if (kilo && text.endsWith(QLatin1Char('k'), Qt::CaseInsensitive)) {
        text.chop(1);
        scale = 1000.0;
    }
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok) * scale;
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

QString Usage() {
    return QStringLiteral("用法：korva-ctl eq import|match|fit FILE --channel CH，或 eq export --channel CH");
}

} // namespace

bool EqCommandLine::Given() const {
    return !Channel.isEmpty() || !Preset.isEmpty() || !Out.isEmpty() || !Target.isEmpty() || DryRun || Cuts ||
           MaxBoostDb || FromHz || ToHz || !Format.isEmpty();
}

bool TakeEqOption(const QString& name, bool hasInlineValue, const std::function<std::optional<QString>()>& takeValue,
                  EqCommandLine& eq, QString* error) {
    if (name == QLatin1String("--dry-run") || name == QLatin1String("--cuts")) {
        if (hasInlineValue) {
            *error = QStringLiteral("选项 %1 不带值").arg(name);
        }
        (name == QLatin1String("--cuts") ? eq.Cuts : eq.DryRun) = true;
        return true;
    }
    QString* text = name == QLatin1String("--channel") ? &eq.Channel
                    : name == QLatin1String("--preset") ? &eq.Preset
                    : name == QLatin1String("--out")    ? &eq.Out
                    : name == QLatin1String("--target") ? &eq.Target
                    : name == QLatin1String("--format") ? &eq.Format
                                                        : nullptr;
    std::optional<double>* number = name == QLatin1String("--max-boost") ? &eq.MaxBoostDb
                                    : name == QLatin1String("--from")    ? &eq.FromHz
                                    : name == QLatin1String("--to")      ? &eq.ToHz
                                                                         : nullptr;
    if (!text && !number) {
        return false;
    }
    const std::optional<QString> value = takeValue();
    if (!value || value->isEmpty()) {
        *error = QStringLiteral("选项 %1 需要一个值").arg(name);
        return true;
    }
    if (text) {
        *text = *value;
        return true;
    }
    *number = ParseNumber(*value, number != &eq.MaxBoostDb);
    if (!*number) {
        *error = QStringLiteral("%1：“%2”不是数字").arg(name, *value);
    }
    return true;
}

QString CheckEqArguments(const QStringList& arguments, bool selectsProcessor, EqCommandLine& eq,
                         QString& commandName) {
    const ActionName* action = nullptr;
    for (const ActionName& a : kActions) {
        if (!arguments.isEmpty() && arguments.front() == QLatin1String(a.name)) {
            action = &a;
        }
    }
    if (!action) {
        return Usage();
    }
    eq.Action = action->action;
    commandName = QStringLiteral("eq ") + QLatin1String(action->name);
    const bool export_ = eq.Action == EqAction::Export;
    if (arguments.size() != (export_ ? 1 : 2)) {
        return Usage();
    }
    if (!export_) {
        eq.File = arguments[1];
    }
    if (eq.Channel.isEmpty()) {
        return QStringLiteral("eq 需要 --channel CH（music、mic12、mic3、effect、centre、surround、rec）");
    }
    if (eq.Action != EqAction::Fit && (!eq.Target.isEmpty() || eq.MaxBoostDb)) {
        return QStringLiteral("--target 和 --max-boost 只用于 eq fit");
    }
    if (export_ && (eq.Cuts || eq.FromHz || eq.ToHz || eq.DryRun || !eq.Out.isEmpty())) {
        return QStringLiteral("eq export 只读出通道，不接受 --cuts、--from、--to、--dry-run 和 --out");
    }
    if (!export_ && !eq.Format.isEmpty()) {
        return QStringLiteral("--format 只用于 eq export");
    }
    if (!eq.Format.isEmpty() && eq.Format != QLatin1String("rew") && eq.Format != QLatin1String("apo")) {
        return QStringLiteral("--format 须为 rew 或 apo");
    }
    if (eq.MaxBoostDb && (*eq.MaxBoostDb < 0.0 || *eq.MaxBoostDb > 15.0)) {
        return QStringLiteral("--max-boost 须在 0 到 15 dB 之间");
    }
    const double from = eq.FromHz.value_or(20.0);
    const double to = eq.ToHz.value_or(20000.0);
    if (from < 10.0 || to > 24000.0 || from >= to) {
        return QStringLiteral("--from 和 --to 须在 10 Hz 到 24000 Hz 之间，且 --from 小于 --to");
    }
    if (!eq.Out.isEmpty() && eq.Preset.isEmpty()) {
        return QStringLiteral("--out 需要 --preset IN.PA");
    }
    if (!eq.Out.isEmpty() && eq.DryRun) {
        return QStringLiteral("--dry-run 不写入任何文件，不能与 --out 一起使用");
    }
    if (!export_ && !eq.Preset.isEmpty() && eq.Out.isEmpty() && !eq.DryRun) {
        return QStringLiteral("--preset 需要 --out OUT.PA（或者 --dry-run）");
    }
    if (!eq.Preset.isEmpty() && selectsProcessor) {
        return QStringLiteral("--preset 时不使用处理器，不能与 --device、--serial 或 --all 一起使用");
    }
    return {};
}

} // namespace korva::ctl
