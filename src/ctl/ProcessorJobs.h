#pragma once
// What each command does: first everything that needs no processor is checked once (files read whole,
// names and values parsed against their ranges), so that a bad file or value sends nothing; then the
// command runs on each selected processor through a session of the processor service.

#include "ctl/CtlOptions.h"
#include "ctl/FleetRunner.h"
#include "ctl/ProcessorResult.h"

#include <optional>

namespace korva::ctl {

struct PreparedCommand {
    CtlOptions Options;
    ParamImage FileImage;                // restore, verify: the file's bytes; diff: the first file
    ParamImage OtherImage;               // diff: the second file
    std::vector<ParamRef> Names;         // get (empty: every parameter)
    std::vector<ParamValue> Assignments; // set
    EqRequest Eq;                        // eq (with --preset the file is FileImage)
};


// std::nullopt and the refusal (exit kExitUsage) when a file, name or value is refused.
std::optional<PreparedCommand> PrepareCommand(const CtlOptions& options, ProcessorResult& refusal);

ProcessorResult RunDiff(const PreparedCommand& prepared);
// backup leaves the memory read in the result's Image; the caller writes the file.
ProcessorResult RunOnProcessor(const PreparedCommand& prepared, HidBackend& backend,
                               const HidDeviceInfo& device, const StepProgress& progress);

} // namespace korva::ctl
