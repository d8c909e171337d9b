// The main window: start-up without settings, proportional layout across a
// minimise, the exit check, and a database that cannot be opened.
#include "app/Workstation.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmHelp.h"
#include "app/ui/frmMain.h"
#include "support/ScriptedPrompt.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace tz;

class TestFrmMain : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;

private slots:
    void initTestCase() {
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir); }
    void init() { QFile::remove("initial.txt"); }

    void startsWithoutSettingsFileAndCreatesDatabase() {
        QFile::remove("TZ360.db");
        Workstation ws;
        ws.settings.shearRates = {1, 2, 3};
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        QCOMPARE(w.windowTitle(), QString("TZ360 HPHT Automatic Rheometer"));
        QVERIFY(prompt.shown.isEmpty());
        QCOMPARE(ws.settings.kPrimeUnit, 1);
        QCOMPARE(ws.settings.shearRates, (std::array<double, 3>{40, 100, 170}));
        auto* grid = w.findChild<QTableWidget*>("MSFlexGrid1");
        QCOMPARE(grid->columnCount(), 12);
        QCOMPARE(grid->horizontalHeaderItem(9)->text(), QString("Visc\n@40 (cP)"));
        QVERIFY(!w.findChild<QPushButton*>("cmdOverlap")->isEnabled());
        QVERIFY(w.findChild<QPushButton*>("cmdSetup")->isEnabled());

        QVERIFY(QFile::exists("TZ360.db"));
        QSqlQuery q(ws.connection.ADOConnection());
        QVERIFY(q.exec("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite_%' ORDER BY name"));
        QStringList tables;
        while (q.next()) tables << q.value(0).toString();
        QCOMPARE(tables, QStringList({"SEQUENCE_INFO", "SEQUENCE_RAMP", "SEQUENCE_RAMP_DEFINE",
                                      "TEST_ADDITIVE", "TEST_INFO", "TEST_RESULT"}));
    }

    void headingFollowsSettingsFile() {
        QFile f("initial.txt");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(" 0 \r\n").repeated(8) + " 3 \r\n 1 \r\n 50  250  511 \r\n");
        f.close();
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        QCOMPARE(ws.settings.unitSystem, 3);
        auto* grid = w.findChild<QTableWidget*>("MSFlexGrid1");
        QCOMPARE(grid->horizontalHeaderItem(2)->text(), QString("Temp\n(C°)"));
        QCOMPARE(grid->horizontalHeaderItem(11)->text(), QString("Visc\n@511 (cP)"));
    }

    void minimiseAndRestoreKeepProportions() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(1400, 950);
        QTRY_COMPARE(w.size(), QSize(1400, 950));
        QWidget* area = w.centralWidget();
        auto* grid = w.findChild<QWidget*>("MSFlexGrid1");
        auto* exit = w.findChild<QWidget*>("cmdExit");
        const auto& r = w.layoutTable().ratios();
        QVERIFY(!r.isEmpty());
        // The results grid is the first control: its place is the recorded fraction.
        QVERIFY(qAbs(grid->x() - area->width() * r[0].left) <= 1);
        QVERIFY(qAbs(grid->width() - area->width() * r[0].width) <= 1);
        QVERIFY(qAbs(grid->height() - area->height() * r[0].height) <= 1);
        const QRect gridBefore = grid->geometry(), exitBefore = exit->geometry();

        w.showMinimized();
        QTest::qWait(200);
        QCOMPARE(grid->geometry(), gridBefore);
        w.showNormal();
        QTest::qWait(200);
        QTRY_COMPARE(grid->geometry(), gridBefore);
        QCOMPARE(exit->geometry(), exitBefore);
    }

    void closeAnsweredNoKeepsRunning() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        QSignalSpy ended(&w, &frmMain::programEnded);
        w.load();
        w.show();
        prompt.answers = {false};
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        QCOMPARE(ended.count(), 0);
        QCOMPARE(prompt.lastText(), QString("Are you sure to exit?"));
        QCOMPARE(prompt.shown.last().title, QString("Exit Check"));
        prompt.answers = {true};
        QVERIFY(w.close());
        QCOMPARE(ended.count(), 1);
    }

    void exitButtonNeverAsks() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        QSignalSpy ended(&w, &frmMain::programEnded);
        w.load();
        w.show();
        QTest::mouseClick(w.findChild<QPushButton*>("cmdExit"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QVERIFY(prompt.shown.isEmpty());
        QCOMPARE(ended.count(), 1);
    }

    void unreadableDatabaseIsReportedAndWindowStillLoads() {
        QTemporaryDir other;
        QVERIFY(QDir::setCurrent(other.path()));
        QFile f(other.filePath("TZ360.db"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("this is a text file, not a database").repeated(100));
        f.close();
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        QDir::setCurrent(dir.path());
        QCOMPARE(prompt.shown.size(), 1);
        QVERIFY(prompt.lastText().startsWith("clsConnection.OpenConnection: Error #: "));
        QVERIFY(w.findChild<QPushButton*>("cmdSetup")->isEnabled());
        // The operator's file is left as it was.
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith("this is a text file"));
    }

    void setupHidesMainUntilItCloses() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        w.show();
        QTest::mouseClick(w.findChild<QPushButton*>("cmdSetup"), Qt::LeftButton);
        QVERIFY(!w.isVisible());
        QWidget* setup = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmSetup" && top->isVisible()) setup = top;
        QVERIFY(setup);
        QCOMPARE(setup->windowTitle(), QString("TZ360 Setup"));
        setup->close();
        QVERIFY(w.isVisible());
    }

    void helpShowsTheManual() {
        frmHelp help;
        QVERIFY(help.toPlainText().contains("Setting up the units"));
        QVERIFY(help.toPlainText().contains("Running a test"));
    }

    void aboutBox() {
        frmAbout about;
        QCOMPARE(about.windowTitle(), QString("About"));
        QStringList texts;
        for (auto* l : about.findChildren<QLabel*>()) texts << l->text();
        QVERIFY(texts.contains("Version 1.2.0.2      12-27-2011"));
        QCOMPARE(about.findChild<QPushButton*>("cmdOK")->text(), QString("&OK"));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frm_main.moc"
