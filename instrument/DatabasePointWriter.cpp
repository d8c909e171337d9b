#include "instrument/DatabasePointWriter.h"

#include "app/ErrorLog.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "instrument/DriverNoise.h"
#include "instrument/TestResultRows.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QStorageInfo>

#include <csignal>

#include <unistd.h>

namespace tz {

namespace {

// A file locked by another program (a backup, a second workstation) is waited
// for only briefly while storing a point: the point is kept and retried with
// the next one anyway, and a long wait would hold up every unit on the loop.
class ShortLockWait {
public:
    static constexpr int kWaitMs = 250;

    explicit ShortLockWait(clsConnection& connection) : db_(connection.ADOConnection())
    {
        if (db_.driverName() != QLatin1String("QSQLITE"))
            return;
        QSqlQuery q(db_);
        if (q.exec(QStringLiteral("PRAGMA busy_timeout")) && q.next()) {
            previous_ = q.value(0).toInt();
            q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(kWaitMs));
        }
    }
    ~ShortLockWait()
    {
        if (previous_ < 0)
            return;
        QSqlQuery q(db_);
        q.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(previous_));
    }

private:
    QSqlDatabase db_;
    int previous_ = -1;
};

}  // namespace

DatabasePointWriter::DatabasePointWriter(clsConnection& connection, QObject* parent)
    : QObject(parent), connection_(connection), where_(journalLocationFor(connection))
{
    const QByteArray hook = qgetenv("TZ360_JOURNAL_ABORT");
    if (const qsizetype colon = hook.indexOf(':'); colon > 0) {
        hookSpot_ = hook.left(colon);
        hookNumber_ = hook.mid(colon + 1).toLongLong();
    }
}

DatabasePointWriter::~DatabasePointWriter() = default;

void DatabasePointWriter::testHook(const char* spot, qint64 number) const
{
    // Stands for the power cut or kill -9 that the journal is there for.
    if (number == hookNumber_ && hookSpot_ == spot)
        ::kill(::getpid(), SIGKILL);
}

QList<RecordedPoint> DatabasePointWriter::pending() const
{
    QList<RecordedPoint> points;
    for (const Waiting& w : waiting_)
        points << w.point;
    return points;
}

int DatabasePointWriter::kept() const
{
    int n = 0;
    for (const Waiting& w : waiting_)
        n += w.journaled ? 1 : 0;
    return n;
}

QStringList DatabasePointWriter::journalPaths() const
{
    QStringList paths;
    for (const auto& [testId, count] : inJournal_)
        if (count > 0)
            paths << journals_.at(testId)->path();
    return paths;
}

QString DatabasePointWriter::keptText() const
{
    if (waiting_.isEmpty())
        return {};
    QStringList files;
    for (const QString& path : journalPaths())
        files << QDir::toNativeSeparators(path);
    const int journaled = kept();
    QString text = QStringLiteral("%1 points kept in %2; they are stored when the database answers "
                                  "(tz360-cli flush-journal)")
                       .arg(journaled)
                       .arg(files.join(QStringLiteral(", ")));
    if (journaled < backlog())
        text = (journaled > 0 ? text + QStringLiteral("; ") : QString())
            + QStringLiteral("%1 points could not be kept on the disk (%2) and are lost when the program ends")
                  .arg(backlog() - journaled)
                  .arg(journalError_);
    return text;
}

PointJournal& DatabasePointWriter::journalFor(int testId)
{
    auto& journal = journals_[testId];
    if (!journal)
        journal = std::make_unique<PointJournal>(where_.dir, where_.fileKey, where_.databaseText, testId);
    return *journal;
}

void DatabasePointWriter::logOnce(const QString& message)
{
    appendErrorLog(message, nullptr, errorLogPath_.isEmpty() ? errorLogDefaultPath() : errorLogPath_);
}

// Appends the points not yet on the disk, in order, one test's run at a time.
// They always form the tail of the waiting list: a failed append stops here.
void DatabasePointWriter::journalWaiting()
{
    qsizetype i = 0;
    while (i < waiting_.size() && waiting_[i].journaled)
        ++i;
    while (i < waiting_.size()) {
        const int testId = waiting_[i].point.testId;
        QList<RecordedPoint> run;
        qsizetype end = i;
        while (end < waiting_.size() && waiting_[end].point.testId == testId)
            run << waiting_[end++].point;
        PointJournal& journal = journalFor(testId);
        if (!journal.append(run)) {
            if (journalError_.isEmpty())
                logOnce(QStringLiteral("Recorded points cannot be kept in the point journal (%1); "
                                       "they are held in memory until there is room")
                            .arg(journal.error()));
            journalError_ = journal.error();
            watchDisk(true);
            return;
        }
        for (qsizetype k = i; k < end; ++k)
            waiting_[k].journaled = true;
        inJournal_[testId] += int(run.size());
        i = end;
    }
    if (!journalError_.isEmpty()) {
        logOnce(QStringLiteral("The point journal can be written again"));
        journalError_.clear();
    }
}

