#pragma once
// Recording stand-ins for the message boxes, the device link, the main window and the file dialogs.

#include "link/FrameProtocol.h"
#include "mainwindow/admin/CmdPassword.h"
#include "mainwindow/DeviceCommands.h"
#include "ops/ParamImage.h"
#include "mainwindow/MainWindowHooks.h"
#include "mainwindow/admin/MenuShowFrm.h"
#include "mainwindow/presets/PresetFileDialogs.h"
#include "RecordingMessageService.h"
#include "model/ParamStore.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace korva::testing {

inline QStringList Texts(const RecordingMessageService& messages) {
    QStringList texts;
    for (const RecordingMessageService::Message& m : messages.Messages()) {
        texts << m.Text;
    }
    return texts;
}

// Answers yes unless told otherwise.
class MessageRecorder : public RecordingMessageService {
public:
    MessageRecorder() { SetDefaultAnswer(true); }
    QStringList Texts() const { return testing::Texts(*this); }
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
        if (command == kCmdWriteMenuBlock) {
            for (int a = address; a < address + BlockSize(address); ++a) {
                payload.append(char(model_.MenuShow[a]));
            }
        } else if (command == kCmdWritePassword) {
            for (uint8_t b : model_.DevicePassword) {
                payload.append(char(b));
            }
        }
        sent.push_back({command, group, address, value, timeoutMs, payload});
        if (fail && fail(sent.back())) {
            online = false;
            return false;
        }
        if (command == kCmdReadPassword) {
            answer = devicePassword + QByteArray(1, '\0');
        } else if (command == kCmdWritePassword) {
            devicePassword = payload;
        }
        return true;
    }
    bool WriteRecord(int group, int address, int value) override {
        return SendCommand(kCmdWriteRecord, group, address, value, kWriteRecordTimeoutMs);
    }
    QByteArray Answer() const override { return answer; }
    // The processor's import as far as the model and the device go: applied (imports) and, online,
    // downloaded after the import (downloads, downloadedStore).
    QString ImportPreset(const QString& path) override {
        QString error = LoadPresetIntoModel(model_, path);
        if (error.isEmpty()) {
            imports << path;
            if (online) {
                downloads.push_back(true);
                downloadedStore = model_.Store;
            }
        }
        return error;
    }

    static int BlockSize(int address) { return address == 0x00 ? 41 : address == 0x40 ? 30 : 12; }

    bool online = true;
    QByteArray devicePassword = "Abc123456";
    QByteArray answer;
    std::function<bool(const SentCommand&)> fail;
    std::vector<SentCommand> sent;
    QStringList imports;
    std::vector<bool> downloads;
    ParamStore downloadedStore;

private:
    ParamModel& model_;
};

class FakeWindow : public MainWindowHooks {
public:
    QWidget* DialogOwner() override { return nullptr; }
    void RecordUndoPoint() override { calls << QStringLiteral("undo point"); }
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

// Stands in for exec(): shows the dialog, lets the test's step act in it, then closes it as the window's
// close button would if the step left it open. No step for a dialog: it is closed at once.
struct DialogScript {
    void operator()(QDialog& dialog) {
        shown << dialog.objectName();
        dialog.show();
        if (auto* p = qobject_cast<CmdPassword*>(&dialog); p && password) {
            password(*p);
        } else if (auto* e = qobject_cast<MenuShowFrm*>(&dialog); e && editor) {
            editor(*e);
        }
        if (dialog.isVisible()) {
            dialog.reject();
        }
    }
    std::function<void(CmdPassword&)> password;
    std::function<void(MenuShowFrm&)> editor;
    QStringList shown; // object names of the dialogs in the order they opened
};

} // namespace korva::testing
