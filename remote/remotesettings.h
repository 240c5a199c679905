#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace platform {
class Settings;
}

// The [remote] group of the settings file.
//   enabled   true/false, default false
//   listen    ADDRESS:PORT, default 127.0.0.1:8470 ([::1]:8470 for IPv6)
//   control   true/false, default false: commands are refused while off
//   token     the clients' token (32 random bytes, base64url)
//   hosts     more names the Host header may give, comma separated
//   tls_cert, tls_key   PEM files: with both, HTTPS and WSS only
namespace remote {

struct RemoteSettings {
    bool enabled = false;
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 8470;
    bool control = false;
    QString token;
    QStringList hosts;
    QString tlsCert;
    QString tlsKey;

    // The listening address as the settings file holds it.
    QString listen() const;
    // Whether clients beyond this computer can reach it.
    bool beyondLoopback() const;
};

// Reads the group; bad values fall back to their defaults and are named in *bad.
RemoteSettings readSettings(const platform::Settings* settings, QStringList* bad = nullptr);
void writeSettings(platform::Settings& settings, const RemoteSettings& remote);

// Splits "ADDRESS:PORT" ("[::1]:8470" for IPv6). False when it is not one.
bool parseListen(const QString& text, QString* host, quint16* port);

// 32 random bytes from the system's generator, base64url without padding.
QString newToken();

}  // namespace remote
