#include "korvad/Api.h"

#include "korvad/ApiRoutes.h"
#include "korvad/EqRequests.h"
#include "korvad/Fleet.h"
#include "korvad/ServiceJobs.h"
#include "ops/ParamUnits.h"
#include "processor/Processor.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <cmath>
#include <exception>

namespace korva::korvad {

namespace {

HttpResponse BadRequest(const QString& message) {
    return ErrorResponse(400, "bad_request", message);
}

QString QueryValue(const HttpRequest& request, const QString& key) {
    return QUrlQuery(QString::fromUtf8(request.Query())).queryItemValue(key, QUrl::FullyDecoded);
}

// ?group=N (1–8, default 1) or all; -1 for all.
std::optional<int> GroupOf(const HttpRequest& request, HttpResponse& refusal) {
    const QString text = QueryValue(request, QStringLiteral("group"));
    if (text.isEmpty()) {
        return 0;
    }
    if (text == QLatin1String("all")) {
        return -1;
    }
    bool ok = false;
    const int group = text.toInt(&ok);
    if (!ok || group < 1 || group > kGroupCount) {
        refusal = BadRequest(QStringLiteral("参数组须为 1 到 8（MODEL 1 到 MODEL 8）或 all"));
        return std::nullopt;
    }
    return group - 1;
}

// ?names=a,b (with or without g1. … g8.), or every parameter of the group(s).
std::optional<std::vector<ParamRef>> ParametersOf(const HttpRequest& request, HttpResponse& refusal) {
    const std::optional<int> group = GroupOf(request, refusal);
    if (!group) {
        return std::nullopt;
    }
    std::vector<ParamRef> refs;
    const QStringList names = QueryValue(request, QStringLiteral("names")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        QString why;
        const std::optional<ParamRef> ref = ResolveParamName(name.trimmed(), std::max(*group, 0), &why);
        if (!ref) {
            refusal = ErrorResponse(400, "unknown_parameter", why);
            return std::nullopt;
        }
        refs.push_back(*ref);
    }
    if (!names.isEmpty()) {
        return refs;
    }
    const int first = *group < 0 ? 0 : *group;
    const int last = *group < 0 ? kGroupCount - 1 : *group;
    for (int g = first; g <= last; ++g) {
        for (const ParamDef& def : ParamTable()) {
            if (def.Scope == ParamScope::Group || g == first) {
                refs.push_back({&def, CellGroup(g, def.Address)});
            }
        }
    }
    return refs;
}

// {"value": 1000 | "1000 Hz" | "on"} or {"raw": 40}: the byte, checked against the parameter's range.
std::optional<uint8_t> ValueOf(const ParamRef& ref, const QByteArray& body, HttpResponse& refusal) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(body, &parseError);
    if (!doc.isObject()) {
        refusal = BadRequest(QStringLiteral("请求正文须是 JSON 对象，例如 {\"value\": 1000}"));
        return std::nullopt;
    }
    const ParamDef& def = *ref.Def;
    const QJsonObject o = doc.object();
    auto outOfRange = [&](const QString& why) {
        refusal = ErrorResponse(422, "invalid_value", why, {{"range", ValidRangeText(def)}});
        return std::nullopt;
    };
    if (o.contains(QStringLiteral("raw"))) {
        const double raw = o.value(QStringLiteral("raw")).toDouble(-1);
        if (raw != std::trunc(raw) || raw < 0 || raw > 255) {
            return outOfRange(QStringLiteral("%1 %2：raw 须为 0–255 的整数").arg(def.Name, def.Label));
        }
        if (const QString why = Processor::WriteRefusal(ref, uint8_t(raw), false); !why.isEmpty()) {
            return outOfRange(why);
        }
        return uint8_t(raw);
    }
    const QJsonValue value = o.value(QStringLiteral("value"));
    QString text;
    if (value.isString()) {
        text = value.toString();
    } else if (value.isDouble()) {
        // A choice is read back as its index: the same number sets it.
        const double number = value.toDouble();
        if (def.Unit == ParamUnit::Choice && number == std::trunc(number) && number >= 0 &&
            number < def.Choices.size()) {
            return uint8_t(number);
        }
        text = QString::number(number, 'g', 15);
    } else {
        refusal = BadRequest(QStringLiteral("请求正文须有 \"value\"（数值或文本）或 \"raw\""));
        return std::nullopt;
    }
    QString why;
    const std::optional<uint8_t> raw = ParseParamValue(def, text, &why);
    if (!raw) {
        return outOfRange(why);
    }
    return raw;
}

// The preset file in the body, read whole and strictly as korva-ctl reads one (the window's import rules,
// and no key twice, none missing, none too long); restore also refuses bytes that would leave the
// processor unreadable.
std::optional<ParamImage> PresetOf(const QByteArray& body, bool forDownload, HttpResponse& refusal) {
    if (body.isEmpty()) {
        refusal = BadRequest(QStringLiteral("请求正文须是配置文件（*.PA）"));
        return std::nullopt;
    }
    QTemporaryDir folder;
    const QString path = QDir(folder.path()).filePath(QStringLiteral("request.PA"));
    QFile file(path);
    if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(body) != body.size()) {
        refusal = ErrorResponse(500, "internal", QStringLiteral("无法保存临时文件"));
        return std::nullopt;
    }
    file.close();
    ParamImage image = ParamImage::Defaults();
    FileError error;
    if (!LoadPresetImageStrict(path, image, &error)) {
        // The reason without the name of the scratch file.
        refusal = ErrorResponse(422, "invalid_preset", error.Reason.isEmpty() ? error.Message : error.Reason);
        return std::nullopt;
    }
    QString why;
    if (forDownload && !PresetBytesDownloadable(image, &why)) {
        refusal = ErrorResponse(422, "invalid_preset", why);
        return std::nullopt;
    }
    return image;
}

