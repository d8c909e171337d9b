#pragma once
// A fresh, empty database opened the way the main window opens it, plus raw
// SQL for setting up rows the record classes cannot write.
//
// The database tests run on both engines from one source: a test class adds
// the backend rows with addBackendRows() in initTestCase_data() and calls
// TZ360_USE_BACKEND_ROW() in init(). On the "postgresql" row every
// TempDatabase is a new database on the throw-away test server, selected by a
// database.txt in the temporary folder, exactly as a lab selects its server;
// without the server binaries that row is skipped and says why.
#include "PgTestServer.h"

#include "db/clsConnection.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace tz::test {

inline QString& currentBackend()
{
    static QString backend = QStringLiteral("sqlite");
    return backend;
}

inline bool onServer() { return currentBackend() == QLatin1String("postgresql"); }

inline void addBackendRows()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

}  // namespace tz::test

#define TZ360_USE_BACKEND_ROW()                                                                      \
    do {                                                                                             \
        QFETCH_GLOBAL(QString, backend);                                                             \
        tz::test::currentBackend() = backend;                                                        \
        if (backend == QLatin1String("postgresql") && !tz::test::PgTestServer::instance().available()) \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL test server unavailable: ")                  \
                             + tz::test::PgTestServer::instance().reason()));                        \
    } while (false)

struct TempDatabase {
    QTemporaryDir dir;
    clsConnection connection;
    QString uri;  // the server database's URI; empty on SQLite

    TempDatabase()
    {
        if (tz::test::onServer()) {
            uri = tz::test::PgTestServer::instance().createDatabase();
            QFile file(dir.filePath("database.txt"));
            if (!file.open(QIODevice::WriteOnly) || file.write(uri.toUtf8() + "\n") < 0)
                qFatal("cannot write database.txt");
        }
        connection.OpenDB("msORA", "system", "", "", dir.path());
        if (!connection.lastError().isEmpty())
            qFatal("OpenDB failed: %s", qPrintable(connection.lastError()));
    }

    bool onServer() const { return !uri.isEmpty(); }

    // Runs one statement; returns the first column of every row.
    QVariantList sql(const QString& statement, const QVariantList& values = {})
    {
        QSqlQuery query(connection.ADOConnection());
        // Without values the statement runs as it is (the server cannot
        // prepare DDL such as CREATE FUNCTION).
        if (values.isEmpty() ? !query.exec(statement) : !execPrepared(query, statement, values))
            qFatal("exec failed: %s: %s", qPrintable(statement), qPrintable(query.lastError().text()));
        QVariantList column;
        while (query.next())
            column << query.value(0);
        return column;
    }

    static bool execPrepared(QSqlQuery& query, const QString& statement, const QVariantList& values)
    {
        if (!query.prepare(statement))
            return false;
        for (const QVariant& v : values)
            query.addBindValue(v);
        return query.exec();
    }

    int count(const QString& table, const QString& where = QStringLiteral("1 = 1"))
    {
        return sql(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, where)).value(0).toInt();
    }
};
