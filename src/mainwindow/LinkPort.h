#pragma once
// What the main window needs from the device link: its flags, the one blocking command exchange and the
// few switches the window flips at start-up and on closing. Until the link is wired in, the window runs
// with OfflineLinkStub and never leaves the offline state.

namespace korva {

class LinkPort {
public:
    virtual ~LinkPort() = default;

    virtual bool IsOnline() const = 0;
    // A command exchange is waiting for its answer.
    virtual bool LinkBusy() const = 0;
    // The window is closing: every wait ends at once.
    virtual void SetAppClosing() = 0;
    virtual bool AppClosing() const = 0;
    // The one blocking exchange with the processor; value 0xFF sends the stored record itself.
    virtual bool SendCommand(int command, int group, int address, int value, int answerTimeoutMs) = 0;
    // One tick of the connection timer: a handshake attempt while offline.
    virtual void ConnectionAttempt() = 0;
    // Logging of the sync-word traffic.
    virtual void SetLogSyncWords(bool on) = 0;
    // Stops the live refresh of the communication log window, if it is open.
    virtual void StopLogRefresh() = 0;
};

// The link before a device transport exists: always offline, nothing is ever sent.
class OfflineLinkStub : public LinkPort {
public:
    bool IsOnline() const override { return false; }
    bool LinkBusy() const override { return false; }
    void SetAppClosing() override { appClosing_ = true; }
    bool AppClosing() const override { return appClosing_; }
    bool SendCommand(int, int, int, int, int) override { return false; }
    void ConnectionAttempt() override {}
    void SetLogSyncWords(bool on) override { logSyncWords_ = on; }
    void StopLogRefresh() override {}

    bool LogSyncWords() const { return logSyncWords_; }

private:
    bool appClosing_ = false;
    bool logSyncWords_ = false;
};

} // namespace korva
