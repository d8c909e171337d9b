#pragma once
// The test summary as named fields, each with its heading (naming its unit
// in the display settings' unit system) and its value as text and as a
// number, so the summary view, the reports and tz360-cli label and round the
// same way. Headings and keys depend only on the settings and the ramp
// numbers asked for, so the fields of several tests line up side by side.
#include "analysis/TestSummary.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QVariant>

namespace tz {

struct SummaryField {
    QString key;       // for JSON and scripts: "peak_viscosity_cp"
    QString heading;   // "Peak viscosity (cP)"
    QVariant value;    // double or bool; null when there is no value
    QString text;      // as shown; empty when there is no value
};

// The test-wide fields, then for ramps 1 .. lastRamp the per-ramp fields
// (empty values for a ramp without a fit).
QList<SummaryField> summaryFields(const TestSummary& summary, const Settings& settings, int lastRamp);

// The highest ramp number with a fit; 0 when none.
int lastSummaryRamp(const TestSummary& summary);

// The summary as one JSON object: the test-wide fields by key, and "ramps",
// an array of one object per fitted ramp. Units are named in "units".
QJsonObject summaryJson(const TestSummary& summary, const Settings& settings);

// The unit texts of the display settings.
QString temperatureUnit(const Settings& settings);   // "°F" or "°C"

}  // namespace tz
