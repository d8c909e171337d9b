#pragma once
// What the web view answers to one request: routing, the token check, pages,
// JSON, downloads and the embedded assets. Independent of the socket, so the
// HTTP server only carries requests here and answers back.
#include "web/TokenGate.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QUrl>

class clsConnection;

namespace tz::web {

struct WebRequest {
    QByteArray method;          // GET or HEAD (the guard refused the rest)
    QUrl url;
    QByteArray authorization;
    QByteArray cookie;
};

struct WebResponse {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;   // beyond the common ones
};

// The headers every answer carries: no inline script, no framing, no
// sniffing, nothing from elsewhere.
QList<QPair<QByteArray, QByteArray>> commonHeaders();

class WebSite {
public:
    WebSite(clsConnection& connection, TokenGate gate);
    WebResponse handle(const WebRequest& request);

    // Test list paging.
    static constexpr int kDefaultPageSize = 50;
    static constexpr int kMaxPageSize = 200;
    static constexpr int kMaxFilterLength = 100;

private:
    WebResponse route(const WebRequest& request, const QStringList& segments);
    WebResponse listPage(const QUrlQuery& query);
    WebResponse testPage(int id, const QUrlQuery& query);
    WebResponse download(int id, const QString& kind);
    WebResponse apiList(const QUrlQuery& query);
    WebResponse apiTest(int id, const QUrlQuery& query);
    WebResponse apiPoints(int id, const QUrlQuery& query);
    WebResponse login(const WebRequest& request);
    WebResponse asset(const QString& name);

    clsConnection& m_connection;
    TokenGate m_gate;
};

}  // namespace tz::web
