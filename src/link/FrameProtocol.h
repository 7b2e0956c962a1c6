#pragma once
// The byte protocol of the processor: command codes, frame layouts and the checksum shared by both sides.

#include "model/ParamStore.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstdint>

namespace korva {

enum LinkCommand : int {
    kCmdWriteRecord = 0,
    kCmdReadBlock = 1,
    kCmdWriteBlock = 2,
    kCmdFinishDownload = 3,
    kCmdSelectGroup = 4,
    kCmdReadMenuBlock = 5,
    kCmdWriteMenuBlock = 6,
    kCmdReadPassword = 7,
    kCmdWritePassword = 8,
    kCmdHandshake = 15,
};

constexpr uint8_t kFrameStart = 0xFE;    // first byte of every frame the PC sends
constexpr uint8_t kSyncWord = 0xFF;      // keep-alive byte, echoed by the device
constexpr uint8_t kToneResetByte = 0xFD; // the device has reset its key shift
// 0xFD..0xFF mark frames and notifications: the link strips them from every answer, so they are never data.
constexpr uint8_t kFirstMarkerByte = 0xFD;
constexpr uint8_t kFillerByte = 0x23;
constexpr int kAckLength = 4;
constexpr int kPasswordFrameLength = 14;
constexpr int kPasswordAnswerLength = 10;
constexpr int kSingleFrameLength = 7;
constexpr int kRecordValueFromStore = 0xFF; // SendCommand value meaning "the stored record itself"
constexpr int kWriteRecordTimeoutMs = 1000;  // answer time-out of a single-parameter write

// Low 8 bits of the sum; the reserved values 0xFD..0xFF become 0 so a checksum never looks like a
// sync word, a notification or a frame start.
uint8_t FrameChecksum(QByteArrayView bytes);

// True when the last byte of frame is the checksum of the bytes before it.
bool HasValidChecksum(QByteArrayView frame);

// Records in the address block starting at firstAddress: 0x00 -> 41, 0x40 -> 30, 0x80 -> 12, 0xC0 -> 16,
// anything else 0.
int BlockRecordCount(int firstAddress);

// The frame the PC sends for one command, checksum included.
QByteArray BuildFrame(const ParamModel& model, int command, int group, int address, int value);

// Length of the device's answer (checksum included) to a command.
int AnswerLengthFor(int command, int address);

// The device's acknowledgement of a valid frame: FE 23 23 44.
QByteArray AcknowledgementFrame();
bool StartsLikeAcknowledgement(QByteArrayView frame);

// Bytes as the communication log writes them: "FE,00,C5" (upper-case, two digits, comma-separated).
QString FormatLogBytes(QByteArrayView bytes);

} // namespace korva
