#include "ctl/ProcessorJobs.h"

#include "ctl/EqCommands.h"
#include "ctl/ErrorCodes.h"
#include "link/BulkTransfer.h"
#include "link/FrameProtocol.h"
#include "model/FileAccess.h"
#include "ops/ParamUnits.h"

namespace korva::ctl {

namespace {

ImageCell CellOf(const ParamRef& ref) {
    return {ref.StoredGroup(), ref.Def->Address, ref.Def->Field, false};
}

// Strictly: besides the window's rules, a key written twice, a value longer than the window reads and a
// missing key are refused, and only a regular file of sensible size is read.
bool LoadFile(const QString& path, ParamImage& image, ProcessorResult& refusal) {
    FileError error;
    if (!LoadPresetImageStrict(path, image, &error)) {
        refusal.Fail(kExitUsage, error.CodeName(), error.Message);
        return false;
    }
    return true;
}

// Restore downloads the file: refused, as a malformed file is, when a byte would leave the processor
// unreadable.
bool CheckDownloadable(const QString& path, const ParamImage& image, ProcessorResult& refusal) {
    QString why;
    if (!PresetBytesDownloadable(image, &why)) {
        refusal.Fail(kExitUsage, codes::kBadFile, FileError::For(FileErrorCode::BadFile, path, why).Message);
        return false;
    }
    return true;
}

std::optional<ParamRef> ResolveName(const QString& name, int group, ProcessorResult& refusal) {
    QString why;
    const std::optional<ParamRef> ref = ResolveParamName(name, group, &why);
    if (!ref) {
        refusal.Fail(kExitUsage, codes::kUnknownName, why);
    }
    return ref;
}

bool PrepareAssignments(PreparedCommand& p, ProcessorResult& refusal) {
    for (const QString& assignment : p.Options.arguments) {
        const qsizetype eq = assignment.indexOf(QLatin1Char('='));
        const std::optional<ParamRef> ref =
            ResolveName(assignment.left(eq).trimmed(), p.Options.group, refusal);
        if (!ref) {
            return false;
        }
        if (ref->Def->Send == ParamSend::DownloadOnly) {
            refusal.Fail(kExitUsage, codes::kDownloadOnly,
                         QStringLiteral("%1 不能单独写入，它只随整个下载（restore）到达处理器")
                             .arg(QualifiedName(*ref)));
            return false;
        }
        const QString text = assignment.mid(eq + 1).trimmed();
        QString why;
        ParamValueFault fault = ParamValueFault::None;
        // The reason names the parameter and its valid range.
        const std::optional<uint8_t> raw = ParseParamValue(*ref->Def, text, &why, &fault);
        if (!raw) {
            refusal.Fail(kExitUsage,
                         fault == ParamValueFault::OutOfRange ? codes::kOutOfRange : codes::kBadValue, why);
            return false;
        }
        p.Assignments.push_back({*ref, *raw, text, RequestedUserValue(*ref->Def, text)});
    }
    return true;
}

// The code of the session's last failure.
QString FaultCode(const DeviceSession& session, const HidBackend& backend) {
    switch (session.LastFault()) {
    case SessionFault::Open:
        return backend.LastOpenDenied() ? codes::kPermissionDenied : codes::kOpenFailed;
    case SessionFault::NoAnswer:
        return codes::kNoAnswer;
    case SessionFault::Locked:
        return codes::kDeviceLocked;
    case SessionFault::Mismatch:
        return codes::kReadbackMismatch;
    case SessionFault::Link:
        return codes::kLinkLost;
    default:
        return codes::kInternal;
    }
}

// One operation of a command: its blocks in the order the session sends them, counted from `before` on
// out of the `total` steps of the whole command, so that the bar runs once through a restore's read,
// download and read-back.
class Steps {
public:
    Steps(DeviceSession& session, const HidBackend& backend, const StepProgress& progress, ProcessorResult& r)
        : session_(session), backend_(backend), progress_(progress), result_(r) {}

