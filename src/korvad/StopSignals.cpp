#include "korvad/StopSignals.h"

#include <QSocketNotifier>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

namespace korva::korvad {

namespace {

sigset_t StopSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    return set;
}

} // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    const sigset_t set = StopSet();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    fd_ = ::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd_ < 0) {
        return;
    }
    notifier_ = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        signalfd_siginfo info{};
        if (::read(fd_, &info, sizeof info) == ssize_t(sizeof info)) {
            emit Stop(int(info.ssi_signo));
        }
    });
}

StopSignals::~StopSignals() {
    delete notifier_;
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

} // namespace korva::korvad
