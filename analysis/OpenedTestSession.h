#pragma once
// The test the main window has open: its data as loaded, its per-ramp results
// and its chart series under the current data filter. Windows that show or
// report the opened test (results grid, charts, reports, test information)
// read it here and follow its signals instead of reading each other's widgets.
#include "analysis/ChartPoints.h"
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"

#include <QObject>
#include <optional>

class clsConnection;

namespace tz {

class OpenedTestSession : public QObject {
    Q_OBJECT
public:
    OpenedTestSession(clsConnection& connection, const Settings& settings,
                      QObject* parent = nullptr);

    // Loads the test of that name (the first TEST_INFO row of the name) and
    // analyses it. False, with the previous test closed, when no such test is
    // stored. Throws tz::DbError; the previous test is then closed too.
    bool open(const QString& name);
    void close();

    bool isOpen() const { return m_test.has_value(); }
    // Empty name and id 0 while no test is open.
    QString name() const { return m_test ? m_test->info.name : QString(); }
    int testId() const { return m_test ? m_test->info.testId : 0; }
    // Only while a test is open.
    const OpenedTest& test() const { return *m_test; }

    // The per-ramp results as last analysed.
    const RampTable& ramps() const { return m_ramps; }
    // The results table under the current display settings: its heading and
    // its numbers always come from the same settings, even when they changed
    // (Setup, the shear-rate dialog) since the last analysis.
    ResultsTable resultsTable() const;
    // Recomputes after the display settings changed (unit, K' flag, rates).
    void reanalyse();
    // Recomputes only when the display settings differ from those of the
    // last analysis.
    void settingsMayHaveChanged();

    DataFilter filter() const { return m_filter; }
    void setFilter(DataFilter filter);
    // The chart series of the opened test under the current filter.
    const ChartPoints& chartPoints() const { return m_chart; }

signals:
    void opened();
    void closed();
    // The results were recomputed with new display settings.
    void resultsChanged();
    // The data filter changed: the chart series were rebuilt.
    void chartPointsChanged();

private:
    clsConnection& m_connection;
    const Settings& m_settings;
    std::optional<OpenedTest> m_test;
    RampTable m_ramps;
    Settings m_analysedWith;   // the display settings m_ramps was computed with
    ChartPoints m_chart;
    DataFilter m_filter = DataFilter::All;
};

}  // namespace tz
