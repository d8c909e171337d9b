#include "reports/ui/DetailReportDocument.h"

#include "app/ProgramSettings.h"
#include "reports/DetailReport.h"
#include "reports/ReportFile.h"
#include "reports/ui/DetailReportPdf.h"

#include <QDir>
#include <QLocale>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

namespace tz {

std::unique_ptr<QTextDocument> detailReportDocument(const TestInfoValues& info,
                                                    std::span<const ResultPoint> points,
                                                    const QString& summarySection)
{
    auto document = std::make_unique<QTextDocument>();
    document->setHtml(detailReportHtml(info, points, QLocale(), ProgramSettings().makerWebAddress(), summarySection));
    document->setMetaInformation(QTextDocument::DocumentTitle,
                                 QStringLiteral("TZ360 Viscosity Test Report - ") + info.name);
    return document;
}

void setLocalPaper(QPagedPaintDevice& device)
{
    const bool inches = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    device.setPageSize(QPageSize(inches ? QPageSize::Letter : QPageSize::A4));
}

void writeDetailReportPdf(const QString& path, const QTextDocument& document)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportFileError(QStringLiteral("The report could not be written to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
    printDetailReportPdf(file, document);
    if (!file.commit())
        throw ReportFileError(QStringLiteral("The report could not be written to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
}

}  // namespace tz
