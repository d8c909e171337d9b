#pragma once
// BOBINFO.TXT: the bob each unit position was last torque-calibrated with,
// one designation per line for units 1 to 8.
#include <QString>
#include <QStringList>

namespace tz::BobFile {

QString defaultPath();  // BOBINFO.TXT in the working directory

// The items of the file in order (split at commas and line breaks, blanks
// trimmed, quotes removed). An empty item (a blank line, ",,") stays in its
// position as an empty designation, so every later unit keeps its own bob.
// Empty when the file cannot be read.
QStringList readItems(const QString& path);

// The bob of unit (1-based); empty when the file is missing or too short, or
// when that unit's item is empty.
QString bobOfUnit(const QString& path, int unit);

// Writes eight lines "B5" when the file is missing; false if it cannot.
bool ensureExists(const QString& path, QString* error = nullptr);

// Rewrites the file with the bob of one unit replaced; every other position is
// written back as it was read (an empty item stays empty) and items past the
// eighth are dropped. A missing file is created first; a file with fewer than
// eight items is refused and left as it was. False with a reason on failure.
bool replaceBob(const QString& path, int unit, const QString& bob, QString* error = nullptr);

}  // namespace tz::BobFile
