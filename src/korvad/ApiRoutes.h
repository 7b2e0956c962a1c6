#pragma once
// The routes of API v1, in one table: the server dispatches through it and a test holds it against
// docs/api/openapi.yaml.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace korva::korvad {

enum class ApiEndpoint {
    ListProcessors,
    GetParameters,
    SetParameter,
    Backup,
    Restore,
    Verify,
    EqImport,
    EqMatch,
    EqFit,
    EqExport,
    Events,
};

struct ApiRoute {
    const char* Method;  // "GET"
    const char* Pattern; // "/api/v1/processors/{serial}/parameters/{name}"
    ApiEndpoint Endpoint;
};

const std::vector<ApiRoute>& ApiRoutes();

struct RouteMatch {
    const ApiRoute* Route = nullptr; // null: no route for the method (see Allowed) or the path
    QStringList Parameters;          // the {…} segments, percent-decoded, in order
    QByteArray Allowed;              // the path exists with these methods only: "GET, PUT"
};

RouteMatch MatchRoute(const QByteArray& method, const QByteArray& path);

} // namespace korva::korvad
