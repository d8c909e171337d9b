// The dynamic test window: opened from the frame's "Dynamic Test" menu on the
// unit's port, its toggles against the simulated unit, the port-error message
// and what closing it gives back.
#include "tests/db/TempDatabase.h"
#include "tests/support/ScriptedPrompt.h"

#include "app/Settings.h"
#include "instrument/CommPorts.h"
#include "instrument/frmDynamic.h"
#include "instrument/frmMDIRealTime.h"
#include "sim/SimulatedPort.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tz;

class TestFrmDynamic : public QObject {
    Q_OBJECT
    QString oldDir_;

private slots:
    void init() { oldDir_ = QDir::currentPath(); }
    void cleanup() { QDir::setCurrent(oldDir_); }

    void openedFromTheFrameAndGivenBack()
    {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0);
        QFile settingsFile("initial.txt");
        QVERIFY(settingsFile.open(QIODevice::WriteOnly));
        settingsFile.write(" 0 \r\n 6 \r\n 9 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1 \r\n 1 \r\n 40 100 170 \r\n");
        settingsFile.close();
        QVERIFY(setCommDevice(6, QString::fromLocal8Bit(ptsname(master))));
        QVERIFY(setCommDevice(9, QStringLiteral("/dev/no-such-tz360")));

        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        QVERIFY(!frame.dynamicEntry(1)->isEnabled());
        QVERIFY(frame.dynamicEntry(2)->isEnabled());

        frame.dynamicEntry(2)->trigger();
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        auto* window = frame.findChild<frmDynamic*>();
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Unit 2 Dynamic Test"));
        QVERIFY(window->portOpen());
        QVERIFY(!frame.dynamicEntry(2)->isEnabled());
        QVERIFY(frame.regularEntry(2)->isEnabled());  // the regular window is another matter
        QVERIFY(!frame.area()->subWindowList().first()->isMaximized());
        const QMap<QString, QString> initial{{"txtStrain", "100.0"}, {"txtFreq", "1.0"}, {"txtFreqStart", "1.0"},
                                             {"txtFreqEnd", "1.0"},  {"txtInterval", "5"}, {"txtTempSetPoint", "75"}};
        for (auto it = initial.begin(); it != initial.end(); ++it)
            QCOMPARE(window->findChild<QLineEdit*>(it.key())->text(), it.value());

        // Return closes the window and its port and gives the entry back.
        QPointer<frmDynamic> guard(window);
        window->findChild<QPushButton*>("cmdReturn")->click();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(frame.dynamicEntry(2)->isEnabled());
        QVERIFY(frame.area()->subWindowList().isEmpty());

        // A port that cannot be opened: the frame's Form_Load Error, the window stays.
        frame.dynamicEntry(3)->trigger();
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown.first().title, QStringLiteral("Form_Load Error"));
        ::close(master);
    }

    void togglesDriveTheUnit()
    {
        ScriptedPrompt prompt;
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        frmDynamic window(prompt);
        window.usePort(port);
        window.findChild<QLineEdit*>("txtFreq")->setText("100");
        window.singleToggle()->click();
        QVERIFY(window.singleToggle()->isChecked());
        window.singleToggle()->click();
        QCOMPARE(unit.commands().size(), 2);
        QCOMPARE(unit.commands()[0].bytes, QByteArray("\n25.00,100.00,075"));
        QCOMPARE(unit.commands()[1].bytes, QByteArray("\x0b"));

        // A sweep of one interval ends by itself and lets its toggle go.
        window.findChild<QLineEdit*>("txtInterval")->setText("1");
        window.findChild<QLineEdit*>("txtFreqEnd")->setText("3");
        window.sweepToggle()->click();
        QVERIFY(window.timer().isActive());
        for (int i = 0; i < 9; ++i)
            window.onTimer();
        QVERIFY(!window.timer().isActive());
        QVERIFY(!window.sweepToggle()->isChecked());
        QCOMPARE(unit.dynamicLog().size(), 6);
        QCOMPARE(unit.dynamicLog()[4].frequencyHz, 3.0);
        QVERIFY(prompt.shown.isEmpty());

        // The line fails: the message, and the pressed toggle goes back off.
        port.setConnected(false);
        window.sweepToggle()->click();
        QCOMPARE(prompt.lastText(),
                 QStringLiteral("Commport error.  Please make sure the commport is valid and available."));
        QVERIFY(!window.sweepToggle()->isChecked());
        QVERIFY(!window.timer().isActive());
        window.singleToggle()->click();
        QVERIFY(!window.singleToggle()->isChecked());
        QCOMPARE(prompt.shown.size(), 2);
    }

    // Closing the window while the rotor oscillates stops it first; a
    // window that oscillates nothing sends nothing on closing.
    void closingStopsTheOscillation_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("single frequency") << "single";
        QTest::newRow("sweep") << "sweep";
        QTest::newRow("sweep between points") << "sweep-ticked";
        QTest::newRow("idle") << "idle";
    }
    void closingStopsTheOscillation()
    {
        QFETCH(QString, mode);
        ScriptedPrompt prompt;
        sim::SimulatedUnit unit;
        sim::SimulatedPort port(unit);
        frmDynamic window(prompt);
        window.setUnitNumber(1);
        window.usePort(port);
        window.show();
        if (mode == "single")
            window.singleToggle()->click();
        else if (mode.startsWith("sweep"))
            window.sweepToggle()->click();
        if (mode == "sweep-ticked")
            for (int i = 0; i < 6; ++i)  // past the first point's Stop and on at the second
                window.onTimer();
        const qsizetype before = unit.commands().size();
        port.advance(1.0);
        QCOMPARE(unit.statusCode() == 0, mode == "idle");
        QSignalSpy unloaded(&window, &frmDynamic::unloaded);
        QVERIFY(window.close());
        QCOMPARE(unloaded.size(), 1);
        QVERIFY(!window.timer().isActive());
        port.advance(1.0);
        if (mode == "idle") {
            QCOMPARE(unit.commands().size(), before);
            return;
        }
        QCOMPARE(unit.commands().size(), before + 1);
        QCOMPARE(unit.commands().last().bytes, QByteArray("\x0b"));
        QVERIFY(prompt.shown.isEmpty());
    }

    void fitsAndShows()
    {
        ScriptedPrompt prompt;
        frmDynamic window(prompt);
        window.setUnitNumber(4);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(window.minimumWidth() <= 1280 && window.minimumHeight() <= 800);
        window.resize(window.minimumSize());
        QTest::qWait(50);
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            window.grab().save(qEnvironmentVariable("TZ360_SCREENSHOTS") + "/frmDynamic.png");
    }
};

QTEST_MAIN(TestFrmDynamic)
#include "tst_frm_dynamic.moc"
