#include "analysis/ResultsTable.h"

#include "analysis/ResultsHeading.h"
#include "app/NumberFormat.h"

#include <algorithm>
#include <cmath>

namespace tz {

namespace {

const QString kNotAvailable = QStringLiteral("N/A");

// A value the formulas could not give (a bob radius of 0, say) reads "N/A"
// rather than a platform's text for infinity.
QString cell(double value, QStringView pattern) {
    return std::isfinite(value) ? formatNumber(value, pattern) : kNotAvailable;
}

QString csvField(const QString& text) {
    if (!text.contains(u',') && !text.contains(u'"') && !text.contains(u'\n')) return text;
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

}  // namespace

QStringList resultsRowCells(const RampResult& r) {
    QStringList cells{
        QString::number(r.ramp),
        cell(r.timeMin, u"#."),
        cell(r.temp, u"###"),
        cell(r.press, u"####"),
        cell(r.nPrime, u"0.0000"),
        cell(r.kv, u"0.000000"),
    };
    if (r.rejected) {
        for (int c = 6; c < kResultsColumns; ++c) cells << kNotAvailable;
        return cells;
    }
    cells << cell(r.r2, u"0.0000") << cell(r.kPrime, u"0.000000") << cell(r.kSlot, u"0.000000");
    for (double v : r.visc) cells << cell(v, u"#");
    return cells;
}

ResultsTable buildResultsTable(const RampTable& table, const Settings& settings) {
    ResultsTable out;
    out.heading = resultsHeading(settings);
    const QStringList empty(kResultsColumns, QString());
    for (int d = 1; d <= table.lastRamp; ++d) out.rows << empty;
    for (const RampResult& r : table.ramps)
        if (r.ramp >= 1 && r.ramp <= table.lastRamp) out.rows[r.ramp - 1] = resultsRowCells(r);
    return out;
}

QString resultsTableCsv(const ResultsTable& table) {
    QStringList heading;
    for (const QString& h : table.heading) heading << csvField(QString(h).replace(u'\r', u' '));
    QString text = heading.join(u',') + u'\n';
    for (const QStringList& row : table.rows) {
        // A ramp without a result has nothing to say: the grid keeps its
        // empty row, the file a program reads holds the ramps with results.
        if (std::all_of(row.begin(), row.end(), [](const QString& c) { return c.isEmpty(); })) continue;
        QStringList fields;
        for (const QString& c : row) fields << csvField(c);
        text += fields.join(u',') + u'\n';
    }
    return text;
}

}  // namespace tz
