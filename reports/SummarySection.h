#pragma once
// The test summary as the detail report's section and as the detailed
// spreadsheet's "Summary" sheet. The threshold is the one the operator last
// chose (tz360.ini), so a report matches the Summary view it was made from.
#include "analysis/OpenedTest.h"
#include "analysis/TestSummary.h"
#include "reports/ExcelExport.h"

#include <QString>

namespace tz {

TestSummary reportSummary(const OpenedTest& test, const Settings& settings);

// A heading, the test-wide items two to a line (a value that is not there,
// such as no break, shows as "-"), then one line per fitted ramp with n', K',
// K'pipe, the measured rates and the three viscosities, "*" marking one
// extrapolated beyond the measured rates.
QString summarySectionHtml(const TestSummary& summary, const Settings& settings);

// Row 1 the title, row 3 the test name, then from row 5 one row per item:
// column A its heading, column B its value (numbers as numbers, "yes"/"no"
// and rate ranges as text, nothing when there is no value).
QList<SheetCell> summarySheetCells(const QString& testName, const TestSummary& summary, const Settings& settings);

}  // namespace tz