bool DatabasePointWriter::storeOne(const RecordedPoint& p)
{
    insertResultRow(connection_, record_, p);
    return true;
}

bool DatabasePointWriter::storeWaiting()
{
    const ShortLockWait wait(connection_);
    while (!waiting_.isEmpty()) {
        Waiting& w = waiting_.front();
        try {
            // A point whose earlier store failed may have been committed all
            // the same (a server that went away before it answered).
            if (!(w.tried && pointStored(connection_, w.point)))
                storeOne(w.point);
        } catch (const DbError& e) {
            w.tried = true;
            lastError_ = e.text();
            if (connection_.location().isServer() && connection_.isLost())
                driverNoise::databaseAway();
            return false;
        }
        testHook("after-commit", w.number);
        const RecordedPoint stored = w.point;
        waiting_.removeFirst();
        afterStored(stored);
    }
    lastError_.clear();
    driverNoise::databaseBack();
    return true;
}

// Confirmed points leave their journals; a journal left without points goes.
void DatabasePointWriter::trimJournals()
{
    for (auto& [testId, journal] : journals_) {
        int& inFile = inJournal_[testId];
        QList<RecordedPoint> still;
        for (const Waiting& w : waiting_)
            if (w.journaled && w.point.testId == testId)
                still << w.point;
        if (still.size() == inFile)
            continue;
        // A failed rewrite keeps the old lines, whose points the next replay
        // finds already stored.
        if (journal->rewrite(still))
            inFile = int(still.size());
    }
}

void DatabasePointWriter::afterStored(const RecordedPoint& p)
{
    if (connection_.backend() != Backend::Sqlite)
        return;
    QSqlDatabase db = connection_.ADOConnection();
    if (limitedGeneration_ != connection_.generation()) {
        // After each checkpoint the log file is cut back to this size, so a
        // test of days leaves no log of hundreds of MB behind.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_size_limit = %1").arg(kWalLimitBytes));
        limitedGeneration_ = connection_.generation();
    }
    const bool newStep = p.rampNo != lastRampNo_ || p.rampStepNo != lastRampStepNo_;
    lastRampNo_ = p.rampNo;
    lastRampStepNo_ = p.rampStepNo;
    if (++sinceCheckpoint_ >= kCheckpointEvery || newStep)
        checkpoint();
}

void DatabasePointWriter::checkpoint()
{
    if (connection_.backend() != Backend::Sqlite || !connection_.isOpen())
        return;
    sinceCheckpoint_ = 0;
    // PASSIVE: never waits for a reader (the search window, tz360-cli); what
    // a reader still needs is moved at the next one.
    QSqlQuery q(connection_.ADOConnection());
    q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    q.finish();
}

void DatabasePointWriter::watchDisk(bool now)
{
    if (!now && lastDiskCheck_.isValid() && lastDiskCheck_.elapsed() < kDiskCheckMs)
        return;
    lastDiskCheck_.start();
    QString folder = QFileInfo(where_.dir).absolutePath();
    QStorageInfo disk(folder);
    if (!disk.isValid() || !disk.isReady())
        return;
    const qint64 free = disk.bytesAvailable();
    if (free >= kLowDiskBytes) {
        // Warned again only after the space has clearly come back.
        if (free >= kLowDiskBytes + 10 * 1024 * 1024)
            diskLowWarned_ = false;
        return;
    }
    if (diskLowWarned_)
        return;
    diskLowWarned_ = true;
    const QString message = QStringLiteral("Disk space low: %1 MB free on %2")
                                .arg(free / (1024 * 1024))
                                .arg(QDir::toNativeSeparators(folder));
    logOnce(message);
    emit diskSpaceLow(message);
}

bool DatabasePointWriter::retry()
{
    if (waiting_.isEmpty())
        return true;
    journalWaiting();
    const bool done = storeWaiting();
    trimJournals();
    watchDisk(!done);
    return done;
}

bool DatabasePointWriter::write(const RecordedPoint& point)
{
    waiting_.append({point, ++written_, false, false});
    journalWaiting();
    testHook("after-append", written_);
    const bool done = storeWaiting();
    trimJournals();
    watchDisk(!done);
    return done;
}

}  // namespace tz
