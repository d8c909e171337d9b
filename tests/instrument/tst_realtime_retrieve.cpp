// The unit window's "Retrieve Last Result" against tz360-sim on a
// pseudo-terminal, and the live chart and grid the window keeps: the stored
// run lands in TZ360.db and in the grid as the saved-test analysis shows it;
// a silent unit gives the message and stores nothing.
// With TZ360_SCREENSHOTS=<dir> the unit window is saved there as a PNG file.
#include "tests/support/SimulatedUnitProcess.h"
#include "tests/support/ScriptedPrompt.h"

#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "app/Settings.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"
#include "instrument/LiveRampAnalysis.h"
#include "instrument/RunController.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "instrument/ui/LiveTestDisplay.h"
#include "sim/SimulatedUnit.h"
#include "testinfo/frmTestRelatedInfo.h"

#include <QAction>
#include <QApplication>
#include <QChartView>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tz;

namespace {

// radius, when given, replaces the radius the bob number brings.
void answerTestInfo(const QString& name, const QString& bob, const QString& radius = {})
{
    QTimer::singleShot(0, [name, bob, radius] {
        QTRY_VERIFY(qobject_cast<frmTestRelatedInfo*>(QApplication::activeModalWidget()));
        auto* dialog = qobject_cast<frmTestRelatedInfo*>(QApplication::activeModalWidget());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Input Test Information"));
        dialog->findChild<QLineEdit*>("txtTestName")->setText(name);
        dialog->setBobNo(bob);
        if (!radius.isEmpty())
            dialog->findChild<QLineEdit*>("txtBobRadius")->setText(radius);
        dialog->setAdditiveRows({{"Guar", "35", "ppt", "G-7"}});
        dialog->findChild<QPushButton*>("cmdOK")->click();
    });
}

QStringList gridRows(const QTableWidget* grid)
{
    QStringList rows;
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        rows << cells.join('|');
    }
    return rows;
}

QStringList tableRows(const ResultsTable& t)
{
    QStringList rows;
    for (const QStringList& r : t.rows) rows << r.join('|');
    return rows;
}

int count(clsConnection& c, const QString& sql)
{
    QSqlQuery q(c.ADOConnection());
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

}  // namespace

