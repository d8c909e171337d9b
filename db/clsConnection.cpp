#include "db/clsConnection.h"

#include "db/DbError.h"
#include "db/Schema.h"

#include <QDir>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTimeZone>

#include <atomic>

namespace {

// A locked file (another writer, a backup program) is waited for this long
// before the statement fails; longer would freeze every unit window.
constexpr const char* kSqliteOptions = "QSQLITE_BUSY_TIMEOUT=5000";

// A server that does not answer must not freeze the unit windows for
// minutes: give up connecting after a few seconds, and notice a cut network
// within seconds instead of the system's quarter of an hour. A lab's URI may
// set any of these itself.
constexpr const char* kServerDefaults[][2] = {
    {"connect_timeout", "4"},
    {"tcp_user_timeout", "10000"},
    {"keepalives_idle", "30"},
    {"keepalives_interval", "10"},
    {"keepalives_count", "3"},
    {"application_name", "tz360"},
};

// After a reconnection attempt that took this long (an unreachable host), the
// next is not made before the pause is over, so that polling units are not
// held up on every tick.
constexpr qint64 kSlowAttemptMs = 500;
constexpr qint64 kRetryPauseMs = 5000;

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
        + QStringLiteral("\r\n") + description.trimmed();
}

// Runs one statement of the opening sequence; an invalid error when it worked.
QSqlError run(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery query(db);
    if (!query.exec(sql))
        return query.lastError();
    return {};
}

QString serverOptions(const QString& fromUri)
{
    QString options = fromUri;
    for (const auto& option : kServerDefaults) {
        const QString key = QString::fromLatin1(option[0]);
        if (options.startsWith(key + QLatin1Char('=')) || options.contains(QLatin1Char(';') + key + QLatin1Char('=')))
            continue;
        if (!options.isEmpty())
            options += QLatin1Char(';');
        options += key + QStringLiteral("='") + QString::fromLatin1(option[1]) + QLatin1Char('\'');
    }
    return options;
}

// SQLSTATE classes of a connection that is gone: connection exceptions, and
// the server shutting down or restarting.
bool connectionGone(const QString& sqlState)
{
    return sqlState.startsWith(QLatin1String("08")) || sqlState == QLatin1String("57P01")
        || sqlState == QLatin1String("57P02") || sqlState == QLatin1String("57P03");
}

tz::DbError lostError()
{
    return tz::DbError(QStringLiteral("The connection to the database server was lost; "
                                      "the work of the running transaction was not stored."));
}

}  // namespace

clsConnection::clsConnection() : m_connectionName(nextConnectionName()) {}

clsConnection::~clsConnection()
{
    if (QSqlDatabase::contains(m_connectionName)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
            // Work of a caller that never committed is not kept.
            if (m_inTransaction && !m_lost)
                db.rollback();
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connectionName);
    }
}

void clsConnection::OpenDB(const QString&, const QString&, const QString&, const QString&,
                           const QString& dir)
{
    tz::DatabaseLocation location;
    QString error;
    if (!tz::chooseDatabase(dir, location, error)) {
        m_location = tz::DatabaseLocation{};
        m_location.kind = tz::DatabaseLocation::Kind::Server;
        m_location.uri = QStringLiteral("none (%1 is not usable)").arg(error.section(QLatin1Char(':'), 0, 0));
        m_lastError = openErrorText(QSqlError(error, QString(), QSqlError::ConnectionError));
        if (QSqlDatabase::contains(m_connectionName))
            ADOConnection().close();
        return;
    }
    open(location);
}

void clsConnection::open(const tz::DatabaseLocation& location)
{
    m_lastError.clear();
    m_inTransaction = false;
    m_ownerId = 0;
    m_lost = false;
    m_lastReconnect.invalidate();
    m_location = location;

    const QString driver = location.isServer() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase old = QSqlDatabase::database(m_connectionName, false);
        old.close();
        if (old.driverName() != driver) {
            old = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
        }
    }
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
        ? QSqlDatabase::database(m_connectionName, false)
        : QSqlDatabase::addDatabase(driver, m_connectionName);
    if (location.isServer()) {
        db.setHostName(location.host);
        db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        db.setDatabaseName(location.databaseName);
        db.setConnectOptions(serverOptions(location.connectOptions));
    } else {
        db.setDatabaseName(location.filePath);
        db.setConnectOptions(QString::fromLatin1(kSqliteOptions));
    }

    QSqlError error;
    if (!openSession(error)) {
        m_lastError = openErrorText(error);
        db.close();
        return;
    }
    QStringList present;
    if (error = tz::presentSchemaObjects(db, backend(), present); error.isValid()) {
        m_lastError = openErrorText(error);
        db.close();
        return;
    }
    for (const QString& name : tz::schemaObjectNames()) {
        if (!present.contains(name)) {
            if (error = tz::createSchema(db, backend()); error.isValid()) {
                m_lastError = openErrorText(error);
                db.close();
            }
            return;
        }
    }
}

