#include "publish/mqtt_client.h"

#include <QFile>
#include <QFileInfo>

#include <mosquitto.h>

#ifndef Q_OS_WIN
#include <fcntl.h>
#endif

#include <cerrno>
#include <cstring>
#include <mutex>

namespace {

void init_library() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

// The library's text for an error, without its full stop (it becomes part of a longer line).
QString error_text(int rc) {
    QString text = rc == MOSQ_ERR_ERRNO ? QString::fromLocal8Bit(std::strerror(errno))
                                        : QString::fromUtf8(mosquitto_strerror(rc));
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    return text;
}

}  // namespace

MqttClient::MqttClient() {
    init_library();
}

MqttClient::~MqttClient() {
    drop();
}

MqttClient::Outcome MqttClient::connect(const Options& o) {
    drop();
    connack_ = -1;
    published_.clear();
    disconnected_ = false;
    mosq_ = mosquitto_new(o.client_id.toUtf8().constData(), true, this);
    if (!mosq_) return {false, false, QString::fromLocal8Bit(std::strerror(errno))};
    mosquitto_connect_callback_set(mosq_, &MqttClient::on_connect);
    mosquitto_disconnect_callback_set(mosq_, &MqttClient::on_disconnect);
    mosquitto_publish_callback_set(mosq_, &MqttClient::on_publish);
    mosquitto_int_option(mosq_, MOSQ_OPT_SEND_MAXIMUM, o.max_in_flight);
    if (!o.username.isEmpty())
        mosquitto_username_pw_set(mosq_, o.username.toUtf8().constData(),
                                  o.with_password ? o.password.toUtf8().constData() : nullptr);
    if (!o.will_topic.isEmpty())
        mosquitto_will_set(mosq_, o.will_topic.constData(), o.will_payload.size(), o.will_payload.constData(),
                           o.will_qos, true);
    if (!o.ca_file.isEmpty()) {
        // The library says only "invalid arguments" for a CA file it cannot open: say why. A FIFO
        // would block the opening, so only a regular file is opened.
        const QFileInfo info(o.ca_file);
        QFile ca(o.ca_file);
        QString unusable;
        if (!info.exists())
            unusable = QStringLiteral("No such file or directory");
        else if (!info.isFile())
            unusable = QStringLiteral("not a regular file");
        else if (!ca.open(QIODevice::ReadOnly))
            unusable = ca.errorString();
        if (!unusable.isEmpty()) {
            drop();
            return {false, true, unusable};
        }
        const int rc =
            mosquitto_tls_set(mosq_, o.ca_file.toLocal8Bit().constData(), nullptr, nullptr, nullptr, nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            drop();
            return {false, true, error_text(rc)};
        }
    }
    const int rc = mosquitto_connect_async(mosq_, o.host.toUtf8().constData(), o.port, o.keepalive_seconds);
    if (rc != MOSQ_ERR_SUCCESS) {
        const Outcome failed{false, false, error_text(rc)};
        drop();
        return failed;
    }
#ifndef Q_OS_WIN
    // A program started later (a simulator, a helper) must not inherit the connection: the
    // broker would not see it end, and would send no last will.
    if (const int fd = mosquitto_socket(mosq_); fd >= 0)
        ::fcntl(fd, F_SETFD, ::fcntl(fd, F_GETFD) | FD_CLOEXEC);
#endif
    return {};
}

void MqttClient::disconnect() {
    if (mosq_) mosquitto_disconnect(mosq_);
}

void MqttClient::drop() {
    if (!mosq_) return;
    mosquitto_destroy(mosq_);
    mosq_ = nullptr;
}

bool MqttClient::connected_socket() const {
    return mosq_ && mosquitto_socket(mosq_) >= 0;
}

bool MqttClient::publish(const QByteArray& topic, const QByteArray& payload, int qos, bool retain, int* mid) {
    if (!mosq_) return false;
    return mosquitto_publish(mosq_, mid, topic.constData(), payload.size(), payload.constData(), qos,
                             retain) == MOSQ_ERR_SUCCESS;
}

MqttClient::Outcome MqttClient::run() {
    if (!mosq_) return {false, false, QStringLiteral("not connected")};
    const int rc = mosquitto_loop(mosq_, 0, 1);
    if (rc == MOSQ_ERR_SUCCESS) return {};
    return {false, false, error_text(rc)};
}

int MqttClient::socket() const {
    return mosq_ ? mosquitto_socket(mosq_) : -1;
}

bool MqttClient::wants_write() const {
    return mosq_ && mosquitto_want_write(mosq_);
}

int MqttClient::take_connack() {
    const int code = connack_;
    connack_ = -1;
    return code;
}

std::vector<int> MqttClient::take_published() {
    std::vector<int> taken;
    taken.swap(published_);
    return taken;
}

bool MqttClient::take_disconnected() {
    const bool ended = disconnected_;
    disconnected_ = false;
    return ended;
}

QString MqttClient::connack_text(int code) {
    switch (code) {
        case 1:
            return QStringLiteral("protocol version not accepted");
        case 2:
            return QStringLiteral("client identifier rejected");
        case 3:
            return QStringLiteral("server unavailable");
        case 4:
            return QStringLiteral("bad user name or password");
        case 5:
            return QStringLiteral("not authorised");
        default:
            return QStringLiteral("code %1").arg(code);
    }
}

void MqttClient::on_connect(mosquitto*, void* self, int rc) {
    static_cast<MqttClient*>(self)->connack_ = rc;
}

void MqttClient::on_disconnect(mosquitto*, void* self, int) {
    static_cast<MqttClient*>(self)->disconnected_ = true;
}

void MqttClient::on_publish(mosquitto*, void* self, int mid) {
    static_cast<MqttClient*>(self)->published_.push_back(mid);
}
