#pragma once
// The window of one TZ360 unit: the operator picks and sends a sequence,
// enters the test information, starts the test and watches the readings.
// The run itself lives in RunController; this window owns the unit's line,
// the timer that drives the run, and what the operator sees.
#include "reports/ui/ReportDialogs.h"
#include "db/NewTest.h"
#include "instrument/RunController.h"

#include <QHash>
#include <QTime>
#include <QTimer>
#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStatusBar;
class QTableWidget;
class clsConnection;

namespace tz {

class DatabasePointWriter;
class LiveTestDisplay;
class UnitArrangement;
class RunningTests;
struct Settings;
class StoredResultsRetrieval;
struct StoredResults;
struct TestInfoFields;
class Prompt;
class UnitLink;
class frmNameSeq;
struct StatusFrame;

class frmRealTime : public QWidget {
    Q_OBJECT
public:
    explicit frmRealTime(Prompt& prompt, QWidget* parent = nullptr);
    ~frmRealTime() override;

    // Takes the workstation's connection; the window stores its points there.
    void InitialInst(clsConnection& connection);

    // "Unit n": the unit label, the caption and the error-log lines.
    void setUnitNumber(int unit);
    int unitNumber() const;

    // The workstation's list of recording tests: this unit enters its test
    // while it records it or holds points of it for the database.
    void setRunningTests(RunningTests* tests) { m_running = tests; }
    // The display settings held in memory: the live grid's unit system.
    void setSettings(const Settings* settings);

    // This unit's line of BOBINFO.TXT: the default bob of a new test.
    void setMlBobStr(const QString& bob) { m_bobStr = bob; }
    QString mlBobStr() const { return m_bobStr; }

    // Opens Comm k ("19200,n,8,1"); false with the reason in errorText.
    bool openPort(int comm, QString* errorText);
    bool portOpen() const;
    // Polling starts: one tick a second (scaled by TZ360_TIME_SCALE).
    void startTimer();

    RunController* controller() const { return m_controller.get(); }
    UnitLink& link() const { return *m_link; }
    QTimer& timer() { return m_timer; }
    // Tries the points the database refused again, every kRetryMs of test
    // time while any wait, whether a test runs or not.
    QTimer& retryTimer() { return m_retryTimer; }
    static constexpr int kRetryMs = 5000;

    // The buttons, for the frame and for tests that drive the window.
    void selectSequence();       // "Select Sequence"
    void sendSequence();         // "Send Sequence"
    void startClicked();         // "Start"
    void stopClicked();          // "Stop"
    void refreshSequence();      // "Refresh Test Sequence"
    void exitClicked();          // "Exit"
    void retrieveClicked();      // "Retrieve Last Result" (frmRealTime_Retrieve.cpp)
    // Double click on the results grid: spreadsheet report of the shown test
    // (frmRealTime_Export.cpp).
    void exportShownTest();
    // The save dialog and file opener of that report (the desktop's unless set).
    void setReportDialogs(const ReportDialogs& dialogs) { m_reportDialogs = dialogs; }

    // The live chart and per-ramp grid of the test.
    LiveTestDisplay* liveDisplay() const { return m_live; }

    // Loads the chosen sequence (an empty choice keeps the old one).
    void cfNameSeq_SelectedTestName(const QString& name);
    QString sequenceName() const { return m_sequenceName; }

signals:
    // The window unloads: the frame enables this unit's menu entry again.
    void unloaded(int unit);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void updateMinimumSize();
    void connectController();
    void onTimer();
    void restartTimer();
    void showFrame(const StatusFrame& frame);
    void showPointBacklog(const QString& reason, int pending);
    void confirmSetPointChange();
    void unload();
    // The operator's leave to close: a running test is stopped, points the
    // database has not taken yet are given up. False keeps the window.
    bool mayClose();
    void retryKeptPoints();
    // The bob of the entered test information; false (with the message) when
    // it cannot hang in the rotor.
    bool acceptBob(const TestInfoFields& fields);
    QString pendingTestNames() const;
    void retrievalFinished(const StoredResults& results);

