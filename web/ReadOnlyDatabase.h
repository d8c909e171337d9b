#pragma once
// The web view's database: the one the working directory names (TZ360.db,
// database.txt or TZ360_DATABASE), opened so that nothing can be written
// through it: the file read-only, the server with read-only sessions.
#include <QString>

class clsConnection;

namespace tz::web {

// False with the reason when the database cannot be opened that way (a file
// that does not exist is not created).
bool openReadOnlyDatabase(clsConnection& connection, const QString& dir, QString& error);

// connectOptions ("key='value';...") with default_transaction_read_only on,
// merged into an options parameter the URI already has.
QString withReadOnlySessions(const QString& connectOptions);

}  // namespace tz::web
