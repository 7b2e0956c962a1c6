#include "link/FrameScanner.h"

#include "link/FrameProtocol.h"

#include <cstring>

namespace korva {

void FrameScanner::BeginCommand(int answerLength) {
    rxCount_ = 0;
    expectedLength_ = kAckLength;
    answerLength_ = answerLength;
}

void FrameScanner::Feed(QByteArrayView packet) {
    for (char c : packet) {
        const uint8_t b = uint8_t(c);
        if (b == kSyncWord) {
            listener_.OnSyncEcho();
        } else if (b == kToneResetByte) {
            listener_.OnToneReset();
        } else {
            if (rxCount_ == kRxBufferSize) {
                // Consume what can be consumed before giving up on a byte.
                Scan();
            }
            if (rxCount_ < kRxBufferSize) {
                rxBuffer_[size_t(rxCount_++)] = b;
            } else {
                ++droppedBytes_;
            }
        }
    }
    Scan();
}

void FrameScanner::Scan() {
    while (expectedLength_ > 0 && rxCount_ >= expectedLength_) {
        const int length = expectedLength_;
        const QByteArrayView frame(reinterpret_cast<const char*>(rxBuffer_.data()), length);
        // While the acknowledgement is awaited a frame of its length that is no acknowledgement can only
        // be an early answer when the answer is that short too; before a longer answer (a read) it is a
        // stray frame (a late answer to an earlier command). Its checksum is right, so it is skipped
        // without a checksum-failure line: whole, or up to an acknowledgement starting inside it.
        const bool earlyShortFrame = length == kAckLength && answerLength_ != kAckLength;
        if (!HasValidChecksum(frame)) {
            DiscardReceived(1);
            listener_.OnChecksumFailure();
        } else if (earlyShortFrame && !StartsLikeAcknowledgement(frame)) {
            int skip = 1;
            while (skip < length && uint8_t(frame[skip]) != kFrameStart) {
                ++skip;
            }
            DiscardReceived(skip);
        } else if (StartsLikeAcknowledgement(frame)) {
            DiscardReceived(length);
            expectedLength_ = answerLength_;
            listener_.OnAcknowledgement();
        } else {
            // Hand over a copy: the listener may feed or reset the scanner.
            const QByteArray answer = frame.toByteArray();
            DiscardReceived(length);
            listener_.OnAnswer(answer);
        }
    }
}

void FrameScanner::DiscardReceived(int count) {
    std::memmove(rxBuffer_.data(), rxBuffer_.data() + count, size_t(rxCount_ - count));
    rxCount_ -= count;
}

} // namespace korva
