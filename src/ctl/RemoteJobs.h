#pragma once
// korva-ctl --remote: the commands run through korvad instead of a local link. Each room (one --remote
// each) is asked for its processors, they are selected as local ones are (--all, --device, --serial), and
// every selected processor is worked on from its own thread, all rooms at once. The results are the ones a
// local run gives, with the room's address added, so scripts read the same objects and exit codes.

#include "ctl/ProcessorJobs.h"

namespace korva::ctl {

class Console;

struct RemoteRun {
    std::vector<ProcessorResult> Results;
    bool DeviceUsed = false; // a processor may have been changed or read
    int InterruptedBy = 0;   // the signal that stopped the run
};

RemoteRun RunOnRemotes(const PreparedCommand& prepared, Console& console);

} // namespace korva::ctl
