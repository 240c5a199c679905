#include "remote/mqttpublisher.h"

#include "platform/settings.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace remote {

namespace {

const QString kGroup = QStringLiteral("mqtt");

QString replaced(QString text, const QString& chars)
{
    for (QChar& c : text) {
        if (chars.contains(c) || c.isNull())
            c = QLatin1Char('_');
    }
    return text;
}

}  // namespace

MqttSettings MqttSettings::read(const platform::Settings* settings, QStringList* bad)
{
    const platform::SettingsReader r{settings, kGroup, bad};
    const MqttSettings d;
    MqttSettings s;
    s.enabled = r.flag(QStringLiteral("enabled"), d.enabled);
    s.host = r.text(QStringLiteral("host"), d.host);
    s.port = static_cast<int>(r.whole(QStringLiteral("port"), d.port, 0, 65535));
    s.username = r.text(QStringLiteral("username"), d.username);
    s.password = r.text(QStringLiteral("password"), d.password);
    s.tlsCa = r.text(QStringLiteral("tls_ca"), d.tlsCa);
    s.tlsCert = r.text(QStringLiteral("tls_cert"), d.tlsCert);
    s.tlsKey = r.text(QStringLiteral("tls_key"), d.tlsKey);
    s.clientId = r.text(QStringLiteral("client_id"), d.clientId);
    s.topic = r.text(QStringLiteral("topic"), d.topic);
    s.control = r.flag(QStringLiteral("control"), d.control);
    return s;
}

void MqttSettings::write(platform::Settings& settings) const
{
    const std::pair<const char*, QString> keys[] = {
        {"enabled", platform::flagText(enabled)},
        {"host", host},
        {"port", port > 0 ? QString::number(port) : QString()},
        {"username", username},
        {"password", password},
        {"tls_ca", tlsCa},
        {"tls_cert", tlsCert},
        {"tls_key", tlsKey},
        {"client_id", clientId},
        {"topic", topic},
        {"control", platform::flagText(control)},
    };
    for (const auto& [key, value] : keys) {
        if (value.isEmpty())
            settings.remove(kGroup, QLatin1String(key));
        else
            settings.setValue(kGroup, QLatin1String(key), value);
    }
}

QString topicLevel(const QString& text)
{
    QString level = replaced(text, QStringLiteral("+#/"));
    if (level.startsWith(QLatin1Char('$')))
        level[0] = QLatin1Char('_');
    return level.isEmpty() ? QStringLiteral("_") : level;
}

QString topicRoot(const QString& text)
{
    QString root = replaced(text.trimmed(), QStringLiteral("+#"));
    while (root.startsWith(QLatin1Char('/')))
        root.remove(0, 1);
    while (root.endsWith(QLatin1Char('/')))
        root.chop(1);
    if (root.startsWith(QLatin1Char('$')))
        root[0] = QLatin1Char('_');
    return root;
}

QString portShortName(const QString& device)
{
    const QString name = QFileInfo(device).fileName();
    return name.isEmpty() ? QStringLiteral("none") : name;
}

MqttPublisher::MqttPublisher(platform::MqttMaker make, std::function<qint64()> nowMs, QString host, QObject* parent)
    : QObject(parent), m_make(std::move(make)), m_nowMs(std::move(nowMs)), m_host(std::move(host))
{
}

MqttPublisher::~MqttPublisher()
{
    stop();
}

QString MqttPublisher::root() const
{
    const QString given = topicRoot(m_settings.topic);
    if (!given.isEmpty())
        return given;
    return QStringLiteral("pump-panel/") + topicLevel(m_host) + QLatin1Char('/') + topicLevel(m_port);
}

QString MqttPublisher::clientId() const
{
    if (!m_settings.clientId.isEmpty())
        return m_settings.clientId;
    return QStringLiteral("pump-panel-") + topicLevel(m_host) + QLatin1Char('-') + topicLevel(m_port);
}

void MqttPublisher::start(const MqttSettings& settings)
{
    stop();
    m_settings = settings;
    if (!settings.enabled)
        return;
    m_retryMs = kFirstRetryMs;
    m_refusalTold.clear();
    connectNow();
}

void MqttPublisher::stop()
{
    const bool wasConnected = m_state == State::Connected;
    if (m_client) {
        if (wasConnected)
            m_client->publish(root() + QStringLiteral("/online"), "false", 1, true);
        m_client->close();
        m_client.reset();
    }
    delete m_retry;
    m_retry = nullptr;
    // A queue of a root no longer published would reach the wrong place.
    m_queue.clear();
    m_inFlight.clear();
    setState(State::Off);
    if (wasConnected)
        emit brokerDisconnected(QStringLiteral("closed by the panel"));
}

