#include "web/Downloads.h"

#include "analysis/ResultsTable.h"
#include "reports/BriefReport.h"
#include "reports/CorvaneReport.h"
#include "reports/ExcelExport.h"
#include "reports/PointsExport.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"
#include "reports/SummarySection.h"
#include "reports/ui/DetailReportDocument.h"
#include "reports/ui/DetailReportPdf.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QUrl>

namespace tz::web {

std::optional<DownloadKind> downloadKind(const QString& name)
{
    if (name == QLatin1String("corvane")) return DownloadKind::Corvane;
    if (name == QLatin1String("brief")) return DownloadKind::Brief;
    if (name == QLatin1String("xlsx")) return DownloadKind::Xlsx;
    if (name == QLatin1String("xlsx-detail")) return DownloadKind::XlsxDetail;
    if (name == QLatin1String("pdf")) return DownloadKind::Pdf;
    if (name == QLatin1String("csv")) return DownloadKind::Csv;
    return std::nullopt;
}

namespace {

// libxlsxwriter writes only to a named file: the workbook is written into a
// private temporary folder by the export function itself and read back.
QByteArray workbookBytes(const OpenedTest& test, const ResultsTable& table, const Settings& settings, bool detailed)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        throw ReportFileError(QStringLiteral("No temporary folder for the workbook: %1").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("export.xlsx"));
    exportTestToExcel(path, test, table, settings.unitSystem, detailed,
                      detailed ? summarySheetCells(test.info.name, reportSummary(test, settings), settings)
                               : QList<SheetCell>());
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ReportFileError(QStringLiteral("The workbook could not be read back: %1").arg(file.errorString()));
    return file.readAll();
}

QString fileName(const OpenedTest& test, const QString& suffix)
{
    return safeFileStem(test.info.name) + suffix;
}

}  // namespace

Download makeDownload(DownloadKind kind, const OpenedTest& test, const Settings& settings)
{
    const ResultsTable table = buildResultsTable(test.analyse(settings), settings);
    switch (kind) {
    case DownloadKind::Corvane:
        return {corvaneReportText(test.info.time, test.points, test.shearRatePerRpm()).toUtf8(),
                fileName(test, QStringLiteral(".txt")), "text/plain; charset=utf-8"};
    case DownloadKind::Brief:
        return {briefReportText(briefReport(test.info, test.additives, table, BriefReportTarget::SavedFile)).toUtf8(),
                fileName(test, QStringLiteral(" brief.txt")), "text/plain; charset=utf-8"};
    case DownloadKind::Xlsx:
    case DownloadKind::XlsxDetail: {
        const bool detailed = kind == DownloadKind::XlsxDetail;
        return {workbookBytes(test, table, settings, detailed),
                fileName(test, detailed ? QStringLiteral(" detail.xlsx") : QStringLiteral(".xlsx")),
                "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"};
    }
    case DownloadKind::Pdf: {
        const std::unique_ptr<QTextDocument> document = detailReportDocument(
            test.info, test.points, summarySectionHtml(reportSummary(test, settings), settings));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        printDetailReportPdf(buffer, *document);
        buffer.close();
        return {bytes, fileName(test, QStringLiteral(".pdf")), "application/pdf"};
    }
    case DownloadKind::Csv:
        return {pointsCsv(test, settings).toUtf8(), fileName(test, QStringLiteral(".csv")), "text/csv; charset=utf-8"};
    }
    return {};
}

QByteArray contentDisposition(const QString& fileName)
{
    QByteArray ascii;
    for (const QChar c : fileName)
        ascii += (c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'"' && c != u'\\') ? static_cast<char>(c.unicode()) : '_';
    return "attachment; filename=\"" + ascii + "\"; filename*=UTF-8''" + QUrl::toPercentEncoding(fileName);
}

}  // namespace tz::web
