#pragma once
// What each command does: first everything that needs no processor is checked once (files read whole,
// names and values parsed against their ranges), so that a bad file or value sends nothing; then the
// command runs on each selected processor through a session of the operations layer.

#include "ctl/CtlOptions.h"
#include "ctl/ProcessorResult.h"

#include <map>
#include <optional>
#include <string>

namespace korva::ctl {

struct PreparedCommand {
    CtlOptions Options;
    ParamImage FileImage;                       // restore, verify: the file's bytes; diff: the first file
    ParamImage OtherImage;                      // diff: the second file
    std::vector<ParamRef> Names;                // get (empty: every parameter)
    std::vector<ParamValue> Assignments;        // set
    std::map<std::string, QString> BackupFiles; // backup: the file of each device path
};

// The cells verify compares and restore puts back: every byte of the preset file that a download carries
// (the front-panel menu table travels with neither).
const std::vector<ImageCell>& RestoredCells();

// std::nullopt and a reason (exit code kExitUsage) when a file, name or value is refused.
std::optional<PreparedCommand> PrepareCommand(const CtlOptions& options, QString* error);

// The file backup writes for each device path: FILE with {serial} and {n} replaced; with several processors
// and neither, "-SERIAL" before the extension ("-N" when serial numbers are missing or repeat).
// std::nullopt and a reason when two processors would write the same file.
std::optional<std::map<std::string, QString>>
BackupFiles(const QString& pattern, const std::vector<HidDeviceInfo>& devices, QString* error);

ProcessorResult RunDiff(const PreparedCommand& prepared);
ProcessorResult RunOnProcessor(const PreparedCommand& prepared, HidBackend& backend,
                               const HidDeviceInfo& device, const DeviceSession::Progress& progress);

} // namespace korva::ctl
