#pragma once
// The start-up window: owns the three test record objects, hosts the analysis
// view of a saved test and leads to every other window.
#include "app/ui/ProportionalLayout.h"

#include <QMainWindow>
#include <QPointer>
#include <memory>

class QButtonGroup;
class QChartView;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTableWidget;
class clsConnection;
class clsTEST_ADDITIVE;
class clsTEST_INFO;
class clsTEST_RESULT;

namespace tz {

class OpenedTestSession;
class Prompt;
class frmOpenTest;
struct Workstation;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
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

signals:
    // The operator confirmed the exit (or used Exit): the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void createControls();
    void createMenus();
    void createStatusBar();
    QPushButton* addButton(QWidget* parent, const char* name, const QString& caption);
    QGroupBox* addButtonFrame(const char* name, const QString& title, const QRect& geometry);
    QGroupBox* addOptionFrame(const char* name, const QString& title, const char* first,
                              const QString& firstCaption, const char* second,
                              const QString& secondCaption, const QRect& geometry);
    void centreOnScreen();
    void showSetup();
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

    Workstation& m_ws;
    Prompt& m_prompt;
    std::unique_ptr<clsTEST_INFO> m_testInfo;
    std::unique_ptr<clsTEST_RESULT> m_testResult;
    std::unique_ptr<clsTEST_ADDITIVE> m_testAdditive;

    QWidget* m_area = nullptr;
    QTableWidget* m_results = nullptr;
    QTableWidget* m_additives = nullptr;
    QChartView* m_chart = nullptr;
    QWidget* m_chart3d = nullptr;
    QLabel* m_statusText = nullptr;
    QLabel* m_statusDate = nullptr;
    QLabel* m_statusTime = nullptr;
    QWidget* m_help = nullptr;
    QPointer<QWidget> m_realTime;

    ProportionalLayout m_layout;
    std::unique_ptr<OpenedTestSession> m_session;
    bool m_exitWithoutAsking = false;
};

}  // namespace tz
