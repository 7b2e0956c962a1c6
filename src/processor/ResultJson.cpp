#include "processor/ResultJson.h"

#include "ops/ParamUnits.h"

namespace korva {

QJsonObject ValueJson(const ParamRef& ref, uint8_t raw) {
    return {{"name", QualifiedName(ref)},
            {"label", QualifiedLabel(ref)},
            {"raw", int(raw)},
            {"value", RawToUser(*ref.Def, raw)},
            {"text", FormatParamRaw(*ref.Def, raw)}};
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

} // namespace korva
