#include "FaultInjector.h"

#include "SoakRandom.h"
#include "sim/VirtualProcessor.h"

#include <QTimer>
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
constexpr std::array<FaultKind, 9> kFaults{{
    {Fault::DropAcks, "drop acknowledgements", 22},
    {Fault::DropAnswer, "drop an answer", 1},
    {Fault::CorruptAnswer, "corrupt an answer's checksum", 1},
    {Fault::Noise, "noise before a reply", 20},
    {Fault::Delay, "delay a reply", 18},
    {Fault::FailWrites, "fail writes", 12},
    {Fault::ThrowOnWrite, "throw on a write", 4},
    {Fault::ToneReset, "tone reset", 8},
    {Fault::Unplug, "unplug", 2},
}};

} // namespace

FaultInjector::FaultInjector(sim::VirtualProcessor& device, SoakRandom& random)
    : device_(device), random_(random) {
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
    std::array<int, kFaults.size()> weights{};
    for (size_t i = 0; i < kFaults.size(); ++i) {
        weights[i] = kFaults[i].Weight;
    }
    const size_t index = random_.Weighted(weights);
    ++counts_[QString::fromLatin1(kFaults[index].Name)];
    // Every draw happens now, whenever the fault lands: the same seed draws the same numbers.
    std::function<void()> fault = Arm(int(kFaults[index].Kind));
    if (random_.Chance(0.3)) {
        // A little later: inside the exchange, read or download that runs by then.
        QTimer::singleShot(random_.Int(0, 30), this, [this, fault] {
            if (!cleared_) {
                fault();
            }
        });
    } else {
        fault();
    }
}

std::function<void()> FaultInjector::Arm(int kind) {
    sim::VirtualProcessor& d = device_;
    switch (Fault(kind)) {
    case Fault::DropAcks:
        return [&d, n = random_.Int(1, 3)] { d.DropNextAcks(n); };
    case Fault::DropAnswer:
        return [&d] { d.DropNextAnswers(1); };
    case Fault::CorruptAnswer:
        return [&d] { d.CorruptNextAnswerChecksums(1); };
    case Fault::Noise:
        return [&d, noise = random_.Bytes(random_.Int(1, 6))] { d.InsertNoiseBeforeNextReply(noise); };
    case Fault::Delay:
        return [&d, ms = random_.Int(1, 60)] { d.DelayNextReplyMs(ms); };
    case Fault::FailWrites:
        return [&d, n = random_.Int(1, 2)] { d.FailNextWrites(n); };
    case Fault::ThrowOnWrite:
        ++throwsArmed_;
        return [&d] { d.ThrowOnNextWrites(1); };
    case Fault::ToneReset:
        return [&d] { d.SendToneReset(); };
    case Fault::Unplug:
        break;
    }
    // A glitch or a cable pulled out and put back; the next write or sync word notices.
    const int unpluggedMs = random_.Int(20, 800);
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
