#include "panel/mqttfeed.h"

#include "history/journal.h"
#include "panel/panel.h"
#include "remote/messages.h"
#include "remote/mqttpublisher.h"
#include "remote/pumpcontrol.h"

#include <QJsonObject>

namespace messages = remote::messages;

MqttFeed::MqttFeed(Panel& panel, const remote::PumpControl& status, remote::MqttPublisher& publisher,
                   std::function<qint64()> nowMs, QObject* parent)
    : QObject(parent), m_status(status), m_publisher(publisher), m_nowMs(std::move(nowMs))
{
    publisher.setCommands(&panel);
    connect(&panel, &Panel::boxesChanged, this, &MqttFeed::followState);
    connect(&panel, &Panel::connectionChanged, this, &MqttFeed::followState);
    // After the send has settled whether the pump runs.
    connect(&panel, &Panel::commandSent, this, &MqttFeed::followState, Qt::QueuedConnection);
    connect(&panel, &Panel::portChanged, this, [this](PortChange change, const QString& device) {
        if (change == PortChange::Opened)
            m_publisher.setPortName(device);
        followState();
    });
    connect(&publisher, &remote::MqttPublisher::stateChanged, this, [this] {
        if (on())
            followState();
        else
            m_state = QJsonObject();
    });
    connect(&publisher, &remote::MqttPublisher::brokerConnected, this, [this](const QString& broker) {
        if (m_journal)
            m_journal->record(history::EventKind::BrokerConnected, broker);
    });
    connect(&publisher, &remote::MqttPublisher::brokerDisconnected, this, [this](const QString& reason) {
        if (m_journal)
            m_journal->record(history::EventKind::BrokerDisconnected, reason);
    });
}

bool MqttFeed::on() const
{
    return m_publisher.state() != remote::MqttPublisher::State::Off;
}

void MqttFeed::setJournal(history::Journal* journal)
{
    for (const auto& link : m_journalLinks)
        disconnect(link);
    m_journalLinks.clear();
    m_journal = journal;
    if (!journal)
        return;
    m_journalLinks << connect(journal, &history::Journal::readingTaken, this, [this](const history::TakenReading& taken) {
        if (m_publisher.state() == remote::MqttPublisher::State::Connected)
            m_publisher.publishReading(messages::text(messages::reading(taken.reading())));
    });
    m_journalLinks << connect(journal, &history::Journal::eventRecorded, this, [this](const history::Event& e) {
        if (on())
            m_publisher.publishEvent(messages::text(messages::event(e)));
    });
}

void MqttFeed::followState()
{
    if (!on())
        return;
    QJsonObject status = messages::status(m_status.status());
    // Published when the state changes, not with every answer's pressure
    // (the readings carry that).
    QJsonObject state = status;
    state.remove(QStringLiteral("pressure_mpa"));
    state.remove(QStringLiteral("last_answer_ms"));
    if (state == m_state)
        return;
    m_state = state;
    m_publisher.publishStatus(messages::text(status));
}

void MqttFeed::alarmsChanged()
{
    if (!on())
        return;
    const QJsonArray list = m_alarms ? m_alarms() : QJsonArray();
    m_publisher.publishAlarms(messages::text(QJsonObject{{QStringLiteral("type"), QStringLiteral("alarms")},
                                                         {QStringLiteral("t_ms"), m_nowMs()},
                                                         {QStringLiteral("alarms"), list}}));
}
