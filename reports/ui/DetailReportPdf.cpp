#include "reports/ui/DetailReportPdf.h"

#include "reports/ui/DetailReportDocument.h"

#include <QPdfWriter>
#include <QTextDocument>

namespace tz {

void printDetailReportPdf(QIODevice& device, const QTextDocument& document)
{
    QPdfWriter writer(&device);
    setLocalPaper(writer);
    writer.setTitle(document.metaInformation(QTextDocument::DocumentTitle));
    writer.setCreator(QStringLiteral("TZ360"));
    document.print(&writer);
}

}  // namespace tz
