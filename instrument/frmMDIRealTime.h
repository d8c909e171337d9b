#pragma once
// The frame that holds the unit windows: one per installed TZ360 unit, each
// on the serial port initial.txt names for it, at most eight.
#include <QMainWindow>
#include <QPointer>
#include <array>

class QAction;
class QMdiArea;
class clsConnection;

namespace tz {

class Prompt;
class RunningTests;
class frmDynamic;
class frmRealTime;
struct Settings;

class frmMDIRealTime : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kUnits = 8;

    frmMDIRealTime(Settings& settings, clsConnection& connection, Prompt& prompt,
                   QWidget* parent = nullptr);
    ~frmMDIRealTime() override;

    // The workstation's list of recording tests, handed to every unit window.
    void setRunningTests(RunningTests* tests) { m_running = tests; }

    // Enables the add entries of the installed units. The unit system is the
    // one held in memory: the settings file may be older than the setup
    // window's choice.
    void load();

    // "Regular Test" > "Add TZ360 Unit n": the unit window on its port, with
    // its bob. The window stays (without a port) when the port cannot be opened.
    frmRealTime* addRegularUnit(int unit);

    // "Dynamic Test" > "Add TZ360 Unit n": the oscillation window on the
    // unit's port (frmMDIRealTime_Dynamic.cpp).
    frmDynamic* addDynamicUnit(int unit);

    frmRealTime* unitWindow(int unit) const;
    QAction* regularEntry(int unit) const { return m_regular[unit - 1]; }
    QAction* dynamicEntry(int unit) const { return m_dynamic[unit - 1]; }
    QMdiArea* area() const { return m_area; }

    void tileHorizontally();
    void tileVertically();
    void cascade();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createMenus();
    void formLoadError(const QString& description, int number);
    void unitUnloaded(int unit);
    void restoreChildren();
    // Bands one above the other (true) or columns side by side; a grid when
    // there are too many for either.
    void tile(bool bands);

    Settings& m_settings;
    clsConnection& m_connection;
    Prompt& m_prompt;
    RunningTests* m_running = nullptr;
    QMdiArea* m_area;
    std::array<QAction*, kUnits> m_regular{};
    std::array<QAction*, kUnits> m_dynamic{};
    std::array<QPointer<frmRealTime>, kUnits> m_units{};
};

}  // namespace tz
