#pragma once

#include "platform/mqttclient.h"

#include <QPointer>

#include <optional>
#include <utility>

class QSocketNotifier;
class QTimer;
struct mosquitto;

namespace platform {

// MqttClient on libmosquitto, without a thread: a read notifier on the
// library's socket calls its loop_read, a write notifier (on only while the
// library has bytes waiting) its loop_write, and a one-second timer its
// loop_misc (keep-alive pings, retries). Everything runs on the thread
// that made it.
class MosquittoClient final : public MqttClient {
    Q_OBJECT
public:
    explicit MosquittoClient(QObject* parent = nullptr);
    ~MosquittoClient() override;

    void open(const MqttOptions& options) override;
    void close() override;
    int publish(const QString& topic, const QByteArray& payload, int qos, bool retain) override;
    bool subscribe(const QString& pattern, int qos) override;

    // The library's callbacks.
    void handleConnack(int code);
    void handleMessage(const QString& topic, const QByteArray& payload);

private:
    // After every call into the library: the write notifier on while bytes
    // wait, or the end of the connection when `rc` says it ended.
    void follow(int rc);
    void fail(Failure failure, const QString& reason);
    void dropSocket();

    mosquitto* m_mosq = nullptr;
    MqttOptions m_options;
    bool m_up = false;
    // Set by a callback inside a library call, handled when it returns.
    std::optional<std::pair<Failure, QString>> m_refusal;
    QPointer<QSocketNotifier> m_read;
    QPointer<QSocketNotifier> m_write;
    QTimer* m_misc = nullptr;
};

// The program's maker.
MqttMaker mosquittoMaker();

}  // namespace platform
