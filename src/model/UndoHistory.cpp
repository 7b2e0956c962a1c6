#include "UndoHistory.h"

namespace korva {

UndoHistory::UndoHistory(ParamStore& store, QObject* parent) : QObject(parent), store_(store) {
    tmrMoveTimeout.setObjectName(QStringLiteral("tmrMoveTimeout"));
    tmrMoveTimeout.setInterval(kBurstPauseMs);
    tmrMoveTimeout.setSingleShot(true);
    connect(&tmrMoveTimeout, &QTimer::timeout, this, [this] { editBurstActive_ = false; });
}

void UndoHistory::UndoRedoInit() {
    undoPosition_ = -1;
    undoTop_ = -1;
}

void UndoHistory::Snapshot(int slot) {
    slots_[slot] = store_;
}

void UndoHistory::RecordUndoPoint() {
    if (undoPosition_ < kSlotCount - 1) {
        ++undoPosition_;
        Snapshot(undoPosition_);
    } else {
        // Full: drop the oldest snapshot.
        std::move(slots_.begin() + 1, slots_.end(), slots_.begin());
        Snapshot(kSlotCount - 1);
    }
    if (undoTop_ < undoPosition_) {
        undoTop_ = undoPosition_;
    }
}

void UndoHistory::RecordUndoPointOnce() {
    if (!editBurstActive_) {
        editBurstActive_ = true;
        RecordUndoPoint();
    }
    tmrMoveTimeout.start(); // restarts the pause
}

void UndoHistory::Restore(int slot, const SendRecordFn& send) {
    // Work from a copy: an edit recorded while the writes wait may shift the slots.
    const ParamStore target = slots_[slot];
    restoring_ = true;
    for (int g = 0; g < kGroupCount; ++g) {
        for (int a = 0; a < kAddressCount; ++a) {
            const ParamRecord& want = target.at(g, a);
            if (store_.at(g, a) == want) {
                continue;
            }
            store_.at(g, a) = want;
            if (send && !send(g, a)) {
                restoring_ = false;
                return; // the rest keep their current values
            }
        }
    }
    restoring_ = false;
}

bool UndoHistory::Undo(const SendRecordFn& send) {
    if (undoPosition_ == -1 || restoring_) {
        return false;
    }
    RecordUndoPoint();
    --undoPosition_;
    // Positions move before the writes, so the history is consistent even while they wait.
    const int slot = undoPosition_;
    --undoPosition_;
    Restore(slot, send);
    return true;
}

bool UndoHistory::Redo(const SendRecordFn& send) {
    if (undoTop_ == -1 || undoPosition_ + 2 > undoTop_ || restoring_) {
        return false;
    }
    const int slot = undoPosition_ + 2;
    ++undoPosition_;
    Restore(slot, send);
    return true;
}

} // namespace korva
