#pragma once
// Prints what a command did: Chinese text on standard output with the reasons for failures on standard
// error, or, with --json, one JSON object per processor, one per line, with English keys.

#include "ctl/CtlOptions.h"
#include "ctl/ProcessorResult.h"

#include <QJsonObject>
#include <vector>

namespace korva::ctl {

// The exit code of the whole run: the worst of the processors'.
int OverallExit(const std::vector<ProcessorResult>& results);

QJsonObject ToJson(const CtlOptions& options, const ProcessorResult& result);

void PrintResults(const CtlOptions& options, const std::vector<ProcessorResult>& results);

// "korva-ctl: TEXT" on standard error.
void PrintError(const QString& text);

} // namespace korva::ctl
