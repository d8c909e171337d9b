#pragma once
// The detail report's PDF bytes on any device: a file being saved, or a
// buffer served to a browser, so both get the same pages.
#include <QString>

class QIODevice;
class QTextDocument;

namespace tz {

// Prints the document as PDF onto device, which is open for writing.
void printDetailReportPdf(QIODevice& device, const QTextDocument& document);

}  // namespace tz
