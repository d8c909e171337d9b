// The multi-unit frame and the unit window without an instrument: menus from
// initial.txt, the port of each unit, its bob, closing a unit window, and the
// unit window's own refusals.
#include "tests/db/TempDatabase.h"
#include "tests/support/ScriptedPrompt.h"

#include "app/Settings.h"
#include "app/Workstation.h"
#include "app/ui/frmMain.h"
#include "db/SequenceData.h"
#include "instrument/CommPorts.h"
#include "instrument/UnitLink.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "testinfo/ui/TestInfoDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tz;

namespace {

void writeFile(const QString& name, const QByteArray& text) {
    QFile f(name);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

// initial.txt with these ports for units 1 to 8 and unit system 3.
void writeSettings(const QList<int>& ports) {
    QByteArray text;
    for (int p : ports) text += " " + QByteArray::number(p) + " \r\n";
    text += " 3 \r\n 1 \r\n 40            100           170 \r\n";
    writeFile("initial.txt", text);
}

// A pseudo-terminal that stands for a unit that never answers.
struct QuietLine {
    int master = -1;
    QString device;
    QuietLine() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0)
            device = QString::fromLocal8Bit(ptsname(master));
    }
    ~QuietLine() {
        if (master >= 0) ::close(master);
    }
};

}  // namespace

class TestRealTimeWindows : public QObject {
    Q_OBJECT
    QString oldDir_;

private slots:
    // The unit windows record into the embedded file and into the lab server.
    void initTestCase_data() { tz::test::addBackendRows(); }
    void init() {
        oldDir_ = QDir::currentPath();
        TZ360_USE_BACKEND_ROW();
    }
    void cleanup() { QDir::setCurrent(oldDir_); }

    void menusFollowTheSettingsFile() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeSettings({1, 2, 0, 4, 0, 0, 0, 7});
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        QCOMPARE(frame.windowTitle(), QStringLiteral("TZ360 Real Time Test & Monitoring"));
        const bool expected[] = {true, true, false, true, false, false, false, true};
        for (int n = 1; n <= 8; ++n) {
            QCOMPARE(frame.regularEntry(n)->isEnabled(), expected[n - 1]);
            QCOMPARE(frame.regularEntry(n)->text(), QStringLiteral("Add TZ360 Unit %1").arg(n));
            QCOMPARE(frame.dynamicEntry(n)->isEnabled(), expected[n - 1]);
        }
        QCOMPARE(settings.unitSystem, 3);

