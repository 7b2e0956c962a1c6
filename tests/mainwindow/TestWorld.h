#pragma once
// A fresh world for one main-window test: a recording message service, a link whose state the test sets,
// the program context and the window built from the test design data (or any other design text).

#include "mainwindow/AppContext.h"
#include "mainwindow/LinkPort.h"
#include "mainwindow/RecordingMessageService.h"
#include "mainwindow/frmEQ.h"

#include <QFile>
#include <QString>
#include <memory>
#include <vector>

namespace korva::test {

// A link that is as online or busy as the test says and records every command.
class FakeLink : public LinkPort {
public:
    struct Command {
        int Code = 0;
        int Group = 0;
        int Address = 0;
        int Value = 0;
        int TimeoutMs = 0;
        friend bool operator==(const Command&, const Command&) = default;
    };

    bool Online = false;
    bool Busy = false;
    bool Closing = false;
    bool LogSyncWordsOn = false;
    int Attempts = 0;
    int LogRefreshStops = 0;
    std::vector<Command> Commands;

    bool IsOnline() const override { return Online; }
    bool LinkBusy() const override { return Busy; }
    void SetAppClosing() override { Closing = true; }
    bool AppClosing() const override { return Closing; }
    bool SendCommand(int command, int group, int address, int value, int timeoutMs) override {
        Commands.push_back({command, group, address, value, timeoutMs});
        return Online;
    }
    void ConnectionAttempt() override { ++Attempts; }
    void SetLogSyncWords(bool on) override { LogSyncWordsOn = on; }
    void StopLogRefresh() override { ++LogRefreshStops; }
};

inline QString TestDesignText() {
    QFile file(QStringLiteral(KORVA_TEST_DESIGN));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

struct TestWorld {
    RecordingMessageService Messages;
    FakeLink* Link = new FakeLink;
    AppContext Context{Messages, std::unique_ptr<LinkPort>(Link)};
    std::unique_ptr<frmEQ> Window;
    QString Error;

    // Builds the window from the design text without loading it.
    bool Create(const QString& design = TestDesignText()) {
        Window = frmEQ::Create(Context, design, &Error);
        return Window != nullptr;
    }
    // Builds and loads it, as the program does at start-up.
    bool Load(const QString& design = TestDesignText()) { return Create(design) && Window->FormLoad(); }

    const MainControls& C() const { return Window->Controls(); }
    ParamModel& Model() { return Context.Model; }
};

} // namespace korva::test
