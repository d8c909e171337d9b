#pragma once
// The text report of one torque calibration, as the Export button saves it.
#include "calibration/CalibrationRecordReader.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

namespace tz {

struct CalibrationReportData {
    QDateTime when;
    QLocale locale;                 // long time and long date are written in it
    QString unit;                   // as the unit list shows it, "Unit  1"
    QString bob;
    QString viscosity;              // the operator's texts, as typed
    QString changePerDegC;
    QList<CalibrationRecord> records;
    std::optional<double> quality;  // nullopt: too few records for the line check
};

// The report's lines, without line ends.
QStringList calibrationReportLines(const CalibrationReportData& data);

// Creates or replaces the file (CR LF line ends). False with the reason.
bool writeCalibrationReport(const QString& path, const CalibrationReportData& data,
                            QString* error = nullptr);

}  // namespace tz
