#include "reports/ui/ReportActions.h"

#include "analysis/OpenedTestSession.h"
#include "app/Settings.h"
#include "app/ui/Prompt.h"
#include "app/ui/StatusNote.h"
#include "reports/BriefReport.h"
#include "reports/CorvaneReport.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"
#include "reports/SummarySection.h"
#include "reports/ui/BriefReportPrinter.h"
#include "reports/ui/DetailReportDocument.h"
#include "reports/ui/ExcelExportDialog.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QTextDocument>

namespace tz {

namespace {

// What the desktop says when the operator cancels a print or save dialog.
const QString kCancelled = QStringLiteral("Cancel was selected.");

// Keeps the wait cursor up while a report is produced.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

ReportActions::ReportActions(QWidget& window, OpenedTestSession& session, const Settings& settings,
                             Prompt& prompt)
    : QObject(&window), m_window(window), m_session(session), m_settings(settings), m_prompt(prompt)
{
    setObjectName(QStringLiteral("ReportActions"));
    const std::pair<const char*, void (ReportActions::*)()> commands[] = {
        {"cmdCorvane", &ReportActions::corvaneReport},  {"cmdReport", &ReportActions::briefPrint},
        {"MenuReport", &ReportActions::briefPrint},     {"MenuBriefReport", &ReportActions::briefPrint},
        {"cmdBriefPrint", &ReportActions::briefSave},   {"cmdDetailReport", &ReportActions::detailReport},
        {"MenuDetailReport", &ReportActions::detailReport},
    };
    for (const auto& [name, slot] : commands) {
        if (auto* button = window.findChild<QAbstractButton*>(QLatin1String(name)))
            connect(button, &QAbstractButton::clicked, this, slot);
        else if (auto* action = window.findChild<QAction*>(QLatin1String(name)))
            connect(action, &QAction::triggered, this, slot);
    }
    if (auto* brief = window.findChild<QAbstractButton*>(QStringLiteral("cmdExportExcel")))
        connect(brief, &QAbstractButton::clicked, this, [this] { exportExcel(false); });
    if (auto* detail = window.findChild<QAbstractButton*>(QStringLiteral("cmdExcelDetail")))
        connect(detail, &QAbstractButton::clicked, this, [this] { exportExcel(true); });
}

bool ReportActions::requireOpenTest()
{
    if (m_session.isOpen())
        return true;
    m_prompt.message(&m_window, QStringLiteral("Currently no valid test selected.  Please first open a saved test."));
    return false;
}

void ReportActions::showError(const QString& text)
{
    m_prompt.message(&m_window, text, QStringLiteral("TZ360"), Prompt::Icon::Critical);
}

void ReportActions::showCancelled()
{
    // The operator's own choice, not a failure.
    m_prompt.message(&m_window, kCancelled, QStringLiteral("TZ360"), Prompt::Icon::Information);
}

void ReportActions::corvaneReport()
{
    if (!m_session.isOpen())
        return;
    try {
        WaitCursor wait;
        showStatusNote(&m_window, savedFileNote(writeCorvaneReport(m_session.test(), QDir::currentPath())));
    } catch (const ReportFileError& e) {
        // The customer's system would otherwise read an old or missing file.
        showError(e.text());
    }
}

void ReportActions::briefPrint()
{
    if (!requireOpenTest())
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("Test Report of TZ360 Rheometer - ") + m_session.name());
    if (!dialogs.printDialog(&m_window, printer)) {
        showCancelled();
        return;
    }
    const BriefReport report = briefReport(m_session.test().info, m_session.test().additives,
                                           m_session.resultsTable(), BriefReportTarget::PrintedPage);
    // Each copy is a print document of its own.
    const int copies = qMax(1, printer.copyCount());
    printer.setCopyCount(1);
    WaitCursor wait;
    for (int copy = 0; copy < copies; ++copy) {
        if (!printBriefReport(printer, report)) {
            showError(QStringLiteral("The printer could not be started."));
            return;
        }
    }
}

void ReportActions::briefSave()
{
    if (!requireOpenTest())
        return;
    const QString suggested = briefReportPath(QDir::currentPath(), m_session.name());
    const QString path = dialogs.saveFileName(&m_window, QStringLiteral("Brief Save"), suggested,
                                              QStringLiteral("All Files (*.*);;Text Files(*.txt)"),
                                              QStringLiteral("Text Files(*.txt)"));
    if (path.isEmpty()) {
        showCancelled();
        return;
    }
    try {
        WaitCursor wait;
        writeBriefReport(path, m_session.test().info, m_session.test().additives, m_session.resultsTable());
        showStatusNote(&m_window, savedFileNote(path));
    } catch (const ReportFileError& e) {
        showError(e.text());
    }
}

void ReportActions::detailReport()
{
    if (!requireOpenTest())
        return;
    const OpenedTest& test = m_session.test();
    const std::unique_ptr<QTextDocument> document = detailReportDocument(
        test.info, test.points, summarySectionHtml(reportSummary(test, m_settings), m_settings));
    dialogs.preview(&m_window, m_prompt, *document);
}

void ReportActions::exportExcel(bool detailed)
{
    if (!m_session.isOpen())
        return;
    const OpenedTest& test = m_session.test();
    const QList<SheetCell> summary =
        detailed ? summarySheetCells(test.info.name, reportSummary(test, m_settings), m_settings) : QList<SheetCell>();
    const QString written = exportToExcelWithDialog(&m_window, m_prompt, test, m_session.resultsTable(),
                                                    m_settings.unitSystem, detailed, dialogs, summary);
    if (!written.isEmpty())
        showStatusNote(&m_window, savedFileNote(written));
}

}  // namespace tz
