#pragma once
// The torque calibration window: starts a unit's calibration against a fluid
// of known viscosity, draws the stress-voltage records as they arrive, sends
// the fitted polynomial back, checks it, and saves a report. A second tab
// starts the unit's automatic pressure-effect calibration.
#include "calibration/CalibrationRecordReader.h"
#include "instrument/UnitLink.h"

#include <QList>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace tz {

class Prompt;
class TorqueGraph;

class frmCalibrateTorque : public QWidget {
    Q_OBJECT
public:
    // Reads the units from initial.txt and writes BOBINFO.TXT, both in the
    // working directory unless other paths are given.
    explicit frmCalibrateTorque(Prompt& prompt, QWidget* parent = nullptr,
                                const QString& settingsPath = {}, const QString& bobPath = {});
    ~frmCalibrateTorque() override;

    // Asks for the report's file name; nullopt when the operator cancels.
    // The save dialog unless a test replaces it.
    using FileChooser = std::function<std::optional<QString>(QWidget*)>;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // A calibration during which the unit says nothing for this long is
    // abandoned, so a unit that never sends its end frame cannot hold the
    // window open for good. In test seconds (one per tick).
    static constexpr int kSilenceLimitS = 300;
    void setSilenceLimit(int seconds) { m_silenceLimitS = seconds; }

    bool running() const { return m_running; }
    const QList<CalibrationRecord>& records() const { return m_reader.records(); }
    double zeroVolt() const { return m_reader.zeroVolt(); }
    QString statusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* createTorquePanel();
    QWidget* createPressurePanel();
    void loadUnits();
    void onUnitChosen(int index);
    void onStart();
    void onTick();
    void finish();
    void abandon();
    void onPressureEffect();
    void onReturn();
    void onExport();
    void setRunning(bool running);
    void redrawGraph();
    void setStatus(const QString& text);
    void portError(const QString& reason);
    void message(const QString& text);

    Prompt& m_prompt;
    QString m_settingsPath;
    QString m_bobPath;
    FileChooser m_chooseFile;

    QTabWidget* m_tabs = nullptr;
    QComboBox* m_cmbInstName = nullptr;
    QComboBox* m_cmbBobNo = nullptr;
    QLineEdit* m_txtVisc = nullptr;
    QLineEdit* m_txtChange = nullptr;
    QPushButton* m_cmdStart = nullptr;
    QPushButton* m_cmdExport = nullptr;
    QPushButton* m_cmdReturn = nullptr;
    QPushButton* m_command1 = nullptr;
    TorqueGraph* m_graph = nullptr;
    QLabel* m_panelUnit = nullptr;
    QLabel* m_panelMessage = nullptr;

    QTimer m_timer;
    UnitLink m_link;
    CalibrationRecordReader m_reader;
    QList<int> m_units;  // unit numbers of the list entries
    QList<int> m_ports;  // their Comm numbers
    int m_shownUnit = -1;  // list entry in force (restored when a change is refused)
    bool m_running = false;
    int m_silenceLimitS = kSilenceLimitS;
    int m_silentTicks = 0;
    // What the run was started with: the records are converted with this bob
    // and the report names these, whatever the controls show later.
    struct RunSetup {
        QString unit, bob, viscosity, changePerDegC;
    };
    std::optional<RunSetup> m_run;
    std::optional<double> m_quality;
};

}  // namespace tz
