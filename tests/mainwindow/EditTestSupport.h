#pragma once
// Helpers of the editing tests: the write frames the processor received, the exact frame of one record
// write, and real mouse and wheel events for the window's controls.

#include "TestWorld.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <functional>
#include <vector>

namespace korva::test {

// The processor's answer to a frame also tells what the locked control looked like at that moment.
inline void RecordWhileWriting(TestWorld& world, std::function<void()> probe) {
    world.Device.SetReplyFilter([probe = std::move(probe)](const QByteArray&) {
        probe();
        return true;
    });
}

// Single-parameter writes (command 0) the processor received, in order.
inline std::vector<QByteArray> RecordWrites(const TestWorld& world) {
    std::vector<QByteArray> writes;
    for (const QByteArray& frame : world.Device.ReceivedFrames()) {
        if (frame.size() == kSingleFrameLength && (uint8_t(frame[1]) >> 4) == kCmdWriteRecord) {
            writes.push_back(frame);
        }
    }
    return writes;
}

// The frame of a record write: FE, group, address, three data bytes, checksum.
inline QByteArray WriteFrame(int group, int address, int d1, int d2 = 0, int d3 = 0) {
    QByteArray frame;
    for (int b : {int(kFrameStart), group, address, d1, d2, d3}) {
        frame.append(char(uint8_t(b)));
    }
    frame.append(char(FrameChecksum(frame)));
    return frame;
}

// The whole stored record of (group, address), as a write with value 0xFF sends it.
inline QByteArray StoredRecordFrame(TestWorld& world, int group, int address) {
    const ParamRecord& r = world.Model().Store.at(group, address);
    return WriteFrame(group, address, r.DATA1, r.DATA2, r.DATA3);
}

// Online with the device's whole memory read, and nothing recorded yet.
inline bool OnlineAndCleared(TestWorld& world) {
    if (!world.GoOnline()) {
        return false;
    }
    world.Device.ClearRecordings();
    world.Messages.Clear();
    return true;
}

inline void SendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButtons held,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, modifiers);
    QApplication::sendEvent(widget, &event);
}

inline void Press(QWidget* widget, QPointF at) {
    SendMouse(widget, QEvent::MouseButtonPress, at, Qt::LeftButton);
}
inline void Move(QWidget* widget, QPointF at) {
    SendMouse(widget, QEvent::MouseMove, at, Qt::LeftButton);
}
inline void Release(QWidget* widget, QPointF at) {
    SendMouse(widget, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

inline void Wheel(QWidget* widget, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                  Qt::MouseButtons buttons = Qt::NoButton) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QWheelEvent event(at, widget->mapToGlobal(at), QPoint(), QPoint(0, delta), buttons, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

} // namespace korva::test
