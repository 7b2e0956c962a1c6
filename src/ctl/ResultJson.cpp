#include "ctl/ResultJson.h"

#include "ctl/EqReport.h"
#include "link/FrameProtocol.h"
#include "model/FileAccess.h"
#include "ops/ParamUnits.h"

#include <QJsonArray>

namespace korva::ctl {

namespace {

QJsonValue TextOrNull(const QString& text) {
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

// A byte in user units: a switch by its name, a number in its unit, an unnamed byte as itself.
QJsonValue UserValue(const ParamDef* def, uint8_t raw) {
    if (!def) {
        return int(raw);
    }
    if (def->Unit == ParamUnit::Choice) {
        return FormatParamRaw(*def, raw);
    }
    return RawToUser(*def, raw);
}

QJsonObject DownloadJson(const DownloadReport& report) {
    QJsonArray written;
    for (const BulkBlock& block : report.Acknowledged) {
        written.append(BlockId(block));
    }
    return {{"blocks_total", report.BlocksTotal},
            {"blocks_written", written},
            {"unanswered",
             report.Unanswered ? QJsonValue(BlockId(*report.Unanswered)) : QJsonValue(QJsonValue::Null)},
            {"finished", report.Finished}};
}

QJsonArray ValuesJson(const std::vector<ParamValue>& values, bool asked) {
    QJsonArray list;
    for (const ParamValue& v : values) {
        QJsonObject o{{"name", QualifiedName(v.Ref)},
                      {"label", QualifiedLabel(v.Ref)},
                      {"value", UserValue(v.Ref.Def, v.Raw)},
                      {"raw", int(v.Raw)},
                      {"text", FormatParamRaw(*v.Ref.Def, v.Raw)}};
        if (asked) {
            o.insert("requested", v.Requested ? QJsonValue(*v.Requested) : QJsonValue(v.RequestedText));
        }
        list.append(o);
    }
    return list;
}

QJsonArray ProcessorsJson(const std::vector<HidDeviceInfo>& devices) {
    QJsonArray list;
    for (const HidDeviceInfo& d : devices) {
        list.append(QJsonObject{{"device", QString::fromStdString(d.Path)},
                                {"serial", TextOrNull(d.SerialNumber)},
                                {"product", TextOrNull(d.ProductString)}});
    }
    return list;
}

// The download block that carried a byte: the Common block, or the block of its group that starts at
// 0x00, 0x40 or 0x80.
QString BlockOfCell(const ImageCell& cell) {
    const int first = cell.Address >= kFirstCommonAddress ? kFirstCommonAddress : cell.Address / 0x40 * 0x40;
    return BlockId({kCmdWriteBlock, cell.Group, first});
}

// A restore's read-back differences, each with the block that carried it.
QJsonArray ReadBackJson(const std::vector<ImageDifference>& differences) {
    QJsonArray list = DifferencesJson(differences);
    for (qsizetype i = 0; i < list.size(); ++i) {
        QJsonObject d = list[i].toObject();
        d.insert("block", BlockOfCell(differences[size_t(i)].Cell));
        list[i] = d;
    }
    return list;
}

} // namespace

QJsonArray DifferencesJson(const std::vector<ImageDifference>& differences) {
    QJsonArray list;
    for (const ImageDifference& d : differences) {
        const ParamDef* def = d.Cell.Menu ? nullptr : ParamOfCell(d.Cell).Def;
        list.append(QJsonObject{{"name", d.Name},
                                {"label", d.Label},
                                {"old", UserValue(def, d.Old)},
                                {"new", UserValue(def, d.New)},
                                {"old_raw", int(d.Old)},
                                {"new_raw", int(d.New)},
                                {"old_text", d.OldText},
                                {"new_text", d.NewText}});
    }
    return list;
}

QString BlockId(const BulkBlock& block) {
    switch (block.Command) {
    case kCmdFinishDownload:
        return QStringLiteral("finish");
    case kCmdSelectGroup:
        return QStringLiteral("select.g%1").arg(block.Group + 1);
    case kCmdReadMenuBlock:
    case kCmdWriteMenuBlock:
        return QStringLiteral("menu.") + HexAddress(block.FirstAddress);
    default:
        if (block.FirstAddress >= kFirstCommonAddress) {
            return QStringLiteral("common");
        }
        return QStringLiteral("g%1.").arg(block.Group + 1) + HexAddress(block.FirstAddress);
    }
}

QJsonObject ResultJson(const CtlOptions& options, const ProcessorResult& r) {
    QJsonObject o{{"command", TextOrNull(options.commandName)},
                  {"ok", r.Ok()},
                  {"exit", r.Exit},
                  {"error", TextOrNull(r.Code)},
                  {"message", TextOrNull(r.Error)}};
    if (!r.Url.isEmpty()) {
        o.insert("url", r.Url);
    }
    if (!r.Processors.empty()) {
        o.insert("processors", ProcessorsJson(r.Processors));
    }
    if (r.Device) {
        o.insert("device", QString::fromStdString(r.Device->Path));
        o.insert("serial", TextOrNull(r.Device->SerialNumber));
        o.insert("product", TextOrNull(r.Device->ProductString));
        o.insert("messages", QJsonArray::fromStringList(r.Messages));
    } else if (!r.Ok()) {
        // Refused before any processor was used: nothing of the command to report.
        return o;
    }
    switch (options.command) {
    case Command::List:
        o.insert("answers", r.Answered);
        break;
    case Command::Backup:
        o.insert("file", TextOrNull(DisplayPath(r.File)));
        break;
    case Command::Restore:
        o.insert("file", DisplayPath(options.arguments.front()));
        o.insert("download",
                 r.Download ? QJsonValue(DownloadJson(*r.Download)) : QJsonValue(QJsonValue::Null));
        o.insert("verified", r.ReadBackDone);
        o.insert("differences", ReadBackJson(r.Differences));
        break;
    case Command::Verify:
        o.insert("file", DisplayPath(options.arguments.front()));
        o.insert("differences", DifferencesJson(r.Differences));
        break;
    case Command::Diff:
        o.insert("files", QJsonArray{DisplayPath(options.arguments[0]), DisplayPath(options.arguments[1])});
        o.insert("differences", DifferencesJson(r.Differences));
        break;
    case Command::Get:
        o.insert("values", ValuesJson(r.Values, false));
        break;
    case Command::Set:
        o.insert("values", ValuesJson(r.Values, true));
        break;
    case Command::Eq:
        AddEqJson(o, options, r);
        break;
    }
    return o;
}

} // namespace korva::ctl
