// korva-ctl as a process, from its start to its end, against its virtual processors with the demo's USB
// timing (one report per millisecond per direction).
#include "BenchRegistry.h"

#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

namespace {

// Runs korva-ctl and returns its exit code (-1 when it did not end normally).
int RunCtl(const QStringList& args, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(KORVA_CTL_PATH), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return process.exitCode();
}

double MedianMs(int runs, const QStringList& args, const QString& folder) {
    bool failed = false;
    const double micros =
        korva::bench::MedianMicros(runs, [&] { failed = failed || RunCtl(args, folder) != 0; });
    if (failed) {
        std::fprintf(stderr, "korva-ctl %s failed\n", qPrintable(args.join(QLatin1Char(' '))));
    }
    return micros / 1000.0;
}

} // namespace

KORVA_BENCH(ctl) {
    QTemporaryDir dir;
    const QString folder = dir.path();
    r.Figure("ctl_help_ms", MedianMs(21, {"--help"}, folder), "ms");
    r.Figure("ctl_backup_ms", MedianMs(11, {"--demo", "backup", "room.PA"}, folder), "ms");
    r.Figure("ctl_diff_ms", MedianMs(21, {"diff", "room.PA", "room.PA"}, folder), "ms");
    const double one = MedianMs(11, {"--demo", "restore", "room.PA"}, folder);
    r.Figure("ctl_restore_verify_ms", one, "ms");
    const double eight = MedianMs(5, {"--demo=8", "--all", "restore", "room.PA"}, folder);
    r.Figure("ctl_fleet_ratio", eight / one, "x");
}
