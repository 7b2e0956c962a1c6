#include "ctl/Console.h"

#include <QStringList>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace korva::ctl {

namespace {

// Puts /dev/null on a descriptor that is not open; true when it was not.
bool FillClosed(int fd, int mode) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
        return false;
    }
    const int null = ::open("/dev/null", mode);
    if (null >= 0 && null != fd) {
        ::dup2(null, fd);
        ::close(null);
    }
    return true;
}

QString ErrnoText(int error) {
    switch (error) {
    case ENOSPC:
        return QStringLiteral("磁盘已满");
    case EDQUOT:
        return QStringLiteral("超出磁盘配额");
    case EBADF:
        return QStringLiteral("它已关闭");
    case EIO:
        return QStringLiteral("输入输出错误");
    case EFBIG:
        return QStringLiteral("文件超出大小限制");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

Console::Console() {
    // The lowest free number goes first: standard input before output before error.
    FillClosed(STDIN_FILENO, O_RDONLY);
    out_.fd = STDOUT_FILENO;
    out_.closedAtStart = FillClosed(STDOUT_FILENO, O_WRONLY);
    err_.fd = STDERR_FILENO;
    err_.closedAtStart = FillClosed(STDERR_FILENO, O_WRONLY);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

void Console::Write(Stream& stream, const QByteArray& bytes) {
    if (stream.readerGone || stream.failed != 0 || bytes.isEmpty()) {
        return;
    }
    if (stream.closedAtStart) {
        stream.failed = EBADF;
        return;
    }
    const char* data = bytes.constData();
    size_t left = size_t(bytes.size());
    while (left > 0) {
        const ssize_t written = ::write(stream.fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EPIPE) {
                stream.readerGone = true;
            } else {
                stream.failed = errno;
            }
            return;
        }
        data += written;
        left -= size_t(written);
    }
}

void Console::Out(const QString& text) {
    Write(out_, text.toUtf8());
}

void Console::Err(const QString& text) {
    Write(err_, text.toUtf8());
}

void Console::Error(const QString& text) {
    Err(QStringLiteral("korva-ctl: ") + text + QLatin1Char('\n'));
}

QString Console::FailureText() const {
    QStringList why;
    if (out_.failed != 0) {
        why << QStringLiteral("无法写入标准输出：") + ErrnoText(out_.failed);
    }
    if (err_.failed != 0) {
        why << QStringLiteral("无法写入标准错误输出：") + ErrnoText(err_.failed);
    }
    return why.join(QStringLiteral("；"));
}

} // namespace korva::ctl
