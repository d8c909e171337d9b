#pragma once
// OstraErr.log: append-only record of automatic shut-downs and similar events.
#include <QDateTime>
#include <QString>

#include <functional>

namespace tz {

QString errorLogDefaultPath();  // OstraErr.log in the working directory

// The line written for message at time when (without the line break).
QString errorLogLine(const QString& message, const QDateTime& when);

// Appends one line; false with a reason when the file cannot be written.
// A caller that does not ask for the reason (error is null) cannot show it,
// so the line is handed to the lost-line reporter instead of being dropped.
bool appendErrorLog(const QString& message, QString* error = nullptr,
                    const QString& path = errorLogDefaultPath());

// Who hears of a log line that could not be written: the text already says
// which file, why, and the line itself. By default it goes to stderr; the
// workstation puts it into its status bar. An empty function restores stderr.
using LostLogLineReporter = std::function<void(const QString& text)>;
void setLostLogLineReporter(LostLogLineReporter reporter);
// "OstraErr.log could not be written (reason): line" as the reporter gets it.
QString lostLogLineText(const QString& path, const QString& reason, const QString& message);

}  // namespace tz
