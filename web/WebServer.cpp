#include "web/WebServer.h"

#include "web/RequestGuard.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

// Outside any namespace, as the resource system needs it.
static void initWebAssets()
{
    Q_INIT_RESOURCE(web);
}

namespace tz::web {

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 400: return "Bad Request";
    case 405: return "Method Not Allowed";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 503: return "Service Unavailable";
    default: return "Error";
    }
}

// Answers the refusal itself and ends the connection; nothing of the
// request reaches the HTTP server.
void refuse(QTcpSocket* socket, int status)
{
    QObject::disconnect(socket, &QIODevice::readyRead, nullptr, nullptr);
    socket->readAll();
    QByteArray answer = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) + "\r\n";
    if (status == 405)
        answer += "Allow: GET, HEAD\r\n";
    const QByteArray body = reasonPhrase(status) + "\n";
    answer += "Content-Type: text/plain; charset=utf-8\r\nContent-Length: " + QByteArray::number(body.size())
        + "\r\nConnection: close\r\n\r\n" + body;
    socket->write(answer);
    socket->disconnectFromHost();
}

}  // namespace

void GuardedTcpServer::incomingConnection(qintptr handle)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(handle)) {
        delete socket;
        return;
    }
    if (m_open >= kMaxConnections) {
        refuse(socket, 503);
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
        return;
    }
    ++m_open;
    connect(socket, &QObject::destroyed, this, [this] { --m_open; });

    auto guard = std::make_shared<RequestGuard>();
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->setInterval(kIdleMs);
    connect(idle, &QTimer::timeout, socket, [socket] { socket->abort(); });
    idle->start();
    // A long answer going out slowly (a report over a VPN) is not idleness.
    connect(socket, &QIODevice::bytesWritten, idle, [idle] { idle->start(); });
    // Connected before the HTTP server's own slot, so it sees the bytes first.
    connect(socket, &QIODevice::readyRead, socket, [socket, guard, idle] {
        const QByteArray bytes = socket->peek(socket->bytesAvailable());
        const int before = guard->requests();
        if (guard->feed(bytes) == RequestGuard::Verdict::Refuse) {
            refuse(socket, guard->status());
            return;
        }
        if (guard->requests() != before)
            idle->start();
    });
    addPendingConnection(socket);
}

WebServer::WebServer(clsConnection& connection, TokenGate gate, QObject* parent)
    : QAbstractHttpServer(parent), m_site(connection, std::move(gate))
{
    initWebAssets();
}

bool WebServer::listenOn(const QHostAddress& address, quint16 port, QString& error)
{
    m_tcp = new GuardedTcpServer(this);
    if (!m_tcp->listen(address, port)) {
        error = m_tcp->errorString();
        delete m_tcp;
        m_tcp = nullptr;
        return false;
    }
    bind(m_tcp);
    return true;
}

quint16 WebServer::port() const
{
    return m_tcp ? m_tcp->serverPort() : 0;
}

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    WebRequest r;
    const bool head = request.method() == QHttpServerRequest::Method::Head;
    r.method = head ? "HEAD" : "GET";
    r.url = request.url();
    r.authorization = request.value("authorization");
    r.cookie = request.value("cookie");
    const WebResponse response = m_site.handle(r);

    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(response.status));
    QList<QPair<QByteArray, QByteArray>> headers;
    for (const auto& h : commonHeaders())
        headers.push_back({h.first, h.second});
    for (const auto& h : response.headers)
        headers.push_back({h.first, h.second});
    headers.push_back({"Content-Type", response.contentType});
    headers.push_back({"Content-Length", QByteArray::number(response.body.size())});
    for (const auto& h : headers)
        responder.writeHeader(h.first, h.second);
    if (head)
        responder.writeBody(QByteArray());
    else
        responder.writeBody(response.body);
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest&, QTcpSocket*)
{
    // handleRequest answers every request.
}

}  // namespace tz::web
