#pragma once
// One program per processor: an advisory lock taken when a program opens a processor, so that two programs
// never interleave their exchanges with it. It is a flock, which the system drops when its holder ends,
// however it ends, so a crashed program never keeps a processor. A processor's device node is locked
// itself (opened read-only just for the lock): only those who may open the processor can lock it. The
// holder writes its name and process id into a side file named after the device in /run/lock (shared by
// every user; otherwise the user's runtime folder), for the refusal of the others to name it; that file
// only informs. Names that are no device node (virtual processors) are locked on such a file itself.

#include <QString>
#include <memory>
#include <optional>

namespace korva {

class DeviceLock {
public:
    struct Holder {
        QString Program; // empty when it could not be read
        qint64 Pid = 0;
    };

    struct Attempt {
        std::unique_ptr<DeviceLock> Lock; // null when held by another, or when no lock file can be made
        std::optional<Holder> HeldBy;     // another open of the lock holds it
    };

    // name: the device's lock name (HidBackend::LockName). Never waits.
    static Attempt TryAcquire(const QString& name);
    // Releases the lock and removes its file.
    ~DeviceLock();
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

    // The file that holds the lock of name, or for a device node the name of its holder.
    static QString FileFor(const QString& name);

    // "处理器 /dev/hidraw3 正被 korvad（进程 812）使用"
    static QString RefusalText(const QString& device, const Holder& holder);

private:
    static Attempt TryAcquireDevice(const QString& device);
    DeviceLock(int fd, QString path) : fd_(fd), path_(std::move(path)) {}

    int fd_;
    QString path_; // removed on release; empty when there is none
};

} // namespace korva
