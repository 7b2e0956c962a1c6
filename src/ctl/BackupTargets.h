#pragma once
// The files backup writes: one per processor, named from the file name given, checked before any memory
// is read (a long read must not end in a file that cannot be written) and written by the main thread once
// the reads are done, so that an interrupted backup writes nothing.

#include "ctl/ProcessorResult.h"

#include <map>
#include <optional>
#include <string>

namespace korva::ctl {

// The file of each device path: FILE with {serial} and {n} replaced; with several processors and neither,
// "-SERIAL" before the extension ("-N" when serial numbers are missing or repeat). std::nullopt and the
// refusal when two processors would write the same file.
std::optional<std::map<std::string, QString>>
BackupFileNames(const QString& pattern, const std::vector<HidDeviceInfo>& devices, ProcessorResult& refusal);

// Whether every file can be replaced by a fresh one now; false and the refusal for the first that cannot.
bool CheckBackupFiles(const std::map<std::string, QString>& files, ProcessorResult& refusal);

// Writes the memory each successful result read into its file, and names the file in the result; a
// result whose file cannot be written fails with the file's reason.
void WriteBackups(const std::map<std::string, QString>& files, std::vector<ProcessorResult>& results);

} // namespace korva::ctl
