#pragma once
// Ends the process when a soak step does not finish in time. It runs on its own thread, so it also
// catches a step that spins without ever returning to the event loop; a timer on the hung thread could
// not. The description it prints is what the test last told it (plain values, safe to read from here).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace korva::soak {

class StepWatchdog {
public:
    StepWatchdog(std::chrono::milliseconds limit, uint32_t seed);
    ~StepWatchdog();
    StepWatchdog(const StepWatchdog&) = delete;
    StepWatchdog& operator=(const StepWatchdog&) = delete;

    // A step begins: the clock starts again. `action` must be a string literal.
    void Begin(int step, const char* action);

private:
    void Watch();

    const std::chrono::milliseconds limit_;
    const uint32_t seed_;
    std::atomic<int> step_{-1};
    std::atomic<const char*> action_{"start"};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::chrono::steady_clock::time_point deadline_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace korva::soak
