#include "ctl/FleetRunner.h"

#include "ctl/InterruptGuard.h"
#include "ctl/LockedBackend.h"
#include "ctl/ProgressBar.h"

#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>

namespace korva::ctl {

namespace {

constexpr int kProgressRefreshMs = 50;

// The link of one processor is made, used and destroyed on this thread: its timers and nested waits belong
// to the thread's own event loop.
class ProcessorThread : public QThread {
public:
    ProcessorThread(HidBackend& shared, std::mutex& lock, HidDeviceInfo device, const ProcessorJob& job)
        : shared_(shared), lock_(lock), device_(std::move(device)), job_(job) {}

    int Done() const { return done_; }
    int Total() const { return total_; }
    ProcessorResult TakeResult() {
        std::lock_guard<std::mutex> guard(resultLock_);
        return std::move(result_);
    }

protected:
    void run() override {
        LockedBackend backend(shared_, lock_);
        ProcessorResult result;
        try {
            result = job_(backend, device_, [this](int done, int total) {
                total_ = total;
                done_ = done;
            });
        } catch (const std::exception& e) {
            result = ProcessorResult();
            result.Fail(kExitDevice, QStringLiteral("内部错误：%1").arg(QString::fromLocal8Bit(e.what())));
        }
        result.Device = device_;
        // Handed over under a lock of our own rather than relying on how QThread::wait() orders memory.
        std::lock_guard<std::mutex> guard(resultLock_);
        result_ = std::move(result);
    }

private:
    HidBackend& shared_;
    std::mutex& lock_;
    const HidDeviceInfo device_;
    const ProcessorJob& job_;
    std::mutex resultLock_;
    ProcessorResult result_;
    std::atomic<int> done_{0};
    std::atomic<int> total_{0};
};

} // namespace

std::vector<ProcessorResult> RunOnEach(HidBackend& shared, const std::vector<HidDeviceInfo>& devices,
                                       const ProcessorJob& job, ProgressBar& bar) {
    std::mutex lock;
    std::vector<std::unique_ptr<ProcessorThread>> threads;
    for (const HidDeviceInfo& device : devices) {
        threads.push_back(std::make_unique<ProcessorThread>(shared, lock, device, job));
    }
    {
        const InterruptsElsewhere interruptsHere;
        for (const auto& thread : threads) {
            thread->start();
        }
    }
    for (const auto& thread : threads) {
        while (!thread->wait(QDeadlineTimer(kProgressRefreshMs))) {
            int done = 0;
            int total = 0;
            for (const auto& t : threads) {
                done += t->Done();
                total += t->Total();
            }
            bar.Show(done, total);
        }
    }
    bar.Clear();
    std::vector<ProcessorResult> results;
    for (const auto& thread : threads) {
        results.push_back(thread->TakeResult());
    }
    return results;
}

} // namespace korva::ctl
