// Reading and replacing files through POSIX calls: Qt's file classes cannot refuse a FIFO before opening
// it, check the descriptor they opened, or replace a name without resolving a symbolic link first.
#include "FileAccess.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korva {

namespace {

using C = FileErrorCode;

enum class Direction { Reading, Writing };

QString SystemText(int err) {
    return QStringLiteral("（%1）").arg(QString::fromLocal8Bit(std::strerror(err)));
}

QString SizeText(qint64 bytes) {
    constexpr qint64 kMegabyte = 1024 * 1024;
    return bytes % kMegabyte == 0 ? QStringLiteral("%1 MB").arg(bytes / kMegabyte)
                                  : QStringLiteral("%1 字节").arg(bytes);
}

FileError FromErrno(int err, const QString& path, Direction direction) {
    const bool writing = direction == Direction::Writing;
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return FileError::For(C::NotFound, path,
                              writing ? QStringLiteral("找不到文件所在的文件夹") : QStringLiteral("找不到文件"));
    case EACCES:
    case EPERM:
        return FileError::For(C::PermissionDenied, path,
                              writing ? QStringLiteral("没有写入权限") : QStringLiteral("没有读取权限"));
    case EROFS:
        return FileError::For(C::PermissionDenied, path, QStringLiteral("文件系统是只读的"));
    case ENAMETOOLONG:
        return FileError::For(C::NameTooLong, path, QStringLiteral("文件名太长"));
    case EISDIR:
        return FileError::For(C::NotRegularFile, path, QStringLiteral("是文件夹，不是普通文件"));
    case ENOSPC:
    case EDQUOT:
        return FileError::For(C::DiskFull, path, QStringLiteral("磁盘已满，文件没有写完"));
    default:
        return writing ? FileError::For(C::WriteFailed, path, QStringLiteral("写入文件失败") + SystemText(err))
                       : FileError::For(C::ReadFailed, path, QStringLiteral("读取文件失败") + SystemText(err));
    }
}

// Why a file of this type is not read or replaced; empty for a regular file.
QString NotRegularReason(mode_t mode) {
    if (S_ISREG(mode)) {
        return {};
    }
    if (S_ISDIR(mode)) {
        return QStringLiteral("是文件夹，不是普通文件");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("是管道（FIFO），不是普通文件");
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return QStringLiteral("是设备文件，不是普通文件");
    }
    if (S_ISSOCK(mode)) {
        return QStringLiteral("是套接字，不是普通文件");
    }
    if (S_ISLNK(mode)) {
        return QStringLiteral("是符号链接，不是普通文件（不会写入它指向的文件）");
    }
    return QStringLiteral("不是普通文件");
}

bool Fail(FileError* error, FileError what) {
    if (error) {
        *error = std::move(what);
    }
    return false;
}

