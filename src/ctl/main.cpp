// korva-ctl: the installer's command line. Backs up, restores with read-back verification, compares and
// sets parameters of one processor or of every attached one at once, here or through korvad (--remote).
// QtCore and QtNetwork only: it runs without a display server and loads no Qt platform plugin.
#include "ctl/BackupTargets.h"
#include "ctl/Console.h"
#include "ctl/CtlOptions.h"
#include "ctl/DemoRack.h"
#include "ctl/DeviceSelection.h"
#include "ctl/EqCommands.h"
#include "ctl/ErrorCodes.h"
#include "ctl/FleetRunner.h"
#include "ctl/InterruptGuard.h"
#include "ctl/ProcessorJobs.h"
#include "ctl/ProgressBar.h"
#include "ctl/RemoteJobs.h"
#include "ctl/ResultWriter.h"
#include "link/HidapiBackend.h"
#include "model/FileAccess.h"

#include <QCoreApplication>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

using namespace korva;
using namespace korva::ctl;

// Prints the results and gives the exit code of the run, a failed write to standard output or error
// included (after the processors were used it is a device failure: they may have changed).
int Report(const CtlOptions& options, std::vector<ProcessorResult> results, Console& console,
           bool deviceUsed) {
    const int outputFailureExit = deviceUsed ? kExitDevice : kExitUsage;
    PrintResults(options, results, console, outputFailureExit);
    int exit = OverallExit(results);
    if (console.Failed()) {
        exit = std::max(exit, outputFailureExit);
        console.Error(console.FailureText());
    }
    return exit;
}

int Refuse(const CtlOptions& options, const ProcessorResult& refusal, Console& console) {
    return Report(options, {refusal}, console, false);
}

int RunOnProcessors(const PreparedCommand& prepared, Console& console) {
    const CtlOptions& options = prepared.Options;
    std::unique_ptr<DemoRack> demo;
    std::unique_ptr<HidBackend> hidapi;
    HidBackend* backend = nullptr;
    if (options.demoCount > 0) {
        QString error;
        demo = DemoRack::Create(options.demoCount, options.demoState, options.demoFaults, &error);
        if (!demo) {
            ProcessorResult refusal;
            return Refuse(options, refusal.Fail(kExitUsage, codes::kUsage, error), console);
        }
        backend = &demo->Rack();
    } else {
        hidapi = std::make_unique<HidapiBackend>();
        backend = hidapi.get();
    }

    const Selection selection = SelectProcessors(options, backend->Enumerate());
    if (selection.Devices.empty()) {
        return Refuse(options, selection.Refusal, console);
    }
    if (!selection.Note.isEmpty() && !options.json) {
        console.Error(selection.Note);
    }
    std::map<std::string, QString> backupFiles;
    if (options.command == Command::Backup) {
        ProcessorResult refusal;
        const auto files = BackupFileNames(options.arguments.front(), selection.Devices, refusal);
        if (!files || !CheckBackupFiles(*files, refusal)) {
            return Refuse(options, refusal, console);
        }
        backupFiles = *files;
    }

    InterruptGuard guard(ChangesDevice(options.command) ? InterruptGuard::Mode::FinishFirst
                                                        : InterruptGuard::Mode::StopAtOnce);
    ProgressBar bar(console);
    FleetResults fleet = RunOnEach(
        *backend, selection.Devices,
        [&prepared](HidBackend& own, const HidDeviceInfo& device, const StepProgress& progress) {
            return RunOnProcessor(prepared, own, device, progress);
        },
        guard, bar, console);
    if (fleet.InterruptedBy != 0) {
        Report(options, std::move(fleet.Results), console, true);
        InterruptGuard::EndBy(fleet.InterruptedBy);
    }
    if (options.command == Command::Backup) {
        WriteBackups(backupFiles, fleet.Results);
    }
    if (demo) {
        demo->SaveState();
    }
    return Report(options, std::move(fleet.Results), console, true);
}

} // namespace

int main(int argc, char** argv) {
    Console console; // before anything opens a file
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("korva-ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KORVA_VERSION));

    // File names reach the file system as the bytes given, even when they are not UTF-8.
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << PathFromBytes(argv[i]);
    }
    const ParsedCommandLine parsed = ParseCommandLine(args);
    const CtlOptions& options = parsed.options;
    if (!parsed.Ok()) {
        ProcessorResult refusal;
        refusal.Fail(kExitUsage, codes::kUsage, parsed.error);
        if (!options.json) {
            refusal.Details << QStringLiteral("用 korva-ctl --help 查看用法。");
        }
        return Refuse(options, refusal, console);
    }
    if (options.help || options.version) {
        console.Out(options.help ? HelpText() : QStringLiteral("korva-ctl " KORVA_VERSION "\n"));
        if (console.Failed()) {
            console.Error(console.FailureText());
            return kExitUsage;
        }
        return kExitOk;
    }

    ProcessorResult refusal;
    const std::optional<PreparedCommand> prepared = PrepareCommand(options, refusal);
    if (!prepared) {
        return Refuse(options, refusal, console);
    }
    if (!NeedsDevice(options.command)) {
        return Report(options, {RunDiff(*prepared)}, console, false);
    }
    if (options.command == Command::Eq && !options.eq.Preset.isEmpty()) {
        return Report(options, {RunEqOnPreset(*prepared)}, console, false);
    }
    if (!options.remotes.isEmpty()) {
        RemoteRun run = RunOnRemotes(*prepared, console);
        if (run.InterruptedBy != 0) {
            Report(options, std::move(run.Results), console, run.DeviceUsed);
            InterruptGuard::EndBy(run.InterruptedBy);
        }
        return Report(options, std::move(run.Results), console, run.DeviceUsed);
    }
    return RunOnProcessors(*prepared, console);
}
