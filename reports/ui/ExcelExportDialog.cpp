#include "reports/ui/ExcelExportDialog.h"

#include "app/ui/Prompt.h"
#include "reports/ExcelExport.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"

#include <QApplication>
#include <QDir>

namespace tz {

QString exportToExcelWithDialog(QWidget* parent, Prompt& prompt, const OpenedTest& test,
                                const ResultsTable& table, int unitSystem, bool detailed,
                                const ReportDialogs& dialogs, const QList<SheetCell>& summarySheet)
{
    const QString suggested = QDir::current().filePath(
        safeFileStem(test.info.name) + (detailed ? QStringLiteral(" detail") : QString()) + QStringLiteral(".xlsx"));
    QString path = dialogs.saveFileName(parent, detailed ? QStringLiteral("Detail Excel") : QStringLiteral("Brief Excel"),
                                        suggested, QStringLiteral("Excel Workbook (*.xlsx)"),
                                        QStringLiteral("Excel Workbook (*.xlsx)"));
    if (path.isEmpty())
        return {};
    if (!path.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive))
        path += QStringLiteral(".xlsx");
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        exportTestToExcel(path, test, table, unitSystem, detailed, summarySheet);
    } catch (const ReportFileError& e) {
        QApplication::restoreOverrideCursor();
        prompt.message(parent, e.text(), QStringLiteral("TZ360"), Prompt::Icon::Critical);
        return {};
    }
    QApplication::restoreOverrideCursor();
    dialogs.openFile(path);
    return path;
}

}  // namespace tz
