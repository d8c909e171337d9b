#include "cli/RetrieveCommand.h"

#include "cli/UnitTestOptions.h"
#include "db/DbError.h"
#include "db/NewTest.h"
#include "db/clsConnection.h"
#include "instrument/RetrievedTest.h"
#include "instrument/StoredResultsRetrieval.h"
#include "instrument/UnitLink.h"

#include <QCommandLineParser>
#include <QEventLoop>
#include <QTextStream>

namespace tz {

// Exit status: 0 stored; 1 usage; 2 database or test name; 3 port or unit
// (cannot open, no reply, reply not closed).
void retrieveUsage(QTextStream& out)
{
    out << "  retrieve --comm K --test NAME [--bob CODE] [--fluid TEXT] [--researcher TEXT]\n"
           "          stores the stand-alone run kept by the unit at Comm K as test NAME and\n"
           "          prints how many points it stored (--bob B1 ... B5, XB1 ... XB5, default B5)\n";
}

int retrieveCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QCommandLineParser parser;
    const cli::UnitTestOptions options;
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    options.addTo(parser);
    parser.addOption(help);
    const auto fail = [&](int code, const QString& reason) {
        err << "tz360-cli retrieve: " << reason << "\n";
        err.flush();
        return code;
    };
    if (!parser.parse(QStringList{QStringLiteral("tz360-cli retrieve")} + args))
        return fail(1, parser.errorText());
    if (parser.isSet(help)) {
        out << "Usage: tz360-cli";
        retrieveUsage(out);
        return 0;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(1, QStringLiteral("unexpected argument \"%1\"").arg(parser.positionalArguments().first()));
    const std::optional<int> commNo = options.commNo(parser);
    if (!commNo)
        return fail(1, cli::UnitTestOptions::commError());
    if (const QString problem = options.textError(parser); !problem.isEmpty())
        return fail(1, problem);
    const QString name = options.testName(parser);
    const std::optional<TestInformation> info = options.information(parser);
    if (!info)
        return fail(1, options.bobError(parser));

    clsConnection connection;
    connection.OpenDB(QString(), QString(), QString(), QString());
    if (!connection.isOpen())
        return fail(2, connection.lastError().replace(QStringLiteral("\r\n"), QStringLiteral(": ")));
    try {
        if (testNameTaken(connection, name))
            return fail(2, QStringLiteral("a test named \"%1\" is already stored").arg(name));
    } catch (const DbError& e) {
        return fail(2, e.text());
    }

    UnitLink link;
    if (!link.open(*commNo))
        return fail(3, link.errorString());

    // The whole reply first; only a complete one is stored.
    StoredResultsRetrieval retrieval(link);
    StoredResults results;
    QEventLoop loop;
    QObject::connect(&retrieval, &StoredResultsRetrieval::finished, &loop, [&](const StoredResults& r) {
        results = r;
        loop.quit();
    });
    retrieval.start();
    loop.exec();
    link.close();

    const QString failure = StoredResultsRetrieval::failureMessage(results);
    if (!failure.isEmpty())
        return fail(3, failure);
    if (results.malformed > 0)
        err << "tz360-cli retrieve: " << results.malformed
            << " record(s) without nine numbers were skipped\n";

    try {
        // The name is checked once more as the test is stored: another bench
        // or unit may have stored a test of this name during the download.
        const int id = storeRetrievedTest(connection, *info, {}, results.records);
        out << results.records.size() << " points stored in test \"" << name << "\" (id " << id << ")\n";
    } catch (const DbError& e) {
        return fail(2, e.text());
    }
    return 0;
}

}  // namespace tz
