// korvad end to end: started inside the test over three virtual processors, spoken to over loopback. Every
// described route exists and every route is described; a refused request (no, wrong or revoked token,
// oversized or malformed head, body or JSON) sends nothing to any processor; get, set, backup, restore
// and verify give what korva-ctl gives locally; two clients at once never interleave; a restore cut off
// by an unplug names the blocks written and the processor comes back; events reach WebSocket clients.
#include "KorvadTestWorld.h"

#include "korvad/ApiRoutes.h"
#include "korvad/ServiceJobs.h"
#include "link/BulkTransfer.h"
#include "link/FrameProtocol.h"
#include "ops/ParamUnits.h"
#include "processor/DeviceSession.h"
#include "processor/ResultJson.h"

#include <QFile>
#include <QJsonArray>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QWebSocket>
#include <QWebSocketHandshakeOptions>
#include <set>

using namespace korva;
using namespace korva::test;

namespace {

const QByteArray kFrequencyPut = KorvadWorld::Target(1, "/parameters/mic12.eq3.freq");

QByteArray Request(const QByteArray& head, const QByteArray& body = QByteArray()) {
    return head + "\r\nHost: localhost\r\n" + (body.isNull() ? QByteArray() : "Content-Length: " + QByteArray::number(body.size()) + "\r\n") +
           "\r\n" + body;
}

QByteArray Authorized(const QByteArray& head, const QByteArray& body = QByteArray()) {
    return Request(head + "\r\nAuthorization: Bearer {token}", body);
}

QByteArray PresetBytes(const ParamImage& image) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.PA"));
    QString error;
    if (!SavePresetImage(image, path, &error)) {
        return {};
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ParamImage LoadPreset(const QByteArray& bytes) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.PA"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    file.close();
    ParamImage image = ParamImage::Defaults();
    LoadPresetImage(path, image);
    return image;
}

ParamImage MemoryOf(KorvadWorld& w, int index) {
    return ParamImage::Of(w.rack.Processor(index).MemoryNow());
}

// The routes docs/api/openapi.yaml describes: "GET /api/v1/processors", …
std::set<QString> DescribedRoutes() {
    QFile file(QStringLiteral(KORVA_OPENAPI));
    file.open(QIODevice::ReadOnly | QIODevice::Text);
    std::set<QString> routes;
    static const QRegularExpression path(QStringLiteral(R"(^  (/\S+):\s*$)"));
    static const QRegularExpression method(QStringLiteral(R"(^    (get|put|post|delete|patch|head|options):\s*$)"));
    bool inPaths = false;
    QString current;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        if (!line.startsWith(QLatin1Char(' ')) && !line.isEmpty()) {
            inPaths = line == QLatin1String("paths:");
            continue;
        }
        if (!inPaths) {
            continue;
        }
        if (const auto m = path.match(line); m.hasMatch()) {
            current = m.captured(1);
        } else if (const auto m = method.match(line); m.hasMatch()) {
            routes.insert(m.captured(1).toUpper() + QLatin1Char(' ') + current);
        }
    }
    return routes;
}

QJsonObject WaitForEvent(QList<QJsonObject>& events, const QString& type, int from = 0) {
    QJsonObject found;
    static_cast<void>(QTest::qWaitFor(
        [&] {
            for (qsizetype i = from; i < events.size(); ++i) {
                if (events[i].value(QStringLiteral("type")).toString() == type &&
                    (type != QLatin1String("restore") ||
                     events[i].value(QStringLiteral("phase")).toString() == QLatin1String("done"))) {
                    found = events[i];
                    return true;
                }
            }
            return false;
        },
        20000));
    return found;
}

} // namespace

class TstKorvad : public QObject {
    Q_OBJECT
private slots:
    void routesAreDescribed() {
        std::set<QString> served;
        for (const korvad::ApiRoute& route : korvad::ApiRoutes()) {
            served.insert(QString::fromLatin1(route.Method) + QLatin1Char(' ') + QString::fromLatin1(route.Pattern));
        }
        const std::set<QString> described = DescribedRoutes();
        QVERIFY(!described.empty());
        QCOMPARE(QStringList(described.begin(), described.end()), QStringList(served.begin(), served.end()));
    }

