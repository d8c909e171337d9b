#pragma once
// A spreadsheet's cells in their places, as the exports build them and the
// workbook writer (the tz360-xlsx module) puts them into an .xlsx file.
#include <QList>
#include <QString>
#include <QVariant>

namespace tz {

struct SheetCell {
    int row = 0;       // from 0 (row 1 of the sheet is 0)
    int column = 0;    // from 0 (column A is 0)
    QVariant value;    // QString, double or QDateTime
    bool bold = false;
};

struct SheetContent {
    QList<SheetCell> cells;
    int resultsHeadingRow = 0;   // repeated on every printed page
    // A second worksheet "Summary" when not empty (the detailed export).
    QList<SheetCell> summary;
};

// The workbook writer's one entry point in its module, looked up by this
// name: writes sheet as a new workbook at path, replacing an earlier file.
// False, with error saying why, when the file could not be written.
using WriteWorkbookFunction = bool (*)(const QString& path, const SheetContent& sheet, QString* error);
inline constexpr char kWriteWorkbook[] = "tz360_write_workbook";
inline constexpr char kWorkbookModule[] = "tz360-xlsx.so";

}  // namespace tz
