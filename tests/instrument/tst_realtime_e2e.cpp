// End to end through the windows: tz360-sim on a pseudo-terminal, the frame
// adds unit 1, the unit window selects, sends and starts a short sequence in
// accelerated time and runs it to its end; TZ360.db holds the points.
// With TZ360_SCREENSHOTS=<dir> the windows are also saved there as PNG files.
#include "tests/support/SimulatedUnitProcess.h"
#include "tests/support/ScriptedPrompt.h"

#include "app/Settings.h"
#include "db/SequenceData.h"
#include "db/clsConnection.h"
#include "instrument/RunController.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "reports/ui/ReportDialogs.h"
#include "testinfo/frmTestRelatedInfo.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tz;

namespace {

constexpr const char* kScale = "20";

void screenshot(QWidget* w, const QString& name) {
    const QString dir = qEnvironmentVariable("TZ360_SCREENSHOTS");
    if (!dir.isEmpty() && w) w->grab().save(QDir(dir).filePath(name + ".png"));
}

SequenceStep step(double minutes, double tempF, bool ramp) {
    SequenceStep s;
    s.rampNo = 1;
    s.elapseTimeMin = minutes;
    s.tempF = tempF;
    s.startErrorF = 10;
    s.shearRate = 100;
    s.runRamp = ramp ? 1 : 0;
    return s;
}

// Fills the test information dialog once it is up and presses OK.
void answerTestInfo(const QString& name) {
    QTimer::singleShot(0, [name] {
        QTRY_VERIFY(qobject_cast<frmTestRelatedInfo*>(QApplication::activeModalWidget()));
        auto* dialog = qobject_cast<frmTestRelatedInfo*>(QApplication::activeModalWidget());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Input Test Information"));
        dialog->findChild<QLineEdit*>("txtTestName")->setText(name);
        dialog->findChild<QLineEdit*>("txtFluidId")->setText(QStringLiteral("HPG 35 ppt"));
        dialog->setAdditiveRows({{"Guar", "35", "ppt", "G-7"}});
        screenshot(dialog, "frmTestRelatedInfo");
        dialog->findChild<QPushButton*>("cmdOK")->click();
    });
}

}  // namespace

class TestRealTimeEndToEnd : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;
    QList<QProcess*> sims_;

    void startSim(int comm, const QStringList& extra) {
        QProcess* sim = tz::test::startSimulatedUnit(this, dir_.path(), comm, kScale, extra);
        QVERIFY(sim);
        sims_ << sim;
    }

