#include "cli/FlushJournalCommand.h"

#include "app/ErrorLog.h"
#include "db/clsConnection.h"
#include "instrument/JournalReplay.h"
#include "instrument/PointJournal.h"

#include <QDir>

namespace tz::cli {

bool journalsPresent()
{
    const QDir dir(QDir::current().filePath(QStringLiteral("journal")));
    return dir.exists()
        && !dir.entryList({QStringLiteral("*") + QLatin1String(PointJournal::kSuffix)}, QDir::Files).isEmpty();
}

void flushJournalUsage(QTextStream& out)
{
    out << "  flush-journal\n"
           "          stores the recorded points still kept in the point journal (journal/ in the\n"
           "          working directory) and lists what is still waiting and why\n";
}

int flushJournal(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (!args.isEmpty()) {
        if (args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
            flushJournalUsage(out);
            return 0;
        }
        err << "tz360-cli flush-journal: unexpected argument \"" << args.first() << "\"\n";
        return 1;
    }
    clsConnection connection;
    connection.OpenDB(QString(), QString(), QString(), QString());
    err << "Database: " << connection.description() << "\n";
    const JournalLocation where = journalLocationFor(connection);
    const ReplayResult result = replayJournals(connection, where);
    const QString recovered = recoveredText(result, where);
    if (!recovered.isEmpty())
        appendErrorLog(recovered);
    out << "Stored " << result.recovered << " recorded points from the point journal";
    if (result.alreadyStored > 0)
        out << " (" << result.alreadyStored << " were stored already)";
    out << "\n";
    for (const ReplayResult::Waiting& w : result.waiting) {
        out << "Waiting: " << QDir::toNativeSeparators(w.path) << ": ";
        if (w.testId > 0)
            out << w.points << " points of test id " << w.testId << ": ";
        out << w.why << "\n";
    }
    if (result.waiting.isEmpty())
        out << "Nothing is waiting.\n";
    out.flush();
    err.flush();
    if (!connection.isOpen())
        return 2;
    return result.waiting.isEmpty() ? 0 : 6;
}

void replayBeforeCommand(QTextStream& err)
{
    if (!journalsPresent())
        return;
    clsConnection connection;
    connection.OpenDB(QString(), QString(), QString(), QString());
    if (!connection.isOpen())
        return;  // the command itself says why the database cannot be opened
    const QString text = replayAtOpening(connection);
    if (!text.isEmpty()) {
        err << "tz360-cli: " << text << "\n";
        err.flush();
    }
}

}  // namespace tz::cli
