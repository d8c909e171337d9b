#include "reports/ui/DetailReportPreview.h"

#include "app/ui/Prompt.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"
#include "reports/ui/DetailReportDocument.h"

#include <QAction>
#include <QDir>
#include <QPrinter>
#include <QTextDocument>
#include <QToolBar>

namespace tz {

DetailReportPreview::DetailReportPreview(QTextDocument& document, Prompt& prompt, ReportDialogs dialogs,
                                         QWidget* parent)
    : QPrintPreviewDialog(parent),
      m_document(document),
      m_prompt(prompt),
      m_dialogs(std::move(dialogs))
{
    setObjectName(QStringLiteral("DetailReportPreview"));
    setWindowTitle(QStringLiteral("Detail Report"));
    setLocalPaper(*printer());
    printer()->setDocName(document.metaInformation(QTextDocument::DocumentTitle));
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* printer) { m_document.print(printer); });
    if (auto* bar = findChild<QToolBar*>()) {
        bar->addSeparator();
        QAction* save = bar->addAction(QStringLiteral("Save as PDF..."), this, &DetailReportPreview::savePdf);
        save->setObjectName(QStringLiteral("actionSavePdf"));
        save->setToolTip(QStringLiteral("Save the report as a PDF file"));
    }
    resize(1000, 720);
}

void DetailReportPreview::savePdf()
{
    const QString title = m_document.metaInformation(QTextDocument::DocumentTitle);
    const QString suggested = QDir::current().filePath(safeFileStem(title) + QStringLiteral(".pdf"));
    const QString path = m_dialogs.saveFileName(this, QStringLiteral("Save Detail Report"), suggested,
                                                QStringLiteral("PDF Files (*.pdf);;All Files (*.*)"),
                                                QStringLiteral("PDF Files (*.pdf)"));
    if (path.isEmpty())
        return;
    try {
        writeDetailReportPdf(path, m_document);
    } catch (const ReportFileError& e) {
        m_prompt.message(this, e.text(), windowTitle(), Prompt::Icon::Critical);
    }
}

}  // namespace tz
