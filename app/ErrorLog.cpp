#include "app/ErrorLog.h"

#include "app/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QLocale>

namespace tz {

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
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(line) != line.size()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tz
