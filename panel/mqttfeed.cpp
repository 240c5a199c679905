#include "panel/mqttfeed.h"

#include "history/journal.h"
#include "link/numbers.h"
#include "panel/panel.h"
#include "remote/mqttpublisher.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

// A box as a JSON number; null when it holds none (a keypad entry half typed).
QJsonValue boxValue(const QString& text)
{
    const auto value = numbers::toDouble(text);
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QByteArray compact(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

}  // namespace

MqttFeed::MqttFeed(Panel& panel, remote::MqttPublisher& publisher, std::function<qint64()> nowMs, QObject* parent)
    : QObject(parent), m_panel(panel), m_publisher(publisher), m_nowMs(std::move(nowMs))
{
    publisher.setCommands(&panel);
    // Off, nothing is built: no cost per answer.
    connect(&panel, &Panel::answerApplied, this, [this](const QByteArray& frame) {
        if (m_publisher.state() == remote::MqttPublisher::State::Connected)
            m_publisher.publishReading(readingPayload(frame));
    });
    connect(&publisher, &remote::MqttPublisher::stateChanged, this, [this] {
        if (m_publisher.state() == remote::MqttPublisher::State::Off)
            m_status.clear();
        else
            followState();
    });
    connect(&panel, &Panel::boxesChanged, this, &MqttFeed::followState);
    connect(&panel, &Panel::connectionChanged, this, &MqttFeed::followState);
    connect(&panel, &Panel::portChanged, this, [this](PortChange change, const QString& device) {
        if (change == PortChange::Opened)
            m_publisher.setPortName(device);
        followState();
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

void MqttFeed::setJournal(history::Journal* journal)
{
    disconnect(m_events);
    m_journal = journal;
    if (!journal)
        return;
    m_events = connect(journal, &history::Journal::recorded, this,
                       [this](qint64 tMs, history::EventKind kind, const QString& detail, history::Source source) {
                           if (m_publisher.state() == remote::MqttPublisher::State::Off)
                               return;
                           QJsonObject event{{QStringLiteral("t"), tMs},
                                             {QStringLiteral("kind"), history::kindName(kind)},
                                             {QStringLiteral("detail"), detail}};
                           if (source != history::Source::None)
                               event.insert(QStringLiteral("source"), history::sourceName(source));
                           m_publisher.publishEvent(compact(event));
                       });
}

QByteArray MqttFeed::statusPayload() const
{
    const PanelState& s = m_panel.state();
    const PumpLink& link = m_panel.link();
    QJsonObject status{{QStringLiteral("port_open"), link.isOpen()},
                       {QStringLiteral("port"), link.isOpen() ? QJsonValue(link.device()) : QJsonValue()},
                       {QStringLiteral("link_lost"), link.isOpen() && link.linkLost()},
                       {QStringLiteral("flow_ml_min"), boxValue(s.lqset)},
                       {QStringLiteral("limit_mpa"), boxValue(s.prset)},
                       {QStringLiteral("pump_number"), s.Set_Pump_NO}};
    return compact(status);
}

QByteArray MqttFeed::readingPayload(const QByteArray& frame) const
{
    const PanelState& s = m_panel.state();
    return compact(QJsonObject{{QStringLiteral("t"), m_nowMs()},
                               {QStringLiteral("frame"), QString::fromLatin1(frame)},
                               {QStringLiteral("pressure_mpa"), boxValue(s.pnow)},
                               {QStringLiteral("flow_ml_min"), boxValue(s.lqset)},
                               {QStringLiteral("limit_mpa"), boxValue(s.prset)}});
}

void MqttFeed::followState()
{
    if (m_publisher.state() == remote::MqttPublisher::State::Off)
        return;
    const QByteArray status = statusPayload();
    if (status == m_status)
        return;
    m_status = status;
    QJsonObject stamped = QJsonDocument::fromJson(status).object();
    stamped.insert(QStringLiteral("t"), m_nowMs());
    m_publisher.publishStatus(compact(stamped));
}

void MqttFeed::alarmsChanged()
{
    if (m_publisher.state() == remote::MqttPublisher::State::Off)
        return;
    const QJsonArray list = m_alarms ? m_alarms() : QJsonArray();
    m_publisher.publishAlarms(compact(QJsonObject{{QStringLiteral("t"), m_nowMs()}, {QStringLiteral("alarms"), list}}));
}
