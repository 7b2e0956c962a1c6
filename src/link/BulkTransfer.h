#pragma once
// Moves the processor's whole parameter memory at once: the read right after the link comes up, and the
// download from the download button or after a preset import.

#include <QObject>

class QTimer;

namespace korva {

class Communications;
class LinkUi;
class MessageService;
struct ParamModel;

class BulkTransfer : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlockCommands = 25; // Common block + 8 groups x 3 blocks
    static constexpr int kProgressIntervalMs = 200;
    static constexpr int kBlockTimeoutMs = 1000;
    static constexpr int kFinishTimeoutMs = 4000;

    BulkTransfer(Communications& comm, ParamModel& model, LinkUi& ui, MessageService& messages,
                 QObject* parent = nullptr);

    // Common block, the three blocks of every group, then the menu table; stops at the first failure and
    // always refreshes the screen and restarts the undo history.
    void ReadAllFromDevice();
    // Common block and the three blocks of every group, then command 3 (download button) or command 4 for
    // CurrentGroup (after a preset import).
    void DownloadAllToDevice(bool afterPresetImport);

    // True from the start of a read or download to its end (the main window is disabled meanwhile).
    bool InProgress() const { return inProgress_; }

    // Copies ProgressCount into the progress bar while it is shown.
    QTimer& Timer6() { return *timer6_; }

private:
    bool BeginTransfer();
    void EndTransfer();
    bool ReadBlock(int command, int group, int firstAddress);
    void RunReadSequence();
    void RunDownloadSequence(bool afterPresetImport);

    Communications& comm_;
    ParamModel& model_;
    LinkUi& ui_;
    MessageService& messages_;
    QTimer* timer6_;
    bool inProgress_ = false;
};

} // namespace korva
