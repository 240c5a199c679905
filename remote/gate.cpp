#include "remote/gate.h"

#include <QUrl>

namespace remote {

namespace {

// The name of a Host header without its port; brackets of an IPv6 address removed.
QString hostName(const QByteArray& host, int* port)
{
    const QUrl url(QStringLiteral("http://") + QString::fromLatin1(host));
    *port = url.port(-1);
    return url.isValid() ? url.host() : QString();
}

bool isLoopbackName(const QString& name)
{
    if (name.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(name);
    return !address.isNull() && address.isLoopback();
}

}  // namespace

Gate::Gate(std::function<qint64()> clock, QString token, QString listenHost, quint16 port, QStringList allowedHosts)
    : m_clock(std::move(clock)),
      m_token(token.toLatin1()),
      m_listenHost(std::move(listenHost)),
      m_port(port),
      m_allowedHosts(std::move(allowedHosts))
{
}

bool Gate::hostAllowed(const QByteArray& host) const
{
    int port = -1;
    const QString name = hostName(host, &port);
    if (name.isEmpty() || (port != -1 && port != m_port))
        return false;
    if (isLoopbackName(name))
        return true;
    if (QHostAddress(name) == QHostAddress(m_listenHost) && !QHostAddress(name).isNull())
        return true;
    for (const QString& allowed : m_allowedHosts) {
        if (name.compare(allowed.trimmed(), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

bool Gate::originAllowed(const QByteArray& origin, const QByteArray& host) const
{
    if (origin.isEmpty())
        return true;
    const QUrl url(QString::fromLatin1(origin));
    const QString authority = url.host() + (url.port() == -1 ? QString() : QStringLiteral(":%1").arg(url.port()));
    int port = -1;
    return url.isValid() && hostAllowed(authority.toLatin1()) && url.host() == hostName(host, &port);
}

bool Gate::tokenMatches(const QByteArray& given) const
{
    if (m_token.isEmpty() || given.size() != m_token.size())
        return false;
    // Every byte is compared whatever the earlier ones gave.
    unsigned char diff = 0;
    for (int i = 0; i < given.size(); ++i)
        diff |= static_cast<unsigned char>(given[i] ^ m_token[i]);
    return diff == 0;
}

QByteArray Gate::bearer(const QByteArray& authorization)
{
    const QByteArray value = authorization.trimmed();
    if (value.size() < 7 || value.left(7).compare("Bearer ", Qt::CaseInsensitive) != 0)
        return {};
    return value.mid(7).trimmed();
}

bool Gate::banned(const QHostAddress& peer) const
{
    const auto it = m_records.constFind(peer.toString());
    return it != m_records.constEnd() && it->bannedUntil > m_clock();
}

bool Gate::fail(const QHostAddress& peer)
{
    const qint64 now = m_clock();
    Record& record = m_records[peer.toString()];
    if (record.bannedUntil > now)
        return false;
    record.failures.append(now);
    while (!record.failures.isEmpty() && record.failures.first() <= now - kWindowMs)
        record.failures.removeFirst();
    if (record.failures.size() < kFailuresBeforeBan)
        return false;
    record.failures.clear();
    record.bannedUntil = now + kBanMs;
    return true;
}

}  // namespace remote
