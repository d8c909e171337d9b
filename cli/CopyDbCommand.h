#pragma once
// tz360-cli copy-db: moves every sequence and test of one database into
// another (a bench's TZ360.db onto the lab server, or back), keeping names.
#include <QStringList>

class QTextStream;

namespace tz {

int copyDbCommand(const QStringList& args, QTextStream& out, QTextStream& err);
void copyDbUsage(QTextStream& out);

}  // namespace tz
