// The point journal on real files, and the point writer and replay on a real
// SQLite file: a point the database refuses is on the disk before the writer
// returns, leaves the journal when the database confirms it, and a replay
// stores every journalled point once, in order, whatever the database had
// already. The write-ahead log stays small over a long run.
#include "db/NewTest.h"
#include "db/TempDatabase.h"
#include "instrument/DatabasePointWriter.h"
#include "instrument/JournalReplay.h"
#include "instrument/PointJournal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

#include <unistd.h>

using namespace tz;

namespace {

RecordedPoint point(int testId, double time, int rampNo = 1, int rampStepNo = 0)
{
    RecordedPoint p;
    p.testId = testId;
    p.rampNo = rampNo;
    p.rampStepNo = rampStepNo;
    p.resultType = rampStepNo > 0 ? 1 : 0;
    p.resultTime = time;
    p.sampleTempF = 75.1;
    p.bathTempF = 76.3;
    p.pressurePsi = 412.5;
    p.shearRate = 100.0 + time / 1000;
    p.shearStress = 37.25;
    return p;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList journalFiles(const QString& dir)
{
    return QDir(dir).entryList({"*.journal"}, QDir::Files, QDir::Name);
}

int newTest(TempDatabase& db, const QString& name)
{
    TestInformation info;
    info.testName = name;
    return storeNewTest(db.connection, info, {});
}

// TEST_RESULT of a test as "time,sample F,rate" in stored order.
QStringList storedRows(TempDatabase& db, int testId)
{
    QSqlQuery q(db.connection.ADOConnection());
    q.exec(QStringLiteral("SELECT RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_SHEAR_RATE FROM TEST_RESULT"
                          " WHERE TEST_ID = %1 ORDER BY TEST_RESULT_ID")
               .arg(testId));
    QStringList rows;
    while (q.next())
        rows << QStringLiteral("%1,%2,%3").arg(q.value(0).toDouble()).arg(q.value(1).toDouble()).arg(q.value(2).toDouble());
    return rows;
}

QString row(const RecordedPoint& p)
{
    return QStringLiteral("%1,%2,%3").arg(p.resultTime).arg(p.sampleTempF).arg(p.shearRate);
}

}  // namespace

class TestPointJournal : public QObject {
    Q_OBJECT
private slots:
    // What is read back from a journal a crash, a power cut or a stranger
    // left behind.
    void parse_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("points");
        QTest::addColumn<int>("badLines");
        QTest::addColumn<bool>("tornTail");
        const QByteArray head = "# TZ360 point journal\t1\t7\t/lab/TZ360.db\n";
        const QByteArray good = "7\t1\t0\t12\t75.1\t412.5\t100\t37.25\t0\t76.3\n";
        QTest::newRow("two points") << head + good + good << true << 2 << 0 << false;
        QTest::newRow("power cut in the last line") << head + good + "7\t1\t0\t22\t75" << true << 1 << 0 << true;
        QTest::newRow("header only") << head << true << 0 << 0 << false;
        QTest::newRow("unsound lines")
            << head + good
                   + "7\t1\t0\t12\t75.1\t412.5\t100\t37.25\t0\n"        // nine fields
                   + "7\t1\t0\tnan\t75.1\t412.5\t100\t37.25\t0\t76.3\n"  // not a number
                   + "8\t1\t0\t22\t75.1\t412.5\t100\t37.25\t0\t76.3\n"   // another test's point
                   + "7\t1\t0\t32\t75.1\t412.5\t100\t37.25\t2\t76.3\n"   // no such type
                   + "7\t1\t0\t42\t 75.1\t412.5\t100\t37.25\t0\t76.3\n"  // padded
                   + QByteArray(12, '\0') + "\n"                         // zeros a power cut left
            << true << 1 << 6 << false;
        QTest::newRow("no header") << good << false << 0 << 0 << false;
        QTest::newRow("other version") << QByteArray("# TZ360 point journal\t2\t7\tx\n") + good << false << 0 << 0 << false;
        QTest::newRow("test id not a number") << QByteArray("# TZ360 point journal\t1\tseven\tx\n") + good << false << 0 << 0
                                              << false;
        QTest::newRow("empty") << QByteArray() << false << 0 << 0 << false;
    }

