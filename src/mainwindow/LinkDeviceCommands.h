#pragma once
// DeviceCommands over the program's processor service.

#include "mainwindow/DeviceCommands.h"

namespace korva {

class Processor;

class LinkDeviceCommands : public DeviceCommands {
public:
    explicit LinkDeviceCommands(Processor& processor) : processor_(processor) {}

    bool IsOnline() const override;
    bool SendCommand(int command, int group, int address, int value, int answerTimeoutMs) override;
    bool WriteRecord(int group, int address, int value) override;
    QByteArray Answer() const override;
    QString ImportPreset(const QString& path) override;

private:
    Processor& processor_;
};

} // namespace korva
