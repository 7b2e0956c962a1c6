#include "StepWatchdog.h"

#include <cstdio>
#include <cstdlib>

namespace korva::soak {

StepWatchdog::StepWatchdog(std::chrono::milliseconds limit, uint32_t seed)
    : limit_(limit), seed_(seed), deadline_(std::chrono::steady_clock::now() + limit) {
    thread_ = std::thread([this] { Watch(); });
}

StepWatchdog::~StepWatchdog() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

void StepWatchdog::Begin(int step, const char* action) {
    step_ = step;
    action_ = action;
    const std::lock_guard lock(mutex_);
    deadline_ = std::chrono::steady_clock::now() + limit_;
}

void StepWatchdog::Watch() {
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (wake_.wait_until(lock, deadline_, [this] { return stopping_; })) {
            return;
        }
        if (std::chrono::steady_clock::now() >= deadline_) {
            std::fprintf(stderr,
                         "FAIL: soak step %d (%s) did not finish within %lld ms; replay with "
                         "KORVA_SOAK_SEED=%u\n",
                         step_.load(), action_.load(), static_cast<long long>(limit_.count()), seed_);
            std::fflush(stderr);
            std::abort();
        }
    }
}

} // namespace korva::soak
