// korva-ctl: the installer's command line. Backs up, restores with read-back verification, compares and
// sets parameters of one processor or of every attached one at once. QtCore only: it runs without a
// display server and loads no Qt platform plugin.
#include "ctl/CtlOptions.h"
#include "ctl/DemoRack.h"
#include "ctl/DeviceSelection.h"
#include "ctl/FleetRunner.h"
#include "ctl/InterruptGuard.h"
#include "ctl/ProcessorJobs.h"
#include "ctl/ProgressBar.h"
#include "ctl/ResultWriter.h"
#include "link/HidapiBackend.h"

#include <QCoreApplication>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using namespace korva;
using namespace korva::ctl;

int RunOnProcessors(const PreparedCommand& prepared) {
    const CtlOptions& options = prepared.Options;
    std::unique_ptr<DemoRack> demo;
    std::unique_ptr<HidBackend> hidapi;
    HidBackend* backend = nullptr;
    if (options.demoCount > 0) {
        QString error;
        demo = DemoRack::Create(options.demoCount, &error);
        if (!demo) {
            PrintError(error);
            return kExitUsage;
        }
        backend = &demo->Rack();
    } else {
        hidapi = std::make_unique<HidapiBackend>();
        backend = hidapi.get();
    }

    const Selection selection = SelectProcessors(options, AttachedProcessors(*backend));
    if (selection.Exit != kExitOk) {
        PrintError(selection.Error);
        return selection.Exit;
    }
    if (!selection.Note.isEmpty() && !options.json) {
        PrintError(selection.Note);
    }

    PreparedCommand job = prepared;
    if (options.command == Command::Backup) {
        QString error;
        const auto files = BackupFiles(options.arguments.front(), selection.Devices, &error);
        if (!files) {
            PrintError(error);
            return kExitUsage;
        }
        job.BackupFiles = *files;
    }
    ProgressBar bar;
    std::optional<InterruptGuard> finishFirst;
    if (ChangesDevice(options.command)) {
        finishFirst.emplace();
    }
    const std::vector<ProcessorResult> results = RunOnEach(
        *backend, selection.Devices,
        [&job](HidBackend& own, const HidDeviceInfo& device, const DeviceSession::Progress& progress) {
            return RunOnProcessor(job, own, device, progress);
        },
        bar);
    PrintResults(options, results);
    if (demo) {
        demo->SaveState();
    }
    return OverallExit(results);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korva-ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVA_VERSION));

    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.options) {
        PrintError(parsed.error + QStringLiteral("\n用 korva-ctl --help 查看用法。"));
        return kExitUsage;
    }
    const CtlOptions& options = *parsed.options;
    if (options.help || options.version) {
        const QString text = options.help ? HelpText() : QStringLiteral("korva-ctl " KORVA_VERSION "\n");
        std::fputs(text.toUtf8().constData(), stdout);
        return kExitOk;
    }

    QString error;
    const std::optional<PreparedCommand> prepared = PrepareCommand(options, &error);
    if (!prepared) {
        PrintError(error);
        return kExitUsage;
    }
    if (!NeedsDevice(options.command)) {
        const std::vector<ProcessorResult> results{RunDiff(*prepared)};
        PrintResults(options, results);
        return OverallExit(results);
    }
    return RunOnProcessors(*prepared);
}
