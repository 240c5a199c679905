#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace platform {

// Where and how to reach an MQTT broker, with the message the broker sends
// for us when the connection dies without a goodbye (the last will).
struct MqttOptions {
    QString host;
    int port = 1883;
    QString clientId;
    QString username;  // empty: no login
    QString password;
    QString tlsCa;  // a certificate authority file: TLS on
    QString tlsCert;
    QString tlsKey;
    QString willTopic;  // empty: no last will
    QByteArray willPayload;
    int keepAliveS = 10;
};

// A connection to an MQTT broker. The program's is libmosquitto driven from
// the event loop; tests may hand in one of their own. Nothing happens until
// open(); close() ends quietly (no last will) and emits nothing.
class MqttClient : public QObject {
    Q_OBJECT
public:
    // Why a connection ended or never came about.
    enum class Failure { Lost, Login, Certificate, Refused };
    Q_ENUM(Failure)

    using QObject::QObject;
    ~MqttClient() override = default;

    // Starts connecting. connected() or disconnected() follows, maybe
    // before this returns. A TLS connect may block for its handshake.
    virtual void open(const MqttOptions& options) = 0;
    virtual void close() = 0;
    // The message's id (> 0), or 0 when it could not be handed over (not
    // connected). published() follows with the id once the broker has it
    // (QoS 1) or it is written (QoS 0). A message not published before a
    // disconnect is not sent again by the client: its sender keeps it.
    virtual int publish(const QString& topic, const QByteArray& payload, int qos, bool retain) = 0;
    virtual bool subscribe(const QString& pattern, int qos) = 0;

signals:
    void connected();
    // `reason` in plain words, for the run history and the status line.
    void disconnected(platform::MqttClient::Failure failure, const QString& reason);
    void received(const QString& topic, const QByteArray& payload);
    void published(int id);
};

using MqttMaker = std::function<std::unique_ptr<MqttClient>()>;

}  // namespace platform
