#pragma once
// How the reports write dates next to their labels. Stored numbers are
// written with plainNumber (setup/SequenceTemperature.h): "1.5987", "7", "0.5".
#include <QDateTime>
#include <QLocale>
#include <QString>

#include "setup/SequenceTemperature.h"

namespace tz {

// Date and time as the desktop's general date: the locale's short date with a
// four-digit year, then the time with seconds ("12/27/2011 11:59:00 PM").
// Empty for an invalid time (no start time recorded).
QString generalDate(const QDateTime& time, const QLocale& locale = QLocale());

}  // namespace tz
