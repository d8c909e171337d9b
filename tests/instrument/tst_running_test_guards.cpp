// A test that a unit window records against tz360-sim is guarded: it cannot
// be deleted from Open Saved Test (on the lab server: not without a question
// while it may be recording on another workstation), Zero and Preheat wait
// for the end of the run, and an over-temperature stop, at Start or mid-run,
// is said in the window and logged. Windows opened after a unit-system change
// keep the unit system held in memory.
// With TZ360_SCREENSHOTS=<dir> the unit window during a run is saved there.
#include "tests/analysis/StoredTests.h"
#include "tests/db/TempDatabase.h"
#include "tests/support/DatabaseOutage.h"
#include "tests/support/UnitWindowSteps.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/SimulatedUnitProcess.h"

#include "app/Settings.h"
#include "app/SettingsFile.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "instrument/RunController.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "setup/frmSetup.h"
#include "testinfo/frmOpenTest.h"
#include "testinfo/ui/TestInfoDialog.h"

#include <QAbstractAxis>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tz;
using tz::test::startTest;
using tz::test::writeFile;
Q_DECLARE_METATYPE(tz::RunController::StopReason)

namespace {

// Unit 1 on Comm 1, unit system `unitSystem`, bob B5 everywhere.
void writeWorkingFiles(int unitSystem) {
    writeFile("initial.txt", " 1 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n " +
                                 QByteArray::number(unitSystem) + " \r\n 1 \r\n 40 100 170 \r\n");
    writeFile("BOBINFO.TXT", "B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
}

// A one-step sequence: a point every second tick once the first 10 s are past.
void saveHold(clsConnection& connection, const QString& name, double tempF) {
    SequenceData s;
    s.name = name;
    s.sampleInterval = 2;
    s.rampSampleRate = 1;
    s.samplePointsAverage = 1;
    s.steps = {{1, 60, tempF, 10, 100, 0}};
    saveSequence(connection, s);
}

// Runs `act` on the next modal dialog as soon as it is shown.
void onNextModal(std::function<void(QWidget*)> act) {
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

template <typename T>
T* topLevel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(w)) return found;
    return nullptr;
}

// Open Saved Test > Delete of `name` in the main window, then Cancel.
void deleteThroughMainWindow(frmMain& main, const QString& name) {
    onNextModal([name](QWidget* d) {
        d->findChild<QLineEdit*>("txtSeqName")->setText(name);
        d->findChild<QPushButton*>("cmdDelete")->click();
        d->findChild<QPushButton*>("cmdCancel")->click();
    });
    main.findChild<QPushButton*>("cmdOpen")->click();
}

int storedTests(TempDatabase& db, const QString& name) {
    return db.sql("SELECT count(*) FROM TEST_INFO WHERE TEST_NAME = ?", {name}).value(0).toInt();
}

int orphanedPoints(TempDatabase& db) {
    return db.sql("SELECT count(*) FROM TEST_RESULT R WHERE NOT EXISTS "
                  "(SELECT 1 FROM TEST_INFO I WHERE I.TEST_ID = R.TEST_ID)")
        .value(0)
        .toInt();
}

QString errorLog() {
    QFile f("OstraErr.log");
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()) : QString();
}

const QString kAreYouSure = QStringLiteral("Are you sure to delete this test?");

}  // namespace

class TestRunningTestGuards : public QObject {
    Q_OBJECT
    QString oldDir_;

private slots:
    void initTestCase() {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        qputenv("TZ360_TIME_SCALE", "10");
        oldDir_ = QDir::currentPath();
    }
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() { TZ360_USE_BACKEND_ROW(); }
    void cleanup() { QDir::setCurrent(oldDir_); }

    // The main window's Open Saved Test refuses the test its own unit records;
    // on the lab server a test that grew within two minutes goes only when
    // the operator confirms.
    void aRecordingTestIsNotDeleted() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeWorkingFiles(1);
        QVERIFY(tz::test::startSimulatedUnit(this, db.dir.path(), 1, "20"));
        saveHold(db.connection, "Hold", 75);

