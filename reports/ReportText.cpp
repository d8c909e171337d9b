#include "reports/ReportText.h"

#include <cmath>

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

QString plainNumber(double value)
{
    if (!std::isfinite(value))
        return QString::number(value);
    QString text = QString::number(value, 'f', 10);
    if (text.contains(u'.')) {
        while (text.endsWith(u'0'))
            text.chop(1);
        if (text.endsWith(u'.'))
            text.chop(1);
    }
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    // Beyond ten decimals the shortest round-trip form says it better.
    if (text == QLatin1String("0") && value != 0)
        text = QString::number(value, 'g', 15);
    return text;
}

}  // namespace tz
