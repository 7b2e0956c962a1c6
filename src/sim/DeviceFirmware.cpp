#include "sim/DeviceFirmware.h"

#include "link/FrameProtocol.h"
#include "model/ParamDefaults.h"

namespace korva::sim {

namespace {

char Byte(int value) {
    return char(uint8_t(value));
}

QByteArray WithChecksum(QByteArray data) {
    data.append(Byte(FrameChecksum(data)));
    return data;
}

// Writes carry nothing back; "OK" and the command keep the answer from looking like an acknowledgement.
QByteArray WriteAnswer(int command) {
    return WithChecksum(QByteArray("OK") + Byte(command));
}

} // namespace

DeviceFirmware::DeviceFirmware() {
    FillTunedSetting(memory_);
}

void DeviceFirmware::FillTunedSetting(ParamModel& memory) {
    InitParamDefaults(memory, false);
    ParamStore& s = memory.Store;
    // Common: louder masters, input 3, power-on group 2, key shift centred, feedback suppression low.
    s.at(0, 0xC0).DATA1 = 32;
    s.at(0, 0xC1).DATA1 = 28;
    s.at(0, 0xC2).DATA1 = 36;
    s.at(0, 0xC3).DATA1 = 2;
    s.at(0, 0xC4).DATA1 = 1;
    s.at(0, 0xC8).DATA1 = 72;
    s.at(0, 0xCE).DATA1 = 5;
    s.at(0, 0xCF).DATA1 = 1;
    for (int g = 0; g < kGroupCount; ++g) {
        // Each group a different room: longer echo and reverb from MODEL 1 to MODEL 8.
        s.at(g, 0x80).DATA1 = uint8_t(58 + 3 * g);
        s.at(g, 0x81).DATA1 = uint8_t(20 + g);
        s.at(g, 0x83).DATA1 = uint8_t(52 + 2 * g);
        s.at(g, 0x84).DATA1 = uint8_t(24 + 3 * g);
        s.at(g, 0x85).DATA1 = uint8_t(28 + 2 * g);
        // Music: a little warmth at the bottom and air at the top (gain index 75 is flat).
        s.at(g, 0x03).DATA2 = uint8_t(60 - g);
        s.at(g, 0x09).DATA2 = 66;
        // Microphones: low-cut at about 100 Hz, less mud, more presence, a narrower presence band.
        s.at(g, 0x41).DATA1 = 23;
        s.at(g, 0x47).DATA2 = 84;
        s.at(g, 0x4D).DATA2 = 65;
        s.at(g, 0x4D).DATA3 = 20;
        s.at(g, 0x54).DATA1 = 23;
        // Bass a touch louder once the microphones open.
        s.at(g, 0x1A).DATA1 = uint8_t(54 + g);
    }
    memory.MenuShow[0x02] = 1; // music bypass hidden from the front panel
    memory.MenuShow[0x1B] = 1; // bass phase hidden
    const char* password = "KORVA2024";
    for (size_t i = 0; i < memory.DevicePassword.size(); ++i) {
        memory.DevicePassword[i] = uint8_t(password[i]);
    }
    memory.CurrentGroup = 0;
}

void DeviceFirmware::ClearRecordings() {
    frames_.clear();
    syncWords_ = 0;
    rejected_ = 0;
}

namespace {
bool IsBlockCommand(int command) {
    return command == kCmdWriteBlock || command == kCmdWriteMenuBlock;
}
} // namespace

int DeviceFirmware::ExpectedFrameLength() const {
    if (partial_.size() < 2) {
        return -1;
    }
    const int command = uint8_t(partial_[1]) >> 4;
    if (IsBlockCommand(command)) {
        // The length byte must fit the block its address names.
        if (partial_.size() < 4) {
            return -1;
        }
        const int length = uint8_t(partial_[3]);
        return length == BlockRecordCount(uint8_t(partial_[2])) * 3 + 5 ? length : 0;
    }
    return command == kCmdWritePassword ? kPasswordFrameLength : kSingleFrameLength;
}

std::vector<DeviceFirmware::Reply> DeviceFirmware::Receive(QByteArrayView bytes) {
    std::vector<Reply> replies;
    for (char c : bytes) {
        const uint8_t b = uint8_t(c);
        if (partial_.isEmpty()) {
            if (b == kSyncWord) {
                ++syncWords_;
                replies.push_back({true, -1, {}, {}});
            } else if (b == kFrameStart) {
                partial_.append(c);
            }
            continue; // anything else between frames is line noise
        }
        partial_.append(c);
        const int length = ExpectedFrameLength();
        if (length < 0) {
            continue;
        }
        if (length == 0) {
            ++rejected_;
            partial_.clear();
            continue;
        }
        if (partial_.size() < length) {
            continue;
        }
        const QByteArray frame = partial_;
        partial_.clear();
        if (!HasValidChecksum(frame)) {
            ++rejected_;
            continue;
        }
        frames_.push_back(frame);
        replies.push_back({false, uint8_t(frame[1]) >> 4, frame, Execute(frame)});
    }
    return replies;
}

QByteArray DeviceFirmware::Execute(const QByteArray& frame) {
    const int command = uint8_t(frame[1]) >> 4;
    const int group = uint8_t(frame[1]) & 0x07;
    const int address = uint8_t(frame[2]);
    const int count = BlockRecordCount(address);
    auto at = [&](int index) { return uint8_t(frame[index]); };
    QByteArray data;
    switch (command) {
    case kCmdWriteRecord:
        memory_.Cell(group, address) = {at(3), at(4), at(5)};
        return WriteAnswer(command);
    case kCmdReadBlock:
        for (int i = 0; i < count; ++i) {
            const ParamRecord& r = memory_.Cell(group, address + i);
            data.append(Byte(r.DATA1)).append(Byte(r.DATA2)).append(Byte(r.DATA3));
        }
        return WithChecksum(data);
    case kCmdWriteBlock:
        for (int i = 0; i < count; ++i) {
            memory_.Cell(group, address + i) = {at(4 + 3 * i), at(5 + 3 * i), at(6 + 3 * i)};
        }
        return WriteAnswer(command);
    case kCmdFinishDownload:
        ++finishedDownloads_;
        return WriteAnswer(command);
    case kCmdSelectGroup:
        memory_.CurrentGroup = uint8_t(group);
        return WriteAnswer(command);
    case kCmdReadMenuBlock:
        for (int i = 0; i < count; ++i) {
            data.append(Byte(memory_.MenuShow[size_t(address + i)]))
                .append(Byte(kFillerByte))
                .append(Byte(kFillerByte));
        }
        return WithChecksum(data);
    case kCmdWriteMenuBlock:
        for (int i = 0; i < count; ++i) {
            memory_.MenuShow[size_t(address + i)] = at(4 + 3 * i);
        }
        return WriteAnswer(command);
    case kCmdReadPassword:
        for (uint8_t c : memory_.DevicePassword) {
            data.append(Byte(c));
        }
        return WithChecksum(data);
    case kCmdWritePassword:
        for (size_t i = 0; i < memory_.DevicePassword.size(); ++i) {
            memory_.DevicePassword[i] = at(4 + int(i));
        }
        return WriteAnswer(command);
    case kCmdHandshake:
        return WithChecksum(QByteArray("\x33\x00", 2) + Byte(kFirmwareVersion));
    default:
        return WriteAnswer(command);
    }
}

} // namespace korva::sim
