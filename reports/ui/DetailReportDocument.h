#pragma once
// The detail report as a paged rich-text document: shown in a print preview,
// printed, or saved as PDF. The column captions repeat at the top of every
// page.
#include "analysis/OpenedTest.h"

#include <QString>
#include <memory>
#include <span>

class QPagedPaintDevice;
class QTextDocument;

namespace tz {

// The footer's web address is the one the lab set in tz360.ini, if any.
// summarySection: the test summary's HTML, placed above the points.
std::unique_ptr<QTextDocument> detailReportDocument(const TestInfoValues& info,
                                                    std::span<const ResultPoint> points,
                                                    const QString& summarySection = QString());

// The paper of the lab's locale: Letter where inches are used, else A4.
void setLocalPaper(QPagedPaintDevice& device);

// Writes the document as a PDF file, replacing an earlier one only when the
// new one is complete. Throws ReportFileError.
void writeDetailReportPdf(const QString& path, const QTextDocument& document);

}  // namespace tz
