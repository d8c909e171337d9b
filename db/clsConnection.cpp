#include "db/clsConnection.h"

#include "db/DbError.h"
#include "db/Schema.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>

namespace {

constexpr const char* kFileName = "TZ360.db";

// A locked file (another writer, a backup program) is waited for this long
// before the statement fails; longer would freeze every unit window.
constexpr const char* kConnectOptions = "QSQLITE_BUSY_TIMEOUT=5000";

QString nextConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("tz360-db-%1").arg(++counter);
}

QString openErrorText(const QSqlError& error)
{
    bool numeric = false;
    int number = error.nativeErrorCode().toInt(&numeric);
    if (!numeric)
        number = -1;
    QString description = error.databaseText();
    if (description.isEmpty())
        description = error.driverText();
    if (description.isEmpty())
        description = QStringLiteral("Failed to open Database Connection!");
    return QStringLiteral("clsConnection.OpenConnection: Error #: ") + QString::number(number)
        + QStringLiteral("\r\n") + description;
}

// Runs one statement of the opening sequence; an invalid error when it worked.
QSqlError run(QSqlDatabase& db, const QString& sql, QVariant* firstValue = nullptr)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        return query.lastError();
    if (firstValue && query.next())
        *firstValue = query.value(0);
    return {};
}

bool schemaComplete(QSqlDatabase& db)
{
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT name FROM sqlite_master")))
        return false;
    QStringList present;
    while (query.next())
        present << query.value(0).toString();
    const QStringList expected = {"TEST_INFO", "TEST_RESULT", "TEST_ADDITIVE", "SEQUENCE_INFO",
                                  "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE", "IX_TEST_INFO_NAME",
                                  "IX_TEST_INFO_TIME", "IX_TEST_RESULT_TEST", "IX_TEST_ADDITIVE_TEST",
                                  "IX_SEQUENCE_RAMP_SEQ", "IX_SEQUENCE_RAMP_DEFINE_SEQ"};
    for (const QString& name : expected)
        if (!present.contains(name))
            return false;
    return true;
}

}  // namespace

clsConnection::clsConnection() : m_connectionName(nextConnectionName()) {}

clsConnection::~clsConnection()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            // Work of a caller that never committed is not kept.
            if (m_inTransaction)
                db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

void clsConnection::OpenDB(const QString&, const QString&, const QString&, const QString&,
                           const QString& dir)
{
    m_lastError.clear();
    m_inTransaction = false;
    m_ownerId = 0;
    const QDir folder(dir.isEmpty() ? QDir::currentPath() : dir);
    m_fileName = folder.absoluteFilePath(QString::fromLatin1(kFileName));

    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
        ? QSqlDatabase::database(m_connectionName, false)
        : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.close();
    db.setDatabaseName(m_fileName);
    db.setConnectOptions(QString::fromLatin1(kConnectOptions));

    const auto fail = [&](const QSqlError& error) {
        m_lastError = openErrorText(error);
        db.close();
    };
    if (!db.open()) {
        fail(db.lastError());
        return;
    }
    // SQLite opens lazily: only reading the file shows whether it is a
    // database at all. A file that is not is left exactly as it was.
    if (QSqlError error = run(db, QStringLiteral("SELECT count(*) FROM sqlite_master")); error.isValid()) {
        fail(error);
        return;
    }
    // WAL: a committed point is in the file before the next tick, and readers
    // (the search window, tz360-cli) never block the recording units.
    // synchronous=FULL: each commit is synced to the disk, so points also
    // survive a power cut of the lab workstation, not only a crash of the
    // program; at one point per unit per second the cost is negligible.
    for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
        if (QSqlError error = run(db, QString::fromLatin1(pragma)); error.isValid()) {
            fail(error);
            return;
        }
    }
    if (!schemaComplete(db)) {
        if (QSqlError error = tz::createSchema(db); error.isValid()) {
            fail(error);
            return;
        }
    }
}

QSqlDatabase clsConnection::ADOConnection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool clsConnection::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && ADOConnection().isOpen();
}

int clsConnection::BeginTrans()
{
    if (m_inTransaction)
        return 0;
    const int id = static_cast<int>(QRandomGenerator::global()->bounded(1, 1000001));
    QSqlDatabase db = ADOConnection();
    if (!db.transaction())
        throw tz::DbError(db.lastError().isValid()
                              ? db.lastError()
                              : QSqlError(QStringLiteral("The database is not open."), QString(),
                                          QSqlError::ConnectionError));
    m_ownerId = id;
    m_inTransaction = true;
    return id;
}

bool clsConnection::CommitTrans(int ownerId)
{
    if (!m_inTransaction || ownerId != m_ownerId)
        return false;
    QSqlDatabase db = ADOConnection();
    // On failure the transaction is still open: its owner may roll it back.
    if (!db.commit())
        throw tz::DbError(db.lastError());
    m_inTransaction = false;
    m_ownerId = 0;
    return true;
}

bool clsConnection::RollBack(int ownerId)
{
    if (!m_inTransaction || ownerId != m_ownerId)
        return false;
    QSqlDatabase db = ADOConnection();
    if (!db.rollback())
        throw tz::DbError(db.lastError());
    m_inTransaction = false;
    m_ownerId = 0;
    return true;
}
