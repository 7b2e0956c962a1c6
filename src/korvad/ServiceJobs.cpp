#include "korvad/ServiceJobs.h"

#include "ctl/EqJson.h"
#include "korvad/EventHub.h"
#include "link/BulkTransfer.h"
#include "model/PresetFile.h"
#include "processor/DeviceSession.h"
#include "processor/Processor.h"
#include "processor/ResultJson.h"

namespace korva::korvad {

namespace {

ImageCell CellOf(const ParamRef& ref) {
    return {ref.StoredGroup(), ref.Def->Address, ref.Def->Field, false};
}

// The processor's part of every answer, and what the link reported while the job ran.
class Answer {
public:
    explicit Answer(WorkerContext& context)
        : context_(context), messagesBefore_(context.Session().MessageCount()) {}

    QJsonObject Body() const {
        const HidDeviceInfo& d = context_.Device();
        const QStringList messages = NewMessages();
        return {{"device", QString::fromStdString(d.Path)},
                {"serial", d.SerialNumber.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(d.SerialNumber)},
                {"product", d.ProductString.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(d.ProductString)},
                {"messages", QJsonArray::fromStringList(messages)}};
    }

    // What the link reported since the job began.
    QStringList NewMessages() const { return context_.Session().MessagesSince(messagesBefore_); }

    HttpResponse Ok(const QJsonObject& fields) const { return JsonResponse(200, Merge(fields)); }

    // The processor answers the handshake (connecting when it is offline).
    bool Reach() { return context_.Session().IsConnected() || context_.Session().Connect(); }
    // It could not be reached at all.
    HttpResponse Offline() const {
        return ErrorResponse(503, "offline", context_.Session().LastError(), Merge({}));
    }
    // It stopped answering during the operation.
    HttpResponse DeviceFailed(const QString& why, const QJsonObject& fields = QJsonObject()) const {
        return ErrorResponse(502, "device_failed", why, Merge(fields));
    }
    HttpResponse SessionFailed(const QJsonObject& fields = QJsonObject()) const {
        return DeviceFailed(context_.Session().LastError(), fields);
    }
    // The operation refused its input: nothing was sent.
    HttpResponse Refused(const char* code, const QString& why) const {
        return ErrorResponse(422, code, why, Merge({}));
    }

    // Reaches the processor and reads its whole memory into image; false, with the answer to give, when
    // either failed.
    bool ReadWhole(ParamImage& image, HttpResponse& failure) {
        if (!Reach()) {
            failure = Offline();
            return false;
        }
        if (!context_.Session().ReadAll(image)) {
            failure = SessionFailed();
            return false;
        }
        return true;
    }

private:
    QJsonObject Merge(const QJsonObject& fields) const {
        QJsonObject body = Body();
        for (auto it = fields.begin(); it != fields.end(); ++it) {
            body.insert(it.key(), it.value());
        }
        return body;
    }

