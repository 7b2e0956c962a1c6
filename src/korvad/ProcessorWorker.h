#pragma once
// One processor as the service runs it: a thread of its own with its own link (the processor service
// through a headless session), kept online like the window keeps it (handshake retries, the whole memory
// read on connecting, keep-alive). Requests reach it as jobs, served one after another in the order they
// were posted, so two clients never interleave their exchanges with the processor.

#include "link/HidBackend.h"

#include <QJsonObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

namespace korva {
class DeviceSession;
class Processor;
} // namespace korva

namespace korva::korvad {

class EventHub;

// What a job sees, on the processor's thread.
class WorkerContext {
public:
    virtual ~WorkerContext() = default;
    virtual DeviceSession& Session() = 0;
    virtual Processor& Service() = 0;
    virtual const HidDeviceInfo& Device() const = 0;
    // The processor's image is its memory: read whole since the link came up, and kept by every write.
    // Otherwise it is read now (connecting first); false, with the reason in Session().LastError(), when
    // that failed.
    virtual bool EnsureImage() = 0;
    virtual EventHub& Events() = 0;
    // {"type": type, "processor": id, "device": path}
    virtual QJsonObject Event(const char* type) const = 0;
};

class ProcessorWorker {
public:
    using Job = std::function<void(WorkerContext&)>;

    // shared (every processor's backend) and backendLock must outlive the worker.
    // rereadSeconds: while idle and online, the memory is read again this often (0: never), and whatever
    // changed on the processor itself since the clients were last told is announced.
    ProcessorWorker(HidBackend& shared, std::mutex& backendLock, HidDeviceInfo device, EventHub& events,
                    int rereadSeconds = 0);
    // Lets the queued jobs finish, closes the link and ends the thread (BeginClose, then waits).
    ~ProcessorWorker();
    ProcessorWorker(const ProcessorWorker&) = delete;
    ProcessorWorker& operator=(const ProcessorWorker&) = delete;

    // Any thread: the job runs on the processor's thread after every job posted before it.
    void Post(Job job);
    // The link closes after the jobs posted so far; nothing may be posted afterwards.
    void BeginClose();
    // The thread has ended.
    bool Closed() const;

    const HidDeviceInfo& Device() const { return device_; }
    // The serial number, or the path for a processor without one.
    QString Id() const;
    // The processor answers, and its memory has been read since the link came up.
    bool IsOnline() const { return online_; }
    // A job is running or waiting.
    bool IsBusy() const { return pendingJobs_ > 0; }

private:
    class Runner;

    const HidDeviceInfo device_;
    std::unique_ptr<QThread> thread_;
    Runner* runner_; // lives on thread_
    std::atomic<bool> online_{false};
    std::atomic<int> pendingJobs_{0};
    bool closing_ = false;
};

} // namespace korva::korvad
