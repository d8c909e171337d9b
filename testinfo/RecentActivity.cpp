#include "testinfo/RecentActivity.h"

#include "db/DbError.h"
#include "db/clsConnection.h"

#include <QSqlError>
#include <QSqlQuery>

#include <cmath>

namespace tz {

std::optional<QDateTime> lastActivity(clsConnection& connection, const QString& name) {
    QSqlQuery query(connection.ADOConnection());
    const QString sql = connection.adaptSql(QStringLiteral(
        "SELECT I.TEST_TIME, MAX(R.RESULT_TIME) FROM TEST_INFO I"
        " LEFT JOIN TEST_RESULT R ON R.TEST_ID = I.TEST_ID"
        " WHERE I.TEST_NAME = ? GROUP BY I.TEST_ID, I.TEST_TIME"));
    if (!query.prepare(sql)) throw DbError(query.lastError());
    query.addBindValue(name);
    if (!query.exec()) throw DbError(query.lastError());
    std::optional<QDateTime> latest;
    while (query.next()) {
        if (query.value(0).isNull()) continue;
        QDateTime when = query.value(0).toDateTime();
        if (!when.isValid()) continue;
        const double seconds = query.value(1).isNull() ? 0.0 : query.value(1).toDouble();
        if (std::isfinite(seconds) && seconds > 0 && seconds < 1e9)
            when = when.addSecs(static_cast<qint64>(std::floor(seconds)));
        if (!latest || when > *latest) latest = when;
    }
    return latest;
}

bool mayStillBeRecording(const QDateTime& last, const QDateTime& now) {
    return last.secsTo(now) < kRecordingQuietSeconds;
}

}  // namespace tz
