#pragma once
// Random faults on the virtual processor: lost acknowledgements and answers, broken checksums, line
// noise, late replies, failing and throwing writes, the tone-reset byte, and unplugging with a replug a
// little later. Some faults are armed at once, others a few milliseconds later, so that they land in
// the middle of whatever exchange is running then; every bulk transfer also gets a few of its own.

#include "SoakRandom.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <functional>
#include <map>

class QWidget;

namespace korva::sim {
class VirtualProcessor;
}

namespace korva::soak {

class FaultInjector : public QObject {
    Q_OBJECT
public:
    FaultInjector(sim::VirtualProcessor& device, SoakRandom& random);

    // Maybe one fault (most steps get none).
    void MaybeInject(bool online);
    // Also a few faults at the start of every bulk transfer, which shows this progress bar.
    void WatchTransfers(QWidget* progressBar);
    // Replugs the processor once its time unplugged is over.
    void Tick();
    // No fault armed or pending, and the processor plugged in.
    void ClearAll();

    // Writes armed to throw: each may cost one "操作USB设备失败！" message.
    int ThrowsArmed() const { return throwsArmed_; }
    bool Unplugged() const;
    // How often each fault was injected, for the report.
    QString Summary() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One fault drawn from `random`, armed now (delayMs < 0) or that much later.
    void Inject(SoakRandom& random, int delayMs);
    // Draws the fault's parameters and returns what arms it.
    std::function<void()> Arm(SoakRandom& random, int kind);
    static QByteArray FrameLikeNoise(SoakRandom& random);

    sim::VirtualProcessor& device_;
    SoakRandom& random_;
    // Bulk transfers start whenever the link lets them; their faults draw from their own engine so the
    // main one keeps its sequence.
    SoakRandom transferRandom_;
    QElapsedTimer clock_;
    qint64 replugAt_ = -1;
    bool cleared_ = false;
    int throwsArmed_ = 0;
    std::map<QString, int> counts_;
};

} // namespace korva::soak