    void showStopCause(RunController::StopReason reason);
    void showSendPanel(const QString& text);

    Prompt& m_prompt;
    clsConnection* m_connection = nullptr;
    RunningTests* m_running = nullptr;
    std::unique_ptr<UnitLink> m_link;
    std::unique_ptr<DatabasePointWriter> m_writer;
    std::unique_ptr<RunController> m_controller;
    QTimer m_timer;
    QTimer m_retryTimer;
    frmNameSeq* m_nameSeq = nullptr;
    // Names of the tests this window ran, by TEST_ID: kept points name theirs.
    QHash<int, QString> m_testNames;
    // The sequence-send result of the status panel, shown again once a
    // failing tick recovers.
    QString m_sendResultText;
    bool m_tickFailing = false;

    QString m_bobStr;
    QString m_sequenceName;
    QString m_setPointText;  // as the unit last reported it
    bool m_unloaded = false;

    QScrollArea* m_scroll = nullptr;
    QWidget* m_area = nullptr;
    std::unique_ptr<UnitArrangement> m_arrangement;
    QLabel* m_lblUnit = nullptr;
    QLabel* m_lblSequence = nullptr;
    QLabel* m_lblTestName = nullptr;
    QLabel* m_lblStatus = nullptr;
    QLabel* m_lblPoints = nullptr;
    LiveTestDisplay* m_live = nullptr;
    int m_shownTestId = 0;   // the test the chart and grid show, 0 before one
    ReportDialogs m_reportDialogs = ReportDialogs::desktop();
    StoredResultsRetrieval* m_retrieval = nullptr;
    // The test information of a retrieval, kept until the whole reply is in.
    TestInformation m_retrieveInfo;
    QList<AdditiveEntry> m_retrieveAdditives;
    QLineEdit* m_txtSampleTemp = nullptr;
    QLineEdit* m_txtBathTemp = nullptr;
    QLineEdit* m_txtSetPoint = nullptr;
    QLineEdit* m_txtSpeed = nullptr;
    QLineEdit* m_txtShearRate = nullptr;
    QLineEdit* m_txtShearStress = nullptr;
    QLineEdit* m_txtPressure = nullptr;
    QLineEdit* m_txtViscosity = nullptr;
    QLineEdit* m_txtPreheat = nullptr;
    QCheckBox* m_chkSelfZero = nullptr;
    QPushButton* m_cmdExit = nullptr;
    QTableWidget* m_grid = nullptr;
    QWidget* m_graph = nullptr;
    QStatusBar* m_statusBar = nullptr;
    QLabel* m_panelPort = nullptr;
    QLabel* m_panelStartTime = nullptr;
    QLabel* m_panelElapsedTime = nullptr;
    QLabel* m_panelSend = nullptr;
    QLabel* m_panelStopCause = nullptr;
    QPushButton* m_cmdZero = nullptr;
    QPushButton* m_cmdPreheat = nullptr;
};

inline const QString kSetPointQuestion =
    QStringLiteral("Do you reall want to change the temperature setpoint? ");
inline const QString kSetPointTitle = QStringLiteral("Change Confirmation.");
// Why Zero and Preheat are greyed out while a test runs.
inline const QString kUnitCommandsDuringRun =
    QStringLiteral("Not while a test runs: the unit would stop the rotor and leave the sequence. Stop the test first.");
// The status-bar text of a run that ended, at the given time of day, and the
// longer explanation its tooltip gives.
QString stopCauseText(RunController::StopReason reason, const QTime& at);
QString stopCauseDetail(RunController::StopReason reason);
inline const QString kStopTestBeforeSequence =
    QStringLiteral("A test is running on this unit. Stop it before selecting another sequence.");

}  // namespace tz
