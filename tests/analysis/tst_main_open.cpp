// Opening a saved test in the main window: the open dialog, the results and
// additives grids, the data filter, the shear-rate dialog and deleting the
// opened test, over a real database in a temporary working directory.
#include "StoredTests.h"
#include "reports/XlsxCells.h"
#include "reports/ui/ReportActions.h"
#include "analysis/OpenedTestSession.h"
#include "app/SettingsFile.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "support/ScriptedPrompt.h"
#include "testinfo/frmOpenTest.h"

#include <QApplication>
#include <QFile>
#include <QChart>
#include <QChartView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace tz;

namespace {

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

QStringList rowCells(QTableWidget* grid, int row) {
    QStringList cells;
    for (int c = 0; c < grid->columnCount(); ++c) cells << (grid->item(row, c) ? grid->item(row, c)->text() : QString());
    return cells;
}

void click(QWidget* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(button), Qt::LeftButton);
}

}  // namespace

class TestMainOpen : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;
    std::unique_ptr<Workstation> ws;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmMain> w;

    QTableWidget* results() { return w->findChild<QTableWidget*>("MSFlexGrid1"); }
    QTableWidget* additives() { return w->findChild<QTableWidget*>("MSFlexGrid2"); }

    // Opens through the button and the dialog, as the operator does.
    void openThroughDialog(const QString& name) {
        onNextModal([name](QWidget* d) {
            d->findChild<QLineEdit*>("txtSeqName")->setText(name);
            click(d, "cmdOK");
            if (d->isVisible()) click(d, "cmdCancel");
        });
        QTest::mouseClick(w->findChild<QPushButton*>("cmdOpen"), Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        Settings s;
        s.unitSystem = UnitCGS;
        s.kPrimeUnit = 1;
        QVERIFY(SettingsFile::write("initial.txt", {}, s));
        clsConnection c;
        c.OpenDB({}, {}, {}, {}, dir.path());
        fixture::storeTest(c, "Gel 250F", fixture::powerLawPoints(2, 0.5, 10),
                           {{"Guar", 40, "lb/Mgal", "L-17"}, {"Borate", 1.5, "gal/Mgal", "B-2"}});
        fixture::storeTest(c, "Plain", fixture::powerLawPoints(1, 1, 1));
        std::vector<ResultPoint> rampsOnly = fixture::powerLawPoints(1, 0.5, 10);
        rampsOnly.erase(rampsOnly.begin());
        fixture::storeTest(c, "Ramps only", rampsOnly);
        fixture::storeTest(c, "No points", {});
        fixture::storeTest(c, "To delete", fixture::powerLawPoints(1, 1, 1), {{"Guar", 20, "lb/Mgal", "1"}});
    }
    void cleanupTestCase() { QDir::setCurrent(oldDir); }
    void init() {
        ws = std::make_unique<Workstation>();
        prompt = std::make_unique<ScriptedPrompt>();
        w = std::make_unique<frmMain>(*ws, *prompt);
        w->load();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    void cleanup() {
        w.reset();
        prompt.reset();
        ws.reset();
    }

    void opensIntoTheGrids() {
        QSignalSpy opened(&w->openedTest(), &OpenedTestSession::opened);
        QVERIFY(w->findChild<QPushButton*>("cmdOpen")->isEnabled());
        openThroughDialog("Gel 250F");
        QCOMPARE(opened.count(), 1);
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(w->openedTestName(), QString("Gel 250F"));
        QVERIFY(w->openedTestId() > 0);
        QCOMPARE(results()->rowCount(), 2);
        // The hand-worked power law n = 0.5, K = 10 dyn-s^n/cm2 with bob B5.
        QCOMPARE(rowCells(results(), 0), QStringList({"1", "20.", "212", "500", "0.5000", "10.000000", "1.0000",
                                                      "9.363990", "10.812604", "171", "108", "83"}));
        QCOMPARE(additives()->rowCount(), 2);
        QCOMPARE(rowCells(additives(), 1), QStringList({"Borate", "1.5", "gal/Mgal", "B-2"}));
        QCOMPARE(w->findChild<QChartView*>("Pesgo1")->chart()->title(), QString("Gel 250F"));
        QVERIFY(prompt->shown.isEmpty());
    }

    void aNameNotInTheListKeepsTheDialog() {
        bool stillShown = false;
        onNextModal([this, &stillShown](QWidget* d) {
            d->findChild<QLineEdit*>("txtSeqName")->setText("gel 250F");
            click(d, "cmdOK");
            stillShown = d->isVisible();
            click(d, "cmdCancel");
        });
        QTest::mouseClick(w->findChild<QPushButton*>("cmdOpen"), Qt::LeftButton);
        QVERIFY(stillShown);
        QCOMPARE(prompt->lastText(), QString("Your test sequence name is not found.  Please try again."));
        QCOMPARE(w->openedTestId(), 0);
    }

    void aSecondTestReplacesTheFirst() {
        openThroughDialog("Gel 250F");
        openThroughDialog("Plain");
        QCOMPARE(w->openedTestName(), QString("Plain"));
        QCOMPARE(additives()->rowCount(), 0);
        QCOMPARE(results()->rowCount(), 1);
        QCOMPARE(rowCells(results(), 0).mid(4, 2), QStringList({"1.0000", "1.000000"}));
        QCOMPARE(w->findChild<QChartView*>("Pesgo1")->chart()->title(), QString("Plain"));

        openThroughDialog("No points");
        QCOMPARE(w->openedTestName(), QString("No points"));
        QCOMPARE(results()->rowCount(), 0);
    }

    // "No Ramp" drops the ramp points from the chart series only.
    void filterLeavesTheResults() {
        openThroughDialog("Ramps only");
        QCOMPARE(w->openedTest().chartPoints().size(), std::size_t(5));
        QSignalSpy rebuilt(&w->openedTest(), &OpenedTestSession::chartPointsChanged);
        w->findChild<QRadioButton*>("optNoRampData")->setChecked(true);
        QCOMPARE(rebuilt.count(), 1);
        QCOMPARE(w->openedTest().chartPoints().size(), std::size_t(0));
        QCOMPARE(results()->rowCount(), 1);
        QCOMPARE(results()->item(0, 4)->text(), QString("0.5000"));

        openThroughDialog("Gel 250F");  // the filter stays chosen
        const ChartPoints& c = w->openedTest().chartPoints();
        QCOMPARE(c.size(), std::size_t(2));
        QCOMPARE(c.timeMin, std::vector<double>({10.0, 20.0}));
        QCOMPARE(c.viscosity[0], 100 * 200 / (100 + 0.00001));
        QVERIFY(!c.celsius);
        w->findChild<QRadioButton*>("optAllData")->setChecked(true);
        QCOMPARE(w->openedTest().chartPoints().size(), std::size_t(12));
    }

    // The shear-rate dialog changes the K unit and rates: heading and numbers
    // both follow (K = 10 dyn-s^n/cm2 = 2.088555 lbf-s^n/100 ft2).
    void shearRateDialogRebuildsHeadingAndNumbers() {
        openThroughDialog("Gel 250F");
        onNextModal([](QWidget* d) {
            d->findChild<QRadioButton*>("Option2")->setChecked(true);
            const char* rates[] = {"10", "511", "1000"};
            for (int i = 0; i < 3; ++i)
                d->findChild<QLineEdit*>(QString("txtRate%1").arg(i + 1))->setText(rates[i]);
            click(d, "cmdOK");
        });
        const QRect cell = results()->visualItemRect(results()->item(0, 3));
        QTest::mouseClick(results()->viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(results()->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(results()->horizontalHeaderItem(5)->text(), QString("Kv \nlb-f s/100 ft2"));
        QCOMPARE(results()->horizontalHeaderItem(9)->text(), QString("Visc\n@10 (cP)"));
        QCOMPARE(rowCells(results(), 0).mid(4), QStringList({"0.5000", "2.088555", "1.0000", "1.955721",
                                                             "2.258272", "342", "48", "34"}));
    }

    // The setup window changes the unit system while a test is open (SI
    // with K' unit 0, then CGS): once it closes, the grid, the brief report
    // and the spreadsheet show the numbers of the heading they stand under.
    // K = 10 dyn-s^n/cm2 is 10 x 100 / 47880 x 100 = 2.088555 lbf-s^n/100 ft2;
    // 212 °F is 100 °C, 500 psi is 3447 kPa.
    void setupWindowChangesUnitsOfTheOpenedTest() {
        Settings si;
        si.unitSystem = UnitSI;
        si.kPrimeUnit = 0;
        QVERIFY(SettingsFile::write("initial.txt", {}, si));
        ws->settings.unitSystem = UnitSI;
        ws->settings.kPrimeUnit = 0;
        struct Restore {
            ~Restore() {
                Settings cgs;
                cgs.unitSystem = UnitCGS;
                cgs.kPrimeUnit = 1;
                SettingsFile::write("initial.txt", {}, cgs);
            }
        } restore;
        auto* actions = w->findChild<ReportActions*>();
        QStringList answers{dir.filePath("setup brief.txt"), dir.filePath("setup.xlsx")};
        actions->dialogs.saveFileName = [&answers](QWidget*, const QString&, const QString&, const QString&,
                                                   const QString&) { return answers.takeFirst(); };
        actions->dialogs.openFile = [](const QString&) { return true; };

        openThroughDialog("Gel 250F");
        QCOMPARE(results()->horizontalHeaderItem(2)->text(), QString("Temp\n(C°)"));
        QCOMPARE(rowCells(results(), 0), QStringList({"1", "20.", "100", "3447", "0.5000", "10.000000", "1.0000",
                                                      "9.363990", "10.812604", "171", "108", "83"}));

        QTest::mouseClick(w->findChild<QPushButton*>("cmdSetup"), Qt::LeftButton);
        QWidget* setup = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->objectName() == "frmSetup" && top->isVisible()) setup = top;
        QVERIFY(setup);
        // The operator goes to the hardware tab and clicks "CGS".
        setup->findChild<QTabWidget*>("TabStrip1")->setCurrentIndex(1);
        auto* cgs = setup->findChild<QRadioButton*>("optCGS");
        QTRY_VERIFY(cgs->isVisible());
        QTest::mouseClick(cgs, Qt::LeftButton);
        QCOMPARE(ws->settings.unitSystem, int(UnitCGS));
        setup->close();
        QTRY_VERIFY(w->isVisible());

        const QStringList cgsRow{"1", "20.", "212", "500", "0.5000", "2.088555", "1.0000",
                                 "1.955721", "2.258272", "171", "108", "83"};
        QCOMPARE(results()->horizontalHeaderItem(2)->text(), QString("Temp\n(F°)"));
        QCOMPARE(results()->horizontalHeaderItem(5)->text(), QString("Kv \nlb-f s/100 ft2"));
        QCOMPARE(rowCells(results(), 0), cgsRow);

        // Brief Save: the unit line and the numbers under it.
        QTest::mouseClick(w->findChild<QPushButton*>("cmdBriefPrint"), Qt::LeftButton);
        QFile brief(dir.filePath("setup brief.txt"));
        QVERIFY(brief.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(brief.readAll()).split("\r\n");
        QVERIFY(lines.contains("Ramp  (min)   (F)                  (R^2)   (lb-f s/100 ft2) 40     100    170 "));
        QVERIFY2(lines.contains("01    020.   212.0  0.500  2.08856  1.000  1.9557  2.2583    171.    108.    83."),
                 qPrintable(lines.join('\n')));

        // Brief Excel: °F heading over 212, the K values of the grid.
        QTest::mouseClick(w->findChild<QPushButton*>("cmdExportExcel"), Qt::LeftButton);
        const QMap<QString, QVariant> cells = xlsx::readCells(dir.filePath("setup.xlsx"));
        const int heading = xlsx::rowOf(cells, "Shear Ramp");
        QVERIFY(heading > 0);
        const QString first = QString::number(heading + 1);
        QCOMPARE(cells.value("C" + QString::number(heading)).toString(), QString("Temp (°F)"));
        QCOMPARE(cells.value("C" + first).toDouble(), 212.0);
        QCOMPARE(cells.value("E" + first).toDouble(), 2.088555);
        QCOMPARE(cells.value("G" + first).toDouble(), 1.955721);
    }

    void deletingTheOpenedTestClosesIt() {
        openThroughDialog("To delete");
        QSignalSpy closed(&w->openedTest(), &OpenedTestSession::closed);
        onNextModal([](QWidget* d) {
            d->findChild<QLineEdit*>("txtSeqName")->setText("To delete");
            click(d, "cmdDelete");
            click(d, "cmdCancel");
        });
        QTest::mouseClick(w->findChild<QPushButton*>("cmdOpen"), Qt::LeftButton);
        QCOMPARE(closed.count(), 1);
        QCOMPARE(w->openedTestId(), 0);
        QCOMPARE(results()->rowCount(), 0);
        QCOMPARE(additives()->rowCount(), 0);
    }

    // Tab leaves both grids, even with rows in them.
    void tabLeavesTheGrids() {
        openThroughDialog("Gel 250F");
        w->activateWindow();
        for (QTableWidget* grid : {results(), additives()}) {
            grid->setFocus();
            QTRY_VERIFY(grid->hasFocus());
            grid->setCurrentCell(0, 0);
            QTest::keyClick(grid, Qt::Key_Tab);
            QVERIFY(QApplication::focusWidget() != grid);
            QCOMPARE(grid->currentColumn(), 0);
        }
    }

    // Looked at by a person: the window with an opened test and the open
    // dialog, saved when TZ360_SCREENSHOT_DIR names a folder. Both fit a
    // 1280x800 screen.
    void fitsTheScreenAndScreenshots() {
        openThroughDialog("Gel 250F");
        // The window scales down to a 1280x800 screen (title bar aside).
        QVERIFY(w->minimumSizeHint().width() <= 1280 && w->minimumSizeHint().height() <= 760);
        w->resize(1200, 760);
        QTRY_COMPARE(w->size(), QSize(1200, 760));
        const QString shots = qEnvironmentVariable("TZ360_SCREENSHOT_DIR");
        if (!shots.isEmpty()) w->grab().save(shots + "/main_opened_test.png");
        QSize dialogSize;
        onNextModal([&](QWidget* d) {
            dialogSize = d->frameGeometry().size();
            if (!shots.isEmpty()) d->grab().save(shots + "/open_test_dialog.png");
            click(d, "cmdCancel");
        });
        w->findChild<QAction*>("MenuOpen")->trigger();
        QVERIFY(dialogSize.width() <= 1280 && dialogSize.height() <= 800);
        QCOMPARE(w->openedTestName(), QString("Gel 250F"));  // Cancel keeps it open
    }
};

QTEST_MAIN(TestMainOpen)
#include "tst_main_open.moc"