        // No settings file at all: no unit is installed.
        QFile::remove("initial.txt");
        frame.load();
        for (int n = 1; n <= 8; ++n) QVERIFY(!frame.regularEntry(n)->isEnabled());
    }

    void portThatCannotBeOpened() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        writeSettings({0, 2, 0, 0, 0, 0, 0, 0});
        QVERIFY(setCommDevice(2, db.dir.filePath("no-such-tty")));
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(2)->trigger();

        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].title, QStringLiteral("Form_Load Error"));
        QVERIFY(prompt.shown[0].text.contains("no-such-tty"));
        QVERIFY(prompt.shown[0].text.contains(" - "));
        // The window stays, without a port; the frame and the program go on.
        frmRealTime* unit = frame.unitWindow(2);
        QVERIFY(unit);
        QVERIFY(!unit->portOpen());
        QVERIFY(frame.isVisible());
        QVERIFY(!frame.regularEntry(2)->isEnabled());
        QCOMPARE(unit->windowTitle(), QStringLiteral("Unit 2 Real Time Test"));
        QCOMPARE(unit->findChild<QLabel*>("lblUnit")->text(), QStringLiteral("Unit 2"));
        // Polls to a closed port go nowhere: ten ticks without a frame show it.
        unit->timer().stop();
        for (int i = 0; i < 10; ++i) unit->controller()->tick();
        QCOMPARE(unit->findChild<QLabel*>("lblStatus")->text(), QStringLiteral("No Response"));
    }

    void unitOnItsPortWithItsBob() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        QuietLine line;
        QVERIFY(!line.device.isEmpty());
        writeSettings({0, 5, 0, 0, 0, 0, 0, 0});
        QVERIFY(setCommDevice(5, line.device));
        writeFile("BOBINFO.TXT", "B5\r\nB1\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(2)->trigger();
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        frmRealTime* unit = frame.unitWindow(2);
        QVERIFY(unit);
        QVERIFY(unit->portOpen());
        QCOMPARE(unit->link().device(), line.device);
        QCOMPARE(unit->mlBobStr(), QStringLiteral("B1"));
        QVERIFY(unit->timer().isActive());
        QVERIFY(frame.area()->subWindowList().first()->isMaximized());

        // Closing the unit window (here by its Exit button) closes the port
        // and gives the menu entry back.
        QPointer<frmRealTime> guard(unit);
        unit->findChild<QPushButton*>("cmdExit")->click();
        QTRY_VERIFY(!guard);
        QVERIFY(frame.regularEntry(2)->isEnabled());
        QVERIFY(!frame.unitWindow(2));
        QVERIFY(frame.area()->subWindowList().isEmpty());

        // And again by the window frame.
        frame.regularEntry(2)->trigger();
        QVERIFY(frame.unitWindow(2));
        QVERIFY(!frame.regularEntry(2)->isEnabled());
        frame.area()->subWindowList().first()->close();
        QVERIFY(frame.regularEntry(2)->isEnabled());
        QVERIFY(!frame.unitWindow(2));

        // A bob file too short for unit 2: the window stays with its open port.
        writeFile("BOBINFO.TXT", "B5\r\n");
        frame.regularEntry(2)->trigger();
        QCOMPARE(prompt.shown.size(), 1);
        QCOMPARE(prompt.shown[0].title, QStringLiteral("Form_Load Error"));
        QVERIFY(frame.unitWindow(2)->portOpen());
    }

    void unitWindowRefusals() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(4);
        unit.InitialInst(db.connection);
        unit.show();
        // Without a sequence: Send says so, Start does nothing.
        unit.sendSequence();
        QCOMPARE(prompt.texts(), QStringList{"Please select a valid sequence first."});
        unit.startClicked();
        QCOMPARE(prompt.shown.size(), 1);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QCOMPARE(db.count("TEST_INFO"), 0);
        QCOMPARE(unit.findChild<QLabel*>("lblStatus")->text(), QStringLiteral("INACTIVE"));

        // Leaving the set point box asks the confirmation.
        auto* setPoint = unit.findChild<QWidget*>("txtSetPoint");
        unit.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&unit));
        QTest::mouseClick(setPoint, Qt::LeftButton);
        QVERIFY(setPoint->hasFocus());
        QTest::keyClicks(setPoint, "300");
        unit.findChild<QWidget*>("txtPreheat")->setFocus();
        QTRY_COMPARE(prompt.shown.size(), 2);
        // No command sets the temperature alone: the box shows the unit's own
        // set point again (none read yet here).
        QCOMPARE(qobject_cast<QLineEdit*>(setPoint)->text(), QString());
        QCOMPARE(prompt.shown[1].text, QStringLiteral("Do you reall want to change the temperature setpoint? "));
        QCOMPARE(prompt.shown[1].title, QStringLiteral("Change Confirmation."));
    }

    void keyboardAndMinimumSize() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(1);
        unit.InitialInst(db.connection);
        unit.show();
        unit.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&unit));

        // Tab goes round the controls once, past the grid, never into the
        // set point box (which asks a question when left).
        auto* first = unit.findChild<QWidget*>("cmdSelectSeq");
        first->setFocus();
        QStringList visited;
        QWidget* w = first;
        for (int i = 0; i < 20; ++i) {
            visited << w->objectName();
            QTest::keyClick(w, Qt::Key_Tab);
            w = QApplication::focusWidget();
            if (w == first) break;
        }
        const QStringList expected{"cmdSelectSeq", "cmdSendSeq", "cmdRefresh", "cmdStart", "cmdStop",
                                   "cmdZero", "cmdPreheat", "txtPreheat", "cmdRetrieve", "chkSelfZero", "cmdExit",
                                   "MSFlexGrid1"};
        QCOMPARE(visited, expected);
        QVERIFY(prompt.shown.isEmpty());

        // At its minimum size no two controls overlap and every button shows
        // its whole caption; the size fits a 1280 x 800 screen.
        unit.resize(unit.minimumSize());
        QVERIFY(unit.minimumWidth() <= 1280 && unit.minimumHeight() <= 800);
        QTest::qWait(50);
        const QList<QWidget*> parts =
            unit.findChild<QWidget*>("clientArea")->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (int i = 0; i < parts.size(); ++i)
            for (int j = i + 1; j < parts.size(); ++j)
                QVERIFY2(!parts[i]->geometry().intersects(parts[j]->geometry()),
                         qPrintable(parts[i]->objectName() + " / " + parts[j]->objectName()));
        for (QAbstractButton* b : unit.findChildren<QAbstractButton*>())
            QVERIFY2(b->width() >= b->minimumSizeHint().width(), qPrintable(b->objectName()));

        Settings settings;
        frmMDIRealTime frame(settings, db.connection, prompt);
        QVERIFY(frame.width() <= 1280 && frame.height() <= 800);
    }

    void mainWindowOpensOneFrame() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        writeSettings({1, 0, 0, 0, 0, 0, 0, 0});
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain main(ws, prompt);
        main.load();
        auto* button = main.findChild<QPushButton*>("cmdRealTime");
        QVERIFY(button->isEnabled());
        QVERIFY(main.findChild<QAction*>("MenuRealTime")->isEnabled());
        button->click();
        auto frames = [] {
            QList<frmMDIRealTime*> found;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* f = qobject_cast<frmMDIRealTime*>(w); f && f->isVisible()) found << f;
            return found;
        };
        QCOMPARE(frames().size(), 1);
        QVERIFY(frames()[0]->regularEntry(1)->isEnabled());
        main.findChild<QAction*>("MenuRealTime")->trigger();
        QCOMPARE(frames().size(), 1);  // the same frame comes to the front
        frames()[0]->close();
        QTRY_COMPARE(frames().size(), 0);
        QDir::setCurrent(oldDir_);
    }

    void startStoresTheTestOnce() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        SequenceData s;
        s.name = QStringLiteral("Cool");
        s.steps = {{1, 10, 100, 5, 100, 0}};
        saveSequence(db.connection, s);
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(3);
        unit.InitialInst(db.connection);
        unit.setMlBobStr(QStringLiteral("b4"));
        unit.show();
        unit.cfNameSeq_SelectedTestName(QStringLiteral("Cool"));

        // Another unit stores a test of the same name while this dialog is open.
        auto answer = [&db](const QString& name, bool otherUnitFirst) {
            QTimer::singleShot(0, [&db, name, otherUnitFirst] {
                auto* dialog = qobject_cast<TestInfoDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog);
                QCOMPARE(dialog->windowTitle(), QStringLiteral("Input Test Information"));
                QCOMPARE(dialog->fields().bobNo, QStringLiteral("b4"));  // the unit's bob
                QCOMPARE(dialog->fields().bobRadius, QStringLiteral("0.8622"));
                dialog->findChild<QLineEdit*>("txtTestName")->setText(name);
                if (otherUnitFirst) db.sql("INSERT INTO TEST_INFO (TEST_NAME) VALUES (?)", {name});
                dialog->findChild<QPushButton*>("cmdOK")->click();
            });
        };
        answer(QStringLiteral("Gel-5"), true);
        unit.startClicked();
        QCOMPARE(prompt.texts(), QStringList{"Duplicate test name. Please input unique test name."});
        QVERIFY(!unit.controller()->running());
        QCOMPARE(db.count("TEST_INFO"), 1);

        answer(QStringLiteral("Gel-6"), false);
        unit.startClicked();
        QCOMPARE(prompt.shown.size(), 1);
        QVERIFY(unit.controller()->running());
        QCOMPARE(db.count("TEST_INFO", "TEST_NAME = 'Gel-6' AND BOB_RADIUS = 0.8622"), 1);
        QCOMPARE(unit.controller()->testId(),
                 db.sql("SELECT TEST_ID FROM TEST_INFO WHERE TEST_NAME = 'Gel-6'").value(0).toInt());
        QCOMPARE(unit.findChild<QLabel*>("lblTestName")->text(), QStringLiteral("Test: Gel-6"));
        QVERIFY(!unit.findChild<QPushButton*>("cmdExit")->isEnabled());
        QVERIFY(unit.findChild<QLabel*>("StartTime")->text().startsWith("Start Time: "));

        // Start again while running: nothing happens, no dialog.
        unit.startClicked();
        QCOMPARE(db.count("TEST_INFO"), 2);
        unit.stopClicked();
        QVERIFY(!unit.controller()->running());
        QVERIFY(unit.findChild<QPushButton*>("cmdExit")->isEnabled());
    }

    void sequenceSelection() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        SequenceData s;
        s.steps = {{1, 1, 100, 5, 100, 0}};
        for (const char* name : {"Zeta", "Alpha"}) {
            s.name = QString::fromLatin1(name);
            saveSequence(db.connection, s);
        }
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(1);
        unit.InitialInst(db.connection);
        unit.show();
        unit.selectSequence();
        auto* names = unit.findChild<QDialog*>("frmNameSeq");
        QVERIFY(names && names->isVisible());
        QVERIFY(!names->isModal());
        names->findChild<QPushButton*>("cmdOK")->click();  // the first name, in name order
        QVERIFY(!names->isVisible());
        QCOMPARE(unit.sequenceName(), QStringLiteral("Alpha"));
        QVERIFY(unit.controller()->sequence().has_value());
        QCOMPARE(unit.controller()->sequence()->name, QStringLiteral("Alpha"));
        // An empty choice keeps the sequence.
        unit.cfNameSeq_SelectedTestName(QString());
        QCOMPARE(unit.sequenceName(), QStringLiteral("Alpha"));
    }
};

QTEST_MAIN(TestRealTimeWindows)
#include "tst_realtime_windows.moc"
