#include "cli/ReportCommand.h"

#include "analysis/OpenedTest.h"
#include "analysis/ResultsTable.h"
#include "app/ProgramSettings.h"
#include "app/SettingsFile.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "reports/BriefReport.h"
#include "reports/CorvaneReport.h"
#include "reports/ExcelExport.h"
#include "reports/PointsExport.h"
#include "reports/ReportFile.h"
#include "reports/ReportFileName.h"
#include "reports/SummarySection.h"
#include "reports/ui/DetailReportDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QTextDocument>
#include <QTextStream>

#include <memory>

namespace tz {

void reportUsage(QTextStream& out)
{
    out << "  report corvane|brief|detail NAME [-o FILE]\n"
           "          writes a report of test NAME: corvane, the fixed-column text file\n"
           "          (default \"NAME.txt\"); brief, the brief report as saved text (default\n"
           "          \"NAME brief.txt\"); detail, the detail report as PDF (default \"NAME.pdf\");\n"
           "          default files go to the working directory, NAME made safe for a file name\n"
           "  export NAME [--detail] -o FILE.xlsx\n"
           "          the brief (or detailed) spreadsheet export of test NAME\n"
           "  export NAME --format csv|json [-o FILE]\n"
           "          every point of test NAME with named columns and units (csv: one record\n"
           "          per point, the test information in leading columns; json: test\n"
           "          information, additives, ramp results, summary and points in one\n"
           "          document); to standard output without -o. --format xlsx is the default\n";
}

namespace {

struct Request {
    QString kind;      // corvane, brief, detail, or empty for export
    QString name;
    QString output;
    bool detailed = false;
    QString format = QStringLiteral("xlsx");   // export only: xlsx, csv or json
};

// Reads "NAME [-o FILE] [--detail]"; false with a reason on anything else.
bool parse(const QStringList& args, bool allowDetail, Request& request, QString& error)
{
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("-o") || a == QLatin1String("--output")) {
            if (i + 1 >= args.size()) {
                error = a + " needs a file name";
                return false;
            }
            request.output = args[++i];
        } else if (allowDetail && a == QLatin1String("--detail")) {
            request.detailed = true;
        } else if (allowDetail && a == QLatin1String("--format")) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            request.format = args[++i];
            if (request.format != QLatin1String("xlsx") && request.format != QLatin1String("csv")
                && request.format != QLatin1String("json")) {
                error = "--format takes xlsx, csv or json";
                return false;
            }
        } else if (a.startsWith(QLatin1String("-")) && a.size() > 1) {
            error = "unknown option " + a;
            return false;
        } else if (request.name.isNull()) {
            request.name = a;
        } else {
            error = "one test name only (quote a name with blanks)";
            return false;
        }
    }
    if (request.name.isNull()) {
        error = "which test? give its name";
        return false;
    }
    return true;
}

// The stored test and its results table under the display settings of
// initial.txt, as the main window would show them. Exit code on failure.
int loadForReport(const QString& command, const QString& name, std::optional<OpenedTest>& test,
                  ResultsTable& table, Settings& settings, QTextStream& err)
{
    SettingsFile::readDisplay(SettingsFile::defaultPath(), settings);
    clsConnection connection;
    connection.OpenForReading();
    if (!connection.isOpen()) {
        err << connection.lastError() << "\n";
        return 2;
    }
    try {
        test = loadTestByName(connection, name);
    } catch (const DbError& e) {
        err << "tz360-cli " << command << ": " << e.text() << "\n";
        return 2;
    }
    if (!test) {
        err << "tz360-cli " << command << ": no stored test named \"" << name << "\"\n";
        return 3;
    }
    table = buildResultsTable(test->analyse(settings), settings);
    return 0;
}

int runReport(const QString& kind, const QStringList& args, QTextStream& out, QTextStream& err)
{
    Request request;
    QString error;
    if (!parse(args, false, request, error)) {
        err << "tz360-cli report: " << error << "\n";
        return 1;
    }
    std::optional<OpenedTest> test;
    ResultsTable table;
    Settings settings;
    if (const int code = loadForReport("report", request.name, test, table, settings, err); code != 0)
        return code;

    QString path = request.output;
    try {
        if (kind == QLatin1String("corvane")) {
            if (path.isEmpty())
                path = writeCorvaneReport(*test, QDir::currentPath());
            else
                writeReportFile(path, corvaneReportText(test->info.time, test->points, test->shearRatePerRpm()));
        } else if (kind == QLatin1String("brief")) {
            if (path.isEmpty())
                path = briefReportPath(QDir::currentPath(), test->info.name);
            writeBriefReport(path, test->info, test->additives, table);
        } else {
            if (path.isEmpty())
                path = reportFilePath(QDir::currentPath(), test->info.name, QStringLiteral(".pdf"));
            const std::unique_ptr<QTextDocument> document = detailReportDocument(
                test->info, test->points, summarySectionHtml(reportSummary(*test, settings), settings));
            writeDetailReportPdf(path, *document);
        }
    } catch (const ReportFileError& e) {
        err << "tz360-cli report: " << e.text() << "\n";
        return 2;
    }
    out << QDir::toNativeSeparators(path) << "\n";
    return 0;
}

}  // namespace

int reportMain(int argc, char** argv)
{
    const QString kind = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    const bool known = kind == QLatin1String("corvane") || kind == QLatin1String("brief")
        || kind == QLatin1String("detail");
    // Only the detail report lays out pages; without a display it renders off screen.
    std::unique_ptr<QCoreApplication> app;
    if (kind == QLatin1String("detail")) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    if (!known) {
        err << "tz360-cli report: which report? corvane, brief or detail\n";
        reportUsage(err);
        return 1;
    }
    return runReport(kind, QCoreApplication::arguments().mid(3), out, err);
}

int exportCommand(const QStringList& args, QTextStream& out, QTextStream& err)
{
    Request request;
    QString error;
    if (!parse(args, true, request, error)) {
        err << "tz360-cli export: " << error << "\n";
        return 1;
    }
    const bool xlsx = request.format == QLatin1String("xlsx");
    if (xlsx && request.output.isEmpty()) {
        err << "tz360-cli export: -o FILE.xlsx is needed\n";
        return 1;
    }
    if (!xlsx && request.detailed) {
        err << "tz360-cli export: --detail is for the xlsx export; csv and json hold every point\n";
        return 1;
    }
    std::optional<OpenedTest> test;
    ResultsTable table;
    Settings settings;
    if (const int code = loadForReport("export", request.name, test, table, settings, err); code != 0)
        return code;
    if (!xlsx) {
        const QString text = request.format == QLatin1String("csv")
            ? pointsCsv(*test, settings)
            : QString::fromUtf8(pointsJson(*test, settings, ProgramSettings().summaryThresholdCp()).toJson());
        if (request.output.isEmpty()) {
            out << text;
            return 0;
        }
        try {
            writeReportFile(request.output, text);
        } catch (const ReportFileError& e) {
            err << "tz360-cli export: " << e.text() << "\n";
            return 2;
        }
        out << QDir::toNativeSeparators(request.output) << "\n";
        return 0;
    }
    try {
        exportTestToExcel(request.output, *test, table, settings.unitSystem, request.detailed,
                          request.detailed ? summarySheetCells(test->info.name, reportSummary(*test, settings), settings)
                                           : QList<SheetCell>());
    } catch (const ReportFileError& e) {
        err << "tz360-cli export: " << e.text() << "\n";
        return 2;
    }
    out << QDir::toNativeSeparators(request.output) << "\n";
    return 0;
}

}  // namespace tz
