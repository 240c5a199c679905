#include "panel/remoteaccess.h"

#include "alarms/alarmconfig.h"

#include "history/historysource.h"
#include "history/journal.h"
#include "link/numbers.h"
#include "panel/panel.h"
#include "platform/settings.h"

#include <QDateTime>
#include <QJsonObject>

#include <cmath>

namespace {

std::optional<double> boxNumber(const QString& text, bool typing)
{
    if (typing)
        return std::nullopt;
    return numbers::toDouble(text);
}

// A volume delivery or program while it is of `kind` and runs or is paused;
// null otherwise.
QJsonValue runJson(const ProgramRun& run, ProgramRun::Kind kind)
{
    if (!run.active() || run.kind() != kind)
        return QJsonValue(QJsonValue::Null);
    QJsonObject o{{QStringLiteral("state"), run.state() == ProgramRun::State::Paused ? QStringLiteral("paused")
                                                                                       : QStringLiteral("running")},
                  {QStringLiteral("volume_ml"), run.volumeMl()},
                  {QStringLiteral("target_ml"), run.targetMl()},
                  {QStringLiteral("left_ms"), run.totalLeftMs()}};
    if (kind == ProgramRun::Kind::Program) {
        o.insert(QStringLiteral("step"), run.stepIndex() + 1);
        o.insert(QStringLiteral("steps"), int(run.steps().size()));
        o.insert(QStringLiteral("step_left_ms"), run.stepLeftMs());
    }
    return o;
}

QJsonValue numberOrNull(double v) { return std::isnan(v) ? QJsonValue(QJsonValue::Null) : QJsonValue(v); }

QJsonValue msOrNull(const QDateTime& t) { return t.isNull() ? QJsonValue(QJsonValue::Null) : QJsonValue(t.toMSecsSinceEpoch()); }

}  // namespace

RemoteAccess::RemoteAccess(Panel& panel, const platform::Services& services, QObject* parent)
    : QObject(parent),
      m_panel(panel),
      m_store(services.settings),
      m_settings(remote::readSettings(services.settings)),
      m_wallClock(services.wallClock),
      m_server(*this, remote::HistoryAccess{[this] { return historySource(); },
                                           [this] { return m_journal ? m_journal->sessionId() : 0; }},
               services.clock)
{
    connect(&panel, &Panel::answerApplied, this,
            [this] { m_lastAnswerMs = m_wallClock().toMSecsSinceEpoch(); });
    connect(&m_server, &remote::RemoteServer::clientsChanged, this, &RemoteAccess::changed);
    // A client acknowledges every alarm shown; nothing shown: refused.
    m_server.providers().acknowledge = [this](const QString&) {
        return m_panel.alarms().acknowledgeAll(alarms::AckSource::Remote) > 0;
    };
    connect(&m_server, &remote::RemoteServer::addressBanned, this, [this](const QString& address) {
        if (m_journal)
            m_journal->record(history::EventKind::RemoteBlocked, address);
    });
}

RemoteAccess::~RemoteAccess()
{
    m_server.stop();
}

void RemoteAccess::setJournal(history::Journal* journal)
{
    if (m_journal)
        m_journal->disconnect(this);
    m_journal = journal;
    m_history.reset();
    if (!journal)
        return;
    connect(journal, &history::Journal::readingTaken, &m_server, &remote::RemoteServer::publishReading);
    connect(journal, &history::Journal::eventRecorded, &m_server, &remote::RemoteServer::publishEvent);
}

history::HistorySource* RemoteAccess::historySource()
{
    if (!m_history && m_journal) {
        QString error;
        m_history = history::openJournal(m_journal->path(), &error);
    }
    return m_history.get();
}

bool RemoteAccess::startFromSettings(QString* error)
{
    if (!m_settings.enabled || m_settings.token.isEmpty())
        return true;
    bool ok = true;
    restart(error, &ok);
    return ok;
}

void RemoteAccess::restart(QString* error, bool* ok)
{
    m_server.stop();
    if (m_settings.enabled) {
        *ok = m_server.start(m_settings, error);
        if (*ok && m_journal)
            m_journal->record(history::EventKind::RemoteOn, m_settings.listen(), history::Source::Menu);
    }
    emit changed();
}

bool RemoteAccess::apply(const remote::RemoteSettings& wanted, QString* error)
{
    const bool wasOn = m_server.isRunning();
    const remote::RemoteSettings before = m_settings;
    m_settings = wanted;
    if (m_settings.enabled && m_settings.token.isEmpty())
        m_settings.token = remote::newToken();
    bool ok = true;
    const bool sameServer = before.enabled && wasOn && before.host == m_settings.host && before.port == m_settings.port
                            && before.token == m_settings.token && before.hosts == m_settings.hosts
                            && before.tlsCert == m_settings.tlsCert && before.tlsKey == m_settings.tlsKey;
    if (sameServer && m_settings.enabled) {
        m_server.setControl(m_settings.control);
        emit changed();
    } else {
        restart(error, &ok);
        if (wasOn && !m_settings.enabled && m_journal)
            m_journal->record(history::EventKind::RemoteOff, QString(), history::Source::Menu);
    }
    QString saveError;
    if (!save(&saveError) && ok) {
        *error = saveError;
        ok = false;
    }
    return ok;
}

