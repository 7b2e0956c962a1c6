#include "ctl/FleetRunner.h"

#include "ctl/Console.h"
#include "ctl/ErrorCodes.h"
#include "ctl/InterruptGuard.h"
#include "link/LockedBackend.h"
#include "ctl/ProgressBar.h"

#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>

namespace korva::ctl {

namespace {

// How often the main thread looks at the threads, the interrupts and the bar: short, since a finished run
// is noticed only then.
constexpr int kLookMs = 10;
// An answer this late is waited for visibly: the bar says when the link gives up.
constexpr qint64 kOverdueMs = 500;

// The link of one processor is made, used and destroyed on this thread: its timers and nested waits belong
// to the thread's own event loop.
class ProcessorThread : public QThread {
public:
    explicit ProcessorThread(FleetJob job) : job_(std::move(job)) {}

    const HidDeviceInfo& Device() const { return job_.Device; }
    const QString& Url() const { return job_.Url; }
    int Done() const { return done_; }
    int Total() const { return total_; }
    int WaitLimitMs() const { return waitLimitMs_; }
    ProcessorResult TakeResult() {
        std::lock_guard<std::mutex> guard(resultLock_);
        return std::move(result_);
    }

    // The main thread's view of when the count last moved.
    QElapsedTimer sinceStep;
    int lastSeenDone = -1;

protected:
    void run() override {
        ProcessorResult result;
        try {
            result = job_.Run([this](int done, int total, int waitLimitMs) {
                waitLimitMs_ = waitLimitMs;
                total_ = total;
                done_ = done;
            });
        } catch (const std::exception& e) {
            result = ProcessorResult();
            result.Fail(kExitDevice, codes::kInternal,
                        QStringLiteral("内部错误：%1").arg(QString::fromLocal8Bit(e.what())));
        }
        result.Device = job_.Device;
        result.Url = job_.Url;
        // Handed over under a lock of our own rather than relying on how QThread::wait() orders memory.
        std::lock_guard<std::mutex> guard(resultLock_);
        result_ = std::move(result);
    }

private:
    const FleetJob job_;
    std::mutex resultLock_;
    ProcessorResult result_;
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
    std::atomic<int> waitLimitMs_{0};
};

using Threads = std::vector<std::unique_ptr<ProcessorThread>>;

void ShowProgress(Threads& threads, ProgressBar& bar) {
    int done = 0;
    int total = 0;
    std::optional<int> giveUpIn;
    for (const auto& t : threads) {
        const int d = t->Done();
        done += d;
        total += t->Total();
        if (d != t->lastSeenDone || t->isFinished()) {
            t->lastSeenDone = d;
            t->sinceStep.restart();
        } else if (const qint64 waited = t->sinceStep.elapsed();
                   waited >= kOverdueMs && t->WaitLimitMs() > 0) {
            // The processor whose link gives up soonest is the one to watch.
            giveUpIn = std::min(giveUpIn.value_or(t->WaitLimitMs()), int(t->WaitLimitMs() - waited));
        }
    }
    bar.Show(done, total, giveUpIn);
}

} // namespace

FleetResults RunOnEach(HidBackend& shared, const std::vector<HidDeviceInfo>& devices, const ProcessorJob& job,
                       InterruptGuard& guard, ProgressBar& bar, Console& console) {
    std::mutex lock;
    std::vector<FleetJob> jobs;
    for (const HidDeviceInfo& device : devices) {
        jobs.push_back({device, QString(), [&shared, &lock, &job, device](const StepProgress& progress) {
                            LockedBackend backend(shared, lock);
                            return job(backend, device, progress);
                        }});
    }
    return RunJobs(std::move(jobs), guard, bar, console);
}

FleetResults RunJobs(std::vector<FleetJob> jobs, InterruptGuard& guard, ProgressBar& bar, Console& console) {
    Threads threads;
    for (FleetJob& job : jobs) {
        threads.push_back(std::make_unique<ProcessorThread>(std::move(job)));
        threads.back()->sinceStep.start();
        threads.back()->start();
    }
    FleetResults fleet;
    auto running = [&threads] {
        for (const auto& t : threads) {
            if (!t->isFinished()) {
                return true;
            }
        }
        return false;
    };
    while (running() && fleet.InterruptedBy == 0) {
        switch (guard.Wait(kLookMs)) {
        case InterruptGuard::Event::FinishingFirst:
            bar.Clear();
            console.Error(InterruptGuard::FinishingFirstNotice());
            break;
        case InterruptGuard::Event::Stop:
            fleet.InterruptedBy = guard.Signal();
            break;
        case InterruptGuard::Event::None:
            ShowProgress(threads, bar);
            break;
        }
    }
    bar.Clear();
    for (auto& thread : threads) {
        if (thread->wait(QDeadlineTimer(0))) {
            fleet.Results.push_back(thread->TakeResult());
            continue;
        }
        ProcessorResult stopped;
        stopped.Device = thread->Device();
        stopped.Url = thread->Url();
        stopped.Fail(
            128 + fleet.InterruptedBy, codes::kInterrupted,
            QStringLiteral("被 %1 中断，没有完成").arg(InterruptGuard::SignalName(fleet.InterruptedBy)));
        fleet.Results.push_back(stopped);
        // Still busy in the link: the process ends by the signal before it could be destroyed.
        static_cast<void>(thread.release());
    }
    return fleet;
}

} // namespace korva::ctl
