// The main window's Summary view: a tab above the results grid switches
// between the grid and the summary of the opened and overlaid tests, in the
// same place. The threshold chosen there is remembered in tz360.ini. The view
// is built when a test is first opened or the tab first chosen, not while
// the program starts.
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
    connect(m_resultsTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (index == 1) ensureSummaryView();
        m_results->setVisible(index == 0);
        if (m_summary) m_summary->setVisible(index == 1);
    });
}

SummaryView* frmMain::ensureSummaryView() {
    if (m_summary) return m_summary;
    m_summary = new SummaryView(m_ws.settings, ProgramSettings().summaryThresholdCp(), m_area);
    m_summary->setGeometry(m_results->geometry());
    m_summary->hide();
    // Tab reaches it right after the tab bar, as if it had been there from
    // the start (a widget made later joins the end of the focus chain).
    QWidget* previous = m_resultsTabs;
    QList<QWidget*> chain;
    for (QWidget* w = m_summary->nextInFocusChain(); w != m_summary; w = w->nextInFocusChain())
        if (m_summary->isAncestorOf(w)) chain << w;
    for (QWidget* w : chain) {
        if (w->focusPolicy() & Qt::TabFocus) {
            QWidget::setTabOrder(previous, w);
            previous = w;
        }
    }
    connect(m_summary, &SummaryView::thresholdChosen, this, [this](double threshold) {
        if (!ProgramSettings::saveSummaryThreshold(threshold))
            m_prompt.message(this, QStringLiteral("The threshold could not be saved in %1; it holds until the "
                                                  "program ends.")
                                       .arg(ProgramSettings::defaultPath()));
    });
    if (m_session->isOpen()) m_summary->showTest(m_session->test());
    return m_summary;
}

void frmMain::connectSummaryView() {
    connect(m_session.get(), &OpenedTestSession::opened, this, [this] {
        if (m_summary) m_summary->showTest(m_session->test());
        else ensureSummaryView();  // shows the opened test as it is built
    });
    connect(m_session.get(), &OpenedTestSession::closed, this, [this] {
        if (m_summary) m_summary->clear();
    });
    connect(m_session.get(), &OpenedTestSession::resultsChanged, this, [this] {
        if (m_summary) m_summary->refresh();
    });
}

// The chart already read and drew the test; the summary reads it again for
// its full data (the chart keeps only its points).
void frmMain::summariseOverlay(const QString& name) {
    try {
        if (const std::optional<OpenedTest> test = loadTestByName(m_ws.connection, name))
            ensureSummaryView()->addTest(*test);
    } catch (const DbError& e) {
        m_prompt.message(this, e.text());
    }
}

}  // namespace tz
