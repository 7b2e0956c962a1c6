#include "link/DeviceLock.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korva {

namespace {

// Enough to tell the holder; a longer file is not one of ours.
constexpr int kHolderBytes = 256;
// Another program may remove the file between our open and our lock: then the lock is taken again.
constexpr int kAttempts = 3;

QString LockFolder() {
    // /run/lock is writable by every user (sticky), so korvad and the logged-in user see the same files.
    if (::access("/run/lock", W_OK | X_OK) == 0) {
        return QStringLiteral("/run/lock");
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString ProgramName() {
    if (QCoreApplication::instance() && !QCoreApplication::applicationName().isEmpty()) {
        return QCoreApplication::applicationName();
    }
    return QString::fromLocal8Bit(program_invocation_short_name);
}

std::optional<DeviceLock::Holder> ReadHolder(int fd) {
    char text[kHolderBytes + 1] = {};
    const ssize_t n = ::pread(fd, text, kHolderBytes, 0);
    DeviceLock::Holder holder;
    const QStringList parts = QString::fromUtf8(text, n > 0 ? int(n) : 0).trimmed().split(QLatin1Char(' '));
    if (parts.size() == 2) {
        holder.Program = parts[0];
        holder.Pid = parts[1].toLongLong();
    }
    return holder;
}

QByteArray HolderLine() {
    return (ProgramName() + QLatin1Char(' ') + QString::number(::getpid()) + QLatin1Char('\n')).toUtf8();
}

// A processor's device node (hidraw) is locked itself: only those who may open the device can take its
// lock, so nobody without access to the processor can keep it from those who have.
bool IsDeviceNode(const QString& name) {
    struct stat node {};
    return name.startsWith(QLatin1String("/dev/")) && ::stat(QFile::encodeName(name).constData(), &node) == 0 &&
           S_ISCHR(node.st_mode);
}

// The side file of a device's lock only names its holder: anyone may write one, so a name is believed
// only while that process lives.
DeviceLock::Holder HolderNamedIn(const QString& sideFile) {
    const int fd = ::open(QFile::encodeName(sideFile).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    DeviceLock::Holder holder;
    if (fd >= 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            holder = ReadHolder(fd).value_or(holder);
        }
        ::close(fd);
    }
    if (holder.Pid <= 0 || (::kill(pid_t(holder.Pid), 0) != 0 && errno != EPERM)) {
        return {};
    }
    return holder;
}

} // namespace

QString DeviceLock::FileFor(const QString& name) {
    // Readable enough to find by eye, unique by the hash.
    QString readable = name.right(40);
    for (QChar& c : readable) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('.') && c != QLatin1Char('-')) {
            c = QLatin1Char('_');
        }
    }
    const QByteArray hash = QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256).toHex().left(16);
    return QDir(LockFolder()).filePath(QStringLiteral("korva-%1-%2.lock").arg(readable, QString::fromLatin1(hash)));
}

DeviceLock::Attempt DeviceLock::TryAcquireDevice(const QString& device) {
    const QString sideFile = FileFor(device);
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISCHR(opened.st_mode)) {
        // Whoever cannot open the device cannot use it either: its own open reports why.
        if (fd >= 0) {
            ::close(fd);
        }
        return {};
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        Attempt held;
        if (errno == EWOULDBLOCK) {
            held.HeldBy = HolderNamedIn(sideFile);
        }
        ::close(fd);
        return held;
    }
    // A fresh side file of our own (one left by someone else in a shared folder may stay: it names a
    // process that has ended, or is not believed).
    const QByteArray sideName = QFile::encodeName(sideFile);
    static_cast<void>(::unlink(sideName.constData()));
    const int side = ::open(sideName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (side >= 0) {
        const QByteArray holder = HolderLine();
        static_cast<void>(::write(side, holder.constData(), size_t(holder.size())));
        ::close(side);
    }
    Attempt taken;
    taken.Lock.reset(new DeviceLock(fd, side >= 0 ? sideFile : QString()));
    return taken;
}

DeviceLock::Attempt DeviceLock::TryAcquire(const QString& name) {
    if (IsDeviceNode(name)) {
        return TryAcquireDevice(name);
    }
    const QString path = FileFor(name);
    const QByteArray bytes = QFile::encodeName(path);
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Never through a link: the folder may be writable by everyone.
        int fd = ::open(bytes.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EACCES) {
            fd = ::open(bytes.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        }
        struct stat opened {};
        if (fd < 0 || ::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            // No lock can be had here: the processor is opened without one rather than not at all.
            if (fd >= 0) {
                ::close(fd);
            }
            return {};
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            Attempt held;
            held.HeldBy = errno == EWOULDBLOCK ? ReadHolder(fd) : std::nullopt;
            ::close(fd);
            return held;
        }
        struct stat named {};
        if (::stat(bytes.constData(), &named) != 0 || named.st_ino != opened.st_ino ||
            named.st_dev != opened.st_dev) {
            // Its holder removed the file as we opened it: that lock guards nothing any more.
            ::close(fd);
            continue;
        }
        // Whoever takes it next may be another user, and must be able to write its name.
        static_cast<void>(::fchmod(fd, 0666));
        if (::ftruncate(fd, 0) == 0) {
            const QByteArray holder = HolderLine();
            static_cast<void>(::pwrite(fd, holder.constData(), size_t(holder.size()), 0));
        }
        Attempt taken;
        taken.Lock.reset(new DeviceLock(fd, path));
        return taken;
    }
    return {};
}

DeviceLock::~DeviceLock() {
    // Removed while still locked, so that nobody takes a lock on a file that is going away unnoticed.
    if (!path_.isEmpty()) {
        static_cast<void>(::unlink(QFile::encodeName(path_).constData()));
    }
    ::close(fd_);
}

QString DeviceLock::RefusalText(const QString& device, const Holder& holder) {
    if (holder.Program.isEmpty()) {
        return QStringLiteral("处理器 %1 正被另一个程序使用").arg(device);
    }
    return QStringLiteral("处理器 %1 正被 %2（进程 %3）使用").arg(device, holder.Program).arg(holder.Pid);
}

} // namespace korva
