#pragma once
// tz360-cli retrieve: pulls the stand-alone run a unit keeps in its memory
// into TZ360.db as a new test, as the unit window's "Retrieve Last Result"
// does, for labs that collect their units from a script.
#include <QStringList>

class QTextStream;

namespace tz {

int retrieveCommand(const QStringList& args, QTextStream& out, QTextStream& err);
void retrieveUsage(QTextStream& out);

}  // namespace tz
