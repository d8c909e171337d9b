// The main window's chart area: the chart panel that owns the chart-type,
// 2-D / 3-D, scale, data filter, print and save controls, and the overlap
// dialog whose choice is drawn over the opened test.
#include "analysis/OpenedTestSession.h"
#include "analysis/ui/ChartPanel.h"
#include "workstation/Workstation.h"
#include "app/ui/Prompt.h"
#include "workstation/frmMain.h"
#include "testinfo/frmOverlapTest.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

namespace tz {

// The chart area and the controls that choose what it shows.
void frmMain::createChartPanel() {
    auto radio = [this](const char* name) { return findChild<QRadioButton*>(QLatin1String(name)); };
    ChartControls c;
    c.chartType = findChild<QComboBox*>(QStringLiteral("cmbChartType"));
    c.opt2D = radio("opt2D");
    c.opt3D = radio("opt3D");
    c.optXlog = radio("optXlog");
    c.optXNormal = radio("optXNormal");
    c.optYLog = radio("optYLog");
    c.optYNormal = radio("optYNormal");
    c.optAllData = radio("optAllData");
    c.optNoRampData = radio("optNoRampData");
    c.xScaleFrame = findChild<QWidget*>(QStringLiteral("fraXScale"));
    c.yScaleFrame = findChild<QWidget*>(QStringLiteral("fraYScale"));
    c.overlap = findChild<QPushButton*>(QStringLiteral("cmdOverlap"));
    c.print = findChild<QPushButton*>(QStringLiteral("cmdPrintChart"));
    c.printActions = {findChild<QAction*>(QStringLiteral("MenuPrintChart"))};
    c.saveActions = {findChild<QAction*>(QStringLiteral("MenuSaveChart"))};
    m_charts = new ChartPanel(m_area, c, m_ws.settings, m_ws.connection, m_prompt);
    m_charts->widget()->setGeometry(kChartArea);
    // Connected after the opened-test session's own handlers, so the chart
    // drawn here is the one left on screen.
    connect(m_session.get(), &OpenedTestSession::opened, this,
            [this] { m_charts->showTest(m_session->test()); });
    connect(m_session.get(), &OpenedTestSession::closed, m_charts, &ChartPanel::clearTest);
}

// The overlap dialog lives as long as the window; it is refilled each time
// so tests stored since show up.
void frmMain::showOverlapTest() {
    if (!m_overlap) {
        m_overlap = new frmOverlapTest(m_ws.connection, m_prompt, this);
        connect(m_overlap, &frmOverlapTest::OverSelected, this, [this] {
            const QString name = m_overlap->testName();
            if (!m_overlap->listedNames().contains(name)) {
                m_prompt.message(this, QStringLiteral("Your test sequence name is not found.  Please try again."));
                return;
            }
            if (m_charts->overlayTest(name))
                summariseOverlay(name);
        });
    } else {
        m_overlap->reload();
    }
    m_overlap->exec();
}

}  // namespace tz
