#pragma once
// The processor's side of the protocol: reassembles the frames the PC sends, acknowledges every valid one
// and answers it from its own parameter memory.

#include "model/ParamStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace korva::sim {

class DeviceFirmware {
public:
    static constexpr uint8_t kFirmwareVersion = 0x12;

    // What the device sends back for the bytes it received, in order.
    struct Reply {
        bool SyncEcho = false; // a sync word: echo 0xFF, nothing else
        int Command = -1;
        QByteArray Frame;  // the frame that was answered
        QByteArray Answer; // the answer, checksum included (the acknowledgement is implied)
    };

    // Starts with a tuned setting that differs from the client's factory defaults.
    DeviceFirmware();

    std::vector<Reply> Receive(QByteArrayView bytes);
    // A replug loses a half-received frame.
    void ResetReceiver() { partial_.clear(); }

    // Memory: Store, MenuShow, DevicePassword; CurrentGroup is the active group.
    ParamModel& Memory() { return memory_; }
    const ParamModel& Memory() const { return memory_; }

    const std::vector<QByteArray>& ReceivedFrames() const { return frames_; }
    int SyncWordsReceived() const { return syncWords_; }
    int RejectedFrames() const { return rejected_; }
    int FinishedDownloads() const { return finishedDownloads_; }
    void ClearRecordings();

    static void FillTunedSetting(ParamModel& memory);

private:
    int ExpectedFrameLength() const;
    QByteArray Execute(const QByteArray& frame);

    ParamModel memory_;
    QByteArray partial_;
    std::vector<QByteArray> frames_;
    int syncWords_ = 0;
    int rejected_ = 0;
    int finishedDownloads_ = 0;
};

} // namespace korva::sim
