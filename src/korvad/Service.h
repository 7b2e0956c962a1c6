#pragma once
// korvad assembled: the token store and the authenticator, the fleet of processors, API v1 and the event
// hub behind one HTTP server. The program runs one; the tests start one inside themselves.

#include "korvad/Api.h"
#include "korvad/Authenticator.h"
#include "korvad/EventHub.h"
#include "korvad/Fleet.h"
#include "korvad/HttpServer.h"
#include "korvad/ServiceOptions.h"
#include "korvad/TokenStore.h"

#include <QObject>
#include <QTimer>
#include <memory>

namespace korva::korvad {

namespace mqtt {
class Bridge;
}

class Service {
public:
    // backend (the HID devices, or virtual processors) must outlive the service.
    Service(HidBackend& backend, const ServiceOptions& options);
    ~Service();

    // Listens and starts following the processors. False and error when it cannot.
    bool Start(QString* error);
    quint16 Port() const { return server_.Port(); }

    TokenStore& Tokens() { return tokens_; }
    Fleet& Processors() { return fleet_; }
    EventHub& Events() { return events_; }
    HttpServer& Server() { return server_; }

private:
    ServiceOptions options_;
    TokenStore tokens_;
    Authenticator auth_{tokens_};
    EventHub events_;
    // Answers from the processors' threads come back through this object; it outlives the fleet.
    QObject responses_;
    // The MQTT bridge, with --mqtt; made before the fleet so that it outlives the jobs it posts.
    std::unique_ptr<mqtt::Bridge> mqtt_;
    Fleet fleet_;
    Api api_{fleet_};
    HttpServer server_;
    QTimer revokeCheck_;
};

} // namespace korva::korvad
