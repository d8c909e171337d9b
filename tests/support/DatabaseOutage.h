#pragma once
// The database unable to take a write until end(): on the embedded file a
// second connection holds the write lock (as a backup program or a second
// workstation would); the lab server is stopped.
#include "tests/db/TempDatabase.h"

#include <QSqlDatabase>
#include <QSqlQuery>

namespace tz::test {

class DatabaseOutage {
public:
    explicit DatabaseOutage(TempDatabase& db) : m_server(db.onServer())
    {
        if (m_server) {
            PgTestServer::instance().stop();
            return;
        }
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kLocker);
        other.setDatabaseName(db.connection.fileName());
        if (!other.open() || !QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE")))
            qFatal("cannot take the write lock");
    }
    ~DatabaseOutage() { end(); }
    DatabaseOutage(const DatabaseOutage&) = delete;
    DatabaseOutage& operator=(const DatabaseOutage&) = delete;

    void end()
    {
        if (m_ended)
            return;
        m_ended = true;
        if (m_server) {
            if (!PgTestServer::instance().start())
                qFatal("the test server did not start again");
            return;
        }
        QSqlDatabase::database(kLocker).close();  // the open transaction rolls back
        QSqlDatabase::removeDatabase(kLocker);
    }

private:
    static constexpr QLatin1StringView kLocker{"outage-locker"};
    bool m_server;
    bool m_ended = false;
};

}  // namespace tz::test
