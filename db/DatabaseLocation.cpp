#include "db/DatabaseLocation.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUrl>

namespace tz {

namespace {

QString decode(const QString& part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// A libpq keyword=value pair for the connect options; QPSQL turns the ';'
// between pairs into blanks, so a value may not hold one.
bool appendOption(QString& options, const QString& key, const QString& value, QString& error)
{
    static const QRegularExpression keyword(QStringLiteral("^[a-z_]+$"));
    if (!keyword.match(key).hasMatch()) {
        error = QStringLiteral("unknown connection parameter \"%1\"").arg(key);
        return false;
    }
    if (value.contains(QLatin1Char(';'))) {
        error = QStringLiteral("the value of \"%1\" may not contain ';'").arg(key);
        return false;
    }
    QString quoted = value;
    quoted.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("\\'"));
    if (!options.isEmpty())
        options += QLatin1Char(';');
    options += key + QStringLiteral("='") + quoted + QLatin1Char('\'');
    return true;
}

bool parsePort(const QString& text, int& port, QString& error)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 1 || value > 65535) {
        error = QStringLiteral("\"%1\" is not a port number").arg(text);
        return false;
    }
    port = value;
    return true;
}

}  // namespace

QString DatabaseLocation::display() const
{
    return isServer() ? uri : QDir::toNativeSeparators(filePath);
}

bool parseServerUri(const QString& text, DatabaseLocation& location, QString& error)
{
    DatabaseLocation parsed;
    parsed.kind = DatabaseLocation::Kind::Server;
    const QString uri = text.trimmed();
    QString rest;
    QString scheme;
    for (const char* prefix : {"postgresql://", "postgres://"}) {
        if (uri.startsWith(QLatin1String(prefix))) {
            scheme = QLatin1String(prefix);
            rest = uri.mid(scheme.size());
        }
    }
    if (scheme.isEmpty()) {
        error = QStringLiteral("a server is named by a URI starting with postgresql://");
        return false;
    }

    // Split into authority, path and query as libpq does.
    const qsizetype queryAt = rest.indexOf(QLatin1Char('?'));
    const QString query = queryAt >= 0 ? rest.mid(queryAt + 1) : QString();
    QString beforeQuery = queryAt >= 0 ? rest.left(queryAt) : rest;
    const qsizetype pathAt = beforeQuery.indexOf(QLatin1Char('/'));
    QString authority = pathAt >= 0 ? beforeQuery.left(pathAt) : beforeQuery;
    parsed.databaseName = pathAt >= 0 ? decode(beforeQuery.mid(pathAt + 1)) : QString();

    QString shownAuthority = authority;
    const qsizetype at = authority.lastIndexOf(QLatin1Char('@'));
    if (at >= 0) {
        const QString userInfo = authority.left(at);
        const qsizetype colon = userInfo.indexOf(QLatin1Char(':'));
        parsed.user = decode(colon >= 0 ? userInfo.left(colon) : userInfo);
        if (colon >= 0)
            parsed.password = decode(userInfo.mid(colon + 1));
        shownAuthority = (colon >= 0 ? userInfo.left(colon) : userInfo) + authority.mid(at);
        authority = authority.mid(at + 1);
    }
    if (authority.contains(QLatin1Char(','))) {
        error = QStringLiteral("only one server host may be named");
        return false;
    }
    QString hostPart = authority;
    QString portPart;
    if (hostPart.startsWith(QLatin1Char('['))) {  // IPv6 address
        const qsizetype close = hostPart.indexOf(QLatin1Char(']'));
        if (close < 0) {
            error = QStringLiteral("unclosed '[' in the host");
            return false;
        }
        portPart = hostPart.mid(close + 1);
        hostPart = hostPart.mid(1, close - 1);
        if (!portPart.isEmpty() && !portPart.startsWith(QLatin1Char(':'))) {
            error = QStringLiteral("unexpected text after the host address");
            return false;
        }
        portPart = portPart.mid(1);
    } else if (const qsizetype colon = hostPart.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        portPart = hostPart.mid(colon + 1);
        hostPart = hostPart.left(colon);
    }
    parsed.host = decode(hostPart);
    if (!portPart.isEmpty() && !parsePort(portPart, parsed.port, error))
        return false;

    QStringList shownParams;
    if (!query.isEmpty()) {
        for (const QString& pair : query.split(QLatin1Char('&'), Qt::SkipEmptyParts)) {
            const qsizetype eq = pair.indexOf(QLatin1Char('='));
            if (eq <= 0) {
                error = QStringLiteral("parameter \"%1\" has no value").arg(pair);
                return false;
            }
            const QString key = decode(pair.left(eq));
            const QString value = decode(pair.mid(eq + 1));
            if (key == QLatin1String("password")) {
                parsed.password = value;
                continue;  // never shown
            }
            shownParams << pair;
            if (key == QLatin1String("host"))
                parsed.host = value;
            else if (key == QLatin1String("port")) {
                if (!parsePort(value, parsed.port, error))
                    return false;
            } else if (key == QLatin1String("user"))
                parsed.user = value;
            else if (key == QLatin1String("dbname"))
                parsed.databaseName = value;
            else if (!appendOption(parsed.connectOptions, key, value, error))
                return false;
        }
    }
    parsed.uri = scheme + shownAuthority + (pathAt >= 0 ? beforeQuery.mid(pathAt) : QString())
        + (shownParams.isEmpty() ? QString() : QLatin1Char('?') + shownParams.join(QLatin1Char('&')));
    location = parsed;
    return true;
}

bool chooseDatabase(const QString& dir, DatabaseLocation& location, QString& error)
{
    const QDir folder(dir.isEmpty() ? QDir::currentPath() : dir);
    QString uri = qEnvironmentVariable(kServerEnvVar).trimmed();
    QString source = QString::fromLatin1(kServerEnvVar);
    if (uri.isEmpty()) {
        QFile file(folder.absoluteFilePath(QString::fromLatin1(kServerFileName)));
        if (file.exists()) {
            if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
                error = QStringLiteral("%1: %2").arg(file.fileName(), file.errorString());
                return false;
            }
            for (const QString& line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
                if (!line.trimmed().isEmpty()) {
                    uri = line.trimmed();
                    break;
                }
            }
            source = QDir::toNativeSeparators(file.fileName());
        }
    }
    if (uri.isEmpty()) {
        location = DatabaseLocation{};
        location.filePath = folder.absoluteFilePath(QStringLiteral("TZ360.db"));
        return true;
    }
    if (!parseServerUri(uri, location, error)) {
        error = QStringLiteral("%1: %2").arg(source, error);
        return false;
    }
    return true;
}

}  // namespace tz
