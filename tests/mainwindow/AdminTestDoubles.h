#pragma once
// Recording stand-ins for the message boxes, the device link, the main window and the file dialogs.

#include "mainwindow/DeviceCommands.h"
#include "mainwindow/MainWindowHooks.h"
#include "mainwindow/PresetFileDialogs.h"
#include "model/MessageService.h"
#include "model/ParamStore.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace korva::testing {

struct ShownMessage {
    MessageIcon icon;
    QString text;
};

class MessageRecorder : public MessageService {
public:
    void Show(MessageIcon icon, const QString& text, const QString& = QString()) override {
        shown.push_back({icon, text});
    }
    bool Ask(const QString& text, const QString& = QString()) override {
        asked << text;
        return answer;
    }
    void Beep() override { ++beeps; }

    QStringList Texts() const {
        QStringList texts;
        for (const ShownMessage& m : shown) {
            texts << m.text;
        }
        return texts;
    }

    std::vector<ShownMessage> shown;
    QStringList asked;
    bool answer = true;
    int beeps = 0;
};

struct SentCommand {
    int command, group, address, value, timeoutMs;
    QByteArray payload; // what the frame carried from the model: menu bytes (6) or the password (8)
    friend bool operator==(const SentCommand&, const SentCommand&) = default;
};

// Answers every command at once unless fail says otherwise; a failure takes it offline like the link.
class FakeDevice : public DeviceCommands {
public:
    explicit FakeDevice(ParamModel& model) : model_(model) {}

    bool IsOnline() const override { return online; }
    bool SendCommand(int command, int group, int address, int value, int timeoutMs) override {
        QByteArray payload;
        if (command == device_command::kWriteMenuBlock) {
            for (int a = address; a < address + BlockSize(address); ++a) {
                payload.append(char(model_.MenuShow[a]));
            }
        } else if (command == device_command::kWritePassword) {
            for (uint8_t b : model_.DevicePassword) {
                payload.append(char(b));
            }
        }
        sent.push_back({command, group, address, value, timeoutMs, payload});
        if (fail && fail(sent.back())) {
            online = false;
            return false;
        }
        if (command == device_command::kReadPassword) {
            answer = devicePassword + QByteArray(1, '\0');
        } else if (command == device_command::kWritePassword) {
            devicePassword = payload;
        }
        return true;
    }
    QByteArray Answer() const override { return answer; }
    void DownloadAllToDevice(bool afterPresetImport) override {
        downloads.push_back(afterPresetImport);
        downloadedStore = model_.Store;
    }

    static int BlockSize(int address) { return address == 0x00 ? 41 : address == 0x40 ? 30 : 12; }

    bool online = true;
    QByteArray devicePassword = "Abc123456";
    QByteArray answer;
    std::function<bool(const SentCommand&)> fail;
    std::vector<SentCommand> sent;
    std::vector<bool> downloads;
    ParamStore downloadedStore;

private:
    ParamModel& model_;
};

class FakeWindow : public MainWindowHooks {
public:
    QWidget* DialogOwner() override { return nullptr; }
    void RefreshBoundControls(int flags, int address) override {
        calls << QStringLiteral("refresh %1,%2").arg(flags).arg(address);
    }
    void RecordUndoPoint() override { calls << QStringLiteral("undo point"); }
    void UndoRedoInit() override { calls << QStringLiteral("undo init"); }
    void SetMainWindowEnabled(bool enabled) override {
        calls << (enabled ? QStringLiteral("enable") : QStringLiteral("disable"));
    }
    int LockButtonValue() const override { return lockValue; }
    void SetLockButtonValue(int value) override {
        lockValue = value;
        calls << QStringLiteral("lock value %1").arg(value);
    }

    QStringList calls;
    int lockValue = 0;
};

class FakeFileDialogs : public PresetFileDialogs {
public:
    QString ChoosePresetFileToSave() override {
        ++saveDialogs;
        return saveName;
    }
    QString ChoosePresetFileToOpen() override {
        ++openDialogs;
        return openName;
    }
    QString saveName;
    QString openName;
    int saveDialogs = 0;
    int openDialogs = 0;
};

} // namespace korva::testing
