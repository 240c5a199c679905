#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>

// The checks every request passes before anything answers it: the Host
// header (against DNS rebinding), the token, and the ban of an address that
// keeps guessing it. Plain logic with the clock passed in.
namespace remote {

class Gate {
public:
    static constexpr int kFailuresBeforeBan = 10;
    static constexpr qint64 kWindowMs = 60000;
    static constexpr qint64 kBanMs = 60000;

    // `port`: the port listened on; `listenHost`: the address listened on as
    // typed; `allowedHosts`: more names the operator allowed.
    Gate(std::function<qint64()> clock, QString token, QString listenHost, quint16 port, QStringList allowedHosts);

    // Whether a Host header names this server: the listening address,
    // localhost or a loopback address, or an allowed name, with our port or
    // none.
    bool hostAllowed(const QByteArray& host) const;
    // Whether a WebSocket's Origin (when a browser sent one) is this server
    // itself: another site's page may open a socket to us, and the browser
    // would not stop it reading.
    bool originAllowed(const QByteArray& origin, const QByteArray& host) const;

    // The token compared in constant time; an empty token never matches.
    bool tokenMatches(const QByteArray& given) const;
    // The token of "Authorization: Bearer TOKEN", empty when none.
    static QByteArray bearer(const QByteArray& authorization);

    bool banned(const QHostAddress& peer) const;
    // Counts a wrong token from `peer`. True when this one got it banned
    // (said once per ban).
    bool fail(const QHostAddress& peer);

private:
    std::function<qint64()> m_clock;
    QByteArray m_token;
    QString m_listenHost;
    quint16 m_port = 0;
    QStringList m_allowedHosts;
    struct Record {
        QList<qint64> failures;
        qint64 bannedUntil = -1;
    };
    QHash<QString, Record> m_records;
};

}  // namespace remote
