#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>
#include <QUrlQuery>

#include <functional>
#include <map>
#include <memory>

class QWebSocket;

namespace platform {

// One HTTP request (or WebSocket upgrade) as the server received it.
struct HttpRequest {
    QByteArray method;  // "GET", "POST", …
    QString path;       // decoded, without the query
    QUrlQuery query;
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    QHostAddress peer;

    // The first header of that name (compared without regard to case); empty when none.
    QByteArray header(const QByteArray& name) const;
};

struct HttpReply {
    int status = 200;
    QByteArray contentType = "text/plain; charset=utf-8";
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;  // more headers, beside Content-Type and Content-Length
};

// The web server of the remote access: HTTP (or HTTPS) requests, each
// answered at once by the handler, and WebSocket clients on the same port.
// A thin layer over Qt HttpServer and Qt WebSockets, which keeps their
// changing API in this one file. Everything runs on the thread that made it.
class WebServer : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<HttpReply(const HttpRequest&)>;
    // Asked for every WebSocket client with its opening request: true keeps
    // it, false closes it (with the reason).
    using SocketCheck = std::function<bool(const HttpRequest&, QString* reason)>;

    explicit WebServer(Handler handler, SocketCheck checkSocket, QObject* parent = nullptr);
    ~WebServer() override;

    // Listens on address:port (0: a free port). With a certificate and key
    // (PEM files) it speaks TLS only. False, with the reason, when it cannot.
    bool listen(const QHostAddress& address, quint16 port, const QString& certFile, const QString& keyFile,
                QString* error);
    // Stops listening and closes every client.
    void close();
    bool isListening() const;
    quint16 port() const { return m_port; }
    bool isEncrypted() const { return m_encrypted; }

    int clientCount() const { return int(m_clients.size()); }
    // Sends a text message to every WebSocket client, or to one.
    void broadcast(const QByteArray& text);
    void send(quint64 client, const QByteArray& text);

signals:
    void clientOpened(quint64 client);
    void clientClosed(quint64 client);

private:
    class Server;
    void takeSockets();
    void drop(quint64 client);

    Handler m_handler;
    SocketCheck m_checkSocket;
    std::unique_ptr<Server> m_server;
    std::map<quint64, QWebSocket*> m_clients;
    quint64 m_nextClient = 1;
    quint16 m_port = 0;
    bool m_encrypted = false;
};

}  // namespace platform
