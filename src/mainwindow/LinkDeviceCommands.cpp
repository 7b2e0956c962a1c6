#include "LinkDeviceCommands.h"

#include "processor/Processor.h"

namespace korva {

bool LinkDeviceCommands::IsOnline() const {
    return processor_.IsOnline();
}

bool LinkDeviceCommands::SendCommand(int command, int group, int address, int value, int answerTimeoutMs) {
    return processor_.Link().Comm().SendCommand(command, group, address, value, answerTimeoutMs);
}

bool LinkDeviceCommands::WriteRecord(int group, int address, int value) {
    return processor_.WriteRecord(group, address, value);
}

QByteArray LinkDeviceCommands::Answer() const {
    return processor_.Link().Comm().Answer();
}

QString LinkDeviceCommands::ImportPreset(const QString& path) {
    return processor_.ImportPreset(path);
}

} // namespace korva
