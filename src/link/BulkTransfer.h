#pragma once
// Moves the processor's whole parameter memory at once: the read right after the link comes up, and the
// download from the download button or after a preset import.

#include <QByteArray>
#include <QObject>
#include <vector>

class QTimer;

namespace korva {

// One block command of a bulk transfer.
struct BulkBlock {
    int Command = 0;
    int Group = 0;
    int FirstAddress = 0;
};

class Communications;
class MessageService;
struct ParamModel;

class BulkTransfer : public QObject {
    Q_OBJECT
public:
    static constexpr int kBlockCommands = 25; // Common block + 8 groups x 3 blocks
    static constexpr int kProgressIntervalMs = 200;
    static constexpr int kBlockTimeoutMs = 1000;
    static constexpr int kFinishTimeoutMs = 4000;

    BulkTransfer(Communications& comm, ParamModel& model, MessageService& messages, QObject* parent = nullptr);

    // The 28 commands of a read: the Common block, the three blocks of every group, the three menu blocks.
    static const std::vector<BulkBlock>& ReadBlocks();
    // The 25 block writes of a download, in order (the closing command follows them).
    static const std::vector<BulkBlock>& DownloadBlocks();

    // Common block, the three blocks of every group, then the menu table; stops at the first failure and
    // always refreshes the screen and restarts the undo history. True when every command was answered.
    bool ReadAllFromDevice();
    // Common block and the three blocks of every group, then command 3 (download button) or command 4 for
    // CurrentGroup (after a preset import). True when every command, the closing one included, was
    // answered.
    bool DownloadAllToDevice(bool afterPresetImport);

    // The records (or menu bytes) of the answer to a read command of block into the model.
    static void StoreBlockAnswer(ParamModel& model, const BulkBlock& block, const QByteArray& answer);

    // True from the start of a read or download to its end (the main window is disabled meanwhile).
    bool InProgress() const { return inProgress_; }

    // Copies ProgressCount into the progress bar while it is shown.
    QTimer& Timer6() { return *timer6_; }

signals:
    // A block command (or the closing one, with its own command code) has ended: answered or not. Index
    // counts the commands of the running read or download from 0.
    void BlockDone(int index, const korva::BulkBlock& block, bool answered);
    // A read or download begins: no user input until TransferEnded; progress runs from 0 to maximum.
    void TransferStarted(int maximum);
    // The progress to show (it may run past the maximum: a read makes 28 commands).
    void ProgressChanged(int value);
    void TransferEnded();
    // A read has stored what it got (all of it, or the blocks before a failure): the whole image changed
    // and the undo history starts afresh from it.
    void MemoryRead();

private:
    bool BeginTransfer();
    void EndTransfer();

    bool SendBlock(int index, const BulkBlock& block, int answerTimeoutMs = kBlockTimeoutMs);
    bool RunReadSequence();
    bool RunDownloadSequence(bool afterPresetImport);

    Communications& comm_;
    ParamModel& model_;
    MessageService& messages_;
    QTimer* timer6_;
    bool inProgress_ = false;
};

} // namespace korva
