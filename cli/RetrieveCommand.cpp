#include "cli/RetrieveCommand.h"

#include "db/DbError.h"
#include "db/NewTest.h"
#include "db/clsConnection.h"
#include "instrument/RetrievedTest.h"
#include "instrument/StoredResultsRetrieval.h"
#include "instrument/UnitLink.h"
#include "testinfo/BobTable.h"

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
    const QCommandLineOption comm(QStringLiteral("comm"), QString(), QStringLiteral("K"));
    const QCommandLineOption testName(QStringLiteral("test"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption bob(QStringLiteral("bob"), QString(), QStringLiteral("CODE"), kDefaultBobCode);
    const QCommandLineOption fluid(QStringLiteral("fluid"), QString(), QStringLiteral("TEXT"));
    const QCommandLineOption researcher(QStringLiteral("researcher"), QString(), QStringLiteral("TEXT"),
                                        QStringLiteral("Unknown"));
    const QCommandLineOption help(QStringList{QStringLiteral("help"), QStringLiteral("h")});
    parser.addOptions({comm, testName, bob, fluid, researcher, help});
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
    bool ok = false;
    const int commNo = parser.value(comm).toInt(&ok);
    if (!parser.isSet(comm) || !ok || commNo < 1 || commNo > 22)
        return fail(1, QStringLiteral("--comm takes a Comm number from 1 to 22"));
    const QString name = parser.value(testName);
    if (name.trimmed().isEmpty())
        return fail(1, QStringLiteral("--test NAME is required"));
    const std::optional<BobGeometry> bobGeometry = lookupBob(parser.value(bob));
    if (!bobGeometry)
        return fail(1, QStringLiteral("unknown bob \"%1\" (B1 ... B5, XB1, XB2, XB3, XB5)").arg(parser.value(bob)));

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
    if (!link.open(commNo))
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

    TestInformation info;
    info.testName = name;
    info.fluidId = parser.value(fluid);
    info.researcherName = parser.value(researcher);
    info.bobNo = bobGeometry->code;
    info.bobRadiusCm = bobGeometry->radiusCm;
    info.bobEffLengthCm = bobGeometry->lengthCm;
    try {
        const int id = storeRetrievedTest(connection, info, {}, results.records);
        out << results.records.size() << " points stored in test \"" << name << "\" (id " << id << ")\n";
    } catch (const DbError& e) {
        return fail(2, e.text());
    }
    return 0;
}

}  // namespace tz
