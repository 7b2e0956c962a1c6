#pragma once
// A fresh device-link world per test: the virtual processor (timing model off), the parameter model, a
// recording message service, a recording main-window fake and the assembled link.

#include "link/DeviceLink.h"
#include "link/LinkUi.h"
#include "model/MessageService.h"
#include "model/ParamDefaults.h"
#include "sim/VirtualProcessor.h"

#include <QStringList>
#include <QTemporaryDir>
#include <vector>

namespace korva::test {

class RecordingMessages : public MessageService {
public:
    struct Entry {
        MessageIcon Icon;
        QString Text;
    };
    void Show(MessageIcon icon, const QString& text, const QString& = QString()) override {
        shown.push_back({icon, text});
    }
    bool Ask(const QString&, const QString& = QString()) override { return true; }
    void Beep() override {}

    QStringList Texts() const {
        QStringList texts;
        for (const Entry& e : shown) {
            texts << e.Text;
        }
        return texts;
    }
    std::vector<Entry> shown;
};

class RecordingLinkUi : public LinkUi {
public:
    void SetLinkIndicator(int value) override { indicator = value; }
    void UpdateSelectionIndicators() override { ++selectionUpdates; }
    void SetMainWindowEnabled(bool on) override { enabledChanges.push_back(on); }
    void SetProgressVisible(bool visible) override { progressVisible = visible; }
    bool IsProgressVisible() const override { return progressVisible; }
    void SetProgressMaximum(int maximum) override { progressMaximum = maximum; }
    void SetProgressValue(int value) override { progressValues.push_back(value); }
    void RefreshBoundControls(int flags, int address) override { refreshes.push_back({flags, address}); }
    void UndoRedoInit() override { ++undoInits; }
    void ResetToneSlider() override { ++toneResets; }

    int indicator = -1;
    int selectionUpdates = 0;
    std::vector<bool> enabledChanges;
    bool progressVisible = false;
    int progressMaximum = 100;
    std::vector<int> progressValues;
    std::vector<std::pair<int, int>> refreshes;
    int undoInits = 0;
    int toneResets = 0;
};

struct LinkWorld {
    LinkWorld() { InitParamDefaults(model, false); }

    Communications& comm() { return link.Comm(); }
    CommLog& log() { return link.Log(); }
    USB_Comm& usb() { return link.Usb(); }
    // The frames the device received, as upper-case hex.
    QStringList DeviceFrames() const {
        QStringList frames;
        for (const QByteArray& f : device.ReceivedFrames()) {
            frames << QString::fromLatin1(f.toHex().toUpper());
        }
        return frames;
    }

    sim::VirtualProcessor device;
    ParamModel model;
    RecordingMessages messages;
    RecordingLinkUi ui;
    QTemporaryDir logFolder;
    DeviceLink link{device, model, ui, messages, logFolder.path()};
};

// Frame bytes from hex text with optional blanks.
inline QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace korva::test
