#include "ctl/InterruptGuard.h"

#include <array>
#include <cerrno>
#include <ctime>
#include <pthread.h>
#include <unistd.h>

namespace korva::ctl {

namespace {

constexpr std::array kInterrupts = {SIGINT, SIGTERM, SIGHUP};
// Interrupts within this time of the first are one request: a signal sent to the process and to its
// group arrives twice in the same moment, and a person pressing Ctrl-C twice means it once.
constexpr qint64 kSameRequestMs = 1000;

bool IgnoredAtStart(int signal) {
    struct sigaction current {};
    sigaction(signal, nullptr, &current);
    return current.sa_handler == SIG_IGN;
}

} // namespace

InterruptGuard::InterruptGuard(Mode mode) : mode_(mode) {
    sigemptyset(&waited_);
    for (int signal : kInterrupts) {
        // A blocked signal is kept pending even when ignored, and would then be taken here.
        if (!IgnoredAtStart(signal)) {
            sigaddset(&waited_, signal);
        }
    }
    pthread_sigmask(SIG_BLOCK, &waited_, &previous_);
}

InterruptGuard::~InterruptGuard() {
    const timespec now{0, 0};
    while (sigtimedwait(&waited_, nullptr, &now) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

InterruptGuard::Event InterruptGuard::Wait(int ms) {
    const timespec timeout{ms / 1000, long(ms % 1000) * 1000000L};
    const int signal = sigtimedwait(&waited_, nullptr, &timeout);
    if (signal <= 0) {
        return Event::None;
    }
    if (mode_ == Mode::StopAtOnce) {
        signal_ = signal;
        return Event::Stop;
    }
    if (!first_) {
        first_.emplace();
        first_->start();
        return Event::FinishingFirst;
    }
    if (first_->elapsed() < kSameRequestMs) {
        return Event::None;
    }
    signal_ = signal;
    return Event::Stop;
}

QString InterruptGuard::FinishingFirstNotice() {
    return QStringLiteral("正在改动处理器，完成并报告后再退出（一秒后再中断一次立即退出）");
}

QString InterruptGuard::SignalName(int signal) {
    switch (signal) {
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    default:
        return QStringLiteral("信号 %1").arg(signal);
    }
}

void InterruptGuard::EndBy(int signal) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    // Not reached for the interrupts, whose default action ends the process.
    _exit(128 + signal);
}

} // namespace korva::ctl
