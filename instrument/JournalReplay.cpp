#include "instrument/JournalReplay.h"

#include "app/ErrorLog.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "db/clsTEST_RESULT.h"
#include "instrument/PointJournal.h"
#include "instrument/TestResultRows.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>

#include <algorithm>

#include <unistd.h>

namespace tz {

namespace {

// A journal of days of an outage is a few tens of MB; anything far larger is
// not one of ours.
constexpr qint64 kMaxJournalBytes = 512LL * 1024 * 1024;

QByteArray readAll(int fd, bool* tooLarge)
{
    QByteArray bytes;
    char buffer[65536];
    *tooLarge = false;
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > kMaxJournalBytes) {
            *tooLarge = true;
            break;
        }
    }
    return bytes;
}

struct Candidate {
    QString path;
    int testId = 0;
};

}  // namespace

JournalLocation journalLocationFor(const clsConnection& connection)
{
    JournalLocation where;
    where.databaseText = connection.description();
    if (connection.location().isServer()) {
        where.dir = QDir::current().filePath(QStringLiteral("journal"));
        const QByteArray id = (connection.location().host + QLatin1Char('|') + QString::number(connection.location().port)
                               + QLatin1Char('|') + connection.location().user + QLatin1Char('|')
                               + connection.location().databaseName + QLatin1Char('|')
                               + connection.location().connectOptions)
                                  .toUtf8();
        where.fileKey = QStringLiteral("server-")
            + QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Sha1).toHex().left(10));
    } else {
        const QFileInfo file(connection.fileName());
        where.dir = QDir(file.absolutePath()).filePath(QStringLiteral("journal"));
        where.fileKey = file.completeBaseName();
    }
    return where;
}

int ReplayResult::pointsWaiting() const
{
    int n = 0;
    for (const Waiting& w : waiting)
        n += w.points;
    return n;
}

ReplayResult replayJournals(clsConnection& connection, const JournalLocation& where)
{
    ReplayResult result;
    const QDir dir(where.dir);
    if (!dir.exists())
        return result;
    const QString prefix = where.fileKey + QStringLiteral("-test");
    QList<Candidate> ours;
    for (const QFileInfo& info : dir.entryInfoList({QStringLiteral("*") + QLatin1String(PointJournal::kSuffix)},
                                                  QDir::Files, QDir::Name)) {
        QString why;
        const int fd = lockJournalFile(info.filePath(), &why);
        if (fd < 0) {
            result.waiting.append({info.filePath(), 0, 0, why});
            continue;
        }
        bool tooLarge = false;
        const JournalContents c = PointJournal::parse(readAll(fd, &tooLarge));
        ::close(fd);
        if (tooLarge || !c.valid) {
            // An empty file is a journal whose first point never reached the disk.
            if (info.size() == 0) {
                QFile::remove(info.filePath());
                continue;
            }
            result.waiting.append({info.filePath(), 0, 0, QStringLiteral("not a point journal")});
            continue;
        }
        if (!info.fileName().startsWith(prefix)) {
            result.waiting.append({info.filePath(), c.testId, int(c.points.size()),
                                   QStringLiteral("belongs to another database (%1)").arg(c.database)});
            continue;
        }
        ours.append({info.filePath(), c.testId});
    }
    // Oldest test first, each journal's points in their recorded order.
    std::stable_sort(ours.begin(), ours.end(), [](const Candidate& a, const Candidate& b) { return a.testId < b.testId; });

    clsTEST_RESULT record;
    // A server session that died since it was opened is opened again by the
    // first statement; a database that could not be opened at all has its
    // journals listed, not replayed.
    if (!connection.isOpen() && connection.location().isServer() && connection.generation() > 0)
        connection.noteFailure(QSqlError());
    QString downReason;
    if (!connection.isOpen() && !connection.isLost()) {
        downReason = connection.lastError().replace(QStringLiteral("\r\n"), QStringLiteral(": "));
        if (downReason.isEmpty())
            downReason = QStringLiteral("the database is not open");
    }
    for (const Candidate& candidate : ours) {
        QString why;
        const int fd = lockJournalFile(candidate.path, &why);
        if (fd < 0) {
            result.waiting.append({candidate.path, candidate.testId, 0, why});
            continue;
        }
        bool tooLarge = false;
        const JournalContents c = PointJournal::parse(readAll(fd, &tooLarge));
        const auto leave = [&](int points, const QString& reason) {
            result.waiting.append({candidate.path, c.testId, points, reason});
        };
        if (!downReason.isEmpty()) {
            ::close(fd);
            leave(int(c.points.size()), downReason);
            continue;
        }
        int done = 0;
        // A server connection that went stale since it was opened fails its
        // first statement and is opened again by the second.
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                if (!c.points.isEmpty() && !testStored(connection, c.testId)) {
                    downReason.clear();
                    done = -1;
                    break;
                }
                for (; done < c.points.size(); ++done) {
                    const RecordedPoint& p = c.points[done];
                    if (pointStored(connection, p)) {
                        ++result.alreadyStored;
                    } else {
                        insertResultRow(connection, record, p);
                        ++result.recovered;
                    }
                }
                downReason.clear();
                break;
            } catch (const DbError& e) {
                downReason = e.text();
                if (!connection.isLost())
                    break;
            }
        }
        if (done < 0) {
            ::close(fd);
            leave(int(c.points.size()), QStringLiteral("test id %1 is not in %2").arg(c.testId).arg(where.databaseText));
            continue;
        }
        if (done == c.points.size()) {
            // Removed while still locked: no writer or replay can have it half way.
            ::unlink(QFile::encodeName(candidate.path).constData());
            ::close(fd);
            ++result.journalsEmptied;
            continue;
        }
        ::close(fd);
        // The stored points stay in the file: the next replay finds them in
        // the database and skips them, which is cheaper than a second write
        // of the journal while the database is failing.
        leave(int(c.points.size()) - done, downReason);
    }
    syncFolder(where.dir);
    return result;
}

QString recoveredText(const ReplayResult& result, const JournalLocation& where)
{
    if (result.recovered == 0)
        return {};
    return QStringLiteral("%1 recorded points recovered from the point journal (%2)")
        .arg(result.recovered)
        .arg(QDir::toNativeSeparators(where.dir));
}

QString replayAtOpening(clsConnection& connection, const QString& errorLogPath)
{
    if (!connection.isOpen())
        return {};
    const JournalLocation where = journalLocationFor(connection);
    const ReplayResult result = replayJournals(connection, where);
    const QString text = recoveredText(result, where);
    if (!text.isEmpty())
        appendErrorLog(text, nullptr, errorLogPath.isEmpty() ? errorLogDefaultPath() : errorLogPath);
    return text;
}

}  // namespace tz
