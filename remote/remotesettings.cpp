#include "remote/remotesettings.h"

#include "platform/settings.h"

#include <QHostAddress>
#include <QRandomGenerator>

namespace remote {

namespace {
const QString kGroup = QStringLiteral("remote");
}

QString RemoteSettings::listen() const
{
    return (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : host) + QLatin1Char(':')
           + QString::number(port);
}

bool RemoteSettings::beyondLoopback() const
{
    const QHostAddress address(host);
    return address.isNull() || !address.isLoopback();
}

bool parseListen(const QString& text, QString* host, quint16* port)
{
    const int colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString name = text.left(colon).trimmed();
    if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']')))
        name = name.mid(1, name.size() - 2);
    bool ok = false;
    const uint number = text.mid(colon + 1).trimmed().toUInt(&ok);
    if (!ok || number > 65535 || QHostAddress(name).isNull())
        return false;
    *host = name;
    *port = quint16(number);
    return true;
}

RemoteSettings readSettings(const platform::Settings* settings, QStringList* bad)
{
    const platform::SettingsReader read{settings, kGroup, bad};
    RemoteSettings remote;
    remote.enabled = read.flag(QStringLiteral("enabled"), false);
    remote.control = read.flag(QStringLiteral("control"), false);
    const QString listen = read.text(QStringLiteral("listen"), remote.listen());
    if (!parseListen(listen, &remote.host, &remote.port) && bad)
        bad->append(kGroup + QStringLiteral("/listen"));
    remote.token = read.text(QStringLiteral("token"), QString());
    for (const QString& host : read.text(QStringLiteral("hosts"), QString()).split(QLatin1Char(','), Qt::SkipEmptyParts))
        remote.hosts << host.trimmed();
    remote.tlsCert = read.text(QStringLiteral("tls_cert"), QString());
    remote.tlsKey = read.text(QStringLiteral("tls_key"), QString());
    return remote;
}

void writeSettings(platform::Settings& settings, const RemoteSettings& remote)
{
    settings.setValue(kGroup, QStringLiteral("enabled"), platform::flagText(remote.enabled));
    settings.setValue(kGroup, QStringLiteral("listen"), remote.listen());
    settings.setValue(kGroup, QStringLiteral("control"), platform::flagText(remote.control));
    settings.setValue(kGroup, QStringLiteral("token"), remote.token);
}

QString newToken()
{
    QByteArray bytes(32, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    return QString::fromLatin1(bytes.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

}  // namespace remote