bool RemoteAccess::replaceToken(QString* error)
{
    remote::RemoteSettings wanted = m_settings;
    wanted.token = remote::newToken();
    return apply(wanted, error);
}

bool RemoteAccess::save(QString* error)
{
    if (!m_store)
        return true;
    remote::writeSettings(*m_store, m_settings);
    return m_store->sync(error);
}

QString RemoteAccess::link() const
{
    const bool tls = !m_settings.tlsCert.isEmpty() && !m_settings.tlsKey.isEmpty();
    const quint16 port = m_server.isRunning() ? m_server.port() : m_settings.port;
    QString host = m_settings.host;
    if (host == QLatin1String("0.0.0.0") || host == QLatin1String("::"))
        host = QStringLiteral("localhost");
    if (host.contains(QLatin1Char(':')))
        host = QLatin1Char('[') + host + QLatin1Char(']');
    return QStringLiteral("%1://%2:%3/#token=%4")
        .arg(tls ? QStringLiteral("https") : QStringLiteral("http"), host)
        .arg(port)
        .arg(m_settings.token);
}

bool RemoteAccess::unencryptedBeyondLoopback() const
{
    return m_settings.beyondLoopback() && (m_settings.tlsCert.isEmpty() || m_settings.tlsKey.isEmpty());
}

QString RemoteAccess::statusText() const
{
    if (!m_server.isRunning())
        return QString();
    QString text = tr("远程访问 %1 · %n 个客户端", nullptr, m_server.clientCount())
                       .arg(m_settings.host + QLatin1Char(':') + QString::number(m_server.port()));
    if (unencryptedBeyondLoopback())
        text += QStringLiteral(" · ") + tr("远程访问未加密");
    return text;
}

remote::messages::Status RemoteAccess::status() const
{
    using remote::messages::LinkState;
    remote::messages::Status s;
    const PumpLink& link = m_panel.link();
    s.port = link.device();
    s.link = !link.isOpen() ? LinkState::Closed : link.linkLost() ? LinkState::Lost : LinkState::Open;
    const PanelState& state = m_panel.state();
    const Keypad& keypad = m_panel.keypad();
    s.pressureMpa = boxNumber(state.pnow, false);
    s.pressureLimitMpa = boxNumber(state.prset, keypad.typingPressure());
    s.flowMlMin = boxNumber(state.lqset, keypad.typingFlow());
    s.running = m_panel.running();
    const TimedRun& timed = m_panel.timedRun();
    s.timedRun = remote::messages::timedRun(timed.timer1().isActive(), timed.labelsVisible(), timed.tset(),
                                            timed.timeset());
    s.dose = runJson(m_panel.program(), ProgramRun::Kind::Dose);
    s.program = runJson(m_panel.program(), ProgramRun::Kind::Program);
    s.alarms = alarms();
    s.lastAnswerMs = m_lastAnswerMs;
    s.panelVersion = m_version;
    return s;
}

void RemoteAccess::run(const QString& client)
{
    m_panel.remoteRun(client);
}

void RemoteAccess::stop(const QString& client)
{
    m_panel.remoteStop(client);
}

QString RemoteAccess::setFlow(double mlMin, const QString& client)
{
    return m_panel.remoteFlow(mlMin, client);
}

QString RemoteAccess::setPressureLimit(double mpa, const QString& client)
{
    return m_panel.remotePressure(mpa, client);
}

QJsonArray RemoteAccess::alarms() const
{
    static const char* const kStates[] = {"normal", "active_unacknowledged", "active_acknowledged",
                                          "returned_unacknowledged"};
    QJsonArray out;
    for (const alarms::Alarm& a : m_panel.alarms().shown()) {
        out.append(QJsonObject{{QStringLiteral("name"), alarms::keyName(a.condition)},
                               {QStringLiteral("state"), QLatin1String(kStates[int(a.state)])},
                               {QStringLiteral("value"), numberOrNull(a.value)},
                               {QStringLiteral("threshold"), numberOrNull(a.threshold)},
                               {QStringLiteral("raised_ms"), msOrNull(a.raised)},
                               {QStringLiteral("cleared_ms"), msOrNull(a.cleared)},
                               {QStringLiteral("acknowledged_ms"), msOrNull(a.acknowledged)},
                               {QStringLiteral("count"), a.count}});
    }
    return out;
}
