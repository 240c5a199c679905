#pragma once

#include "remote/controllers.h"
#include "remote/gate.h"
#include "remote/remotesettings.h"

#include <QObject>

#include <functional>
#include <memory>

namespace history {
struct Event;
struct TakenReading;
}  // namespace history
namespace platform {
class WebServer;
struct HttpReply;
struct HttpRequest;
}  // namespace platform

// Remote access: the web API, its WebSocket stream and the status page.
//
// Every request goes the same way: the Host check, then the caller's
// identity (the token; an address banned for guessing it is refused), then
// one controller's plain method, and one mapping of its errors to status
// codes. Reads from the loopback address need no token; commands always do,
// and only while control is on.
namespace remote {

class RemoteServer : public QObject {
    Q_OBJECT
public:
    // `clock` (monotonic ms) times the bans. `pump` and the providers must
    // outlive the server.
    RemoteServer(PumpControl& pump, HistoryAccess history, std::function<qint64()> clock, QObject* parent = nullptr);
    ~RemoteServer() override;

    StatusProviders& providers() { return m_providers; }

    // Starts serving with these settings (the token must be set). False,
    // with the reason, when it cannot listen.
    bool start(const RemoteSettings& settings, QString* error);
    void stop();
    bool isRunning() const;
    // The port listened on (the one asked for, or the one given for 0).
    quint16 port() const;
    int clientCount() const;
    const RemoteSettings& settings() const { return m_settings; }
    // Commands on or off while running.
    void setControl(bool on) { m_settings.control = on; }

    // Sent to every stream client as it happens.
    void publishReading(const history::TakenReading& taken);
    void publishEvent(const history::Event& event);

    // One request through the whole pipeline (the web server calls it).
    platform::HttpReply handle(const platform::HttpRequest& request);

signals:
    // Ten wrong tokens in a minute: the address is refused for a minute.
    void addressBanned(const QString& address);
    void clientsChanged(int count);

private:
    enum class Access { Read, Control };
    // The Host check and the identity; throws ApiError when refused.
    void admit(const platform::HttpRequest& request, Access access, const QByteArray& token);
    platform::HttpReply dispatch(const platform::HttpRequest& request);
    bool admitSocket(const platform::HttpRequest& request, QString* reason);

    PumpControl& m_pump;
    StatusProviders m_providers;
    StatusController m_status;
    HistoryController m_history;
    ControlController m_control;
    std::function<qint64()> m_clock;
    RemoteSettings m_settings;
    std::unique_ptr<Gate> m_gate;
    std::unique_ptr<platform::WebServer> m_web;
};

}  // namespace remote
