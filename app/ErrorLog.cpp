#include "app/ErrorLog.h"

#include "app/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <cstdio>
#include <utility>

namespace tz {

namespace {

LostLogLineReporter& lostLineReporter()
{
    static LostLogLineReporter reporter;
    return reporter;
}

}  // namespace

void setLostLogLineReporter(LostLogLineReporter reporter) { lostLineReporter() = std::move(reporter); }

QString lostLogLineText(const QString& path, const QString& reason, const QString& message)
{
    return QStringLiteral("%1 could not be written (%2): %3").arg(QFileInfo(path).fileName(), reason, message);
}

QString errorLogDefaultPath() { return QDir::current().filePath(QStringLiteral("OstraErr.log")); }

QString errorLogLine(const QString& message, const QDateTime& when) {
    const QString stamp =
        QStringLiteral("Time: ") + QLocale::system().toString(when, QLocale::ShortFormat);
    return padToNextZone(stamp) + QStringLiteral("Cause: ") + message;
}

bool appendErrorLog(const QString& message, QString* error, const QString& path) {
    QFile file(path);
    const QByteArray line = (errorLogLine(message, QDateTime::currentDateTime()) +
                             QStringLiteral("\r\n")).toLocal8Bit();
    // flush() as well: a full disk only shows when the buffered line goes out.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size() ||
        !file.flush()) {
        const QString reason = file.errorString();
        if (error) {
            *error = reason;
        } else if (const LostLogLineReporter& report = lostLineReporter()) {
            report(lostLogLineText(path, reason, message));
        } else {
            std::fprintf(stderr, "%s\n", qPrintable(lostLogLineText(path, reason, message)));
            std::fflush(stderr);
        }
        return false;
    }
    return true;
}

}  // namespace tz
