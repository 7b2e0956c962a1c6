#pragma once
// The JSON object of one result, with English keys (docs/ctl-json.md lists them with an example of each).

#include "ctl/CtlOptions.h"
#include "ctl/ProcessorResult.h"

#include <QJsonArray>
#include <QJsonObject>

namespace korva::ctl {

QJsonObject ResultJson(const CtlOptions& options, const ProcessorResult& result);

// Differences by name (verify, diff, restore's read-back, the changes of eq).
QJsonArray DifferencesJson(const std::vector<ImageDifference>& differences);

// "common", "g3.0x40", "menu.0x00", "select.g3", "finish": a block as scripts name it.
QString BlockId(const BulkBlock& block);

} // namespace korva::ctl
