#include "korvad/ApiRoutes.h"

namespace korva::korvad {

const std::vector<ApiRoute>& ApiRoutes() {
    static const std::vector<ApiRoute> routes{
        {"GET", "/api/v1/processors", ApiEndpoint::ListProcessors},
        {"GET", "/api/v1/processors/{serial}/parameters", ApiEndpoint::GetParameters},
        {"PUT", "/api/v1/processors/{serial}/parameters/{name}", ApiEndpoint::SetParameter},
        {"POST", "/api/v1/processors/{serial}/backup", ApiEndpoint::Backup},
        {"POST", "/api/v1/processors/{serial}/restore", ApiEndpoint::Restore},
        {"POST", "/api/v1/processors/{serial}/verify", ApiEndpoint::Verify},
        {"POST", "/api/v1/processors/{serial}/eq/import", ApiEndpoint::EqImport},
        {"POST", "/api/v1/processors/{serial}/eq/match", ApiEndpoint::EqMatch},
        {"POST", "/api/v1/processors/{serial}/eq/fit", ApiEndpoint::EqFit},
        {"GET", "/api/v1/processors/{serial}/eq/export", ApiEndpoint::EqExport},
        {"GET", "/api/v1/events", ApiEndpoint::Events},
    };
    return routes;
}

namespace {

// The path's segments against the pattern's; parameters collected percent-decoded.
bool MatchPath(const QByteArray& pattern, const QList<QByteArray>& segments, QStringList& parameters) {
    const QList<QByteArray> parts = pattern.split('/');
    if (parts.size() != segments.size()) {
        return false;
    }
    QStringList found;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (parts[i].startsWith('{')) {
            const QString value = QString::fromUtf8(QByteArray::fromPercentEncoding(segments[i]));
            if (value.isEmpty()) {
                return false;
            }
            found << value;
        } else if (parts[i] != segments[i]) {
            return false;
        }
    }
    parameters = found;
    return true;
}

} // namespace

RouteMatch MatchRoute(const QByteArray& method, const QByteArray& path) {
    RouteMatch match;
    const QList<QByteArray> segments = path.split('/');
    QList<QByteArray> allowed;
    for (const ApiRoute& route : ApiRoutes()) {
        QStringList parameters;
        if (!MatchPath(route.Pattern, segments, parameters)) {
            continue;
        }
        if (method == route.Method) {
            match.Route = &route;
            match.Parameters = parameters;
            return match;
        }
        allowed << route.Method;
    }
    match.Allowed = allowed.join(", ");
    return match;
}

} // namespace korva::korvad
