// Device-link figures against the virtual processor with its USB timing model on (one report per
// millisecond per direction, 0.5 ms reply delay).
#include "BenchRegistry.h"

#include "link/DeviceLink.h"
#include "link/FrameProtocol.h"
#include "model/MessageService.h"
#include "model/ParamDefaults.h"
#include "sim/VirtualProcessor.h"

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <sys/resource.h>

namespace {

using namespace korva;

class QuietMessages : public MessageService {
public:
    void Show(MessageIcon, const QString&, const QString&) override { ++shown; }
    bool Ask(const QString&, const QString&) override { return true; }
    void Beep() override {}
    int shown = 0;
};

struct BenchWorld {
    BenchWorld() {
        InitParamDefaults(model, false);
        device.SetTimingModel(true);
        device.SetReplyDelayMs(0.5);
    }
    sim::VirtualProcessor device;
    ParamModel model;
    QuietMessages messages;
    QTemporaryDir logFolder;
    DeviceLink link{device, model, messages, logFolder.path()};
};

void RunEventLoopFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

// Handshake to the end of the whole-memory read (handshake + 28 commands).
KORVA_BENCH(full_read_ms) {
    BenchWorld w;
    RunEventLoopFor(20); // the transport finds the device
    const double micros = bench::MedianMicros(7, [&]() { w.link.Supervisor().GoOnline(); });
    r.Figure("full_read_ms", micros / 1000.0, "ms");
}

// One single-parameter write, acknowledgement and answer included.
KORVA_BENCH(write_roundtrip_ms) {
    BenchWorld w;
    RunEventLoopFor(20);
    w.model.Store.at(0, 0xC5).DATA1 = 0x14;
    const double micros =
        bench::MedianMicros(60, [&]() { w.link.Comm().SendCommand(kCmdWriteRecord, 0, 0xC5, 0xFF, 1000); });
    r.Figure("write_roundtrip_ms", micros / 1000.0, "ms");
}

// Online and idle: 5 ms polling, a sync word every second, the periodic reopen of the device.
KORVA_BENCH(idle_cpu_pct) {
    BenchWorld w;
    RunEventLoopFor(20);
    w.link.Supervisor().GoOnline();
    std::vector<double> percents;
    for (int run = 0; run < 3; ++run) {
        const double cpu0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        RunEventLoopFor(2000);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        percents.push_back((CpuSeconds() - cpu0) / wall * 100.0);
    }
    if (!w.link.Comm().IsOnline() || w.messages.shown != 0) {
        std::fprintf(stderr, "idle_cpu_pct: the link dropped while idle\n");
    }
    r.Figure("idle_cpu_pct", bench::Median(percents), "%");
}
