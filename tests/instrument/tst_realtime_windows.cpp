// The multi-unit frame and the unit window without an instrument: menus from
// initial.txt, the port of each unit, its bob, closing a unit window (and
// what closing it, the frame or the main window does to a running test), and
// the unit window's own refusals.
// With TZ360_SCREENSHOTS=<dir> the close question and a unit window with a
// failing tick are saved there as PNG files.
#include "tests/db/TempDatabase.h"
#include "tests/support/ScriptedPrompt.h"
#include "tests/support/UnitWindowSteps.h"

#include "app/Settings.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "app/ui/Prompt.h"
#include "db/NewTest.h"
#include "db/SequenceData.h"
#include "instrument/CommPorts.h"
#include "instrument/ProtocolCodec.h"
#include "instrument/UnitLink.h"
#include "instrument/frmDynamic.h"
#include "instrument/frmMDIRealTime.h"
#include "instrument/frmRealTime.h"
#include "testinfo/ui/TestInfoDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

using namespace tz;
using tz::test::startTest;
using tz::test::writeFile;
Q_DECLARE_METATYPE(tz::RunController::StopReason)

namespace {

// initial.txt with these ports for units 1 to 8 and unit system 3.
void writeSettings(const QList<int>& ports) {
    QByteArray text;
    for (int p : ports) text += " " + QByteArray::number(p) + " \r\n";
    text += " 3 \r\n 1 \r\n 40            100           170 \r\n";
    writeFile("initial.txt", text);
}

// initial.txt with Unit 1 on comm, comports.txt naming device for it, and B5
// for every unit in BOBINFO.TXT: a workstation with one unit on the bench.
bool benchWithUnitOne(int comm, const QString& device) {
    QList<int> ports(8, 0);
    ports[0] = comm;
    writeSettings(ports);
    writeFile("BOBINFO.TXT", "B5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\nB5\r\n");
    return setCommDevice(comm, device);
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
    // Everything the workstation sent since the last call.
    QByteArray sent() {
        QTest::qWait(50);
        QByteArray got;
        pollfd p{master, POLLIN, 0};
        char buf[512];
        while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.append(buf, n);
        }
        return got;
    }
};

// A one-hour hold at room temperature, selected in the unit window.
void selectHold(clsConnection& connection, frmRealTime& unit) {
    SequenceData s;
    s.name = QStringLiteral("Hold");
    s.steps = {{1, 60, 75, 10, 100, 0}};
    saveSequence(connection, s);
    unit.cfNameSeq_SelectedTestName(s.name);
}

// "Start" with the test information dialog answered.
// A test stored without the dialog, for runs started on the controller.
std::optional<int> storeNamedTest(clsConnection& connection, const QString& name) {
    TestInformation info;
    info.testName = name;
    return storeNewTest(connection, info, {});
}

