#include "cli/SummaryCommand.h"

#include "analysis/OpenedTest.h"
#include "analysis/SummaryFields.h"
#include "app/ProgramSettings.h"
#include "app/SettingsFile.h"
#include "db/DbError.h"
#include "db/clsConnection.h"
#include "reports/CsvText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace tz {

void summaryUsage(QTextStream& out) {
    out << "  summary NAME [NAME ...] [--threshold CP] [--format text|csv|json]\n"
           "          the summary of each test (peak and final viscosity, time above the\n"
           "          threshold, break time, time at temperature, K'pipe per ramp): one\n"
           "          column per test (text, the default) or one record per test; the\n"
           "          threshold defaults to the one chosen in the main window (tz360.ini),\n"
           "          else 100 cP; units follow initial.txt\n";
}

namespace {

struct Request {
    QStringList names;
    double threshold = 0;
    QString format = QStringLiteral("text");
};

bool parse(const QStringList& args, Request& r, QString& error) {
    r.threshold = ProgramSettings().summaryThresholdCp();
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--threshold") || a == QLatin1String("--format")) {
            if (i + 1 >= args.size()) {
                error = a + " needs a value";
                return false;
            }
            const QString& v = args[++i];
            if (a == QLatin1String("--threshold")) {
                bool ok = false;
                r.threshold = v.toDouble(&ok);
                if (!ok || !thresholdAccepted(r.threshold)) {
                    error = "--threshold takes a viscosity in cP above 0";
                    return false;
                }
            } else if (v == QLatin1String("text") || v == QLatin1String("csv") || v == QLatin1String("json")) {
                r.format = v;
            } else {
                error = "--format takes text, csv or json";
                return false;
            }
        } else if (a.startsWith(QLatin1String("-")) && a.size() > 1) {
            error = "unknown option " + a;
            return false;
        } else {
            r.names << a;
        }
    }
    if (r.names.isEmpty()) {
        error = "which tests? give their names";
        return false;
    }
    return true;
}

struct Summarised {
    OpenedTest test;
    TestSummary summary;
};

// Headings down the left, one column per test, columns padded to line up.
QString textTable(const QList<Summarised>& tests, const Settings& settings, int lastRamp) {
    QList<QStringList> columns;
    QStringList headings{QStringLiteral("Test")};
    for (const SummaryField& f : summaryFields(tests.front().summary, settings, lastRamp)) headings << f.heading;
    columns << headings;
    for (const Summarised& t : tests) {
        QStringList column{t.test.info.name};
        for (const SummaryField& f : summaryFields(t.summary, settings, lastRamp))
            column << (f.text.isEmpty() ? QStringLiteral("-") : f.text);
        columns << column;
    }
    QList<qsizetype> widths;
    for (const QStringList& c : columns) {
        qsizetype w = 0;
        for (const QString& s : c) w = std::max(w, s.size());
        widths << w;
    }
    QString text;
    for (qsizetype row = 0; row < headings.size(); ++row) {
        QString line;
        for (qsizetype c = 0; c < columns.size(); ++c) {
            if (c == 0)
                line += columns[c][row].leftJustified(widths[c]);
            else
                line += QStringLiteral("  ") + columns[c][row].rightJustified(widths[c]);
        }
        text += line + u'\n';
    }
    return text;
}

QString csvTable(const QList<Summarised>& tests, const Settings& settings, int lastRamp) {
    QStringList headings{QStringLiteral("Test name")};
    for (const SummaryField& f : summaryFields(tests.front().summary, settings, lastRamp)) headings << f.heading;
    QString text = csvRecord(headings);
    for (const Summarised& t : tests) {
        QStringList record{t.test.info.name};
        for (const SummaryField& f : summaryFields(t.summary, settings, lastRamp)) record << f.text;
        text += csvRecord(record);
    }
    return text;
}

QString jsonDocument(const QList<Summarised>& tests, const Settings& settings) {
    QJsonArray array;
    for (const Summarised& t : tests) {
        QJsonObject o = summaryJson(t.summary, settings);
        o.insert("name", t.test.info.name);
        array.append(o);
    }
    return QString::fromUtf8(QJsonDocument(QJsonObject{{"tests", array}}).toJson(QJsonDocument::Indented));
}

}  // namespace

int summaryCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    Request request;
    QString error;
    if (!parse(args, request, error)) {
        err << "tz360-cli summary: " << error << "\n";
        return 1;
    }
    Settings settings;
    SettingsFile::readDisplay(SettingsFile::defaultPath(), settings);

    clsConnection connection;
    connection.OpenForReading();
    if (!connection.isOpen()) {
        err << connection.lastError() << "\n";
        return 2;
    }
    // Every test is loaded before anything is printed: a script gets either
    // the whole comparison or an error, never part of it.
    QList<Summarised> tests;
    try {
        for (const QString& name : request.names) {
            std::optional<OpenedTest> test = loadTestByName(connection, name);
            if (!test) {
                err << "tz360-cli summary: no stored test named \"" << name << "\"\n";
                return 3;
            }
            TestSummary summary = summariseTest(test->points, test->info.bobRadius, settings, request.threshold);
            tests.append({std::move(*test), std::move(summary)});
        }
    } catch (const DbError& e) {
        err << "tz360-cli summary: " << e.text() << "\n";
        return 2;
    }
    int lastRamp = 0;
    for (const Summarised& t : tests) lastRamp = std::max(lastRamp, lastSummaryRamp(t.summary));
    if (request.format == QLatin1String("csv"))
        out << csvTable(tests, settings, lastRamp);
    else if (request.format == QLatin1String("json"))
        out << jsonDocument(tests, settings);
    else
        out << textTable(tests, settings, lastRamp);
    return 0;
}

}  // namespace tz