// The bytes of the name, or false with why there are none to use.
bool NameBytes(const QString& path, QByteArray& name, FileError* error) {
    if (path.isEmpty()) {
        return Fail(error, FileError::For(C::NameTooLong, path, QStringLiteral("文件名为空")));
    }
    name = PathBytes(path);
    if (name.contains('\0')) {
        return Fail(error, FileError::For(C::NotFound, path, QStringLiteral("文件名中有空字符")));
    }
    return true;
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now; false (errno set) when the close reports a failed write.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

int OpenRetrying(const char* name, int flags, mode_t mode = 0) {
    int fd;
    do {
        fd = ::open(name, flags, mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool WriteAll(int fd, QByteArrayView bytes) {
    while (!bytes.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.data(), size_t(bytes.size()));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        bytes = bytes.sliced(n);
    }
    return true;
}

QByteArray FolderOf(const QByteArray& name) {
    const qsizetype slash = name.lastIndexOf('/');
    if (slash < 0) {
        return QByteArrayLiteral(".");
    }
    return slash == 0 ? QByteArrayLiteral("/") : name.left(slash);
}

// Checks what is at the name now, without following a symbolic link: nothing, or a regular file.
bool CheckTarget(const QString& path, const QByteArray& name, struct stat& target, bool& exists,
                 FileError* error) {
    exists = ::lstat(name.constData(), &target) == 0;
    if (!exists && errno != ENOENT) {
        return Fail(error, FromErrno(errno, path, Direction::Writing));
    }
    if (exists && !S_ISREG(target.st_mode)) {
        return Fail(error, FileError::For(C::NotRegularFile, path, NotRegularReason(target.st_mode)));
    }
    return true;
}

// A new, empty file under an unused name in the folder (mode 0666 less the umask, as any new file).
int CreateScratch(const QByteArray& folder, QByteArray& scratch) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        scratch = folder + QByteArrayLiteral("/.korva-") +
                  QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = OpenRetrying(scratch.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW,
                                    0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    errno = EEXIST;
    return -1;
}

} // namespace

bool ReadRegularFile(const QString& path, QByteArray& bytes, FileError* error, qint64 maxBytes) {
    QByteArray name;
    if (!NameBytes(path, name, error)) {
        return false;
    }
    // Checked before opening, so that no device is opened (and no FIFO waited on) at all ...
    struct stat before {};
    if (::stat(name.constData(), &before) != 0) {
        return Fail(error, FromErrno(errno, path, Direction::Reading));
    }
    if (!S_ISREG(before.st_mode)) {
        return Fail(error, FileError::For(C::NotRegularFile, path, NotRegularReason(before.st_mode)));
    }
    // ... and again on what was opened, in case the name changed hands in between.
    Descriptor fd(OpenRetrying(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.Get() < 0) {
        return Fail(error, FromErrno(errno, path, Direction::Reading));
    }
    struct stat opened {};
    if (::fstat(fd.Get(), &opened) != 0) {
        return Fail(error, FromErrno(errno, path, Direction::Reading));
    }
    if (!S_ISREG(opened.st_mode) || opened.st_dev != before.st_dev || opened.st_ino != before.st_ino) {
        return Fail(error, FileError::For(C::NotRegularFile, path, QStringLiteral("读取时文件被换掉了")));
    }
    const FileError tooLarge =
        FileError::For(C::TooLarge, path, QStringLiteral("文件太大（超过 %1）").arg(SizeText(maxBytes)));
    if (opened.st_size > maxBytes) {
        return Fail(error, tooLarge);
    }
    // The reported size is only a hint (files under /proc report 0): read until the end or past the limit,
    // in whole chunks (some kernel files refuse reads of odd sizes).
    QByteArray content;
    constexpr qsizetype kChunk = 64 * 1024;
    for (;;) {
        const qsizetype at = content.size();
        content.resize(at + kChunk);
        const ssize_t n = ::read(fd.Get(), content.data() + at, size_t(kChunk));
        if (n < 0 && errno == EINTR) {
            content.resize(at);
            continue;
        }
        if (n < 0) {
            return Fail(error, FromErrno(errno, path, Direction::Reading));
        }
        content.resize(at + n);
        if (content.size() > maxBytes) {
            return Fail(error, tooLarge);
        }
        if (n == 0) {
            break;
        }
    }
    content.squeeze();
    bytes = std::move(content);
    return true;
}

bool ReplaceFile(const QString& path, const QByteArray& bytes, FileError* error) {
    QByteArray name;
    struct stat target {};
    bool exists = false;
    if (!NameBytes(path, name, error) || !CheckTarget(path, name, target, exists, error)) {
        return false;
    }
    const QByteArray folder = FolderOf(name);
    QByteArray scratch;
    Descriptor fd(CreateScratch(folder, scratch));
    if (fd.Get() < 0) {
        return Fail(error, FromErrno(errno, path, Direction::Writing));
    }
    const auto failWith = [&](int err) {
        ::unlink(scratch.constData());
        return Fail(error, FromErrno(err, path, Direction::Writing));
    };
    // A replaced file keeps who may read it.
    if (exists && ::fchmod(fd.Get(), target.st_mode & 0777) != 0) {
        return failWith(errno);
    }
    // A full disk may show only at the flush or the close (network and delayed-allocation file systems).
    if (!WriteAll(fd.Get(), bytes) || ::fsync(fd.Get()) != 0 || !fd.Close()) {
        return failWith(errno);
    }
    // rename() replaces the name itself: a symbolic link put there since the check is replaced, never
    // followed, and a folder put there makes it fail.
    if (::rename(scratch.constData(), name.constData()) != 0) {
        return failWith(errno);
    }
    // The new name is on the disk only once the folder is.
    if (const int dir = OpenRetrying(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool CheckReplaceable(const QString& path, FileError* error) {
    QByteArray name;
    struct stat target {};
    bool exists = false;
    if (!NameBytes(path, name, error) || !CheckTarget(path, name, target, exists, error)) {
        return false;
    }
    QByteArray scratch;
    Descriptor fd(CreateScratch(FolderOf(name), scratch));
    if (fd.Get() < 0) {
        return Fail(error, FromErrno(errno, path, Direction::Writing));
    }
    ::unlink(scratch.constData());
    return true;
}

} // namespace korva
