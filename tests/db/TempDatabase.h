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

// For a test whose own data table has the backend rows (the other tests of
// its program need no database).
#define TZ360_USE_BACKEND(backendName)                                                                 \
    do {                                                                                               \
        tz::test::currentBackend() = (backendName);                                                    \
        if (tz::test::onServer() && !tz::test::PgTestServer::instance().available())                   \
            QSKIP(qPrintable(QStringLiteral("PostgreSQL test server unavailable: ")                    \
                             + tz::test::PgTestServer::instance().reason()));                          \
    } while (false)

#define TZ360_USE_BACKEND_ROW()                                                                        \
    do {                                                                                               \
        QFETCH_GLOBAL(QString, backend);                                                               \
        TZ360_USE_BACKEND(backend);                                                                    \
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

    // Makes the database refuse event ("INSERT" or "DELETE") on table for
    // rows matching condition (NEW.x / OLD.x), as a full disk or a
    // colleague's lock would: the way to make a write fail half-way.
    void refuse(const QString& event, const QString& table, const QString& condition, const QString& message)
    {
        const QString name = QStringLiteral("refuse_%1_%2").arg(event, table).toLower();
        if (onServer()) {
            sql(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
                               " IF %2 THEN RAISE EXCEPTION '%3'; END IF; RETURN %4; END $$")
                    .arg(name, condition, message,
                         event == QLatin1String("DELETE") ? QStringLiteral("OLD") : QStringLiteral("NEW")));
            sql(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 FOR EACH ROW EXECUTE FUNCTION %1()")
                    .arg(name, event, table));
        } else {
            sql(QStringLiteral("CREATE TRIGGER %1 BEFORE %2 ON %3 WHEN %4 BEGIN SELECT RAISE(ABORT, '%5'); END")
                    .arg(name, event, table, condition, message));
        }
    }

    int count(const QString& table, const QString& where = QStringLiteral("1 = 1"))
    {
        return sql(QStringLiteral("SELECT count(*) FROM %1 WHERE %2").arg(table, where)).value(0).toInt();
    }
};