QJsonObject ProcessorJson(const ProcessorWorker& worker, const sim::VirtualProcessor* demo) {
    const HidDeviceInfo& d = worker.Device();
    auto textOrNull = [](const QString& text) {
        return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
    };
    QJsonObject json{{"id", worker.Id()},
                     {"path", QString::fromStdString(d.Path)},
                     {"serial", textOrNull(d.SerialNumber)},
                     {"product", textOrNull(d.ProductString)},
                     {"online", worker.IsOnline()},
                     {"busy", worker.IsBusy()}};
    if (demo) {
        const sim::VirtualProcessor::FrameTally tally = demo->TallyNow();
        json.insert(QStringLiteral("demo"), QJsonObject{{"frames", tally.Frames}, {"writes", tally.Writes}});
    }
    return json;
}

} // namespace

HttpResponse Api::ListProcessors() const {
    QJsonArray list;
    for (const ProcessorWorker* worker : fleet_.Processors()) {
        list.append(ProcessorJson(*worker, fleet_.Virtual(worker->Device().Path)));
    }
    return JsonResponse(200, {{"processors", list}});
}

void Api::Handle(const HttpRequest& request, const Responder& respond) {
    const RouteMatch match = MatchRoute(request.Method, request.Path());
    if (!match.Route) {
        if (match.Allowed.isEmpty()) {
            respond(ErrorResponse(404, "not_found", QStringLiteral("没有这个接口")));
        } else {
            HttpResponse r = ErrorResponse(405, "method_not_allowed", QStringLiteral("这个接口不支持该请求方法"));
            r.Headers.emplace_back("Allow", match.Allowed);
            respond(r);
        }
        return;
    }

    // Checked before any processor is looked up, so that a bad request never reaches one.
    HttpResponse refusal;
    std::function<HttpResponse(WorkerContext&)> work;
    const QString by = request.TokenName;
    switch (match.Route->Endpoint) {
    case ApiEndpoint::ListProcessors:
        respond(ListProcessors());
        return;
    case ApiEndpoint::Events:
        respond(ErrorResponse(426, "upgrade_required", QStringLiteral("事件接口须以 WebSocket 连接")));
        return;
    case ApiEndpoint::GetParameters: {
        const std::optional<std::vector<ParamRef>> refs = ParametersOf(request, refusal);
        if (!refs) {
            respond(refusal);
            return;
        }
        work = [refs = *refs](WorkerContext& c) { return GetValues(c, refs); };
        break;
    }
    case ApiEndpoint::SetParameter: {
        const std::optional<int> group = GroupOf(request, refusal);
        QString why;
        const std::optional<ParamRef> ref =
            group ? ResolveParamName(match.Parameters[1], std::max(*group, 0), &why) : std::nullopt;
        if (!group) {
            respond(refusal);
            return;
        }
        if (!ref) {
            respond(ErrorResponse(404, "unknown_parameter", why));
            return;
        }
        if (ref->Def->Send == ParamSend::DownloadOnly) {
            respond(ErrorResponse(409, "not_sendable", Processor::WriteRefusal(*ref, ref->Def->RawMin, true)));
            return;
        }
        const std::optional<uint8_t> raw = ValueOf(*ref, request.Body, refusal);
        if (!raw) {
            respond(refusal);
            return;
        }
        work = [ref = *ref, raw = *raw, by](WorkerContext& c) { return SetValue(c, ref, raw, by); };
        break;
    }
    case ApiEndpoint::Backup:
        work = [](WorkerContext& c) { return Backup(c); };
        break;
    case ApiEndpoint::Restore:
    case ApiEndpoint::Verify: {
        const bool restore = match.Route->Endpoint == ApiEndpoint::Restore;
        const std::optional<ParamImage> file = PresetOf(request.Body, restore, refusal);
        if (!file) {
            respond(refusal);
            return;
        }
        if (restore) {
            work = [file = *file, by](WorkerContext& c) { return Restore(c, file, by); };
        } else {
            work = [file = *file](WorkerContext& c) { return Verify(c, file); };
        }
        break;
    }
    case ApiEndpoint::EqImport:
    case ApiEndpoint::EqMatch:
    case ApiEndpoint::EqFit:
    case ApiEndpoint::EqExport: {
        std::optional<EqCall> call = EqCallOf(match.Route->Endpoint, request, refusal);
        if (!call) {
            respond(refusal);
            return;
        }
        work = [call = std::move(*call), by](WorkerContext& c) { return TuneEq(c, call.Request, call.DryRun, by); };
        break;
    }
    }

    const Fleet::Lookup found = fleet_.Find(match.Parameters.front());
    if (!found.Worker) {
        respond(ErrorResponse(found.Status, found.Status == 404 ? "unknown_processor" : "ambiguous_processor",
                              found.Message));
        return;
    }
    // Every request is answered, also when the work throws (a driver error nobody expected).
    found.Worker->Post([work = std::move(work), respond](WorkerContext& c) {
        try {
            respond(work(c));
        } catch (const std::exception& e) {
            respond(ErrorResponse(500, "internal", QStringLiteral("内部错误：%1").arg(QString::fromLocal8Bit(e.what()))));
        }
    });
}

} // namespace korva::korvad
