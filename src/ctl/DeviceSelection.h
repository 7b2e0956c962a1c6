#pragma once
// Which processors a command runs on: every attached one with --all, the one named by --device or
// --serial, otherwise the only one; with several attached and none named, commands that change a device
// refuse, and reading commands take the first one found (as the window does).

#include "ctl/CtlOptions.h"
#include "link/HidBackend.h"

#include <vector>

namespace korva::ctl {

// The attached processors (vendor and product id of the pre-amplifier), each path once, in the order the
// system lists them.
std::vector<HidDeviceInfo> AttachedProcessors(HidBackend& backend);

struct Selection {
    std::vector<HidDeviceInfo> Devices;
    int Exit = kExitOk; // not kExitOk: nothing is selected and Error says why
    QString Error;
    QString Note; // said on standard error, e.g. which of several processors a reading command took
};

Selection SelectProcessors(const CtlOptions& options, const std::vector<HidDeviceInfo>& attached);

} // namespace korva::ctl
