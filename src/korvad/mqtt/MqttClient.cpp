#include "korvad/mqtt/MqttClient.h"

#include <QElapsedTimer>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>

namespace korva::korvad::mqtt {

namespace {

constexpr int kKeepAliveSeconds = 30;
constexpr unsigned kReconnectDelaySeconds = 1;
constexpr unsigned kReconnectDelayMaxSeconds = 4;
// Publications go out at QoS 0: on a connection that holds they arrive, and after a reconnection the
// bridge publishes everything again (QoS 1 would also make a broker's delayed acknowledgements stall
// the next state by tens of milliseconds). Subscriptions and the last will take QoS 1.
constexpr int kPublishQos = 0;
constexpr int kQos = 1;

QString LibraryError(int code) {
    if (code == MOSQ_ERR_ERRNO) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    return QString::fromUtf8(mosquitto_strerror(code));
}

} // namespace

MqttClient::MqttClient(const QString& clientId, int maxPayloadBytes, QObject* parent)
    : QObject(parent), maxPayloadBytes_(maxPayloadBytes) {
    mosquitto_lib_init();
    client_ = mosquitto_new(clientId.toUtf8().constData(), true, this);
    mosquitto_connect_callback_set(client_, &MqttClient::OnConnect);
    mosquitto_disconnect_callback_set(client_, &MqttClient::OnDisconnect);
    mosquitto_message_callback_set(client_, &MqttClient::OnMessage);
    mosquitto_reconnect_delay_set(client_, kReconnectDelaySeconds, kReconnectDelayMaxSeconds, false);
    // A state is one small packet: sent at once, not held back for the acknowledgement of the one before.
    mosquitto_int_option(client_, MOSQ_OPT_TCP_NODELAY, 1);
}

MqttClient::~MqttClient() {
    // The network thread ends before this object does, so no callback can reach it afterwards.
    mosquitto_disconnect(client_);
    if (looping_) {
        mosquitto_loop_stop(client_, false);
    }
    mosquitto_destroy(client_);
    mosquitto_lib_cleanup();
}

bool MqttClient::Connect(const MqttUrl& url, const QString& caFile, const LastWill& will, QString* error,
                         int timeoutMs) {
    const QString where = url.Display();
    if (!url.User.isEmpty()) {
        mosquitto_username_pw_set(client_, url.User.toUtf8().constData(),
                                  url.Password.isEmpty() ? nullptr : url.Password.toUtf8().constData());
    }
    if (url.Tls) {
        const int tls = caFile.isEmpty() ? mosquitto_int_option(client_, MOSQ_OPT_TLS_USE_OS_CERTS, 1)
                                         : mosquitto_tls_set(client_, caFile.toLocal8Bit().constData(), nullptr,
                                                             nullptr, nullptr, nullptr);
        if (tls != MOSQ_ERR_SUCCESS) {
            *error = QStringLiteral("MQTT 的 TLS 设置无效（CA 文件 %1）：%2").arg(caFile, LibraryError(tls));
            return false;
        }
    }
    if (!will.Topic.isEmpty()) {
        mosquitto_will_set(client_, will.Topic.toUtf8().constData(), int(will.Payload.size()),
                           will.Payload.constData(), kQos, true);
    }
    connack_ = -1;
    const int code = mosquitto_connect(client_, url.Host.toUtf8().constData(), url.Port, kKeepAliveSeconds);
    if (code != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("无法连接 MQTT 代理 %1：%2").arg(where, LibraryError(code));
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (connack_ < 0 && clock.elapsed() < timeoutMs) {
        const int step = mosquitto_loop(client_, 50, 1);
        if (step != MOSQ_ERR_SUCCESS && connack_ < 0) {
            *error = QStringLiteral("MQTT 代理 %1 断开了连接：%2").arg(where, LibraryError(step));
            return false;
        }
    }
    const int answer = connack_;
    if (answer < 0) {
        *error = QStringLiteral("MQTT 代理 %1 在 %2 秒内没有应答").arg(where).arg(timeoutMs / 1000.0);
        return false;
    }
    if (answer == 4 || answer == 5) {
        *error = QStringLiteral("MQTT 代理 %1 拒绝登录：用户名或密码错误").arg(where);
        return false;
    }
    if (answer != 0) {
        *error = QStringLiteral("MQTT 代理 %1 拒绝连接：%2").arg(where, QString::fromUtf8(mosquitto_connack_string(answer)));
        return false;
    }
    const int loop = mosquitto_loop_start(client_);
    if (loop != MOSQ_ERR_SUCCESS) {
        *error = QStringLiteral("无法启动 MQTT 网络线程：%1").arg(LibraryError(loop));
        return false;
    }
    looping_ = true;
    return true;
}

void MqttClient::Publish(const QString& topic, const QByteArray& payload, bool retain) {
    mosquitto_publish(client_, nullptr, topic.toUtf8().constData(), int(payload.size()), payload.constData(), kPublishQos,
                      retain);
}

void MqttClient::Subscribe(const QString& pattern) {
    mosquitto_subscribe(client_, nullptr, pattern.toUtf8().constData(), kQos);
}

void MqttClient::OnConnect(mosquitto*, void* self, int code) {
    auto* me = static_cast<MqttClient*>(self);
    me->connack_ = code;
    if (code == 0) {
        me->connected_ = true;
        QMetaObject::invokeMethod(me, [me] { emit me->Connected(); }, Qt::QueuedConnection);
    }
}

void MqttClient::OnDisconnect(mosquitto*, void* self, int) {
    auto* me = static_cast<MqttClient*>(self);
    if (me->connected_.exchange(false)) {
        QMetaObject::invokeMethod(me, [me] { emit me->Disconnected(); }, Qt::QueuedConnection);
    }
}

void MqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* me = static_cast<MqttClient*>(self);
    if (!message->topic || message->payloadlen < 0 || message->payloadlen > me->maxPayloadBytes_ ||
        std::strlen(message->topic) > size_t(kMaxTopicBytes)) {
        return;
    }
    const QString topic = QString::fromUtf8(message->topic);
    const QByteArray payload(static_cast<const char*>(message->payload), message->payloadlen);
    QMetaObject::invokeMethod(me, [me, topic, payload] { emit me->Message(topic, payload); }, Qt::QueuedConnection);
}

} // namespace korva::korvad::mqtt
