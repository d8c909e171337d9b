#include "app/SettingsFile.h"

#include "app/NumberFormat.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace tz::SettingsFile {

namespace {

constexpr int kDisplayValues = kUnitCount + 5;  // ports, unit system, K' flag, three rates

// The values of the file in order, as a line-input reader takes them: leading
// blanks and line ends are skipped, then a value runs to the next blank, comma
// or line end. Blanks after a value and one comma behind them are a single
// separator, so " 40 , 100" is two values; a second comma closes an empty
// value ("40,,170" is three values, the middle one empty). A tab is no
// separator: it stays inside its value, which then is not a number.
QStringList values(const QString& path, bool* readable) {
    QFile file(path);
    *readable = file.open(QIODevice::ReadOnly);
    if (!*readable) return {};
    const QByteArray text = file.readAll();
    const qsizetype n = text.size();
    auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
    QStringList out;
    qsizetype i = 0;
    while (true) {
        while (i < n && (text[i] == ' ' || isLineEnd(text[i]))) ++i;
        if (i >= n) break;
        const qsizetype start = i;
        while (i < n && text[i] != ' ' && text[i] != ',' && !isLineEnd(text[i])) ++i;
        out.append(QString::fromLatin1(text.mid(start, i - start)));
        if (i < n && text[i] == ' ') {
            while (i < n && text[i] == ' ') ++i;
            if (i < n && text[i] == ',') ++i;
        } else if (i < n && text[i] == ',') {
            ++i;
        }
    }
    return out;
}

// A value that is not a finite decimal number makes a strict reader fail:
// "nan", "inf" or an exponent beyond double range would otherwise become
// calculation shear rates that no viscosity can be computed at.
bool toNumber(const QString& text, double* out) {
    static const QRegularExpression decimal(
        QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
    if (!decimal.match(text).hasMatch()) return false;
    bool ok = false;
    *out = text.toDouble(&ok);
    return ok && std::isfinite(*out);
}

// Codes and port numbers are small integers; a huge value in a hand-edited file
// must not overflow the conversion.
int toCode(double number) { return static_cast<int>(std::clamp(number, -1e6, 1e6)); }

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
        if (i == kUnitCount) settings.unitSystem = toCode(number);
        if (i == kUnitCount + 1) settings.kPrimeUnit = toCode(number);
        if (i > kUnitCount + 1) settings.shearRates[i - kUnitCount - 2] = number;
    }
    return true;
}

HardwareSettings readHardware(const QString& path) {
    bool readable = false;
    const QStringList v = values(path, &readable);
    HardwareSettings hw;
    for (int i = 0; i < kUnitCount && i < v.size(); ++i)
        hw.ports[i] = toCode(val(v[i]));
    if (v.size() > kUnitCount) hw.unitSystem = toCode(val(v[kUnitCount]));
    return hw;
}

std::optional<int> readPort(const QString& path, int unit) {
    bool readable = false;
    const QStringList v = values(path, &readable);
    double number = 0;
    if (unit < 1 || unit > kUnitCount || v.size() < unit || !toNumber(v[unit - 1], &number))
        return std::nullopt;
    return toCode(number);
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
