// tz360-cli: the workstation's work that needs no person, from a shell, over
// the same library code the windows call. Runs in the working directory that
// holds TZ360.db (or database.txt naming the lab's server).
#include "cli/AnalyzeCommand.h"
#include "cli/ReportCommand.h"
#include "cli/SummaryCommand.h"
#include "cli/ServeCommand.h"
#include "db/DbError.h"
#include "db/TestList.h"
#include "db/clsConnection.h"
#include "cli/RunCommand.h"
#include "cli/RetrieveCommand.h"
#include "cli/CopyDbCommand.h"
#include "cli/ImportMdbCommand.h"
#include "cli/DemoSequence.h"
#include "cli/FlushJournalCommand.h"
#include "tz360_version.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

void usage(QTextStream& out) {
    out << "Usage: tz360-cli <command>\n"
           "       tz360-cli --help | --version\n"
           "\n"
           "Commands:\n"
           "  list    the stored tests, newest first: name, time, researcher (tab separated)\n"
           "  run     a real-time test on one unit without a window (run --help)\n"
           "  add-demo-sequence\n"
           "          stores the sequence \"Demo\" (four steps, each with a shear ramp)\n";
    tz::analyzeUsage(out);
    tz::summaryUsage(out);
    tz::reportUsage(out);
    tz::retrieveUsage(out);
    tz::copyDbUsage(out);
    tz::importMdbUsage(out);
    tz::cli::flushJournalUsage(out);
    tz::serveUsage(out);
    out << "\n"
           "The database is TZ360.db in the working directory, or the PostgreSQL server\n"
           "named by TZ360_DATABASE or by database.txt there (a postgresql:// URI);\n"
           "list names it on stderr first.\n";
}

int list(QTextStream& out, QTextStream& err) {
    clsConnection connection;
    connection.OpenForReading();
    err << "Database: " << connection.description()
        << (connection.isReadOnly() ? QStringLiteral(" (read-only)") : QString()) << "\n";
    err.flush();
    if (!connection.isOpen()) {
        err << connection.lastError() << "\n";
        return 2;
    }
    try {
        for (const tz::StoredTest& t : tz::listTests(connection))
            out << t.name << '\t' << t.time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << '\t'
                << t.researcher << '\n';
    } catch (const tz::DbError& e) {
        err << "tz360-cli list: " << e.text() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[1], "report") == 0) {
        if (tz::cli::journalsPresent()) { QCoreApplication replay(argc, argv); QTextStream err(stderr); tz::cli::replayBeforeCommand(err); }
        return tz::reportMain(argc, argv);
    }
    if (argc > 1 && qstrcmp(argv[1], "serve") == 0) return tz::serveMain(argc, argv);
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        usage(args.isEmpty() ? err : out);
        return args.isEmpty() ? 1 : 0;
    }
    if (args[0] == QLatin1String("--version")) { out << "tz360-cli " TZ360_VERSION "\n"; return 0; }
    if (args[0] == QLatin1String("flush-journal")) return tz::cli::flushJournal(args.mid(1), out, err);
    if (args[0] != QLatin1String("serve")) tz::cli::replayBeforeCommand(err);
    if (args[0] == QLatin1String("list")) return list(out, err);
    if (args[0] == QLatin1String("run")) return tz::cli::run(args.mid(1), out, err);
    if (args[0] == QLatin1String("analyze") || args[0] == QLatin1String("analyse")) return tz::analyzeCommand(args.mid(1), out, err);
    if (args[0] == QLatin1String("add-demo-sequence")) return tz::cli::addDemoSequence(out, err);
    if (args[0] == QLatin1String("summary")) return tz::summaryCommand(args.mid(1), out, err);
    if (args[0] == QLatin1String("export")) return tz::exportCommand(args.mid(1), out, err);
    if (args[0] == QLatin1String("retrieve")) return tz::retrieveCommand(args.mid(1), out, err);
    if (args[0] == QLatin1String("copy-db")) return tz::copyDbCommand(args.mid(1), out, err);
    if (args[0] == QLatin1String("import-mdb")) return tz::importMdbCommand(args.mid(1), out, err);
    err << "tz360-cli: unknown command \"" << args[0] << "\"\n";
    usage(err);
    return 1;
}
