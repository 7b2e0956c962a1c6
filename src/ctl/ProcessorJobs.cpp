#include "ctl/ProcessorJobs.h"

#include "link/BulkTransfer.h"
#include "ops/ParamUnits.h"

#include <QFileInfo>
#include <set>

namespace korva::ctl {

namespace {

ImageCell CellOf(const ParamRef& ref) {
    return {ref.StoredGroup(), ref.Def->Address, ref.Def->Field, false};
}

bool LoadFile(const QString& path, ParamImage& image, QString* error) {
    if (!QFileInfo(path).isFile()) {
        *error = QStringLiteral("找不到文件 %1").arg(path);
        return false;
    }
    QString why;
    if (!LoadPresetImage(path, image, &why)) {
        *error = QStringLiteral("%1：%2").arg(path, why);
        return false;
    }
    return true;
}

// Restore downloads the file: refused, as a malformed file is, when a byte would leave the processor
// unreadable.
bool CheckDownloadable(const QString& path, const ParamImage& image, QString* error) {
    QString why;
    if (!PresetBytesDownloadable(image, &why)) {
        *error = QStringLiteral("%1：%2").arg(path, why);
        return false;
    }
    return true;
}

std::optional<ParamRef> ResolveName(const QString& name, int group, QString* error) {
    QString why;
    const std::optional<ParamRef> ref = ResolveParamName(name, group, &why);
    if (!ref) {
        *error = why.isEmpty() ? QStringLiteral("未知的参数名：%1").arg(name) : why;
    }
    return ref;
}

bool PrepareAssignments(PreparedCommand& p, QString* error) {
    for (const QString& assignment : p.Options.arguments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        const std::optional<ParamRef> ref =
            ResolveName(assignment.left(eq).trimmed(), p.Options.group, error);
        if (!ref) {
            return false;
        }
        const QString name = QualifiedName(*ref);
        if (ref->Def->Send == ParamSend::DownloadOnly) {
            *error = QStringLiteral("%1 不能单独写入，它只随整个下载（restore）到达处理器").arg(name);
            return false;
        }
        // The reason names the parameter and its valid range.
        const std::optional<uint8_t> raw =
            ParseParamValue(*ref->Def, assignment.mid(eq + 1).trimmed(), error);
        if (!raw) {
            return false;
        }
        p.Assignments.push_back({*ref, *raw});
    }
    return true;
}

using Progress = DeviceSession::Progress;

int ReadSteps() {
    return int(BulkTransfer::ReadBlocks().size());
}

int DownloadSteps() {
    return int(BulkTransfer::DownloadBlocks().size()) + 1; // the blocks and the finish command
}

// The session's next operation counts from `before` on, out of the `total` steps of the whole command, so
// that the bar runs once through a restore's read, download and read-back.
void Track(DeviceSession& session, const Progress& progress, int before, int total) {
    session.SetProgress([progress, before, total](int done, int) {
        if (progress) {
            progress(before + done, total);
        }
    });
}

// Connects, or fills the result with why not.
bool Connect(DeviceSession& session, ProcessorResult& result) {
    if (session.Connect()) {
        return true;
    }
    result.Fail(kExitDevice, session.LastError());
    return false;
}

// Reads the whole memory as the command's only step, or fills the result with why not.
bool ReadWhole(DeviceSession& session, const Progress& progress, ParamImage& image, ProcessorResult& r) {
    Track(session, progress, 0, ReadSteps());
    if (!session.ReadAll(image)) {
        r.Fail(kExitDevice, session.LastError());
        return false;
    }
    return true;
}

void Backup(const PreparedCommand& p, DeviceSession& session, const Progress& progress,
            const HidDeviceInfo& device, ProcessorResult& r) {
    ParamImage image;
    if (!Connect(session, r) || !ReadWhole(session, progress, image, r)) {
        return;
    }
    r.File = p.BackupFiles.at(device.Path);
    QString why;
    if (!SavePresetImage(image, r.File, &why)) {
        r.Fail(kExitUsage, QStringLiteral("%1：%2").arg(r.File, why));
    }
}

void Restore(const PreparedCommand& p, DeviceSession& session, const Progress& progress, ProcessorResult& r) {
    r.File = p.Options.arguments.front();
    const int total = ReadSteps() + DownloadSteps() + ReadSteps();
    Track(session, progress, 0, total);
    // The bytes the file does not carry keep the processor's values, as after an import in the window.
    ParamImage image;
    if (!Connect(session, r) || !session.ReadAll(image)) {
        if (r.Exit == kExitOk) {
            r.Fail(kExitDevice, session.LastError());
        }
        return;
    }
    for (const ImageCell& cell : PresetCells()) {
        cell.Set(image, cell.Get(p.FileImage));
    }
    Track(session, progress, ReadSteps(), total);
    const bool downloaded = session.Download(image);
    r.Download = session.LastDownload();
    if (!downloaded) {
        // The blocks written are printed as the result; the failure gives the link's reason.
        const QStringList messages = session.Messages();
        r.Fail(kExitDevice,
               messages.isEmpty() ? session.LastError() : QStringLiteral("写入没有完成：") + messages.back());
        return;
    }
    Track(session, progress, ReadSteps() + DownloadSteps(), total);
    if (!session.ReadBack(image, r.Differences)) {
        r.Fail(kExitDevice, session.LastError());
        return;
    }
    r.ReadBackDone = true;
    if (!r.Differences.empty()) {
        r.Fail(kExitDifferences, QStringLiteral("回读校验发现 %1 处不同").arg(r.Differences.size()));
    }
}

void Verify(const PreparedCommand& p, DeviceSession& session, const Progress& progress, ProcessorResult& r) {
    r.File = p.Options.arguments.front();
    ParamImage image;
    if (!Connect(session, r) || !ReadWhole(session, progress, image, r)) {
        return;
    }
    r.Differences = CompareImages(p.FileImage, image, RestoredCells());
    if (!r.Differences.empty()) {
        r.Exit = kExitDifferences;
    }
}

void Get(const PreparedCommand& p, DeviceSession& session, const Progress& progress, ProcessorResult& r) {
    if (!Connect(session, r)) {
        return;
    }
    if (!p.Names.empty()) {
        for (const ParamRef& ref : p.Names) {
            uint8_t raw = 0;
            if (!session.ReadParameter(ref, raw)) {
                r.Fail(kExitDevice, session.LastError());
                return;
            }
            r.Values.push_back({ref, raw});
        }
        return;
    }
    ParamImage image;
    if (!ReadWhole(session, progress, image, r)) {
        return;
    }
    for (const ParamDef& def : ParamTable()) {
        const ParamRef ref{&def, CellGroup(p.Options.group, def.Address)};
        r.Values.push_back({ref, CellOf(ref).Get(image)});
    }
}

void Set(const PreparedCommand& p, DeviceSession& session, ProcessorResult& r) {
    if (!Connect(session, r)) {
        return;
    }
    for (const ParamValue& value : p.Assignments) {
        if (!session.WriteParameter(value.Ref, value.Raw)) {
            r.Fail(kExitDevice, session.LastError());
            return;
        }
        r.Values.push_back(value);
    }
}

} // namespace

const std::vector<ImageCell>& RestoredCells() {
    static const std::vector<ImageCell> cells = [] {
        std::vector<ImageCell> restored;
        for (const ImageCell& cell : PresetCells()) {
            if (!cell.Menu) {
                restored.push_back(cell);
            }
        }
        return restored;
    }();
    return cells;
}

std::optional<PreparedCommand> PrepareCommand(const CtlOptions& options, QString* error) {
    PreparedCommand p;
    p.Options = options;
    const QStringList& args = options.arguments;
    switch (options.command) {
    case Command::Restore:
        if (!LoadFile(args.front(), p.FileImage, error) ||
            !CheckDownloadable(args.front(), p.FileImage, error)) {
            return std::nullopt;
        }
        break;
    case Command::Verify:
        if (!LoadFile(args.front(), p.FileImage, error)) {
            return std::nullopt;
        }
        break;
    case Command::Diff:
        if (!LoadFile(args[0], p.FileImage, error) || !LoadFile(args[1], p.OtherImage, error)) {
            return std::nullopt;
        }
        break;
    case Command::Get:
        for (const QString& name : args) {
            const std::optional<ParamRef> ref = ResolveName(name, options.group, error);
            if (!ref) {
                return std::nullopt;
            }
            p.Names.push_back(*ref);
        }
        break;
    case Command::Set:
        if (!PrepareAssignments(p, error)) {
            return std::nullopt;
        }
        break;
    case Command::List:
    case Command::Backup:
        break;
    }
    return p;
}

std::optional<std::map<std::string, QString>>
BackupFiles(const QString& pattern, const std::vector<HidDeviceInfo>& devices, QString* error) {
    std::set<QString> serials;
    for (const HidDeviceInfo& device : devices) {
        serials.insert(device.SerialNumber);
    }
    // Processors without serial numbers, or with the same one, are told apart by their number.
    const bool serialsDistinct = serials.size() == devices.size() && !serials.count(QString());
    const bool placeholders =
        pattern.contains(QLatin1String("{serial}")) || pattern.contains(QLatin1String("{n}"));
    const QFileInfo info(pattern);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    std::map<std::string, QString> files;
    std::set<QString> names;
    for (size_t i = 0; i < devices.size(); ++i) {
        const QString number = QString::number(i + 1);
        const QString serial = serialsDistinct ? devices[i].SerialNumber : number;
        QString file = pattern;
        if (placeholders) {
            file.replace(QLatin1String("{serial}"),
                         devices[i].SerialNumber.isEmpty() ? number : devices[i].SerialNumber)
                .replace(QLatin1String("{n}"), number);
        } else if (devices.size() > 1) {
            file = pattern.left(pattern.size() - suffix.size()) + QLatin1Char('-') + serial + suffix;
        }
        if (!names.insert(QFileInfo(file).absoluteFilePath()).second) {
            *error = QStringLiteral("多台处理器会写入同一个文件 %1：请在文件名中用 {n} 区分").arg(file);
            return std::nullopt;
        }
        files[devices[i].Path] = file;
    }
    return files;
}

ProcessorResult RunDiff(const PreparedCommand& p) {
    ProcessorResult r;
    r.Differences = CompareImages(p.FileImage, p.OtherImage, PresetCells());
    if (!r.Differences.empty()) {
        r.Exit = kExitDifferences;
    }
    return r;
}

ProcessorResult RunOnProcessor(const PreparedCommand& p, HidBackend& backend, const HidDeviceInfo& device,
                               const DeviceSession::Progress& progress) {
    ProcessorResult r;
    DeviceSession session(backend, device.Path);
    switch (p.Options.command) {
    case Command::List:
        // Not answering is what list reports, not a failure of list.
        r.Answered = session.Connect();
        if (!r.Answered) {
            r.Error = session.LastError();
        }
        break;
    case Command::Backup:
        Backup(p, session, progress, device, r);
        break;
    case Command::Restore:
        Restore(p, session, progress, r);
        break;
    case Command::Verify:
        Verify(p, session, progress, r);
        break;
    case Command::Get:
        Get(p, session, progress, r);
        break;
    case Command::Set:
        Set(p, session, r);
        break;
    case Command::Diff:
        break;
    }
    r.Messages = session.Messages();
    return r;
}

} // namespace korva::ctl