    void refusedRequestsSendNothing_data() {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("error");
        const QByteArray params = KorvadWorld::Target(1, "/parameters");
        const QByteArray events = "GET /api/v1/events HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                                  "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13";
        ParamImage unreadable = ParamImage::Defaults();
        DownloadedCells().front().Set(unreadable, kFirstMarkerByte);

        QTest::newRow("no token") << Request("GET " + params + " HTTP/1.1") << 401 << "unauthorized";
        QTest::newRow("wrong token") << Request("PUT " + kFrequencyPut + " HTTP/1.1\r\nAuthorization: Bearer korva_x",
                                                R"({"value": 1000})") << 401 << "unauthorized";
        QTest::newRow("revoked token") << Request("PUT " + kFrequencyPut + " HTTP/1.1\r\nAuthorization: Bearer {revoked}",
                                                  R"({"value": 1000})") << 401 << "unauthorized";
        QTest::newRow("another scheme") << Request("GET " + params + " HTTP/1.1\r\nAuthorization: Basic {token}")
                                        << 401 << "unauthorized";
        QTest::newRow("events without token") << Request(events) << 401 << "unauthorized";
        QTest::newRow("events, wrong subprotocol token")
            << Request(events + "\r\nSec-WebSocket-Protocol: korva.events.v1, korva.bearer.korva_x") << 401
            << "unauthorized";
        QTest::newRow("subprotocol token off the events route")
            << Request("GET " + params + " HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                       "Sec-WebSocket-Protocol: korva.bearer.{token}") << 401 << "unauthorized";
        QTest::newRow("body too large") << Request("POST " + KorvadWorld::Target(1, "/restore") +
                                                   " HTTP/1.1\r\nAuthorization: Bearer {token}\r\nContent-Length: 70000")
                                        << 413 << "body_too_large";
        QTest::newRow("chunked body") << Request("POST " + KorvadWorld::Target(1, "/verify") +
                                                 " HTTP/1.1\r\nAuthorization: Bearer {token}\r\nTransfer-Encoding: chunked")
                                      << 411 << "length_required";
        QTest::newRow("head too large") << Request("GET " + params + " HTTP/1.1\r\nX-Pad: " + QByteArray(20000, 'a'))
                                        << 431 << "headers_too_large";
        QTest::newRow("bad request line") << Request("GET nowhere") << 400 << "bad_request";
        QTest::newRow("folded header") << Request("GET " + params + " HTTP/1.1\r\n continued") << 400 << "bad_request";
        QTest::newRow("newer protocol") << Request("GET " + params + " HTTP/2.0") << 505 << "http_version";
        QTest::newRow("malformed json") << Authorized("PUT " + kFrequencyPut + " HTTP/1.1", R"({"value": )") << 400
                                        << "bad_request";
        QTest::newRow("no value") << Authorized("PUT " + kFrequencyPut + " HTTP/1.1", R"({"volume": 3})") << 400
                                  << "bad_request";
        QTest::newRow("out of range") << Authorized("PUT " + kFrequencyPut + " HTTP/1.1", R"({"value": 30000})")
                                      << 422 << "invalid_value";
        QTest::newRow("raw out of range") << Authorized("PUT " + KorvadWorld::Target(1, "/parameters/music.volume") +
                                                            " HTTP/1.1",
                                                        R"({"raw": 200})")
                                          << 422 << "invalid_value";
        QTest::newRow("not a choice") << Authorized("PUT " + KorvadWorld::Target(1, "/parameters/route.rec") + " HTTP/1.1",
                                                    R"({"value": "maybe"})")
                                      << 422 << "invalid_value";
        QTest::newRow("unknown parameter") << Authorized("PUT " + KorvadWorld::Target(1, "/parameters/no.such") + " HTTP/1.1",
                                                         R"({"value": 1})")
                                           << 404 << "unknown_parameter";
        QTest::newRow("download only") << Authorized("PUT " + KorvadWorld::Target(1, "/parameters/limit.music_min") +
                                                         " HTTP/1.1",
                                                     R"({"value": 10})")
                                       << 409 << "not_sendable";
        QTest::newRow("unknown name asked") << Authorized("GET " + params + "?names=volume.nowhere HTTP/1.1") << 400
                                            << "unknown_parameter";
        QTest::newRow("group out of range") << Authorized("GET " + params + "?group=9 HTTP/1.1") << 400 << "bad_request";
        QTest::newRow("not a preset") << Authorized("POST " + KorvadWorld::Target(1, "/verify") + " HTTP/1.1", "hello")
                                      << 422 << "invalid_preset";
        QTest::newRow("empty preset") << Authorized("POST " + KorvadWorld::Target(1, "/restore") + " HTTP/1.1", "")
                                      << 400 << "bad_request";
        QTest::newRow("preset the processor could not be read with")
            << Authorized("POST " + KorvadWorld::Target(1, "/restore") + " HTTP/1.1", PresetBytes(unreadable)) << 422
            << "invalid_preset";
        const QByteArray eqImport = "POST " + KorvadWorld::Target(1, "/eq/import") + " HTTP/1.1";
        QTest::newRow("eq body not json") << Authorized(eqImport, "Filter 1: ON PK Fc 100 Hz Gain -3 dB Q 1") << 400
                                          << "bad_request";
        QTest::newRow("eq without its text") << Authorized(eqImport, R"({"channel": "music", "curve": "20 0"})")
                                             << 400 << "bad_request";
        QTest::newRow("eq channel without bands")
            << Authorized(eqImport, R"({"channel": "volume", "filters": "Filter: ON PK Fc 100 Hz Gain -3 dB Q 1"})")
            << 400 << "unknown_channel";
        QTest::newRow("eq unreadable filters")
            << Authorized(eqImport, R"({"channel": "music", "filters": "Filter: ON PK Fc 1x0 Hz Gain -3 dB Q 1"})")
            << 422 << "invalid_input";
        QTest::newRow("eq target outside fit")
            << Authorized(eqImport, R"({"channel": "music", "filters": "Filter: ON PK Fc 100 Hz Gain -3 dB Q 1", "target": "20 0"})")
            << 400 << "bad_request";
        QTest::newRow("eq range reversed")
            << Authorized("POST " + KorvadWorld::Target(1, "/eq/fit") + " HTTP/1.1",
                          R"({"channel": "music", "measurement": "20 80\n20000 70", "from_hz": 5000, "to_hz": 100})")
            << 400 << "bad_request";
        QTest::newRow("eq export in another format")
            << Authorized("GET " + KorvadWorld::Target(1, "/eq/export?channel=music&format=csv") + " HTTP/1.1") << 400
            << "bad_request";
        QTest::newRow("unknown processor") << Authorized("POST /api/v1/processors/NONE/backup HTTP/1.1", "") << 404
                                           << "unknown_processor";
        QTest::newRow("unknown route") << Authorized("GET /api/v2/processors HTTP/1.1") << 404 << "not_found";
        QTest::newRow("wrong method") << Authorized("DELETE /api/v1/processors HTTP/1.1") << 405
                                      << "method_not_allowed";
        QTest::newRow("events without upgrade") << Authorized("GET /api/v1/events HTTP/1.1") << 426
                                                << "upgrade_required";
    }
    void refusedRequestsSendNothing() {
        QFETCH(QByteArray, request);
        QFETCH(int, status);
        QFETCH(QString, error);
        KorvadWorld w;
        QVERIFY(w.started);
        QVERIFY(w.AllOnline());
        QString why;
        const QByteArray revoked = w.service->Tokens().Add(QStringLiteral("former"), &why).value_or(QString()).toLatin1();
        QVERIFY(w.service->Tokens().Revoke(QStringLiteral("former"), &why));
        request.replace("{token}", w.token).replace("{revoked}", revoked);
        const int framesBefore = w.FrameCount();

        HttpClient client(w.Port());
        client.SendRaw(request);
        const HttpReply reply = client.Next();
        QCOMPARE(reply.Status, status);
        QCOMPARE(reply.Error(), error);
        QVERIFY(!reply.Json().value(QStringLiteral("message")).toString().isEmpty());
        if (status == 401) {
            QVERIFY(client.Closed());
            QCOMPARE(reply.Json().keys(), QStringList({"error", "message"}));
        }
        // A good request afterwards goes through: the refusal above was the whole story.
        QCOMPARE(w.Request("GET", KorvadWorld::Target(1, "/parameters?names=music.volume")).Status, 200);
        QCOMPARE(w.FrameCount(), framesBefore);
    }

    void sameResultsAsLocal_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("get every group") << "get" << "" << "";
        QTest::newRow("set a whole-record band") << "set" << "g3.mic12.eq3.freq" << "\"1.2k\"";
        QTest::newRow("set a value byte") << "set" << "music.volume" << "17";
        QTest::newRow("set a choice by index") << "set" << "g2.route.rec" << "1";
        QTest::newRow("backup") << "backup" << "" << "";
        QTest::newRow("restore") << "restore" << "" << "";
        QTest::newRow("verify") << "verify" << "" << "";
    }
    void sameResultsAsLocal() {
        QFETCH(QString, command);
        QFETCH(QString, name);
        QFETCH(QString, value);
        KorvadWorld w;
        QVERIFY(w.started);
        QVERIFY(w.AllOnline());
        const ParamImage memory = MemoryOf(w, 1);

        if (command == QLatin1String("get")) {
            const HttpReply reply = w.Request("GET", KorvadWorld::Target(2, "/parameters?group=all"));
            QCOMPARE(reply.Status, 200);
            const QJsonArray values = reply.Json().value(QStringLiteral("values")).toArray();
            const auto commons = std::count_if(ParamTable().begin(), ParamTable().end(),
                                               [](const ParamDef& d) { return d.Scope == ParamScope::Common; });
            QCOMPARE(values.size(), qsizetype(kGroupCount * (ParamTable().size() - commons) + commons));
            for (const QJsonValue& v : values) {
                const ParamRef ref = *ResolveParamName(v[QStringLiteral("name")].toString(), 0);
                const ImageCell cell{ref.StoredGroup(), ref.Def->Address, ref.Def->Field, false};
                QCOMPARE(v.toObject(), ValueJson(ref, cell.Get(memory)));
            }
        } else if (command == QLatin1String("set")) {
            const ParamRef ref = *ResolveParamName(name, 0);
            const QJsonValue json = QJsonDocument::fromJson("[" + value.toUtf8() + "]").array().at(0);
            const uint8_t raw = ref.Def->Unit == ParamUnit::Choice && json.isDouble()
                                    ? uint8_t(json.toInt())
                                    : *ParseParamValue(*ref.Def, json.toVariant().toString());
            const ParamRecord before = w.rack.Processor(1).MemoryNow().Store.at(ref.StoredGroup(), ref.Def->Address);
            const int framesBefore = int(w.rack.Processor(1).ReceivedFramesNow().size());
            const HttpReply reply = w.Request("PUT", KorvadWorld::Target(2, "/parameters/" + name.toLatin1()),
                                              "{\"value\": " + value.toUtf8() + "}");
            QCOMPARE(reply.Status, 200);
            QCOMPARE(reply.Json().value(QStringLiteral("values")).toArray().at(0).toObject(), ValueJson(ref, raw));
            // One frame, the one korva-ctl set sends, and the processor holds the byte.
            const std::vector<QByteArray> frames = w.rack.Processor(1).ReceivedFramesNow();
            QCOMPARE(int(frames.size()), framesBefore + 1);
            QCOMPARE(frames.back().toHex(' '), DeviceSession::WriteFrame(ref, raw, before).toHex(' '));
            QCOMPARE(w.rack.Processor(1).MemoryNow().Store.at(ref.StoredGroup(), ref.Def->Address).Field(ref.Def->Field),
                     raw);
        } else if (command == QLatin1String("backup")) {
            const HttpReply reply = w.Request("POST", KorvadWorld::Target(2, "/backup"));
            QCOMPARE(reply.Status, 200);
            QCOMPARE(reply.Body, PresetBytes(LoadPreset(reply.Body)));
            QCOMPARE(CompareImages(memory, LoadPreset(reply.Body), PresetCells()).size(), size_t(0));
        } else {
            // A file that differs from processor 3 in one byte of every group and the Common block.
            ParamImage file = memory;
            int changed = 0;
            for (const ImageCell& cell : RestoredCells()) {
                if (cell.Address == 0x40 && cell.Field == 0) {
                    cell.Set(file, uint8_t(cell.Get(file) == 10 ? 11 : 10));
                    ++changed;
                }
            }
            const QByteArray target = KorvadWorld::Target(3, "/" + command.toLatin1());
            const HttpReply reply = w.Request("POST", target, PresetBytes(file));
            QCOMPARE(reply.Status, 200);
            const QJsonObject answer = reply.Json();
            if (command == QLatin1String("restore")) {
                QCOMPARE(answer.value(QStringLiteral("download")).toObject(), DownloadJson([] {
                             DownloadReport all;
                             for (const BulkBlock& b : BulkTransfer::DownloadBlocks()) {
                                 all.Acknowledged.push_back(b);
                             }
                             all.Finished = true;
                             return all;
                         }()));
                QVERIFY(answer.value(QStringLiteral("verified")).toBool());
                QCOMPARE(answer.value(QStringLiteral("differences")).toArray().size(), 0);
                QCOMPARE(CompareImages(file, MemoryOf(w, 2), RestoredCells()).size(), size_t(0));
            } else {
                const auto expected = CompareImages(file, MemoryOf(w, 2), RestoredCells());
                QCOMPARE(int(expected.size()), changed);
                QCOMPARE(answer.value(QStringLiteral("differences")).toArray(), DifferencesJson(expected));
            }
        }
    }

