#include "LinkDeviceCommands.h"

#include "link/DeviceLink.h"

namespace korva {

LinkDeviceCommands::LinkDeviceCommands(DeviceLink& link) : comm_(link.Comm()), bulk_(link.Bulk()) {}

bool LinkDeviceCommands::IsOnline() const {
    return comm_.IsOnline();
}

bool LinkDeviceCommands::SendCommand(int command, int group, int address, int value, int answerTimeoutMs) {
    return comm_.SendCommand(command, group, address, value, answerTimeoutMs);
}

QByteArray LinkDeviceCommands::Answer() const {
    return comm_.Answer();
}

void LinkDeviceCommands::DownloadAllToDevice(bool afterPresetImport) {
    bulk_.DownloadAllToDevice(afterPresetImport);
}

} // namespace korva
