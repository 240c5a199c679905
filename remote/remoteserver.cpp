#include "remote/remoteserver.h"

#include "history/journal.h"
#include "platform/webserver.h"
#include "remote/commands.h"
#include "remote/page.h"

#include <QJsonDocument>
#include <QRegularExpression>

#include <limits>

namespace remote {

namespace {

const QString kApi = QStringLiteral("/api/v1");

// An address as people write it: IPv4 without its IPv6 wrapping.
QHostAddress plain(const QHostAddress& address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

platform::HttpReply json(const QJsonDocument& doc, int status = 200)
{
    platform::HttpReply reply;
    reply.status = status;
    reply.contentType = "application/json";
    reply.body = doc.toJson(QJsonDocument::Compact);
    return reply;
}

int statusOf(ApiError::Kind kind)
{
    switch (kind) {
    case ApiError::BadRequest:
        return 400;
    case ApiError::Unauthorized:
        return 401;
    case ApiError::Forbidden:
        return 403;
    case ApiError::NotFound:
        return 404;
    case ApiError::Conflict:
        return 409;
    case ApiError::TooLarge:
        return 413;
    case ApiError::OutOfRange:
        return 422;
    case ApiError::TooMany:
        return 429;
    }
    return 500;
}

// A whole number of the query, or the fallback when absent.
qint64 queryNumber(const QUrlQuery& query, const QString& key, qint64 fallback)
{
    if (!query.hasQueryItem(key))
        return fallback;
    bool ok = false;
    const qint64 value = query.queryItemValue(key).toLongLong(&ok);
    if (!ok)
        throw ApiError{ApiError::BadRequest, QStringLiteral("\"%1\" must be a whole number of milliseconds").arg(key)};
    return value;
}

}  // namespace

RemoteServer::RemoteServer(PumpControl& pump, HistoryAccess history, std::function<qint64()> clock, QObject* parent)
    : QObject(parent),
      m_pump(pump),
      m_status(pump, m_providers),
      m_history(std::move(history)),
      m_control(pump, m_providers),
      m_clock(std::move(clock))
{
}

RemoteServer::~RemoteServer() = default;

bool RemoteServer::start(const RemoteSettings& settings, QString* error)
{
    stop();
    m_settings = settings;
    m_web = std::make_unique<platform::WebServer>(
        [this](const platform::HttpRequest& request) { return handle(request); },
        [this](const platform::HttpRequest& request, QString* reason) { return admitSocket(request, reason); });
    if (!m_web->listen(QHostAddress(settings.host), settings.port, settings.tlsCert, settings.tlsKey, error)) {
        m_web.reset();
        return false;
    }
    m_gate = std::make_unique<Gate>(m_clock, settings.token, settings.host, m_web->port(), settings.hosts);
    connect(m_web.get(), &platform::WebServer::clientOpened, this, [this](quint64 client) {
        m_web->send(client, messages::text(m_status.status()));
        emit clientsChanged(m_web->clientCount());
    });
    connect(m_web.get(), &platform::WebServer::clientClosed, this,
            [this] { emit clientsChanged(m_web ? m_web->clientCount() : 0); });
    return true;
}

void RemoteServer::stop()
{
    if (!m_web)
        return;
    const bool hadClients = m_web->clientCount() > 0;
    m_web->disconnect(this);
    m_web.reset();
    m_gate.reset();
    if (hadClients)
        emit clientsChanged(0);
}

bool RemoteServer::isRunning() const
{
    return m_web != nullptr;
}

quint16 RemoteServer::port() const
{
    return m_web ? m_web->port() : 0;
}

int RemoteServer::clientCount() const
{
    return m_web ? m_web->clientCount() : 0;
}

void RemoteServer::publishReading(const history::TakenReading& taken)
{
    if (m_web && m_web->clientCount() > 0)
        m_web->broadcast(messages::text(messages::reading(taken.reading())));
}

void RemoteServer::publishEvent(const history::Event& event)
{
    if (m_web && m_web->clientCount() > 0)
        m_web->broadcast(messages::text(messages::event(event)));
}

void RemoteServer::admit(const platform::HttpRequest& request, Access access, const QByteArray& token)
{
    const QHostAddress peer = plain(request.peer);
    if (m_gate->banned(peer))
        throw ApiError{ApiError::TooMany, QStringLiteral("too many wrong tokens: try again in a minute")};
    if (!token.isEmpty()) {
        if (m_gate->tokenMatches(token))
            return;
        if (m_gate->fail(peer))
            emit addressBanned(peer.toString());
        throw ApiError{ApiError::Unauthorized, QStringLiteral("wrong token")};
    }
    if (access == Access::Read && peer.isLoopback())
        return;
    throw ApiError{ApiError::Unauthorized, QStringLiteral("a token is required: Authorization: Bearer TOKEN")};
}

platform::HttpReply RemoteServer::handle(const platform::HttpRequest& request)
{
    try {
        if (!m_gate->hostAllowed(request.header("Host")))
            throw ApiError{ApiError::Forbidden, QStringLiteral("host not allowed")};
        return dispatch(request);
    } catch (const ApiError& error) {
        platform::HttpReply reply = json(QJsonDocument(QJsonObject{{QStringLiteral("error"), error.message}}),
                                         statusOf(error.kind));
        if (error.kind == ApiError::Unauthorized)
            reply.headers.append(qMakePair(QByteArray("WWW-Authenticate"), QByteArray("Bearer")));
        return reply;
    }
}

platform::HttpReply RemoteServer::dispatch(const platform::HttpRequest& request)
{
    const QString& path = request.path;
    const bool get = request.method == "GET" || request.method == "HEAD";
    const bool post = request.method == "POST";
    if (get && (path == QLatin1String("/") || path == QLatin1String("/index.html"))) {
        // The page holds no data; what it shows comes with the token.
        platform::HttpReply reply;
        reply.contentType = "text/html; charset=utf-8";
        reply.body = page::html();
        reply.headers.append(qMakePair(QByteArray("Cache-Control"), QByteArray("no-store")));
        return reply;
    }
    if (!path.startsWith(kApi + QLatin1Char('/')))
        throw ApiError{ApiError::NotFound, QStringLiteral("no such path")};
    const QString action = path.mid(kApi.size() + 1);
    const QString client = plain(request.peer).toString();
    const QByteArray token = Gate::bearer(request.header("Authorization"));

    if (get) {
        if (action == QLatin1String("access")) {
            // Whether the page may show its controls: no data, no token needed.
            const bool authorized = !token.isEmpty() && m_gate->tokenMatches(token);
            return json(QJsonDocument(QJsonObject{{QStringLiteral("control"), m_settings.control},
                                                  {QStringLiteral("authorized"), authorized}}));
        }
        static const QRegularExpression csvPath(QStringLiteral("^runs/(\\d+)/readings\\.csv$"));
        const QRegularExpressionMatch csv = csvPath.match(action);
        const bool known = csv.hasMatch() || action == QLatin1String("status") || action == QLatin1String("readings")
                           || action == QLatin1String("events") || action == QLatin1String("runs")
                           || action == QLatin1String("stream");
        if (!known)
            throw ApiError{ApiError::NotFound, QStringLiteral("no such path")};
        admit(request, Access::Read, token);
        if (action == QLatin1String("status"))
            return json(QJsonDocument(m_status.status()));
        if (action == QLatin1String("stream"))
            throw ApiError{ApiError::BadRequest, QStringLiteral("the stream is a WebSocket")};
        if (action == QLatin1String("runs"))
            return json(QJsonDocument(m_history.runs()));
        if (csv.hasMatch()) {
            platform::HttpReply reply;
            reply.contentType = "text/csv; charset=utf-8";
            reply.body = m_history.readingsCsv(csv.captured(1).toLongLong());
            return reply;
        }
        const std::optional<qint64> run = request.query.hasQueryItem(QStringLiteral("run"))
                                              ? std::optional<qint64>(queryNumber(request.query, QStringLiteral("run"), 0))
                                              : std::nullopt;
        const qint64 from = queryNumber(request.query, QStringLiteral("from"), 0);
        const qint64 to = queryNumber(request.query, QStringLiteral("to"), std::numeric_limits<qint64>::max() / 4);
        return json(QJsonDocument(action == QLatin1String("readings") ? m_history.readings(run, from, to)
                                                                       : m_history.events(run, from, to)));
    }

    if (post) {
        static const QStringList actions = {QStringLiteral("run"), QStringLiteral("stop"), QStringLiteral("flow"),
                                            QStringLiteral("pressure-limit"), QStringLiteral("alarms/ack")};
        if (!actions.contains(action))
            throw ApiError{ApiError::NotFound, QStringLiteral("no such path")};
        admit(request, Access::Control, token);
        if (!m_settings.control)
            throw ApiError{ApiError::Forbidden, QStringLiteral("control is off")};
        if (request.body.size() > commands::kMaxBodyBytes)
            throw ApiError{ApiError::TooLarge,
                           QStringLiteral("the body is larger than %1 bytes").arg(commands::kMaxBodyBytes)};
        if (action == QLatin1String("run"))
            m_control.run(client);
        else if (action == QLatin1String("stop"))
            m_control.stop(client);
        else if (action == QLatin1String("flow"))
            m_control.flow(request.body, client);
        else if (action == QLatin1String("pressure-limit"))
            m_control.pressureLimit(request.body, client);
        else
            m_control.acknowledge(client);
        return json(QJsonDocument(QJsonObject{{QStringLiteral("ok"), true}}));
    }
    throw ApiError{ApiError::NotFound, QStringLiteral("no such path")};
}

bool RemoteServer::admitSocket(const platform::HttpRequest& request, QString* reason)
{
    if (request.path != kApi + QStringLiteral("/stream")) {
        *reason = QStringLiteral("no such path");
        return false;
    }
    const QByteArray host = request.header("Host");
    if (!m_gate->hostAllowed(host) || !m_gate->originAllowed(request.header("Origin"), host)) {
        *reason = QStringLiteral("host or origin not allowed");
        return false;
    }
    // Browsers cannot set headers on a WebSocket: the page gives its token
    // in the query.
    QByteArray token = Gate::bearer(request.header("Authorization"));
    if (token.isEmpty())
        token = request.query.queryItemValue(QStringLiteral("token")).toLatin1();
    try {
        admit(request, Access::Read, token);
    } catch (const ApiError& error) {
        *reason = error.message;
        return false;
    }
    return true;
}

}  // namespace remote
