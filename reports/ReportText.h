#pragma once
// How the reports write dates and stored numbers next to their labels.
#include <QDateTime>
#include <QLocale>
#include <QString>

namespace tz {

// Date and time as the desktop's general date: the locale's short date with a
// four-digit year, then the time with seconds ("12/27/2011 11:59:00 PM").
// Empty for an invalid time (no start time recorded).
QString generalDate(const QDateTime& time, const QLocale& locale = QLocale());

// A stored number as it reads after a label: shortest form, no exponent for
// the values a test holds ("1.5987", "7", "0.5").
QString plainNumber(double value);

}  // namespace tz
