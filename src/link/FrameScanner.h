#pragma once
// Finds the device's checksummed frames in the byte stream that arrives in USB packets. The device's
// answers carry no start byte, so the scanner knows their length only from the command in progress: it
// looks for a 4-byte acknowledgement first and then for the answer, dropping one byte at a time when a
// checksum does not match.

#include <QByteArrayView>
#include <array>
#include <cstdint>

namespace korva {

class FrameScanner {
public:
    static constexpr int kRxBufferSize = 5001;

    class Listener {
    public:
        virtual ~Listener() = default;
        virtual void OnSyncEcho() = 0;  // a 0xFF byte: the device answered a sync word
        virtual void OnToneReset() = 0; // a 0xFD byte: the device reset its key shift
        virtual void OnAcknowledgement() = 0;
        virtual void OnAnswer(QByteArrayView frame) = 0; // checksum included
        virtual void OnChecksumFailure() = 0;            // one byte was dropped
    };

    explicit FrameScanner(Listener& listener) : listener_(listener) {}

    // A new command starts: forget what is buffered and look for its acknowledgement.
    void BeginCommand(int answerLength);
    void Feed(QByteArrayView packet);

    int RxCount() const { return rxCount_; }
    int ExpectedLength() const { return expectedLength_; }
    int AnswerLength() const { return answerLength_; }
    // Bytes that could not be buffered because the buffer was full of unconsumed bytes.
    long long DroppedBytes() const { return droppedBytes_; }

private:
    void Scan();
    void DiscardReceived(int count);

    Listener& listener_;
    std::array<uint8_t, kRxBufferSize> rxBuffer_{};
    int rxCount_ = 0;
    // Before the first command the device can only be acknowledging something.
    int expectedLength_ = 4;
    int answerLength_ = 4;
    long long droppedBytes_ = 0;
};

} // namespace korva
