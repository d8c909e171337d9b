#include "reports/ReportText.h"

namespace tz {

QString generalDate(const QDateTime& time, const QLocale& locale)
{
    if (!time.isValid())
        return {};
    QString date = locale.dateFormat(QLocale::ShortFormat);
    if (!date.contains(QLatin1String("yyyy")))
        date.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    QString clock = locale.timeFormat(QLocale::ShortFormat);
    if (!clock.contains(QLatin1String("ss"))) {
        const qsizetype minutes = clock.indexOf(QLatin1String("mm"));
        if (minutes >= 0)
            clock.insert(minutes + 2, QLatin1String(":ss"));
    }
    return locale.toString(time, date + u' ' + clock);
}

}  // namespace tz
