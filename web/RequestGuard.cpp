#include "web/RequestGuard.h"

#include <QList>

namespace tz::web {

RequestGuard::Verdict RequestGuard::refuse(int status, const char* reason)
{
    m_refused = true;
    m_status = status;
    m_reason = reason;
    m_head.clear();
    return Verdict::Refuse;
}

RequestGuard::Verdict RequestGuard::feed(const QByteArray& bytes)
{
    if (m_refused)
        return Verdict::Refuse;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        // Blank lines between requests are allowed and ignored.
        if (m_head.isEmpty() && (c == '\r' || c == '\n'))
            continue;
        m_head += c;
        if (m_head.size() > kMaxHeadBytes)
            return refuse(431, "Request Header Fields Too Large");
        if (c == '\n' && (m_head.endsWith("\r\n\r\n") || m_head.endsWith("\n\n"))) {
            if (checkHead() == Verdict::Refuse)
                return Verdict::Refuse;
            ++m_requests;
            m_head.clear();
        }
    }
    return Verdict::NeedMore;
}

RequestGuard::Verdict RequestGuard::checkHead()
{
    QByteArray text = m_head;
    text.replace("\r\n", "\n");
    const QList<QByteArray> lines = text.trimmed().split('\n');
    const QList<QByteArray> requestLine = lines.first().split(' ');
    if (requestLine.size() != 3 || requestLine[0].isEmpty()
        || (requestLine[2] != "HTTP/1.1" && requestLine[2] != "HTTP/1.0"))
        return refuse(400, "Bad Request");
    for (const char c : requestLine[0]) {
        if (c < 'A' || c > 'Z')
            return refuse(400, "Bad Request");
    }
    if (requestLine[0] != "GET" && requestLine[0] != "HEAD")
        return refuse(405, "Method Not Allowed");
    if (!requestLine[1].startsWith('/'))
        return refuse(400, "Bad Request");
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray& line = lines[i];
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0 || line[0] == ' ' || line[0] == '\t')
            return refuse(400, "Bad Request");
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == "transfer-encoding" || (name == "content-length" && value != "0"))
            return refuse(413, "Content Too Large");
    }
    return Verdict::NeedMore;
}

}  // namespace tz::web