    WorkerContext& context_;
    qint64 messagesBefore_;
};

QJsonObject UserValue(const ParamRef& ref, uint8_t raw) {
    QJsonObject value = ValueJson(ref, raw);
    value.remove(QStringLiteral("name"));
    value.remove(QStringLiteral("label"));
    return value;
}

// A parameter changed through the service, by the token named by (empty: found changed on the processor).
void PublishParameter(WorkerContext& context, const ParamRef& ref, uint8_t old, uint8_t raw, const QString& by) {
    QJsonObject event = context.Event("parameter");
    event.insert(QStringLiteral("name"), QualifiedName(ref));
    event.insert(QStringLiteral("label"), QualifiedLabel(ref));
    event.insert(QStringLiteral("old"), UserValue(ref, old));
    event.insert(QStringLiteral("new"), UserValue(ref, raw));
    event.insert(QStringLiteral("by"), by.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(by));
    context.Events().Publish(event);
}

// Restore progress over its three steps (read, download, read-back), as events.
void ReportProgress(WorkerContext& context, const char* phase, const QString& by) {
    context.Session().SetProgress([&context, phase, by](int done, int total) {
        QJsonObject event = context.Event("restore");
        event.insert(QStringLiteral("phase"), QString::fromLatin1(phase));
        event.insert(QStringLiteral("done"), done);
        event.insert(QStringLiteral("total"), total);
        event.insert(QStringLiteral("by"), by);
        context.Events().Publish(event);
    });
}

} // namespace

void PublishChangesFound(WorkerContext& context, const ParamImage& before, const ParamImage& after) {
    for (int g = 0; g < kGroupCount; ++g) {
        for (const ParamDef& def : ParamTable()) {
            if (def.Scope == ParamScope::Common && g > 0) {
                continue;
            }
            const ParamRef ref{&def, g};
            const uint8_t old = CellOf(ref).Get(before);
            const uint8_t now = CellOf(ref).Get(after);
            if (old != now) {
                PublishParameter(context, ref, old, now, QString());
            }
        }
    }
}

HttpResponse GetValues(WorkerContext& context, const std::vector<ParamRef>& refs) {
    Answer answer(context);
    if (!answer.Reach()) {
        return answer.Offline();
    }
    if (!context.EnsureImage()) {
        return answer.SessionFailed();
    }
    const ParamImage image = ParamImage::Of(context.Service().Model());
    QJsonArray values;
    for (const ParamRef& ref : refs) {
        values.append(ValueJson(ref, CellOf(ref).Get(image)));
    }
    return answer.Ok({{"values", values}});
}

HttpResponse SetValue(WorkerContext& context, const ParamRef& ref, uint8_t raw, const QString& by) {
    Answer answer(context);
    if (!answer.Reach()) {
        return answer.Offline();
    }
    if (!context.EnsureImage()) {
        return answer.SessionFailed();
    }
    Processor& service = context.Service();
    const uint8_t old = service.Model().Cell(ref.StoredGroup(), ref.Def->Address).Field(ref.Def->Field);
    if (service.SetParameter(ref, raw) != WriteResult::Sent) {
        const QStringList messages = answer.NewMessages();
        return answer.DeviceFailed(QStringLiteral("写入 %1 失败：").arg(QualifiedName(ref)) +
                                   (messages.isEmpty() ? Communications::LinkLostText() : messages.back()));
    }
    PublishParameter(context, ref, old, raw, by);
    return answer.Ok({{"values", QJsonArray{ValueJson(ref, raw)}}, {"previous", UserValue(ref, old)}});
}

HttpResponse Backup(WorkerContext& context) {
    Answer answer(context);
    ParamImage image;
    HttpResponse failure;
    if (!answer.ReadWhole(image, failure)) {
        return failure;
    }
    // The file a fresh backup writes, as korva-ctl backup writes it.
    ParamModel model;
    image.ApplyTo(model);
    HttpResponse response;
    response.ContentType = "application/octet-stream";
    response.Body = PresetFileText(model);
    const QString name = context.Device().SerialNumber.isEmpty() ? QStringLiteral("backup")
                                                                 : context.Device().SerialNumber;
    response.Headers.emplace_back("Content-Disposition", "attachment; filename=\"" + name.toUtf8() + ".PA\"");
    return response;
}

HttpResponse Restore(WorkerContext& context, const ParamImage& file, const QString& by) {
    Answer answer(context);
    DeviceSession& session = context.Session();
    // The bytes the file does not carry keep the processor's values, as after an import in the window.
    ParamImage image;
    HttpResponse failure;
    ReportProgress(context, "read", by);
    if (!answer.ReadWhole(image, failure)) {
        session.SetProgress({});
        return failure;
    }
    for (const ImageCell& cell : PresetCells()) {
        cell.Set(image, cell.Get(file));
    }
    ReportProgress(context, "download", by);
    const bool downloaded = session.Download(image);
    const QJsonObject download = DownloadJson(session.LastDownload());
    std::vector<ImageDifference> differences;
    ReportProgress(context, "readback", by);
    const bool readBack = downloaded && session.ReadBack(image, differences);
    session.SetProgress({});

    QJsonObject done = context.Event("restore");
    done.insert(QStringLiteral("phase"), QStringLiteral("done"));
    done.insert(QStringLiteral("ok"), readBack && differences.empty());
    done.insert(QStringLiteral("by"), by);
    context.Events().Publish(done);

    const QJsonObject fields{{"download", download},
                             {"verified", readBack},
                             {"differences", DifferencesJson(differences)}};
    if (!downloaded) {
        // The blocks written are part of the answer; the reason is the link's.
        const QStringList messages = answer.NewMessages();
        return answer.DeviceFailed(messages.isEmpty() ? session.LastError()
                                                      : QStringLiteral("写入没有完成：") + messages.back(),
                                   fields);
    }
    if (!readBack) {
        return answer.DeviceFailed(session.LastError(), fields);
    }
    return answer.Ok(fields);
}

HttpResponse Verify(WorkerContext& context, const ParamImage& file) {
    Answer answer(context);
    ParamImage image;
    HttpResponse failure;
    if (!answer.ReadWhole(image, failure)) {
        return failure;
    }
    return answer.Ok({{"differences", DifferencesJson(CompareImages(file, image, RestoredCells()))}});
}

HttpResponse TuneEq(WorkerContext& context, const ctl::EqRequest& request, bool dryRun, const QString& by) {
    Answer answer(context);
    if (!answer.Reach()) {
        return answer.Offline();
    }
    ctl::EqOutcome outcome;
    QString why;
    switch (ctl::TuneProcessor(request, context.Session(), dryRun, outcome, &why)) {
    case ctl::EqRun::SessionFault:
        return answer.SessionFailed({{"written", outcome.Written}});
    case ctl::EqRun::Refused:
        return answer.Refused("fit_refused", why);
    case ctl::EqRun::Done:
        break;
    }
    const bool export_ = request.Action == ctl::EqAction::Export;
    QJsonObject fields{{"channel", ctl::EqChannelName(request.Channel)},
                       {"group", request.Group + 1},
                       {"bands", ctl::EqBandsJson(outcome.After)},
                       {"cuts", ctl::EqCutsJson(outcome.After)}};
    if (export_) {
        fields.insert("format", request.Format == FilterTextFormat::Apo ? "apo" : "rew");
        fields.insert("text", outcome.Text);
        return answer.Ok(fields);
    }
    if (outcome.ReadBack) {
        for (const ImageDifference& d : outcome.Changes) {
            PublishParameter(context, ParamOfCell(d.Cell), d.Old, d.New, by);
        }
    }
    // The fit's error unrounded: korva-ctl rounds it as it prints it.
    fields.insert("dry_run", dryRun);
    fields.insert("rms_db", outcome.Fit ? QJsonValue(outcome.Fit->RmsDb) : QJsonValue(QJsonValue::Null));
    fields.insert("max_db", outcome.Fit ? QJsonValue(outcome.Fit->MaxDb) : QJsonValue(QJsonValue::Null));
    fields.insert("changes", DifferencesJson(outcome.Changes));
    fields.insert("warnings", ctl::EqWarningsJson(outcome.Warnings));
    fields.insert("written", outcome.Written);
    fields.insert("verified", outcome.ReadBack && outcome.ReadBackDifferences.empty());
    fields.insert("differences", DifferencesJson(outcome.ReadBackDifferences));
    return answer.Ok(fields);
}

} // namespace korva::korvad
