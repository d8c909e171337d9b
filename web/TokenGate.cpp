#include "web/TokenGate.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMessageAuthenticationCode>
#include <QRandomGenerator>

namespace tz::web {

namespace {

QByteArray digest(const QByteArray& bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

}  // namespace

bool constantTimeEquals(const QByteArray& a, const QByteArray& b)
{
    unsigned char difference = a.size() == b.size() ? 0 : 1;
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

TokenGate::TokenGate(const QByteArray& token) : m_token(token)
{
    if (token.isEmpty())
        return;
    QByteArray nonce(32, Qt::Uninitialized);
    QRandomGenerator::system()->generate(reinterpret_cast<quint32*>(nonce.data()),
                                         reinterpret_cast<quint32*>(nonce.data() + nonce.size()));
    m_session = QMessageAuthenticationCode::hash(nonce, token, QCryptographicHash::Sha256).toHex();
}

bool TokenGate::tokenMatches(const QByteArray& candidate) const
{
    // Hashing first makes both sides 32 bytes, so the comparison takes the
    // same time for a candidate of any length.
    return required() && constantTimeEquals(digest(candidate), digest(m_token));
}

bool TokenGate::admits(const QByteArray& authorization, const QByteArray& cookie) const
{
    if (!required())
        return true;
    bool admitted = false;
    if (authorization.size() > 7 && authorization.left(7).toLower() == "bearer ")
        admitted = tokenMatches(authorization.mid(7).trimmed());
    for (const QByteArray& part : cookie.split(';')) {
        const QByteArray item = part.trimmed();
        const qsizetype eq = item.indexOf('=');
        if (eq > 0 && item.left(eq) == kCookieName)
            admitted |= constantTimeEquals(digest(item.mid(eq + 1)), digest(m_session));
    }
    return admitted;
}

QByteArray TokenGate::setCookieHeader() const
{
    return QByteArray(kCookieName) + '=' + m_session + "; Path=/; HttpOnly; SameSite=Strict";
}

QByteArray TokenGate::clearCookieHeader()
{
    return QByteArray(kCookieName) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0";
}

bool TokenGate::readTokenFile(const QString& path, QByteArray& token, QString& error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("the token file %1 cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    token = file.read(4096).split('\n').first().trimmed();
    if (token.size() < kMinTokenLength) {
        error = QStringLiteral("the token in %1 is shorter than %2 characters").arg(path).arg(kMinTokenLength);
        return false;
    }
    return true;
}

}  // namespace tz::web
