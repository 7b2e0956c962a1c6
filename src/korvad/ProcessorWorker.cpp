#include "korvad/ProcessorWorker.h"

#include "korvad/EventHub.h"
#include "korvad/ServiceJobs.h"
#include "link/LockedBackend.h"
#include "processor/DeviceSession.h"
#include "processor/Processor.h"

#include <QThread>
#include <QTimer>
#include <deque>

namespace korva::korvad {

namespace {

// A job waits while the link is busy with the supervisor's own work (the read after connecting).
constexpr int kBusyLinkRetryMs = 2;

} // namespace

class ProcessorWorker::Runner : public QObject, public WorkerContext {
public:
    Runner(HidBackend& shared, std::mutex& lock, const HidDeviceInfo& device, EventHub& events,
           std::atomic<bool>& online, std::atomic<int>& pending, int rereadSeconds)
        : backend_(shared, lock), device_(device), events_(events), online_(online), pending_(pending) {
        retry_.setSingleShot(true);
        retry_.setInterval(kBusyLinkRetryMs);
        connect(&retry_, &QTimer::timeout, this, &Runner::Drain);
        if (rereadSeconds > 0) {
            reread_.setInterval(std::chrono::seconds(rereadSeconds));
            connect(&reread_, &QTimer::timeout, this, &Runner::Reread);
        }
    }

    // On the thread: the link is made here, so that its timers and waits belong to this thread.
    void Open() {
        session_ = std::make_unique<DeviceSession>(backend_, device_.Path);
        Processor& service = session_->Service();
        BulkTransfer& bulk = service.Link().Bulk();
        connect(&bulk, &BulkTransfer::TransferStarted, this, [this] {
            transferComplete_ = true;
            transferRead_ = false;
        });
        connect(&bulk, &BulkTransfer::MemoryRead, this, &Runner::OnMemoryRead);
        connect(&bulk, &BulkTransfer::BlockDone, this, [this](int, const BulkBlock&, bool answered) {
            transferComplete_ = transferComplete_ && answered;
        });
        // A complete read or download leaves the image equal to the memory; anything less does not.
        connect(&bulk, &BulkTransfer::TransferEnded, this, [this] {
            imageValid_ = transferComplete_;
            if (!transferRead_) {
                // A download: the clients were told of it by the request that made it.
                KeepTold();
            }
            Announce();
        });
        connect(&service, &Processor::OnlineChanged, this, [this](bool online) {
            if (!online) {
                imageValid_ = false;
            }
            Announce();
        });
        // Supervised like the window's link: the session alone connects only when asked.
        service.Link().Supervisor().tmrKeepConnect().start();
        service.Link().Start();
        if (reread_.interval() > 0) {
            reread_.start();
        }
    }

    // The last job: the link closes and the thread ends.
    void Close() {
        retry_.stop();
        reread_.stop();
        session_.reset();
        imageValid_ = false;
        Announce();
        thread()->quit();
    }

    void Enqueue(Job job) {
        queue_.push_back(std::move(job));
        Drain();
    }

    DeviceSession& Session() override { return *session_; }
    Processor& Service() override { return session_->Service(); }
    const HidDeviceInfo& Device() const override { return device_; }
    EventHub& Events() override { return events_; }

    QJsonObject Event(const char* type) const override {
        const QString path = QString::fromStdString(device_.Path);
        return {{"type", QString::fromLatin1(type)},
                {"processor", device_.SerialNumber.isEmpty() ? path : device_.SerialNumber},
                {"device", path}};
    }

    bool EnsureImage() override {
        if (imageValid_ && Service().IsOnline()) {
            return true;
        }
        ParamImage image;
        return session_->ReadAll(image);
    }

private:
    // Online, to the clients, is answering with the memory read: from the end of the read that follows
    // the handshake until the link is lost.
    void Announce() {
        const bool online = session_ && imageValid_ && Service().IsOnline();
        if (online_.exchange(online) != online) {
            QJsonObject event = Event("online");
            event.insert(QStringLiteral("online"), online);
            events_.Publish(event);
        }
    }

    // Jobs run one at a time. A job waits in its exchanges in nested event loops, where the next posted
    // job arrives: it only joins the queue and runs when the one before it has ended.
    void Drain() {
        if (running_ || !session_) {
            return;
        }
        Communications& comm = Service().Link().Comm();
        if (comm.LinkBusy() || Service().Link().Bulk().InProgress()) {
            retry_.start();
            return;
        }
        running_ = true;
        while (!queue_.empty()) {
            Job job = std::move(queue_.front());
            queue_.pop_front();
            job(*this);
            // What a job changed, it announced itself.
            KeepTold();
            --pending_;
        }
        running_ = false;
    }

    // What the clients were last told the memory holds: a read that finds something else announces the
    // difference (a change on the front panel, or one made while the link was down).
    void OnMemoryRead() {
        transferRead_ = true;
        const ParamImage now = ParamImage::Of(Service().Model());
        if (toldValid_) {
            PublishChangesFound(*this, told_, now);
        }
        told_ = now;
        toldValid_ = true;
    }
    void KeepTold() {
        if (toldValid_ && session_) {
            told_ = ParamImage::Of(Service().Model());
        }
    }

    // An idle, online processor is read again (a job like any other, so it never interleaves with one).
    void Reread() {
        if (!session_ || running_ || !queue_.empty() || !imageValid_ || !Service().IsOnline()) {
            return;
        }
        ++pending_;
        Enqueue([](WorkerContext& c) {
            ParamImage image;
            c.Session().ReadAll(image);
        });
    }

    LockedBackend backend_;
    const HidDeviceInfo& device_;
    EventHub& events_;
    std::atomic<bool>& online_;
    std::atomic<int>& pending_;
    std::unique_ptr<DeviceSession> session_;
    std::deque<Job> queue_;
    QTimer retry_{this};
    QTimer reread_{this};
    ParamImage told_;
    bool toldValid_ = false;
    bool transferRead_ = false;
    bool running_ = false;
    bool imageValid_ = false;
    bool transferComplete_ = false;
};

ProcessorWorker::ProcessorWorker(HidBackend& shared, std::mutex& backendLock, HidDeviceInfo device,
                                 EventHub& events, int rereadSeconds)
    : device_(std::move(device)), thread_(std::make_unique<QThread>()),
      runner_(new Runner(shared, backendLock, device_, events, online_, pendingJobs_, rereadSeconds)) {
    thread_->setObjectName(QStringLiteral("processor ") + Id());
    runner_->moveToThread(thread_.get());
    QObject::connect(thread_.get(), &QThread::finished, runner_, &QObject::deleteLater);
    thread_->start();
    QMetaObject::invokeMethod(runner_, [r = runner_] { r->Open(); }, Qt::QueuedConnection);
}

ProcessorWorker::~ProcessorWorker() {
    BeginClose();
    thread_->wait();
}

void ProcessorWorker::BeginClose() {
    if (closing_) {
        return;
    }
    closing_ = true;
    // A job like any other, so that it waits for the ones before it, also for one inside an exchange.
    Post([r = runner_](WorkerContext&) { r->Close(); });
}

bool ProcessorWorker::Closed() const {
    return thread_->isFinished();
}

void ProcessorWorker::Post(Job job) {
    ++pendingJobs_;
    QMetaObject::invokeMethod(runner_, [r = runner_, job = std::move(job)]() mutable { r->Enqueue(std::move(job)); },
                              Qt::QueuedConnection);
}

QString ProcessorWorker::Id() const {
    return device_.SerialNumber.isEmpty() ? QString::fromStdString(device_.Path) : device_.SerialNumber;
}

} // namespace korva::korvad
