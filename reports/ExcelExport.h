#pragma once
// The brief and the detailed spreadsheet of a test, written as an .xlsx file:
// test information, additives and the per-ramp results table, and for the
// detailed sheet every recorded point below it. Page set-up: the results
// heading row repeats on every printed page, landscape, one page wide and at
// most ten tall.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "reports/SheetContent.h"

#include <QString>
#include <span>

namespace tz {

// The cells in their places. The results section copies the results table
// cell for cell (numbers as numbers, "N/A" as text); the detailed sheet adds
// the point heading and one row per point.
SheetContent excelSheet(const TestInfoValues& info, const QList<AdditiveValues>& additives,
                        const ResultsTable& table, int unitSystem, bool detailed,
                        std::span<const ResultPoint> points = {});

// Writes the sheet as the first worksheet of a new workbook at path,
// replacing an earlier file. Throws ReportFileError.
void writeExcelFile(const QString& path, const SheetContent& sheet);

// The brief export (detailed = false) or the detailed one of an opened test.
// The detailed one also gets summarySheet as its "Summary" worksheet.
void exportTestToExcel(const QString& path, const OpenedTest& test, const ResultsTable& table,
                       int unitSystem, bool detailed, const QList<SheetCell>& summarySheet = {});

}  // namespace tz
