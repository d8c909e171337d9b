// Points the database refused during a run, in the unit window against
// tz360-sim on a pseudo-terminal: they wait through the end of the run, are
// stored by the window's own retries once the database answers again, and
// closing the window while they wait says where the point journal keeps them.
// With TZ360_SCREENSHOTS=<dir> the frame is saved there as a PNG file.
#include "tests/db/TempDatabase.h"
#include "tests/support/DatabaseOutage.h"
#include "tests/support/UnitWindowSteps.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/SimulatedUnitProcess.h"

#include "app/Settings.h"
#include "db/SequenceData.h"
#include "instrument/JournalReplay.h"
#include "instrument/PointJournal.h"
#include "instrument/RunController.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "testinfo/ui/TestInfoDialog.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace tz;
using tz::test::startTest;
using tz::test::writeFile;

class TestRealTimeKeptPoints : public QObject {
    Q_OBJECT
    QString oldDir_;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty())
            QSKIP("TZ360_SIM is not set (run through ctest)");
        qputenv("TZ360_TIME_SCALE", "10");
        oldDir_ = QDir::currentPath();
    }
    // Locked file and stopped server alike.
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }
    void cleanup() { QDir::setCurrent(oldDir_); }

    void keptPointsOutliveTheRun()
    {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeFile("initial.txt", " 1 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n 40 100 170 \r\n");
        writeFile("BOBINFO.TXT", "B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        QProcess* sim = tz::test::startSimulatedUnit(this, db.dir.path(), 1, "20");
        QVERIFY(sim);
        // One hour at room temperature; a point every second tick once the
        // first 10 s are past (recording period 2 s, one sample a point).
        SequenceData s;
        s.name = QStringLiteral("Hold");
        s.sampleInterval = 2;
        s.rampSampleRate = 1;
        s.samplePointsAverage = 1;
        s.steps = {{1, 60, 75, 10, 100, 0}};
        saveSequence(db.connection, s);

        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        QMdiSubWindow* sub = frame.area()->subWindowList().first();
        unit->cfNameSeq_SelectedTestName(QStringLiteral("Hold"));
        startTest(*unit, QStringLiteral("Held points"));
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        RunController* run = unit->controller();
        QVERIFY(run->running());
        const int testId = run->testId();
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() >= 1, 15000);
        QCOMPARE(run->pointsPending(), 0);
        QVERIFY(!unit->retryTimer().isActive());

        auto* points = unit->findChild<QLabel*>("lblPoints");
        tz::test::DatabaseOutage outage(db);
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsPending() >= 2, 15000);
        unit->stopClicked();
        QVERIFY(!run->running());
        const int kept = run->pointsPending();
        QVERIFY(unit->retryTimer().isActive());
        QVERIFY2(points->text().startsWith(QStringLiteral("database unavailable, %1 points waiting: They are written "
                                                          "again as soon as the database answers.")
                                               .arg(kept)),
                 qPrintable(points->text()));

        // They are safe in the point journal meanwhile.
        const QString journalDir = QDir(db.dir.path()).filePath("journal");
        const auto journalPoints = [&] {
            int n = 0;
            for (const QString& name : QDir(journalDir).entryList({"*.journal"}, QDir::Files)) {
                QFile f(QDir(journalDir).filePath(name));
                if (f.open(QIODevice::ReadOnly))
                    n += PointJournal::parse(f.readAll()).points.size();
            }
            return n;
        };
        QCOMPARE(journalPoints(), kept);
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            frame.grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS")).filePath("frmRealTime_kept_points.png"));

        // The database stays away a while: the window keeps trying.
        QTest::qWait(3 * scaledRetryMs());
        QCOMPARE(run->pointsPending(), kept);
        QVERIFY(unit->retryTimer().isActive());

        // It answers again: the window's next try stores them, with no run
        // and no new point to carry them.
        outage.end();
        QTRY_COMPARE_WITH_TIMEOUT(run->pointsPending(), 0, 10000);
        QVERIFY(!unit->retryTimer().isActive());
        QCOMPARE(db.count("TEST_RESULT", QStringLiteral("TEST_ID = %1").arg(testId)), run->pointsRecorded());
        QCOMPARE(points->text(), QStringLiteral("%1 waiting point(s) stored.").arg(kept));
        QFile log(db.dir.filePath("OstraErr.log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString logText = QString::fromLocal8Bit(log.readAll());
        QVERIFY2(logText.contains(
                     QStringLiteral("Recorded points stored again after a database failure: %1. Instrument No. 1").arg(kept)),
                 qPrintable(logText));

        QCOMPARE(journalPoints(), 0);

        // A second test loses the database again and the window is closed
        // while its points wait: nothing is lost, so the window says where
        // they are and closes; the next opening of the database stores them.
        startTest(*unit, QStringLiteral("Held again"));
        QVERIFY(run->running());
        const int secondId = run->testId();
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() >= 1, 15000);
        tz::test::DatabaseOutage again(db);
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsPending() >= 2, 15000);
        unit->stopClicked();
        const int waiting = run->pointsPending();
        const int recorded = run->pointsRecorded();
        prompt.shown.clear();
        sub->close();
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].icon, Prompt::Icon::Information);
        const QString file = QDir(journalDir).filePath(QDir(journalDir).entryList({"*.journal"}, QDir::Files).value(0));
        QCOMPARE(prompt.shown[0].text,
                 QStringLiteral("%1 recorded points of test Held again are not stored yet. %1 points kept in %2; "
                                "they are stored when the database answers (tz360-cli flush-journal)")
                     .arg(waiting)
                     .arg(file));
        QVERIFY(!frame.unitWindow(1));
        QCOMPARE(journalPoints(), waiting);
        again.end();
        // The closed window (and with it the lock on its journal) goes with the next turn of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const ReplayResult replayed = replayJournals(db.connection, journalLocationFor(db.connection));
        QCOMPARE(replayed.recovered, waiting);
        QCOMPARE(db.count("TEST_RESULT", QStringLiteral("TEST_ID = %1").arg(secondId)), recorded);
        QCOMPARE(journalPoints(), 0);
        sim->terminate();
        sim->waitForFinished(3000);
    }

private:
    static int scaledRetryMs() { return frmRealTime::kRetryMs / 10; }
};

QTEST_MAIN(TestRealTimeKeptPoints)
#include "tst_realtime_kept_points.moc"
