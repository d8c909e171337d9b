#pragma once
// Moving a bench's tests and sequences into another database (a lab's new
// server, a colleague's TZ360.db): every sequence with its steps and shear
// ramps, every test with its additives and points, under new ids of the target.
#include <QString>
#include <QStringList>

class clsConnection;

namespace tz {

struct CopyResult {
    QStringList lines;   // one per sequence or test copied, with its new name if renamed
    int sequences = 0;
    int tests = 0;
};

// Copies everything from source into target in one transaction of the target.
// A name already in the target is refused (tz::DbError naming it, nothing
// written) unless renameClashes: then the first free "NAME (2)", "NAME (3)"...
// that fits the 40-character columns is used.
CopyResult copyDatabase(clsConnection& source, clsConnection& target, bool renameClashes);

}  // namespace tz
