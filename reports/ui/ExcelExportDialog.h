#pragma once
// A spreadsheet export as the operator runs it: the file name from a save
// dialog, the workbook written, then opened with the desktop's spreadsheet
// application when there is one. The main window's two export buttons and
// the double-click on a unit window's results grid both come here.
#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "reports/ExcelExport.h"
#include "reports/ui/ReportDialogs.h"

class QWidget;

namespace tz {

class Prompt;

// The path written, or empty when the operator cancelled or the file could
// not be written (the reason is shown).
QString exportToExcelWithDialog(QWidget* parent, Prompt& prompt, const OpenedTest& test,
                                const ResultsTable& table, int unitSystem, bool detailed,
                                const ReportDialogs& dialogs = ReportDialogs::desktop(),
                                const QList<SheetCell>& summarySheet = {});

}  // namespace tz