const QString kRunningOnUnit1 = QStringLiteral("A test is running on unit 1. Stop it and close?");

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
        // The unit system stays the one held in memory (the setup window may
        // have chosen one the file does not hold yet).
        QCOMPARE(settings.unitSystem, 0);

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
        const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
        QVERIFY(frame.width() <= screen.width() && frame.height() <= screen.height());
        QVERIFY(frame.width() >= screen.width() - 40 && frame.height() >= screen.height() - 60);
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

    // A unit window closed during a test, by its title bar or with the frame:
    // the question first; No keeps the unit, the run and the frame as they
    // were, Yes stops the unit as "Stop" does and then closes.
    void closingDuringATest() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        QuietLine line;
        QVERIFY(!line.device.isEmpty());
        QVERIFY(benchWithUnitOne(1, line.device));
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        QPointer<frmRealTime> unit = frame.unitWindow(1);
        QVERIFY(unit && unit->portOpen());
        QMdiSubWindow* sub = frame.area()->subWindowList().first();
        selectHold(db.connection, *unit);
        startTest(*unit, QStringLiteral("Closing"));
        QVERIFY2(prompt.shown.isEmpty(), qPrintable(prompt.lastText()));
        QVERIFY(unit->controller()->running());
        QVERIFY(!unit->findChild<QPushButton*>("cmdExit")->isEnabled());
        QSignalSpy ended(unit->controller(), &RunController::runEnded);
        line.sent();

        // The title bar of the unit window.
        prompt.answers = {false};
        QVERIFY(!sub->close());
        QCOMPARE(prompt.texts(), QStringList{kRunningOnUnit1});
        QCOMPARE(prompt.shown[0].buttons, Prompt::Buttons::YesNoDefaultNo);
        QVERIFY(unit && sub->isVisible());
        QCOMPARE(frame.unitWindow(1), unit.data());
        QVERIFY(unit->controller()->running());
        QVERIFY(unit->timer().isActive());
        QVERIFY(unit->portOpen());
        QVERIFY(!line.sent().contains(proto::stop()));

        // The frame's Exit: the same question; No keeps the frame open too.
        prompt.answers = {false};
        frame.findChild<QAction*>("MenuExit")->trigger();
        QCOMPARE(prompt.shown.size(), 2);
        QCOMPARE(prompt.shown[1].text, kRunningOnUnit1);
        QVERIFY(frame.isVisible());
        QVERIFY(unit && sub->isVisible());
        QVERIFY(unit->controller()->running());
        QCOMPARE(ended.size(), 0);
        QVERIFY(!line.sent().contains(proto::stop()));

        // Yes: Stop to the unit, the run ends as Stop ends it, and everything closes.
        prompt.answers = {true};
        QVERIFY(frame.close());
        QCOMPARE(prompt.shown.size(), 3);
        QCOMPARE(ended.size(), 1);
        QCOMPARE(ended[0][0].value<RunController::StopReason>(), RunController::StopReason::Operator);
        QVERIFY(line.sent().contains(proto::stop()));
        QVERIFY(!frame.isVisible());
        QTRY_VERIFY(!unit);
        QVERIFY(frame.regularEntry(1)->isEnabled());
        QCOMPARE(db.count("TEST_INFO", "TEST_NAME = 'Closing'"), 1);
    }

    // The main window's close during a test: after "Are you sure to exit?"
    // the unit's question; No keeps the program, the frame and the run. The
    // Exit button, which asks nothing else, still asks this.
    void mainWindowKeepsARunningTest() {
        QTemporaryDir dir;
        QVERIFY(QDir::setCurrent(dir.path()));
        QuietLine line;
        QVERIFY(benchWithUnitOne(1, line.device));
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain main(ws, prompt);
        main.load();
        main.show();
        QSignalSpy programEnded(&main, &frmMain::programEnded);
        main.findChild<QPushButton*>("cmdRealTime")->click();
        frmMDIRealTime* frame = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* f = qobject_cast<frmMDIRealTime*>(w); f && f->isVisible()) frame = f;
        QVERIFY(frame);
        QPointer<frmMDIRealTime> frameGuard(frame);
        frame->regularEntry(1)->trigger();
        QPointer<frmRealTime> unit = frame->unitWindow(1);
        QVERIFY(unit);
        selectHold(ws.connection, *unit);
        startTest(*unit, QStringLiteral("Main close"));
        QVERIFY(unit->controller()->running());
        line.sent();

        prompt.answers = {true, false};
        QVERIFY(!main.close());
        QCOMPARE(prompt.texts(), (QStringList{"Are you sure to exit?", kRunningOnUnit1}));
        QVERIFY(main.isVisible());
        QVERIFY(frameGuard && frame->isVisible());
        QVERIFY(unit && unit->controller()->running());
        QCOMPARE(programEnded.size(), 0);
        QVERIFY(!line.sent().contains(proto::stop()));

        prompt.answers = {true};
        main.exitProgram();
        QCOMPARE(prompt.texts().last(), kRunningOnUnit1);
        QCOMPARE(prompt.shown.size(), 3);
        QVERIFY(line.sent().contains(proto::stop()));
        QVERIFY(!main.isVisible());
        QCOMPARE(programEnded.size(), 1);
        QTRY_VERIFY(!unit && !frameGuard);
        QDir::setCurrent(oldDir_);
    }

    // The question as the operator sees it: Enter answers No.
    void closeQuestionOnScreen() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        DialogPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(1);
        unit.InitialInst(db.connection);
        unit.show();
        QVERIFY(QTest::qWaitForWindowExposed(&unit));
        selectHold(db.connection, unit);
        QCOMPARE(unit.controller()->start([&db] { return storeNamedTest(db.connection, "Shown"); }),
                 RunController::StartResult::Started);

        QString text;
        bool defaultNo = false;
        QTimer::singleShot(100, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            text = box->text();
            defaultNo = box->defaultButton() == box->button(QMessageBox::No);
            QTest::qWait(50);
            if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
                box->grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS")).filePath("close_running_test.png"));
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(!unit.close());
        QCOMPARE(text, kRunningOnUnit1);
        QVERIFY(defaultNo);
        QVERIFY(unit.isVisible());
        QVERIFY(unit.controller()->running());
        unit.stopClicked();
    }

    // Select Sequence is refused while a test runs (a shorter sequence
    // swapped in mid-run would fail every tick), and so is a name chosen in
    // a name dialog left open from before the start.
    void runningTestKeepsItsSequence() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(2);
        unit.InitialInst(db.connection);
        unit.show();
        SequenceData other;
        other.name = QStringLiteral("Short");
        other.steps = {{1, 1, 75, 5, 100, 0}};
        saveSequence(db.connection, other);
        selectHold(db.connection, unit);
        unit.selectSequence();  // the name dialog stays open over the start
        startTest(unit, QStringLiteral("Keeps"));
        QVERIFY(unit.controller()->running());
        QCOMPARE(prompt.shown.size(), 0);

        unit.selectSequence();
        const QString refusal =
            QStringLiteral("A test is running on this unit. Stop it before selecting another sequence.");
        QCOMPARE(prompt.texts(), QStringList{refusal});
        unit.cfNameSeq_SelectedTestName(QStringLiteral("Short"));
        QCOMPARE(prompt.texts(), (QStringList{refusal, refusal}));
        QVERIFY(!unit.findChild<QDialog*>("frmNameSeq")->isVisible());
        QCOMPARE(unit.sequenceName(), QStringLiteral("Hold"));
        QCOMPARE(unit.controller()->sequence()->steps.size(), 1);
        QCOMPARE(unit.controller()->sequence()->steps[0].elapseTimeMin, 60.0);

        // Once stopped, another sequence can be chosen.
        unit.stopClicked();
        unit.cfNameSeq_SelectedTestName(QStringLiteral("Short"));
        QCOMPARE(prompt.shown.size(), 2);
        QCOMPARE(unit.sequenceName(), QStringLiteral("Short"));
    }

    // A tick that fails on the sequence's values says why in the status bar
    // until the ticks run through again; then the panel shows what it had in
    // this run: nothing, as the download before the run is not carried into it.
    void failingTickShowsItsReason() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        ScriptedPrompt prompt;
        frmRealTime unit(prompt);
        unit.setUnitNumber(1);
        unit.InitialInst(db.connection);
        unit.show();
        unit.timer().stop();
        SequenceData s;
        s.name = QStringLiteral("No sampling");
        s.rampSampleRate = 0;  // samples every 0 s: the sampling rule divides by it
        s.steps = {{1, 60, 75, 10, 100, 0}};
        RunController* run = unit.controller();
        run->setSequence(s);
        emit run->sequenceSendFinished(true, QStringLiteral("Sequence Send Success."));
        auto* panel = unit.findChild<QLabel*>("SendResult");
        QCOMPARE(panel->text(), QStringLiteral("Sequence Send Success."));
        QCOMPARE(run->start([&db] { return storeNamedTest(db.connection, "Bad"); }),
                 RunController::StartResult::Started);
        for (int i = 0; i < 4; ++i) run->tick();
        QVERIFY2(panel->text().startsWith(QStringLiteral("Tick error: ")), qPrintable(panel->text()));
        QVERIFY(panel->isVisible());
        if (!qEnvironmentVariable("TZ360_SCREENSHOTS").isEmpty())
            unit.grab().save(QDir(qEnvironmentVariable("TZ360_SCREENSHOTS")).filePath("frmRealTime_tick_error.png"));
        emit run->tickRecovered();
        QCOMPARE(panel->text(), QString());
        QVERIFY(panel->isHidden());
        run->stop();
    }

    // A Dynamic Test window for a unit whose Regular window holds its port is
    // told which window has it.
    void portHeldByAnotherWindow() {
        TempDatabase db;
        QVERIFY(QDir::setCurrent(db.dir.path()));
        QuietLine line;
        QVERIFY(benchWithUnitOne(3, line.device));
        Settings settings;
        ScriptedPrompt prompt;
        frmMDIRealTime frame(settings, db.connection, prompt);
        frame.load();
        frame.show();
        frame.regularEntry(1)->trigger();
        QVERIFY(frame.unitWindow(1)->portOpen());
        frame.dynamicEntry(1)->trigger();
        QCOMPARE(prompt.texts(),
                 QStringList{"Comm 3 is already open in this workstation (Unit 1 window) - 8002"});
        auto* dynamic = frame.findChild<frmDynamic*>();
        QVERIFY(dynamic && !dynamic->portOpen());
        QVERIFY(frame.unitWindow(1)->portOpen());

        // The other way round once the regular window has gone.
        frame.unitWindow(1)->exitClicked();
        dynamic->parentWidget()->close();
        QTRY_VERIFY(frame.dynamicEntry(1)->isEnabled());
        frame.dynamicEntry(1)->trigger();
        QCOMPARE(prompt.shown.size(), 1);
        frame.regularEntry(1)->trigger();
        QCOMPARE(prompt.shown.size(), 2);
        QCOMPARE(prompt.shown[1].text,
                 QStringLiteral("Comm 3 is already open in this workstation (Unit 1 Dynamic Test window) - 8002"));
    }
};

QTEST_MAIN(TestRealTimeWindows)
#include "tst_realtime_windows.moc"
