#pragma once
// Deleting a stored test: every TEST_INFO row of the name, with the points and
// the additives of each, in one transaction, so no orphaned points remain
// whatever happens half-way.
#include <QString>

class clsConnection;

namespace tz {

// Returns the number of TEST_INFO rows removed (0 when the name is not
// stored). Throws tz::DbError after rolling everything back.
int deleteTestByName(clsConnection& connection, const QString& name);

}  // namespace tz
