#include "ctl/InterruptGuard.h"

#include <pthread.h>
#include <unistd.h>

namespace korva::ctl {

namespace {

constexpr std::array kInterrupts = {SIGINT, SIGTERM, SIGHUP};

extern "C" void SayFinishingFirst(int) {
    static const char notice[] = "\nkorva-ctl: 正在改动处理器，完成并报告后再退出（再中断一次立即退出）\n";
    const ssize_t written = ::write(STDERR_FILENO, notice, sizeof notice - 1);
    static_cast<void>(written);
}

sigset_t InterruptSet() {
    sigset_t set;
    sigemptyset(&set);
    for (int signal : kInterrupts) {
        sigaddset(&set, signal);
    }
    return set;
}

} // namespace

InterruptGuard::InterruptGuard() {
    struct sigaction action {};
    action.sa_handler = SayFinishingFirst;
    // The first one only: the action falls back to the default as it is taken.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (size_t i = 0; i < kInterrupts.size(); ++i) {
        sigaction(kInterrupts[i], &action, &previous_[i]);
    }
}

InterruptGuard::~InterruptGuard() {
    for (size_t i = 0; i < kInterrupts.size(); ++i) {
        sigaction(kInterrupts[i], &previous_[i], nullptr);
    }
}

InterruptsElsewhere::InterruptsElsewhere() {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

InterruptsElsewhere::~InterruptsElsewhere() {
    const sigset_t set = InterruptSet();
    pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
}

} // namespace korva::ctl
