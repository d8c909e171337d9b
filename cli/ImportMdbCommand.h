#pragma once
// tz360-cli import-mdb: brings the old workstation's tests and sequences over
// from its Jet file into this workstation's database.
#include <QStringList>

class QTextStream;

namespace tz {

int importMdbCommand(const QStringList& args, QTextStream& out, QTextStream& err);
void importMdbUsage(QTextStream& out);

}  // namespace tz
