#pragma once
// SIGTERM (systemctl stop) and SIGINT end the event loop in order: the running jobs finish, every link
// closes. The signals are blocked in every thread and read from a signalfd by the event loop, so no
// handler runs at an arbitrary point. Make it before any thread is started: threads inherit the mask.

#include <QObject>

class QSocketNotifier;

namespace korva::korvad {

class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void Stop(int signal);

private:
    int fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace korva::korvad
