#pragma once
// Several virtual processors on one bus, each with its own path, serial number and memory: what an
// installer sees with a rack of rooms attached. Each processor may be driven from its own thread.

#include "sim/VirtualProcessor.h"

#include <memory>
#include <mutex>
#include <vector>

namespace korva::sim {

class VirtualRack : public HidBackend {
public:
    // Paths "sim:korva-processor-1" .. "-N", serial numbers "SIM-0001" .. .
    explicit VirtualRack(int count);

    static std::string PathOf(int number);
    static QString SerialOf(int number);

    int Count() const { return int(processors_.size()); }
    // index 0 .. Count()-1
    VirtualProcessor& Processor(int index) { return *processors_.at(size_t(index)); }

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    QString LastError() const override;
    // "sim-<pid>-<this>:<path>" unless a scope is set: virtual processors of different programs (and
    // tests) never share a lock. Programs that share the scope (a demo state folder) share the locks.
    QString LockName(const std::string& path) const override;
    void SetLockScope(const QString& scope) { lockScope_ = scope; }

private:
    std::vector<std::unique_ptr<VirtualProcessor>> processors_;
    mutable std::mutex errorMutex_;
    QString lastError_;
    QString lockScope_;
};

} // namespace korva::sim
