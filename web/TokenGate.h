#pragma once
// Who may look: on a loopback address anyone on this computer; elsewhere only
// a browser or script that shows the lab's token, as a bearer header or
// through the session cookie the login page sets. The cookie never holds the
// token itself, only a key derived from it for this run of the server.
#include <QByteArray>
#include <QString>

namespace tz::web {

class TokenGate {
public:
    // No token: every request passes.
    TokenGate() = default;
    explicit TokenGate(const QByteArray& token);

    bool required() const { return !m_token.isEmpty(); }

    // Compared in constant time, whatever the length of the candidate.
    bool tokenMatches(const QByteArray& candidate) const;
    // "Authorization: Bearer <token>" or the session cookie.
    bool admits(const QByteArray& authorizationHeader, const QByteArray& cookieHeader) const;

    static constexpr const char* kCookieName = "tz360_session";
    QByteArray sessionValue() const { return m_session; }
    QByteArray setCookieHeader() const;
    static QByteArray clearCookieHeader();

    // The token of a token file: its first line without surrounding blanks.
    // False with a reason for a file that cannot be read or a token shorter
    // than kMinTokenLength.
    static bool readTokenFile(const QString& path, QByteArray& token, QString& error);
    static constexpr int kMinTokenLength = 16;

private:
    QByteArray m_token;
    QByteArray m_session;   // hex of HMAC-SHA256(token, random nonce)
};

// Equal lengths and bytes, in time that depends only on the lengths.
bool constantTimeEquals(const QByteArray& a, const QByteArray& b);

}  // namespace tz::web
