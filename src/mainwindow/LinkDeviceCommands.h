#pragma once
// DeviceCommands over the program's device link.

#include "mainwindow/DeviceCommands.h"

namespace korva {

class BulkTransfer;
class Communications;
class DeviceLink;

class LinkDeviceCommands : public DeviceCommands {
public:
    explicit LinkDeviceCommands(DeviceLink& link);

    bool IsOnline() const override;
    bool SendCommand(int command, int group, int address, int value, int answerTimeoutMs) override;
    QByteArray Answer() const override;
    void DownloadAllToDevice(bool afterPresetImport) override;

private:
    Communications& comm_;
    BulkTransfer& bulk_;
};

} // namespace korva
