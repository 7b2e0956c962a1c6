#pragma once
// A fresh world for one main-window test: a recording message service, a virtual processor on the HID
// side of the link, the program context and the window built from the test design data (or any other
// design text).

#include "link/FrameProtocol.h"
#include "mainwindow/AppContext.h"
#include "RecordingMessageService.h"
#include "mainwindow/frmEQ.h"
#include "sim/VirtualProcessor.h"
#include "widgets/AppStyle.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <memory>

namespace korva::test {

inline QString TestDesignText() {
    QFile file(QStringLiteral(KORVA_TEST_DESIGN));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

struct TestWorld {
    // The program's look, so that what a test sees is what users see.
    TestWorld() { ApplyAppStyle(); }

    RecordingMessageService Messages;
    sim::VirtualProcessor Device;
    AppContext Context{Messages, Device};
    std::unique_ptr<frmEQ> Window;
    QString Error;

    // Builds the window from the design text without loading it.
    bool Create(const QString& design = TestDesignText()) {
        Window = frmEQ::Create(Context, design, &Error);
        return Window != nullptr;
    }
    // Builds and loads it, as the program does at start-up.
    bool Load(const QString& design = TestDesignText()) { return Create(design) && Window->FormLoad(); }

    // The handshake and the whole read, as the connection timer does them.
    bool GoOnline() { return Context.Link.Supervisor().GoOnline(); }
    Communications& Comm() { return Context.Link.Comm(); }

    // How many frames with this command the processor has received.
    int FramesOf(int command) const {
        int count = 0;
        for (const QByteArray& frame : Device.ReceivedFrames()) {
            count += frame.size() > 1 && (uint8_t(frame[1]) >> 4) == command ? 1 : 0;
        }
        return count;
    }

    const MainControls& C() const { return Window->Controls(); }
    ParamModel& Model() { return Context.Model; }
};

} // namespace korva::test
