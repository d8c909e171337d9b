#pragma once
// The stored tests as the lists of the open, overlap and delete windows show
// them: name, start time and operator, newest first.
#include <QDateTime>
#include <QList>
#include <QString>

class clsConnection;

namespace tz {

struct StoredTest {
    QString name;
    QDateTime time;       // invalid when no start time was recorded
    QString researcher;
};

// Throws tz::DbError on a database error.
QList<StoredTest> listTests(clsConnection& connection);

}  // namespace tz
