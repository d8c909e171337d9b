#pragma once
// tz360-cli summary NAME [NAME ...] [--threshold CP] [--format text|csv|json]:
// the test summary of stored tests side by side, for comparing recipes in
// scripts.
#include <QStringList>

class QTextStream;

namespace tz {

int summaryCommand(const QStringList& args, QTextStream& out, QTextStream& err);
void summaryUsage(QTextStream& out);

}  // namespace tz
