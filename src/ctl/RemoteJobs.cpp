#include "ctl/RemoteJobs.h"

#include "ctl/BackupTargets.h"
#include "ctl/Console.h"
#include "ctl/DeviceSelection.h"
#include "ctl/EqCommands.h"
#include "ctl/EqJson.h"
#include "ctl/ErrorCodes.h"
#include "ctl/InterruptGuard.h"
#include "ctl/ProgressBar.h"
#include "ctl/RemoteClient.h"
#include "link/BulkTransfer.h"
#include "link/FrameProtocol.h"
#include "eq/TextInput.h"
#include "link/USB_Comm.h"
#include "model/FileAccess.h"
#include "model/ListText.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <map>

namespace korva::ctl {

namespace {

// A token is one short line.
constexpr qint64 kMaxTokenFileBytes = 4096;
constexpr qint64 kMaxCaFileBytes = 1024 * 1024;

bool Supported(Command command) {
    switch (command) {
    case Command::List:
    case Command::Backup:
    case Command::Restore:
    case Command::Verify:
    case Command::Get:
    case Command::Set:
    case Command::Eq:
        return true;
    default:
        return false;
    }
}

// The rooms with their token and trusted certificates; std::nullopt and the refusal when a file fails.
std::optional<std::vector<RemoteRoom>> RoomsOf(const CtlOptions& options, ProcessorResult& refusal) {
    QByteArray token = qgetenv("KORVA_TOKEN").trimmed();
    if (!options.tokenFile.isEmpty()) {
        FileError error;
        if (!ReadRegularFile(options.tokenFile, token, &error, kMaxTokenFileBytes)) {
            refusal.Fail(kExitUsage, error.CodeName(), error.Message);
            return std::nullopt;
        }
        token = token.left(token.indexOf('\n') < 0 ? token.size() : token.indexOf('\n')).trimmed();
    }
    QList<QSslCertificate> cas;
    if (!options.caFile.isEmpty()) {
        QByteArray pem;
        FileError error;
        if (!ReadRegularFile(options.caFile, pem, &error, kMaxCaFileBytes)) {
            refusal.Fail(kExitUsage, error.CodeName(), error.Message);
            return std::nullopt;
        }
        cas = QSslCertificate::fromData(pem, QSsl::Pem);
        if (cas.isEmpty()) {
            refusal.Fail(kExitUsage, codes::kBadFile,
                         QStringLiteral("%1：其中没有 PEM 格式的证书").arg(DisplayPath(options.caFile)));
            return std::nullopt;
        }
    }
    std::vector<RemoteRoom> rooms;
    for (const QString& url : options.remotes) {
        rooms.push_back({url, token, cas});
    }
    return rooms;
}

uint16_t KorvaId(const QString& text) {
    return uint16_t(ParseListNumber(text).value_or(0));
}

// What a room lists, as the local enumeration would give it, and whether each answers.
struct RoomListing {
    std::vector<HidDeviceInfo> Devices;
    std::map<std::string, bool> Online;
};

ProcessorResult ListRoom(const RemoteRoom& room, RoomListing& listing) {
    ProcessorResult r;
    RemoteClient client(room);
    const RemoteReply reply = client.Get("/api/v1/processors");
    if (FailedReply(reply, room, r)) {
        return r;
    }
    const QJsonValue processors = reply.Json().value(QStringLiteral("processors"));
    if (!processors.isArray()) {
        return r.Fail(kExitDevice, codes::kRemoteFailed,
                      QStringLiteral("korvad 的处理器列表无法识别"));
    }
    for (const QJsonValue& value : processors.toArray()) {
        const QJsonObject p = value.toObject();
        HidDeviceInfo device;
        device.VendorId = KorvaId(USB_Comm::kKorvaVendorID);
        device.ProductId = KorvaId(USB_Comm::kKorvaProductID);
        device.Path = p.value(QStringLiteral("path")).toString().toStdString();
        device.SerialNumber = p.value(QStringLiteral("serial")).toString();
        device.ProductString = p.value(QStringLiteral("product")).toString();
        listing.Devices.push_back(device);
        listing.Online[device.Path] = p.value(QStringLiteral("online")).toBool();
    }
    return r;
}

// korvad names a processor by its serial number, one without by its path.
QString IdOf(const HidDeviceInfo& device) {
    return device.SerialNumber.isEmpty() ? QString::fromStdString(device.Path) : device.SerialNumber;
}

// --- the answers, read back into what a local run keeps ---

std::optional<ImageDifference> DifferenceOf(const QJsonObject& o) {
    static const std::map<QString, ImageCell> cells = [] {
        std::map<QString, ImageCell> byName;
        for (const ImageCell& cell : ReadCells()) {
            byName.emplace(CellName(cell), cell);
        }
        return byName;
    }();
    const auto found = cells.find(o.value(QStringLiteral("name")).toString());
    if (found == cells.end()) {
        return std::nullopt;
    }
    const ImageCell& cell = found->second;
    const auto a = uint8_t(o.value(QStringLiteral("old")).toInt());
    const auto b = uint8_t(o.value(QStringLiteral("new")).toInt());
    return ImageDifference{cell, a, b, CellName(cell), CellLabel(cell), FormatCellValue(cell, a),
                           FormatCellValue(cell, b)};
}

std::optional<BulkBlock> BlockOf(const QString& text) {
    static const std::vector<BulkBlock> steps = [] {
        std::vector<BulkBlock> list = BulkTransfer::DownloadBlocks();
        list.push_back({kCmdFinishDownload, 0, 0});
        return list;
    }();
    for (const BulkBlock& block : steps) {
        if (DescribeBlock(block) == text) {
            return block;
        }
    }
    return std::nullopt;
}

// False when the answer holds something this program does not know.
bool TakeDifferences(const QJsonObject& answer, ProcessorResult& r) {
    for (const QJsonValue& value : answer.value(QStringLiteral("differences")).toArray()) {
        const std::optional<ImageDifference> d = DifferenceOf(value.toObject());
        if (!d) {
            return false;
        }
        r.Differences.push_back(*d);
    }
    return true;
}

bool TakeDownload(const QJsonObject& answer, ProcessorResult& r) {
    const QJsonValue download = answer.value(QStringLiteral("download"));
    if (!download.isObject()) {
        return true;
    }
    const QJsonObject o = download.toObject();
    DownloadReport report;
    report.BlocksTotal = o.value(QStringLiteral("blocks_total")).toInt(report.BlocksTotal);
    report.Finished = o.value(QStringLiteral("finished")).toBool();
    for (const QJsonValue& value : o.value(QStringLiteral("blocks_written")).toArray()) {
        const std::optional<BulkBlock> block = BlockOf(value.toString());
        if (!block) {
            return false;
        }
        report.Acknowledged.push_back(*block);
    }
    if (const QJsonValue unanswered = o.value(QStringLiteral("unanswered")); unanswered.isString()) {
        report.Unanswered = BlockOf(unanswered.toString());
        if (!report.Unanswered) {
            return false;
        }
    }
    r.Download = report;
    return true;
}

bool TakeValues(const QJsonObject& answer, std::vector<ParamValue>& values) {
    for (const QJsonValue& value : answer.value(QStringLiteral("values")).toArray()) {
        const QJsonObject o = value.toObject();
        const std::optional<ParamRef> ref = ResolveParamName(o.value(QStringLiteral("name")).toString(), 0);
        if (!ref) {
            return false;
        }
        values.push_back({*ref, uint8_t(o.value(QStringLiteral("raw")).toInt()), {}, {}});
    }
    return true;
}

// The preset file korvad sent, read as strictly as a file given to korva-ctl.
bool TakeBackup(const QByteArray& bytes, ProcessorResult& r) {
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("backup.PA"));
    ParamImage image = ParamImage::Defaults();
    if (!folder.isValid() || !ReplaceFile(path, bytes) || !LoadPresetImageStrict(path, image)) {
        return false;
    }
    r.Image = image;
    return true;
}

ProcessorResult& BadAnswer(ProcessorResult& r) {
    return r.Fail(kExitDevice, codes::kRemoteFailed, QStringLiteral("korvad 的回答无法识别"));
}

const char* EqActionName(EqAction action) {
    switch (action) {
    case EqAction::Import:
        return "import";
    case EqAction::Match:
        return "match";
    case EqAction::Fit:
        return "fit";
    case EqAction::Export:
        break;
    }
    return "export";
}

// The body of an eq request: the options as given and the files' text (read as the readers read them).
std::optional<QByteArray> EqBody(const CtlOptions& options, ProcessorResult& refusal) {
    const EqCommandLine& eq = options.eq;
    QJsonObject body{{"channel", eq.Channel}, {"group", options.group + 1}, {"cuts", eq.Cuts},
                     {"dry_run", eq.DryRun}};
    const std::pair<const char*, const std::optional<double>&> numbers[] = {
        {"from_hz", eq.FromHz}, {"to_hz", eq.ToHz}, {"max_boost_db", eq.MaxBoostDb}};
    for (const auto& [key, value] : numbers) {
        if (value) {
            body.insert(QLatin1String(key), *value);
        }
    }
    const char* input = eq.Action == EqAction::Import ? "filters" : eq.Action == EqAction::Match ? "curve" : "measurement";
    const std::pair<const char*, QString> files[] = {{input, eq.File}, {"target", eq.Target}};
    for (const auto& [key, path] : files) {
        QByteArray bytes;
        FileError error;
        if (path.isEmpty()) {
            continue;
        }
        if (!ReadRegularFile(path, bytes, &error)) {
            refusal.Fail(kExitUsage, error.CodeName(), error.Message);
            return std::nullopt;
        }
        body.insert(QLatin1String(key), DecodeUserText(bytes));
    }
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

// What happened on one processor, from korvad's answers.
class RemoteJob {
public:
    RemoteJob(const PreparedCommand& p, const QByteArray& file, const RemoteRoom& room, const HidDeviceInfo& device)
        : p_(p), file_(file), room_(room), id_(IdOf(device)) {}

    ProcessorResult Run(const StepProgress& progress) {
        RemoteClient client(room_);
        const int total = p_.Options.command == Command::Set ? int(p_.Assignments.size()) : 1;
        if (progress) {
            progress(0, total, 0);
        }
        switch (p_.Options.command) {
        case Command::Backup:
            if (const RemoteReply reply = client.Post(Path("/backup"), {}); !FailedReply(reply, room_, r_) &&
                                                                            !TakeBackup(reply.Body, r_)) {
                BadAnswer(r_);
            }
            break;
        case Command::Restore:
            Restore(client.Post(Path("/restore"), file_));
            break;
        case Command::Verify:
            r_.File = p_.Options.arguments.front();
            if (const QJsonObject answer = Answer(client.Post(Path("/verify"), file_)); r_.Ok()) {
                if (!TakeDifferences(answer, r_)) {
                    BadAnswer(r_);
                } else if (!r_.Differences.empty()) {
                    r_.Exit = kExitDifferences;
                }
            }
            break;
        case Command::Eq:
            Eq(client);
            break;
        case Command::Get:
            if (const QJsonObject answer = Answer(client.Get(Path("/parameters?") + GetQuery())); r_.Ok()) {
                if (!TakeValues(answer, r_.Values)) {
                    BadAnswer(r_);
                }
            }
            break;
        case Command::Set:
            for (const ParamValue& value : p_.Assignments) {
                const QJsonObject answer = Answer(client.Put(
                    Path("/parameters/" + QUrl::toPercentEncoding(QualifiedName(value.Ref))), {{"raw", value.Raw}}));
                std::vector<ParamValue> written;
                if (!r_.Ok()) {
                    break;
                }
                if (!TakeValues(answer, written) || written.size() != 1) {
                    BadAnswer(r_);
                    break;
                }
                r_.Values.push_back({written.front().Ref, written.front().Raw, value.RequestedText, value.Requested});
                if (progress) {
                    progress(int(r_.Values.size()), total, 0);
                }
            }
            break;
        default:
            break;
        }
        if (progress) {
            progress(total, total, 0);
        }
        return r_;
    }

private:
    QByteArray Path(const QByteArray& rest) const { return RemoteClient::ProcessorPath(id_, rest); }

    QByteArray GetQuery() const {
        if (p_.Names.empty()) {
            return "group=" + QByteArray::number(p_.Options.group + 1);
        }
        QStringList names;
        for (const ParamRef& ref : p_.Names) {
            names << QualifiedName(ref);
        }
        QUrlQuery query;
        query.addQueryItem(QStringLiteral("names"), names.join(QLatin1Char(',')));
        return query.toString(QUrl::FullyEncoded).toUtf8();
    }

    // The answer's JSON (also of a failure: it says what the link reported); r_ fails when it is not a 200.
    QJsonObject Answer(const RemoteReply& reply) {
        FailedReply(reply, room_, r_);
        const QJsonObject answer = reply.Json();
        for (const QJsonValue& message : answer.value(QStringLiteral("messages")).toArray()) {
            r_.Messages << message.toString();
        }
        return answer;
    }

    void Restore(const RemoteReply& reply) {
        r_.File = p_.Options.arguments.front();
        const QJsonObject answer = Answer(reply);
        if (!TakeDownload(answer, r_) || !TakeDifferences(answer, r_)) {
            BadAnswer(r_);
            return;
        }
        r_.ReadBackDone = answer.value(QStringLiteral("verified")).toBool();
        if (r_.Ok() && !r_.Differences.empty()) {
            r_.Fail(kExitDifferences, codes::kReadbackMismatch,
                    QStringLiteral("回读校验发现 %1 处不同").arg(r_.Differences.size()));
        }
    }

    void Eq(RemoteClient& client) {
        const EqCommandLine& eq = p_.Options.eq;
        RemoteReply reply;
        if (eq.Action == EqAction::Export) {
            QUrlQuery query;
            query.addQueryItem(QStringLiteral("channel"), eq.Channel);
            query.addQueryItem(QStringLiteral("format"), eq.Format.isEmpty() ? QStringLiteral("rew") : eq.Format);
            query.addQueryItem(QStringLiteral("group"), QString::number(p_.Options.group + 1));
            reply = client.Get(Path("/eq/export?") + query.toString(QUrl::FullyEncoded).toUtf8());
        } else {
            reply = client.Post(Path(QByteArray("/eq/") + EqActionName(eq.Action)), file_, "application/json");
        }
        if (reply.Status == 422 && reply.Json().value(QStringLiteral("error")) == QLatin1String("fit_refused")) {
            EqFitRefused(eq, reply.Json().value(QStringLiteral("message")).toString(), r_);
            return;
        }
        const QJsonObject answer = Answer(reply);
        if (!r_.Ok()) {
            return;
        }
        EqOutcome outcome;
        outcome.Warnings = p_.Eq.Warnings; // the same readers read the same text here
        if (!EqChannelFromJson(answer, p_.Eq.Channel, outcome.After)) {
            BadAnswer(r_);
            return;
        }
        if (eq.Action == EqAction::Export) {
            outcome.Text = answer.value(QStringLiteral("text")).toString();
            r_.Eq = std::move(outcome);
            return;
        }
        FitResult fit;
        fit.Eq = outcome.After;
        fit.RmsDb = answer.value(QStringLiteral("rms_db")).toDouble();
        fit.MaxDb = answer.value(QStringLiteral("max_db")).toDouble();
        outcome.Fit = std::move(fit);
        outcome.Written = answer.value(QStringLiteral("written")).toInt();
        for (const QJsonValue& value : answer.value(QStringLiteral("changes")).toArray()) {
            const std::optional<ImageDifference> d = DifferenceOf(value.toObject());
            if (!d) {
                BadAnswer(r_);
                return;
            }
            outcome.Changes.push_back(*d);
        }
        if (!TakeDifferences(answer, r_)) {
            BadAnswer(r_);
            return;
        }
        outcome.ReadBack = !eq.DryRun;
        outcome.ReadBackDifferences = r_.Differences;
        r_.ReadBackDone = outcome.ReadBack;
        if (!r_.Differences.empty()) {
            r_.Fail(kExitDifferences, codes::kReadbackMismatch,
                    QStringLiteral("回读校验发现 %1 处不同").arg(r_.Differences.size()));
        }
        r_.Eq = std::move(outcome);
    }

    const PreparedCommand& p_;
    const QByteArray& file_;
    const RemoteRoom room_;
    const QString id_;
    ProcessorResult r_;
};

// A processor a room lists, for the results of list.
ProcessorResult Listed(const QString& url, const HidDeviceInfo& device, bool online) {
    ProcessorResult r;
    r.Device = device;
    r.Url = url;
    r.Answered = online;
    if (!online) {
        r.Fail(kExitDevice, codes::kNoAnswer, QStringLiteral("处理器没有应答握手"));
    }
    return r;
}

// Backup files are named over every room's processors at once; a path may repeat between rooms.
std::string BackupKey(const QString& url, const std::string& path) {
    return url.toStdString() + '\n' + path;
}

} // namespace

RemoteRun RunOnRemotes(const PreparedCommand& prepared, Console& console) {
    const CtlOptions& options = prepared.Options;
    RemoteRun run;
    ProcessorResult refusal;
    if (!Supported(options.command)) {
        refusal.Fail(kExitUsage, codes::kNotRemote,
                     QStringLiteral("%1 还不能通过 --remote 执行：korvad 没有这个命令的接口").arg(options.commandName));
        run.Results.push_back(refusal);
        return run;
    }
    const std::optional<std::vector<RemoteRoom>> rooms = RoomsOf(options, refusal);
    QByteArray file;
    FileError fileError;
    if ((options.command == Command::Restore || options.command == Command::Verify) &&
        !ReadRegularFile(options.arguments.front(), file, &fileError)) {
        refusal.Fail(kExitUsage, fileError.CodeName(), fileError.Message);
    }
    if (options.command == Command::Eq && options.eq.Action != EqAction::Export) {
        file = EqBody(options, refusal).value_or(QByteArray());
    }
    if (!rooms || !refusal.Ok()) {
        run.Results.push_back(refusal);
        return run;
    }

    // Every room's list at once.
    std::vector<RoomListing> listings(rooms->size());
    std::vector<FleetJob> listJobs;
    for (size_t i = 0; i < rooms->size(); ++i) {
        listJobs.push_back({{}, (*rooms)[i].Url, [&rooms, &listings, i](const StepProgress&) {
                                return ListRoom((*rooms)[i], listings[i]);
                            }});
    }
    ProgressBar bar(console);
    std::vector<ProcessorResult> roomFailures;
    {
        InterruptGuard guard(InterruptGuard::Mode::StopAtOnce);
        FleetResults listed = RunJobs(std::move(listJobs), guard, bar, console);
        if (listed.InterruptedBy != 0) {
            run.Results = std::move(listed.Results);
            run.InterruptedBy = listed.InterruptedBy;
            return run;
        }
        for (ProcessorResult& r : listed.Results) {
            r.Device.reset();
            if (!r.Ok()) {
                roomFailures.push_back(r);
            }
        }
    }

    // Each room's processors selected as local ones are; a processor named by --device or --serial need
    // be in only one of several rooms.
    std::vector<FleetJob> jobs;
    std::vector<HidDeviceInfo> keyed; // for the backup files' names
    std::vector<ProcessorResult> selectionFailures;
    for (size_t i = 0; i < rooms->size(); ++i) {
        const RemoteRoom& room = (*rooms)[i];
        if (std::any_of(roomFailures.begin(), roomFailures.end(),
                        [&room](const ProcessorResult& r) { return r.Url == room.Url; })) {
            continue;
        }
        Selection selection = SelectProcessors(options, listings[i].Devices);
        if (selection.Devices.empty()) {
            selection.Refusal.Url = room.Url;
            selectionFailures.push_back(selection.Refusal);
            continue;
        }
        if (options.command == Command::List) {
            for (const HidDeviceInfo& device : selection.Devices) {
                run.Results.push_back(Listed(room.Url, device, listings[i].Online[device.Path]));
            }
            continue;
        }
        if (!selection.Note.isEmpty() && !options.json) {
            console.Error(room.Url + QLatin1Char(' ') + selection.Note);
        }
        for (const HidDeviceInfo& device : selection.Devices) {
            jobs.push_back({device, room.Url, [&prepared, &file, room, device](const StepProgress& progress) {
                                return RemoteJob(prepared, file, room, device).Run(progress);
                            }});
            HidDeviceInfo key = device;
            key.Path = BackupKey(room.Url, device.Path);
            keyed.push_back(key);
        }
    }
    const bool named = !options.devicePath.isEmpty() || !options.serial.isEmpty();
    for (ProcessorResult& failure : selectionFailures) {
        if (!(named && rooms->size() > 1 && !jobs.empty() && failure.Code == QLatin1String(codes::kNotFound))) {
            roomFailures.push_back(failure);
        }
    }
    std::map<std::string, QString> backupFiles;
    if (options.command == Command::Backup && !jobs.empty()) {
        const auto files = BackupFileNames(options.arguments.front(), keyed, refusal);
        if (!files || !CheckBackupFiles(*files, refusal)) {
            run.Results = {refusal};
            return run;
        }
        backupFiles = *files;
    }

    if (!jobs.empty()) {
        run.DeviceUsed = true;
        InterruptGuard guard(ChangesDevice(options.command) ? InterruptGuard::Mode::FinishFirst
                                                            : InterruptGuard::Mode::StopAtOnce);
        FleetResults fleet = RunJobs(std::move(jobs), guard, bar, console);
        run.InterruptedBy = fleet.InterruptedBy;
        run.Results.insert(run.Results.end(), fleet.Results.begin(), fleet.Results.end());
    }
    if (options.command == Command::Backup && run.InterruptedBy == 0) {
        // Written under the keys they were named by, then shown by the processor's own path.
        for (ProcessorResult& r : run.Results) {
            r.Device->Path = BackupKey(r.Url, r.Device->Path);
        }
        WriteBackups(backupFiles, run.Results);
        for (ProcessorResult& r : run.Results) {
            r.Device->Path = r.Device->Path.substr(r.Device->Path.find('\n') + 1);
        }
    }
    run.Results.insert(run.Results.end(), roomFailures.begin(), roomFailures.end());
    return run;
}

} // namespace korva::ctl
