#pragma once
// OstraErr.log: append-only record of automatic shut-downs and similar events.
#include <QDateTime>
#include <QString>

namespace tz {

QString errorLogDefaultPath();  // OstraErr.log in the working directory

// The line written for message at time when (without the line break).
QString errorLogLine(const QString& message, const QDateTime& when);

// Appends one line; false with a reason when the file cannot be written.
bool appendErrorLog(const QString& message, QString* error = nullptr,
                    const QString& path = errorLogDefaultPath());

}  // namespace tz
