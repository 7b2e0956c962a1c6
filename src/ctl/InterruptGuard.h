#pragma once
// Interrupts (Ctrl-C, a termination request, a closed terminal) while korva-ctl works on processors. They
// are blocked in every thread and taken one at a time by the main thread, between its looks at the
// progress, so that no handler runs inside the link's waits and the program decides what an interrupt
// means at that moment:
// - a reading command stops at once, says so for every processor that had not finished, and ends as the
//   signal would have ended it;
// - a command that changes processors finishes first (ended half-way, it could not say which blocks it
//   had written) and says so; an interrupt more than a second after the first ends it at once. Signals
//   sent together (GNU `timeout -s INT` sends to the process and to its group) count as one.
// A signal ignored at start (nohup) stays ignored.

#include <QElapsedTimer>
#include <QString>
#include <csignal>
#include <optional>

namespace korva::ctl {

class InterruptGuard {
public:
    enum class Mode { StopAtOnce, FinishFirst };
    enum class Event { None, FinishingFirst, Stop };

    // Blocks the interrupts in this thread and in every thread started while the guard lives.
    explicit InterruptGuard(Mode mode);
    // Takes interrupts still pending (the work is done and reported) and unblocks them.
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    // Waits up to ms for an interrupt and says what it means: FinishingFirst the first time a changing
    // command is interrupted (say so and carry on), Stop when the run ends now (Signal() says by which).
    Event Wait(int ms);
    int Signal() const { return signal_; }

    // "korva-ctl: 正在改动处理器，…"
    static QString FinishingFirstNotice();

    // "SIGINT"
    static QString SignalName(int signal);

    // Ends the process as the signal's default action does (the shell sees it killed by that signal).
    [[noreturn]] static void EndBy(int signal);

private:
    Mode mode_;
    sigset_t waited_;   // the interrupts not ignored at start
    sigset_t previous_; // this thread's mask before
    std::optional<QElapsedTimer> first_;
    int signal_ = 0;
};

} // namespace korva::ctl
