#pragma once
// korva-ctl's eq commands: their files read and checked before any processor is used (a file that cannot
// be read whole is refused, nothing applied), then the operation on a preset file's copy or on each
// selected processor.

#include "ctl/ProcessorJobs.h"

namespace korva {
class DeviceSession;
}

namespace korva::ctl {

// Fills p.Eq (and, with --preset, p.FileImage). False with the refusal (exit kExitUsage).
bool PrepareEq(PreparedCommand& p, ProcessorResult& refusal);

// --preset: the result goes into a fresh copy of the file at --out (nothing is sent).
ProcessorResult RunEqOnPreset(const PreparedCommand& p);

// The fit refused what the command's files hold (a measurement that does not cover the range).
void EqFitRefused(const EqCommandLine& eq, const QString& why, ProcessorResult& r);

// On a connected processor. False when the session failed (its LastError says why); other failures are
// in r.
bool RunEqOnProcessor(const PreparedCommand& p, DeviceSession& session, ProcessorResult& r);

} // namespace korva::ctl
