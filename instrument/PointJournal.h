#pragma once
// The point journal of one test: the recorded points the database has not yet
// confirmed, one line each, in the order they were recorded, on the local
// disk beside the working directory's database. A point counts as kept only
// once its line has been written and flushed to the disk (fsync), so it
// survives a crash of the program, a kill and a power cut.
//
// File layout (text, UTF-8):
//   # TZ360 point journal<TAB>1<TAB><test id><TAB><database, as shown to the lab>
//   <TEST_ID><TAB><RAMP_NO><TAB><RAMP_STEP_NO><TAB><RESULT_TIME><TAB><RESULT_SAMPLE_TEMP>
//     <TAB><RESULT_PRESS><TAB><RESULT_SHEAR_RATE><TAB><RESULT_SHEAR_STRESS><TAB><RESULT_TYPE_ID>
//     <TAB><RESULT_BATH_TEMP>        (one line per point, TEST_RESULT's fields as stored)
// A last line without its line break is one the power cut tore: it is ignored
// (its point was never counted as kept). A journal is read as hostile input.
//
// While a writer has its journal open it holds an exclusive lock (flock) on
// it, so that a replay by another program (tz360-cli flush-journal, a second
// start of the workstation) leaves a journal of a running test alone.
#include "instrument/PointWriter.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace tz {

// What a journal file holds, as far as it could be read.
struct JournalContents {
    bool valid = false;          // the header line was there and sound
    int testId = 0;
    QString database;            // the database named in the header
    QList<RecordedPoint> points; // complete, sound lines, in file order
    int badLines = 0;            // complete lines that could not be read
    bool tornTail = false;       // a last line without its line break
};

class PointJournal {
public:
    static constexpr const char* kSuffix = ".journal";
    static constexpr int kMaxDatabaseText = 300;

    // The journal of test testId in dir (created when the first point is
    // appended). fileKey names the database in the file name, databaseText
    // names it for people in the header.
    PointJournal(const QString& dir, const QString& fileKey, const QString& databaseText, int testId);
    ~PointJournal();
    PointJournal(const PointJournal&) = delete;
    PointJournal& operator=(const PointJournal&) = delete;

    // Appends the points in order and flushes them to the disk. On failure
    // (no space, no permission, the journal held by a replay) nothing of
    // them stays in the file and error() says why.
    bool append(const QList<RecordedPoint>& points);
    // Replaces the journal's points by these (the ones still unconfirmed);
    // none: the journal is removed. The old content stays until the new one
    // is on the disk.
    bool rewrite(const QList<RecordedPoint>& points);
    // Closes and unlocks the file, leaving it as it is.
    void close();

    QString path() const { return path_; }
    int testId() const { return testId_; }
    QString error() const { return error_; }
    bool exists() const;

    // The file name of a test's journal: <fileKey>-test<id>.journal.
    static QString fileName(const QString& fileKey, int testId);
    static QByteArray headerLine(int testId, const QString& databaseText);
    static QByteArray pointLine(const RecordedPoint& point);
    static JournalContents parse(const QByteArray& bytes);
    static std::optional<RecordedPoint> parsePointLine(const QByteArray& line);

private:
    bool openLocked();

    QString dir_;
    QString path_;
    QString databaseText_;
    int testId_ = 0;
    int fd_ = -1;
    bool checkedLeftover_ = false;
    QString error_;
};

// Opens path and takes its exclusive lock without waiting, making sure the
// locked file is still the one at path (a writer may have removed it). The
// descriptor, or -1 with why: "in use" when another program holds it.
int lockJournalFile(const QString& path, QString* why);
// Flushes a folder's entries (a created, renamed or removed file) to the disk.
void syncFolder(const QString& dir);

}  // namespace tz
