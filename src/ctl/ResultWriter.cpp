#include "ctl/ResultWriter.h"

#include "ops/ParamUnits.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cstdio>

namespace korva::ctl {

namespace {

void Write(FILE* stream, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

QJsonValue TextOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonArray DifferencesJson(const std::vector<ImageDifference>& differences) {
    QJsonArray list;
    for (const ImageDifference& d : differences) {
        list.append(QJsonObject{{"name", d.Name},
                                {"label", d.Label},
                                {"old", int(d.Old)},
                                {"new", int(d.New)},
                                {"old_text", d.OldText},
                                {"new_text", d.NewText}});
    }
    return list;
}

QJsonObject DownloadJson(const DownloadReport& report) {
    QJsonArray written;
    for (const BulkBlock& block : report.Acknowledged) {
        written.append(DescribeBlock(block));
    }
    return {{"blocks_total", report.BlocksTotal},
            {"blocks_written", written},
            {"unanswered", report.Unanswered ? QJsonValue(DescribeBlock(*report.Unanswered))
                                             : QJsonValue(QJsonValue::Null)},
            {"finished", report.Finished}};
}

QJsonArray ValuesJson(const std::vector<ParamValue>& values) {
    QJsonArray list;
    for (const ParamValue& v : values) {
        list.append(QJsonObject{{"name", QualifiedName(v.Ref)},
                                {"label", QualifiedLabel(v.Ref)},
                                {"raw", int(v.Raw)},
                                {"value", RawToUser(*v.Ref.Def, v.Raw)},
                                {"text", FormatParamRaw(*v.Ref.Def, v.Raw)}});
    }
    return list;
}

QString ValueLine(const ParamValue& v) {
    return QStringLiteral("%1 %2: %3")
        .arg(QualifiedName(v.Ref), QualifiedLabel(v.Ref), FormatParamRaw(*v.Ref.Def, v.Raw));
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
    switch (options.command) {
    case Command::List: {
        const HidDeviceInfo& d = *r.Device;
        lines << QStringLiteral("%1  序列号 %2  %3  %4")
                     .arg(QString::fromStdString(d.Path),
                          d.SerialNumber.isEmpty() ? QStringLiteral("—") : d.SerialNumber,
                          d.ProductString.isEmpty() ? QStringLiteral("—") : d.ProductString,
                          r.Answered ? QStringLiteral("应答握手")
                                     : QStringLiteral("没有应答（%1）").arg(r.Error));
        break;
    }
    case Command::Backup:
        if (r.Exit == kExitOk) {
            lines << QStringLiteral("已备份到 %1").arg(r.File);
        }
        break;
    case Command::Restore:
        if (r.Download && !r.Download->Finished) {
            lines << r.Download->Describe();
            lines << QStringLiteral("处理器只写入了一部分。再次执行 restore 可以完成写入。");
        } else if (r.ReadBackDone && r.Differences.empty()) {
            lines << QStringLiteral("已恢复 %1：%2 块与结束命令已写入，回读校验一致")
                         .arg(r.File)
                         .arg(r.Download->BlocksTotal);
        } else if (r.ReadBackDone) {
            lines << QStringLiteral("已写入 %1，但回读校验发现 %2 处不同（写入 → 读回）：")
                         .arg(r.File)
                         .arg(r.Differences.size());
            AppendDifferences(lines, r.Differences);
        } else if (r.Download) {
            lines << QStringLiteral("已写入 %1，但没能读回校验").arg(r.File);
        }
        break;
    case Command::Verify:
        if (r.Exit == kExitOk) {
            lines << QStringLiteral("与 %1 一致").arg(r.File);
        } else if (r.Exit == kExitDifferences) {
            lines << QStringLiteral("与 %1 有 %2 处不同（文件 → 处理器）：")
                         .arg(r.File)
                         .arg(r.Differences.size());
            AppendDifferences(lines, r.Differences);
        }
        break;
    case Command::Diff:
        if (r.Differences.empty()) {
            lines << QStringLiteral("两个文件一致");
        } else {
            lines << QStringLiteral("%1 处不同（%2 → %3）：").arg(r.Differences.size()).arg(args[0], args[1]);
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
            lines << QStringLiteral("已写入 ") + ValueLine(v);
        }
        break;
    }
    return lines;
}

} // namespace

int OverallExit(const std::vector<ProcessorResult>& results) {
    int exit = kExitOk;
    for (const ProcessorResult& r : results) {
        exit = std::max(exit, r.Exit);
    }
    return exit;
}

QJsonObject ToJson(const CtlOptions& options, const ProcessorResult& r) {
    QJsonObject o{{"command", options.commandName},
                  {"ok", r.Exit == kExitOk},
                  {"exit", r.Exit},
                  {"error", TextOrNull(r.Error)}};
    if (r.Device) {
        o.insert("device", QString::fromStdString(r.Device->Path));
        o.insert("serial", TextOrNull(r.Device->SerialNumber));
        o.insert("product", TextOrNull(r.Device->ProductString));
        o.insert("messages", QJsonArray::fromStringList(r.Messages));
    }
    switch (options.command) {
    case Command::List:
        o.insert("answers", r.Answered);
        break;
    case Command::Backup:
        o.insert("file", TextOrNull(r.File));
        break;
    case Command::Restore:
        o.insert("file", options.arguments.front());
        o.insert("download",
                 r.Download ? QJsonValue(DownloadJson(*r.Download)) : QJsonValue(QJsonValue::Null));
        o.insert("verified", r.ReadBackDone);
        o.insert("differences", DifferencesJson(r.Differences));
        break;
    case Command::Verify:
        o.insert("file", options.arguments.front());
        o.insert("differences", DifferencesJson(r.Differences));
        break;
    case Command::Diff:
        o.insert("files", QJsonArray::fromStringList(options.arguments));
        o.insert("differences", DifferencesJson(r.Differences));
        break;
    case Command::Get:
    case Command::Set:
        o.insert("values", ValuesJson(r.Values));
        break;
    }
    return o;
}

void PrintResults(const CtlOptions& options, const std::vector<ProcessorResult>& results) {
    const bool several = results.size() > 1 || options.all;
    for (const ProcessorResult& r : results) {
        const QString who = r.Device ? DescribeDevice(*r.Device) : QString();
        if (options.json) {
            Write(stdout,
                  QString::fromUtf8(QJsonDocument(ToJson(options, r)).toJson(QJsonDocument::Compact)) +
                      QLatin1Char('\n'));
        } else {
            QStringList lines = TextLines(options, r);
            if (several && options.command != Command::List) {
                lines.prepend(QStringLiteral("== ") + who);
            }
            if (!lines.isEmpty()) {
                Write(stdout, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
            }
        }
        // Differences are the result itself; every other failure is explained on standard error.
        if (r.Exit != kExitOk && r.Exit != kExitDifferences && !r.Error.isEmpty()) {
            PrintError(who.isEmpty() ? r.Error : QStringLiteral("%1: %2").arg(who, r.Error));
        }
    }
    std::fflush(stdout);
}

void PrintError(const QString& text) {
    std::fflush(stdout);
    Write(stderr, QStringLiteral("korva-ctl: ") + text + QLatin1Char('\n'));
    std::fflush(stderr);
}

} // namespace korva::ctl
