#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QObject>

#include <functional>

class Panel;

namespace history {
class Journal;
}
namespace remote {
class MqttPublisher;
}

// Hands what the panel does to the MQTT publisher: every accepted answer as
// a reading, the state after every change as the status, every run-history
// event as an event, and the alarm list when it changes. Commands from the
// broker go to the panel. The broker's connects and disconnects go into the
// run history (and from there out as events).
class MqttFeed : public QObject {
    Q_OBJECT
public:
    // `nowMs`: ms since 1970 UTC, for the readings and the status.
    MqttFeed(Panel& panel, remote::MqttPublisher& publisher, std::function<qint64()> nowMs,
             QObject* parent = nullptr);

    // The run history whose events are published, and which records the
    // broker's connects and disconnects. Not owned; may be null.
    void setJournal(history::Journal* journal);
    // The active alarms, as a list of JSON objects: asked for on alarmsChanged().
    void setAlarmProvider(std::function<QJsonArray()> provider) { m_alarms = std::move(provider); }

    // The payloads, for the publisher and for tests.
    QByteArray statusPayload() const;
    QByteArray readingPayload(const QByteArray& frame) const;

public slots:
    void alarmsChanged();

private:
    void followState();

    Panel& m_panel;
    remote::MqttPublisher& m_publisher;
    std::function<qint64()> m_nowMs;
    history::Journal* m_journal = nullptr;
    QMetaObject::Connection m_events;
    std::function<QJsonArray()> m_alarms;
    // The last status published, without its time.
    QByteArray m_status;
};