    void Track(const std::vector<BulkBlock>& blocks, int before, int total) {
        session_.SetProgress([progress = progress_, blocks, before, total](int done, int) {
            if (progress) {
                const int limit =
                    done < int(blocks.size()) ? DeviceSession::WaitLimitMs(blocks[size_t(done)]) : 0;
                progress(before + done, total, limit);
            }
        });
    }
    // False, with the result failed by the session's reason.
    bool Failed() {
        const QString code = FaultCode(session_, backend_);
        QString why = session_.LastError();
        if (code == QLatin1String(codes::kPermissionDenied)) {
            why += QStringLiteral("：当前用户没有打开它的权限（需要 udev 规则 70-korva-tuner.rules）");
        } else if (code == QLatin1String(codes::kDeviceLocked)) {
            why += QStringLiteral("；korvad 管理它时请用 korva-ctl --remote URL 通过 korvad 操作");
        }
        result_.Fail(kExitDevice, code, why);
        return false;
    }
    bool Connect() { return session_.Connect() || Failed(); }

private:
    DeviceSession& session_;
    const HidBackend& backend_;
    const StepProgress& progress_;
    ProcessorResult& result_;
};

const std::vector<BulkBlock>& ReadSteps() {
    return BulkTransfer::ReadBlocks();
}

// The blocks and the finish command.
const std::vector<BulkBlock>& DownloadSteps() {
    static const std::vector<BulkBlock> steps = [] {
        std::vector<BulkBlock> list = BulkTransfer::DownloadBlocks();
        list.push_back({kCmdFinishDownload, 0, 0});
        return list;
    }();
    return steps;
}

int Count(const std::vector<BulkBlock>& blocks) {
    return int(blocks.size());
}

// Reads the whole memory as the command's only step.
bool ReadWhole(DeviceSession& session, Steps& steps, ParamImage& image) {
    steps.Track(ReadSteps(), 0, Count(ReadSteps()));
    return steps.Connect() && (session.ReadAll(image) || steps.Failed());
}

void Restore(const PreparedCommand& p, DeviceSession& session, Steps& steps, ProcessorResult& r) {
    r.File = p.Options.arguments.front();
    const int total = Count(ReadSteps()) + Count(DownloadSteps()) + Count(ReadSteps());
    steps.Track(ReadSteps(), 0, total);
    // The bytes the file does not carry keep the processor's values, as after an import in the window.
    ParamImage image;
    if (!steps.Connect() || !session.ReadAll(image)) {
        if (r.Ok()) {
            steps.Failed();
        }
        return;
    }
    for (const ImageCell& cell : PresetCells()) {
        cell.Set(image, cell.Get(p.FileImage));
    }
    steps.Track(DownloadSteps(), Count(ReadSteps()), total);
    const bool downloaded = session.Download(image);
    r.Download = session.LastDownload();
    if (!downloaded) {
        // The blocks written are printed as the result; the failure gives the link's reason.
        steps.Failed();
        if (const QStringList messages = session.Messages(); !messages.isEmpty()) {
            r.Error = QStringLiteral("写入没有完成：") + messages.back();
        }
        return;
    }
    steps.Track(ReadSteps(), Count(ReadSteps()) + Count(DownloadSteps()), total);
    if (!session.ReadBack(image, r.Differences)) {
        steps.Failed();
        return;
    }
    r.ReadBackDone = true;
    if (!r.Differences.empty()) {
        r.Fail(kExitDifferences, codes::kReadbackMismatch,
               QStringLiteral("回读校验发现 %1 处不同").arg(r.Differences.size()));
    }
}

void Verify(const PreparedCommand& p, DeviceSession& session, Steps& steps, ProcessorResult& r) {
    r.File = p.Options.arguments.front();
    ParamImage image;
    if (!ReadWhole(session, steps, image)) {
        return;
    }
    r.Differences = CompareImages(p.FileImage, image, RestoredCells());
    if (!r.Differences.empty()) {
        r.Exit = kExitDifferences;
    }
}

void Get(const PreparedCommand& p, DeviceSession& session, Steps& steps, ProcessorResult& r) {
    if (p.Names.empty()) {
        ParamImage image;
        if (!ReadWhole(session, steps, image)) {
            return;
        }
        for (const ParamDef& def : ParamTable()) {
            const ParamRef ref{&def, CellGroup(p.Options.group, def.Address)};
            r.Values.push_back({ref, CellOf(ref).Get(image), {}, {}});
        }
        return;
    }
    if (!steps.Connect()) {
        return;
    }
    for (const ParamRef& ref : p.Names) {
        uint8_t raw = 0;
        if (!session.ReadParameter(ref, raw)) {
            steps.Failed();
            return;
        }
        r.Values.push_back({ref, raw, {}, {}});
    }
}

void Set(const PreparedCommand& p, DeviceSession& session, Steps& steps, ProcessorResult& r) {
    if (!steps.Connect()) {
        return;
    }
    for (const ParamValue& value : p.Assignments) {
        if (!session.WriteParameter(value.Ref, value.Raw)) {
            steps.Failed();
            return;
        }
        r.Values.push_back(value);
    }
}

} // namespace

std::optional<PreparedCommand> PrepareCommand(const CtlOptions& options, ProcessorResult& refusal) {
    PreparedCommand p;
    p.Options = options;
    const QStringList& args = options.arguments;
    switch (options.command) {
    case Command::Restore:
        if (!LoadFile(args.front(), p.FileImage, refusal) ||
            !CheckDownloadable(args.front(), p.FileImage, refusal)) {
            return std::nullopt;
        }
        break;
    case Command::Verify:
        if (!LoadFile(args.front(), p.FileImage, refusal)) {
            return std::nullopt;
        }
        break;
    case Command::Diff:
        if (!LoadFile(args[0], p.FileImage, refusal) || !LoadFile(args[1], p.OtherImage, refusal)) {
            return std::nullopt;
        }
        break;
    case Command::Get:
        for (const QString& name : args) {
            const std::optional<ParamRef> ref = ResolveName(name, options.group, refusal);
            if (!ref) {
                return std::nullopt;
            }
            p.Names.push_back(*ref);
        }
        break;
    case Command::Set:
        if (!PrepareAssignments(p, refusal)) {
            return std::nullopt;
        }
        break;
    case Command::Eq:
        if (!PrepareEq(p, refusal)) {
            return std::nullopt;
        }
        break;
    case Command::List:
    case Command::Backup:
        break;
    }
    return p;
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
                               const StepProgress& progress) {
    ProcessorResult r;
    DeviceSession session(backend, device.Path);
    Steps steps(session, backend, progress, r);
    switch (p.Options.command) {
    case Command::List:
        r.Answered = steps.Connect();
        break;
    case Command::Backup: {
        ParamImage image;
        if (ReadWhole(session, steps, image)) {
            r.Image = image;
        }
        break;
    }
    case Command::Restore:
        Restore(p, session, steps, r);
        break;
    case Command::Verify:
        Verify(p, session, steps, r);
        break;
    case Command::Get:
        Get(p, session, steps, r);
        break;
    case Command::Set:
        Set(p, session, steps, r);
        break;
    case Command::Eq:
        if (steps.Connect() && !RunEqOnProcessor(p, session, r)) {
            steps.Failed();
        }
        break;
    case Command::Diff:
        break;
    }
    r.Messages = session.Messages();
    return r;
}

} // namespace korva::ctl