class TestRealTimeRetrieve : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;
    QList<QProcess*> sims_;

    void startSim(int comm, const QStringList& extra)
    {
        QProcess* sim = tz::test::startSimulatedUnit(this, dir_.path(), comm, "20", extra);
        QVERIFY(sim);
        sims_ << sim;
    }

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        qputenv("TZ360_TIME_SCALE", "10");
        QVERIFY(dir_.isValid());
        oldDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        QFile settings("initial.txt");
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(" 1 \r\n 2 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 2 \r\n 1 \r\n 40 100 170 \r\n");
        settings.close();
        QFile bobs("BOBINFO.TXT");
        QVERIFY(bobs.open(QIODevice::WriteOnly));
        bobs.write("B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        bobs.close();
        startSim(1, {});
        startSim(2, {"--silent"});
    }

    void cleanupTestCase()
    {
        for (QProcess* sim : sims_) {
            sim->terminate();
            sim->waitForFinished(3000);
        }
        QDir::setCurrent(oldDir_);
    }

    void retrievesIntoTheDatabaseAndTheGrid()
    {
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        QVERIFY(connection.isOpen());
        Settings settings;
        settings.unitSystem = 2;  // as the start-up read of initial.txt leaves it
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frame.regularEntry(2)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        frmRealTime* silent = frame.unitWindow(2);
        QVERIFY(unit && unit->portOpen() && silent && silent->portOpen());
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QCOMPARE(unit->liveDisplay()->unitSystem(), 2);

        sim::Options quiet;
        quiet.noise = false;
        const int held = sim::SimulatedUnit(quiet).storedRecords().size();

        answerTestInfo(QStringLiteral("From memory"), QStringLiteral("B2"));
        unit->retrieveClicked();
        QVERIFY(!unit->timer().isActive());  // no poll while the unit sends
        auto* points = unit->findChild<QLabel*>("lblPoints");
        QTRY_VERIFY_WITH_TIMEOUT(points->text().startsWith("Last result retrieved"), 15000);
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QVERIFY(unit->timer().isActive());
        QCOMPARE(points->text(),
                 QStringLiteral("Last result retrieved: %1 point(s) stored in test \"From memory\".").arg(held));

        const std::optional<OpenedTest> saved = loadTestByName(connection, "From memory");
        QVERIFY(saved);
        QCOMPARE(int(saved->points.size()), held);
        QCOMPARE(saved->additives.size(), 1);
        const Settings live = LiveRampAnalysis::liveSettings(2);
        const ResultsTable expected = buildResultsTable(saved->analyse(live), live);
        QVERIFY(!expected.rows.isEmpty());
        auto* grid = unit->findChild<QTableWidget*>("MSFlexGrid1");
        QCOMPARE(gridRows(grid), tableRows(expected));
        QCOMPARE(grid->horizontalHeaderItem(5)->text(), QStringLiteral("Kv \nlbf-s^n/ft2"));
        auto* chart = qobject_cast<QChartView*>(unit->liveDisplay()->chartView())->chart();
        QCOMPARE(static_cast<QLineSeries*>(chart->series().first())->count(), held);
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            unit->grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS")).filePath("frmRealTime_retrieved.png"));

        // A unit that says nothing: the message, nothing stored, polling again.
        answerTestInfo(QStringLiteral("Nothing"), QStringLiteral("B5"));
        silent->retrieveClicked();
        QTRY_COMPARE_WITH_TIMEOUT(prompt.shown.size(), 1, 15000);
        QCOMPARE(prompt.shown.first().text, QStringLiteral("No response from TZ360, please check connection."));
        QCOMPARE(prompt.shown.first().title, QStringLiteral("Communication Error"));
        QCOMPARE(count(connection, "SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = 'Nothing'"), 0);
        QVERIFY(silent->timer().isActive());
    }

    // Retrieving on one unit while another unit's window is open in the
    // frame: the retrieving window stays in front throughout.
    void retrievingWindowStaysInFront()
    {
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, connection, prompt);
        frame.load();
        frame.show();
        // Unit 2's window opened first: it comes first when the frame looks
        // for a place for the focus.
        frame.regularEntry(2)->trigger();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && frame.unitWindow(2));
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QMdiSubWindow* sub = nullptr;
        for (QMdiSubWindow* s : frame.area()->subWindowList())
            if (s->widget() == unit)
                sub = s;
        QVERIFY(sub);
        frame.area()->setActiveSubWindow(sub);
        auto* retrieve = unit->findChild<QPushButton*>("cmdRetrieve");
        retrieve->setFocus();
        QTRY_COMPARE(frame.area()->activeSubWindow(), sub);

        answerTestInfo(QStringLiteral("In front"), QStringLiteral("B5"));
        QTest::mouseClick(retrieve, Qt::LeftButton);
        QVERIFY(!retrieve->isEnabled());  // the unit sends its records
        // The desktop hands the frame its activation back only after the
        // dialog has gone, as a window manager does.
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        frame.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frame));
        QCOMPARE(frame.area()->activeSubWindow(), sub);
        auto* points = unit->findChild<QLabel*>("lblPoints");
        QTRY_VERIFY_WITH_TIMEOUT(points->text().startsWith("Last result retrieved"), 15000);
        QCOMPARE(frame.area()->activeSubWindow(), sub);
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
    }

    // A bob that cannot hang in the rotor is refused as Start refuses it:
    // the same message, nothing asked of the unit, nothing stored, polling on.
    void refusedBobStoresNothing()
    {
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        SequenceData hold;
        hold.name = QStringLiteral("Bob check");
        hold.steps = {{1, 60, 75, 10, 100, 0}};
        saveSequence(connection, hold);
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        unit->cfNameSeq_SelectedTestName(hold.name);

        for (const QString& radius : {QStringLiteral("0"), QStringLiteral("1.9")}) {
            prompt.shown.clear();
            answerTestInfo(QStringLiteral("Bad bob"), QStringLiteral("B5"), radius);
            unit->startClicked();
            QCOMPARE(prompt.shown.size(), 1);
            const QString startMessage = prompt.lastText();
            QVERIFY2(startMessage.startsWith(QStringLiteral("A bob of radius %1 cm").arg(radius)),
                     qPrintable(startMessage));

            answerTestInfo(QStringLiteral("Bad bob"), QStringLiteral("B5"), radius);
            unit->retrieveClicked();
            QCOMPARE(prompt.texts(), (QStringList{startMessage, startMessage}));
            QVERIFY(unit->timer().isActive());
            QVERIFY(unit->findChild<QPushButton*>("cmdRetrieve")->isEnabled());
            QVERIFY(!unit->findChild<QLabel*>("lblPoints")->text().startsWith("Retrieving"));
            QCOMPARE(count(connection, "SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = 'Bad bob'"), 0);
        }
        QTest::qWait(300);
        QCOMPARE(count(connection, "SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = 'Bad bob'"), 0);
    }

    // Every recorded point of a run reaches the grid and the chart.
    void runPointsReachTheLiveGrid()
    {
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.InitialInst(connection);
        Settings settings;
        settings.unitSystem = 2;
        unit.setSettings(&settings);
        QSqlQuery q(connection.ADOConnection());
        QVERIFY(q.exec("INSERT INTO TEST_INFO (TEST_NAME, BOB_RADIUS) VALUES ('live run', 1.2276)"));
        const int id = q.lastInsertId().toInt();
        emit unit.controller()->runStarted(id, QDateTime::currentDateTime());
        std::vector<ResultPoint> rows;
        for (int i = 0; i < 8; ++i) {
            const double rate = 40.0 + 30 * i;
            const RecordedPoint p{id, 1 + i / 4, i % 4 + 1, 10.0 * i, 150, 500, rate, 3 * std::pow(rate, 0.6), 1, 151};
            emit unit.controller()->pointRecorded(p, true);
            rows.push_back(LiveRampAnalysis::resultPoint(p));
        }
        const Settings live = LiveRampAnalysis::liveSettings(2);
        QCOMPARE(gridRows(unit.findChild<QTableWidget*>("MSFlexGrid1")),
                 tableRows(buildResultsTable(analyseRamps(rows, 1.2276, live), live)));
        QCOMPARE(static_cast<QLineSeries*>(qobject_cast<QChartView*>(unit.liveDisplay()->chartView())->chart()->series().first())->count(), 8);

        // While that test runs, Retrieve is refused: the retrieved test would
        // take over the window's test id and the running test's next points.
        SequenceData sequence;
        SequenceStep hold;
        hold.rampNo = 1;
        hold.elapseTimeMin = 60;
        hold.tempF = 75;
        sequence.steps = {hold};
        unit.controller()->setSequence(sequence);
        QCOMPARE(unit.controller()->start([id] { return std::optional<int>(id); }),
                 RunController::StartResult::Started);
        unit.retrieveClicked();
        QCOMPARE(prompt.shown.size(), 1);
        QVERIFY(prompt.lastText().startsWith("A test is running on this unit."));
        QVERIFY(!QApplication::activeModalWidget());
        unit.controller()->stop();
    }
};

QTEST_MAIN(TestRealTimeRetrieve)
#include "tst_realtime_retrieve.moc"
