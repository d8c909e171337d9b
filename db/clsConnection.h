#pragma once
// The one database connection of the workstation: the SQLite file TZ360.db in
// the working directory, created with the whole schema when missing, in WAL
// mode so that every committed point survives a crash of the program.
#include <QSqlDatabase>
#include <QString>

class clsConnection {
public:
    clsConnection();
    ~clsConnection();
    clsConnection(const clsConnection&) = delete;
    clsConnection& operator=(const clsConnection&) = delete;

    // Opens (and if needed creates) TZ360.db in the working directory, or in
    // dir when given. The four texts are accepted and not used. On failure
    // lastError() holds "clsConnection.OpenConnection: Error #: <n>\r\n<text>"
    // for the caller to show; nothing is shown here.
    void OpenDB(const QString& dataSource, const QString& user, const QString& password,
                const QString& role, const QString& dir = QString());

    QSqlDatabase ADOConnection() const;
    bool isOpen() const;
    QString lastError() const { return m_lastError; }
    QString fileName() const { return m_fileName; }

    // Single-level transactions, ended only by their owner (ids 1 to 1,000,000;
    // 0 for a nested caller, who then cannot end the outer transaction).
    int BeginTrans();
    bool CommitTrans(int ownerId);
    bool RollBack(int ownerId);
    bool InTransaction() const { return m_inTransaction; }

private:
    QString m_connectionName;
    QString m_fileName;
    QString m_lastError;
    bool m_inTransaction = false;
    int m_ownerId = 0;
};
