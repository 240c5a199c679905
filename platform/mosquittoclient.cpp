#include "platform/mosquittoclient.h"

#include <QSocketNotifier>
#include <QTimer>

#include <mosquitto.h>

#include <cerrno>
#include <cstring>

namespace platform {

namespace {

MosquittoClient* self(void* obj) { return static_cast<MosquittoClient*>(obj); }

void onConnect(mosquitto*, void* obj, int code) { self(obj)->handleConnack(code); }

void onPublish(mosquitto*, void* obj, int mid) { emit self(obj)->published(mid); }

void onMessage(mosquitto*, void* obj, const mosquitto_message* m)
{
    self(obj)->handleMessage(QString::fromUtf8(m->topic),
                             QByteArray(static_cast<const char*>(m->payload), m->payloadlen));
}

QByteArray bytes(const QString& text) { return text.toUtf8(); }

// A file name for the library, or none.
const char* fileOrNull(const QByteArray& path) { return path.isEmpty() ? nullptr : path.constData(); }

QString libraryReason(int rc)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(errno));
    return QString::fromUtf8(mosquitto_strerror(rc));
}

}  // namespace

MosquittoClient::MosquittoClient(QObject* parent) : MqttClient(parent)
{
    static const bool ready = [] {
        mosquitto_lib_init();
        return true;
    }();
    (void)ready;
}

MosquittoClient::~MosquittoClient()
{
    close();
    if (m_mosq)
        mosquitto_destroy(m_mosq);
}

void MosquittoClient::open(const MqttOptions& options)
{
    dropSocket();
    m_up = false;
    m_refusal.reset();
    // A new handle for every connect: the library would send messages left
    // unacknowledged after newer ones, and their sender keeps them anyway.
    if (m_mosq)
        mosquitto_destroy(m_mosq);
    m_options = options;
    m_mosq = mosquitto_new(bytes(options.clientId).constData(), true, this);
    if (!m_mosq) {
        fail(Failure::Refused, QStringLiteral("out of memory"));
        return;
    }
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(m_mosq, onConnect);
    mosquitto_message_callback_set(m_mosq, onMessage);
    mosquitto_publish_callback_set(m_mosq, onPublish);
    mosquitto_username_pw_set(m_mosq, options.username.isEmpty() ? nullptr : bytes(options.username).constData(),
                              options.username.isEmpty() ? nullptr : bytes(options.password).constData());
    if (!options.tlsCa.isEmpty()) {
        const QByteArray ca = options.tlsCa.toLocal8Bit();
        const QByteArray cert = options.tlsCert.toLocal8Bit();
        const QByteArray key = options.tlsKey.toLocal8Bit();
        const int rc = mosquitto_tls_set(m_mosq, ca.constData(), nullptr, fileOrNull(cert), fileOrNull(key), nullptr);
        if (rc != MOSQ_ERR_SUCCESS) {
            fail(Failure::Certificate, libraryReason(rc));
            return;
        }
    }
    if (!options.willTopic.isEmpty())
        mosquitto_will_set(m_mosq, bytes(options.willTopic).constData(), options.willPayload.size(),
                           options.willPayload.constData(), 1, true);
    // Blocks for the name look-up, the TCP connect and a TLS handshake.
    const int rc = mosquitto_connect(m_mosq, bytes(options.host).constData(), options.port, options.keepAliveS);
    if (rc != MOSQ_ERR_SUCCESS) {
        fail(rc == MOSQ_ERR_TLS ? Failure::Certificate : Failure::Lost, libraryReason(rc));
        return;
    }
    const int fd = mosquitto_socket(m_mosq);
    m_read = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_read, &QSocketNotifier::activated, this, [this] { follow(mosquitto_loop_read(m_mosq, 1)); });
    m_write = new QSocketNotifier(fd, QSocketNotifier::Write, this);
    connect(m_write, &QSocketNotifier::activated, this, [this] { follow(mosquitto_loop_write(m_mosq, 1)); });
    if (!m_misc) {
        m_misc = new QTimer(this);
        m_misc->setInterval(1000);
        connect(m_misc, &QTimer::timeout, this, [this] { follow(mosquitto_loop_misc(m_mosq)); });
    }
    m_misc->start();
    follow(MOSQ_ERR_SUCCESS);
}

void MosquittoClient::close()
{
    if (m_mosq && m_read) {
        // A goodbye, so the broker drops the last will.
        mosquitto_disconnect(m_mosq);
        mosquitto_loop_write(m_mosq, 1);
    }
    dropSocket();
    m_up = false;
}

int MosquittoClient::publish(const QString& topic, const QByteArray& payload, int qos, bool retain)
{
    if (!m_up)
        return 0;
    int mid = 0;
    const int rc =
        mosquitto_publish(m_mosq, &mid, bytes(topic).constData(), payload.size(), payload.constData(), qos, retain);
    follow(rc);
    return rc == MOSQ_ERR_SUCCESS ? mid : 0;
}

bool MosquittoClient::subscribe(const QString& pattern, int qos)
{
    if (!m_up)
        return false;
    const int rc = mosquitto_subscribe(m_mosq, nullptr, bytes(pattern).constData(), qos);
    follow(rc);
    return rc == MOSQ_ERR_SUCCESS;
}

void MosquittoClient::handleConnack(int code)
{
    if (code == 0) {
        m_up = true;
        emit connected();
        return;
    }
    // 4: bad user name or password, 5: not authorised.
    const Failure failure = code == 4 || code == 5 ? Failure::Login : Failure::Refused;
    m_refusal = std::make_pair(failure, QString::fromUtf8(mosquitto_connack_string(code)));
}

void MosquittoClient::handleMessage(const QString& topic, const QByteArray& payload)
{
    emit received(topic, payload);
}

void MosquittoClient::follow(int rc)
{
    if (!m_read)
        return;
    if (m_refusal) {
        const auto [failure, reason] = *m_refusal;
        m_refusal.reset();
        fail(failure, reason);
        return;
    }
    switch (rc) {
    case MOSQ_ERR_SUCCESS:
    case MOSQ_ERR_PAYLOAD_SIZE:
    case MOSQ_ERR_INVAL:
    case MOSQ_ERR_MALFORMED_UTF8:
    case MOSQ_ERR_QOS_NOT_SUPPORTED:
        // A message the library refused; the connection stands.
        if (m_write)
            m_write->setEnabled(mosquitto_want_write(m_mosq));
        return;
    case MOSQ_ERR_TLS:
        fail(Failure::Certificate, libraryReason(rc));
        return;
    default:
        fail(Failure::Lost, libraryReason(rc));
        return;
    }
}

void MosquittoClient::fail(Failure failure, const QString& reason)
{
    // The socket stays with the library until the next connect closes it:
    // no goodbye, so the broker sends the last will.
    dropSocket();
    m_up = false;
    emit disconnected(failure, reason);
}

void MosquittoClient::dropSocket()
{
    for (QSocketNotifier* n : {m_read.data(), m_write.data()}) {
        if (n) {
            n->setEnabled(false);
            n->deleteLater();
        }
    }
    m_read = nullptr;
    m_write = nullptr;
    if (m_misc)
        m_misc->stop();
}

MqttMaker mosquittoMaker()
{
    return [] { return std::make_unique<MosquittoClient>(); };
}

}  // namespace platform