    void twoClientsNeverInterleave() {
        KorvadWorld w;
        QVERIFY(w.AllOnline());
        sim::VirtualProcessor& device = w.rack.Processor(0);
        const size_t framesBefore = device.ReceivedFramesNow().size();
        HttpClient first(w.Port());
        HttpClient second(w.Port());
        constexpr int kEach = 12;
        // Pipelined on both connections at once: the service takes them as they come.
        for (int i = 0; i < kEach; ++i) {
            first.Send("PUT", KorvadWorld::Target(1, "/parameters/g1.mic12.eq3.freq"), w.token,
                       "{\"value\": " + QByteArray::number(100 + 10 * i) + "}");
            second.Send("PUT", KorvadWorld::Target(1, "/parameters/echo.repeat"), w.token,
                        "{\"value\": " + QByteArray::number(i) + "}");
        }
        for (int i = 0; i < kEach; ++i) {
            QCOMPARE(first.Next().Status, 200);
            QCOMPARE(second.Next().Status, 200);
        }
        const std::vector<QByteArray> frames = device.ReceivedFramesNow();
        QCOMPARE(frames.size(), framesBefore + 2 * kEach);
        for (size_t i = framesBefore; i < frames.size(); ++i) {
            QCOMPARE(uint8_t(frames[i][1]) >> 4, kCmdWriteRecord);
        }
        const ParamRef band = *ResolveParamName(QStringLiteral("g1.mic12.eq3.freq"), 0);
        const ParamRef echo = *ResolveParamName(QStringLiteral("echo.repeat"), 0);
        const ParamModel memory = device.MemoryNow();
        QCOMPARE(memory.Store.at(0, band.Def->Address).Field(0), *ParseParamValue(*band.Def, QStringLiteral("210")));
        QCOMPARE(memory.Store.at(0, echo.Def->Address).Field(0), uint8_t(kEach - 1));
    }

