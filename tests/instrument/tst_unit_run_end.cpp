// The end of a test in a unit window's status line: when and why it ended
// (end of sequence, viscosity shut-down, Stop), whole even in a unit window
// tiled at half the width of a 1280 x 800 frame; and the result of the
// sequence download does not carry over into the run after it.
// With TZ360_SCREENSHOTS=<dir> the frame after each run is saved there.
#include "tests/db/TempDatabase.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/UnitWindowSteps.h"
#include "tests/support/SimulatedUnitProcess.h"

#include "app/Settings.h"
#include "db/SequenceData.h"
#include "instrument/RunController.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "testinfo/ui/TestInfoDialog.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tz;
using tz::test::startTest;
using tz::test::writeFile;

class TestUnitRunEnd : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    QString oldDir_;
    QProcess* sim_ = nullptr;
    QProcess* second_ = nullptr;
    int run_ = 0;

private slots:
    void initTestCase()
    {
        if (qEnvironmentVariable("TZ360_SIM").isEmpty()) QSKIP("TZ360_SIM is not set (run through ctest)");
        qputenv("TZ360_TIME_SCALE", "20");
        oldDir_ = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir_.path()));
        writeFile("initial.txt", " 1 \r\n 2 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n 40 100 170 \r\n");
        writeFile("BOBINFO.TXT", "B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        sim_ = test::startSimulatedUnit(this, dir_.path(), 1, "20", {"--pressure", "600"});
        second_ = test::startSimulatedUnit(this, dir_.path(), 2, "20", {"--pressure", "600"});
        QVERIFY(sim_ && second_);
    }

    void cleanupTestCase()
    {
        for (QProcess* sim : {sim_, second_})
            if (sim) {
                sim->terminate();
                sim->waitForFinished(3000);
            }
        QDir::setCurrent(oldDir_);
    }

    void statusLineSaysHowTheRunEnded_data()
    {
        QTest::addColumn<double>("shutDownVisc");  // cP, 0 = never
        QTest::addColumn<bool>("pressStop");
        QTest::addColumn<QString>("ending");      // %1: the time, hh:mm
        QTest::addColumn<bool>("alarm");          // shown in red
        QTest::newRow("end of sequence") << 0.0 << false << "Ended %1: end of sequence" << false;
        // No fluid is this thick: the first averages are below it.
        QTest::newRow("viscosity shut-down") << 1e9 << false << "Stopped %1: viscosity shut-down" << true;
        QTest::newRow("stopped by the operator") << 0.0 << true << "Stopped %1 by the operator" << false;
    }

    void statusLineSaysHowTheRunEnded()
    {
        QFETCH(double, shutDownVisc);
        QFETCH(bool, pressStop);
        QFETCH(QString, ending);
        QFETCH(bool, alarm);
        clsConnection connection;
        connection.OpenDB(QString(), QString(), QString(), QString());
        const QString sequence = QStringLiteral("Short %1").arg(++run_);
        SequenceData s;
        s.name = sequence;
        s.rampSampleRate = 1;
        s.samplePointsAverage = 1;
        s.sampleInterval = 2;
        s.shutDownATime = 0.05;  // three seconds of points
        s.shutDownVisc = shutDownVisc;
        // A 20 s hold near the sample's own temperature.
        s.steps = {{1, pressStop ? 60 : 0.34, 75, 30, 100, 0}};
        saveSequence(connection, s);

        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, connection, prompt);
        frame.load();
        frame.resize(1240, 740);
        frame.show();
        frame.regularEntry(1)->trigger();
        frame.regularEntry(2)->trigger();
        frame.tileVertically();
        frmRealTime* unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        auto* sendPanel = unit->findChild<QLabel*>("SendResult");
        auto* cause = unit->findChild<QLabel*>("StopCause");

        unit->cfNameSeq_SelectedTestName(sequence);
        unit->sendSequence();
        QTRY_COMPARE_WITH_TIMEOUT(sendPanel->text(), RunController::kSendSuccessText, 5000);
        QTRY_VERIFY_WITH_TIMEOUT(!unit->findChild<QLineEdit*>("txtPressure")->text().isEmpty(), 5000);
        startTest(*unit, QStringLiteral("Run end %1").arg(run_));
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        RunController* run = unit->controller();
        QVERIFY(run->running());
        // The download belonged to the time before the run.
        QVERIFY(sendPanel->text().isEmpty());
        QVERIFY(cause->isHidden());

        QSignalSpy ended(run, &RunController::runEnded);
        if (pressStop) {
            QTRY_VERIFY_WITH_TIMEOUT(run->pointsRecorded() > 0, 20000);
            unit->findChild<QPushButton*>("cmdStop")->click();
        }
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 60000);
        const QRegularExpression expected(
            "^" + ending.arg(QStringLiteral("(\\d\\d):(\\d\\d)")) + "$");
        const QRegularExpressionMatch m = expected.match(cause->text());
        QVERIFY2(m.hasMatch(), qPrintable(cause->text()));
        const QTime at(m.captured(1).toInt(), m.captured(2).toInt());
        QVERIFY(std::abs(at.secsTo(QTime::currentTime())) < 120);
        QVERIFY(!cause->toolTip().isEmpty());
        QCOMPARE(cause->styleSheet().contains("#b00000"), alarm);
        // Whole, in a unit window half the frame wide.
        QTest::qWait(100);
        QVERIFY(cause->isVisible());
        QVERIFY2(cause->width() >= cause->sizeHint().width(), qPrintable(QString::number(cause->width())));
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            frame.grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS"))
                                  .filePath(QStringLiteral("run_end_%1.png").arg(run_)));

        // The next run starts without the last one's ending.
        startTest(*unit, QStringLiteral("Run end %1b").arg(run_));
        QVERIFY(run->running());
        QVERIFY(cause->isHidden());
        unit->stopClicked();
        QTRY_VERIFY_WITH_TIMEOUT(run->pointsPending() == 0, 10000);
        frame.close();
    }
};

QTEST_MAIN(TestUnitRunEnd)
#include "tst_unit_run_end.moc"
