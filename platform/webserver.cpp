#include "platform/webserver.h"

#include <QAbstractHttpServer>
#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QNetworkRequest>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <QWebSocket>

namespace platform {

QByteArray HttpRequest::header(const QByteArray& name) const
{
    for (const auto& h : headers) {
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    }
    return {};
}

namespace {

QByteArray methodName(QHttpServerRequest::Method method)
{
    switch (method) {
    case QHttpServerRequest::Method::Get:
        return "GET";
    case QHttpServerRequest::Method::Post:
        return "POST";
    case QHttpServerRequest::Method::Put:
        return "PUT";
    case QHttpServerRequest::Method::Delete:
        return "DELETE";
    case QHttpServerRequest::Method::Head:
        return "HEAD";
    case QHttpServerRequest::Method::Options:
        return "OPTIONS";
    case QHttpServerRequest::Method::Patch:
        return "PATCH";
    default:
        break;
    }
    return "OTHER";
}

}  // namespace

// Qt's server with the one handler for every request.
class WebServer::Server : public QAbstractHttpServer {
public:
    explicit Server(WebServer& owner) : m_owner(owner) {}

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override
    {
        HttpRequest in;
        in.method = methodName(request.method());
        in.path = request.url().path();
        in.query = request.query();
        in.headers = request.headers();
        in.body = request.body();
        in.peer = request.remoteAddress();
        const HttpReply out = m_owner.m_handler(in);
        QHttpServerResponder responder = makeResponder(request, socket);
        responder.writeStatusLine(QHttpServerResponder::StatusCode(out.status));
        responder.writeHeader("Content-Type", out.contentType);
        responder.writeHeader("Content-Length", QByteArray::number(out.body.size()));
        for (const auto& h : out.headers)
            responder.writeHeader(h.first, h.second);
        if (in.method != "HEAD")
            responder.writeBody(out.body);
        else
            responder.writeBody(QByteArray());
        return true;
    }
    void missingHandler(const QHttpServerRequest&, QTcpSocket*) override {}

private:
    WebServer& m_owner;
};

WebServer::WebServer(Handler handler, SocketCheck checkSocket, QObject* parent)
    : QObject(parent), m_handler(std::move(handler)), m_checkSocket(std::move(checkSocket))
{
}

WebServer::~WebServer()
{
    close();
}

bool WebServer::listen(const QHostAddress& address, quint16 port, const QString& certFile, const QString& keyFile,
                       QString* error)
{
    close();
    auto server = std::make_unique<Server>(*this);
    m_encrypted = false;
    if (!certFile.isEmpty() || !keyFile.isEmpty()) {
        QFile cert(certFile);
        QFile key(keyFile);
        if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly)) {
            *error = tr("无法读取证书或密钥：%1").arg(cert.isOpen() ? keyFile : certFile);
            return false;
        }
        const QSslCertificate certificate(&cert, QSsl::Pem);
        QSslKey privateKey(&key, QSsl::Rsa, QSsl::Pem);
        if (privateKey.isNull()) {
            key.seek(0);
            privateKey = QSslKey(&key, QSsl::Ec, QSsl::Pem);
        }
        if (certificate.isNull() || privateKey.isNull()) {
            *error = tr("证书或密钥无效：%1, %2").arg(certFile, keyFile);
            return false;
        }
        server->sslSetup(certificate, privateKey);
        m_encrypted = true;
    }
    auto* tcp = new QTcpServer(server.get());
    if (!tcp->listen(address, port)) {
        *error = tcp->errorString();
        m_encrypted = false;
        return false;
    }
    server->bind(tcp);
    m_port = tcp->serverPort();
    connect(server.get(), &QAbstractHttpServer::newWebSocketConnection, this, &WebServer::takeSockets);
    m_server = std::move(server);
    return true;
}

void WebServer::close()
{
    while (!m_clients.empty())
        drop(m_clients.begin()->first);
    m_server.reset();
    m_port = 0;
}

bool WebServer::isListening() const
{
    return m_server != nullptr;
}

void WebServer::takeSockets()
{
    while (m_server && m_server->hasPendingWebSocketConnections()) {
        QWebSocket* socket = m_server->nextPendingWebSocketConnection().release();
        socket->setParent(this);
        HttpRequest in;
        in.method = "GET";
        in.path = socket->requestUrl().path();
        in.query = QUrlQuery(socket->requestUrl());
        const QNetworkRequest request = socket->request();
        for (const QByteArray& name : request.rawHeaderList())
            in.headers.append({name, request.rawHeader(name)});
        in.peer = socket->peerAddress();
        QString reason;
        if (!m_checkSocket(in, &reason)) {
            socket->close(QWebSocketProtocol::CloseCodePolicyViolated, reason);
            socket->deleteLater();
            continue;
        }
        const quint64 id = m_nextClient++;
        m_clients[id] = socket;
        connect(socket, &QWebSocket::disconnected, this, [this, id] { drop(id); });
        emit clientOpened(id);
    }
}

void WebServer::drop(quint64 client)
{
    const auto it = m_clients.find(client);
    if (it == m_clients.end())
        return;
    QWebSocket* socket = it->second;
    m_clients.erase(it);
    socket->disconnect(this);
    socket->close();
    socket->deleteLater();
    emit clientClosed(client);
}

void WebServer::broadcast(const QByteArray& text)
{
    const QString message = QString::fromUtf8(text);
    for (const auto& [id, socket] : m_clients)
        socket->sendTextMessage(message);
}

void WebServer::send(quint64 client, const QByteArray& text)
{
    const auto it = m_clients.find(client);
    if (it != m_clients.end())
        it->second->sendTextMessage(QString::fromUtf8(text));
}

}  // namespace platform