// Opens the provider connection and sets up the session; used by the first
// opening and by every reconnection.
bool clsConnection::openSession(QSqlError& error)
{
    QSqlDatabase db = ADOConnection();
    db.close();
    if (!db.open()) {
        error = db.lastError();
        return false;
    }
    ++m_generation;
    if (!m_location.isServer()) {
        // SQLite opens lazily: only reading the file shows whether it is a
        // database at all. A file that is not is left exactly as it was.
        // WAL: a committed point is in the file before the next tick, and
        // readers (the search window, tz360-cli) never block the recording
        // units. synchronous=FULL: each commit is synced to the disk, so points
        // also survive a power cut of the lab workstation, not only a crash of
        // the program; at one point per unit per second the cost is negligible.
        for (const char* sql : {"SELECT count(*) FROM sqlite_master", "PRAGMA journal_mode=WAL",
                                "PRAGMA synchronous=FULL"}) {
            if (error = run(db, QString::fromLatin1(sql)); error.isValid())
                return false;
        }
        return true;
    }
    // Start times are sent as the workstation's local wall-clock time; the
    // session's zone only matters to expressions such as now(), which then
    // also mean the lab's local time. A zone the server does not know leaves
    // the server's own.
    const QByteArray zone = QTimeZone::systemTimeZoneId();
    if (!zone.isEmpty()) {
        QSqlQuery setZone(db);
        setZone.exec(QStringLiteral("SET TIME ZONE '%1'").arg(QString::fromLatin1(zone).remove(QLatin1Char('\''))));
    }
    return true;
}

QSqlDatabase clsConnection::ADOConnection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool clsConnection::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && ADOConnection().isOpen();
}

bool clsConnection::noteFailure(const QSqlError& error)
{
    if (!m_location.isServer())
        return false;
    // The driver may already have closed a connection whose server is gone.
    if (!isOpen()) {
        m_lost = true;
        return true;
    }
    const QString state = error.nativeErrorCode();
    bool gone = connectionGone(state);
    if (!gone && state.isEmpty()) {
        // No server answer at all: ask the server whether it is still there.
        QSqlQuery probe(ADOConnection());
        if (!probe.exec(QStringLiteral("SELECT 1"))) {
            const QString probeState = probe.lastError().nativeErrorCode();
            gone = probeState.isEmpty() || connectionGone(probeState);
        }
    }
    if (gone)
        m_lost = true;
    return gone;
}

void clsConnection::ensureConnected()
{
    if (!m_lost)
        return;
    if (m_inTransaction)
        throw lostError();
    if (m_lastReconnect.isValid() && m_lastReconnect.elapsed() < kRetryPauseMs)
        throw tz::DbError(QStringLiteral("The database server %1 does not answer.").arg(description()));
    QElapsedTimer attempt;
    attempt.start();
    QSqlError error;
    if (!openSession(error)) {
        if (attempt.elapsed() >= kSlowAttemptMs)
            m_lastReconnect.start();
        else
            m_lastReconnect.invalidate();
        throw tz::DbError(QStringLiteral("The database server %1 does not answer: %2")
                              .arg(description(), error.text().trimmed()));
    }
    m_lost = false;
    m_lastReconnect.invalidate();
}

int clsConnection::BeginTrans()
{
    if (m_inTransaction)
        return 0;
    ensureConnected();
    const int id = static_cast<int>(QRandomGenerator::global()->bounded(1, 1000001));
    QSqlDatabase db = ADOConnection();
    if (!db.transaction()) {
        const QSqlError error = db.lastError().isValid()
            ? db.lastError()
            : QSqlError(QStringLiteral("The database is not open."), QString(), QSqlError::ConnectionError);
        noteFailure(error);
        throw tz::DbError(error);
    }
    m_ownerId = id;
    m_inTransaction = true;
    return id;
}

bool clsConnection::CommitTrans(int ownerId)
{
    if (!m_inTransaction || ownerId != m_ownerId)
        return false;
    // The server already discarded the work; the owner must roll back.
    if (m_lost)
        throw lostError();
    QSqlDatabase db = ADOConnection();
    // On failure the transaction is still open: its owner may roll it back.
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        noteFailure(error);
        throw tz::DbError(error);
    }
    m_inTransaction = false;
    m_ownerId = 0;
    return true;
}

bool clsConnection::RollBack(int ownerId)
{
    if (!m_inTransaction || ownerId != m_ownerId)
        return false;
    if (m_lost) {
        // Nothing to undo: the server ended the transaction with the session.
        m_inTransaction = false;
        m_ownerId = 0;
        return true;
    }
    QSqlDatabase db = ADOConnection();
    if (!db.rollback()) {
        const QSqlError error = db.lastError();
        if (noteFailure(error)) {
            m_inTransaction = false;
            m_ownerId = 0;
            return true;
        }
        throw tz::DbError(error);
    }
    m_inTransaction = false;
    m_ownerId = 0;
    return true;
}
