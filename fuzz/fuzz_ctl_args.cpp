// Arbitrary argument lists (NUL-separated) through korva-ctl up to the point where it would open a
// processor: the command line, the names and values, the choice among attached processors, the backup
// files' names, and the JSON object of whatever came out. Nothing may crash, a refusal always has a code
// and a one-line reason, and a selection either names processors or says why not. Files are not what this
// target varies (preset_import does): every file argument reads the same preset.
#include "FuzzSupport.h"

#include "ctl/BackupTargets.h"
#include "ctl/CtlOptions.h"
#include "ctl/DeviceSelection.h"
#include "ctl/ProcessorJobs.h"
#include "ctl/ResultJson.h"
#include "model/FileAccess.h"

using namespace korva;
using namespace korva::ctl;

namespace {

QString Preset() {
    static const QString path = [] {
        const QString file = fuzz::WriteScratchFile(nullptr, 0, QStringLiteral("room.PA"));
        fuzz::Check(SavePresetImage(ParamImage::Defaults(), file), "write the preset");
        return file;
    }();
    return path;
}

// Two processors (the second without a serial number) and a HID device of another vendor.
std::vector<HidDeviceInfo> HidDevices() {
    HidDeviceInfo a{0x0483, 0x6850, "/dev/hidraw3", QStringLiteral("0001A3"), QStringLiteral("KORVA DSP")};
    HidDeviceInfo b{0x0483, 0x6850, "/dev/hidraw4", QString(), QStringLiteral("KORVA DSP")};
    HidDeviceInfo other{0x046d, 0xc52b, "/dev/hidraw0", QStringLiteral("X"), QStringLiteral("Receiver")};
    return {other, a, b};
}

void CheckRefusal(const CtlOptions& options, const ProcessorResult& refusal) {
    fuzz::Check(!refusal.Ok() && refusal.Exit >= kExitUsage, "a refusal without a code or exit");
    fuzz::Check(!refusal.Error.isEmpty() && !refusal.Error.contains(QLatin1Char('\n')),
                "a refusal's reason is one line");
    fuzz::Check(ResultJson(options, refusal).value(QStringLiteral("error")).isString(), "JSON of a refusal");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QStringList args;
    for (const QByteArray& arg :
         QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\0')) {
        args << PathFromBytes(arg);
    }
    const ParsedCommandLine parsed = ParseCommandLine(args);
    CtlOptions options = parsed.options;
    if (!parsed.Ok()) {
        ProcessorResult refusal;
        CheckRefusal(options, refusal.Fail(kExitUsage, QStringLiteral("usage"), parsed.error));
        return 0;
    }
    if (options.help || options.version) {
        return 0;
    }
    if (options.command == Command::Restore || options.command == Command::Verify ||
        options.command == Command::Diff) {
        for (QString& file : options.arguments) {
            file = Preset();
        }
    }
    if (options.command == Command::Eq) {
        // The eq files read as the same preset (a refused filter or measurement file); a copy goes next to it.
        for (QString* file : {&options.eq.File, &options.eq.Target, &options.eq.Preset}) {
            if (!file->isEmpty()) {
                *file = Preset();
            }
        }
        if (!options.eq.Out.isEmpty()) {
            options.eq.Out = Preset() + QStringLiteral(".out");
        }
    }
    ProcessorResult refusal;
    const std::optional<PreparedCommand> prepared = PrepareCommand(options, refusal);
    if (!prepared) {
        CheckRefusal(options, refusal);
        return 0;
    }
    if (!NeedsDevice(options.command)) {
        ResultJson(options, RunDiff(*prepared));
        return 0;
    }
    Selection selection = SelectProcessors(options, HidDevices());
    if (selection.Devices.empty()) {
        CheckRefusal(options, selection.Refusal);
        return 0;
    }
    if (options.command == Command::Backup) {
        ProcessorResult clash;
        const auto files = BackupFileNames(options.arguments.front(), selection.Devices, clash);
        if (!files) {
            CheckRefusal(options, clash);
            return 0;
        }
        fuzz::Check(files->size() == selection.Devices.size(), "a backup file for every processor");
    }
    for (const HidDeviceInfo& device : selection.Devices) {
        ProcessorResult untouched;
        untouched.Device = device;
        fuzz::Check(ResultJson(options, untouched).value(QStringLiteral("ok")).toBool(), "JSON of a result");
    }
    return 0;
}
