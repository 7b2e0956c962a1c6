// Figures of editing in the main window, against the virtual processor with its USB timing model on:
// a point dragged across the whole graph by a pointer that moves every 4 ms (writes and redraws per
// second, and how often the graph was still behind the pointer), and the round trip of one undo online.
#include "BenchRegistry.h"

#include "eq/GraphLayout.h"
#include "link/FrameProtocol.h"
#include "mainwindow/AppContext.h"
#include "mainwindow/graph/GraphInteraction.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "mainwindow/graph/GraphView.h"
#include "RecordingMessageService.h"
#include "mainwindow/frmEQ.h"
#include "sim/VirtualProcessor.h"
#include "widgets/SimpControl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>

using namespace korva;

namespace {

constexpr int kPointerIntervalMs = 4;
constexpr int kPointerStepPx = 4;
constexpr int kDraggedSlot = 3; // music band 3, 1 kHz
constexpr int kUndoRuns = 21;

// The real window on a virtual processor with the USB timing model, online.
struct BenchWorld {
    RecordingMessageService Messages;
    sim::VirtualProcessor Device;
    AppContext Context{Messages, Device};
    std::unique_ptr<frmEQ> Window;

    bool Start() {
        Device.SetTimingModel(true);
        Window = frmEQ::Start(Context, frmEQ::DefaultDesignText());
        if (!Window || !Context.Link.Supervisor().GoOnline()) {
            std::fprintf(stderr, "bench_editing: the window did not start or did not go online\n");
            return false;
        }
        Device.ClearRecordings();
        return true;
    }

    int RecordWrites() const {
        int count = 0;
        for (const QByteArray& frame : Device.ReceivedFrames()) {
            count += frame.size() == kSingleFrameLength && (uint8_t(frame[1]) >> 4) == kCmdWriteRecord;
        }
        return count;
    }
};

void SendMouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButtons held) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

struct DragFigures {
    double WritesPerS = 0;
    double RedrawsPerS = 0;
    int MovesBehind = 0;     // moves that came before the previous move had been drawn
    int MostMovesBehind = 0; // the most moves the graph was ever behind the pointer
    bool DeviceHasLastValues = false;
};

DragFigures DragAcrossTheGraph() {
    DragFigures figures;
    BenchWorld world;
    if (!world.Start()) {
        return figures;
    }
    GraphView* picture = world.Window->Controls().Picture1;
    GraphPresenter& graph = world.Window->Graph();
    const EqState& eq = world.Context.Eq;
    const int width = eq.Geometry.CanvasWidth;
    const QPointF start = MarkerCentre(eq.Geometry, eq.Points[kDraggedSlot]);
    SendMouse(picture, QEvent::MouseButtonPress, start, Qt::LeftButton);

    // The pointer sweeps from the left edge to the right edge and back, rising and falling.
    QElapsedTimer clock;
    const int redrawsBefore = graph.RedrawCount();
    int step = 0;
    int lastDrawn = graph.RedrawCount();
    int behindRun = 0;
    const int steps = 2 * width / kPointerStepPx;
    QEventLoop loop;
    QTimer pointer;
    pointer.setTimerType(Qt::PreciseTimer);
    pointer.setInterval(kPointerIntervalMs);
    QObject::connect(&pointer, &QTimer::timeout, [&] {
        if (step > 0 && graph.RedrawCount() == lastDrawn) {
            ++figures.MovesBehind;
            figures.MostMovesBehind = std::max(figures.MostMovesBehind, ++behindRun);
        } else {
            behindRun = 0;
        }
        lastDrawn = graph.RedrawCount();
        const int travelled = step * kPointerStepPx;
        const double x = travelled <= width ? travelled : 2 * width - travelled;
        const double y = 30 + (travelled % 300);
        SendMouse(picture, QEvent::MouseMove, QPointF(x, y), Qt::LeftButton);
        if (++step > steps) {
            pointer.stop();
            loop.quit();
        }
    });
    clock.start();
    pointer.start();
    loop.exec();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const int writes = world.RecordWrites();
    const int redraws = graph.RedrawCount() - redrawsBefore;
    SendMouse(picture, QEvent::MouseButtonRelease, start, Qt::NoButton);

    // The last move's write follows the next redraw.
    QElapsedTimer settle;
    settle.start();
    while (world.Window->GraphEditing().PendingPointWrite != GraphInteraction::kNoPendingWrite &&
           settle.elapsed() < 2000) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const uint8_t address = eq.Points[kDraggedSlot].Address;
    figures.DeviceHasLastValues =
        world.Device.Memory().Store.at(0, address) == world.Context.Model.Store.at(0, address);
    figures.WritesPerS = writes / seconds;
    figures.RedrawsPerS = redraws / seconds;
    std::fprintf(stderr,
                 "bench_editing: drag %d moves in %.2f s, %d redraws, %d writes, %d moves behind (at most %d "
                 "at once), device %s\n",
                 steps, seconds, redraws, writes, figures.MovesBehind, figures.MostMovesBehind,
                 figures.DeviceHasLastValues ? "has the last values" : "DIFFERS");
    return figures;
}

const DragFigures& Drag() {
    static const DragFigures figures = DragAcrossTheGraph();
    return figures;
}

} // namespace

KORVA_BENCH(drag_writes_per_s) {
    r.Figure("drag_writes_per_s", Drag().WritesPerS, "1/s");
}

KORVA_BENCH(drag_redraws_per_s) {
    r.Figure("drag_redraws_per_s", Drag().RedrawsPerS, "1/s");
}

KORVA_BENCH(drag_moves_behind) {
    r.Figure("drag_moves_behind", Drag().MovesBehind, "moves");
}

KORVA_BENCH(drag_most_moves_behind) {
    r.Figure("drag_most_moves_behind", Drag().MostMovesBehind, "moves");
}

// Undo of one bypass click, online: one record differs, so one write.
KORVA_BENCH(undo_roundtrip_ms) {
    BenchWorld world;
    if (!world.Start()) {
        return;
    }
    SimpControl* bypass = world.Window->Controls().btnEQByPass;
    SimpControl* undo = world.Window->Controls().SimpControl4;
    std::vector<double> ms;
    int unexpectedWrites = 0;
    for (int i = 0; i < kUndoRuns; ++i) {
        bypass->SetValue(bypass->Value() == 0 ? 1 : 0);
        emit bypass->Click();
        world.Device.ClearRecordings();
        QElapsedTimer clock;
        clock.start();
        emit undo->Click();
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
        unexpectedWrites += world.RecordWrites() != 1;
    }
    if (unexpectedWrites) {
        std::fprintf(stderr, "bench_editing: %d undos did not send exactly one write\n", unexpectedWrites);
    }
    r.Figure("undo_roundtrip_ms", bench::Median(ms), "ms");
}
