#include "FaultInjector.h"

#include "SoakRandom.h"
#include "link/FrameProtocol.h"
#include "sim/VirtualProcessor.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

namespace korva::soak {

namespace {

// In a thousand steps: about ninety faults. A lost answer costs a whole answer time-out (1 s, 4 s for
// the end of a download), so those are rare; an unplug costs a reconnect (up to 2 s).
constexpr double kFaultChance = 0.09;

enum class Fault {
    DropAcks,
    DropAnswer,
    CorruptAnswer,
    Noise,
    FrameNoise,
    Delay,
    FailWrites,
    ThrowOnWrite,
    ToneReset,
    Unplug,
};

struct FaultKind {
    Fault Kind;
    const char* Name;
    int Weight;
};
constexpr std::array<FaultKind, 10> kFaults{{
    {Fault::DropAcks, "drop acknowledgements", 22},
    {Fault::DropAnswer, "drop an answer", 1},
    {Fault::CorruptAnswer, "corrupt an answer's checksum", 1},
    {Fault::Noise, "noise before a reply", 14},
    {Fault::FrameNoise, "noise that adds up to a frame", 10},
    {Fault::Delay, "delay a reply", 18},
    {Fault::FailWrites, "fail writes", 12},
    {Fault::ThrowOnWrite, "throw on a write", 4},
    {Fault::ToneReset, "tone reset", 8},
    {Fault::Unplug, "unplug", 2},
}};

} // namespace

FaultInjector::FaultInjector(sim::VirtualProcessor& device, SoakRandom& random)
    : device_(device), random_(random), transferRandom_(random.NextSeed()) {
    clock_.start();
}

bool FaultInjector::Unplugged() const {
    return !device_.IsPlugged();
}

void FaultInjector::MaybeInject(bool online) {
    // Offline only the handshake meets them, once every 2 s: a few go a long way.
    if (!random_.Chance(online ? kFaultChance : kFaultChance / 4)) {
        return;
    }
    // A little later for some: inside the exchange, read or download that runs by then.
    const int delayMs = random_.Chance(0.3) ? random_.Int(0, 30) : -1;
    Inject(random_, delayMs);
}

void FaultInjector::WatchTransfers(QWidget* progressBar) {
    progressBar->installEventFilter(this);
}

// A whole read or download is a few dozen exchanges in a row: the line is noisy right then, too.
bool FaultInjector::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShowToParent && !cleared_ && transferRandom_.Chance(0.7)) {
        for (int n = transferRandom_.Int(1, 3); n > 0; --n) {
            Inject(transferRandom_, transferRandom_.Int(0, 80));
        }
    }
    return QObject::eventFilter(watched, event);
}

// Every draw happens now, whenever the fault lands: the same seed draws the same numbers.
void FaultInjector::Inject(SoakRandom& random, int delayMs) {
    std::array<int, kFaults.size()> weights{};
    for (size_t i = 0; i < kFaults.size(); ++i) {
        weights[i] = kFaults[i].Weight;
    }
    const size_t index = random.Weighted(weights);
    ++counts_[QString::fromLatin1(kFaults[index].Name)];
    std::function<void()> fault = Arm(random, int(kFaults[index].Kind));
    if (delayMs < 0) {
        fault();
        return;
    }
    QTimer::singleShot(delayMs, this, [this, fault] {
        if (!cleared_) {
            fault();
        }
    });
}

// Three bytes and their checksum: a short frame that checks out but is neither an acknowledgement nor
// anything the processor said.
QByteArray FaultInjector::FrameLikeNoise(SoakRandom& random) {
    QByteArray noise = random.Bytes(3);
    if (uint8_t(noise[0]) == kFrameStart) {
        noise[0] = 0x01;
    }
    return noise + char(FrameChecksum(noise));
}

std::function<void()> FaultInjector::Arm(SoakRandom& random, int kind) {
    sim::VirtualProcessor& d = device_;
    switch (Fault(kind)) {
    case Fault::DropAcks:
        return [&d, n = random.Int(1, 3)] { d.DropNextAcks(n); };
    case Fault::DropAnswer:
        return [&d] { d.DropNextAnswers(1); };
    case Fault::CorruptAnswer:
        return [&d] { d.CorruptNextAnswerChecksums(1); };
    case Fault::Noise:
        return [&d, noise = random.Bytes(random.Int(1, 6))] { d.InsertNoiseBeforeNextReply(noise); };
    case Fault::FrameNoise:
        return [&d, noise = FrameLikeNoise(random)] { d.InsertNoiseBeforeNextReply(noise); };
    case Fault::Delay:
        return [&d, ms = random.Int(1, 60)] { d.DelayNextReplyMs(ms); };
    case Fault::FailWrites:
        return [&d, n = random.Int(1, 2)] { d.FailNextWrites(n); };
    case Fault::ThrowOnWrite:
        ++throwsArmed_;
        return [&d] { d.ThrowOnNextWrites(1); };
    case Fault::ToneReset:
        return [&d] { d.SendToneReset(); };
    case Fault::Unplug:
        break;
    }
    // A glitch or a cable pulled out and put back; the next write or sync word notices.
    const int unpluggedMs = random.Int(20, 800);
    return [this, unpluggedMs] {
        if (device_.IsPlugged()) {
            device_.Unplug();
            replugAt_ = clock_.elapsed() + unpluggedMs;
        }
    };
}

void FaultInjector::Tick() {
    if (!device_.IsPlugged() && clock_.elapsed() >= replugAt_) {
        device_.Replug();
    }
}

void FaultInjector::ClearAll() {
    cleared_ = true;
    device_.DropNextAcks(0);
    device_.DropNextAnswers(0);
    device_.CorruptNextAnswerChecksums(0);
    device_.DelayNextReplyMs(0);
    device_.FailNextWrites(0);
    device_.ThrowOnNextWrites(0);
    if (!device_.IsPlugged()) {
        device_.Replug();
    }
}

QString FaultInjector::Summary() const {
    QStringList parts;
    for (const auto& [name, count] : counts_) {
        parts << QStringLiteral("%1 %2").arg(name).arg(count);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace korva::soak
