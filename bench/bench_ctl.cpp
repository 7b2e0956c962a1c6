// korva-ctl as a process, from its start to its end, against its virtual processors with the demo's USB
// timing (one report per millisecond per direction).
#include "BenchRegistry.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Runs korva-ctl and returns its exit code (-1 when it did not end normally).
int RunCtl(const QStringList& args, const QString& folder, const QByteArray& token = QByteArray()) {
    QProcess process;
    if (!token.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KORVA_TOKEN"), QString::fromLatin1(token));
        process.setProcessEnvironment(env);
    }
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(KORVA_CTL_PATH), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process.exitCode();
}

double MedianMs(int runs, const QStringList& args, const QString& folder, const QByteArray& token = QByteArray()) {
    bool failed = false;
    const double micros =
        korva::bench::MedianMicros(runs, [&] { failed = failed || RunCtl(args, folder, token) != 0; });
    if (failed) {
        std::fprintf(stderr, "korva-ctl %s failed\n", qPrintable(args.join(QLatin1Char(' '))));
    }
    return micros / 1000.0;
}

#ifdef KORVA_KORVAD_PATH
// korvad over its virtual processors (the demo's USB timing, as korva-ctl --demo) on a loopback port.
class Room {
public:
    Room() {
        QProcess add;
        add.start(QStringLiteral(KORVA_KORVAD_PATH), {"token", "add", "bench", "--state-dir", state_.path()});
        add.waitForFinished();
        token_ = add.readAllStandardOutput().trimmed();
        daemon_.setReadChannel(QProcess::StandardError);
        daemon_.start(QStringLiteral(KORVA_KORVAD_PATH),
                      {"--demo", "--listen", "127.0.0.1:0", "--state-dir", state_.path()});
        static const QRegularExpression listening(QStringLiteral(":(\\d+) 上提供服务"));
        QByteArray log;
        QString port;
        while (port.isEmpty() && daemon_.waitForReadyRead(10000)) {
            log += daemon_.readAllStandardError();
            port = listening.match(QString::fromUtf8(log)).captured(1);
        }
        url_ = QStringLiteral("http://127.0.0.1:") + port;
        // Ready when the processor answers.
        for (int i = 0; i < 100 && RunCtl({"--remote", url_, "list"}, state_.path(), token_) != 0; ++i) {
            QThread::msleep(50);
        }
    }
    ~Room() {
        daemon_.terminate();
        daemon_.waitForFinished(10000);
    }
    const QString& Url() const { return url_; }
    const QByteArray& Token() const { return token_; }

private:
    QTemporaryDir state_;
    QProcess daemon_;
    QByteArray token_;
    QString url_;
};
#endif

} // namespace

KORVA_BENCH(ctl) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    r.Figure("ctl_help_ms", MedianMs(21, {"--help"}, folder), "ms");
    r.Figure("ctl_backup_ms", MedianMs(11, {"--demo", "backup", "room.PA"}, folder), "ms");
    r.Figure("ctl_diff_ms", MedianMs(21, {"diff", "room.PA", "room.PA"}, folder), "ms");
    const double one = MedianMs(11, {"--demo", "restore", "room.PA"}, folder);
    r.Figure("ctl_restore_verify_ms", one, "ms");
#ifdef KORVA_KORVAD_PATH
    {
        // The same restore through korvad, korva-ctl's start to its end included.
        Room room;
        const double remote =
            MedianMs(11, {"--remote", room.Url(), "restore", "room.PA"}, folder, room.Token());
        r.Figure("ctl_remote_restore_verify_ms", remote, "ms");
        r.Figure("ctl_remote_restore_ratio", remote / one, "x");
    }
#endif
    const double eight = MedianMs(5, {"--demo=8", "--all", "restore", "room.PA"}, folder);
    r.Figure("ctl_fleet_ratio", eight / one, "x");
}