    void parse()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        QFETCH(int, points);
        QFETCH(int, badLines);
        QFETCH(bool, tornTail);
        const JournalContents c = PointJournal::parse(bytes);
        QCOMPARE(c.valid, valid);
        if (!c.valid)
            return;
        QCOMPARE(c.points.size(), points);
        QCOMPARE(c.badLines, badLines);
        QCOMPARE(c.tornTail, tornTail);
        QCOMPARE(c.testId, 7);
        if (!c.points.isEmpty()) {
            QCOMPARE(c.points[0].resultTime, 12.0);
            QCOMPARE(c.points[0].pressurePsi, 412.5);
            QCOMPARE(c.points[0].bathTempF, 76.3);
        }
    }

    // A line gives back exactly the numbers that went in.
    void lineKeepsEveryDigit()
    {
        RecordedPoint p = point(3, 1234, 2, 4);
        p.sampleTempF = 0.1 + 0.2;
        p.shearStress = 1.0 / 3.0;
        p.pressurePsi = 1e-7;
        const std::optional<RecordedPoint> back = PointJournal::parsePointLine(PointJournal::pointLine(p).chopped(1));
        QVERIFY(back);
        QCOMPARE(back->sampleTempF, p.sampleTempF);
        QCOMPARE(back->shearStress, p.shearStress);
        QCOMPARE(back->pressurePsi, p.pressurePsi);
        QCOMPARE(back->rampStepNo, 4);
        QCOMPARE(back->resultType, 1);
    }

    // Appended, trimmed to what is unconfirmed, removed when nothing is
    // left; held against a replay while open; an earlier program's journal
    // of the same name is moved aside, never mixed in.
    void appendRewriteRemove()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("journal");
        const QString old = QDir(folder).filePath(PointJournal::fileName("TZ360", 5));
        QVERIFY(QDir().mkpath(folder));
        {
            QFile f(old);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(PointJournal::headerLine(5, "old") + PointJournal::pointLine(point(5, 2)));
        }
        PointJournal journal(folder, "TZ360", "/lab/TZ360.db", 5);
        QVERIFY2(journal.append({point(5, 12), point(5, 22)}), qPrintable(journal.error()));
        QCOMPARE(journal.path(), old);
        QStringList files = journalFiles(folder);
        QCOMPARE(files.size(), 2);
        files.removeAll(QFileInfo(old).fileName());
        QCOMPARE(PointJournal::parse(readFile(QDir(folder).filePath(files.first()))).points[0].resultTime, 2.0);

        JournalContents c = PointJournal::parse(readFile(journal.path()));
        QVERIFY(c.valid);
        QCOMPARE(c.database, QString("/lab/TZ360.db"));
        QCOMPARE(c.points.size(), 2);
        QCOMPARE(c.points[1].resultTime, 22.0);

        QString why;
        QCOMPARE(lockJournalFile(journal.path(), &why), -1);
        QCOMPARE(why, QString("in use by a running test"));

        QVERIFY(journal.rewrite({point(5, 22)}));
        c = PointJournal::parse(readFile(journal.path()));
        QCOMPARE(c.points.size(), 1);
        QCOMPARE(c.points[0].resultTime, 22.0);
        QCOMPARE(lockJournalFile(journal.path(), &why), -1);  // still held after the rewrite

        QVERIFY(journal.append({point(5, 32)}));
        QCOMPARE(PointJournal::parse(readFile(journal.path())).points.size(), 2);
        QVERIFY(journal.rewrite({}));
        QVERIFY(!QFile::exists(old));

        // Closed with points in it: the file stays, free for a replay.
        QVERIFY(journal.append({point(5, 42)}));
        journal.close();
        const int fd = lockJournalFile(old, &why);
        QVERIFY2(fd >= 0, qPrintable(why));
        ::close(fd);
    }

    // While the database answers, a point passes through the journal and
    // leaves nothing behind.
    void confirmedPointsLeaveNoJournal()
    {
        TZ360_USE_BACKEND("sqlite");
        TempDatabase db;
        const int id = newTest(db, "clean");
        DatabasePointWriter writer(db.connection);
        QCOMPARE(writer.journalLocation().dir, db.dir.filePath("journal"));
        for (int t : {12, 22, 32})
            QVERIFY(writer.write(point(id, t)));
        QCOMPARE(writer.backlog(), 0);
        QVERIFY(journalFiles(db.dir.filePath("journal")).isEmpty());
        QCOMPARE(storedRows(db, id), (QStringList{row(point(id, 12)), row(point(id, 22)), row(point(id, 32))}));
    }

    // The database refuses every point (a full disk, a colleague's lock):
    // the points are in the journal before write() returns, and survive the
    // writer. The replay stores them in order, skips the one the database
    // had after all, removes the journal, and a second replay stores nothing.
    void refusedPointsReplayedOnceInOrder()
    {
        TZ360_USE_BACKEND("sqlite");
        TempDatabase db;
        const int id = newTest(db, "outage");
        const QString folder = db.dir.filePath("journal");
        db.refuse("INSERT", "TEST_RESULT", "1 = 1", "database or disk is full");
        {
            DatabasePointWriter writer(db.connection);
            for (int t : {12, 22, 32})
                QVERIFY(!writer.write(point(id, t)));
            QCOMPARE(writer.backlog(), 3);
            QCOMPARE(writer.kept(), 3);
            QCOMPARE(writer.journalPaths(), QStringList{QDir(folder).filePath(QString("TZ360-test%1.journal").arg(id))});
            QCOMPARE(writer.keptText(),
                     QString("3 points kept in %1; they are stored when the database answers (tz360-cli flush-journal)")
                         .arg(QDir::toNativeSeparators(writer.journalPaths().first())));
            const JournalContents c = PointJournal::parse(readFile(writer.journalPaths().first()));
            QCOMPARE(c.points.size(), 3);
            QCOMPARE(c.points[2].resultTime, 32.0);
        }
        QCOMPARE(journalFiles(folder).size(), 1);
        db.sql("DROP TRIGGER refuse_insert_test_result");
        // The point of second 22 reached the database, but its answer did not.
        const RecordedPoint p22 = point(id, 22);
        db.sql("INSERT INTO TEST_RESULT (TEST_ID, RAMP_NO, RAMP_STEP_NO, RESULT_TIME, RESULT_SAMPLE_TEMP, RESULT_PRESS,"
               " RESULT_SHEAR_RATE, RESULT_SHEAR_STRESS, RESULT_TYPE_ID, RESULT_BATH_TEMP) VALUES (?,?,?,?,?,?,?,?,?,?)",
               {id, 1.0, 0.0, 22.0, p22.sampleTempF, p22.pressurePsi, p22.shearRate, p22.shearStress, 0.0, p22.bathTempF});

        const JournalLocation where = journalLocationFor(db.connection);
        ReplayResult r = replayJournals(db.connection, where);
        QCOMPARE(r.recovered, 2);
        QCOMPARE(r.alreadyStored, 1);
        QVERIFY(r.waiting.isEmpty());
        QVERIFY(journalFiles(folder).isEmpty());
        QCOMPARE(storedRows(db, id), (QStringList{row(p22), row(point(id, 12)), row(point(id, 32))}));
        QCOMPARE(recoveredText(r, where), QString("2 recorded points recovered from the point journal (%1)")
                                              .arg(QDir::toNativeSeparators(folder)));

        r = replayJournals(db.connection, where);
        QCOMPARE(r.recovered + r.alreadyStored, 0);
        QCOMPARE(storedRows(db, id).size(), 3);
    }

    // The database answers again during the run: the waiting points go in
    // ahead of the new one and the journal goes.
    void recoveryEmptiesTheJournal()
    {
        TZ360_USE_BACKEND("sqlite");
        TempDatabase db;
        const int id = newTest(db, "short outage");
        DatabasePointWriter writer(db.connection);
        db.refuse("INSERT", "TEST_RESULT", "NEW.RESULT_TIME < 30", "locked");
        QVERIFY(!writer.write(point(id, 12)));
        QVERIFY(!writer.write(point(id, 22)));
        QCOMPARE(journalFiles(db.dir.filePath("journal")).size(), 1);
        db.sql("DROP TRIGGER refuse_insert_test_result");
        QVERIFY(writer.write(point(id, 32)));
        QCOMPARE(writer.backlog(), 0);
        QVERIFY(writer.keptText().isEmpty());
        QVERIFY(journalFiles(db.dir.filePath("journal")).isEmpty());
        QCOMPARE(storedRows(db, id), (QStringList{row(point(id, 12)), row(point(id, 22)), row(point(id, 32))}));
    }

    // What a replay leaves, and why: a test this database does not have,
    // another database's journal, a journal a running test still writes.
    void replayLeavesWhatItCannotStore()
    {
        TZ360_USE_BACKEND("sqlite");
        TempDatabase db;
        const int id = newTest(db, "kept");
        const QString folder = db.dir.filePath("journal");
        {
            PointJournal missing(folder, "TZ360", "x", 999);
            QVERIFY(missing.append({point(999, 12)}));
            PointJournal other(folder, "server-0123456789", "postgresql:///lab", id);
            QVERIFY(other.append({point(id, 12), point(id, 22)}));
        }
        PointJournal running(folder, "TZ360", "x", id);
        QVERIFY(running.append({point(id, 42)}));

        const ReplayResult r = replayJournals(db.connection, journalLocationFor(db.connection));
        QCOMPARE(r.recovered, 0);
        QCOMPARE(r.waiting.size(), 3);
        QStringList whys;
        for (const auto& w : r.waiting)
            whys << QFileInfo(w.path).fileName() + ": " + w.why;
        whys.sort();
        QCOMPARE(whys, (QStringList{QString("TZ360-test%1.journal: in use by a running test").arg(id),
                                    QString("TZ360-test999.journal: test id 999 is not in %1").arg(db.connection.description()),
                                    QString("server-0123456789-test%1.journal: belongs to another database (postgresql:///lab)").arg(id)}));
        QCOMPARE(r.pointsWaiting(), 1 + 2);  // the running one is not read
        QCOMPARE(journalFiles(folder).size(), 3);
    }

    // A run of 1,000 points leaves a write-ahead log of at most the size
    // limit, where SQLite alone lets it grow to its 1000-page (4 MB) mark.
    void writeAheadLogStaysSmall()
    {
        TZ360_USE_BACKEND("sqlite");
        TempDatabase db;
        const int id = newTest(db, "long");
        DatabasePointWriter writer(db.connection);
        const QString wal = db.connection.fileName() + "-wal";
        qint64 largest = 0;
        for (int i = 0; i < 1000; ++i) {
            // Steps of 100 points, as a long sequence has them.
            QVERIFY(writer.write(point(id, 12 + 10 * i, 1 + i / 100)));
            largest = std::max(largest, QFileInfo(wal).size());
        }
        QCOMPARE(storedRows(db, id).size(), 1000);
        QVERIFY2(largest <= DatabasePointWriter::kWalLimitBytes, qPrintable(QString::number(largest)));
    }
};

QTEST_GUILESS_MAIN(TestPointJournal)
#include "tst_point_journal.moc"
