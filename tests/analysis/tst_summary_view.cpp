// The main window's Summary view: the opened test and an overlaid one side by
// side, the threshold set there recomputes both and is remembered in
// tz360.ini, and the tab switches the summary and the results grid in place.
//
// TZ360_SCREENSHOT_DIR=/some/dir keeps a picture of the main window.
#include "StoredTests.h"
#include "analysis/OpenedTestSession.h"
#include "analysis/ui/SummaryView.h"
#include "app/ProgramSettings.h"
#include "workstation/Workstation.h"
#include "workstation/frmMain.h"
#include "support/ScriptedPrompt.h"
#include "testinfo/frmOverlapTest.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace tz;

namespace {

// Step points at 100 1/s (cP = stress), minutes and cP.
std::vector<ResultPoint> steps(const QList<std::pair<double, double>>& list, double tempF) {
    std::vector<ResultPoint> rows;
    for (const auto& [minutes, cp] : list) rows.push_back({1, 0, minutes * 60, tempF, 500, 100, cp, 0, 0});
    return rows;
}

QString cell(QTableWidget* t, const QString& heading, int column) {
    for (int r = 0; r < t->rowCount(); ++r)
        if (t->verticalHeaderItem(r)->text() == heading) return t->item(r, column)->text();
    return QStringLiteral("missing");
}

}  // namespace

class TestSummaryView : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QString oldDir;
    std::unique_ptr<Workstation> ws;
    std::unique_ptr<ScriptedPrompt> prompt;
    std::unique_ptr<frmMain> w;

