#include "cli/ImportMdbCommand.h"

#include "db/DbError.h"
#include "db/LegacyImport.h"
#include "db/MdbExportSource.h"
#include "db/clsConnection.h"

#include <QFileInfo>
#include <QTextStream>

namespace tz {

void importMdbUsage(QTextStream& out)
{
    out << "  import-mdb FILE.mdb [--rename-clashes]\n"
           "          copies every sequence and test of the old workstation's Jet file\n"
           "          into this database in one transaction (read with mdbtools); a name\n"
           "          already stored is refused unless --rename-clashes stores it as \"NAME (2)\"\n";
}

int importMdbCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    QString file;
    bool rename = false;
    for (const QString& arg : args) {
        if (arg == QLatin1String("--rename-clashes")) {
            rename = true;
        } else if (file.isEmpty() && !arg.startsWith(QLatin1String("--"))) {
            file = arg;
        } else {
            err << "tz360-cli import-mdb: unexpected argument \"" << arg << "\"\n";
            importMdbUsage(err);
            return 1;
        }
    }
    if (file.isEmpty()) {
        err << "tz360-cli import-mdb: the Jet file to import is needed\n";
        importMdbUsage(err);
        return 1;
    }
    if (!QFileInfo(file).isFile()) {
        err << "tz360-cli import-mdb: no file " << QFileInfo(file).absoluteFilePath() << "\n";
        return 2;
    }
    MdbExportSource source(QFileInfo(file).absoluteFilePath());
    try {
        // The file is looked at before the database is opened: a wrong file
        // leaves no new empty TZ360.db behind.
        requireLegacyTables(source);
    } catch (const DbError& e) {
        err << "tz360-cli import-mdb: " << e.text().simplified() << "\n";
        return 2;
    }
    clsConnection target;
    target.OpenDB(QString(), QString(), QString(), QString());
    if (!target.isOpen()) {
        err << "tz360-cli import-mdb: " << target.description() << ": " << target.lastError().simplified() << "\n";
        return 2;
    }
    try {
        const CopyResult result = importLegacy(source, target, rename);
        for (const QString& line : result.lines)
            out << line << "\n";
        out << "Imported " << result.sequences << " sequence(s) and " << result.tests << " test(s) from "
            << source.description() << " to " << target.description() << "\n";
    } catch (const DbError& e) {
        err << "tz360-cli import-mdb: " << e.text().simplified() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace tz
