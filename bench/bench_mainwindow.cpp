// Figures of the main window: start-up of the real program to its first painted frame and its memory at
// that moment (offscreen, factory defaults, no device), and graph redraws in the window with the real
// skin and design data. The _2x figures are the same on a display at 200 % (Qt's scale factor 2).
#include "BenchRegistry.h"

#include "mainwindow/AppContext.h"
#include "mainwindow/graph/GraphPresenter.h"
#include "RecordingMessageService.h"
#include "mainwindow/frmEQ.h"
#include "sim/VirtualProcessor.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <cstdio>

using namespace korva;

namespace {

constexpr int kStartupRuns = 11;

// The program's start-up as korva-tuner runs it, ending after its first paint (bench/startup_probe.cpp).
QString ProbePath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/korva-startup-probe");
}

// The environment of a measured start: offscreen. Add to it to measure other settings (a scale factor).
QProcessEnvironment ProbeEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// Resident memory of a running process in MB, or a negative value when it cannot be read.
double ResidentMb(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return -1;
}

struct StartupRun {
    double Ms = -1;
    double RssMb = -1;
};

// The probe's environment on a display at `scale` device pixels per logical pixel.
QProcessEnvironment ScaledEnvironment(int scale) {
    QProcessEnvironment env = ProbeEnvironment();
    env.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    return env;
}

// Starts the probe, which prints one line at its first paint and then waits for its input to close.
StartupRun RunProbeOnce(const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    process.start(ProbePath(), {});
    StartupRun run;
    while (process.waitForReadyRead(10000)) {
        if (process.readAllStandardOutput().contains("first-paint")) {
            run.Ms = double(clock.nsecsElapsed()) / 1e6;
            run.RssMb = ResidentMb(process.processId());
            break;
        }
    }
    process.closeWriteChannel();
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
    }
    return run;
}

std::vector<StartupRun> StartupRuns(const QProcessEnvironment& env = ProbeEnvironment()) {
    std::vector<StartupRun> runs;
    if (!QFile::exists(ProbePath())) {
        std::fprintf(stderr, "bench_mainwindow: %s not built\n", qPrintable(ProbePath()));
        return runs;
    }
    for (int i = 0; i < kStartupRuns; ++i) {
        runs.push_back(RunProbeOnce(env));
    }
    return runs;
}

// A figure of this benchmark program measured again in a run of its own at `scale`: Qt fixes the
// display's scale when the application starts.
double FigureAtScale(const char* name, int scale) {
    QProcess process;
    process.setProcessEnvironment(ScaledEnvironment(scale));
    process.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(name)});
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return -1;
    }
    for (const QByteArray& line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && parts[0] == name) {
            return parts[1].toDouble();
        }
    }
    return -1;
}

// Median over the runs of one figure of a run; runs where it could not be taken are left out.
double MedianOf(const std::vector<StartupRun>& runs, double StartupRun::*figure) {
    std::vector<double> values;
    for (const StartupRun& run : runs) {
        if (run.*figure >= 0) {
            values.push_back(run.*figure);
        }
    }
    return bench::Median(values);
}

} // namespace

KORVA_BENCH(startup_ms) {
    r.Figure("startup_ms", MedianOf(StartupRuns(), &StartupRun::Ms), "ms");
}

KORVA_BENCH(rss_mb) {
    r.Figure("rss_mb", MedianOf(StartupRuns(), &StartupRun::RssMb), "MB");
}

KORVA_BENCH(startup_ms_2x) {
    r.Figure("startup_ms_2x", MedianOf(StartupRuns(ScaledEnvironment(2)), &StartupRun::Ms), "ms");
}

KORVA_BENCH(rss_mb_2x) {
    r.Figure("rss_mb_2x", MedianOf(StartupRuns(ScaledEnvironment(2)), &StartupRun::RssMb), "MB");
}

// The window's own redraw path (the one tmrDrawWave and the frame-rate test take), music channel with its
// eight points, real skin, design size.
KORVA_BENCH(graph_redraw_fps_window) {
    RecordingMessageService messages;
    sim::VirtualProcessor device;
    AppContext context(messages, device);
    std::unique_ptr<frmEQ> window = frmEQ::Start(context, frmEQ::DefaultDesignText());
    if (!window) {
        std::fprintf(stderr, "bench_mainwindow: the window did not start\n");
        return;
    }
    GraphPresenter& graph = window->Graph();
    for (int i = 0; i < 20; ++i) {
        graph.RedrawGraph();
    }
    constexpr int kBatch = 50;
    const double us = bench::MedianMicros(15, [&graph] {
        for (int i = 0; i < kBatch; ++i) {
            graph.RedrawGraph();
        }
    });
    r.Figure("graph_redraw_fps_window", 1e6 * kBatch / us, "fps");
}

KORVA_BENCH(graph_redraw_fps_window_2x) {
    r.Figure("graph_redraw_fps_window_2x", FigureAtScale("graph_redraw_fps_window", 2), "fps");
}
