#include "link/FrameProtocol.h"

namespace korva {

uint8_t FrameChecksum(QByteArrayView bytes) {
    unsigned sum = 0;
    for (char c : bytes) {
        sum += uint8_t(c);
    }
    const uint8_t low = uint8_t(sum & 0xFF);
    return low >= 0xFD ? 0 : low;
}

bool HasValidChecksum(QByteArrayView frame) {
    if (frame.isEmpty()) {
        return false;
    }
    return FrameChecksum(frame.first(frame.size() - 1)) == uint8_t(frame.back());
}

int BlockRecordCount(int firstAddress) {
    switch (firstAddress) {
    case 0x00:
        return 41;
    case 0x40:
        return 30;
    case 0x80:
        return 12;
    case 0xC0:
        return 16;
    default:
        return 0;
    }
}

namespace {

char Byte(int value) {
    return char(uint8_t(value));
}

void AppendChecksum(QByteArray& frame) {
    frame.append(Byte(FrameChecksum(frame)));
}

QByteArray FrameHead(int command, int group, int address) {
    QByteArray frame;
    frame.append(Byte(kFrameStart));
    frame.append(Byte((command << 4) | (group & 0x0F)));
    frame.append(Byte(address));
    return frame;
}

QByteArray BlockFrame(const ParamModel& model, int command, int group, int address) {
    const int count = BlockRecordCount(address);
    QByteArray frame = FrameHead(command, group, address);
    frame.append(Byte(count * 3 + 5));
    for (int i = 0; i < count; ++i) {
        if (command == kCmdWriteMenuBlock) {
            frame.append(Byte(model.MenuShow[size_t(address + i)]));
            frame.append(Byte(kFillerByte));
            frame.append(Byte(kFillerByte));
        } else {
            const ParamRecord& record = model.Store.at(group, address + i);
            frame.append(Byte(record.DATA1));
            frame.append(Byte(record.DATA2));
            frame.append(Byte(record.DATA3));
        }
    }
    AppendChecksum(frame);
    return frame;
}

QByteArray PasswordFrame(const ParamModel& model, int group, int address) {
    QByteArray frame = FrameHead(kCmdWritePassword, group, address);
    frame.append(Byte(kPasswordFrameLength));
    for (uint8_t c : model.DevicePassword) {
        frame.append(Byte(c));
    }
    AppendChecksum(frame);
    return frame;
}

QByteArray SingleFrame(const ParamModel& model, int command, int group, int address, int value) {
    QByteArray frame = FrameHead(command, group, address);
    if (value == kRecordValueFromStore) {
        const ParamRecord& record = model.Store.at(group, address);
        frame.append(Byte(record.DATA1));
        frame.append(Byte(record.DATA2));
        frame.append(Byte(record.DATA3));
    } else {
        frame.append(Byte(value));
        frame.append(Byte(0x00));
        frame.append(Byte(command == kCmdHandshake ? kFillerByte : 0x00));
    }
    AppendChecksum(frame);
    return frame;
}

} // namespace

QByteArray BuildFrame(const ParamModel& model, int command, int group, int address, int value) {
    switch (command) {
    case kCmdWriteBlock:
    case kCmdWriteMenuBlock:
        return BlockFrame(model, command, group, address);
    case kCmdWritePassword:
        return PasswordFrame(model, group, address);
    default:
        return SingleFrame(model, command, group, address, value);
    }
}

int AnswerLengthFor(int command, int address) {
    switch (command) {
    case kCmdReadBlock:
    case kCmdReadMenuBlock:
        return BlockRecordCount(address) * 3 + 1;
    case kCmdReadPassword:
        return kPasswordAnswerLength;
    default:
        return kAckLength;
    }
}

QByteArray AcknowledgementFrame() {
    static const QByteArray ack = QByteArray::fromHex("FE232344");
    return ack;
}

bool StartsLikeAcknowledgement(QByteArrayView frame) {
    return frame.size() >= 3 && uint8_t(frame[0]) == kFrameStart && uint8_t(frame[1]) == kFillerByte &&
           uint8_t(frame[2]) == kFillerByte;
}

QString FormatLogBytes(QByteArrayView bytes) {
    QString text;
    text.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            text += QLatin1Char(',');
        }
        text += QStringLiteral("%1").arg(uint8_t(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
    }
    return text;
}

} // namespace korva
