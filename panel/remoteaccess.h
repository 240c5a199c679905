#pragma once

#include "platform/logfiles.h"
#include "platform/services.h"
#include "remote/pumpcontrol.h"
#include "remote/remoteserver.h"

#include <QJsonArray>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class Panel;

namespace history {
class HistorySource;
class Journal;
}  // namespace history
namespace platform {
class Settings;
}

// The panel's side of the remote access: what a client sees of the panel and
// which of its commands a client may give, the server's life from the
// [remote] settings, and the run history for the stream and the history
// endpoints. No widgets: the dialog and the status line show what it says.
class RemoteAccess : public QObject, public remote::PumpControl {
    Q_OBJECT
public:
    // The settings, the clock (bans) and the wall clock (the time of the last
    // answer) come from `services`; no settings: every setting at its default (off).
    RemoteAccess(Panel& panel, const platform::Services& services, QObject* parent = nullptr);

    // The panel's version, as the status gives it.
    void setVersion(const QString& version) { m_version = version; }
    ~RemoteAccess() override;

    // The run history: the stream passes on what it records, and the
    // history endpoints read its file. Not owned.
    void setJournal(history::Journal* journal);

    remote::RemoteServer& server() { return m_server; }
    // The alarms still shown, as the status and the broker give them.
    QJsonArray alarms() const;
    const remote::RemoteSettings& settings() const { return m_settings; }

    // Starts the server when the settings say it is on. False, with the
    // reason, when it should run and cannot.
    bool startFromSettings(QString* error);
    // Applies and saves new settings: turns access on (making a token when
    // there is none) or off at once. False, with the reason, when it cannot
    // listen or the settings cannot be saved (it then runs as asked anyway).
    bool apply(const remote::RemoteSettings& wanted, QString* error);
    // A new token; clients with the old one are refused from now on.
    bool replaceToken(QString* error);
    // The link that gives a browser the token (…/#token=…).
    QString link() const;

    // For the status line: empty while off; else where it listens, how many
    // clients follow it, and "远程访问未加密" when beyond this computer
    // without TLS.
    QString statusText() const;
    bool unencryptedBeyondLoopback() const;

    // remote::PumpControl
    remote::messages::Status status() const override;
    void run(const QString& client) override;
    void stop(const QString& client) override;
    QString setFlow(double mlMin, const QString& client) override;
    QString setPressureLimit(double mpa, const QString& client) override;

signals:
    // On, off, or the number of clients changed.
    void changed();

private:
    bool save(QString* error);
    void restart(QString* error, bool* ok);
    history::HistorySource* historySource();

    Panel& m_panel;
    platform::Settings* m_store;
    remote::RemoteSettings m_settings;
    QString m_version;
    platform::WallClock m_wallClock;
    history::Journal* m_journal = nullptr;
    std::unique_ptr<history::HistorySource> m_history;
    std::optional<qint64> m_lastAnswerMs;
    QString m_lastPort;
    remote::RemoteServer m_server;
};
