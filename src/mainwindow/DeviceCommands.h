#pragma once
// What the preset, password, menu and lock actions need from the processor. The main window hands them
// an adapter over the processor service; tests use a recording fake or the virtual processor.

#include <QByteArray>
#include <QString>

namespace korva {

class DeviceCommands {
public:
    virtual ~DeviceCommands() = default;

    virtual bool IsOnline() const = 0;
    // One blocking exchange (events keep running while it waits); false after the link has reported the
    // failure and gone offline.
    virtual bool SendCommand(int command, int group, int address, int value, int answerTimeoutMs) = 0;
    // The single-parameter write of one record (value: one byte, or the stored record); false offline
    // or when it failed.
    virtual bool WriteRecord(int group, int address, int value) = 0;
    // The answer of the SendCommand that succeeded last, checksum included.
    virtual QByteArray Answer() const = 0;
    // A preset file into the image, checked whole first; the screen follows, the undo history starts
    // afresh and, when online, the image is downloaded. Empty on success, else the user's message (and
    // nothing changed).
    virtual QString ImportPreset(const QString& path) = 0;
};

} // namespace korva