    void unplugDuringRestoreNamesBlocksWritten_data() {
        QTest::addColumn<int>("unplugAfterBlock");
        QTest::newRow("first block") << 1;
        QTest::newRow("last block") << 25;
    }
    void unplugDuringRestoreNamesBlocksWritten() {
        QFETCH(int, unplugAfterBlock);
        KorvadWorld w;
        QVERIFY(w.AllOnline());
        sim::VirtualProcessor& device = w.rack.Processor(1);
        const QByteArray file = PresetBytes(MemoryOf(w, 0));
        device.UnplugAfterFrames(unplugAfterBlock, kCmdWriteBlock);
        const HttpReply cut = w.Request("POST", KorvadWorld::Target(2, "/restore"), file);
        QCOMPARE(cut.Status, 502);
        QCOMPARE(cut.Error(), QStringLiteral("device_failed"));
        const QJsonObject download = cut.Json().value(QStringLiteral("download")).toObject();
        QCOMPARE(download.value(QStringLiteral("blocks_written")).toArray().size(), unplugAfterBlock - 1);
        QCOMPARE(download.value(QStringLiteral("unanswered")).toString(),
                 DescribeBlock(BulkTransfer::DownloadBlocks()[size_t(unplugAfterBlock - 1)]));
        QVERIFY(!download.value(QStringLiteral("finished")).toBool());
        QVERIFY(!cut.Json().value(QStringLiteral("verified")).toBool());

        // Plugged in again, it comes back by itself, and a second restore completes.
        device.Replug();
        QVERIFY(w.AllOnline());
        const HttpReply again = w.Request("POST", KorvadWorld::Target(2, "/restore"), file);
        QCOMPARE(again.Status, 200);
        QVERIFY(again.Json().value(QStringLiteral("verified")).toBool());
    }

