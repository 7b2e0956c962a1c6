#include "korvad/EqRequests.h"

#include "ops/ParamUnits.h"

#include <QJsonDocument>
#include <QUrlQuery>
#include <cmath>

namespace korva::korvad {

namespace {

using ctl::EqAction;

struct EqRoute {
    ApiEndpoint Endpoint;
    EqAction Action;
    const char* Name;  // as korva-ctl names the action
    const char* Input; // the body's key for the text the action reads
};

constexpr EqRoute kEqRoutes[] = {
    {ApiEndpoint::EqImport, EqAction::Import, "import", "filters"},
    {ApiEndpoint::EqMatch, EqAction::Match, "match", "curve"},
    {ApiEndpoint::EqFit, EqAction::Fit, "fit", "measurement"},
    {ApiEndpoint::EqExport, EqAction::Export, "export", ""},
};

HttpResponse BadRequest(const QString& message) {
    return ErrorResponse(400, "bad_request", message);
}

// 1–8 (MODEL 1 to MODEL 8), default 1; the index 0–7.
std::optional<int> GroupIndex(const QJsonValue& value, HttpResponse& refusal) {
    if (value.isUndefined()) {
        return 0;
    }
    const double group = value.toDouble(0);
    if (group != std::trunc(group) || group < 1 || group > kGroupCount) {
        refusal = BadRequest(QStringLiteral("参数组须为 1 到 8（MODEL 1 到 MODEL 8）"));
        return std::nullopt;
    }
    return int(group) - 1;
}

// The options of the body as the command line would carry them; false when one has the wrong type.
bool TakeOptions(const QJsonObject& o, ctl::EqCommandLine& eq, bool& dryRun) {
    bool ok = true;
    const auto flag = [&](const char* key, bool& to) {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && (v.isUndefined() || v.isBool());
        to = v.toBool(false);
    };
    const auto number = [&](const char* key, std::optional<double>& to) {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && (v.isUndefined() || v.isDouble());
        to = v.isDouble() ? std::optional<double>(v.toDouble()) : std::nullopt;
    };
    const auto text = [&](const char* key, QString& to) {
        const QJsonValue v = o.value(QLatin1String(key));
        ok = ok && (v.isUndefined() || v.isString());
        to = v.toString();
    };
    text("channel", eq.Channel);
    flag("cuts", eq.Cuts);
    flag("dry_run", dryRun);
    number("from_hz", eq.FromHz);
    number("to_hz", eq.ToHz);
    number("max_boost_db", eq.MaxBoostDb);
    ok = ok && (o.value(QStringLiteral("target")).isUndefined() || o.value(QStringLiteral("target")).isString());
    eq.Target = o.contains(QStringLiteral("target")) ? QStringLiteral("target") : QString();
    eq.DryRun = dryRun;
    return ok;
}

} // namespace

std::optional<EqCall> EqCallOf(ApiEndpoint endpoint, const HttpRequest& request, HttpResponse& refusal) {
    const EqRoute* route = nullptr;
    for (const EqRoute& r : kEqRoutes) {
        if (r.Endpoint == endpoint) {
            route = &r;
        }
    }
    if (!route) {
        refusal = ErrorResponse(500, "internal", QStringLiteral("内部错误：不是 EQ 接口"));
        return std::nullopt;
    }
    ctl::EqCommandLine eq;
    EqCall call;
    QJsonObject body;
    std::optional<int> group;
    QStringList arguments{QLatin1String(route->Name)};
    if (route->Action == EqAction::Export) {
        const QUrlQuery query(QString::fromUtf8(request.Query()));
        eq.Channel = query.queryItemValue(QStringLiteral("channel"), QUrl::FullyDecoded);
        eq.Format = query.queryItemValue(QStringLiteral("format"), QUrl::FullyDecoded);
        const QString groupText = query.queryItemValue(QStringLiteral("group"), QUrl::FullyDecoded);
        bool isNumber = false;
        const int number = groupText.toInt(&isNumber);
        group = GroupIndex(groupText.isEmpty() ? QJsonValue() : QJsonValue(isNumber ? number : 0), refusal);
    } else {
        const QJsonDocument doc = QJsonDocument::fromJson(request.Body);
        body = doc.object();
        const QJsonValue input = body.value(QLatin1String(route->Input));
        if (!doc.isObject() || !input.isString() || !TakeOptions(body, eq, call.DryRun)) {
            refusal = BadRequest(QStringLiteral("请求正文须是 JSON 对象，含 \"channel\" 和文本 \"%1\"；选项须为数值或 true/false")
                                     .arg(QLatin1String(route->Input)));
            return std::nullopt;
        }
        arguments << QLatin1String(route->Input);
        group = GroupIndex(body.value(QStringLiteral("group")), refusal);
    }
    if (!group) {
        return std::nullopt;
    }
    // The rules of the command line: which options go with which action, their ranges.
    QString commandName;
    if (const QString why = ctl::CheckEqArguments(arguments, false, eq, commandName); !why.isEmpty()) {
        refusal = BadRequest(why);
        return std::nullopt;
    }
    QString why;
    std::optional<ctl::EqRequest> eqRequest = ctl::EqRequestFor(eq, *group, &why);
    if (!eqRequest) {
        refusal = ErrorResponse(400, "unknown_channel", why);
        return std::nullopt;
    }
    call.Request = std::move(*eqRequest);
    if (route->Action != EqAction::Export) {
        const QJsonValue target = body.value(QStringLiteral("target"));
        const std::optional<QByteArray> targetBytes =
            target.isString() ? std::optional<QByteArray>(target.toString().toUtf8()) : std::nullopt;
        if (!ctl::ReadEqInput(call.Request, body.value(QLatin1String(route->Input)).toString().toUtf8(),
                              QLatin1String(route->Input), targetBytes, QStringLiteral("target"), &why)) {
            refusal = ErrorResponse(422, "invalid_input", why);
            return std::nullopt;
        }
    }
    return call;
}

} // namespace korva::korvad
