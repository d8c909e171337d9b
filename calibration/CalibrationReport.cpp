#include "calibration/CalibrationReport.h"

#include "app/NumberFormat.h"
#include "calibration/TorqueCalibration.h"

#include <QRegularExpression>
#include <QSaveFile>

namespace tz {

namespace {
// The locale's long time without its time-zone name ("2:05:09 PM").
QString longTime(const QTime& time, const QLocale& locale) {
    static const QRegularExpression zone(QStringLiteral("\\s*\\bt+\\b"));
    QString format = locale.timeFormat(QLocale::LongFormat);
    format.remove(zone);
    return locale.toString(time, format.trimmed());
}
}  // namespace

QStringList calibrationReportLines(const CalibrationReportData& d) {
    QStringList lines;
    lines << QStringLiteral("Torque Calibration Report of TZ360 Rheometer.") << QString();
    lines << QStringLiteral("Calibration Time:              ") + longTime(d.when.time(), d.locale) +
                 u' ' + d.locale.toString(d.when.date(), QLocale::LongFormat);
    lines << QStringLiteral("Instrument Unit:               ") + d.unit;
    lines << QStringLiteral("Bob Size:                      ") + d.bob;
    lines << QStringLiteral("Calibration Fluid Visc(cP):    ") + d.viscosity;
    lines << QStringLiteral("Cali Fluid Visc Change per 1C: ") + d.changePerDegC;
    lines << QString(10, u' ');
    lines << QStringLiteral("ShearStress(dyn/cm2)            Voltage(vdc)");
    for (const CalibrationRecord& r : d.records)
        lines << printZones({printNumber(r.stress), printNumber(r.voltage)});
    lines << QString(3, u' ');
    const QString quality =
        d.quality ? QString::number(*d.quality, 'g', 15)
                  : QStringLiteral("not checked, %1 records arrived and the check needs %2")
                        .arg(d.records.size())
                        .arg(kFirstCheckedRecord + kCheckedRecords);
    lines << QStringLiteral("Least square error is: ") + quality;
    return lines;
}

bool writeCalibrationReport(const QString& path, const CalibrationReportData& data,
                            QString* error) {
    QByteArray text;
    for (const QString& line : calibrationReportLines(data)) text += line.toLatin1() + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tz
