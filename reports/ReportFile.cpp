#include "reports/ReportFile.h"

#include <QDir>
#include <QSaveFile>

namespace tz {

void writeReportFile(const QString& path, const QString& text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ReportFileError(QStringLiteral("The report could not be written to %1: %2")
                                  .arg(QDir::toNativeSeparators(path), file.errorString()));
}

}  // namespace tz
