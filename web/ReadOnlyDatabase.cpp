#include "web/ReadOnlyDatabase.h"

#include "db/DatabaseLocation.h"
#include "db/clsConnection.h"

#include <QDir>
#include <QFileInfo>

namespace tz::web {

QString withReadOnlySessions(const QString& connectOptions)
{
    static const QString setting = QStringLiteral("-c default_transaction_read_only=on");
    static const QString key = QStringLiteral("options='");
    qsizetype at = connectOptions.startsWith(key) ? 0 : connectOptions.indexOf(QLatin1Char(';') + key);
    if (at < 0)
        return connectOptions + (connectOptions.isEmpty() ? QString() : QStringLiteral(";")) + key + setting
            + QLatin1Char('\'');
    at += connectOptions.startsWith(key) ? key.size() : key.size() + 1;
    // The value ends at the first quote that is not escaped.
    qsizetype end = at;
    while (end < connectOptions.size() && connectOptions[end] != u'\'')
        end += connectOptions[end] == u'\\' ? 2 : 1;
    QString merged = connectOptions;
    merged.insert(std::min(end, connectOptions.size()), QLatin1Char(' ') + setting);
    return merged;
}

bool openReadOnlyDatabase(clsConnection& connection, const QString& dir, QString& error)
{
    DatabaseLocation location;
    if (!chooseDatabase(dir, location, error))
        return false;
    if (location.isServer()) {
        location.connectOptions = withReadOnlySessions(location.connectOptions);
    } else if (!QFileInfo(location.filePath).isFile()) {
        error = QStringLiteral("There is no database at %1.").arg(QDir::toNativeSeparators(location.filePath));
        return false;
    }
    connection.openReadOnly(location);
    if (!connection.isOpen()) {
        error = connection.lastError();
        return false;
    }
    return true;
}

}  // namespace tz::web