    void eventsReachWebSocketClients_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("asBrowser"); // the token offered as a subprotocol, as a browser must
        QTest::newRow("set") << "set" << "parameter" << false;
        QTest::newRow("set, browser") << "set" << "parameter" << true;
        QTest::newRow("restore") << "restore" << "restore" << false;
        QTest::newRow("unplug") << "unplug" << "online" << false;
        // Found by korvad's next read of the idle processor.
        QTest::newRow("front panel") << "front panel" << "parameter" << false;
    }
    void eventsReachWebSocketClients() {
        QFETCH(QString, action);
        QFETCH(QString, type);
        QFETCH(bool, asBrowser);
        korvad::ServiceOptions options;
        // Read again every second: what the service changed itself must never come back as found.
        options.rereadSeconds = 1;
        KorvadWorld w(options);
        QVERIFY(w.AllOnline());
        QWebSocket client;
        QList<QJsonObject> events;
        connect(&client, &QWebSocket::textMessageReceived, this,
                [&](const QString& text) { events << QJsonDocument::fromJson(text.toUtf8()).object(); });
        QNetworkRequest upgrade(QUrl(QStringLiteral("ws://127.0.0.1:%1/api/v1/events").arg(w.Port())));
        QWebSocketHandshakeOptions offers;
        if (asBrowser) {
            offers.setSubprotocols({QStringLiteral("korva.events.v1"), "korva.bearer." + QString::fromLatin1(w.token)});
        } else {
            upgrade.setRawHeader("Authorization", "Bearer " + w.token);
        }
        client.open(upgrade, offers);
        QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::ConnectedState, 10000);
        QCOMPARE(client.subprotocol(), asBrowser ? QStringLiteral("korva.events.v1") : QString());

        if (action == QLatin1String("set")) {
            QCOMPARE(w.Request("PUT", KorvadWorld::Target(1, "/parameters/music.volume"), R"({"value": 42})").Status, 200);
        } else if (action == QLatin1String("restore")) {
            ParamModel file = w.rack.Processor(0).MemoryNow();
            const ParamRef volume = *ResolveParamName(QStringLiteral("g1.mic12.volume"), 0);
            uint8_t& byte = file.Store.at(volume.StoredGroup(), volume.Def->Address).Field(volume.Def->Field);
            byte = byte == 5 ? 6 : 5;
            QCOMPARE(w.Request("POST", KorvadWorld::Target(1, "/restore"), PresetBytes(ParamImage::Of(file))).Status, 200);
        } else if (action == QLatin1String("unplug")) {
            w.rack.Processor(0).Unplug();
        } else {
            const ParamRef echo = *ResolveParamName(QStringLiteral("g2.echo.volume"), 0);
            QVERIFY(w.rack.Processor(0).MemoryNow().Store.at(echo.StoredGroup(), echo.Def->Address).Field(echo.Def->Field) != 7);
            w.rack.Processor(0).EditOnFrontPanel(
                [&](ParamModel& memory) { memory.Store.at(echo.StoredGroup(), echo.Def->Address).Field(echo.Def->Field) = 7; });
        }
        const QJsonObject event = WaitForEvent(events, type);
        QCOMPARE(event.value(QStringLiteral("processor")).toString(), sim::VirtualRack::SerialOf(1));
        if (action == QLatin1String("front panel")) {
            QCOMPARE(event.value(QStringLiteral("name")).toString(), QStringLiteral("g2.echo.volume"));
            QCOMPARE(event.value(QStringLiteral("new")).toObject().value(QStringLiteral("raw")).toInt(), 7);
            QVERIFY(event.value(QStringLiteral("by")).isNull());
        } else if (action == QLatin1String("set")) {
            QCOMPARE(event.value(QStringLiteral("name")).toString(), QStringLiteral("music.volume"));
            QCOMPARE(event.value(QStringLiteral("new")).toObject().value(QStringLiteral("value")).toDouble(), 42.0);
            QVERIFY(event.value(QStringLiteral("old")).toObject().contains(QStringLiteral("raw")));
            QCOMPARE(event.value(QStringLiteral("by")).toString(), QStringLiteral("tester"));
        } else if (action == QLatin1String("restore")) {
            QVERIFY(event.value(QStringLiteral("ok")).toBool());
            QCOMPARE(event.value(QStringLiteral("by")).toString(), QStringLiteral("tester"));
            QVERIFY(events.size() > 28); // the progress of the read, the download and the read-back
        } else {
            QCOMPARE(event.value(QStringLiteral("online")).toBool(), false);
        }
        if (action != QLatin1String("front panel")) {
            QTest::qWait(2500);
            for (const QJsonObject& e : events) {
                QVERIFY2(!(e.value(QStringLiteral("type")) == QLatin1String("parameter") && e.value(QStringLiteral("by")).isNull()),
                         qPrintable(QJsonDocument(e).toJson(QJsonDocument::Compact)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TstKorvad)
#include "tst_korvad.moc"
