#pragma once
// The brief report: a fixed-pitch page with the test information, the
// additives and the per-ramp results table, printed or saved as text.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"

#include <QLocale>
#include <QStringList>

namespace tz {

// The saved file and the printed page differ in one label.
enum class BriefReportTarget { SavedFile, PrintedPage };

struct BriefReport {
    QStringList lines;
    // Indices into lines after which the printed page ends whatever room is
    // left: after every 40th result line, the first after the 39th.
    QList<int> pageBreaksAfter;
};

// The lines of the report. Result lines take the numeric value of each
// results-table cell; the fixed results heading names the K unit of the
// table's own heading.
BriefReport briefReport(const TestInfoValues& info, const QList<AdditiveValues>& additives,
                        const ResultsTable& table, BriefReportTarget target,
                        const QLocale& locale = QLocale());

// The saved file's text: every line followed by CR LF.
QString briefReportText(const BriefReport& report);

// Writes the saved form to path. Throws ReportFileError.
void writeBriefReport(const QString& path, const TestInfoValues& info,
                      const QList<AdditiveValues>& additives, const ResultsTable& table,
                      const QLocale& locale = QLocale());

// The lines of each printed page: a page ends at a forced break or when
// linesPerPage lines are on it.
QList<QStringList> briefReportPages(const BriefReport& report, int linesPerPage);

}  // namespace tz
