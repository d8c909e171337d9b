#include "app/SettingsFile.h"

#include "app/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace tz::SettingsFile {

namespace {

constexpr int kDisplayValues = kUnitCount + 5;  // ports, unit system, K' flag, three rates

// The values of the file in order: a value ends at a blank, a comma or a line
// end; leading blanks and line ends are skipped. Readers stop where they need.
QStringList values(const QString& path, bool* readable) {
    QFile file(path);
    *readable = file.open(QIODevice::ReadOnly);
    if (!*readable) return {};
    const QString text = QString::fromLatin1(file.readAll());
    static const QRegularExpression separators(QStringLiteral("[ ,\\r\\n\\t]+"));
    return text.split(separators, Qt::SkipEmptyParts);
}

// A value that is not a number makes a strict reader fail.
bool toNumber(const QString& text, double* out) {
    bool ok = false;
    *out = text.toDouble(&ok);
    return ok;
}

}  // namespace

QString defaultPath() { return QDir::current().filePath(QStringLiteral("initial.txt")); }

bool readDisplay(const QString& path, Settings& settings) {
    bool readable = false;
    const QStringList v = values(path, &readable);
    double number = 0;
    for (int i = 0; i < kDisplayValues; ++i) {
        if (i >= v.size() || !toNumber(v[i], &number)) {
            settings.resetDisplayDefaults();
            return false;
        }
        if (i == kUnitCount) settings.unitSystem = static_cast<int>(number);
        if (i == kUnitCount + 1) settings.kPrimeUnit = static_cast<int>(number);
        if (i > kUnitCount + 1) settings.shearRates[i - kUnitCount - 2] = number;
    }
    return true;
}

HardwareSettings readHardware(const QString& path) {
    bool readable = false;
    const QStringList v = values(path, &readable);
    HardwareSettings hw;
    for (int i = 0; i < kUnitCount && i < v.size(); ++i)
        hw.ports[i] = static_cast<int>(val(v[i]));
    if (v.size() > kUnitCount) hw.unitSystem = static_cast<int>(val(v[kUnitCount]));
    return hw;
}

std::optional<int> readPort(const QString& path, int unit) {
    bool readable = false;
    const QStringList v = values(path, &readable);
    double number = 0;
    if (unit < 1 || unit > kUnitCount || v.size() < unit || !toNumber(v[unit - 1], &number))
        return std::nullopt;
    return static_cast<int>(number);
}

QByteArray render(const std::array<int, kUnitCount>& ports, const Settings& settings) {
    QString text;
    for (int port : ports) text += printNumber(port) + QStringLiteral("\r\n");
    text += printNumber(settings.unitSystem) + QStringLiteral("\r\n");
    text += printNumber(settings.kPrimeUnit) + QStringLiteral("\r\n");
    text += printZones({printNumber(settings.shearRates[0]), printNumber(settings.shearRates[1]),
                        printNumber(settings.shearRates[2])});
    text += QStringLiteral("\r\n");
    return text.toLatin1();
}

bool write(const QString& path, const std::array<int, kUnitCount>& ports,
           const Settings& settings, QString* error) {
    // Written aside and renamed, so a full disk never leaves a half file that
    // the next start-up would read as wrong ports.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(render(ports, settings)) < 0 ||
        !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

}  // namespace tz::SettingsFile
