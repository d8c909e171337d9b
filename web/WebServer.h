#pragma once
// The web view's HTTP server on the event loop: Qt's HTTP server parses the
// requests, a RequestGuard per connection refuses what the view never takes
// before it is parsed, and WebSite answers.
#include "web/WebSite.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QTcpServer>

namespace tz::web {

// Hands each accepted connection to the HTTP server with a guard in front
// and an idle timer, and refuses connections beyond kMaxConnections.
class GuardedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    using QTcpServer::QTcpServer;
    static constexpr int kMaxConnections = 256;
    static constexpr int kIdleMs = 30000;

protected:
    void incomingConnection(qintptr handle) override;

private:
    int m_open = 0;
};

class WebServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    WebServer(clsConnection& connection, TokenGate gate, QObject* parent = nullptr);

    // False with a reason when the address cannot be taken.
    bool listenOn(const QHostAddress& address, quint16 port, QString& error);
    quint16 port() const;

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    WebSite m_site;
    GuardedTcpServer* m_tcp = nullptr;
};

}  // namespace tz::web
