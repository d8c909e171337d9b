#include "cli/CopyDbCommand.h"

#include "db/DatabaseCopy.h"
#include "db/DatabaseLocation.h"
#include "db/DbError.h"
#include "db/clsConnection.h"

#include <QFileInfo>
#include <QTextStream>

namespace tz {
namespace {

// A postgresql:// URI names a server; anything else is a SQLite file path.
bool locationFor(const QString& text, DatabaseLocation& location, QString& error)
{
    if (text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://")))
        return parseServerUri(text, location, error);
    location = DatabaseLocation();
    location.filePath = QFileInfo(text).absoluteFilePath();
    return true;
}

}  // namespace

void copyDbUsage(QTextStream& out)
{
    out << "  copy-db --from A --to B [--rename-clashes]\n"
           "          copies every sequence and test from A to B (a SQLite file or a\n"
           "          postgresql:// URI) in one transaction; a name already in B is refused\n"
           "          unless --rename-clashes stores it as \"NAME (2)\"\n";
}

int copyDbCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString from, to;
    bool rename = false;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--from") && i + 1 < args.size())
            from = args[++i];
        else if (args[i] == QLatin1String("--to") && i + 1 < args.size())
            to = args[++i];
        else if (args[i] == QLatin1String("--rename-clashes"))
            rename = true;
        else {
            err << "tz360-cli copy-db: unexpected argument \"" << args[i] << "\"\n";
            copyDbUsage(err);
            return 1;
        }
    }
    if (from.isEmpty() || to.isEmpty()) {
        err << "tz360-cli copy-db: both --from and --to are needed\n";
        copyDbUsage(err);
        return 1;
    }
    DatabaseLocation fromLocation, toLocation;
    QString error;
    if (!locationFor(from, fromLocation, error) || !locationFor(to, toLocation, error)) {
        err << "tz360-cli copy-db: " << error << "\n";
        return 1;
    }
    if (!fromLocation.isServer() && !QFileInfo::exists(fromLocation.filePath)) {
        // Opening would create an empty database in its place.
        err << "tz360-cli copy-db: no database file " << fromLocation.filePath << "\n";
        return 1;
    }
    if (fromLocation.display() == toLocation.display()) {
        err << "tz360-cli copy-db: source and target are the same database\n";
        return 1;
    }
    // The source is only read: an archive on a read-only share can be copied.
    clsConnection source;
    source.openForReading(fromLocation);
    if (!source.isOpen()) {
        err << "tz360-cli copy-db: " << source.description() << ": " << source.lastError() << "\n";
        return 2;
    }
    clsConnection target;
    target.open(toLocation);
    if (!target.isOpen()) {
        err << "tz360-cli copy-db: " << target.description() << ": " << target.lastError() << "\n";
        return 2;
    }
    try {
        const CopyResult result = copyDatabase(source, target, rename);
        for (const QString& line : result.lines)
            out << line << "\n";
        out << "Copied " << result.sequences << " sequence(s) and " << result.tests << " test(s) from "
            << source.description() << " to " << target.description() << "\n";
    } catch (const DbError& e) {
        err << "tz360-cli copy-db: " << e.text().simplified() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace tz
