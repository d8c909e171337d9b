#include "reports/ui/ReportDialogs.h"

#include "app/ui/SaveFileDialog.h"
#include "reports/ui/DetailReportPreview.h"

#include <QDesktopServices>
#include <QPrintDialog>
#include <QPrinter>
#include <QUrl>

namespace tz {

ReportDialogs ReportDialogs::desktop()
{
    ReportDialogs d;
    d.saveFileName = [](QWidget* parent, const QString& caption, const QString& suggestedPath,
                        const QString& filters, const QString& selectedFilter) {
        QString selected = selectedFilter;
        return getSaveFileName(parent, caption, suggestedPath, filters, &selected);
    };
    d.printDialog = [](QWidget* parent, QPrinter& printer) {
        QPrintDialog dialog(&printer, parent);
        return dialog.exec() == QDialog::Accepted;
    };
    d.preview = [](QWidget* parent, Prompt& prompt, QTextDocument& document) {
        DetailReportPreview preview(document, prompt, ReportDialogs::desktop(), parent);
        preview.exec();
    };
    d.openFile = [](const QString& path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
    return d;
}

}  // namespace tz
