#pragma once
// The per-ramp results table as text, cell for cell as the grid MSFlexGrid1
// shows it. Reports, exports and tz360-cli take their results section from
// here, never from the widget.
#include "analysis/RampAnalysis.h"
#include "app/Settings.h"

#include <QList>
#include <QStringList>

namespace tz {

struct ResultsTable {
    // The twelve heading cells; the lines of a cell are separated by "\r".
    QStringList heading;
    // rows[d - 1] holds the twelve cells of ramp d, for d = 1 .. last ramp;
    // a ramp without a fit has twelve empty cells.
    QList<QStringList> rows;
};

// The twelve cells of one fitted ramp.
QStringList resultsRowCells(const RampResult& ramp);

ResultsTable buildResultsTable(const RampTable& table, const Settings& settings);

// The table as comma-separated text: the heading line (the lines of each
// heading cell joined by a space), then one line per ramp that has a result
// (fitted or rejected); the grid's empty rows are left out.
QString resultsTableCsv(const ResultsTable& table);

}  // namespace tz
