#include "analysis/OpenedTestSession.h"

namespace tz {

namespace {
// Everything the per-ramp numbers and their heading depend on.
bool sameDisplay(const Settings& a, const Settings& b) {
    return a.unitSystem == b.unitSystem && a.kPrimeUnit == b.kPrimeUnit && a.shearRates == b.shearRates;
}
}  // namespace

OpenedTestSession::OpenedTestSession(clsConnection& connection, const Settings& settings,
                                     QObject* parent)
    : QObject(parent), m_connection(connection), m_settings(settings) {}

bool OpenedTestSession::open(const QString& name) {
    close();
    std::optional<OpenedTest> loaded = loadTestByName(m_connection, name);
    if (!loaded) return false;
    m_test = std::move(loaded);
    m_analysedWith = m_settings;
    m_ramps = m_test->analyse(m_settings);
    m_chart = buildChartPoints(m_test->points, m_filter, m_settings);
    emit opened();
    return true;
}

void OpenedTestSession::close() {
    if (!m_test) return;
    m_test.reset();
    m_ramps = {};
    m_chart = {};
    emit closed();
}

ResultsTable OpenedTestSession::resultsTable() const {
    // A heading of the new unit over numbers of the old one would misstate
    // every value: when the settings moved on, the numbers follow them.
    if (m_test && !sameDisplay(m_settings, m_analysedWith))
        return buildResultsTable(m_test->analyse(m_settings), m_settings);
    return buildResultsTable(m_ramps, m_settings);
}

void OpenedTestSession::settingsMayHaveChanged() {
    if (m_test && !sameDisplay(m_settings, m_analysedWith)) reanalyse();
}

void OpenedTestSession::reanalyse() {
    if (!m_test) return;
    m_analysedWith = m_settings;
    m_ramps = m_test->analyse(m_settings);
    m_chart = buildChartPoints(m_test->points, m_filter, m_settings);
    emit resultsChanged();
}

void OpenedTestSession::setFilter(DataFilter filter) {
    if (filter == m_filter) return;
    m_filter = filter;
    if (!m_test) return;
    m_chart = buildChartPoints(m_test->points, m_filter, m_settings);
    emit chartPointsChanged();
}

}  // namespace tz
