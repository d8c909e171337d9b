#include "db/clsConnection.h"

#include "db/DbError.h"
#include "db/Schema.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTimeZone>
#include <QUrl>

#include <algorithm>
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

// Why this user cannot write the database file at path, as far as the
// permissions tell (access(2): no descriptor of the file is opened, which
// would drop the locks of a connection this process holds on it); empty
// when it can.
QString notWritableReason(const QString& path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isWritable())
        return QStringLiteral("the folder %1 is read-only").arg(QDir::toNativeSeparators(folder.absoluteFilePath()));
    if (file.exists() && !file.isWritable())
        return QStringLiteral("%1 is read-only").arg(QDir::toNativeSeparators(file.absoluteFilePath()));
    return {};
}

// The six tables of Schema.h; indexes only speed reading up.
bool hasAllTables(const QStringList& present)
{
    const QStringList objects = tz::schemaObjectNames();
    return std::all_of(objects.begin(), objects.end(), [&](const QString& name) {
        return name.startsWith(QLatin1String("IX_")) || present.contains(name);
    });
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

bool clsConnection::chooseLocation(const QString& dir, tz::DatabaseLocation& location)
{
    QString error;
    if (tz::chooseDatabase(dir, location, error))
        return true;
    m_location = tz::DatabaseLocation{};
    m_location.kind = tz::DatabaseLocation::Kind::Server;
    m_location.uri = QStringLiteral("none (%1 is not usable)").arg(error.section(QLatin1Char(':'), 0, 0));
    m_lastError = openErrorText(QSqlError(error, QString(), QSqlError::ConnectionError));
    m_readOnly = false;
    if (QSqlDatabase::contains(m_connectionName))
        ADOConnection().close();
    return false;
}

void clsConnection::OpenDB(const QString&, const QString&, const QString&, const QString&,
                           const QString& dir)
{
    tz::DatabaseLocation location;
    if (chooseLocation(dir, location))
        openLocation(location, false);
}

void clsConnection::OpenForReading(const QString& dir)
{
    tz::DatabaseLocation location;
    if (!chooseLocation(dir, location))
        return;
    openForReading(location);
}

void clsConnection::openForReading(const tz::DatabaseLocation& location)
{
    // A missing file is created as by OpenDB (or that fails and says why).
    const bool readOnly = !location.isServer() && QFileInfo::exists(location.filePath)
        && !notWritableReason(location.filePath).isEmpty();
    openLocation(location, readOnly);
}

void clsConnection::openReadOnly(const tz::DatabaseLocation& location)
{
    openLocation(location, true);
}

void clsConnection::open(const tz::DatabaseLocation& location)
{
    openLocation(location, false);
}

void clsConnection::openLocation(const tz::DatabaseLocation& location, bool readOnly)
{
    m_lastError.clear();
    m_readOnly = readOnly;
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
        // A writing opening refused by the file's or the folder's
        // permissions says which, beside the engine's own words.
        if (!location.isServer() && !readOnly) {
            if (const QString reason = notWritableReason(location.filePath); !reason.isEmpty())
                m_lastError += QStringLiteral(" (") + reason + QLatin1Char(')');
        }
        db.close();
        return;
    }
    QStringList present;
    if (error = tz::presentSchemaObjects(db, backend(), present); error.isValid()) {
        m_lastError = openErrorText(error);
        db.close();
        return;
    }
    if (readOnly) {
        // Nothing may be created in a file that cannot be written.
        if (!hasAllTables(present)) {
            m_lastError = openErrorText(QSqlError(
                QStringLiteral("%1 cannot be written (%2) and does not hold the workstation's tables.")
                    .arg(QDir::toNativeSeparators(location.filePath), notWritableReason(location.filePath)),
                QString(), QSqlError::ConnectionError));
            db.close();
        }
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
    if (!m_location.isServer() && m_readOnly)
        return openSqliteReadOnly(error);
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

// A file this user cannot write: opened read-only and nothing set up (the
// journal mode is read from the file, every write is refused by SQLite).
bool clsConnection::openSqliteReadOnly(QSqlError& error)
{
    QSqlDatabase db = ADOConnection();
    const QString path = m_location.filePath;
    const QString uri = QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    const auto attempt = [&](const QString& parameters) {
        db.close();
        db.setDatabaseName(uri + parameters);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI;")
                             + QString::fromLatin1(kSqliteOptions));
        if (!db.open()) {
            error = db.lastError();
            return false;
        }
        // SQLite opens lazily: only the first read shows whether it works.
        if (error = run(db, QStringLiteral("SELECT count(*) FROM sqlite_master")); error.isValid()) {
            db.close();
            return false;
        }
        ++m_generation;
        return true;
    };
    if (attempt(QStringLiteral("?mode=ro")))
        return true;
    // Reading a WAL database takes its shared-memory index (-shm) beside it;
    // in a read-only folder where nobody has the database open there is none
    // and none can be made. The file is then read as it lies, without locks
    // or index, but only when that is the whole database: nobody has it open
    // (no -shm) and nothing waits to be put into it (no committed points in
    // a -wal, no journal of an interrupted write).
    const QFileInfo wal(path + QStringLiteral("-wal"));
    if (QFileInfo::exists(path + QStringLiteral("-shm")) || QFileInfo::exists(path + QStringLiteral("-journal"))
        || (wal.exists() && wal.size() > 0))
        return false;
    return attempt(QStringLiteral("?mode=ro&immutable=1"));
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
