#pragma once
// The detail report in a print preview: page through it, print it, or save
// it as a PDF file from the preview's tool bar.
#include "reports/ui/ReportDialogs.h"

#include <QPrintPreviewDialog>

class QTextDocument;

namespace tz {

class Prompt;

class DetailReportPreview : public QPrintPreviewDialog {
    Q_OBJECT
public:
    DetailReportPreview(QTextDocument& document, Prompt& prompt, ReportDialogs dialogs,
                        QWidget* parent = nullptr);

    // Asks for a file name and writes the report as PDF; a failure is shown.
    void savePdf();

private:
    QTextDocument& m_document;
    Prompt& m_prompt;
    ReportDialogs m_dialogs;
};

}  // namespace tz