void MqttPublisher::setPortName(const QString& device)
{
    const QString port = portShortName(device);
    if (port == m_port)
        return;
    const QString rootBefore = root();
    const QString idBefore = clientId();
    m_port = port;
    if (m_state != State::Off && (root() != rootBefore || clientId() != idBefore))
        start(m_settings);
}

QString MqttPublisher::brokerText() const
{
    return m_settings.host + QLatin1Char(':') + QString::number(m_settings.effectivePort());
}

QString MqttPublisher::stateText() const
{
    switch (m_state) {
    case State::Off:
        break;
    case State::Connecting:
        return tr("MQTT 正在连接 %1").arg(brokerText());
    case State::Connected:
        return tr("MQTT 已连接 %1").arg(brokerText());
    case State::Waiting:
        return tr("MQTT 未连接（%1），%2 秒后重试").arg(m_lastReason).arg(m_retry ? m_retry->interval() / 1000 : 0);
    }
    return QString();
}

void MqttPublisher::setState(State state)
{
    if (state == m_state)
        return;
    m_state = state;
    emit stateChanged();
}

void MqttPublisher::connectNow()
{
    if (!m_client) {
        m_client = m_make();
        connect(m_client.get(), &platform::MqttClient::connected, this, &MqttPublisher::handleConnected);
        connect(m_client.get(), &platform::MqttClient::disconnected, this, &MqttPublisher::handleDisconnected);
        connect(m_client.get(), &platform::MqttClient::received, this, &MqttPublisher::handleMessage);
        connect(m_client.get(), &platform::MqttClient::published, this, [this](int id) {
            const auto it = std::find_if(m_inFlight.begin(), m_inFlight.end(), [id](const auto& f) { return f.first == id; });
            if (it != m_inFlight.end())
                m_inFlight.erase(it);
        });
    }
    platform::MqttOptions o;
    o.host = m_settings.host;
    o.port = m_settings.effectivePort();
    o.clientId = clientId();
    o.username = m_settings.username;
    o.password = m_settings.password;
    o.tlsCa = m_settings.tlsCa;
    o.tlsCert = m_settings.tlsCert;
    o.tlsKey = m_settings.tlsKey;
    o.willTopic = root() + QStringLiteral("/online");
    o.willPayload = "false";
    setState(State::Connecting);
    m_client->open(o);
}

void MqttPublisher::retry()
{
    if (m_state == State::Waiting)
        connectNow();
}

void MqttPublisher::handleConnected()
{
    m_retryMs = kFirstRetryMs;
    m_refusalTold.clear();
    if (m_retry)
        m_retry->stop();
    setState(State::Connected);
    const QString r = root();
    m_client->publish(r + QStringLiteral("/online"), "true", 1, true);
    m_client->subscribe(r + QStringLiteral("/cmd/+"), 1);
    if (!m_status.isEmpty())
        m_client->publish(r + QStringLiteral("/status"), m_status, 1, true);
    while (!m_queue.empty() && handOver(m_queue.front()))
        m_queue.pop_front();
    // A broker that lost its retained messages gets the alarms again.
    if (!m_alarms.isEmpty() && m_queue.empty())
        m_client->publish(r + QStringLiteral("/alarms"), m_alarms, 1, true);
    emit brokerConnected(brokerText());
}

void MqttPublisher::handleDisconnected(platform::MqttClient::Failure failure, const QString& reason)
{
    using Failure = platform::MqttClient::Failure;
    const bool wasConnected = m_state == State::Connected;
    m_lastReason = reason;
    // What the broker did not confirm goes again, before what came since.
    while (!m_inFlight.empty()) {
        m_queue.push_front(std::move(m_inFlight.back().second));
        m_inFlight.pop_back();
    }
    while (static_cast<int>(m_queue.size()) > kQueueLimit) {
        m_queue.pop_front();
        ++m_dropped;
    }
    if (!m_retry) {
        m_retry = new QTimer(this);
        m_retry->setSingleShot(true);
        connect(m_retry, &QTimer::timeout, this, &MqttPublisher::retry);
    }
    m_retry->start(m_retryMs);
    m_retryMs = std::min(m_retryMs * 2, kLastRetryMs);
    if (m_state == State::Waiting)
        emit stateChanged();  // the reason and the delay changed
    setState(State::Waiting);
    if (failure == Failure::Login || failure == Failure::Certificate) {
        const QString message = failure == Failure::Login
                                    ? tr("MQTT 服务器 %1 拒绝了登录：%2").arg(brokerText(), reason)
                                    : tr("MQTT 服务器 %1 的证书未被接受：%2").arg(brokerText(), reason);
        if (message != m_refusalTold) {
            m_refusalTold = message;
            emit refused(message);
        }
    }
    if (wasConnected)
        emit brokerDisconnected(reason);
}

