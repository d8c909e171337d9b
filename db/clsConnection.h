#pragma once
// The one database connection of the workstation: by default the SQLite file
// TZ360.db in the working directory (created with the whole schema when
// missing, in WAL mode so that every committed point survives a crash of the
// program); or, when database.txt or TZ360_DATABASE names one, the lab's
// PostgreSQL server shared by all its workstations (schema created on first
// use of an empty server database).
#include "db/DatabaseLocation.h"
#include "db/SqlDialect.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

class clsConnection {
public:
    clsConnection();
    ~clsConnection();
    clsConnection(const clsConnection&) = delete;
    clsConnection& operator=(const clsConnection&) = delete;

    // Opens the database of the working directory, or of dir when given
    // (TZ360_DATABASE, else dir/database.txt, else dir/TZ360.db, created if
    // needed). The four texts are accepted and not used. On failure
    // lastError() holds "clsConnection.OpenConnection: Error #: <n>\r\n<text>"
    // for the caller to show; nothing is shown here.
    void OpenDB(const QString& dataSource, const QString& user, const QString& password,
                const QString& role, const QString& dir = QString());
    // Opens that database, with the same error reporting as OpenDB.
    void open(const tz::DatabaseLocation& location);
    // For work that only reads (listing, analysing, reports, exports): as
    // OpenDB, except that a TZ360.db which this user may not write, or whose
    // folder this user may not write, is opened read-only, provided it
    // holds all the tables; nothing is created or changed in it then, and
    // every write through the connection is refused by the engine.
    void OpenForReading(const QString& dir = QString());
    // The same for a database named directly (the source of a copy).
    void openForReading(const tz::DatabaseLocation& location);
    // For a reader that must never change the database (the web view): the
    // database must already hold all the tables; a file is opened read-only
    // whatever its permissions, a server as is (the caller asks it for
    // read-only sessions through the location's options).
    void openReadOnly(const tz::DatabaseLocation& location);
    // True after OpenForReading chose a read-only opening.
    bool isReadOnly() const { return m_readOnly; }

    QSqlDatabase ADOConnection() const;
    bool isOpen() const;
    QString lastError() const { return m_lastError; }
    // The SQLite file's path; empty when a server is in use.
    QString fileName() const { return m_location.isServer() ? QString() : m_location.filePath; }
    const tz::DatabaseLocation& location() const { return m_location; }
    // Which database is in use, for the status bar and tz360-cli: the file
    // path, or the server URI without any password.
    QString description() const { return m_location.display(); }
    tz::Backend backend() const
    {
        return m_location.isServer() ? tz::Backend::Postgres : tz::Backend::Sqlite;
    }
    // A statement as it must be sent to this connection's engine (see
    // db/SqlDialect.h); callers that build their own SQL pass it through here.
    QString adaptSql(const QString& sql) const { return tz::adaptSql(sql, backend()); }

    // Single-level transactions, ended only by their owner (ids 1 to 1,000,000;
    // 0 for a nested caller, who then cannot end the outer transaction).
    int BeginTrans();
    bool CommitTrans(int ownerId);
    bool RollBack(int ownerId);
    bool InTransaction() const { return m_inTransaction; }

    // A server that went away (restart, network cut). After a failed
    // statement, noteFailure tells whether the connection itself is gone;
    // ensureConnected, called before every statement of the record classes,
    // then opens it again, or throws tz::DbError while the server does not
    // answer. A transaction that was running when the connection was lost is
    // gone with it: statements are refused until its owner rolls it back.
    bool noteFailure(const QSqlError& error);
    void ensureConnected();
    bool isLost() const { return m_lost; }
    // Counts the openings of the connection; prepared statements of an older
    // opening must be prepared again.
    quint64 generation() const { return m_generation; }

private:
    bool openSession(QSqlError& error);
    bool openSqliteReadOnly(QSqlError& error);
    void openLocation(const tz::DatabaseLocation& location, bool readOnly);
    bool chooseLocation(const QString& dir, tz::DatabaseLocation& location);

    QString m_connectionName;
    tz::DatabaseLocation m_location;
    QString m_lastError;
    bool m_readOnly = false;
    bool m_inTransaction = false;
    int m_ownerId = 0;
    bool m_lost = false;
    quint64 m_generation = 0;
    QElapsedTimer m_lastReconnect;   // started after a failed slow attempt
};
