#pragma once
// BOBINFO.TXT: the bob each unit position was last torque-calibrated with,
// one designation per line for units 1 to 8.
#include <QString>
#include <QStringList>

namespace tz::BobFile {

QString defaultPath();  // BOBINFO.TXT in the working directory

// The items of the file (split at commas and line breaks, blanks trimmed,
// quotes removed). Empty when the file cannot be read.
QStringList readItems(const QString& path);

// The bob of unit (1-based); empty when the file is missing or too short.
QString bobOfUnit(const QString& path, int unit);

// Writes eight lines "B5" when the file is missing; false if it cannot.
bool ensureExists(const QString& path, QString* error = nullptr);

// Rewrites the file with the bob of one unit replaced; items past the eighth
// are dropped. A missing file is created first. False with a reason on failure.
bool replaceBob(const QString& path, int unit, const QString& bob, QString* error = nullptr);

}  // namespace tz::BobFile
