#pragma once
// Open exports of a stored test for LIMS, scripts and notebooks: every
// recorded point with named columns that carry their units.
//
// CSV: one table, one record per point, in the order the database delivers
// them (by time). The test information rides along in leading columns (test
// name, TEST_ID, fluid ID, start time, researcher) on every record, so the
// exports of several tests can simply be concatenated.
// JSON: one document with the test information, the additives, the per-ramp
// results as the results grid shows them, the test summary, and the points.
//
// Temperatures and pressure follow the unit system as the results grid does
// (°C and kPa in SI, °F and psi otherwise); time is in seconds, shear rate in
// 1/s, stress in dyn/cm2. A point at rest (shear rate below 0.00001 1/s) has
// no viscosity: an empty CSV field, a JSON null.
#include "analysis/OpenedTest.h"
#include "app/Settings.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <optional>

namespace tz {

QString pointsCsv(const OpenedTest& test, const Settings& settings);
QJsonDocument pointsJson(const OpenedTest& test, const Settings& settings, double thresholdCp);

// The JSON document without its "points" (information, additives, units,
// ramp results, summary), for readers that fetch the points separately.
QJsonObject testJsonWithoutPoints(const OpenedTest& test, const Settings& settings, double thresholdCp);

// One point's figures as both exports give them.
std::optional<double> pointViscosityCp(const ResultPoint& p);   // none at rest
double exportTemperature(double fahrenheit, const Settings& settings);
double exportPressure(double psi, const Settings& settings);
QString exportPressureUnit(const Settings& settings);

}  // namespace tz
