#include "app/BobFile.h"

#include "app/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace tz::BobFile {

namespace {
constexpr auto kDefaultBob = "B5";

bool writeLines(const QString& path, const QStringList& bobs, QString* error) {
    QByteArray text;
    for (const QString& bob : bobs) text += bob.toLatin1() + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0 || !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
}  // namespace

QString defaultPath() { return QDir::current().filePath(QStringLiteral("BOBINFO.TXT")); }

QStringList readItems(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    // One line break (CR LF, LF or CR) or one comma ends one item; a line
    // break at the very end of the file ends the last item and starts none.
    static const QRegularExpression lineBreak(QStringLiteral("\\r\\n|\\n|\\r"));
    QStringList lines = QString::fromLatin1(file.readAll()).split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    QStringList items;
    for (const QString& line : lines) {
        for (QString item : line.split(u',')) {
            item = item.trimmed();
            if (item.size() >= 2 && item.startsWith(u'"') && item.endsWith(u'"'))
                item = item.mid(1, item.size() - 2);
            items << item;
        }
    }
    return items;
}

QString bobOfUnit(const QString& path, int unit) {
    const QStringList items = readItems(path);
    if (unit < 1 || unit > kUnitCount || items.size() < kUnitCount) return {};
    return items[unit - 1];
}

bool ensureExists(const QString& path, QString* error) {
    if (QFile::exists(path)) return true;
    return writeLines(path, QStringList(kUnitCount, QString::fromLatin1(kDefaultBob)), error);
}

bool replaceBob(const QString& path, int unit, const QString& bob, QString* error) {
    if (unit < 1 || unit > kUnitCount) {
        if (error) *error = QStringLiteral("Unit %1 is not a unit position (1 to 8).").arg(unit);
        return false;
    }
    if (!ensureExists(path, error)) return false;
    QStringList items = readItems(path);
    // A short file is refused rather than guessed at: padding it would give
    // the missing units a bob nobody calibrated them with.
    if (items.size() < kUnitCount) {
        if (error)
            *error = QStringLiteral("%1 holds %2 of the %3 bob entries.")
                         .arg(QDir::toNativeSeparators(path))
                         .arg(items.size())
                         .arg(kUnitCount);
        return false;
    }
    items = items.mid(0, kUnitCount);
    items[unit - 1] = bob;
    return writeLines(path, items, error);
}

}  // namespace tz::BobFile
