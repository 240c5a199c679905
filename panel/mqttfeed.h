#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>

#include <functional>

class Panel;

namespace history {
class Journal;
}
namespace remote {
class MqttPublisher;
class PumpControl;
}

// Hands what the panel does to the MQTT publisher, in the remote access's own
// messages: the status after every change, every reading and every event as
// the run history takes them, and the alarm list when it changes. Commands
// from the broker go to the panel. The broker's connects and disconnects go
// into the run history (and from there out as events). Off, it builds nothing.
class MqttFeed : public QObject {
    Q_OBJECT
public:
    // `status`: the panel's status (the remote access gives it). `nowMs`: ms
    // since 1970 UTC, for the alarms.
    MqttFeed(Panel& panel, const remote::PumpControl& status, remote::MqttPublisher& publisher,
             std::function<qint64()> nowMs, QObject* parent = nullptr);

    // The run history whose readings and events are published, and which
    // records the broker's connects and disconnects. Not owned; may be null.
    void setJournal(history::Journal* journal);
    // The active alarms, as a list of JSON objects: asked for on alarmsChanged().
    void setAlarmProvider(std::function<QJsonArray()> provider) { m_alarms = std::move(provider); }

public slots:
    void alarmsChanged();

private:
    bool on() const;
    void followState();

    const remote::PumpControl& m_status;
    remote::MqttPublisher& m_publisher;
    std::function<qint64()> m_nowMs;
    history::Journal* m_journal = nullptr;
    QList<QMetaObject::Connection> m_journalLinks;
    std::function<QJsonArray()> m_alarms;
    // The last status published, without what changes with every answer.
    QJsonObject m_state;
};
