#pragma once

#include "platform/mqttclient.h"
#include "remote/pumpcommands.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <memory>

namespace platform {
class Settings;
}
class QTimer;

namespace remote {

// The [mqtt] group of the settings file.
struct MqttSettings {
    bool enabled = false;
    QString host = QStringLiteral("localhost");
    int port = 0;  // 0: 1883, or 8883 with TLS
    QString username;
    QString password;
    QString tlsCa;
    QString tlsCert;
    QString tlsKey;
    QString clientId;  // empty: pump-panel-HOST-PORTNAME
    QString topic;     // empty: pump-panel/HOST/PORTNAME
    bool control = false;

    // Keys that are not of their kind are named in *bad and read as their default.
    static MqttSettings read(const platform::Settings* settings, QStringList* bad = nullptr);
    void write(platform::Settings& settings) const;

    int effectivePort() const { return port > 0 ? port : tlsCa.isEmpty() ? 1883 : 8883; }
};

// One level of a topic: MQTT's wildcards, the level separator and NUL
// become "_"; a leading "$" (the broker's own topics) too.
QString topicLevel(const QString& text);
// A topic root as given: wildcards and NUL become "_", no "/" at either end.
QString topicRoot(const QString& text);
// The short name of a port for topics and client ids: "COM4", "ttyUSB0", "sim".
QString portShortName(const QString& device);

// Publishes one panel to an MQTT broker under its topic root:
//   online         retained "true" while connected; the last will makes it
//                  "false" when the panel dies or its network goes
//   status         retained, the state after every change
//   reading        one per accepted answer, QoS 0, only while connected
//   event          every run-history event, QoS 1
//   alarms         retained, the active alarms, QoS 1
//   cmd/…          commands, acted on only with control on
//   cmd/result     the outcome of each command
// While the broker is away, events and alarm changes wait in order (at most
// kQueueLimit; the oldest go first) and reconnecting is tried after 1 s,
// doubling up to 60 s. Off, it holds no client, socket or running timer.
class MqttPublisher : public QObject {
    Q_OBJECT
public:
    static constexpr int kQueueLimit = 10000;
    static constexpr int kFirstRetryMs = 1000;
    static constexpr int kLastRetryMs = 60000;

    enum class State { Off, Connecting, Connected, Waiting };

    // `nowMs`: ms since 1970 UTC, for the answers to commands. `host`: this
    // computer's name, for the default root and client id.
    MqttPublisher(platform::MqttMaker make, std::function<qint64()> nowMs, QString host, QObject* parent = nullptr);
    ~MqttPublisher() override;

    // Stops what runs and starts anew with these settings (nothing when off).
    void start(const MqttSettings& settings);
    // Says goodbye ("online" false) and disconnects.
    void stop();
    // The port the panel uses: the default root and client id follow it.
    void setPortName(const QString& device);
    void setCommands(PumpCommands* commands) { m_commands = commands; }

    QString root() const;
    QString clientId() const;
    State state() const { return m_state; }
    // The broker's state for the status line, in the interface's language;
    // empty when off.
    QString stateText() const;
    // Events and alarm changes not yet taken by the broker.
    int queued() const { return static_cast<int>(m_queue.size() + m_inFlight.size()); }
    qint64 droppedFromQueue() const { return m_dropped; }
    int retryDelayMs() const { return m_retryMs; }

    // What is published (JSON payloads).
    void publishStatus(const QByteArray& payload);
    void publishReading(const QByteArray& payload);
    void publishEvent(const QByteArray& payload);
    void publishAlarms(const QByteArray& payload);

    // The back-off timer's tick: tries to connect now.
    void retry();

signals:
    void stateChanged();
    // For the run history: the broker took the connection, or it ended.
    void brokerConnected(const QString& broker);
    void brokerDisconnected(const QString& reason);
    // A broker refused the login or the certificate: once for each reason,
    // in the interface's language.
    void refused(const QString& message);

private:
    struct Pending {
        QString topic;
        QByteArray payload;
        int qos;
        bool retain;
    };
    void connectNow();
    void handleConnected();
    void handleDisconnected(platform::MqttClient::Failure failure, const QString& reason);
    void handleMessage(const QString& topic, const QByteArray& payload);
    void answer(const QString& command, const QString& client, const QString& reason);
    // Hands one kept message to the client; false when it would not take it.
    bool handOver(const Pending& p);
    void send(const QString& level, const QByteArray& payload, int qos, bool retain, bool keep);
    void setState(State state);
    QString brokerText() const;

    platform::MqttMaker m_make;
    std::function<qint64()> m_nowMs;
    QString m_host;
    QString m_port = QStringLiteral("none");
    MqttSettings m_settings;
    std::unique_ptr<platform::MqttClient> m_client;
    PumpCommands* m_commands = nullptr;
    State m_state = State::Off;
    QString m_lastReason;
    QString m_refusalTold;
    QByteArray m_status;
    QByteArray m_alarms;
    // Waiting for the broker, oldest first; and handed to the client, with
    // their ids, until the broker has them.
    std::deque<Pending> m_queue;
    std::deque<std::pair<int, Pending>> m_inFlight;
    qint64 m_dropped = 0;
    int m_retryMs = kFirstRetryMs;
    QTimer* m_retry = nullptr;
};

}  // namespace remote
