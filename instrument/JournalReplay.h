#pragma once
// Points left in point journals (a run that ended, was killed or lost its
// power while the database was away) go into the database at the next
// opening: by the workstation at start, by every tz360-cli command that opens
// the database, and by tz360-cli flush-journal. Each journal's points are
// stored in order, and a point the database already has (its commit went
// through but the answer was lost) is not stored again. A journal whose
// points are all in the database is removed.
#include <QList>
#include <QString>

class clsConnection;

namespace tz {

// Where the journals of a database lie and how they are named.
struct JournalLocation {
    QString dir;           // journal/ beside TZ360.db, or in the working directory for a server
    QString fileKey;       // the database's part of the file names
    QString databaseText;  // the database as the lab sees it (no password)
};
JournalLocation journalLocationFor(const clsConnection& connection);

struct ReplayResult {
    int recovered = 0;      // points stored now
    int alreadyStored = 0;  // points the database had already
    int journalsEmptied = 0;
    // A journal still holding points, and why.
    struct Waiting {
        QString path;
        int testId = 0;
        int points = 0;
        QString why;
    };
    QList<Waiting> waiting;
    int pointsWaiting() const;
};

// Replays every journal of this database in where.dir (oldest test first).
// Journals of other databases there are listed as waiting, untouched.
ReplayResult replayJournals(clsConnection& connection, const JournalLocation& where);

// "N recorded points recovered from the point journal (FOLDER)" or empty
// when nothing was stored; for the status bar, stderr and the error log.
QString recoveredText(const ReplayResult& result, const JournalLocation& where);

// Replays at the opening of the database (workstation start, tz360-cli):
// the recovered line goes to the error log and is returned (empty when none).
QString replayAtOpening(clsConnection& connection, const QString& errorLogPath = QString());

}  // namespace tz