        Workstation ws;
        ScriptedPrompt prompt;
        frmMain main(ws, prompt);
        main.load();
        main.show();
        main.findChild<QPushButton*>("cmdRealTime")->click();
        auto* frame = topLevel<frmMDIRealTime>();
        QVERIFY(frame);
        frame->regularEntry(1)->trigger();
        frmRealTime* unit = frame->unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        unit->cfNameSeq_SelectedTestName("Hold");
        startTest(*unit, "Recorded gel");
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        RunController* run = unit->controller();
        QVERIFY(run->running());
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() >= 1, 15000);

        deleteThroughMainWindow(main, "Recorded gel");
        QCOMPARE(prompt.texts(), QStringList{"The test \"Recorded gel\" is being recorded by Unit 1. "
                                             "Stop it on that unit before deleting it."});
        QCOMPARE(storedTests(db, "Recorded gel"), 1);
        // The run goes on, its next points under a stored test.
        const int before = run->pointsRecorded();
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() >= before + 2, 15000);
        QVERIFY(run->running());
        QCOMPARE(orphanedPoints(db), 0);

        if (db.onServer()) {
            // Another workstation of the lab, where no unit records it.
            ScriptedPrompt elsewhere;
            frmOpenTest other(db.connection, elsewhere);
            elsewhere.answers = {true, false};
            other.setTestName("Recorded gel");
            other.deleteTest();
            QCOMPARE(elsewhere.texts(),
                     (QStringList{kAreYouSure, "The test \"Recorded gel\" received data less than two minutes "
                                               "ago: another workstation may still be recording it. Delete it "
                                               "anyway?"}));
            QCOMPARE(elsewhere.shown[1].buttons, Prompt::Buttons::YesNoDefaultNo);
            QCOMPARE(storedTests(db, "Recorded gel"), 1);

            // A test that last grew a month ago (start plus its last point's
            // 610 test seconds) and one just started without points yet.
            fixture::storeTest(db.connection, "Last month", fixture::powerLawPoints(1, 0.5, 10), {}, 1.5987,
                               QDateTime::currentDateTime().addDays(-30));
            fixture::storeTest(db.connection, "Just started", {}, {}, 1.5987,
                               QDateTime::currentDateTime().addSecs(-30));
            elsewhere.shown.clear();
            elsewhere.answers = {true};
            other.setTestName("Last month");
            other.deleteTest();
            QCOMPARE(elsewhere.texts(), QStringList{kAreYouSure});
            QCOMPARE(storedTests(db, "Last month"), 0);
            elsewhere.shown.clear();
            elsewhere.answers = {true, false};
            other.setTestName("Just started");
            other.deleteTest();
            QCOMPARE(elsewhere.shown.size(), 2);
            QCOMPARE(storedTests(db, "Just started"), 1);
        }

        // Stopped and every point stored: this workstation may delete it
        // (on the server after confirming, as it has only just grown).
        unit->stopClicked();
        QVERIFY(!run->running());
        QTRY_COMPARE_WITH_TIMEOUT(run->pointsPending(), 0, 10000);
        prompt.shown.clear();
        prompt.answers = {true, true};
        deleteThroughMainWindow(main, "Recorded gel");
        QCOMPARE(prompt.shown.size(), db.onServer() ? 2 : 1);
        QCOMPARE(prompt.shown[0].text, kAreYouSure);
        QCOMPARE(storedTests(db, "Recorded gel"), 0);
        QCOMPARE(orphanedPoints(db), 0);
        frame->close();
    }

    // Points the database refused stay with the unit after the run and go
    // in under the test's id once it answers: until then the test stays.
    void aTestWithWaitingPointsIsNotDeleted() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeWorkingFiles(1);
        QVERIFY(tz::test::startSimulatedUnit(this, db.dir.path(), 1, "20"));
        saveHold(db.connection, "Hold", 75);
        Settings settings;
        ScriptedPrompt prompt;
        RunningTests running;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.setRunningTests(&running);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        unit->cfNameSeq_SelectedTestName("Hold");
        startTest(*unit, "Held gel");
        RunController* run = unit->controller();
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() >= 1, 15000);
        {
            tz::test::DatabaseOutage outage(db);
            QTRY_VERIFY_WITH_TIMEOUT(run->pointsPending() >= 1, 15000);
            unit->stopClicked();
        }
        // The database answers again; the unit has not written its points yet.
        QVERIFY(run->pointsPending() >= 1);
        ScriptedPrompt asked;
        frmOpenTest open(db.connection, asked);
        open.setRunningTests(&running);
        open.setTestName("Held gel");
        open.deleteTest();
        QCOMPARE(asked.texts(), QStringList{"Unit 1 still holds recorded points of the test \"Held gel\" that "
                                            "wait for the database. Delete the test once they are stored or "
                                            "the unit window is closed."});
        QCOMPARE(storedTests(db, "Held gel"), 1);

        QTRY_COMPARE_WITH_TIMEOUT(run->pointsPending(), 0, 15000);
        QVERIFY(running.all().isEmpty());
        asked.shown.clear();
        asked.answers = {true, true};
        open.deleteTest();
        QCOMPARE(asked.shown.first().text, kAreYouSure);
        QCOMPARE(storedTests(db, "Held gel"), 0);
        QCOMPARE(orphanedPoints(db), 0);
        frame.close();
    }

    // Zero and Preheat would stop the rotor mid-run: greyed out with the
    // reason, and the run keeps its shear rate.
    void zeroAndPreheatWaitForTheRun() {
        if (tz::test::onServer()) QSKIP("the unit's buttons do not touch the database");
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeWorkingFiles(1);
        QVERIFY(tz::test::startSimulatedUnit(this, db.dir.path(), 1, "20"));
        saveHold(db.connection, "Hold", 75);
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        auto* zero = unit->findChild<QPushButton*>("cmdZero");
        auto* preheat = unit->findChild<QPushButton*>("cmdPreheat");
        QVERIFY(zero->isEnabled() && preheat->isEnabled());

        unit->cfNameSeq_SelectedTestName("Hold");
        startTest(*unit, "Steady gel");
        RunController* run = unit->controller();
        QVERIFY(run->running());
        for (QPushButton* b : {zero, preheat}) {
            QVERIFY(!b->isEnabled());
            QCOMPARE(b->toolTip(), QStringLiteral("Not while a test runs: the unit would stop the rotor and "
                                                  "leave the sequence. Stop the test first."));
        }
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() >= 1, 15000);
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty()) {
            QTest::qWait(300);
            frame.grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS")).filePath("frmRealTime_run_guarded.png"));
        }

        // Neither a click nor the button's signal reaches the unit.
        QSignalSpy points(run, &RunController::pointRecorded);
        unit->findChild<QLineEdit*>("txtPreheat")->setText("300");
        QTest::mouseClick(preheat, Qt::LeftButton);
        QTest::mouseClick(zero, Qt::LeftButton);
        emit preheat->clicked();
        emit zero->clicked();
        QTRY_VERIFY_WITH_TIMEOUT(points.count() >= 4, 20000);
        for (const QList<QVariant>& p : points) {
            const auto point = p[0].value<RecordedPoint>();
            QVERIFY2(point.shearRate > 90, qPrintable(QString::number(point.shearRate)));
        }
        QVERIFY(run->running());

        unit->stopClicked();
        for (QPushButton* b : {zero, preheat}) {
            QVERIFY(b->isEnabled());
            QVERIFY(b->toolTip().isEmpty());
        }
        QVERIFY(prompt.shown.isEmpty());
        frame.close();
    }

    // A unit that reads above 451 F refuses Start before anything is stored.
    void overTemperatureAtStart() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeWorkingFiles(1);
        QVERIFY(tz::test::startSimulatedUnit(this, db.dir.path(), 1, "20", {"--over-temperature"}));
        saveHold(db.connection, "Hold", 75);
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        unit->cfNameSeq_SelectedTestName("Hold");
        QTRY_COMPARE_WITH_TIMEOUT(unit->findChild<QLineEdit*>("txtSampleTemp")->text().trimmed(),
                                  QStringLiteral("455"), 5000);

        startTest(*unit, "Too hot");
        QCOMPARE(prompt.texts(), QStringList{"The unit reads a temperature above 451 F. "
                                             "The test cannot start until it has cooled."});
        QVERIFY(!unit->controller()->running());
        QCOMPARE(storedTests(db, "Too hot"), 0);
        QVERIFY(unit->findChild<QPushButton*>("cmdExit")->isEnabled());
        frame.close();
    }

    // Heating past 451 F mid-run stops the unit: the window says so and the
    // error log keeps the cause, as for the viscosity shut-down.
    void overTemperatureMidRun() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeWorkingFiles(1);
        // Fast enough for the bath to pass 451 F within seconds.
        QVERIFY(tz::test::startSimulatedUnit(this, db.dir.path(), 1, "100", {"--pressure", "600"}));
        saveHold(db.connection, "Hot hold", 470);
        Settings settings;
        ScriptedPrompt prompt;
        RunningTests running;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.setRunningTests(&running);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        unit->cfNameSeq_SelectedTestName("Hot hold");
        QTRY_VERIFY_WITH_TIMEOUT(!unit->findChild<QLineEdit*>("txtPressure")->text().isEmpty(), 5000);
        startTest(*unit, "Overheated");
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        RunController* run = unit->controller();
        QVERIFY(run->running());
        QCOMPARE(running.all().size(), 1);
        auto* cause = unit->findChild<QLabel*>("StopCause");
        QVERIFY(cause->isHidden());

        QSignalSpy ended(run, &RunController::runEnded);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 90000);
        QCOMPARE(ended[0][0].value<RunController::StopReason>(), RunController::StopReason::OverTemperature);
        QVERIFY(cause->isVisible());
        QVERIFY2(QRegularExpression("^Stopped \\d\\d:\\d\\d: over-temperature$").match(cause->text()).hasMatch(),
                 qPrintable(cause->text()));
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            frame.grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS")).filePath("frmRealTime_over_temperature.png"));
        QVERIFY(unit->findChild<QPushButton*>("cmdExit")->isEnabled());
        const QString log = errorLog();
        QCOMPARE(log.count(QStringLiteral(" Shut down due to sample or bath temperature above 451 F. "
                                          "Instrument No. 1")),
                 1);
        QTRY_COMPARE_WITH_TIMEOUT(run->pointsPending(), 0, 10000);
        QVERIFY(running.all().isEmpty());
        // The unit still reads hot while idle: nothing more is logged.
        QTest::qWait(500);
        QCOMPARE(errorLog(), log);
        frame.close();
    }

    // The setup window's unit system, chosen but not saved, survives opening
    // the real-time frame: the unit window's grid, the opened test's chart and
    // the setup window opened again all use it.
    void windowsKeepTheUnitSystemInMemory() {
        if (tz::test::onServer()) QSKIP("the unit system does not touch the database");
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeWorkingFiles(1);
        QVERIFY(tz::test::startSimulatedUnit(this, db.dir.path(), 1, "20"));
        fixture::storeTest(db.connection, "Gel 250F", fixture::powerLawPoints(1, 0.5, 10));

        Workstation ws;
        ScriptedPrompt prompt;
        frmMain main(ws, prompt);
        main.load();
        main.show();
        QCOMPARE(ws.settings.unitSystem, 1);

        main.findChild<QPushButton*>("cmdSetup")->click();
        auto* setup = topLevel<frmSetup>();
        QVERIFY(setup);
        setup->findChild<QRadioButton*>("OptEI")->click();
        QPointer<frmSetup> closed = setup;
        setup->close();
        QTRY_VERIFY(!closed);
        QCOMPARE(ws.settings.unitSystem, 2);

        main.findChild<QPushButton*>("cmdRealTime")->click();
        auto* frame = topLevel<frmMDIRealTime>();
        QVERIFY(frame);
        QCOMPARE(ws.settings.unitSystem, 2);
        frame->regularEntry(1)->trigger();
        frmRealTime* unit = frame->unitWindow(1);
        QVERIFY(unit);
        auto* grid = unit->findChild<QTableWidget*>("MSFlexGrid1");
        QCOMPARE(grid->horizontalHeaderItem(7)->text(), QStringLiteral("K'\nlbf-s^n/ft2"));
        QCOMPARE(grid->horizontalHeaderItem(2)->text(), QStringLiteral("Temp\n(F°)"));
        frame->close();

        // The opened test: temperatures in °C on the chart, as in EI.
        onNextModal([](QWidget* d) {
            d->findChild<QLineEdit*>("txtSeqName")->setText("Gel 250F");
            d->findChild<QPushButton*>("cmdOK")->click();
            if (d->isVisible()) d->findChild<QPushButton*>("cmdCancel")->click();
        });
        main.findChild<QPushButton*>("cmdOpen")->click();
        QCOMPARE(main.openedTestName(), QStringLiteral("Gel 250F"));
        QStringList titles;
        for (QAbstractAxis* axis : main.findChild<QChartView*>("Pesgo1")->chart()->axes())
            titles << axis->titleText();
        QVERIFY2(titles.contains(QStringLiteral("Temperature (°C)")), qPrintable(titles.join(" | ")));

        // The setup window opened again shows the choice, not the file's CGS.
        main.findChild<QPushButton*>("cmdSetup")->click();
        setup = topLevel<frmSetup>();
        QVERIFY(setup);
        QVERIFY(setup->findChild<QRadioButton*>("OptEI")->isChecked());
        QCOMPARE(ws.settings.unitSystem, 2);
        setup->close();
    }
};

QTEST_MAIN(TestRunningTestGuards)
#include "tst_running_test_guards.moc"