bool MqttPublisher::handOver(const Pending& p)
{
    const int id = m_client->publish(root() + p.topic, p.payload, p.qos, p.retain);
    if (id > 0)
        m_inFlight.emplace_back(id, p);
    return id > 0;
}

void MqttPublisher::send(const QString& level, const QByteArray& payload, int qos, bool retain, bool keep)
{
    if (m_state == State::Off)
        return;
    const bool now = m_state == State::Connected && m_queue.empty();
    if (!keep) {
        if (now)
            m_client->publish(root() + QLatin1Char('/') + level, payload, qos, retain);
        return;
    }
    Pending p{QLatin1Char('/') + level, payload, qos, retain};
    if (now && handOver(p))
        return;
    if (queued() >= kQueueLimit) {
        m_queue.pop_front();
        ++m_dropped;
    }
    m_queue.push_back(std::move(p));
}

void MqttPublisher::publishStatus(const QByteArray& payload)
{
    m_status = payload;
    send(QStringLiteral("status"), payload, 1, true, false);
}

void MqttPublisher::publishReading(const QByteArray& payload)
{
    if (m_state == State::Connected)
        send(QStringLiteral("reading"), payload, 0, false, false);
}

void MqttPublisher::publishEvent(const QByteArray& payload)
{
    send(QStringLiteral("event"), payload, 1, false, true);
}

void MqttPublisher::publishAlarms(const QByteArray& payload)
{
    m_alarms = payload;
    send(QStringLiteral("alarms"), payload, 1, true, true);
}

void MqttPublisher::handleMessage(const QString& topic, const QByteArray& payload)
{
    const QString prefix = root() + QStringLiteral("/cmd/");
    if (!topic.startsWith(prefix))
        return;
    const QString name = topic.mid(prefix.size());
    if (name == QLatin1String("result"))
        return;
    using Command = PumpCommands::Command;
    // The commands, and the number each one needs (none: no key).
    static const struct {
        const char* name;
        Command command;
        const char* key;
    } kCommands[] = {
        {"run", Command::Run, nullptr},
        {"stop", Command::Stop, nullptr},
        {"flow", Command::Flow, "ml_min"},
        {"pressure-limit", Command::PressureLimit, "mpa"},
        {"ack", Command::Acknowledge, nullptr},
    };
    if (!m_settings.control)
        return answer(name, QString(), QStringLiteral("control is off"));
    QJsonObject body;
    if (!payload.trimmed().isEmpty()) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(payload, &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return answer(name, QString(), QStringLiteral("malformed payload: not a JSON object"));
        body = doc.object();
    }
    const QJsonValue clientValue = body.value(QStringLiteral("client_id"));
    if (!clientValue.isUndefined() && !clientValue.isString())
        return answer(name, QString(), QStringLiteral("malformed payload: client_id is not a text"));
    const QString client = clientValue.toString();
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&name](const auto& c) { return name == QLatin1String(c.name); });
    if (found == std::end(kCommands))
        return answer(name, client, QStringLiteral("unknown command"));
    double value = 0;
    if (found->key) {
        const QJsonValue v = body.value(QLatin1String(found->key));
        if (!v.isDouble())
            return answer(name, client,
                          QStringLiteral("malformed payload: %1 must be a number").arg(QLatin1String(found->key)));
        value = v.toDouble();
    }
    if (!m_commands)
        return answer(name, client, QStringLiteral("commands are not available"));
    answer(name, client, m_commands->command(found->command, value, client));
}

void MqttPublisher::answer(const QString& command, const QString& client, const QString& reason)
{
    QJsonObject out{{QStringLiteral("t"), m_nowMs()},
                    {QStringLiteral("command"), command},
                    {QStringLiteral("ok"), reason.isEmpty()}};
    if (!reason.isEmpty())
        out.insert(QStringLiteral("reason"), reason);
    if (!client.isEmpty())
        out.insert(QStringLiteral("client_id"), client);
    send(QStringLiteral("cmd/result"), QJsonDocument(out).toJson(QJsonDocument::Compact), 1, false, false);
}

}  // namespace remote
