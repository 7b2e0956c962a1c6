#pragma once
// Up to 30 whole-store snapshots for undo and redo. A restore writes back only the records that differ
// and hands each of them to the caller's send function (the device write when online).

#include "ParamStore.h"

#include <QObject>
#include <QTimer>
#include <array>
#include <functional>

namespace korva {

class UndoHistory : public QObject {
    Q_OBJECT
public:
    static constexpr int kSlotCount = 30;
    static constexpr int kBurstPauseMs = 1000;

    explicit UndoHistory(ParamStore& store, QObject* parent = nullptr);

    // Forgets every snapshot (start-up, after reading the device, after a preset import).
    void UndoRedoInit();

    // Snapshot of the state before an edit.
    void RecordUndoPoint();
    // The same, at most once per burst of continuous edits; a burst ends 1000 ms after its last change.
    void RecordUndoPointOnce();

    // Sends one restored record to the device; false stops the restore. Empty when offline.
    using SendRecordFn = std::function<bool(int group, int address)>;

    // Both return true when they restored a snapshot (the caller then refreshes every control). A press
    // while an earlier restore is still sending its records is ignored, so the history stays consistent.
    bool Undo(const SendRecordFn& send = {});
    bool Redo(const SendRecordFn& send = {});

    int UndoPosition() const { return undoPosition_; }
    int UndoTop() const { return undoTop_; }
    bool EditBurstActive() const { return editBurstActive_; }
    // True while a restore is still sending its records. Undo and redo presses are ignored meanwhile, and
    // so are the actions on the whole store (import, download, reset, the menu administration): run inside
    // the restore's wait, their result would be overwritten by the rest of the snapshot.
    bool IsRestoring() const { return restoring_; }

    QTimer tmrMoveTimeout;

private:
    void Snapshot(int slot);
    void Restore(int slot, const SendRecordFn& send);

    ParamStore& store_;
    std::array<ParamStore, kSlotCount> slots_{};
    int undoPosition_ = -1;
    int undoTop_ = -1;
    bool editBurstActive_ = false;
    bool restoring_ = false;
};

} // namespace korva
