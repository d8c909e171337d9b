#include "cli/AnalyzeCommand.h"

#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "app/NumberFormat.h"
#include "app/SettingsFile.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "setup/SequenceValidation.h"

#include <QTextStream>

namespace tz {

void analyzeUsage(QTextStream& out) {
    out << "  analyze NAME [--unit-system 1|2|3] [--k-unit 0|1] [--rates R1,R2,R3]\n"
           "          the per-ramp results of test NAME as the results grid shows them (CSV:\n"
           "          the heading line, then one line per ramp with a result); the display\n"
           "          settings come from initial.txt unless given\n";
}

namespace {

// Applies the options over the settings read from initial.txt; false with a
// reason on anything it cannot take.
bool applyOptions(const QStringList& options, Settings& s, QString& error) {
    for (qsizetype i = 0; i < options.size(); i += 2) {
        const QString& name = options[i];
        if (i + 1 >= options.size()) {
            error = name + " needs a value";
            return false;
        }
        const QString& value = options[i + 1];
        if (name == QLatin1String("--unit-system")) {
            if (value != "1" && value != "2" && value != "3") {
                error = "--unit-system takes 1 (CGS), 2 (EI) or 3 (SI)";
                return false;
            }
            s.unitSystem = value.toInt();
        } else if (name == QLatin1String("--k-unit")) {
            if (value != "0" && value != "1") {
                error = "--k-unit takes 1 (dyn-s^n/cm2) or 0 (lb-f s/100 ft2)";
                return false;
            }
            s.kPrimeUnit = value.toInt();
        } else if (name == QLatin1String("--rates")) {
            const QStringList parts = value.split(u',');
            std::array<double, 3> rates{};
            bool ok = parts.size() == 3;
            for (int k = 0; ok && k < 3; ++k) rates[k] = parts[k].trimmed().toDouble(&ok);
            if (!ok || !calculationRatesAccepted(rates)) {
                error = "--rates takes three rising shear rates, 0 < R1 < R2 < R3 < 10000, R1 < 5000";
                return false;
            }
            s.shearRates = rates;
        } else {
            error = "unknown option " + name;
            return false;
        }
    }
    return true;
}

}  // namespace

int analyzeCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty() || args[0].startsWith(QLatin1String("--"))) {
        err << "Usage: tz360-cli\n";
        analyzeUsage(err);
        return 1;
    }
    Settings settings;
    SettingsFile::readDisplay(SettingsFile::defaultPath(), settings);
    QString error;
    if (!applyOptions(args.mid(1), settings, error)) {
        err << "tz360-cli analyze: " << error << "\n";
        return 1;
    }

    clsConnection connection;
    connection.OpenForReading();
    if (!connection.isOpen()) {
        err << connection.lastError() << "\n";
        return 2;
    }
    try {
        const std::optional<OpenedTest> test = loadTestByName(connection, args[0]);
        if (!test) {
            err << "tz360-cli analyze: no stored test named \"" << args[0] << "\"\n";
            return 3;
        }
        out << resultsTableCsv(buildResultsTable(test->analyse(settings), settings));
    } catch (const DbError& e) {
        err << "tz360-cli analyze: " << e.text() << "\n";
        return 2;
    }
    return 0;
}

}  // namespace tz
