#pragma once
// Runs one job per processor, each on its own thread with its own link, all at once, and collects their
// results in the order of the processors. The calling thread meanwhile draws the progress of them all and
// takes the interrupts.

#include "ctl/ProcessorResult.h"

#include <functional>
#include <vector>

namespace korva::ctl {

class Console;
class InterruptGuard;
class ProgressBar;

// done of total steps; waitLimitMs: the longest the link waits for the step in flight before it gives up.
using StepProgress = std::function<void(int done, int total, int waitLimitMs)>;

// Runs on the processor's thread; backend is that thread's view of the shared one.
using ProcessorJob = std::function<ProcessorResult(HidBackend& backend, const HidDeviceInfo& device,
                                                   const StepProgress& progress)>;

struct FleetResults {
    std::vector<ProcessorResult> Results;
    // The signal that stopped the run, 0 when every job finished. The results of the jobs still running
    // then say they were interrupted; their threads are left running, for the process ends by the signal.
    int InterruptedBy = 0;
};

// One processor's job that brings its own way to the processor (through korvad): what the result says
// about the processor, and the work.
struct FleetJob {
    HidDeviceInfo Device;
    QString Url;
    std::function<ProcessorResult(const StepProgress& progress)> Run;
};

// guard must have been made before: the threads started here inherit its blocked interrupts.
FleetResults RunJobs(std::vector<FleetJob> jobs, InterruptGuard& guard, ProgressBar& bar, Console& console);

// Each job gets the processor's own view of the shared backend.
FleetResults RunOnEach(HidBackend& shared, const std::vector<HidDeviceInfo>& devices, const ProcessorJob& job,
                       InterruptGuard& guard, ProgressBar& bar, Console& console);

} // namespace korva::ctl
