#include "reports/ReportFileName.h"

#include <QDir>
#include <QRegularExpression>

namespace tz {

QString safeFileStem(const QString& testName)
{
    QString stem;
    stem.reserve(testName.size());
    for (QChar c : testName) {
        const bool unsafe = c.unicode() < 32 || c.unicode() == 127
            || QStringLiteral("/\\:*?\"<>|").contains(c);
        stem += unsafe ? QChar(u'_') : c;
    }
    stem.replace(QStringLiteral(".."), QStringLiteral("__"));
    // The desktop drops trailing dots and blanks, so "a." and "a" would be one file.
    for (qsizetype i = stem.size() - 1; i >= 0 && (stem[i] == u'.' || stem[i] == u' '); --i)
        stem[i] = u'_';
    if (stem.isEmpty())
        return QStringLiteral("_");
    static const QRegularExpression device(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9])(\\..*)?$"),
                                           QRegularExpression::CaseInsensitiveOption);
    if (device.match(stem).hasMatch())
        stem.prepend(u'_');
    return stem;
}

QString reportFilePath(const QString& dir, const QString& testName, const QString& suffix)
{
    return QDir(dir).filePath(safeFileStem(testName) + suffix);
}

QString briefReportPath(const QString& dir, const QString& testName)
{
    return reportFilePath(dir, testName, QStringLiteral(" brief.txt"));
}

}  // namespace tz
