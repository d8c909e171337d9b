#include "reports/CorvaneReport.h"

#include "app/NumberFormat.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"

#include <cmath>

namespace tz {

namespace {

constexpr qint64 kSecondsPerDay = 86400;
// The first 8 minutes of a test are its lead-in; TESTTIME counts from their end.
constexpr qint64 kLeadInSeconds = 480;

QString quoted(const QString& text) { return u'"' + text + u'"'; }

// Seconds on a clock that starts at midnight and wraps every 24 hours;
// negative seconds count back from midnight.
QString clockText(qint64 seconds)
{
    const qint64 s = ((seconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600, 2, 10, QLatin1Char('0'))
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString field(double value, QStringView pattern) { return formatNumber(value, pattern).leftJustified(15); }

}  // namespace

QString corvaneReportText(const QDateTime& testTime, std::span<const ResultPoint> points,
                          double shearRatePerRpm)
{
    const QString crlf = QStringLiteral("\r\n");
    QString text = QStringLiteral(
        "\"DATE\"        \"CLOCK\"        \"ELAPSED\"      \"TESTTIME\"     \"LOGTIME\"      "
        "\"RPM1    \"     \"VISC1   \"     \"STEMP1  \"     \"BTEMP1  \"     \"RATE1   \"     "
        "\"STRSS1  \"     \"TORQ1   \"     \"RWTOR1  \"") + crlf;
    for (const ResultPoint& p : points) {
        // Points are taken once a second; a fraction shows as the nearest second.
        const qint64 seconds = std::llround(p.time);
        // Calendar arithmetic on the start's date and clock, as the lab's
        // desktop adds seconds to a date: no daylight-saving jump.
        const QDateTime at = testTime.isValid()
            ? QDateTime(testTime.date(), testTime.time(), Qt::UTC).addSecs(seconds)
            : QDateTime();
        text += quoted(at.isValid() ? at.toString(QStringLiteral("MM-dd-yyyy")) : QString()) + QStringLiteral("  ");
        text += quoted(at.isValid() ? at.toString(QStringLiteral("HH:mm:ss")) : QString()) + QStringLiteral("     ");
        text += quoted(clockText(seconds)) + QStringLiteral("     ");
        text += quoted(clockText(seconds - kLeadInSeconds)) + QStringLiteral("      ");
        text += field(p.time / 60, u"##.##");
        text += field(p.shearRate / shearRatePerRpm, u"###.####");
        text += field(100 * p.shearStress / (p.shearRate + 0.000000000001), u"###.####");
        text += field(p.sampleTemp, u"###");
        text += field(p.bathTemp, u"###");
        text += field(p.shearRate, u"###.####");
        text += field(p.shearStress, u"###.####");
        text += field(p.shearStress * 0.14290857, u"###.####");
        text += field(2.544798908 + 0.002159228594 * p.shearStress, u"###.####");
        text += crlf;
    }
    return text;
}

QString writeCorvaneReport(const OpenedTest& test, const QString& dir)
{
    const QString path = reportFilePath(dir, test.info.name, QStringLiteral(".txt"));
    writeReportFile(path, corvaneReportText(test.info.time, test.points, test.shearRatePerRpm()));
    return path;
}

}  // namespace tz
