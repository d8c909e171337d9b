#pragma once
// The first look at every request on a connection, before the HTTP server
// parses it: the web view only reads, so a request is a request line and
// headers and never a body. The guard follows the byte stream of one
// connection and stops it at the first request that is too large, not GET or
// HEAD, malformed, or carrying a body, with the status to answer.
#include <QByteArray>

namespace tz::web {

class RequestGuard {
public:
    // Request line and headers together, with their line ends.
    static constexpr int kMaxHeadBytes = 8192;

    enum class Verdict { NeedMore, Refuse };

    // Takes the next bytes received. Refuse is final: status() and reason()
    // say what to answer before the connection is closed.
    Verdict feed(const QByteArray& bytes);

    int status() const { return m_status; }
    QByteArray reason() const { return m_reason; }
    // Complete request heads seen so far.
    int requests() const { return m_requests; }

private:
    Verdict refuse(int status, const char* reason);
    Verdict checkHead();

    QByteArray m_head;       // the head being received
    int m_status = 0;
    QByteArray m_reason;
    int m_requests = 0;
    bool m_refused = false;
};

}  // namespace tz::web
