#pragma once
// Which processors a command runs on: every attached one with --all, the one named by --device or
// --serial, otherwise the only one; with several attached and none named, commands that change a device
// refuse, and reading commands take the first one found (as the window does).

#include "ctl/CtlOptions.h"
#include "ctl/ProcessorResult.h"
#include "link/HidBackend.h"

#include <vector>

namespace korva::ctl {

// The attached processors among the HID devices the system lists (vendor and product id of the
// pre-amplifier), each path once, in the order the system lists them.
std::vector<HidDeviceInfo> AttachedProcessors(const std::vector<HidDeviceInfo>& hidDevices);

struct Selection {
    std::vector<HidDeviceInfo> Devices;
    // When Devices is empty: why nothing was selected (exit, code, message, the processors to choose from).
    ProcessorResult Refusal;
    QString Note; // said on standard error, e.g. which of several processors a reading command took
};

// hidDevices: every HID device the backend lists, so that a --device path that is not a processor can be
// told apart from one that is not there.
Selection SelectProcessors(const CtlOptions& options, const std::vector<HidDeviceInfo>& hidDevices);

} // namespace korva::ctl
