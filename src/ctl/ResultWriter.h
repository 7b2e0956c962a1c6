#pragma once
// Prints what a command did: Chinese text on standard output with the reasons for failures on standard
// error, or, with --json, one JSON object per result and line on standard output (the reasons still on
// standard error, for the person watching).

#include "ctl/CtlOptions.h"
#include "ctl/ProcessorResult.h"

#include <vector>

namespace korva::ctl {

class Console;

// The exit code of the whole run: the worst of the results'.
int OverallExit(const std::vector<ProcessorResult>& results);

// With --json the reasons go to standard error first: when that fails, a result that would have been
// ok says output_failed with outputFailureExit.
void PrintResults(const CtlOptions& options, std::vector<ProcessorResult>& results, Console& console,
                  int outputFailureExit);

} // namespace korva::ctl
