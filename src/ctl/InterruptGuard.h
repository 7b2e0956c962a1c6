#pragma once
// While a command changes processors, the first interrupt (Ctrl-C, a termination request, a closed
// terminal) does not end korva-ctl: ended half-way, it could not say which blocks it had written. It says
// that it finishes first, and a second interrupt ends it at once.

#include <array>
#include <csignal>

namespace korva::ctl {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

private:
    std::array<struct sigaction, 3> previous_{}; // SIGINT, SIGTERM, SIGHUP
};

// Blocks the interrupts on the calling thread while alive, so that threads started meanwhile never take
// one (a signal handled on a link's thread would cut short its wait for the device).
class InterruptsElsewhere {
public:
    InterruptsElsewhere();
    ~InterruptsElsewhere();
    InterruptsElsewhere(const InterruptsElsewhere&) = delete;
    InterruptsElsewhere& operator=(const InterruptsElsewhere&) = delete;
};

} // namespace korva::ctl
