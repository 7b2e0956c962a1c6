// korvad as a process (korvad --demo=3, the demo's USB timing), spoken to over loopback: a single write,
// every named parameter, requests per second from 16 keep-alive clients while a restore runs on another
// processor, that restore against the same restore run locally, and a write with 200 idle connections open.
#include "BenchRegistry.h"

#include "ops/ParamImage.h"
#include "processor/DeviceSession.h"
#include "sim/VirtualProcessor.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One keep-alive connection, blocking: plain sockets, so that clients on many threads cost nothing extra.
class Connection {
public:
    explicit Connection(quint16 port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }
    ~Connection() { ::close(fd_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // The status of the answer, after reading it whole; 0 when the connection failed.
    int Request(const QByteArray& method, const QByteArray& target, const QByteArray& token,
                const QByteArray& body = QByteArray(), QByteArray* answer = nullptr) {
        const QByteArray request = method + ' ' + target + " HTTP/1.1\r\nHost: bench\r\nAuthorization: Bearer " +
                                   token + "\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
        if (!ok_ || ::send(fd_, request.constData(), size_t(request.size()), MSG_NOSIGNAL) != request.size()) {
            return 0;
        }
        for (;;) {
            const qsizetype end = buffer_.indexOf("\r\n\r\n");
            if (end >= 0) {
                static const QRegularExpression length(QStringLiteral("Content-Length: (\\d+)"));
                const qsizetype bodyLength =
                    length.match(QString::fromLatin1(buffer_.left(end))).captured(1).toLongLong();
                if (buffer_.size() >= end + 4 + bodyLength) {
                    const int status = buffer_.mid(9, 3).toInt();
                    if (answer) {
                        *answer = buffer_.mid(end + 4, bodyLength);
                    }
                    buffer_.remove(0, end + 4 + bodyLength);
                    return status;
                }
            }
            char chunk[65536];
            const ssize_t got = ::recv(fd_, chunk, sizeof chunk, 0);
            if (got <= 0) {
                ok_ = false;
                return 0;
            }
            buffer_.append(chunk, got);
        }
    }

private:
    int fd_ = -1;
    bool ok_ = false;
    QByteArray buffer_;
};

// korvad --demo=3 on a free port, with a token.
class Daemon {
public:
    Daemon() {
        QProcess token;
        token.start(QStringLiteral(KORVA_KORVAD_PATH),
                    {"token", "add", "bench", "--state-dir", stateDir_.path()});
        token.waitForFinished();
        token_ = token.readAllStandardOutput().trimmed();
        process_.setProcessChannelMode(QProcess::SeparateChannels);
        process_.setReadChannel(QProcess::StandardError);
        process_.start(QStringLiteral(KORVA_KORVAD_PATH),
                       {"--demo=3", "--listen", "127.0.0.1:0", "--state-dir", stateDir_.path()});
        static const QRegularExpression listening(QStringLiteral(":(\\d+) 上提供服务"));
        QByteArray log;
        while (port_ == 0 && process_.waitForReadyRead(10000)) {
            log += process_.readAllStandardError();
            port_ = quint16(listening.match(QString::fromUtf8(log)).captured(1).toUInt());
        }
        // Every processor online with its memory read.
        Connection c(port_);
        QByteArray answer;
        for (int i = 0; i < 200 && answer.count("\"online\":true") < 3; ++i) {
            c.Request("GET", "/api/v1/processors", token_, {}, &answer);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~Daemon() {
        process_.terminate();
        process_.waitForFinished(10000);
    }
    quint16 Port() const { return port_; }
    const QByteArray& Token() const { return token_; }

private:
    QTemporaryDir stateDir_;
    QProcess process_;
    QByteArray token_;
    quint16 port_ = 0;
};

const QByteArray kSetTarget = "/api/v1/processors/SIM-0001/parameters/g1.mic12.eq3.freq";

double MedianSetMs(Daemon& d, int runs) {
    Connection c(d.Port());
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        const int status = c.Request("PUT", kSetTarget, d.Token(), "{\"value\": " + QByteArray::number(100 + 50 * (i % 20)) + "}");
        times.push_back(MsSince(t0));
        if (status != 200) {
            std::fprintf(stderr, "PUT answered %d\n", status);
        }
    }
    return korva::bench::Median(times);
}

// The restore korva-ctl makes, in this process over one virtual processor with the same timing.
double LocalRestoreMs(const QString& file) {
    korva::sim::VirtualProcessor device;
    device.SetTimingModel(true);
    korva::ParamImage image;
    korva::LoadPresetImage(file, image);
    return korva::bench::MedianMicros(5, [&] {
               korva::DeviceSession session(device);
               korva::ParamImage current;
               std::vector<korva::ImageDifference> differences;
               session.ReadAll(current);
               session.DownloadAndVerify(image, differences);
           }) /
           1000.0;
}

} // namespace

KORVA_BENCH(korvad) {
    Daemon d;
    if (d.Port() == 0 || d.Token().isEmpty()) {
        std::fprintf(stderr, "korvad did not start\n");
        return;
    }
    r.Figure("api_set_ms", MedianSetMs(d, 101), "ms");

    {
        Connection c(d.Port());
        r.Figure("api_get_all_ms", korva::bench::MedianMicros(21, [&] {
                     c.Request("GET", "/api/v1/processors/SIM-0001/parameters?group=all", d.Token());
                 }) / 1000.0,
                 "ms");
    }

    // A preset to restore: processor 1's memory.
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("room.PA"));
    QByteArray preset;
    {
        Connection c(d.Port());
        c.Request("POST", "/api/v1/processors/SIM-0001/backup", d.Token(), {}, &preset);
        QFile out(file);
        out.open(QIODevice::WriteOnly);
        out.write(preset);
    }

    // Restores on processor 2 one after another while 16 clients ask for the list as fast as they can.
    std::atomic<bool> loadRunning{true};
    std::vector<double> restoreTimes;
    std::thread restorer([&] {
        Connection c(d.Port());
        while (loadRunning) {
            const auto t0 = Clock::now();
            if (c.Request("POST", "/api/v1/processors/SIM-0002/restore", d.Token(), preset) == 200) {
                restoreTimes.push_back(MsSince(t0));
            }
        }
    });
    std::atomic<long> requests{0};
    std::vector<std::thread> clients;
    const auto loadStart = Clock::now();
    for (int i = 0; i < 16; ++i) {
        clients.emplace_back([&] {
            Connection c(d.Port());
            while (loadRunning && c.Request("GET", "/api/v1/processors", d.Token()) == 200) {
                ++requests;
            }
        });
    }
    std::this_thread::sleep_for(std::chrono::seconds(4));
    loadRunning = false;
    const double seconds = MsSince(loadStart) / 1000.0;
    for (std::thread& t : clients) {
        t.join();
    }
    restorer.join();
    r.Figure("api_requests_per_s", double(requests) / seconds, "/s");
    const double local = LocalRestoreMs(file);
    const double remote = korva::bench::Median(restoreTimes);
    r.Figure("api_restore_verify_ms", remote, "ms");
    r.Figure("local_restore_verify_ms", local, "ms");
    r.Figure("api_restore_ratio", remote / local, "x");

    // The same write with 200 connections open that never send anything.
    const double quiet = MedianSetMs(d, 51);
    std::vector<std::unique_ptr<Connection>> idle;
    for (int i = 0; i < 200; ++i) {
        idle.push_back(std::make_unique<Connection>(d.Port()));
    }
    const double crowded = MedianSetMs(d, 51);
    idle.clear();
    r.Figure("api_set_idle200_ms", crowded, "ms");
    r.Figure("api_idle200_delay_ms", crowded - quiet, "ms");
}
