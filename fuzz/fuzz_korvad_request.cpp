// Arbitrary bytes as what a client sends korvad: the head parser must refuse or take them within its limits,
// and a request it takes, authenticated, goes through the API's checks (route, names, values, JSON,
// preset files) to exactly one well-formed answer, never a crash. The fleet has no processors, so every
// request ends in an answer before any would be sent.
#include "FuzzSupport.h"

#include "korvad/Api.h"
#include "korvad/Authenticator.h"
#include "korvad/EventHub.h"
#include "korvad/Fleet.h"
#include "korvad/HttpHead.h"
#include "sim/VirtualRack.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using namespace korva;
using namespace korva::korvad;

namespace {

struct World {
    QTemporaryDir stateDir;
    TokenStore tokens{stateDir.path()};
    QByteArray token;
    Authenticator auth{tokens};
    EventHub events;
    sim::VirtualRack rack{0};
    Fleet fleet{rack, events, 0};
    Api api{fleet};

    World() {
        QString error;
        token = tokens.Add(QStringLiteral("fuzz"), &error).value_or(QString()).toLatin1();
        fuzz::Check(!token.isEmpty(), "token made");
    }
};

World& TheWorld() {
    static World world;
    return world;
}

void CheckAnswer(const HttpResponse& response) {
    fuzz::Check(response.Status >= 200 && response.Status < 600, "status in range");
    fuzz::Check(!StatusText(response.Status).isEmpty(), "status text");
    if (response.Status >= 400) {
        const QJsonObject body = QJsonDocument::fromJson(response.Body).object();
        fuzz::Check(!body.value(QStringLiteral("error")).toString().isEmpty(), "error code");
        fuzz::Check(!body.value(QStringLiteral("message")).toString().isEmpty(), "error message");
    }
    const QByteArray wire = response.Serialize(true);
    fuzz::Check(wire.endsWith(response.Body), "body last on the wire");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    TheWorld();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    World& w = TheWorld();
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    HttpHead head = ParseHttpHead(bytes);
    if (head.Result == HttpHead::State::NeedMore) {
        fuzz::Check(bytes.size() <= HttpLimits::kMaxHeadBytes + 64 || bytes.indexOf("\r\n\r\n") < 0,
                    "an oversized head is refused, not waited for");
        return 0;
    }
    if (head.Result == HttpHead::State::Refused) {
        fuzz::Check(head.Status >= 400 && *head.Code != '\0' && !head.Message.isEmpty(), "a refusal says why");
        return 0;
    }
    fuzz::Check(head.Length <= bytes.size() && head.ContentLength >= 0, "head within the input");
    HttpRequest request = head.Request;
    request.Peer = QHostAddress::LocalHost;
    request.Body = bytes.sliced(head.Length, std::min<qsizetype>(head.ContentLength, bytes.size() - head.Length))
                       .toByteArray();

    // As sent: whatever the fuzzer wrote for a token is almost never right, and never crashes the check.
    w.auth.Check(request);
    // Then as an authenticated client would send it.
    request.Headers.emplace_back("authorization", "Bearer " + w.token);
    const Authenticator::Verdict verdict = w.auth.Check(request);
    fuzz::Check(verdict.Accepted, "the world's token is accepted");
    request.TokenName = verdict.TokenName;

    int answers = 0;
    w.api.Handle(request, [&answers](const HttpResponse& response) {
        ++answers;
        CheckAnswer(response);
    });
    fuzz::Check(answers == 1, "one answer for every request");
    return 0;
}
