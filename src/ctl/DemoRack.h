#pragma once
// The virtual processors behind --demo, with the demo's USB timing. Two options put a rack into a given
// state, for trying a script's handling of failures and for the tests:
//   --demo-state DIR    each processor's memory is loaded from DIR/processor-N.mem when that exists and
//                       saved there at the end, so that runs follow on from each other;
//   --demo-faults LIST  faults armed at start, comma-separated "[N:]FAULT[=K]" for processor N (default
//                       1): drop-acks=K, drop-answers=K (the first K after the handshake), silent (never
//                       replies), unplug-after-frames=K, unplug-after-blocks=K (unplugged right after
//                       taking the K-th frame / block write, which gets no reply), misstore-block=K
//                       (the K-th block write is acknowledged but stored wrong: the read-back differs).

#include "sim/VirtualRack.h"

#include <QString>
#include <memory>

namespace korva::ctl {

class DemoRack {
public:
    // nullptr and error when a state file or the fault list is malformed.
    static std::unique_ptr<DemoRack> Create(int count, const QString& stateDir, const QString& faults,
                                            QString* error);

    sim::VirtualRack& Rack() { return rack_; }
    // Keeps the memories for the next run (with --demo-state only).
    void SaveState();

private:
    explicit DemoRack(int count) : rack_(count) {}
    bool LoadState(QString* error);
    bool ArmFaults(const QString& list, QString* error);
    QString StateFile(int index) const;

    sim::VirtualRack rack_;
    QString stateDir_;
};

} // namespace korva::ctl