private slots:
    void initTestCase() {
        oldDir = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        ws = std::make_unique<Workstation>();
        prompt = std::make_unique<ScriptedPrompt>();
        w = std::make_unique<frmMain>(*ws, *prompt);
        w->load();
        ws->settings.unitSystem = UnitCGS;
        w->resize(1280, 760);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        // Rises to 220 cP, above 100 cP from 4 to 35 min (31 min).
        auto gel = steps({{0, 20}, {10, 220}, {20, 220}, {30, 160}, {40, 40}, {50, 10}}, 250);
        const auto ramps = fixture::powerLawPoints(1, 0.5, 10);
        gel.insert(gel.end(), ramps.begin() + 1, ramps.end());
        fixture::storeTest(ws->connection, "Gel 30 HT", gel);
        // Above 100 cP for 5 + 50/7 + 6 + 30/7 min, breaks at 34.3 min.
        fixture::storeTest(ws->connection, "Gel 25 HT",
                           steps({{0, 50}, {10, 150}, {20, 80}, {30, 130}, {40, 60}, {50, 30}}, 240));
    }
    void cleanupTestCase() {
        w.reset();
        QDir::setCurrent(oldDir);
    }

    void openedAndOverlaidSideBySide() {
        auto* tabs = w->findChild<QTabBar*>("tabResults");
        auto* grid = w->findChild<QTableWidget*>("MSFlexGrid1");
        // Nothing of it is built while the program starts.
        QVERIFY(!w->findChild<SummaryView*>());
        SummaryView* view = w->summaryView();
        QVERIFY(tabs && grid && view);
        QVERIFY(grid->isVisible() && !view->isVisible());
        tabs->setCurrentIndex(1);
        QVERIFY(!grid->isVisible() && view->isVisible());
        QCOMPARE(view->geometry(), grid->geometry());
        // Tab goes from the tab bar into the summary, not past the Exit button.
        tabs->setFocus();
        QVERIFY(view->isAncestorOf(tabs->nextInFocusChain()));

        QVERIFY(w->openedTest().open("Gel 30 HT"));
        QTableWidget* t = view->table();
        QCOMPARE(t->columnCount(), 1);
        QCOMPARE(t->horizontalHeaderItem(0)->text(), QString("Gel 30 HT"));
        QCOMPARE(cell(t, "Time at or above threshold (min)", 0), QString("31.0"));
        QCOMPARE(cell(t, "Break time (min)", 0), QString("35.0"));
        QCOMPARE(cell(t, "Ramp 1 n'", 0), QString("0.5000"));

        // Overlay through the main window's own button and dialog (the
        // default chart takes no overlay, the next chart type does).
        auto* type = w->findChild<QComboBox*>("cmbChartType");
        type->setCurrentIndex(1);
        emit type->activated(1);
        QTimer::singleShot(0, this, [this] {
            auto* dialog = w->findChild<frmOverlapTest*>();
            QVERIFY(dialog);
            dialog->setTestName("Gel 25 HT");
            dialog->findChild<QPushButton*>("cmdOK")->click();
        });
        w->findChild<QPushButton*>("cmdOverlap")->click();
        QCOMPARE(t->columnCount(), 2);
        QCOMPARE(t->horizontalHeaderItem(1)->text(), QString("Gel 25 HT"));
        QCOMPARE(cell(t, "Time at or above threshold (min)", 1), QString("22.4"));
        QCOMPARE(cell(t, "Break time (min)", 1), QString("34.3"));
        QCOMPARE(cell(t, "Max sample temp (°F)", 1), QString("240.0"));
        QCOMPARE(cell(t, "Ramp 1 n'", 1), QString("-"));   // no ramp in that test
        screenshot("summary-two-tests");

        // A threshold of 200 cP: 20 -> 220 crosses it at 9 min, 220 -> 160
        // at 20 + 10 x 20/60 = 23.3 min: 1 + 10 + 3.3 min above; the dip test
        // never gets there.
        auto* threshold = view->findChild<QDoubleSpinBox*>("txtThreshold");
        threshold->setValue(200);
        QCOMPARE(cell(t, "Time at or above threshold (min)", 0), QString("14.3"));
        QCOMPARE(cell(t, "Break time (min)", 0), QString("23.3"));
        QCOMPARE(cell(t, "Time at or above threshold (min)", 1), QString("0.0"));
        QCOMPARE(cell(t, "Break time (min)", 1), QString("-"));
        QCOMPARE(ProgramSettings().summaryThresholdCp(), 200.0);
        QVERIFY(prompt->shown.isEmpty());

        // Opening another test replaces both columns.
        QVERIFY(w->openedTest().open("Gel 25 HT"));
        QCOMPARE(t->columnCount(), 1);
        w->openedTest().close();
        QCOMPARE(t->columnCount(), 0);
        tabs->setCurrentIndex(0);
        QVERIFY(grid->isVisible() && !view->isVisible());
    }

    // A test opened before the Summary tab was ever chosen is in the view
    // when it is, and the view keeps the grid's place as the window resizes.
    void builtWhenATestOpens() {
        Workstation ws2;
        ScriptedPrompt prompt2;
        frmMain w2(ws2, prompt2);
        w2.load();
        w2.resize(1280, 760);
        w2.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w2));
        QVERIFY(!w2.findChild<SummaryView*>());
        QVERIFY(w2.openedTest().open("Gel 30 HT"));
        auto* view = w2.findChild<SummaryView*>();
        QVERIFY(view);
        QCOMPARE(view->table()->columnCount(), 1);
        QCOMPARE(view->table()->horizontalHeaderItem(0)->text(), QString("Gel 30 HT"));
        w2.findChild<QTabBar*>("tabResults")->setCurrentIndex(1);
        w2.resize(1100, 700);
        QTRY_COMPARE(view->geometry(), w2.findChild<QTableWidget*>("MSFlexGrid1")->geometry());
        QVERIFY(view->isVisible());
    }

    // The remembered threshold is the one a new main window starts with.
    void thresholdRemembered() {
        QVERIFY(ProgramSettings::saveSummaryThreshold(150));
        Workstation ws2;
        ScriptedPrompt prompt2;
        frmMain w2(ws2, prompt2);
        QCOMPARE(w2.summaryView()->threshold(), 150.0);
        QVERIFY(!ProgramSettings::saveSummaryThreshold(0));
        QCOMPARE(ProgramSettings().summaryThresholdCp(), 150.0);
    }

private:
    void screenshot(const QString& name) {
        const QString shots = qEnvironmentVariable("TZ360_SCREENSHOT_DIR");
        if (shots.isEmpty()) return;
        QTest::qWait(500);
        w->screen()->grabWindow(w->winId()).save(shots + "/" + name + ".png");
    }
};

QTEST_MAIN(TestSummaryView)
#include "tst_summary_view.moc"
