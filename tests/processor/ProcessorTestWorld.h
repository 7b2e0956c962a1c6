#pragma once
// A fresh processor service per test over the virtual processor (timing model off), with a recording
// message service.

#include "../link/LinkTestWorld.h"
#include "processor/Processor.h"

namespace korva::test {

struct ProcessorWorld {
    ProcessorWorld() { InitParamDefaults(model, false); }

    Communications& comm() { return processor.Link().Comm(); }
    // The frames the device received, as upper-case hex.
    QStringList DeviceFrames() const { return HexFrames(device); }

    sim::VirtualProcessor device;
    RecordingMessages messages;
    QTemporaryDir logFolder;
    Processor processor{device, messages, logFolder.path()};
    ParamModel& model = processor.Model();
    DeviceLink& link = processor.Link();
};

} // namespace korva::test
