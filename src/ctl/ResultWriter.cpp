#include "ctl/ResultWriter.h"

#include "ctl/Console.h"
#include "ctl/EqReport.h"
#include "ctl/ErrorCodes.h"
#include "ctl/ResultJson.h"
#include "model/FileAccess.h"
#include "ops/ParamUnits.h"

#include <QJsonDocument>
#include <algorithm>
#include <cmath>

namespace korva::ctl {

namespace {

QString ValueLine(const ParamValue& v) {
    return QStringLiteral("%1 %2: %3")
        .arg(QualifiedName(v.Ref), QualifiedLabel(v.Ref), FormatParamRaw(*v.Ref.Def, v.Raw));
}

// set: the value asked for, when the processor's scale stores another one.
QString AskedNote(const ParamValue& v) {
    if (!v.Requested || std::fabs(*v.Requested - RawToUser(*v.Ref.Def, v.Raw)) < 1e-9) {
        return {};
    }
    return QStringLiteral("（要求 %1，按处理器的步长存为 %2）")
        .arg(v.RequestedText, FormatParamRaw(*v.Ref.Def, v.Raw));
}

void AppendDifferences(QStringList& lines, const std::vector<ImageDifference>& differences) {
    for (const ImageDifference& d : differences) {
        lines << QStringLiteral("  ") + d.Describe();
    }
}

// The lines a result prints on standard output.
QStringList TextLines(const CtlOptions& options, const ProcessorResult& r) {
    QStringList lines;
    const auto& args = options.arguments;
    const QString file = DisplayPath(r.File);
    if (!r.Device && !r.Ok()) {
        return lines;
    }
    switch (options.command) {
    case Command::List: {
        const HidDeviceInfo& d = *r.Device;
        lines << QStringLiteral("%1  序列号 %2  %3  %4")
                     .arg((r.Url.isEmpty() ? QString() : r.Url + QLatin1Char(' ')) + QString::fromStdString(d.Path),
                          d.SerialNumber.isEmpty() ? QStringLiteral("—") : d.SerialNumber,
                          d.ProductString.isEmpty() ? QStringLiteral("—") : d.ProductString,
                          r.Answered ? QStringLiteral("应答握手")
                                     : QStringLiteral("没有应答（%1）").arg(r.Error));
        break;
    }
    case Command::Backup:
        if (r.Ok()) {
            lines << QStringLiteral("已备份到 %1").arg(file);
        }
        break;
    case Command::Restore:
        if (r.Download && !r.Download->Finished) {
            lines << r.Download->Describe();
            lines << QStringLiteral("处理器只写入了一部分。再次执行 restore 可以完成写入。");
        } else if (r.ReadBackDone && r.Differences.empty()) {
            lines << QStringLiteral("已恢复 %1：%2 块与结束命令已写入，回读校验一致")
                         .arg(file)
                         .arg(r.Download->BlocksTotal);
        } else if (r.ReadBackDone) {
            lines << QStringLiteral("已写入 %1，但回读校验发现 %2 处不同（写入 → 读回）：")
                         .arg(file)
                         .arg(r.Differences.size());
            AppendDifferences(lines, r.Differences);
        } else if (r.Download) {
            lines << QStringLiteral("已写入 %1，但没能读回校验").arg(file);
        }
        break;
    case Command::Verify:
        if (r.Exit == kExitOk) {
            lines << QStringLiteral("与 %1 一致").arg(file);
        } else if (r.Exit == kExitDifferences) {
            lines << QStringLiteral("与 %1 有 %2 处不同（文件 → 处理器）：")
                         .arg(file)
                         .arg(r.Differences.size());
            AppendDifferences(lines, r.Differences);
        }
        break;
    case Command::Diff:
        if (r.Differences.empty()) {
            lines << QStringLiteral("两个文件一致");
        } else {
            lines << QStringLiteral("%1 处不同（%2 → %3）：")
                         .arg(r.Differences.size())
                         .arg(DisplayPath(args[0]), DisplayPath(args[1]));
            AppendDifferences(lines, r.Differences);
        }
        break;
    case Command::Get:
        for (const ParamValue& v : r.Values) {
            lines << ValueLine(v);
        }
        break;
    case Command::Set:
        for (const ParamValue& v : r.Values) {
            lines << QStringLiteral("已写入 ") + ValueLine(v) + AskedNote(v);
        }
        break;
    case Command::Eq:
        lines << EqTextLines(options, r);
        break;
    }
    return lines;
}

// The reason on standard error. Differences are the result itself (on standard output), and list shows
// a processor's reason in its line.
void PrintReason(const CtlOptions& options, const ProcessorResult& r, Console& console) {
    if (r.Ok() || r.Code == QLatin1String(codes::kReadbackMismatch) ||
        (options.command == Command::List && r.Device)) {
        return;
    }
    QString text = r.Device || !r.Url.isEmpty() ? QStringLiteral("%1: %2").arg(DescribeResultDevice(r), r.Error)
                                                : r.Error;
    if (!r.Details.isEmpty()) {
        text += QLatin1Char('\n') + r.Details.join(QLatin1Char('\n'));
    }
    console.Error(text);
}

} // namespace

int OverallExit(const std::vector<ProcessorResult>& results) {
    int exit = kExitOk;
    for (const ProcessorResult& r : results) {
        exit = std::max(exit, r.Exit);
    }
    return exit;
}

void PrintResults(const CtlOptions& options, std::vector<ProcessorResult>& results, Console& console,
                  int outputFailureExit) {
    if (options.json) {
        for (const ProcessorResult& r : results) {
            PrintReason(options, r, console);
        }
        for (ProcessorResult& r : results) {
            if (console.ErrFailed() && r.Ok()) {
                r.Fail(std::max(r.Exit, outputFailureExit), codes::kOutputFailed, console.FailureText());
            }
            console.Out(
                QString::fromUtf8(QJsonDocument(ResultJson(options, r)).toJson(QJsonDocument::Compact)) +
                QLatin1Char('\n'));
        }
        return;
    }
    const bool several = results.size() > 1 || options.all;
    for (const ProcessorResult& r : results) {
        QStringList lines = TextLines(options, r);
        if (several && options.command != Command::List && !lines.isEmpty() && r.Device) {
            lines.prepend(QStringLiteral("== ") + DescribeResultDevice(r));
        }
        if (!lines.isEmpty()) {
            console.Out(lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        }
        if (const QStringList notes = EqNotes(r); !notes.isEmpty()) {
            console.Err(notes.join(QLatin1Char('\n')) + QLatin1Char('\n'));
        }
        PrintReason(options, r, console);
    }
}

} // namespace korva::ctl
