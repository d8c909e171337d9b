#pragma once
// The start-up window: owns the three test record objects, hosts the analysis
// view of a saved test and leads to every other window.
#include "app/ui/ProportionalLayout.h"

#include <QMainWindow>
#include <QRect>
#include <QPointer>
#include <memory>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabBar;
class QTableWidget;
class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
class clsTEST_RESULT;

namespace tz {

class ChartPanel;
class OpenedTestSession;
class SummaryView;
class Prompt;
class frmOpenTest;
class frmOverlapTest;
struct Workstation;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Where the chart sits at the design size, below the chart-type drop-down
    // and the option frames.
    static constexpr QRect kChartArea{8, 372, 872, 380};
    frmMain(Workstation& workstation, Prompt& prompt, QWidget* parent = nullptr);
    ~frmMain() override;

    clsConnection& Connection();

    // Start-up, in the order the operator's window depends on: database,
    // record objects, layout, centring, display settings, table heading.
    void load();

    // Unloads without asking (Exit button, File > Exit).
    void exitProgram();

    // The per-ramp results table heading, rebuilt after the shear rates change.
    void buildResultsHeading();

    QString openedTestName() const;
    int openedTestId() const;
    // The opened test: charts, reports and the test information window
    // attach to its opened() / closed() signals.
    OpenedTestSession& openedTest() { return *m_session; }
    const ProportionalLayout& layoutTable() const { return m_layout; }
    // The chart area; the open and overlap steps hand it the tests to draw.
    ChartPanel* chartPanel() const { return m_charts; }
    // The Summary view beside the results grid (its tab shows one or the other).
    // Built when first needed (a test opened, or the tab chosen).
    SummaryView* summaryView() { return ensureSummaryView(); }

    // Sizes the window to fit `available` (a screen's area without its
    // taskbar) with its frame, never below its minimum, and centres it there.
    void placeOnScreen(const QRect& available);

signals:
    // The operator confirmed the exit (or used Exit): the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createStatusBar();
    // The chart area (frmMain_Charts.cpp).
    void createChartPanel();
    void showOverlapTest();
    void showDatabaseInUse();
    QPushButton* addButton(QWidget* parent, const char* name, const QString& caption);
    QGroupBox* addButtonFrame(const char* name, const QString& title, const QRect& geometry);
    QGroupBox* addOptionFrame(const char* name, const QString& title, const char* first,
                              const QString& firstCaption, const char* second,
                              const QString& secondCaption, const QRect& geometry);
    void showSetup();
    void showCalibration();
    void showRealTime();
    void showShearRate();
    void showHelp();
    void showAbout();
    void overlapCharts();

    // Opening a saved test (frmMain_OpenTest.cpp).
    void showOpenTest();
    void openSelectedTest(frmOpenTest& dialog);
    void fillResultsGrid();
    void fillAdditivesGrid();
    void closeOpenedTest();
    void connectOpenedTest();
    void editOpenedTestInfo();
    // The Summary view and its tab (frmMain_Summary.cpp).
    void createSummaryView();
    void connectSummaryView();
    SummaryView* ensureSummaryView();
    void summariseOverlay(const QString& name);

    Workstation& m_ws;
    Prompt& m_prompt;
    std::unique_ptr<clsTEST_INFO> m_testInfo;
    std::unique_ptr<clsTEST_RESULT> m_testResult;
    std::unique_ptr<clsTEST_ADDITIVE> m_testAdditive;

    QWidget* m_area = nullptr;
    QTableWidget* m_results = nullptr;
    QTableWidget* m_additives = nullptr;
    QTabBar* m_resultsTabs = nullptr;
    SummaryView* m_summary = nullptr;
    ChartPanel* m_charts = nullptr;
    frmOverlapTest* m_overlap = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_statusDate = nullptr;
    QLabel* m_statusTime = nullptr;
    QWidget* m_help = nullptr;
    QPointer<QWidget> m_calibration;
    QPointer<QWidget> m_realTime;

    ProportionalLayout m_layout;
    std::unique_ptr<OpenedTestSession> m_session;
    bool m_exitWithoutAsking = false;
    bool m_shownOnce = false;
};

}  // namespace tz
