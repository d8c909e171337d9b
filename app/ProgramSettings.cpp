#include "app/ProgramSettings.h"

#include <QDir>
#include <QSettings>

#include <cmath>

namespace tz {

bool thresholdAccepted(double thresholdCp) {
    return std::isfinite(thresholdCp) && thresholdCp > 0;
}

namespace {
// An address is one short line: a hand-edited file may hold anything.
constexpr qsizetype kLongestAddress = 200;
}  // namespace

ProgramSettings::ProgramSettings(const QString& path)
{
    const QSettings file(path, QSettings::IniFormat);
    QString address = file.value(QStringLiteral("reports/maker_web_address")).toString().simplified();
    if (address.size() > kLongestAddress)
        address.clear();
    m_makerWebAddress = address;

    bool ok = false;
    const double threshold = file.value(QStringLiteral("summary/threshold_cp")).toString().trimmed().toDouble(&ok);
    m_summaryThresholdCp = ok && thresholdAccepted(threshold) ? threshold : kDefaultThresholdCp;
}

bool ProgramSettings::saveSummaryThreshold(double thresholdCp, const QString& path)
{
    if (!thresholdAccepted(thresholdCp))
        return false;
    QSettings file(path, QSettings::IniFormat);
    file.setValue(QStringLiteral("summary/threshold_cp"), QString::number(thresholdCp, 'g', 10));
    file.sync();
    return file.status() == QSettings::NoError;
}

QString ProgramSettings::defaultPath()
{
    return QDir::current().filePath(QStringLiteral("tz360.ini"));
}

}  // namespace tz
