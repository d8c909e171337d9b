#include "app/ProgramSettings.h"

#include <QDir>
#include <QSettings>

namespace tz {

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
}

QString ProgramSettings::defaultPath()
{
    return QDir::current().filePath(QStringLiteral("tz360.ini"));
}

}  // namespace tz
