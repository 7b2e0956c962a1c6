#pragma once
// The device link assembled over a fuzzer-controlled HID backend, and a driver that runs the fuzzer's
// script from the event loop while a command waits for its answer, as the device's packets would arrive.

#include "LinkTestWorld.h"

#include <functional>

namespace korva::fuzz {

struct LinkFuzzWorld {
    explicit LinkFuzzWorld(HidBackend& backend);

    ParamModel model;
    test::RecordingMessages messages;
    test::RecordingLinkUi ui;
    DeviceLink link;
};

// The commands the program sends, for picking one from a byte.
int PickCommand(uint8_t selector);

// Makes the running acknowledgement or answer time-out expire now.
void ExpireRunningTimeOut(Communications& comm);

// Calls step once per event-loop pass until it returns false, while command runs (command is called once,
// after the first pass is scheduled, and usually blocks in SendCommand). A step may itself start a command
// and block: the passes go on inside that command's wait. When the steps are done every waiting command is
// ended as if the program closed. Returns command's result.
bool RunWhileCommandWaits(Communications& comm, const std::function<bool()>& step,
                          const std::function<bool()>& command);

// Aborts unless a successful command left a well-formed answer behind.
void CheckAnswer(const Communications& comm, bool succeeded);

} // namespace korva::fuzz
