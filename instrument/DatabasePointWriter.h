#pragma once
// Stores each recorded point as its own committed TEST_RESULT row, so a point
// is on disk before the next tick. Before it goes to the database, a point is
// appended to its test's point journal (instrument/PointJournal.h) and leaves
// it once the database has confirmed it: a locked, full or vanished database
// does not lose points, and neither does a crash, a kill or a power cut while
// they wait. Waiting points go in ahead of the next point, in order, and a
// point whose answer was lost is not stored twice.
//
// When even the journal cannot be written (a full disk), the points wait in
// memory, in order, and go to the database, else the journal, as soon as
// there is room again.
//
// On the embedded file the writer also keeps the write-ahead log small
// (checkpoints at each new step, every kCheckpointEvery points and at the
// end of a run, with a size limit), and it watches the free space of the
// working directory's disk.
#include "db/clsTEST_RESULT.h"
#include "instrument/JournalReplay.h"
#include "instrument/PointJournal.h"
#include "instrument/PointWriter.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QStringList>

#include <map>
#include <memory>

class clsConnection;

namespace tz {

class DatabasePointWriter : public QObject, public PointWriter {
    Q_OBJECT
public:
    static constexpr qint64 kLowDiskBytes = 50LL * 1024 * 1024;
    static constexpr int kCheckpointEvery = 20;
    static constexpr qint64 kWalLimitBytes = 1024 * 1024;
    // How often the free space is looked at while points keep coming.
    static constexpr int kDiskCheckMs = 5000;

    explicit DatabasePointWriter(clsConnection& connection, QObject* parent = nullptr);
    ~DatabasePointWriter() override;

    bool write(const RecordedPoint& point) override;
    bool retry() override;
    int backlog() const override { return static_cast<int>(waiting_.size()); }
    QString lastError() const override { return lastError_; }
    // The points still waiting, oldest first.
    QList<RecordedPoint> pending() const;
    // How many of them are safe in a journal on the disk (the rest are held in memory).
    int kept() const;
    // The journals holding waiting points.
    QStringList journalPaths() const;
    // Why the journal could not be written (empty while it can).
    QString journalError() const { return journalError_; }
    // "N points kept in FILE; they are stored when the database answers
    // (tz360-cli flush-journal)", empty when nothing waits.
    QString keptText() const;

    // Where the journals go (default: beside the database; see JournalReplay.h).
    void setJournalLocation(const JournalLocation& where) { where_ = where; }
    const JournalLocation& journalLocation() const { return where_; }
    // OstraErr.log of the working directory unless set.
    void setErrorLogPath(const QString& path) { errorLogPath_ = path; }

    // Moves what the embedded file's write-ahead log holds into the file, so
    // the log does not grow without bound over a long test. Nothing on a server.
    void checkpoint();

signals:
    // "Disk space low: N MB free on FOLDER", once while the space stays low.
    void diskSpaceLow(const QString& message);

private:
    struct Waiting {
        RecordedPoint point;
        qint64 number = 0;       // counts the writer's points from 1 (test hooks)
        bool journaled = false;  // its line is on the disk
        bool tried = false;      // a store failed: the database may have it anyway
    };

    void journalWaiting();
    bool storeWaiting();
    void trimJournals();
    bool storeOne(const RecordedPoint& point);
    void afterStored(const RecordedPoint& point);
    void watchDisk(bool now);
    void logOnce(const QString& message);
    PointJournal& journalFor(int testId);
    void testHook(const char* spot, qint64 number) const;

    clsConnection& connection_;
    clsTEST_RESULT record_;
    JournalLocation where_;
    QString errorLogPath_;
    QList<Waiting> waiting_;
    std::map<int, std::unique_ptr<PointJournal>> journals_;
    std::map<int, int> inJournal_;  // test id -> points of this writer in its journal
    QString lastError_;
    QString journalError_;
    qint64 written_ = 0;
    // Write-ahead log
    quint64 limitedGeneration_ = 0;
    int sinceCheckpoint_ = 0;
    int lastRampNo_ = -1, lastRampStepNo_ = -1;
    // Free space
    QElapsedTimer lastDiskCheck_;
    bool diskLowWarned_ = false;
    // TZ360_JOURNAL_ABORT=after-append:N / after-commit:N (tests)
    QByteArray hookSpot_;
    qint64 hookNumber_ = 0;
};

}  // namespace tz
