#pragma once
// A fresh device-link world per test: the virtual processor (timing model off), the parameter model, a
// recording message service, a recording main-window fake and the assembled link.

#include "link/DeviceLink.h"
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

// What the link announces, recorded as the main window would show it.
class RecordingLinkUi {
public:
    static constexpr int kLinkIndicatorOffline = 0;
    static constexpr int kLinkIndicatorOnline = 6;

    void Listen(DeviceLink& link) {
        QObject::connect(&link.Comm(), &Communications::OnlineChanged, [this](bool online) {
            indicator = online ? kLinkIndicatorOnline : kLinkIndicatorOffline;
            ++selectionUpdates;
        });
        QObject::connect(&link.Comm(), &Communications::ToneResetReceived, [this] { ++toneResets; });
        QObject::connect(&link.Bulk(), &BulkTransfer::TransferStarted, [this](int maximum) {
            enabledChanges.push_back(false);
            progressMaximum = maximum;
            progressValues.push_back(0);
            progressVisible = true;
        });
        QObject::connect(&link.Bulk(), &BulkTransfer::ProgressChanged,
                         [this](int value) { progressValues.push_back(value); });
        QObject::connect(&link.Bulk(), &BulkTransfer::TransferEnded, [this] {
            enabledChanges.push_back(true);
            progressVisible = false;
        });
        QObject::connect(&link.Bulk(), &BulkTransfer::MemoryRead, [this] {
            refreshes.push_back({0xFF, 255});
            ++undoInits;
        });
    }

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

// The frames a virtual processor received, as upper-case hex.
inline QStringList HexFrames(const sim::VirtualProcessor& device) {
    QStringList frames;
    for (const QByteArray& f : device.ReceivedFrames()) {
        frames << QString::fromLatin1(f.toHex().toUpper());
    }
    return frames;
}

struct LinkWorld {
    LinkWorld() {
        InitParamDefaults(model, false);
        ui.Listen(link);
    }

    Communications& comm() { return link.Comm(); }
    CommLog& log() { return link.Log(); }
    USB_Comm& usb() { return link.Usb(); }
    // The frames the device received, as upper-case hex.
    QStringList DeviceFrames() const { return HexFrames(device); }

    sim::VirtualProcessor device;
    ParamModel model;
    RecordingMessages messages;
    RecordingLinkUi ui;
    QTemporaryDir logFolder;
    DeviceLink link{device, model, messages, logFolder.path()};
};

// Frame bytes from hex text with optional blanks.
inline QByteArray Hex(const char* text) {
    return QByteArray::fromHex(QByteArray(text).replace(' ', ""));
}

} // namespace korva::test
