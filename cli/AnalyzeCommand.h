#pragma once
// tz360-cli analyze NAME: the per-ramp results table of a stored test, as the
// main window's grid shows it, printed as comma-separated text.
#include <QStringList>

class QTextStream;

namespace tz {

int analyzeCommand(const QStringList& args, QTextStream& out, QTextStream& err);
void analyzeUsage(QTextStream& out);

}  // namespace tz