private slots:
    void initTestCase() {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        qputenv("TZ360_TIME_SCALE", kScale);
        QVERIFY(dir_.isValid());
        oldDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        QFile settings("initial.txt");
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(" 1 \r\n 2 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n"
                       " 40            100           170 \r\n");
        settings.close();
        QFile bobs("BOBINFO.TXT");
        QVERIFY(bobs.open(QIODevice::WriteOnly));
        bobs.write("B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        bobs.close();
        startSim(1, {});
        startSim(2, {"--pressure", "95"});
    }

    void cleanupTestCase() {
        for (QProcess* sim : sims_) {
            sim->terminate();
            sim->waitForFinished(3000);
        }
        QDir::setCurrent(oldDir_);
    }

    void runsASequenceToItsEnd() {
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        QVERIFY(connection.isOpen());
        // A 30 s hold at the sample's own temperature, then a two-row shear ramp.
        SequenceData s;
        s.name = QStringLiteral("Short");
        s.timeBeforeRead = 3;
        s.rampSampleRate = 1;
        s.samplePointsAverage = 2;
        s.sampleInterval = 5;
        s.steps = {step(0.5, 75, true)};
        s.rampShearRates = {170, 40};
        saveSequence(connection, s);

        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        QTRY_VERIFY_WITH_TIMEOUT(unit->findChild<QLabel*>("lblStatus")->text() == "InActive", 5000);

        unit->selectSequence();
        unit->findChild<QDialog*>("frmNameSeq")->findChild<QPushButton*>("cmdOK")->click();
        QCOMPARE(unit->sequenceName(), QStringLiteral("Short"));
        unit->sendSequence();
        auto* sendPanel = unit->findChild<QLabel*>("SendResult");
        QTRY_COMPARE_WITH_TIMEOUT(sendPanel->text(), QStringLiteral("Sequence Send Success."), 5000);

        answerTestInfo(QStringLiteral("E2E-1"));
        unit->startClicked();
        QVERIFY(unit->controller()->running());
        QVERIFY(!unit->findChild<QPushButton*>("cmdExit")->isEnabled());
        QVERIFY(unit->findChild<QLabel*>("StartTime")->text().startsWith("Start Time: "));
        // The database refuses the first points (as a full disk would): the
        // window says so, the run goes on, and the points go in once it can.
        QSqlQuery fault(connection.ADOConnection());
        QVERIFY(fault.exec("CREATE TRIGGER full_disk BEFORE INSERT ON TEST_RESULT "
                           "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"));
        auto* points = unit->findChild<QLabel*>("lblPoints");
        QTRY_VERIFY_WITH_TIMEOUT(points->text().startsWith("database unavailable, ") && points->text().contains(" points waiting: "), 10000);
        QVERIFY(points->text().contains("disk is full"));
        QVERIFY(unit->controller()->running());
        QVERIFY(fault.exec("DROP TRIGGER full_disk"));
        QTRY_VERIFY_WITH_TIMEOUT(!points->text().contains("points waiting"), 10000);
        screenshot(unit, "frmRealTime");
        QTRY_VERIFY_WITH_TIMEOUT(!unit->controller()->running(), 30000);
        QVERIFY(unit->findChild<QPushButton*>("cmdExit")->isEnabled());
        QCOMPARE(unit->findChild<QLabel*>("ElapsedTime")->text(), QStringLiteral("Elapsed Time: 00:00:41"));

        // Step points every 5 s once the first 10 s are past (samples at 11-12,
        // 16-17, ...); the hold ends at 31 s; each ramp row: set point, three
        // settle ticks, two samples.
        const QStringList expected{"1,0,0,12", "1,0,0,17", "1,0,0,22", "1,0,0,27", "1,1,1,36", "1,2,1,41"};
        QSqlQuery q(connection.ADOConnection());
        QVERIFY(q.exec("SELECT r.RAMP_NO, r.RAMP_STEP_NO, r.RESULT_TYPE_ID, r.RESULT_TIME, i.TEST_NAME "
                       "FROM TEST_RESULT r JOIN TEST_INFO i ON i.TEST_ID = r.TEST_ID ORDER BY r.RESULT_TIME"));
        QStringList keys;
        while (q.next()) {
            QCOMPARE(q.value(4).toString(), QStringLiteral("E2E-1"));
            keys << QStringLiteral("%1,%2,%3,%4").arg(q.value(0).toInt()).arg(q.value(1).toInt())
                        .arg(q.value(2).toInt()).arg(q.value(3).toInt());
        }
        QCOMPARE(keys, expected);
        QVERIFY(q.exec("SELECT ADDITIVE_NM FROM TEST_ADDITIVE"));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), QStringLiteral("Guar"));

        // A double click on the results grid exports the shown test as a
        // spreadsheet: the file the operator names holds the test's name.
        QTemporaryDir exportDir;
        const QString xlsx = exportDir.filePath("E2E-1.xlsx");
        ReportDialogs dialogs;
        dialogs.saveFileName = [&](QWidget*, const QString&, const QString&, const QString&,
                                   const QString&) { return xlsx; };
        dialogs.openFile = [](const QString&) { return false; };
        unit->setReportDialogs(dialogs);
        auto* grid = unit->findChild<QTableWidget*>("MSFlexGrid1");
        QVERIFY(grid);
        emit grid->cellDoubleClicked(0, 0);
        QVERIFY(QFile::exists(xlsx));
        QProcess unzip;
        unzip.start("unzip", {"-p", xlsx, "xl/sharedStrings.xml"});
        QVERIFY(unzip.waitForFinished(10000));
        QVERIFY(unzip.readAllStandardOutput().contains("E2E-1"));

        // A second unit beside it, for the frame's picture.
        frame.regularEntry(2)->trigger();
        QVERIFY(frame.unitWindow(2));
        frame.tileVertically();
        QTest::qWait(300);
        screenshot(&frame, "frmMDIRealTime");
        frame.close();
        QVERIFY(!frame.unitWindow(1) || !frame.unitWindow(1)->portOpen());
    }

    void lowPressureStoresNoTest() {
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        SequenceData s;
        s.name = QStringLiteral("Hot");
        s.steps = {step(1, 210, false), step(1, 211, false)};
        s.steps[1].rampNo = 2;
        saveSequence(connection, s);
        QSqlQuery count(connection.ADOConnection());
        QVERIFY(count.exec("SELECT count(*) FROM TEST_INFO") && count.next());
        const int testsBefore = count.value(0).toInt();

        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(2)->trigger();
        frmRealTime* unit = frame.unitWindow(2);
        QVERIFY(unit && unit->portOpen());
        // The unit's pressure (95 psi) must have been read before the check.
        QTRY_VERIFY_WITH_TIMEOUT(unit->findChild<QLineEdit*>("txtPressure")->text().startsWith("95"), 5000);
        unit->cfNameSeq_SelectedTestName(QStringLiteral("Hot"));

        answerTestInfo(QStringLiteral("Too cold to pressurise"));
        unit->startClicked();
        QCOMPARE(prompt.texts(), QStringList{RunController::kPressureTooLowMessage});
        QVERIFY(!unit->controller()->running());
        QVERIFY(count.exec("SELECT count(*) FROM TEST_INFO") && count.next());
        QCOMPARE(count.value(0).toInt(), testsBefore);  // nothing left behind to block the name
        QFile log("OstraErr.log");  // written by both tests: the outage and the refusal
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QByteArray logged = log.readAll();
        QVERIFY(logged.contains("Pressure is not applied to perform high temperature test.  Instrument No. 2"));
        QVERIFY(logged.contains("Recorded point not stored"));
    }
};

QTEST_MAIN(TestRealTimeEndToEnd)
#include "tst_realtime_e2e.moc"
