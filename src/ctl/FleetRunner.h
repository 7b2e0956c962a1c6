#pragma once
// Runs one job per processor, each on its own thread with its own link, all at once, and collects their
// results in the order of the processors. The calling thread meanwhile draws the progress of them all.

#include "ctl/ProcessorResult.h"
#include "processor/DeviceSession.h"

#include <functional>
#include <vector>

namespace korva::ctl {

class ProgressBar;

// Runs on the processor's thread; backend is that thread's view of the shared one.
using ProcessorJob = std::function<ProcessorResult(HidBackend& backend, const HidDeviceInfo& device,
                                                   const DeviceSession::Progress& progress)>;

std::vector<ProcessorResult> RunOnEach(HidBackend& shared, const std::vector<HidDeviceInfo>& devices,
                                       const ProcessorJob& job, ProgressBar& bar);

} // namespace korva::ctl
