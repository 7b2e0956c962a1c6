#pragma once
// Every processor attached to this computer, each run by its own worker. The list of HID devices is read
// periodically: a processor that appears gets a worker, one that has gone and is offline loses it, so
// processors come and go without a restart.

#include "korvad/ProcessorWorker.h"
#include "sim/VirtualProcessor.h"

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace korva::korvad {

class Fleet : public QObject {
    Q_OBJECT
public:
    static constexpr int kEnumerateIntervalMs = 2000;

    // backend must outlive the fleet.
    // rereadSeconds: how often an idle processor's memory is read again (0: never), see ProcessorWorker.
    Fleet(HidBackend& backend, EventHub& events, int rereadSeconds, QObject* parent = nullptr);
    ~Fleet() override;

    // Reads the device list now and then every kEnumerateIntervalMs.
    void Start();
    // One look at the device list.
    void Enumerate();

    std::vector<const ProcessorWorker*> Processors() const;

    // The processor with this serial number (or, for one without, this path).
    struct Lookup {
        ProcessorWorker* Worker = nullptr;
        int Status = 0; // without a worker: 404 unknown, 409 several share the serial number
        QString Message;
    };
    Lookup Find(const QString& id) const;

    // The virtual processor at this path when the fleet runs on the demo's rack, else nullptr: its frame
    // counts let a script prove what was sent.
    const sim::VirtualProcessor* Virtual(const std::string& path) const;

private:
    HidBackend& backend_;
    std::mutex backendLock_;
    EventHub& events_;
    const int rereadSeconds_;
    QTimer timer_;
    std::map<std::string, std::unique_ptr<ProcessorWorker>> workers_; // by device path
    // Workers of processors that have gone, until their threads have ended.
    std::vector<std::unique_ptr<ProcessorWorker>> retiring_;
};

} // namespace korva::korvad
