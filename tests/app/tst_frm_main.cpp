// The main window: start-up without settings, proportional layout across a
// minimise, the exit check, and a database that cannot be opened.
#include "workstation/Workstation.h"
#include "app/ui/frmAbout.h"
#include "app/ui/frmHelp.h"
#include "workstation/frmMain.h"
#include "app/ui/Prompt.h"
#include "app/ui/TitleWidth.h"
#include "support/ScriptedPrompt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
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

    // The window opens inside the screen's free area, status bar included,
    // centred there, and as large as its design where the area allows.
    void fitsTheScreen_data() {
        QTest::addColumn<QRect>("available");
        QTest::newRow("1280x800") << QRect(0, 0, 1280, 800);
        QTest::newRow("1366x768") << QRect(0, 0, 1366, 768);
        QTest::newRow("1280x720, 40 px taskbar") << QRect(0, 0, 1280, 680);
        QTest::newRow("taskbar at the top") << QRect(0, 48, 1280, 752);
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1040);
    }
    void fitsTheScreen() {
        QFETCH(QRect, available);
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        w.placeOnScreen(available);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Once shown the window keeps itself on its real screen; the test
        // display may be smaller than the screen played here, so place again.
        QTest::qWait(50);
        w.placeOnScreen(available);
        QStatusBar* bar = w.statusBar();
        const QRect barOnScreen(bar->mapToGlobal(QPoint(0, 0)), bar->size());
        QVERIFY2(available.contains(barOnScreen),
                 qPrintable(QStringLiteral("status bar at %1,%2 %3x%4")
                                .arg(barOnScreen.x()).arg(barOnScreen.y())
                                .arg(barOnScreen.width()).arg(barOnScreen.height())));
        // Room left for the title bar and borders a window manager adds (the
        // test display has none, so the frame cannot be measured here).
        QVERIFY(w.frameGeometry().height() + 46 <= available.height());
        QVERIFY(available.contains(w.findChild<QWidget*>("cmdExit")->geometry().translated(
            w.centralWidget()->mapToGlobal(QPoint(0, 0)))));
        // Centred across (within the borders assumed for the missing frame);
        // the design width when the screen has room for it.
        const int leftGap = w.geometry().left() - available.left();
        const int rightGap = available.right() - w.geometry().right();
        QVERIFY2(qAbs(leftGap - rightGap) <= 16, qPrintable(QString("%1 %2").arg(leftGap).arg(rightGap)));
        QCOMPARE(w.centralWidget()->width(), 1180);
        if (available.height() >= 1000) QCOMPARE(w.centralWidget()->height(), 760);
    }

    // At its minimum size nothing overlaps and no caption is cut; that size
    // fits a 1280x720 screen with a taskbar and a title bar.
    void minimumSizeKeepsEverythingReadable() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.resize(200, 150);
        QTRY_COMPARE(w.size(), w.minimumSize());
        QVERIFY(w.minimumWidth() > 600 && w.minimumHeight() > 400);
        QVERIFY(w.minimumWidth() <= 1280 - 16 && w.minimumHeight() <= 680 - 46);
        QTRY_COMPARE(w.centralWidget()->size(), w.centralWidget()->minimumSize());

        QWidget* area = w.centralWidget();
        QList<QWidget*> controls;
        for (QWidget* c : area->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (c->isVisible()) controls << c;
        for (int i = 0; i < controls.size(); ++i) {
            QVERIFY2(area->rect().contains(controls[i]->geometry()), qPrintable(controls[i]->objectName()));
            for (int j = i + 1; j < controls.size(); ++j)
                QVERIFY2(!controls[i]->geometry().intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + " overlaps " + controls[j]->objectName()));
        }
        for (QAbstractButton* b : area->findChildren<QAbstractButton*>()) {
            if (!b->isVisible()) continue;
            QVERIFY2(b->width() >= b->minimumSizeHint().width() && b->height() >= b->minimumSizeHint().height(),
                     qPrintable(b->objectName() + " is cut: " + b->text()));
            QVERIFY2(b->parentWidget()->rect().contains(b->geometry()), qPrintable(b->objectName()));
        }
        for (QLabel* l : area->findChildren<QLabel*>())
            if (l->isVisible() && !l->wordWrap())
                QVERIFY2(l->width() >= l->sizeHint().width(), qPrintable(l->text()));
    }

    // A double-click anywhere on the results table opens the shear-rate
    // dialog: on the heading, and on the body even with no test open.
    void resultsTableDoubleClickOpensShearRates() {
        Workstation ws;
        ScriptedPrompt prompt;
        frmMain w(ws, prompt);
        w.load();
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        auto* grid = w.findChild<QTableWidget*>("MSFlexGrid1");
        int opened = 0;
        auto closeDialog = [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal->objectName() == "frmShearRate") {
                ++opened;
                modal->close();
            }
        };
        const QList<QPair<QWidget*, QPoint>> places{
            {grid->horizontalHeader()->viewport(), QPoint(20, 10)},
            {grid->viewport(), QPoint(40, 20)},
            {grid->viewport(), grid->viewport()->rect().bottomRight() - QPoint(10, 10)}};
        for (const auto& [target, at] : places) {
            QTimer::singleShot(100, this, closeDialog);
            QTest::mouseDClick(target, Qt::LeftButton, {}, at);
        }
        QCOMPARE(opened, 3);
        QVERIFY(grid->toolTip().contains("Double-click"));
    }

    // Every message, question and input box is wide enough for its title.
    void dialogsShowTheirWholeTitle() {
        DialogPrompt prompt;
        const QString title = "Input New Test Sequence Name";
        QList<int> widths;
        auto measure = [&] {
            QWidget* box = QApplication::activeModalWidget();
            QVERIFY(box);
            QCOMPARE(box->windowTitle(), title);
            widths << box->width();
            box->close();
        };
        QTimer::singleShot(200, this, measure);
        prompt.message(nullptr, "OK.", title, Prompt::Icon::None);
        QTimer::singleShot(200, this, measure);
        prompt.ask(nullptr, "Sure?", title, Prompt::Buttons::YesNo, Prompt::Icon::Question);
        QTimer::singleShot(200, this, measure);
        prompt.input(nullptr, "Name:", title, QString());
        QCOMPARE(widths.size(), 3);
        for (int w : widths) QVERIFY2(w >= titleBarWidth(title), qPrintable(QString::number(w)));
    }

    // The minimum a proportional layout works out, by hand: a drop-down keeps
    // its 200 px and moves with its corner (10 % across), so its neighbour at
    // 40 % stays clear only from 200 / 0.3 = 667 px on; the neighbour's own
    // minimum of 40 px at 20 % of the height needs 200 px.
    void proportionalLayoutMinimum() {
        QWidget area;
        area.resize(1000, 500);
        auto* list = new QComboBox(&area);
        list->setGeometry(100, 50, 200, 30);
        auto* right = new QWidget(&area);
        right->setGeometry(400, 40, 100, 100);
        right->setMinimumSize(50, 40);
        auto* below = new QWidget(&area);  // 150 px below the list's top: apart from 100 px high on
        below->setGeometry(100, 200, 50, 50);
        below->setMinimumSize(10, 10);
        ProportionalLayout layout;
        layout.record(&area);
        QCOMPARE(layout.minimumClientSize(), QSize(668, 201));
        QCOMPARE(area.minimumSize(), QSize(668, 201));
        layout.apply(QSize(668, 201));
        QVERIFY(!list->geometry().intersects(right->geometry()));
        QVERIFY(!list->geometry().intersects(below->geometry()));
        QCOMPARE(list->size(), QSize(200, 30));
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
        // The device of a Comm number reads as a sentence, with no stray markup.
        QVERIFY(help.toPlainText().contains("Comm 1 is /dev/ttyS0"));
        QVERIFY(!help.toPlainText().contains("minus;"));
        // Esc closes it, as any viewer.
        help.show();
        help.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&help));
        QTest::keyClick(&help, Qt::Key_Escape);
        QTRY_VERIFY(!help.isVisible());
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
