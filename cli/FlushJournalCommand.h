#pragma once
// tz360-cli flush-journal: stores the points that point journals of the
// working directory still hold (a run that ended, was killed or lost its
// power while the database was away), in order and exactly once, and says
// what is still waiting and why.
//
// Every other command that opens the database replays the journals first
// (replayBeforeCommand), so a lab that simply goes on working loses nothing.
#include <QStringList>
#include <QTextStream>

namespace tz::cli {

void flushJournalUsage(QTextStream& out);
// Exit status: 0 nothing waits any more; 2 the database cannot be opened
// (the journals are listed); 6 points still wait (listed, with the reason).
int flushJournal(const QStringList& args, QTextStream& out, QTextStream& err);
// For the commands that open the database: replays any journal left in the
// working directory and says on err how many points were recovered. Opens
// nothing when there is no journal.
void replayBeforeCommand(QTextStream& err);
// Whether journal/ in the working directory holds any journal (no database opened).
bool journalsPresent();

}  // namespace tz::cli
