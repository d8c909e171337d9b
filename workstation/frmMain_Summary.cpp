// The main window's Summary view: a tab above the results grid switches
// between the grid and the summary of the opened and overlaid tests, in the
// same place. The threshold chosen there is remembered in tz360.ini.
#include "analysis/OpenedTestSession.h"
#include "analysis/ui/SummaryView.h"
#include "app/ProgramSettings.h"
#include "workstation/Workstation.h"
#include "app/ui/Prompt.h"
#include "workstation/frmMain.h"
#include "db/DbError.h"

#include <QTabBar>
#include <QTableWidget>

namespace tz {

void frmMain::createSummaryView() {
    m_resultsTabs = new QTabBar(m_area);
    m_resultsTabs->setObjectName(QStringLiteral("tabResults"));
    m_resultsTabs->addTab(QStringLiteral("Results"));
    m_resultsTabs->addTab(QStringLiteral("Summary"));
    m_resultsTabs->setDrawBase(false);
    m_resultsTabs->setGeometry(8, 8, 872, 38);
    m_summary = new SummaryView(m_ws.settings, ProgramSettings().summaryThresholdCp(), m_area);
    m_summary->setGeometry(m_results->geometry());
    m_summary->hide();
    connect(m_resultsTabs, &QTabBar::currentChanged, this, [this](int index) {
        m_results->setVisible(index == 0);
        m_summary->setVisible(index == 1);
    });
}

void frmMain::connectSummaryView() {
    connect(m_session.get(), &OpenedTestSession::opened, m_summary,
            [this] { m_summary->showTest(m_session->test()); });
    connect(m_session.get(), &OpenedTestSession::closed, m_summary, &SummaryView::clear);
    connect(m_session.get(), &OpenedTestSession::resultsChanged, m_summary, &SummaryView::refresh);
    connect(m_summary, &SummaryView::thresholdChosen, this, [this](double threshold) {
        if (!ProgramSettings::saveSummaryThreshold(threshold))
            m_prompt.message(this, QStringLiteral("The threshold could not be saved in %1; it holds until the "
                                                  "program ends.")
                                       .arg(ProgramSettings::defaultPath()));
    });
}

// The chart already read and drew the test; the summary reads it again for
// its full data (the chart keeps only its points).
void frmMain::summariseOverlay(const QString& name) {
    try {
        if (const std::optional<OpenedTest> test = loadTestByName(m_ws.connection, name))
            m_summary->addTest(*test);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text());
    }
}

}  // namespace tz
